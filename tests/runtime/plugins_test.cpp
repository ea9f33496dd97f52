// Plug-ins: loading from the title's plug-in folder, script calls through plugin and pluginfx
// as line tables (with the sample plug-in built beside the tests), the services a plug-in
// reaches as traces of requests, and the opening and closing rules (with stand-in libraries).
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <map>

#include "runtime/plugins.h"
#include "shell/dialogs/boxes.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

// A title whose plug-in folder holds the sample plug-in, a text file and a ".so" that is no
// library.
class SamplePluginTest : public TitleTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::is_regular_file(LW_SAMPLE_PLUGIN_PATH))
        << "the build must define LW_SAMPLE_PLUGIN_PATH as the built sample plug-in";
    const std::filesystem::path folder = scratch_.makeFolder("title/plugins");
    std::filesystem::copy_file(LW_SAMPLE_PLUGIN_PATH, folder / "sample.so");
    scratch_.writeFile("title/plugins/notes.txt", "not a plug-in");
    scratch_.writeFile("title/plugins/broken.so", "not a shared object either");
  }
  // Starts a run with `input`; the plug-ins are loaded then.
  TitleRun& Start(std::string_view input = "") { return Boot(kRecordingScript, input); }
};

// Only the real library loads, with its counter block. Names match whatever their case, and
// calls nest. Four arguments at most, each after a comma; the plug-in is not called otherwise
// (the count shows that no earlier call reached it). 200 bytes are not free when the figure is
// 150, and the block checks free what they make. No text slot stays taken; the skipped files
// and the close are silent.
TEST_F(SamplePluginTest, ScriptCallsAndTheServicesTheSampleUses) {
  TitleRun& run = Start("choose /stories/tale.txt\nchoose cancel\n");
  ASSERT_EQ(runtime().plugins()->plugins().size(), 1u)
      << "sample.so did not load (is the scratch folder on a noexec mount?)";
  EXPECT_EQ(runtime().plugins()->plugins()[0].name.view(), "Sample");
  runtime().memory().overrideAvailable(150);
  run.Expect({{"pluginfx(\"SAMPLE\", \"add\", 2, 40)", "42"},
              {"pluginfx(\"sAmPlE\", \"upper\", \"mixed Case 7\")", "\"MIXED CASE 7\""},
              {"plugin(\"sample\", \"nothing\")", "OK"},
              {"pluginfx(\"sample\", \"add\", pluginfx(\"sample\", \"double\", 5), 1)", "11"},
              {"stringlength(pluginfx(\"sample\", \"greet\", \"Bo\"))", "10"},
              {"plugin(\"sample\", \"double\", 2)", "Functions must return a value."},
              {"pluginfx(\"sample\", \"nothing\")", "Commands can't return a value."},
              {"pluginfx(\"nosuch\", \"add\", 1, 2)", "No such object."},
              {"pluginfx(\"sample.so\", \"add\", 1, 2)", "No such object."},
              {"pluginfx(5, \"add\", 1, 2)", "Bad argument type."},
              {"pluginfx(\"sample\", \"fail\", 51)", "Plug-in returned error."},
              {"pluginfx(\"sample\", \"unknown\")", ""},  // 109 has no message
              {"pluginfx(\"sample\", \"add\", 1, 2, 3)", "3"},
              {"pluginfx(\"sample\", \"count\", 1, 2, 3, 4)", "Expected paren '(' or ')'."},
              {"pluginfx(\"sample\", \"count\")", "1"},
              {"pluginfx(\"sample\", \"count\")", "2"},
              {"pluginfx(\"sample\", \"eval\", \"6 * 7\")", "\"42\""},
              {"pluginfx(\"sample\", \"eval\", \"1 / 0\")", "\"Divide by zero.\""},
              {"pluginfx(\"sample\", \"numtext\", -123)", "\"-123\""},
              {"pluginfx(\"sample\", \"probe\")", "109"},
              {"pluginfx(\"sample\", \"memory\")", "150"},
              {"pluginfx(\"sample\", \"block\", 70)", "140"},
              {"pluginfx(\"sample\", \"block\", 100)", "-1"},
              {"pluginfx(\"sample\", \"choose\")", "\"tale.txt\""},
              {"pluginfx(\"sample\", \"choose\")", "\"\""}});
  EXPECT_EQ(runtime().interpreter()->strings().slotsInUse(), 0);
  EXPECT_EQ(runtime().plugins()->services().blockCount(), 1u) << "the counter block";
  ASSERT_EQ(platform().fileDialogs().size(), 2u);
  EXPECT_FALSE(platform().fileDialogs()[0].save);
  EXPECT_EQ(run.End(), Runtime::kExitOk);
  EXPECT_EQ(run.Boxes(), "");
}

LwValue Number(std::int32_t n) { return {.type = LW_TYPE_NUMBER, .value = {.number = n}}; }
LwValue Text(unsigned char* text) { return {.type = LW_TYPE_TEXT, .value = {.text = text}}; }
LwValue Block(LwBlockHandle handle) { return {.type = LW_TYPE_BLOCK, .value = {.block = handle}}; }

// A request of `code` with `arguments` in the first slots, the others none.
LwParameterBlock Request(std::int16_t code, std::initializer_list<LwValue> arguments) {
  LwParameterBlock block = EmptyParameterBlock(code);
  std::copy(arguments.begin(), arguments.end(), block.arguments);
  return block;
}

// Length-prefixed texts in buffers of the size plug-ins use.
using TextBuffer = std::array<unsigned char, LW_TEXT_BUFFER_SIZE>;
void SetText(TextBuffer& text, std::string_view chars) {
  text[0] = static_cast<unsigned char>(chars.size());
  std::memcpy(text.data() + 1, chars.data(), chars.size());
}
std::string TextIn(const TextBuffer& text) {
  return std::string(reinterpret_cast<const char*>(text.data() + 1), text[0]);
}

// Services asked directly, as any plug-in could ask them.
class ServicesTest : public SamplePluginTest {
 protected:
  // Answers each request in turn; each answer and result type (with its number) as a trace:
  // "0 number 64, 109 none".
  std::string Ask(std::initializer_list<LwParameterBlock*> requests) {
    std::string trace;
    for (LwParameterBlock* block : requests) {
      const std::int16_t answer = runtime().plugins()->services().Answer(*block);
      const LwValue& result = block->result;
      trace += (trace.empty() ? "" : ", ") + std::to_string(answer) +
               (result.type == LW_TYPE_NONE     ? " none"
                : result.type == LW_TYPE_NUMBER ? " number " + std::to_string(result.value.number)
                : result.type == LW_TYPE_TEXT   ? " text"
                                                : " block");
    }
    return trace;
  }
  std::string Ask(std::int16_t code, std::initializer_list<LwValue> arguments) {
    LwParameterBlock block = Request(code, arguments);
    return Ask({&block});
  }
};

// Unlisted slots must be none; outside a plug-in call the service entry answers nothing. A block
// has at least one byte; a locked block cannot move; a freed or made-up handle is not followed.
TEST_F(ServicesTest, WrongRequestsAreRefusedAndBlocksAreCheckedByHandle) {
  Start();
  LwParameterBlock unknown[] = {Request(499, {}), Request(517, {}), Request(LW_CALL_SCRIPT, {})};
  for (LwParameterBlock& block : unknown) block.result = Number(1);
  EXPECT_EQ(Ask({&unknown[0], &unknown[1], &unknown[2]}), "109 none, 109 none, 109 none");
  EXPECT_EQ(Ask(LW_SERVICE_FREE_MEMORY, {LwValue{}, LwValue{}, LwValue{}, Number(1)}), "109 none");
  LwParameterBlock outside = Request(LW_SERVICE_FREE_MEMORY, {});
  EXPECT_EQ(LwRuntimeServiceEntry(&outside), LW_RESULT_MISMATCH);

  LwParameterBlock make = Request(LW_SERVICE_NEW_BLOCK, {Number(0)});
  ASSERT_EQ(Ask({&make}), "0 block");
  const LwValue handle = Block(make.result.value.block);
  LwParameterBlock size = Request(LW_SERVICE_BLOCK_SIZE, {handle});
  LwParameterBlock lock = Request(LW_SERVICE_LOCK_BLOCK, {handle});
  LwParameterBlock resize = Request(LW_SERVICE_RESIZE_BLOCK, {handle, Number(64)});
  LwParameterBlock unlock = Request(LW_SERVICE_UNLOCK_BLOCK, {handle});
  LwParameterBlock release = Request(LW_SERVICE_FREE_BLOCK, {handle});
  EXPECT_EQ(Ask({&size, &lock, &resize, &unlock, &resize}),
            "0 number 1, 0 text, 109 none, 0 none, 0 block");
  EXPECT_EQ(resize.result.value.block, handle.value.block);
  EXPECT_EQ(Ask({&size, &release, &release, &size}), "0 number 64, 0 none, 109 none, 109 none");
  EXPECT_EQ(Ask(LW_SERVICE_COPY_BLOCK, {Block(reinterpret_cast<LwBlockHandle>(&make))}),
            "109 none");
}

// Appending stops at 255 characters; overlapping copies are allowed. The error service shows
// the error box; a save path longer than a text is no choice, and leaves the name as it was.
TEST_F(ServicesTest, TextErrorAndSaveDialogServices) {
  TitleRun& run =
      Start("answer ok\nchoose /games/save1.rtd\nchoose /" + std::string(300, 'd') + "/long.rtd\n");
  TextBuffer first{}, second{};
  SetText(first, std::string(200, 'a'));
  SetText(second, std::string(100, 'b'));
  EXPECT_EQ(Ask(LW_SERVICE_APPEND_TEXT, {Text(first.data()), Text(second.data())}), "0 none");
  EXPECT_EQ(TextIn(second), std::string(100, 'b') + std::string(155, 'a'));
  SetText(first, "  -42 apples");
  EXPECT_EQ(Ask(LW_SERVICE_TEXT_TO_NUMBER, {Text(first.data())}), "0 number -42");
  SetText(first, "abcdef");
  const LwValue from = Text(first.data() + 1), to = Text(first.data() + 3);
  EXPECT_EQ(Ask(LW_SERVICE_MOVE_MEMORY, {from, to, Number(3)}), "0 none");
  EXPECT_EQ(TextIn(first), "ababcf");
  EXPECT_EQ(Ask(LW_SERVICE_MOVE_MEMORY, {from, to, Number(-1)}), "109 none");

  EXPECT_EQ(Ask(LW_SERVICE_REPORT_ERROR, {Number(1), Number(2)}), "0 none");
  EXPECT_EQ(run.Boxes(), UndefinedErrorLine(4803));
  TextBuffer path{}, name{};
  LwParameterBlock save = Request(LW_SERVICE_SAVE_DIALOG, {Text(path.data()), Text(name.data())});
  EXPECT_EQ(Ask({&save}), "0 number 1");
  EXPECT_EQ(TextIn(path) + " " + TextIn(name), "/games/save1.rtd save1.rtd");
  EXPECT_EQ(Ask({&save}), "0 number 0");
  EXPECT_EQ(TextIn(name), "save1.rtd");
  EXPECT_TRUE(platform().fileDialogs()[0].save);
}

// Stand-in plug-ins for the opening and closing rules, chosen by file name: "First" asks to run
// a script line while it opens, "Second" leaves a number in the result of its close, and the
// others give no name or refuse to open.
int gReleased = 0;
std::int16_t gEvaluateAnswer = 0;
bool gReleaseFails = false;  // whether the stand-ins' loader refuses to release them
unsigned char gFirst[] = "\005First", gSecond[] = "\006Second", gRefuser[] = "\007Refuser";

std::int16_t NamedProc(LwParameterBlock* block, LwServiceEntry service) {
  if (block->code != LW_CALL_OPEN) return LW_RESULT_OK;
  TextBuffer line{};
  SetText(line, "1");
  LwParameterBlock ask = Request(LW_SERVICE_EVALUATE, {Text(line.data())});
  gEvaluateAnswer = service(&ask);
  block->result = Text(gFirst);
  return LW_RESULT_OK;
}
std::int16_t NamelessProc(LwParameterBlock*, LwServiceEntry) { return LW_RESULT_OK; }
std::int16_t RefusingProc(LwParameterBlock* block, LwServiceEntry) {
  block->result = Text(gRefuser);
  return 1;
}
std::int16_t UntidyProc(LwParameterBlock* block, LwServiceEntry) {
  block->result = block->code == LW_CALL_OPEN ? Text(gSecond) : Number(0);
  return LW_RESULT_OK;
}

// Counts its releases, a release in the destructor included.
class StandInLibrary final : public platform::SharedLibrary {
 public:
  explicit StandInLibrary(LwPlugProc proc) : proc_(proc) {}
  ~StandInLibrary() override { gReleased += released_ ? 0 : 1; }
  bool release() override {
    released_ = true;
    ++gReleased;
    return !gReleaseFails;
  }
  void* symbol(const char* name) override {
    const bool entry = proc_ != nullptr && std::strcmp(name, kPluginEntryName) == 0;
    return entry ? reinterpret_cast<void*>(proc_) : nullptr;
  }

 private:
  LwPlugProc proc_;
  bool released_ = false;
};

// Nameless, refusing and entry-less libraries go at once; g_named.dll is not looked at. At the
// close the untidy plug-in is reported, and so is every library the loader keeps.
TEST_F(SamplePluginTest, OnlyNamedPluginsAreKeptInNameOrderAndEveryLibraryIsReleased) {
  const std::map<std::string, LwPlugProc> procs = {
      {"a_untidy.SO", UntidyProc},     {"b_named.so", NamedProc},  {"c_nameless.so", NamelessProc},
      {"d_refusing.so", RefusingProc}, {"e_no_entry.so", nullptr}, {"f_named.so", NamedProc},
      {"g_named.dll", NamedProc}};
  for (const auto& [file, proc] : procs) scratch_.writeFile("title/stand-ins/" + file, "");
  Start("answer ok\n");
  gReleased = 0;
  PluginHost host(PluginHostParts{
      .load = [&procs](const std::string& path) -> std::unique_ptr<platform::SharedLibrary> {
        return std::make_unique<StandInLibrary>(
            procs.at(std::filesystem::path(path).filename().string()));
      },
      .files = runtime().files(),
      .errors = runtime().errors(),
      .services = PluginServiceContext{.memory = runtime().memory(),
                                       .errors = runtime().errors(),
                                       .dialogs = runtime().fileDialogs(),
                                       .interpreter = [] { return nullptr; }},
  });
  host.LoadAll("appl:stand-ins:");
  std::string names;
  for (const Plugin& plugin : host.plugins()) names += std::string(plugin.name.view()) + " ";
  EXPECT_EQ(names, "Second First First ");
  EXPECT_EQ(host.FindPlugin("FIRST"), &host.plugins()[1]) << "the first of two namesakes";
  EXPECT_EQ(gReleased, 3);
  EXPECT_EQ(gEvaluateAnswer, LW_RESULT_MISMATCH) << "no script lines before the interpreter";

  gReleaseFails = true;
  host.CloseAll();
  gReleaseFails = false;
  EXPECT_EQ(gReleased, 6);
  EXPECT_TRUE(host.plugins().empty());
  const std::string release = UndefinedErrorLine(4802);
  EXPECT_EQ(run_->Boxes(), UndefinedErrorLine(4801) + release + release + release);
}

}  // namespace
}  // namespace lw::testing

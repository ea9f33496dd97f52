// Plug-ins: loading from the title's plug-in folder, script calls through plugin and pluginfx
// (with the sample plug-in built beside the tests), the services a plug-in reaches, and the
// opening and closing rules (with stand-in libraries).
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <map>

#include "runtime/error_lines.h"
#include "runtime/plugins.h"
#include "script/console.h"
#include "shell/dialogs/boxes.h"
#include "title_fixture.h"

// The build names the sample plug-in; without it every test of the sample fails at its start.
#ifndef LW_SAMPLE_PLUGIN_PATH
#define LW_SAMPLE_PLUGIN_PATH ""
#endif

namespace lw::testing {
namespace {

// The outcome text the message box shows for a script error.
std::string ErrorText(ScriptError error) { return std::string(ScriptErrorMessage(CodeOf(error))); }

// A title whose plug-in folder holds the sample plug-in, a text file and a ".so" that is no
// library, started and ready for script lines.
class SamplePluginTest : public TitleTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::is_regular_file(LW_SAMPLE_PLUGIN_PATH))
        << "the build must define LW_SAMPLE_PLUGIN_PATH as the built sample plug-in";
    const std::filesystem::path folder = scratch_.makeFolder("title/plugins");
    std::filesystem::copy_file(LW_SAMPLE_PLUGIN_PATH, folder / "sample.so");
    scratch_.writeFile("title/plugins/notes.txt", "not a plug-in");
    scratch_.writeFile("title/plugins/broken.so", "not a shared object either");
    UseScript(kRecordingScript);
  }

  // Starts a run with `input`; the plug-ins are loaded then.
  Runtime& Start(std::string_view input = "") {
    run_ = std::make_unique<TitleRun>(title(), input);
    EXPECT_TRUE(run_->runtime().Begin());
    return run_->runtime();
  }
  // The outcome of one message-box line.
  std::string Line(std::string_view line) {
    return RunConsoleLine(*run_->runtime().interpreter(), line);
  }

  std::unique_ptr<TitleRun> run_;
};

TEST_F(SamplePluginTest, OnlyTheRealLibraryIsLoadedAndItClosesCleanly) {
  Runtime& runtime = Start();
  ASSERT_EQ(runtime.plugins()->plugins().size(), 1u)
      << "sample.so did not load (is the scratch folder on a noexec mount?)";
  EXPECT_EQ(runtime.plugins()->plugins()[0].name.view(), "Sample");
  EXPECT_EQ(runtime.plugins()->services().blockCount(), 1u) << "its counter block";
  EXPECT_EQ(runtime.End(), Runtime::kExitOk);
  EXPECT_TRUE(run_->platform().boxes().empty()) << "skipped files and the close are silent";
}

TEST_F(SamplePluginTest, NumbersAndTextsRoundTripWhateverTheCaseOfTheName) {
  Start();
  EXPECT_EQ(Line("pluginfx(\"SAMPLE\", \"add\", 2, 40)"), "42");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"double\", -21)"), "-42");
  EXPECT_EQ(Line("pluginfx(\"Sample\", \"upper\", \"mixed Case 7\")"), "\"MIXED CASE 7\"");
  EXPECT_EQ(Line("pluginfx(\"sAmPlE\", \"greet\", \"Ann\")"), "\"Hello, Ann!\"");
  EXPECT_EQ(Line("plugin(\"sample\", \"nothing\")"), "OK");
  run_->runtime().End();
}

TEST_F(SamplePluginTest, ScriptsCallPluginsFromTheirHandlers) {
  UseScript(
      "code boot()\n"
      "\tglobal total, size\n"
      "\ttotal = pluginfx(\"sample\", \"add\", pluginfx(\"sample\", \"double\", 5), 1)\n"
      "\tsize = stringlength(pluginfx(\"sample\", \"greet\", \"Bo\"))\n"
      "\tplugin(\"sample\", \"nothing\")\n"
      "endcode\n");
  TitleRun run(title(), "");
  ASSERT_TRUE(run.runtime().Begin());
  run.runtime().loop().Pass();
  EXPECT_EQ(run.Global("total"), 11);
  EXPECT_EQ(run.Global("size"), 10);
  EXPECT_FALSE(run.runtime().interpreter()->errorPending());
  run.runtime().End();
}

TEST_F(SamplePluginTest, BadCallsGiveTheirScriptErrors) {
  Start();
  EXPECT_EQ(Line("plugin(\"sample\", \"double\", 2)"),
            ErrorText(ScriptError::FunctionsMustReturnValue));
  EXPECT_EQ(Line("pluginfx(\"sample\", \"nothing\")"),
            ErrorText(ScriptError::CommandsCantReturnValue));
  EXPECT_EQ(Line("pluginfx(\"nosuch\", \"add\", 1, 2)"), ErrorText(ScriptError::NoSuchObject));
  EXPECT_EQ(Line("pluginfx(\"sample.so\", \"add\", 1, 2)"), ErrorText(ScriptError::NoSuchObject));
  EXPECT_EQ(Line("pluginfx(5, \"add\", 1, 2)"), ErrorText(ScriptError::BadArgumentType));
  EXPECT_EQ(Line("pluginfx(\"sample\", \"add\", 1 = 1, 2)"),
            ErrorText(ScriptError::BadArgumentType));
  EXPECT_EQ(Line("pluginfx(\"sample\", \"fail\", 51)"),
            ErrorText(ScriptError::PluginReturnedError));
  EXPECT_EQ(Line("pluginfx(\"sample\", \"unknown\")"), ErrorText(static_cast<ScriptError>(109)));
  // Four arguments at most, each after a comma; the plug-in is not called otherwise.
  EXPECT_EQ(Line("pluginfx(\"sample\", \"add\", 1, 2, 3)"), "3");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"count\", 1, 2, 3, 4)"),
            ErrorText(ScriptError::ExpectedParen));
  EXPECT_EQ(Line("pluginfx(\"sample\", \"count\" 1)"), ErrorText(ScriptError::ExpectedParen));
  EXPECT_EQ(Line("pluginfx(\"sample\", \"count\")"), "1") << "no earlier call reached it";
  EXPECT_EQ(run_->runtime().interpreter()->strings().slotsInUse(), 0);
  run_->runtime().End();
}

TEST_F(SamplePluginTest, TheSamplePluginsServicesAnswer) {
  Runtime& runtime = Start("choose /stories/tale.txt\nchoose cancel\n");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"eval\", \"6 * 7\")"), "\"42\"");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"eval\", \"1 / 0\")"),
            "\"" + ErrorText(ScriptError::DivideByZero) + "\"");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"numtext\", -123)"), "\"-123\"");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"count\")"), "1");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"count\")"), "2");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"probe\")"), "109");

  runtime.memory().overrideAvailable(150);
  EXPECT_EQ(Line("pluginfx(\"sample\", \"memory\")"), "150");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"block\", 70)"), "140");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"block\", 100)"), "-1") << "200 bytes are not free";
  EXPECT_EQ(runtime.plugins()->services().blockCount(), 1u) << "the checks freed theirs";

  EXPECT_EQ(Line("pluginfx(\"sample\", \"choose\")"), "\"tale.txt\"");
  EXPECT_EQ(Line("pluginfx(\"sample\", \"choose\")"), "\"\"");
  ASSERT_EQ(run_->platform().fileDialogs().size(), 2u);
  EXPECT_FALSE(run_->platform().fileDialogs()[0].save);
  runtime.End();
}

// Services asked directly, as any plug-in could ask them.
class ServicesTest : public SamplePluginTest {
 protected:
  std::int16_t Ask(LwParameterBlock& block) {
    return run_->runtime().plugins()->services().Answer(block);
  }
  // Sets slot `i` of `block` to a text buffer.
  static void TextArgument(LwParameterBlock& block, int i, unsigned char* text) {
    block.arguments[i].type = LW_TYPE_TEXT;
    block.arguments[i].value.text = text;
  }
  static void NumberArgument(LwParameterBlock& block, int i, std::int32_t n) {
    block.arguments[i].type = LW_TYPE_NUMBER;
    block.arguments[i].value.number = n;
  }
  static void BlockArgument(LwParameterBlock& block, LwBlockHandle handle) {
    block.arguments[0].type = LW_TYPE_BLOCK;
    block.arguments[0].value.block = handle;
  }
  static std::string TextIn(const unsigned char* text) {
    return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
  }
  static void SetText(unsigned char* text, std::string_view chars) {
    text[0] = static_cast<unsigned char>(chars.size());
    std::memcpy(text + 1, chars.data(), chars.size());
  }
};

TEST_F(ServicesTest, WrongCodesAndArgumentTypesAreRefusedWithTheResultCleared) {
  Start();
  for (std::int16_t code : {499, 517, 2}) {
    LwParameterBlock block = EmptyParameterBlock(code);
    block.result.type = LW_TYPE_NUMBER;
    EXPECT_EQ(Ask(block), LW_RESULT_MISMATCH) << code;
    EXPECT_EQ(block.result.type, LW_TYPE_NONE) << code;
  }
  LwParameterBlock extra = EmptyParameterBlock(LW_SERVICE_FREE_MEMORY);
  NumberArgument(extra, 3, 1);
  EXPECT_EQ(Ask(extra), LW_RESULT_MISMATCH) << "unlisted slots must be none";
  LwParameterBlock nullText = EmptyParameterBlock(LW_SERVICE_TEXT_TO_NUMBER);
  TextArgument(nullText, 0, nullptr);
  EXPECT_EQ(Ask(nullText), LW_RESULT_MISMATCH);
  LwParameterBlock outside = EmptyParameterBlock(LW_SERVICE_FREE_MEMORY);
  EXPECT_EQ(LwRuntimeServiceEntry(&outside), LW_RESULT_MISMATCH) << "no plug-in call runs";
  run_->runtime().End();
}

TEST_F(ServicesTest, BlocksAreCheckedByHandleAndLockedBlocksStayPut) {
  Start();
  LwParameterBlock make = EmptyParameterBlock(LW_SERVICE_NEW_BLOCK);
  NumberArgument(make, 0, 0);
  ASSERT_EQ(Ask(make), LW_RESULT_OK);
  ASSERT_EQ(make.result.type, LW_TYPE_BLOCK);
  const LwBlockHandle handle = make.result.value.block;

  LwParameterBlock size = EmptyParameterBlock(LW_SERVICE_BLOCK_SIZE);
  BlockArgument(size, handle);
  ASSERT_EQ(Ask(size), LW_RESULT_OK);
  EXPECT_EQ(size.result.value.number, 1) << "a block has at least one byte";

  LwParameterBlock lock = EmptyParameterBlock(LW_SERVICE_LOCK_BLOCK);
  BlockArgument(lock, handle);
  ASSERT_EQ(Ask(lock), LW_RESULT_OK);
  LwParameterBlock resize = EmptyParameterBlock(LW_SERVICE_RESIZE_BLOCK);
  BlockArgument(resize, handle);
  NumberArgument(resize, 1, 64);
  EXPECT_EQ(Ask(resize), LW_RESULT_MISMATCH) << "a locked block cannot move";
  LwParameterBlock unlock = EmptyParameterBlock(LW_SERVICE_UNLOCK_BLOCK);
  BlockArgument(unlock, handle);
  ASSERT_EQ(Ask(unlock), LW_RESULT_OK);
  ASSERT_EQ(Ask(resize), LW_RESULT_OK);
  EXPECT_EQ(resize.result.value.block, handle);
  ASSERT_EQ(Ask(size), LW_RESULT_OK);
  EXPECT_EQ(size.result.value.number, 64);

  LwParameterBlock release = EmptyParameterBlock(LW_SERVICE_FREE_BLOCK);
  BlockArgument(release, handle);
  ASSERT_EQ(Ask(release), LW_RESULT_OK);
  EXPECT_EQ(Ask(release), LW_RESULT_MISMATCH) << "freed twice";
  EXPECT_EQ(Ask(size), LW_RESULT_MISMATCH) << "a freed handle is not followed";
  LwParameterBlock madeUp = EmptyParameterBlock(LW_SERVICE_COPY_BLOCK);
  BlockArgument(madeUp, reinterpret_cast<LwBlockHandle>(&madeUp));
  EXPECT_EQ(Ask(madeUp), LW_RESULT_MISMATCH);
  run_->runtime().End();
}

TEST_F(ServicesTest, TextServicesKeepWithinTheirBuffers) {
  Start();
  std::array<unsigned char, LW_TEXT_BUFFER_SIZE> first{};
  std::array<unsigned char, LW_TEXT_BUFFER_SIZE> second{};
  SetText(first.data(), std::string(200, 'a'));
  SetText(second.data(), std::string(100, 'b'));
  LwParameterBlock append = EmptyParameterBlock(LW_SERVICE_APPEND_TEXT);
  TextArgument(append, 0, first.data());
  TextArgument(append, 1, second.data());
  ASSERT_EQ(Ask(append), LW_RESULT_OK);
  EXPECT_EQ(TextIn(second.data()), std::string(100, 'b') + std::string(155, 'a'));

  SetText(first.data(), "  -42 apples");
  LwParameterBlock read = EmptyParameterBlock(LW_SERVICE_TEXT_TO_NUMBER);
  TextArgument(read, 0, first.data());
  ASSERT_EQ(Ask(read), LW_RESULT_OK);
  EXPECT_EQ(read.result.type, LW_TYPE_NUMBER);
  EXPECT_EQ(read.result.value.number, -42);

  SetText(first.data(), "abcdef");
  LwParameterBlock move = EmptyParameterBlock(LW_SERVICE_MOVE_MEMORY);
  TextArgument(move, 0, first.data() + 1);
  TextArgument(move, 1, first.data() + 3);
  NumberArgument(move, 2, 3);
  ASSERT_EQ(Ask(move), LW_RESULT_OK);
  EXPECT_EQ(TextIn(first.data()), "ababcf") << "overlapping copies are allowed";
  NumberArgument(move, 2, -1);
  EXPECT_EQ(Ask(move), LW_RESULT_MISMATCH);
  run_->runtime().End();
}

TEST_F(ServicesTest, TheErrorServiceShowsTheErrorBoxAndTheSaveDialogGivesPathAndName) {
  Runtime& runtime =
      Start("answer ok\nchoose /games/save1.rtd\nchoose /" + std::string(300, 'd') + "/long.rtd\n");
  LwParameterBlock report = EmptyParameterBlock(LW_SERVICE_REPORT_ERROR);
  NumberArgument(report, 0, 1);
  NumberArgument(report, 1, 2);
  ASSERT_EQ(Ask(report), LW_RESULT_OK);
  ASSERT_EQ(run_->platform().boxes().size(), 1u);
  EXPECT_EQ(run_->platform().boxes()[0].text,
            WrapForBox(runtime.errors().ComposeMessage(
                kRuntimeProgramCode, errline::kPluginReportedError, runtime.lastError().get())));

  std::array<unsigned char, LW_TEXT_BUFFER_SIZE> path{};
  std::array<unsigned char, LW_TEXT_BUFFER_SIZE> name{};
  LwParameterBlock save = EmptyParameterBlock(LW_SERVICE_SAVE_DIALOG);
  TextArgument(save, 0, path.data());
  TextArgument(save, 1, name.data());
  ASSERT_EQ(Ask(save), LW_RESULT_OK);
  EXPECT_EQ(save.result.value.number, 1);
  EXPECT_EQ(TextIn(path.data()), "/games/save1.rtd");
  EXPECT_EQ(TextIn(name.data()), "save1.rtd");
  ASSERT_EQ(Ask(save), LW_RESULT_OK);
  EXPECT_EQ(save.result.value.number, 0) << "a path longer than a text is no choice";
  EXPECT_EQ(TextIn(name.data()), "save1.rtd");
  EXPECT_TRUE(run_->platform().fileDialogs()[0].save);
  runtime.End();
}

// Stand-in plug-ins for the opening and closing rules, chosen by file name.
int gReleased = 0;
std::int16_t gEvaluateAnswer = 0;

std::int16_t NamedProc(LwParameterBlock* block, LwServiceEntry service) {
  static unsigned char name[] = "\005First";
  if (block->code == LW_CALL_OPEN) {
    std::array<unsigned char, LW_TEXT_BUFFER_SIZE> line{};
    line[0] = 1;
    line[1] = '1';
    LwParameterBlock ask = EmptyParameterBlock(LW_SERVICE_EVALUATE);
    ask.arguments[0].type = LW_TYPE_TEXT;
    ask.arguments[0].value.text = line.data();
    gEvaluateAnswer = service(&ask);
    block->result.type = LW_TYPE_TEXT;
    block->result.value.text = name;
  }
  return LW_RESULT_OK;
}

std::int16_t NamelessProc(LwParameterBlock* /*block*/, LwServiceEntry /*service*/) {
  return LW_RESULT_OK;
}

std::int16_t RefusingProc(LwParameterBlock* block, LwServiceEntry /*service*/) {
  static unsigned char name[] = "\007Refuser";
  block->result.type = LW_TYPE_TEXT;
  block->result.value.text = name;
  return 1;
}

// Opens as "Second"; its close leaves a number in the result.
std::int16_t UntidyProc(LwParameterBlock* block, LwServiceEntry /*service*/) {
  static unsigned char name[] = "\006Second";
  if (block->code == LW_CALL_OPEN) {
    block->result.type = LW_TYPE_TEXT;
    block->result.value.text = name;
  } else {
    block->result.type = LW_TYPE_NUMBER;
  }
  return LW_RESULT_OK;
}

// Whether the stand-ins' loader refuses to release them.
bool gReleaseFails = false;

class StandInLibrary final : public platform::SharedLibrary {
 public:
  explicit StandInLibrary(LwPlugProc proc) : proc_(proc) {}
  ~StandInLibrary() override {
    if (!released_) ++gReleased;
  }
  bool release() override {
    released_ = true;
    ++gReleased;
    return !gReleaseFails;
  }
  void* symbol(const char* name) override {
    return proc_ != nullptr && std::strcmp(name, kPluginEntryName) == 0
               ? reinterpret_cast<void*>(proc_)
               : nullptr;
  }

 private:
  LwPlugProc proc_;
  bool released_ = false;
};

class PluginHostTest : public SamplePluginTest {};

TEST_F(PluginHostTest, OnlyNamedPluginsAreKeptInNameOrderAndEveryLibraryIsReleased) {
  const std::map<std::string, LwPlugProc> procs = {
      {"a_untidy.SO", UntidyProc},     {"b_named.so", NamedProc},  {"c_nameless.so", NamelessProc},
      {"d_refusing.so", RefusingProc}, {"e_no_entry.so", nullptr}, {"f_named.so", NamedProc},
      {"g_named.dll", NamedProc}};
  for (const auto& [file, proc] : procs) scratch_.writeFile("title/stand-ins/" + file, "");
  Runtime& runtime = Start("answer ok\n");
  gReleased = 0;
  PluginHost host(PluginHostParts{
      .load = [&procs](const std::string& path) -> std::unique_ptr<platform::SharedLibrary> {
        return std::make_unique<StandInLibrary>(
            procs.at(std::filesystem::path(path).filename().string()));
      },
      .files = runtime.files(),
      .errors = runtime.errors(),
      .services = PluginServiceContext{.memory = runtime.memory(),
                                       .errors = runtime.errors(),
                                       .dialogs = runtime.fileDialogs(),
                                       .interpreter = [] { return nullptr; }},
  });
  host.LoadAll("appl:stand-ins:");
  ASSERT_EQ(host.plugins().size(), 3u);
  EXPECT_EQ(host.plugins()[0].name.view(), "Second");
  EXPECT_EQ(host.plugins()[1].name.view(), "First");
  EXPECT_EQ(host.plugins()[2].name.view(), "First") << "f_named.so; g_named.dll is not looked at";
  EXPECT_EQ(host.FindPlugin("FIRST"), &host.plugins()[1]) << "the first of two namesakes";
  EXPECT_EQ(gReleased, 3) << "nameless, refusing and entry-less libraries go at once";
  EXPECT_EQ(gEvaluateAnswer, LW_RESULT_MISMATCH) << "no script lines before the interpreter";

  // Closing: the untidy close is reported, and so is every library the loader keeps.
  gReleaseFails = true;
  host.CloseAll();
  gReleaseFails = false;
  EXPECT_EQ(gReleased, 6);
  EXPECT_TRUE(host.plugins().empty());
  const auto boxText = [&runtime](std::int16_t line) {
    return WrapForBox(
        runtime.errors().ComposeMessage(kRuntimeProgramCode, line, runtime.lastError().get()));
  };
  ASSERT_EQ(run_->platform().boxes().size(), 4u);
  EXPECT_EQ(run_->platform().boxes()[0].text, boxText(errline::kPluginClose));
  for (std::size_t i = 1; i < 4; ++i)
    EXPECT_EQ(run_->platform().boxes()[i].text, boxText(errline::kPluginRelease));
  runtime.End();
}

}  // namespace
}  // namespace lw::testing

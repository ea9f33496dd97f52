#include "support/runtime_title.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "apps/titlekit/commands.h"

namespace lw::testing {

const std::string_view kRecordingScript =
    "code boot()\n\tglobal idles, failidle\n\tidles = 0\n\tfailidle = 0\nendcode\n"
    "code idle()\n\tglobal idles, failidle\n\tlocal broken\n\tidles = idles + 1\n"
    "\tif failidle > 0\n\t\tfailidle = failidle - 1\n\t\tbroken = 1 / 0\n\tendif\nendcode\n"
    "code keydown(key)\n\tglobal failidle\n\tif key = \"f\"\n\t\tfailidle = 2\n\tendif\n"
    "endcode\n"
    "code keyrepeat(key)\nendcode\ncode mousedown(where)\nendcode\n"
    "code menustate()\nendcode\ncode menuselect(item)\nendcode\n";

// The source lies beside the title folder, where no title looks for files.
void WriteBootFile(const std::filesystem::path& title, std::string_view source) {
  std::filesystem::path sourceFile = title.lexically_normal();
  if (!sourceFile.has_filename()) sourceFile = sourceFile.parent_path();
  sourceFile += ".lws";
  const std::string sourcePath = sourceFile.string();
  const std::string bootPath = (title / "bootfile").string();
  std::ofstream(sourcePath, std::ios::binary)
      .write(source.data(), static_cast<std::streamsize>(source.size()));
  const std::array<std::string_view, 3> args = {sourcePath, "-o", bootPath};
  ASSERT_EQ(titlekit::RunBootfileCommand(args), titlekit::kExitOk) << source;
}

TitleRun::TitleRun(const std::filesystem::path& title, std::string_view input,
                   const std::function<void(RuntimeOptions&)>& adjust) {
  auto script = platform::ParseInputScript(input, "input");
  EXPECT_TRUE(script.ok()) << (script.ok() ? "" : script.error());
  platform_ = std::make_unique<platform::HeadlessPlatform>(
      script.ok() ? std::move(script).value() : platform::InputScript{}, fonts_, nullptr);
  RuntimeOptions options;
  options.titleFolder = title;
  options.trace = [this](std::string_view call) { calls.emplace_back(call); };
  options.inputFinished = [this] { return platform_->scriptFinished(); };
  if (adjust) adjust(options);
  runtime_ = std::make_unique<Runtime>(*platform_, std::move(options));
}

TitleRun::~TitleRun() {
  if (begun_) End();
}

bool TitleRun::Begin() {
  begun_ = runtime_->Begin();
  return begun_;
}

void TitleRun::Passes(int count) {
  for (int pass = 0; pass < count; ++pass) runtime_->loop().Pass();
}

int TitleRun::End() {
  begun_ = false;
  return runtime_->End();
}

std::int32_t TitleRun::Global(std::string_view name) {
  if (runtime_->interpreter() == nullptr) {
    ADD_FAILURE() << name << ": the run has not begun or has ended";
    return 0;
  }
  Interpreter& in = *runtime_->interpreter();
  int index = 0;
  Value value;
  EXPECT_FALSE(Failed(in.globals().find(name, nullptr, index))) << name;
  EXPECT_FALSE(Failed(in.globals().get(index, in.strings(), value))) << name;
  return value.payload;
}

std::vector<std::string> TitleTest::CallsOf(std::string_view input) {
  UseScript(kRecordingScript);
  TitleRun run(title_, input);
  EXPECT_EQ(run.Run(), Runtime::kExitOk);
  return run.calls;
}

std::string BoxLines(const std::vector<BoxRequest>& boxes) {
  constexpr std::array<std::string_view, 4> kIcons = {"stop", "exclamation", "information",
                                                      "question"};
  std::string lines;
  for (const BoxRequest& box : boxes) {
    std::string buttons;
    for (const BoxAnswer button : ButtonsOf(box.buttons)) {
      buttons += (buttons.empty() ? "" : "/") + std::string(AnswerLabel(button));
    }
    std::string text = box.text;
    std::replace(text.begin(), text.end(), '\n', ' ');
    lines += box.caption + " (" + std::string(kIcons[static_cast<std::size_t>(box.icon)]) + ") [" +
             buttons + "] " + text + "\n";
  }
  return lines;
}

std::string FatalBoxLine(std::string_view text) {
  return "Fatal Error (stop) [OK/Cancel] " + std::string(text) + "\n";
}

}  // namespace lw::testing

#include "support/runtime_title.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

#include "apps/titlekit/commands.h"
#include "script/console.h"

namespace lw::testing {
namespace {

constexpr int kPassesToPresent = 2;
constexpr int kMaxSettlePasses = 100000;

}  // namespace

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
                   const std::function<void(RuntimeOptions&)>& adjust,
                   const std::filesystem::path& audioOut, int audioOutBytes) {
  auto script = platform::ParseInputScript(input, "input");
  EXPECT_TRUE(script.ok()) << (script.ok() ? "" : script.error());
  std::unique_ptr<platform::WavCapture> capture;
  if (!audioOut.empty()) {
    auto made = platform::WavCapture::Create(audioOut.string(), audioOutBytes);
    EXPECT_TRUE(made.ok()) << (made.ok() ? "" : made.error());
    if (made.ok()) capture = std::move(made).value();
  }
  platform_ = std::make_unique<platform::HeadlessPlatform>(
      script.ok() ? std::move(script).value() : platform::InputScript{}, fonts_, nullptr,
      std::move(capture));
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

int TitleRun::End() {
  begun_ = false;
  return runtime_->End();
}

std::string TitleRun::Calls() const {
  std::string joined;
  for (const std::string& call : calls) joined += (joined.empty() ? "" : " ") + call;
  return joined;
}

std::string TitleRun::Boxes() const {
  constexpr std::array<std::string_view, 4> kIcons = {"stop", "exclamation", "information",
                                                      "question"};
  std::string lines;
  for (const BoxRequest& box : platform_->boxes()) {
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

std::string TitleRun::Eval(std::string_view line) {
  Interpreter& in = *runtime_->interpreter();
  in.beginPass();
  return RunConsoleLine(in, line);
}

void TitleRun::Expect(std::initializer_list<LineRow> rows, const LineProbe& probe) {
  std::string expected, actual;
  for (const LineRow& row : rows) {
    std::string outcome = Eval(row.line);
    if (probe) outcome += " | " + probe();
    expected += std::string(row.line) + " -> " + std::string(row.expected) + "\n";
    actual += std::string(row.line) + " -> " + outcome + "\n";
  }
  EXPECT_EQ(actual, expected);
}

void TitleRun::RunUntilTick(std::uint64_t tick) {
  while (platform_->ticks() < tick) runtime_->loop().Pass();
}

void TitleRun::Settle() {
  for (int pass = 0; pass < kMaxSettlePasses; ++pass) {
    if (platform_->scriptFinished() && runtime_->windows().queue().count() == 0) break;
    runtime_->loop().Pass();
  }
  for (int pass = 0; pass < kPassesToPresent; ++pass) runtime_->loop().Pass();
}

void TitleRun::FillScreen(std::uint8_t index) {
  Screen& screen = runtime_->screen();
  Surface& canvas = screen.canvas();
  for (int y = 0; y < canvas.height(); ++y)
    std::memset(canvas.row(y), index, static_cast<std::size_t>(canvas.width()));
  screen.markDirty(screen.rect());
}

void TitleRun::FlushAudio() {
  const std::optional<std::string> error = platform_->flushAudioCapture();
  EXPECT_FALSE(error.has_value()) << error.value_or("");
}

TitleRun& TitleTest::Boot(std::string_view script, std::string_view input,
                          const std::function<void(RuntimeOptions&)>& adjust) {
  UseScript(script);
  run_ = std::make_unique<TitleRun>(title_, input, adjust, audioOut_, audioOutBytes_);
  EXPECT_TRUE(run_->Begin());
  return *run_;
}

std::string TitleTest::CallsOf(std::string_view input, std::string_view script) {
  UseScript(script);
  TitleRun run(title_, input);
  EXPECT_EQ(run.Run(), Runtime::kExitOk) << input;
  return run.Calls();
}

std::string FatalBoxLine(std::string_view text) {
  return "Fatal Error (stop) [OK/Cancel] " + std::string(text) + "\n";
}

std::string UndefinedErrorLine(int line) {
  return FatalBoxLine("Undefined error at line " + std::to_string(line) +
                      " (code 0).  Select Ok to continue, or Cancel to quit title.");
}

}  // namespace lw::testing

// Test titles for the runtime: a title folder in a scratch folder with a boot file made from a
// system script source, and a headless run of it whose handler calls are recorded through the
// trace.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "media/star_library.h"
#include "platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "script/tokenizer.h"
#include "shell/dialogs/boxes.h"
#include "support/shell_fake_platform.h"
#include "support/temp_folder.h"

namespace lw::testing {

// Writes a boot file at `path`: an empty record 0 and the compiled `source` (LF line ends) as
// record 1, as `titlekit bootfile` makes it.
inline void WriteBootFile(const std::filesystem::path& path, std::string_view source) {
  std::string text(source);
  for (char& c : text) {
    if (c == '\n') c = '\r';
  }
  auto script = CompileScriptText(text);
  ASSERT_TRUE(script.ok()) << "the test script does not compile";
  TerminalBoxes boxes(nullptr);
  MessageTexts texts;
  LastPlatformError lastError;
  VolumeMap volumes;
  FileAccess files(volumes, boxes, texts, lastError);
  ErrorReporter errors(boxes, texts, lastError);
  StampCounter stamps;
  StarLibrary library(files, errors, stamps, [] { return std::uint64_t{1} << 32; });
  ASSERT_FALSE(Failed(
      StarFile::Create(files, path.string(), 2, FourCharCode("STAR"), FourCharCode("LWRT"))));
  StarFile* file = nullptr;
  ASSERT_FALSE(Failed(library.StarOpen(path.string(), file)));
  std::int32_t id = 0;
  ASSERT_FALSE(Failed(library.StarAddResource(*file, {}, id)));
  const std::vector<std::uint8_t> bytes = script->ToBytes();
  ASSERT_FALSE(Failed(library.StarAddResource(*file, bytes, id)));
  ASSERT_EQ(id, 1);
  ASSERT_FALSE(Failed(library.StarClose(*file)));
}

// A system script that answers every handler the runtime calls, counts its idle() runs in the
// global `idles`, and makes the next `failidle` idle() runs fail after counting.
inline constexpr std::string_view kRecordingScript =
    "code boot()\n"
    "\tglobal idles, failidle\n"
    "\tidles = 0\n"
    "\tfailidle = 0\n"
    "endcode\n"
    "code idle()\n"
    "\tglobal idles, failidle\n"
    "\tlocal broken\n"
    "\tidles = idles + 1\n"
    "\tif failidle > 0\n"
    "\t\tfailidle = failidle - 1\n"
    "\t\tbroken = 1 / 0\n"
    "\tendif\n"
    "endcode\n"
    "code keydown(key)\n"
    "\tglobal failidle\n"
    "\tif key = \"f\"\n"
    "\t\tfailidle = 2\n"
    "\tendif\n"
    "endcode\n"
    "code keyrepeat(key)\n"
    "endcode\n"
    "code mousedown(where)\n"
    "endcode\n"
    "code menustate()\n"
    "endcode\n"
    "code menuselect(item)\n"
    "endcode\n";

// One headless run of a title folder: the runtime over a headless platform playing `input`,
// with every handler call recorded.
class TitleRun {
 public:
  TitleRun(const std::filesystem::path& title, std::string_view input,
           const std::function<void(RuntimeOptions&)>& adjust = {}) {
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

  // The whole run; its exit status.
  int Run() { return runtime_->Run(); }

  [[nodiscard]] Runtime& runtime() { return *runtime_; }
  [[nodiscard]] platform::HeadlessPlatform& platform() { return *platform_; }

  // The number in global `name` of the running title.
  [[nodiscard]] std::int32_t Global(std::string_view name) {
    Interpreter& in = *runtime_->interpreter();
    int index = 0;
    Value value;
    EXPECT_FALSE(Failed(in.globals().find(name, nullptr, index))) << name;
    EXPECT_FALSE(Failed(in.globals().get(index, in.strings(), value))) << name;
    return value.payload;
  }

  std::vector<std::string> calls;

 private:
  BlockFonts fonts_;
  std::unique_ptr<platform::HeadlessPlatform> platform_;
  std::unique_ptr<Runtime> runtime_;
};

// A scratch title folder named "title" with the recording script as its boot file.
class TitleTest : public ::testing::Test {
 protected:
  TitleTest() : title_(scratch_.makeFolder("title")) {}

  void UseScript(std::string_view source) { WriteBootFile(title_ / "bootfile", source); }
  [[nodiscard]] const std::filesystem::path& title() const { return title_; }

  // The calls of a whole run of the recording script with `input`, boot() first.
  std::vector<std::string> CallsOf(std::string_view input) {
    UseScript(kRecordingScript);
    TitleRun run(title_, input);
    EXPECT_EQ(run.Run(), Runtime::kExitOk);
    return run.calls;
  }

  test::TempFolder scratch_;
  std::filesystem::path title_;
};

}  // namespace lw::testing

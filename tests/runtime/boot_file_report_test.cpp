// What the fatal box names when the boot file is there but is no usable star file: the star
// layer's own fault at the boot's site, whatever the probes before it (the plug-in folder
// listing, a missing plug-in folder, the file locator) happened to miss.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "shell/message_texts.h"
#include "title_fixture.h"

namespace lw::testing {
namespace {

class BootFileReportTest : public TitleTest {
 protected:
  // Overwrites four bytes of the boot file at `offset` with `value`, little-endian.
  void PatchBootFile(std::streamoff offset, std::uint32_t value) {
    std::fstream file(title() / "bootfile", std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(offset);
    for (int i = 0; i < 4; ++i) file.put(static_cast<char>(value >> (8 * i)));
  }
};

TEST_F(BootFileReportTest, TheStarFaultAtTheBootSiteWhateverTheProbesMissed) {
  const std::string wrongVersion = "Bad star file version at line 5208 (code 0)";
  const struct {
    const char* name;
    std::function<void()> make;
    std::string text;
  } cases[] = {
      {"wrong version", [this] { PatchBootFile(0, 0x00010001); }, wrongVersion},
      {"wrong version beside a plugins folder",
       [this] {
         PatchBootFile(0, 0x00010001);
         scratch_.writeFile("title/plugins/readme.txt", "no plug-in here");
       },
       wrongVersion},
      {"the script source copied in",
       [this] { scratch_.writeFile("title/bootfile", kRecordingScript); }, wrongVersion},
      {"file end one short of the size",
       [this] { std::ofstream(title() / "bootfile", std::ios::app).put('\0'); },
       "Bad star file size at line 5208 (code 0)"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(title());
    std::filesystem::create_directories(title());
    UseScript(kRecordingScript);
    c.make();
    TitleRun run(title(), "answer ok");
    EXPECT_EQ(run.Run(), Runtime::kExitFatalError) << c.name;
    ASSERT_EQ(run.platform().boxes().size(), 1u) << c.name;
    EXPECT_EQ(run.platform().boxes()[0].text,
              WrapForBox(c.text + MessageTexts("title").text(text_id::kContinueOrQuit)))
        << c.name;
  }
}

// The plug-in folder's listing and the file locator's search of the path slots miss as a matter of
// course; neither leaves a platform error for a later report to name.
TEST_F(BootFileReportTest, ProbesLeaveNoPlatformErrorBehind) {
  UseScript(kRecordingScript);
  scratch_.writeFile("title/plugins/readme.txt", "no plug-in here");
  TitleRun run(title(), "");
  Runtime& runtime = run.runtime();
  ASSERT_TRUE(runtime.Begin());
  runtime.plugins()->LoadAll("appl:plugins:");  // a listing that ends
  EXPECT_EQ(runtime.lastError().get(), platform_error::kNone);
  runtime.plugins()->LoadAll("appl:none:");  // no such folder
  EXPECT_EQ(runtime.lastError().get(), platform_error::kNone);
  runtime.pathSlots()->set(1, "appl:");
  std::string path;
  EXPECT_EQ(runtime.fileLocator()->LocateFile("NONE.STR", path), ScriptError::CantFindFile);
  EXPECT_EQ(runtime.lastError().get(), platform_error::kNone);
  runtime.End();
}

}  // namespace
}  // namespace lw::testing

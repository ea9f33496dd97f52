// The fatal reporter: which text a failure gets, the boot file's own site, the error a report
// takes with it, Cancel, and the wrapping of box texts.
#include "shell/error_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "shell/dialogs/boxes.h"
#include "shell/files/file_access.h"
#include "support/common_printers.h"
#include "support/temp_folder.h"

namespace lw {
namespace {

constexpr std::string_view kRest = ".  Select Ok to continue, or Cancel to quit Moss.";

// Boxes that record every request and answer Ok.
struct RecordingBoxes final : BoxPresenter {
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    return BoxAnswer::kOk;
  }
  std::vector<BoxRequest> shown;
};

class ErrorReportTest : public ::testing::Test {
 protected:
  MessageTexts texts_{"Moss"};
  LastPlatformError lastError_;
  RecordingBoxes boxes_;
  ErrorReporter reporter_{boxes_, texts_, lastError_};
};

TEST_F(ErrorReportTest, OnlyTheOwnersBootLineNamesTheBootFileAndAReportTakesItsError) {
  test::TempFolder folder;
  const platform::EmptySystemInfo system;
  VolumeMap volumes(folder.path(), system);
  FileAccess files(volumes, boxes_, texts_, lastError_);
  FileHandle handle = kNoFile;
  const auto missBootFile = [&] {
    ASSERT_EQ(files.FileOpen("appl:bootfile", handle), ProgramCode::kFile);
    reporter_.ReportError(CodeNumber(ProgramCode::kOk), 5200);
  };
  bool restored = false;
  reporter_.setRestoreOnCancel([&] { restored = true; });
  missBootFile();  // no line is the boot file's yet
  reporter_.setBootFileLine(5200);
  missBootFile();
  // No file call since: the next failure has no platform cause.
  reporter_.ReportError(CodeNumber(ProgramCode::kMemory), 5200);
  EXPECT_FALSE(restored);
  const std::string texts[] = {
      "Moss cannot find a file.  Be sure the Moss CD is in your computer's CD-ROM drive (Error "
      "line 5200, code 2)",
      "Moss can't find the file \"BootFile\" in the Moss directory on your hard drive.  Check "
      "your installation and re-install if necessary (Error line 5200, code 2)",
      "Memory error at line 5200 (code 0)",
  };
  ASSERT_EQ(boxes_.shown.size(), std::size(texts));
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    const BoxRequest expected{"Fatal Error", WrapForBox(texts[i] + std::string(kRest)),
                              BoxButtons::kOkCancel, BoxIcon::kStop};
    EXPECT_EQ(test::Print(boxes_.shown[i]), test::Print(expected));
  }
}

TEST_F(ErrorReportTest, ThePlatformErrorChoosesTheTextBeforeTheProgramCode) {
  const struct {
    std::int16_t programCode;
    std::int16_t line;
    std::int32_t platformError;
    std::string_view start;
  } cases[] = {
      {102, 358, 0, "Memory error at line 358 (code 0)"},
      {111, -3, 0, "Bad file type at line -3 (code 0)"},
      {106, 5208, 0, "Bad star file version at line 5208 (code 0)"},
      // Codes without a text of their own, and platform errors without one, are undefined.
      {100, 7, platform_error::kGenericFailure, "Undefined error at line 7 (code 31)"},
      {4242, 7, 0, "Undefined error at line "},
      // Any site but the boot file's that misses a file blames the disc.
      {0, 4711, platform_error::kFileNotFound, "Moss cannot find a file.  Be "},
      {107, 401, platform_error::kNotReady, "Drive not ready error."},
      {107, 1, platform_error::kTooManyOpenFiles, "Moss has run out of file handles."},
      {107, 1, platform_error::kDiskFull, "Disk full."},
      {107, 1, platform_error::kDiskChange, "Disc not found error."},
      {107, 1, platform_error::kInvalidParameter, "Invalid parameter.  The system is"},
  };
  for (const auto& c : cases) {
    const std::string message = reporter_.ComposeMessage(c.programCode, c.line, c.platformError);
    EXPECT_EQ(message.substr(0, c.start.size()), c.start) << c.programCode;
    EXPECT_TRUE(message.ends_with(kRest)) << message;
  }
  EXPECT_NE(reporter_.ComposeMessage(107, 401, 21).find("(Error line 401, code 21)."),
            std::string::npos);
  reporter_.setUnder32BitExtension(true);
  EXPECT_EQ(reporter_.ComposeMessage(107, 1, platform_error::kInvalidParameter).substr(0, 30),
            "Invalid parameter.  Win32s is ");
  // A field the text does not use is left as written.
  EXPECT_EQ(FormatMessageText("line %d, code %ld; %d", 5200, 2), "line 5200, code 2; %d");
}

TEST_F(ErrorReportTest, CancelRestoresTheDisplayShowsTheExitTextAndEnds) {
  const auto cancel = [this] {
    TerminalBoxes boxes(stderr);
    boxes.setPolicy([](const BoxRequest& request) {
      return request.buttons == BoxButtons::kOkCancel ? BoxAnswer::kCancel : BoxAnswer::kOk;
    });
    ErrorReporter reporter(boxes, texts_, lastError_);
    reporter.setRestoreOnCancel([] { std::fputs("display restored\n", stderr); });
    reporter.ReportError(102, 358);
  };
  EXPECT_EXIT(cancel(), ::testing::ExitedWithCode(EXIT_FAILURE),
              "Memory error at line 358(.|\n)*display restored(.|\n)*Exiting due to a fatal error");
}

TEST(WrapForBoxTest, BreaksAtTheLastSpaceOfAFullLine) {
  const std::string x40(40, 'x'), a30(30, 'a'), a34(34, 'a'), b20(20, 'b'), c20(20, 'c');
  const std::pair<std::string, std::string> cases[] = {
      {"short text", "short text"},
      {x40, x40},
      {x40 + "yz", x40 + "\nyz"},  // no space in the line: cut at 40
      // The spaces after the break are skipped.
      {"aaaa bbbb cccc dddd eeee ffff gggg hhhh   iiii jjjj",
       "aaaa bbbb cccc dddd eeee ffff gggg hhhh\niiii jjjj"},
      {a30 + " " + b20 + " " + c20, a30 + "\n" + b20 + "\n" + c20},
      // The last space of the line is the break, even after another space.
      {a34 + "  bbbbbb", a34 + " \nbbbbbb"},
      {"first line\n" + x40 + " tail", "first line\n" + x40 + "\ntail"},
  };
  for (const auto& [text, wrapped] : cases) EXPECT_EQ(WrapForBox(text), wrapped) << text;
}

}  // namespace
}  // namespace lw

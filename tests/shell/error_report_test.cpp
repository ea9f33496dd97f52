#include "shell/error_report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "shell/boxes.h"
#include "shell/file_access.h"
#include "shell/message_texts.h"
#include "temp_folder.h"

namespace lw {
namespace {

// Boxes that record every request and answer from a list (then the default button).
class RecordingBoxes final : public BoxPresenter {
 public:
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    if (answers.empty()) return DefaultAnswer(request.buttons);
    const BoxAnswer answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::vector<BoxRequest> shown;
  std::vector<BoxAnswer> answers;
};

class ErrorReportTest : public ::testing::Test {
 protected:
  MessageTexts texts_{"Moss"};
  LastPlatformError lastError_;
  RecordingBoxes boxes_;
  ErrorReporter reporter_{boxes_, texts_, lastError_};
};

TEST_F(ErrorReportTest, MissingBootFileNamesTheBootFileWithLineAndCode) {
  test::TempFolder folder;
  VolumeMap volumes(folder.path());
  FileAccess files(volumes, boxes_, texts_, lastError_);
  FileHandle handle = kNoFile;
  ASSERT_EQ(files.FileOpen("appl:bootfile", handle), ProgramCode::kFile);

  reporter_.ReportError(CodeNumber(ProgramCode::kOk), errline::kBootFileOpen);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  const BoxRequest& box = boxes_.shown[0];
  EXPECT_EQ(box.caption, "Fatal Error");
  EXPECT_EQ(box.buttons, BoxButtons::kOkCancel);
  EXPECT_EQ(box.icon, BoxIcon::kStop);
  EXPECT_EQ(
      box.text,
      WrapForBox("Moss can't find the file \"BootFile\" in the Moss directory on your hard drive.  "
                 "Check your installation and re-install if necessary (Error line 5200, code 2)"
                 ".  Select Ok to continue, or Cancel to return to Windows."));

  // Any other site that misses a file blames the disc instead.
  EXPECT_EQ(reporter_.ComposeMessage(0, 4711, platform_error::kFileNotFound).substr(0, 29),
            "Moss cannot find a file.  Be ");
}

TEST_F(ErrorReportTest, ProgramCodeChoosesTheTextWithoutAPlatformError) {
  reporter_.ReportError(CodeNumber(ProgramCode::kMemory), 358);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text,
            "Memory error at line 358 (code 0). \nSelect Ok to continue, or Cancel to\nreturn to "
            "Windows.");

  EXPECT_EQ(
      reporter_.ComposeMessage(111, -3, 0),
      "Bad file type at line -3 (code 0).  Select Ok to continue, or Cancel to return to Windows.");
  // Codes without a text of their own, and platform errors without one, are undefined errors.
  EXPECT_EQ(reporter_.ComposeMessage(100, 7, platform_error::kGenericFailure).substr(0, 40),
            "Undefined error at line 7 (code 31).  Se");
  EXPECT_EQ(reporter_.ComposeMessage(4242, 7, 0).substr(0, 24), "Undefined error at line ");
}

TEST_F(ErrorReportTest, PlatformErrorWinsOverProgramCode) {
  lastError_.set(platform_error::kNotReady);
  reporter_.ReportError(CodeNumber(ProgramCode::kFile), 401);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text.substr(0, 22), "Drive not ready error.");
  EXPECT_NE(reporter_.ComposeMessage(107, 401, 21).find("(Error line 401, code 21)."),
            std::string::npos);

  const struct {
    std::int32_t platformError;
    std::string_view start;
  } cases[] = {
      {platform_error::kTooManyOpenFiles, "Moss has run out of file handles."},
      {platform_error::kOutOfMemory, "Moss has run out of memory."},
      {platform_error::kDiskFull, "Disk full."},
      {platform_error::kDiskChange, "Disc not found error."},
      {platform_error::kInvalidParameter, "Invalid parameter.  Windows is"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(reporter_.ComposeMessage(107, 1, c.platformError).substr(0, c.start.size()), c.start)
        << c.platformError;
  reporter_.setUnder32BitExtension(true);
  EXPECT_EQ(reporter_.ComposeMessage(107, 1, platform_error::kInvalidParameter).substr(0, 30),
            "Invalid parameter.  Win32s is ");
}

TEST_F(ErrorReportTest, OkReturnsWithoutRestoring) {
  bool restored = false;
  reporter_.setRestoreOnCancel([&] { restored = true; });
  boxes_.answers = {BoxAnswer::kOk};
  reporter_.ReportError(102, 1);
  EXPECT_FALSE(restored);
  EXPECT_EQ(boxes_.shown.size(), 1u);
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
  EXPECT_EQ(WrapForBox("short text"), "short text");
  const std::string forty(40, 'x');
  EXPECT_EQ(WrapForBox(forty), forty);
  // No space in the line: cut at 40.
  EXPECT_EQ(WrapForBox(forty + "yz"), forty + "\nyz");
  // Break at the last space inside the 40, skipping the spaces after it.
  EXPECT_EQ(WrapForBox("aaaa bbbb cccc dddd eeee ffff gggg hhhh   iiii jjjj"),
            "aaaa bbbb cccc dddd eeee ffff gggg hhhh\niiii jjjj");
  EXPECT_EQ(
      WrapForBox(std::string(30, 'a') + " " + std::string(20, 'b') + " " + std::string(20, 'c')),
      std::string(30, 'a') + "\n" + std::string(20, 'b') + "\n" + std::string(20, 'c'));
  // The last space of the line is the break, even when the one before it is a space too.
  EXPECT_EQ(WrapForBox(std::string(34, 'a') + "  " + std::string(6, 'b')),
            std::string(34, 'a') + " \n" + std::string(6, 'b'));
  // A line feed already in the text starts a new line.
  EXPECT_EQ(WrapForBox("first line\n" + forty + " tail"), "first line\n" + forty + "\ntail");
}

TEST(MessageTextsTest, TitleNameAndFields) {
  const MessageTexts texts("Orrin");
  EXPECT_EQ(texts.text(145), "Disc Read Error");
  EXPECT_EQ(texts.text(154).substr(0, 45), "Orrin can't find the file \"BootFile\" in the O");
  EXPECT_EQ(texts.text(153), "");
  EXPECT_EQ(texts.text(183), "");
  for (int id : {144, 146, 155, 159, 167})
    EXPECT_EQ(texts.text(id).find("Moss"), std::string::npos) << id;
  EXPECT_EQ(FormatMessageText(texts.text(144), -21).substr(0, 45),
            "Orrin has encountered a disc read error (code");
  EXPECT_NE(FormatMessageText(texts.text(144), -21).find("(code -21)."), std::string::npos);
  EXPECT_EQ(FormatMessageText("line %d, code %ld; %d", 5200, 2), "line 5200, code 2; %d");
}

}  // namespace
}  // namespace lw

// The fatal reporter: which text a failure gets, the boot file's own site, the error a report
// takes with it, Cancel, and the wrapping of box texts; and the title's name in the texts.
#include "shell/error_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "shell/dialogs/boxes.h"
#include "shell/files/file_access.h"
#include "shell/message_texts.h"
#include "support/shell_rig.h"
#include "support/temp_folder.h"

namespace lw::test {
namespace {

constexpr std::string_view kRest = ".  Select Ok to continue, or Cancel to quit Moss.";

// Reports go to the rig's recorded boxes, which answer Ok.
class ErrorReportTest : public ::testing::Test, protected ShellRig {};

TEST_F(ErrorReportTest, OnlyTheOwnersBootLineNamesTheBootFileAndAReportTakesItsError) {
  TempFolder folder;
  const platform::EmptySystemInfo system;
  VolumeMap volumes(folder.path(), system);
  FileAccess files(volumes, reported, texts, lastError);
  FileHandle handle = kNoFile;
  const auto missBootFile = [&] {
    ASSERT_EQ(files.FileOpen("appl:bootfile", handle), ProgramCode::kFile);
    errors.ReportError(CodeNumber(ProgramCode::kOk), 5200);
  };
  bool restored = false;
  errors.setRestoreOnCancel([&] { restored = true; });
  missBootFile();  // no line is the boot file's yet
  errors.setBootFileLine(5200);
  missBootFile();
  // No file call since: the next failure has no platform cause.
  errors.ReportError(CodeNumber(ProgramCode::kMemory), 5200);
  EXPECT_FALSE(restored);
  // Each box: the text with the rest of the question, wrapped, Ok and Cancel and the stop icon.
  std::string expected;
  for (const char* text :
       {"Moss cannot find a file.  Be sure the Moss CD is in your computer's CD-ROM drive (Error "
        "line 5200, code 2)",
        "Moss can't find the file \"BootFile\" in the Moss directory on your hard drive.  Check "
        "your installation and re-install if necessary (Error line 5200, code 2)",
        "Memory error at line 5200 (code 0)"}) {
    expected += Print(BoxRequest{"Fatal Error", WrapForBox(text + std::string(kRest)),
                                 BoxButtons::kOkCancel, BoxIcon::kStop}) +
                " ";
  }
  EXPECT_EQ(Print(reported.shown, " ") + " ", expected);
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
      {107, 1, platform_error::kInvalidParameter, "Invalid parameter.  The system is"},
  };
  for (const auto& c : cases) {
    const std::string message = errors.ComposeMessage(c.programCode, c.line, c.platformError);
    EXPECT_EQ(message.substr(0, c.start.size()), c.start) << c.programCode;
    EXPECT_TRUE(message.ends_with(kRest)) << message;
  }
  EXPECT_NE(errors.ComposeMessage(107, 401, 21).find("(Error line 401, code 21)."),
            std::string::npos);
  errors.setUnder32BitExtension(true);
  EXPECT_EQ(errors.ComposeMessage(107, 1, platform_error::kInvalidParameter).substr(0, 30),
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
    ErrorReporter reporter(boxes, texts, lastError);
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

// The error reporter's tests show the name going into each place of a text; these pin the
// name being taken literally.
TEST(MessageTextsTest, TheTitleNameGoesWhereverATextNamesItAndIsTakenLiterally) {
  EXPECT_EQ(MessageTexts("Orrin").text(122), "Orrin:MOVIES:INTRO.MOV");
  EXPECT_EQ(MessageTexts("Orrin").text(2) + MessageTexts("Orrin").text(-1), "");
  // A name that looks like the placeholder is not expanded again.
  EXPECT_EQ(MessageTexts("{title}x").text(157).substr(0, 25), "{title}x has run out of m");
  EXPECT_EQ(MessageTexts("").text(157).substr(0, 20), " has run out of memo");
  // Fields are filled before the name goes in, so a name holding a field stays as it is.
  const std::string read = MessageTexts("%d").format(144, 23);
  EXPECT_EQ(read.substr(0, 35), "%d has encountered a disc read erro");
  EXPECT_NE(read.find("(code 23)"), std::string::npos);
}

}  // namespace
}  // namespace lw::test

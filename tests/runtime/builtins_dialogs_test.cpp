// The dialog built-ins and drawstring as a title sees them: system scripts on the headless
// platform, whose input script answers the boxes and types into the text-entry dialog, and
// lines typed into the message box of a booted title.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "script/console.h"
#include "title_fixture.h"

namespace lw::testing {
namespace {

constexpr std::uint8_t kGrey = 7;
constexpr std::uint8_t kInk = 0;

class DialogBuiltinsTest : public TitleTest {
 protected:
  // Boots a title with `script`, fills the screen canvas grey and runs loop passes until the
  // input is over.
  TitleRun& Play(std::string_view script, std::string_view input) {
    UseScript(script);
    run_ = std::make_unique<TitleRun>(title(), input);
    Runtime& runtime = run_->runtime();
    EXPECT_TRUE(runtime.Begin());
    Surface& canvas = runtime.screen().canvas();
    for (int y = 0; y < canvas.height(); ++y)
      std::memset(canvas.row(y), kGrey, static_cast<std::size_t>(canvas.width()));
    runtime.screen().markDirty(runtime.screen().rect());
    do {
      runtime.loop().Pass();
    } while (!run_->platform().scriptFinished());
    return *run_;
  }
  ~DialogBuiltinsTest() override {
    if (run_) run_->runtime().End();
  }

  // Runs one line in the message box; the outcome the box shows.
  std::string Eval(std::string_view line) {
    Interpreter& in = *run_->runtime().interpreter();
    in.beginPass();
    return RunConsoleLine(in, line);
  }

  std::unique_ptr<TitleRun> run_;
};

TEST_F(DialogBuiltinsTest, NoteAndQuestionDialogsShowTheirBoxes) {
  Play(
      "code boot()\n\tglobal yes, no\n\tnotedialog(\"Hello there\")\n"
      "\tyes = questiondialog(\"Go on?\")\n\tno = questiondialog(\"Really?\")\nendcode\n",
      "answer ok\nanswer yes\nanswer no");
  const std::vector<BoxRequest>& boxes = run_->platform().boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, "Information");
  EXPECT_EQ(boxes[0].text, "Hello there");
  EXPECT_EQ(boxes[0].buttons, BoxButtons::kOk);
  EXPECT_EQ(boxes[1].caption, "Question");
  EXPECT_EQ(boxes[1].text, "Go on?");
  EXPECT_EQ(boxes[1].buttons, BoxButtons::kYesNo);
  EXPECT_EQ(Eval("yes"), "True");
  EXPECT_EQ(Eval("no"), "False");
}

// The text-entry dialog is drawn over the stage and reads the typed keys: Return answers with
// the field, Escape with the empty text; afterwards the canvas is as it was.
TEST_F(DialogBuiltinsTest, TextDialogTakesTheTypedText) {
  Play(
      "code boot()\n\tglobal typed, kept, cancelled\n"
      "\ttyped = textdialog(\"Your name?\", \"nobody\")\n"
      "\tkept = textdialog(\"Again?\", \"some\")\n"
      "\tcancelled = textdialog(\"Once more?\", \"nobody\")\nendcode\n",
      "wait 10\ntype hello\nkey return\nwait 5\nkey right\ntype thing\nkey return\n"
      "wait 5\ntype xyz\nkey esc");
  EXPECT_EQ(Eval("typed"), "\"hello\"");
  EXPECT_EQ(Eval("kept"), "\"something\"");
  EXPECT_EQ(Eval("cancelled"), "\"\"");
  EXPECT_TRUE(run_->platform().boxes().empty()) << "the dialog is drawn, not answered";
  run_->runtime().screen().present();
  EXPECT_EQ(run_->platform().canvasPixel(320, 240), kGrey);
  EXPECT_EQ(run_->platform().canvasPixel(250, 200), kGrey);
}

// Stage point (h, v) lies at canvas point (64 + h, 48 + v); the test face draws each character
// as a solid box half the size wide and the size high, standing on the baseline.
TEST_F(DialogBuiltinsTest, DrawStringInksTheStageAtThePoint) {
  Play("code boot()\n\tdrawstring(\"AB\", 10 * 65536 + 30, 0, 12)\nendcode\n", "");
  // The message box runs lines outside the stage window's drawing: the stage origin applies.
  EXPECT_EQ(Eval("drawstring(\"C\", 100 * 65536 + 100, 16, 20)"), "OK");
  run_->runtime().screen().present();
  const struct {
    int h, v;
    std::uint8_t index;
  } probes[] = {
      {74, 66, kInk},  {85, 77, kInk},   {73, 70, kGrey},  {86, 70, kGrey},   {74, 65, kGrey},
      {74, 78, kGrey}, {164, 128, kInk}, {173, 147, kInk}, {174, 140, kGrey}, {164, 148, kGrey},
  };
  for (const auto& p : probes)
    EXPECT_EQ(run_->platform().canvasPixel(p.h, p.v), p.index) << p.h << "," << p.v;
  EXPECT_EQ(run_->runtime().stage()->window()->port.originH, 0) << "the drawing pair is closed";
}

TEST_F(DialogBuiltinsTest, WrongArgumentTypesAreRefused) {
  Play(kRecordingScript, "");
  const std::string_view lines[] = {
      "notedialog(1)",
      "questiondialog(true)",
      "textdialog(1, \"a\")",
      "textdialog(\"a\", 2)",
      "drawstring(1, 0, 0, 12)",
      "drawstring(\"a\", \"b\", 0, 12)",
      "drawstring(\"a\", 0, \"x\", 12)",
      "drawstring(\"a\", 0, 0, true)",
  };
  for (const std::string_view line : lines)
    EXPECT_EQ(Eval(line), ScriptErrorMessage(CodeOf(ScriptError::BadArgumentType))) << line;
  EXPECT_TRUE(run_->platform().boxes().empty());
}

}  // namespace
}  // namespace lw::testing

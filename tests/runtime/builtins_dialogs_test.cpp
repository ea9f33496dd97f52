// The dialog built-ins and drawstring: system scripts whose input answers the boxes and types
// into the text-entry dialog, and line tables typed into the message box of a booted title.
#include <gtest/gtest.h>

#include <string>

#include "support/runtime_title.h"

namespace lw::testing {
namespace {

constexpr std::uint8_t kGrey = 7;
constexpr std::uint8_t kInk = 0;

class DialogBuiltinsTest : public TitleTest {
 protected:
  // Boots a title with `script`, fills the screen canvas grey and runs loop passes until the
  // input is over.
  TitleRun& Play(std::string_view script, std::string_view input) {
    TitleRun& run = Boot(script, input);
    run.FillScreen(kGrey);
    do {
      runtime().loop().Pass();
    } while (!platform().scriptFinished());
    return run;
  }
};

// Arguments of the wrong type are refused before any box shows.
TEST_F(DialogBuiltinsTest, NoteAndQuestionDialogsShowTheirBoxes) {
  Play(
      "code boot()\n\tglobal yes, no\n\tnotedialog(\"Hello there\")\n"
      "\tyes = questiondialog(\"Go on?\")\n\tno = questiondialog(\"Really?\")\nendcode\n",
      "answer ok\nanswer yes\nanswer no")
      .Expect({{"yes", "True"},
               {"no", "False"},
               {"notedialog(1)", "Bad argument type."},
               {"questiondialog(true)", "Bad argument type."},
               {"textdialog(\"a\", 2)", "Bad argument type."},
               {"drawstring(\"a\", 0, \"x\", 12)", "Bad argument type."}});
  EXPECT_EQ(run_->Boxes(),
            "Information (information) [OK] Hello there\n"
            "Question (question) [Yes/No] Go on?\n"
            "Question (question) [Yes/No] Really?\n");
}

// The text-entry dialog is drawn over the stage and reads the typed keys: Return answers with
// the field, Escape with the empty text; afterwards the canvas is as it was.
TEST_F(DialogBuiltinsTest, TextDialogTakesTheTypedText) {
  TitleRun& run = Play(
      "code boot()\n\tglobal typed, kept, cancelled\n"
      "\ttyped = textdialog(\"Your name?\", \"nobody\")\n"
      "\tkept = textdialog(\"Again?\", \"some\")\n"
      "\tcancelled = textdialog(\"Once more?\", \"nobody\")\nendcode\n",
      "wait 10\ntype hello\nkey return\nwait 5\nkey right\ntype thing\nkey return\n"
      "wait 5\ntype xyz\nkey esc");
  run.Expect({{"typed", "\"hello\""}, {"kept", "\"something\""}, {"cancelled", "\"\""}});
  EXPECT_EQ(run_->Boxes(), "") << "the dialog is drawn, not answered";
  runtime().screen().present();
  EXPECT_EQ(platform().canvasPixel(320, 240), kGrey);
}

// Stage point (h, v) lies at canvas point (64 + h, 48 + v); the test face draws each character
// as a solid box half the size wide and the size high, standing on the baseline.
TEST_F(DialogBuiltinsTest, DrawStringInksTheStageAtThePoint) {
  TitleRun& run = Play("code boot()\n\tdrawstring(\"AB\", 10 * 65536 + 30, 0, 12)\nendcode\n", "");
  // The message box runs lines outside the stage window's drawing: the stage origin applies.
  run.Expect({{"drawstring(\"C\", 100 * 65536 + 100, 16, 20)", "OK"}});
  runtime().screen().present();
  const struct {
    int h, v;
    std::uint8_t index;
  } probes[] = {
      {74, 66, kInk},  {85, 77, kInk},   {73, 70, kGrey},  {86, 70, kGrey},   {74, 65, kGrey},
      {74, 78, kGrey}, {164, 128, kInk}, {173, 147, kInk}, {174, 140, kGrey}, {164, 148, kGrey},
  };
  for (const auto& p : probes)
    EXPECT_EQ(platform().canvasPixel(p.h, p.v), p.index) << p.h << "," << p.v;
  EXPECT_EQ(runtime().stage()->window()->port.originH, 0) << "the drawing pair is closed";
}

}  // namespace
}  // namespace lw::testing

// The stage built-ins run by a headless title: lines typed as the message box runs them, with
// the log of the stage's scripts, the current flat and the stage layer's pixels as probes.
#include <gtest/gtest.h>

#include "stage_title.h"
#include "support/common_pictures.h"

namespace lw::testing {
namespace {

constexpr std::string_view kClosed = "Stage lib open/close error.";
constexpr std::string_view kNoObject = "No such object.";
constexpr std::string_view kBadType = "Bad argument type.";

using StageBuiltinsTest = StageTitleTest;

TEST_F(StageBuiltinsTest, FlatsAndButtonsAreCountedNamedSentToAndShown) {
  std::vector<std::string> errors;
  TitleRun& run = Start("", [&](RuntimeOptions& options) {
    options.errorOutput = [&](std::string_view line) { errors.emplace_back(line); };
  });
  // Without a stage only the queries answer.
  run.Expect({{"currentstage()", "\"None\""},
              {"currentflat()", "\"none\""},
              {"stagevisible()", "False"},
              {"pointinstage(makepoint(10, 10))", "False"},
              {"\"\" @ hittest(makepoint(10, 10)) @ \"/\" @ result()", "\"/none\""}});
  for (std::string_view line :
       {"countflats()", "indextoflat(1)", "flattoindex(\"Hall\")", "countbuttons(\"Hall\")",
        "pointinbutton(\"Hall\", \"door\", 0)", "gotoflat(1)", "closestagefile()", "stagescript()",
        "sendtostage(hello())", "sendtoflat(\"Hall\", hello())", "stagevisible(true)"})
    run.Expect({{line, kClosed}});
  // Opening sends openstage() and then the first flat's openflat(); a second open is refused
  // and closing sends closestage() before closeflat().
  run.Expect({{"openstagefile(\"stage.stg\")", "OK | \"openstage openflat:Hall \""},
              {"openstagefile(\"stage.stg\")", std::string(kClosed) + " | \"\""},
              {"closestagefile()", "OK | \"closestage closeflat:Hall \""},
              {"currentstage()", "\"None\" | \"\""},
              {"openstagefile(\"STAGE.STG\")", "OK | \"openstage openflat:Hall \""}},
             Log());
  run.Expect({{"currentstage()", "\"Moss\""},
              {"countflats()", "3"},
              {"indextoflat(2)", "\"Attic\""},
              {"indextoflat(0)", kNoObject},
              {"indextoflat(4)", kNoObject},
              {"indextoflat(\"1\")", kBadType},
              {"flattoindex(\"CELLAR\")", "3"},
              {"flattoindex(\"nowhere\")", "0"},
              {"countbuttons(\"hall\")", "2"},
              {"countbuttons(\"nowhere\")", kNoObject},
              {"indextobutton(\"Hall\", 2)", "\"knob\""},
              {"indextobutton(\"Hall\", 3)", kNoObject},
              {"stagescript()", "OK"},
              {"flatscript(\"Attic\")", "OK"},
              {"flatscript(\"Loft\")", kNoObject},
              {"buttonscript(\"Hall\", \"DOOR\")", "OK"},
              {"buttonscript(\"Hall\", \"window\")", kNoObject},
              {"buttonscript(\"Attic\", 1)", kBadType}});
  // A message goes along the chain until a script has its handler, with that script's me and
  // the addressee as target; an event handler that no script has is no error, any other is.
  TakeLog();
  run.Expect({{"sendtobutton(\"Hall\", \"knob\", hello())", "OK | \"knob:knob/knob \""},
              {"sendtobutton(\"Hall\", \"door\", hello())", "OK | \"hall:Hall/door \""},
              {"sendtoflat(\"hall\", hello())", "OK | \"hall:Hall/Hall \""},
              {"sendtoflat(\"Attic\", hello())", "OK | \"stage:Moss/Attic \""},
              {"sendtostage(hello())", "OK | \"stage:Moss/Moss \""},
              {"sendtobuttonfx(\"Hall\", \"door\", answer())", "\"hall\" | \"\""},
              {"sendtoflatfx(\"Cellar\", answer())", "\"stage\" | \"\""},
              {"sendtostagefx(answer())", "\"stage\" | \"\""},
              {"sendtoflat(\"Attic\", keydown(\"a\"))", "OK | \"\""},
              {"sendtoflat(\"Attic\", nosuch())", "No such handler. | \"\""},
              {"sendtoflat(\"Attic\" hello())", "Expected comma ','. | \"\""},
              {"sendtobutton(\"Hall\", \"door\" hello())", "Expected comma ','. | \"\""},
              {"sendtobutton(\"Attic\", \"door\", hello())", std::string(kNoObject) + " | \"\""},
              {"sendtoflat(\"Loft\", hello())", std::string(kNoObject) + " | \"\""}},
             Log());
  // gotoflat takes a name or a number from 1, kept within the flats; the probe gives the current
  // flat and the colour at stage point (200, 200).
  run.Expect({{"gotoflat(99)", "OK | \"Cellar\" 30"},
              {"gotoflat(0)", "OK | \"Hall\" 10"},
              {"gotoflat(\"attic\")", "OK | \"Attic\" 20"},
              {"gotoflat(\"Loft\")", std::string(kNoObject) + " | \"Attic\" 20"},
              {"gotoflat(true)", std::string(kBadType) + " | \"Attic\" 20"}},
             [&] {
               return run.Eval("currentflat()") + " " +
                      std::to_string(runtime().stageDisplay()->stageLayer().at(200, 200));
             });
  EXPECT_EQ(TakeLog(),
            "\"closeflat:Hall openflat:Cellar closeflat:Cellar openflat:Hall closeflat:Hall "
            "openflat:Attic \"");
  // A failure names the script it happened in by its kind's title.
  errors.clear();
  run.Expect({{"sendtobutton(\"Hall\", \"door\", fail())", "Divide by zero."}});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("in fail (Stage Script, token "), std::string::npos) << errors[0];
}

// A click runs the title's mousedown, which asks hittest: the later of two overlapping buttons
// wins, the flat answers where no button is, and nothing outside the stage. A hidden stage
// shows colour 0 and is not under any point; its buttons still have their rectangles.
TEST_F(StageBuiltinsTest, ClicksHitTheLaterButtonAndStageVisibleHidesTheFlat) {
  std::string heard;
  // Canvas points: the stage begins at (64, 48).
  TitleRun& run = Start(
      "console openstagefile(\"STAGE.STG\")\nclick 124 108\nconsole hit\nclick 84 68\n"
      "console hit\nclick 300 300\nconsole hit\nclick 10 10\nconsole hit\n",
      [&](RuntimeOptions& options) {
        options.console = [&](std::string_view outcome) { heard += std::string(outcome) + " "; };
      });
  EXPECT_EQ(heard, "OK \"knob/button\" \"door/button\" \"Hall/flat\" \"/none\" ");
  runtime().compositor()->ComposeFrame();  // takes any redraw request still waiting
  ASSERT_EQ(runtime().compositor()->redrawLevel(), RedrawLevel::kNone);
  run.Expect({{"stagevisible()", "True"},
              {"pointinstage(makepoint(511, 383))", "True"},
              {"pointinstage(makepoint(512, 10))", "False"},
              {"pointinstage(makepoint(-1, 10))", "False"},
              {"stagevisible(false)", "OK"},
              {"stagevisible()", "False"},
              {"pointinstage(makepoint(20, 20))", "False"},
              {"pointinbutton(\"Hall\", \"door\", makepoint(20, 20))", "True"},
              {"pointinbutton(\"Hall\", \"door\", makepoint(100, 20))", "False"},
              {"pointinbutton(\"Hall\", \"door\", \"here\")", kBadType},
              {"\"\" @ hittest(makepoint(20, 20)) @ \"/\" @ result()", "\"/none\""},
              {"stagevisible(1)", kBadType}});
  EXPECT_EQ(PixelsOtherThan(0), 0u);
  EXPECT_EQ(runtime().compositor()->redrawLevel(), RedrawLevel::kScreen);
  run.Expect({{"stagevisible(true)", "OK"},
              {"\"\" @ hittest(makepoint(20, 20)) @ \"/\" @ result()", "\"door/button\""}});
  EXPECT_EQ(PixelsOtherThan(kHallColour), 0u);
}

// A closeflat() or an openstage() that closes the stage ends gotoflat or the open there: no
// other flat opens, no openflat(), no error. The flat's picture is decoded into the stage layer
// exactly; clut("stage") installs the open stage's palette, and without a stage or its palette
// it is a resource name.
TEST_F(StageBuiltinsTest, EventsThatCloseTheStageAndTheStagesPictureAndPalette) {
  StageSpec stage = SampleStage();
  stage.flats[0].script =
      "code closeflat()\n\tglobal log, closing\n\tlog = log @ \"closeflat:\" @ me @ \" \"\n"
      "\tif not closing\n\t\tclosing = true\n\t\tclosestagefile()\n\tendif\nendcode\n";
  WriteStage(stage);
  stage = SampleStage();
  stage.script =
      "code openstage()\n\tglobal log\n\tlog = log @ \"openstage \"\n\tclosestagefile()\n"
      "endcode\n" +
      Logs("closestage()", "\"closestage\"");
  WriteStage(stage, "OPENING.STG");
  const std::vector<std::uint8_t> pixels = test::Shapes(kStageFileWidth, kStageFileHeight).pixels;
  ColourTable palette;
  for (std::size_t i = 0; i < palette.entries.size(); ++i)
    palette.entries[i] = {std::uint16_t(i * 257), std::uint16_t(65535 - i * 257), 1000};
  stage = SampleStage();
  stage.flats[1].picture = StagePicture(pixels);
  stage.palette = EncodeColourTable16(palette);
  WriteStage(stage, "PICTURE.STG");
  TitleRun& run = Start();
  run.Eval("openstagefile(\"STAGE.STG\")");
  TakeLog();
  run.Expect({{"gotoflat(2)", "OK | \"closeflat:Hall closestage closeflat:Hall \""},
              {"currentstage()", "\"None\" | \"\""},
              {"openstagefile(\"OPENING.STG\")", "OK | \"openstage closestage closeflat:Hall \""},
              {"currentstage()", "\"None\" | \"\""}},
             Log());
  EXPECT_EQ(PixelsOtherThan(0), 0u);
  // STAGE.STG, its closing done, is a stage without a palette.
  run.Expect({{"clut(\"stage\")", "Resource not found."},
              {"openstagefile(\"STAGE.STG\")", "OK"},
              {"clut(\"stage\")", "Resource not found."},
              {"closestagefile()", "OK"},
              {"openstagefile(\"PICTURE.STG\")", "OK"},
              {"clut(\"Stage\")", "OK"},
              {"gotoflat(2)", "OK"}});
  EXPECT_EQ(runtime().palettes().currentPalette(), palette);
  const Surface& layer = runtime().stageDisplay()->stageLayer();
  std::vector<std::uint8_t> shown;
  for (int v = 0; v < layer.height(); ++v)
    shown.insert(shown.end(), layer.row(v), layer.row(v) + layer.width());
  EXPECT_TRUE(shown == pixels);
}

}  // namespace
}  // namespace lw::testing

// Casts, shops and their figures run by a headless title: lines typed as the message box runs
// them, with the log of the figures' scripts as the probe.
#include <gtest/gtest.h>

#include "cast_title.h"
#include "set_title.h"
#include "stage_title.h"

namespace lw::testing {
namespace {

constexpr std::string_view kNoObject = "No such object.";
constexpr std::string_view kBadType = "Bad argument type.";
constexpr std::string_view kTooLong = "String length too big.";

FigureSpec Actor(std::string name, std::string set = "Hall", std::string star = "door") {
  return FigureSpec{
      .name = std::move(name),
      .script = FigureLogScript("actor"),
      .set = std::move(set),
      .star = std::move(star),
      .poses = {{"stand", {1}, {Block(20, 10, 50)}}, {"walk", {1}, {Block(8, 8, 51)}}}};
}

GroupSpec Cast(std::string name, std::vector<FigureSpec> actors, std::string script = {}) {
  return GroupSpec{.name = name,
                   .script = script.empty() ? FigureLogScript("cast") : script,
                   .figures = std::move(actors)};
}

class FigureBuiltinsTest : public StageTitleTest {
 protected:
  void WriteGroup(std::string_view file, const GroupSpec& group, std::string_view type) {
    WriteStageFile(title_, file, GroupRecords(group), type);
  }
  TitleRun& StartFigures() {
    WriteGroup("CREW.CST", Cast("Crew", {Actor("robin"), Actor("jay", "Elsewhere")}), "CCDO");
    WriteGroup("BAND.CST", Cast("Band", {Actor("finch")}), "CCDO");
    WriteGroup("GOODS.SHP",
               GroupSpec{.name = "Goods",
                         .script = FigureLogScript("shop"),
                         .figures = {{.name = "ball",
                                      .script = FigureLogScript("prop"),
                                      .set = "Hall",
                                      .star = "lamp",
                                      .poses = {{"round", {1}, {Block(6, 6, 60)}}}}}},
               "PDDO");
    WriteStageFile(title_, "SET.SCN", CorridorSetRecords(), "SCDO");
    return Start();
  }
};

// Opening tells the cast, then each actor; properties keep their clamps; instances copy.
TEST_F(FigureBuiltinsTest, OpenPropertiesAndInstances) {
  TitleRun& run = StartFigures();
  run.Expect(
      {{"opencastfile(\"crew.cst\")", "OK | \"opencast:Crew openactor:robin openactor:jay \""},
       {"opencastfile(\"goods.shp\")", "Wrong type of file. | \"\""},
       {"openshopfile(\"goods.shp\")", "OK | \"openshop:Goods openprop:ball \""}},
      Log());
  run.Expect({{"countactors()", "2"},
              {"countcasts()", "1"},
              {"\"\" @ indextoactor(2) @ \"/\" @ result()", "\"jay/Crew\""},
              {"indextoactor(3)", kNoObject},
              {"indextocast(1)", "\"Crew\""},
              {"actorscript(\"ROBIN\")", "OK"},
              {"castscript(\"nobody\")", kNoObject},
              {"(actorvisible(\"ghost\"))", kNoObject},
              {"actordeg(\"robin\", 300)", "OK"},
              {"actordeg(\"robin\")", "44"},
              {"actordeg(\"robin\", -1)", "OK"},
              {"actordeg(\"robin\")", "255"},
              {"actorspeed(\"robin\", 0)", "OK"},
              {"actorspeed(\"robin\")", "1"},
              {"actorspeed(\"robin\", 1000)", "OK"},
              {"actorspeed(\"robin\")", "256"},
              {"actorturn(\"robin\")", "16"},
              {"actorturn(\"robin\", 0)", "OK"},
              {"actorturn(\"robin\")", "1"},
              {"actorscale(\"robin\", -5)", "OK"},
              {"actorscale(\"robin\")", "0"},
              {"actorowner(\"robin\")", "\"None\""},
              {"actorowner(\"robin\", \"sixteen letters!\")", kTooLong},
              {"(actorxyz(\"robin\", 5))", kBadType},
              {"actorvisible(\"robin\", 1)", kBadType},
              {"actoris3d(\"robin\")", "False"},
              {"actorstar(\"robin\", \"nowhere\")", "OK"},
              {"actoris3d(\"robin\")", "True"},
              {"actorstar(\"robin\")", "\"nowhere\""},
              {"actordist(\"robin\", -5)", "OK"},
              {"actordist(\"robin\")", "32000"},
              {"actorxy(\"robin\", 10, 20)", "OK"},
              {"actoris3d(\"robin\")", "False"},
              {"actordist(\"robin\")", "-1"},
              {"(actorxy(\"robin\", 3) = makepoint(10, 20))", "True"},
              {"actordist(\"robin\", 7)", "OK"},
              {"actordist(\"robin\", -5)", "OK"},
              {"actordist(\"robin\")", "-5"},
              {"actorpose(\"robin\")", "\"stand\""},
              {"actorpose(\"robin\", \"fly\")", kNoObject},
              {"actorpose(\"robin\", \"WALK\")", "OK"},
              {"actorpose(\"robin\")", "\"walk\""},
              {"actorhitbox(\"player\", 4, 5)", "OK"},
              {"actorhitbox(\"PLAYER\", 2)", "5"},
              {"(actorhitbox(\"robin\", 3))", kBadType},
              {"actorinstance(\"robin\", \"jay\")", "OK"},
              {"countactors()", "2"},
              {"actorinstance(\"robin\", \"a name too long!\")", kTooLong},
              {"actorinstance(\"robin\", \"wren\")", "OK"},
              {"\"\" @ numtostring(countactors()) @ actorpose(\"wren\")", "\"3walk\""},
              {"propspeed(\"ball\", 0)", "OK"},
              {"propspeed(\"ball\")", "1"},
              {"propscale(\"ball\", -1)", "OK"},
              {"propscale(\"ball\")", "0"},
              {"propview(\"ball\", \"square\")", kNoObject},
              {"propview(\"ball\")", "\"round\""},
              {"(actorturn(\"ball\"))", kNoObject},
              {"sendtoactor(\"robin\" x())", "Expected comma ','."}});
}

// A set that opens puts its 3-D figures on their stars; a figure 31 units in front of the
// camera is not drawn, one at 32 is.
TEST_F(FigureBuiltinsTest, StarsAndTheNearLimit) {
  TitleRun& run = StartFigures();
  run.Expect({{"opencastfile(\"crew.cst\")", "OK"},
              {"openshopfile(\"goods.shp\")", "OK"},
              {"actoris3d(\"robin\")", "False"},
              {"opensetfile(\"set.scn\")", "OK"},
              {"actoris3d(\"robin\")", "False"},
              {"actorstar(\"robin\", \"door\")", "OK"},
              {"actorxyz(\"robin\", 1)", "100"},
              {"(actorxyz(\"robin\", 4) = makepoint(100, 128))", "True"},
              {"actorxyz(\"robin\", 100, 128, 100)", "OK"},
              {"actordist(\"robin\")", "36"},
              {"actorxyz(\"robin\", 95, 128, 100)", "OK"},
              {"actordist(\"robin\")", "32000"},
              {"actorxyz(\"robin\", 96, 128, 100)", "OK"},
              {"actordist(\"robin\")", "32"},
              {"actorset(\"jay\", \"hall\")", "OK"},
              {"actorxyz(\"jay\", 1)", "100"},
              {"propstar(\"ball\", \"lamp\")", "OK"},
              {"propxyz(\"ball\", 3)", "20"}});
  run.Expect({{"closesetfile()", "OK"},
              {"propxyz(\"ball\", 1, 2, 3)", "OK"},
              {"opensetfile(\"set.scn\")", "OK"},
              {"propxyz(\"ball\", 1)", "300"}});
}

// Closing a cast that is not the last moves the last actor into the freed places; a
// closecast() that closes its own cast ends the close there, with no closeactor().
TEST_F(FigureBuiltinsTest, ClosingRenumbersAndMayBeCutShort) {
  const std::string selfClosing =
      "code closecast()\n\tglobal log, closing\n\tlog = log @ \"closecast:\" @ me @ \" \"\n"
      "\tif closing = false\n\t\tclosing = true\n\t\tclosecastfile(me)\n\tendif\nendcode\n";
  WriteGroup("SELF.CST", Cast("Self", {Actor("owl")}, selfClosing), "CCDO");
  TitleRun& run = StartFigures();
  run.Expect({{"opencastfile(\"crew.cst\")", "OK"},
              {"opencastfile(\"band.cst\")", "OK"},
              {"actorinstance(\"robin\", \"wren\")", "OK"}});
  TakeLog();
  run.Expect({{"closecastfile(\"crew\")",
               "OK | \"closecast:Crew closeactor:robin closeactor:jay closeactor:wren \""},
              {"\"\" @ numtostring(countactors()) @ indextoactor(1)", "\"1finch\" | \"\""},
              {"closecastfile(\"crew\")", std::string(kNoObject) + " | \"\""},
              {"opencastfile(\"self.cst\")", "OK | \"openactor:owl \""},
              {"closecastfile(\"self\")", "OK | \"closecast:Self closecast:Self closeactor:owl \""},
              {"\"\" @ numtostring(countactors()) @ numtostring(countcasts())", "\"11\" | \"\""}},
             Log());
}

// Messages go along the figure's script, then its group's.
TEST_F(FigureBuiltinsTest, MessagesFollowTheChain) {
  const std::string castScript =
      "code hello()\n\treturn \"cast:\" @ me @ \"/\" @ target\nendcode\n";
  FigureSpec robin = Actor("robin");
  robin.script += "code who()\n\treturn \"robin:\" @ me\nendcode\n";
  WriteGroup("CHAIN.CST", Cast("Chain", {robin}, castScript), "CCDO");
  TitleRun& run = StartFigures();
  run.Expect({{"opencastfile(\"chain.cst\")", "OK"},
              {"sendtoactorfx(\"robin\", who())", "\"robin:robin\""},
              {"sendtoactorfx(\"robin\", hello())", "\"cast:Chain/robin\""},
              {"sendtocastfx(\"chain\", hello())", "\"cast:Chain/Chain\""},
              {"sendtoactor(\"robin\", nothing())", "No such handler."}});
}

}  // namespace
}  // namespace lw::testing

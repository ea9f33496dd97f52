// The figures of the figure and motion tests, in a title with the corridor set (set_title.h)
// whose star record holds the stars they walk to:
//
//   STAR    WHERE (x, y, z)   LINK
//   door    100, 128, 0       -
//   mat     108, 128, 0       -
//   lamp    300, 100, 20      path to bench: (300, 100, 20), (300, 160, 20) after 60,
//   bench   400, 160, 20            (400, 160, 20) after 100; 160 in all
//   gate    200, 40, 0        -   (the yard set only)
//
// The cast "Birds" (CAST.CST) has the actors robin (on lamp) and wren (on door) of the set
// Hall, and finch of the set Yard (on gate); the shop "Toys" (SHOP.SHP) has the props ball and
// hoop of Hall; the cast "Flock" (FLOCK.CST) has the actors f1 .. f14 of Hall on door, so that
// a title has more actors than walk slots. Each figure has one pose of one frame, a 4 x 4 sprite.
// YARD.SCN is the corridor set again, named Yard, with the star gate.
//
// Every figure's script logs (to the global `log` of kStageBootScript) "HANDLER:me" for
// endturn(), endwalk() and tick(), and "endball:me/why" for endball(why).
#pragma once

#include <string>
#include <vector>

#include "objects/cast_file.h"
#include "objects/set_file.h"
#include "stage_title.h"
#include "support/storage_scratch.h"

namespace lw::testing {

struct FigureSpec {
  std::string name;
  std::string set;
  std::string star;
};

// The records of a cast or shop file named `group` holding `figures`: 0 the group header, 1 the
// group's script (no handlers), then for each figure its record, its script, its pose and its
// picture.
std::vector<test::Bytes> FigureGroupRecords(std::string_view group,
                                            const std::vector<FigureSpec>& figures);

// The corridor set's records named `name`, with the star record and path of the table above
// (gate only with `gate`), scene b a solid building cell when `building`.
std::vector<test::Bytes> FigureSetRecords(std::string_view name, bool building, bool gate);

class FigureTitleTest : public StageTitleTest {
 protected:
  // Writes SET.SCN (Hall), YARD.SCN, CAST.CST, FLOCK.CST and SHOP.SHP, then boots the title.
  TitleRun& StartFigures(bool building = false);
};

}  // namespace lw::testing

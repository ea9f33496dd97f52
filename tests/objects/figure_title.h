// The title of the motion tests: the corridor set (set_title.h) with a star record of stars to
// walk to, casts and a shop (cast_title.h), and the title's motion wired into its run.
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
// hoop of Hall on door; the cast "Flock" (FLOCK.CST) has the actors f1 .. f14 of Hall on door,
// so that a title has more actors than walk slots. Each figure has one pose of one frame, a
// 4 x 4 block. SET.SCN is the set Hall, YARD.SCN the same corridor named Yard.
//
// Every figure's script logs (to the global `log` of kStageBootScript) "HANDLER:me" for
// endturn(), endwalk() and chime(), and "endball:me/why" for endball(why).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "objects/motion.h"
#include "stage_title.h"
#include "support/storage_scratch.h"

namespace lw::testing {

// The corridor set's records named `name`, with the star record and path of the table above
// (gate only with `gate`), scene b a solid building cell when `building`.
std::vector<test::Bytes> FigureSetRecords(std::string_view name, bool building, bool gate);

class FigureTitleTest : public StageTitleTest {
 protected:
  // Writes the files above and boots the title.
  TitleRun& StartFigures(bool building = false, std::string_view input = "");
  // One motion step and frame, as forceupdate() runs them: "OK" or the message of its error.
  std::string Step();
  [[nodiscard]] Motion& motion() { return runtime().titleObjects()->motion(); }
};

}  // namespace lw::testing

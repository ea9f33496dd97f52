// The stage of the stage tests: a title whose boot file keeps a log in the global `log`, and a
// stage file "STAGE.STG" whose scripts write to it, so that a line table can show which script
// answered a message, with what me and target, and in which order the events came.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/runtime_title.h"
#include "support/storage_stage_files.h"

namespace lw::testing {

// The colour of the sample stage's first flat, Hall; Attic is 20 and Cellar 30.
inline constexpr std::uint8_t kHallColour = 10;

// A handler that appends `words` (script text) and a blank to the log.
std::string Logs(std::string_view handler, std::string_view words);

// The sample stage "Moss": flats Hall (buttons door at 10..100 and knob at 50..80 on top of
// it), Attic and Cellar, each a solid picture in its colour. Every script logs the open and
// close events it gets; hello() is answered by the knob, by Hall and by the stage, each logging
// "who:me/target"; answer() gives "stage", "hall" or "knob"; the stage's fail() divides by 0.
test::StageSpec SampleStage();

class StageTitleTest : public TitleTest {
 protected:
  // The boot script: log, hit and closing start empty or false; mousedown(where) puts
  // "NAME/KIND" of what it hits in `hit`.
  static const std::string_view kBootScript;

  void WriteStage(const test::StageSpec& stage, std::string_view name = "STAGE.STG") {
    test::WriteStageFile(title_, name, test::StageRecords(stage));
  }
  // Boots the title with the sample stage written, after boot() has run.
  TitleRun& Start(std::string_view input = "",
                  const std::function<void(RuntimeOptions&)>& adjust = {});

  // The log since the last call, emptied.
  std::string TakeLog();
  // How many pixels of the stage layer are not `colour`.
  std::size_t PixelsOtherThan(std::uint8_t colour);
};

}  // namespace lw::testing

// The stage of the stage tests. Stage files are described as an author would: a stage with its
// script, its flats with their scripts, pictures and buttons. StageRecords lays them out as the
// records of a stage file, which a test may damage before writing them. Record ids, in order: 0
// the header; then for each flat its script, its picture, its button record and its buttons'
// scripts; then the stage script; then the palette, when there is one.
//
// The title's boot file keeps a log in the global `log`, and the scripts of the sample stage
// "STAGE.STG" write to it, so that a line table can show which script answered a message, with
// what me and target, and in which order the events came.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/runtime_title.h"
#include "support/storage_scratch.h"

namespace lw::testing {

// Scripts are source text with LF line ends; an empty text is a script without handlers.
struct ButtonSpec {
  std::string name;
  Rect rect;
  std::string script;
};
struct FlatSpec {
  std::string name;
  std::string script;
  test::Bytes picture;  // a frame record
  std::vector<ButtonSpec> buttons;
};
struct StageSpec {
  std::string name;
  std::string script;
  std::vector<FlatSpec> flats;
  std::optional<test::Bytes> palette;  // a 2056-byte colour table record
};

std::vector<test::Bytes> StageRecords(const StageSpec& stage);
// A script compiled from source with LF line ends, as its stored record.
test::Bytes CompiledScriptRecord(std::string_view source);
// A key frame of the whole 512 x 384 stage whose pixels are `pixels` (row by row).
test::Bytes StagePicture(const std::vector<std::uint8_t>& pixels);
// Writes `records` as the star file `name` of type `fileType` in `folder`.
void WriteStageFile(const std::filesystem::path& folder, std::string_view name,
                    const std::vector<test::Bytes>& records, std::string_view fileType = "FLAT");

// The colour of the sample stage's first flat, Hall; Attic is 20 and Cellar 30.
inline constexpr std::uint8_t kHallColour = 10;

// A handler that appends `words` (script text) and a blank to the log.
std::string Logs(std::string_view handler, std::string_view words);

// The sample stage "Moss": flats Hall (buttons door at 10..100 and knob at 50..80 on top of
// it), Attic and Cellar, each a solid picture in its colour. Every script logs the open and
// close events it gets; hello() is answered by the knob, by Hall and by the stage, each logging
// "who:me/target"; answer() gives "stage", "hall" or "knob"; the stage's fail() divides by 0.
StageSpec SampleStage();

// The boot script: log, hit and closing start empty or false; mousedown(where) puts "NAME/KIND"
// of what it hits in `hit`.
inline constexpr std::string_view kStageBootScript =
    "code boot()\n\tglobal log, hit, closing\n\tlog = \"\"\n\thit = \"\"\n\tclosing = false\n"
    "endcode\n"
    "code mousedown(where)\n\tglobal hit\n\thit = hittest(where) @ \"/\" @ result()\nendcode\n";

class StageTitleTest : public TitleTest {
 protected:
  void WriteStage(const StageSpec& stage, std::string_view name = "STAGE.STG") {
    WriteStageFile(title_, name, StageRecords(stage));
  }
  // Boots the title with the sample stage written, after boot() has run.
  TitleRun& Start(std::string_view input = "",
                  const std::function<void(RuntimeOptions&)>& adjust = {});

  // The log since the last call, emptied; as a probe, the log that each line left.
  std::string TakeLog();
  LineProbe Log() {
    return [this] { return TakeLog(); };
  }
  // How many pixels of the stage layer are not `colour`.
  std::size_t PixelsOtherThan(std::uint8_t colour);
};

}  // namespace lw::testing

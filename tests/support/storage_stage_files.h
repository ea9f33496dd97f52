// Stage files for tests, described as an author would: a stage with its script, its flats with
// their scripts, pictures and buttons. StageRecords lays them out as the records of a stage file
// (a test may damage them before writing), and WriteStageFile writes them as a star file of
// type 'FLAT' into a folder.
//
// Record ids, in order: 0 the header; then for each flat its script, its picture, its button
// record and its buttons' scripts; then the stage script; then the palette, when there is one.
// A test that damages a record finds its id in the header (ReadStageHeader).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/geometry.h"
#include "support/storage_scratch.h"

namespace lw::test {

// Scripts are source text with LF line ends; an empty text is a script without handlers.
struct ButtonSpec {
  std::string name;
  Rect rect;
  std::string script;
};

struct FlatSpec {
  std::string name;
  std::string script;
  Bytes picture;  // a frame record
  std::vector<ButtonSpec> buttons;
};

struct StageSpec {
  std::string name;
  std::string script;
  std::vector<FlatSpec> flats;
  std::optional<Bytes> palette;  // a 2056-byte colour table record
};

// The records of the stage file that `stage` describes.
std::vector<Bytes> StageRecords(const StageSpec& stage);

// A key frame of the whole 512 x 384 stage whose pixels are `pixels` (row by row).
Bytes StagePicture(const std::vector<std::uint8_t>& pixels);
// A key frame of the whole stage in one colour.
Bytes SolidStagePicture(std::uint8_t colour);

// Writes `records` as the star file `name` of type `fileType` in `folder`.
void WriteStageFile(const std::filesystem::path& folder, std::string_view name,
                    const std::vector<Bytes>& records, std::string_view fileType = "FLAT");

}  // namespace lw::test

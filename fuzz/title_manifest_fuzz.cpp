// Fuzzes the title manifest reader with arbitrary text. Every text gives errors, each naming a
// JSON path, or is read into a manifest whose values keep the reader's
// promises: at least one flat per stage, names of 1 to 15 characters, buttons inside the stage.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "authoring/title_manifest.h"
#include "objects/stage_file.h"

namespace {

bool NameFits(const std::string& name) {
  return !name.empty() && name.size() <= lw::kMaxStoredNameLength;
}

bool RectFits(const lw::Rect& r) {
  return r.top >= 0 && r.top < r.bottom && r.bottom <= lw::kStageFileHeight && r.left >= 0 &&
         r.left < r.right && r.right <= lw::kStageFileWidth;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const lw::authoring::ManifestReading reading = lw::authoring::ReadTitleManifest(text, "in");
  if (!reading.errors.empty()) {
    for (const lw::authoring::ManifestError& error : reading.errors) {
      if (!error.where.starts_with("$")) std::abort();
    }
    return 0;
  }
  const lw::authoring::TitleManifest* manifest = &reading.title;
  if (!manifest->system.named()) std::abort();
  for (const lw::authoring::ManifestStage& stage : manifest->stages) {
    if (!NameFits(stage.name) || stage.flats.empty() || stage.entry.empty()) std::abort();
    for (const lw::authoring::ManifestFlat& flat : stage.flats) {
      if (!NameFits(flat.name) || !flat.picture.named()) std::abort();
      for (const lw::authoring::ManifestButton& button : flat.buttons) {
        if (!NameFits(button.name) || !RectFits(button.rect)) std::abort();
      }
    }
  }
  return 0;
}

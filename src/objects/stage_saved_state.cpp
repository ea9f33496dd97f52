// The stage's part of a saved game: its state written out, and the stage opened again from it.
#include "objects/stage_objects.h"

namespace lw {

SavedStage StageObjects::Saved() const {
  if (!open_) return {};
  return SavedStage{.open = true,
                    .visible = visible_,
                    .file = file_->serial(),
                    .flat = static_cast<std::uint32_t>(current_),
                    .scriptId = header_.scriptId,
                    .name = header_.name};
}

bool StageObjects::Restore(StarFile& file, const SavedStage& saved) {
  if (open_) return false;
  if (!LoadHeader(file)) {
    p_.library.StarPark(file);
    return false;
  }
  open_ = true;
  visible_ = saved.visible;
  file_ = &file;
  ++generation_;
  if (!visible_) ClearLayer();
  SelectFlat(saved.flat);
  return true;
}

}  // namespace lw

// The set's part of a saved game: its state written out, and the set opened again from it.
#include "objects/set_objects.h"

namespace lw {

namespace {

std::int16_t Word(std::int32_t v) { return static_cast<std::int16_t>(v); }

}  // namespace

SavedSet SetObjects::Saved() const {
  if (!open_) return {};
  const SetHeader& h = header_;
  return SavedSet{
      .open = true,
      .visible = visible_,
      .file = file_->serial(),
      .moveTableId = h.moveTableId,
      .moveCount = h.moveCount,
      .starRecordId = h.starRecordId,
      .scriptId = h.scriptId,
      .setBack = h.cameraSetBack,
      .cameraHeight = h.cameraHeight,
      .view = {h.view20, h.view22, h.view42, h.view44},
      .focal = Word(kFocalLength),
      .horizon = Word(kHorizonRow),
      .centre = Word(kViewCentreColumn),
      .column = Word(position_.column),
      .row = Word(position_.row),
      .direction = Word(position_.direction),
      .previousColumn = Word(previous_.column),
      .previousRow = Word(previous_.row),
      .previousDirection = Word(previous_.direction),
      .viewAngle = Word(viewAngle_),
      .playerX = Word(player_.x),
      .playerY = Word(player_.y),
      .playerZ = Word(player_.z),
      .sceneColumn = Word(sceneColumn_),
      .sceneRow = Word(sceneRow_),
      .cameraAngle = Word(camera_.angle),
      .cameraX = Word(camera_.x),
      .cameraY = Word(camera_.y),
      .cameraZ = Word(camera_.z),
      .cameraCellColumn = Word(camera_.x / kCellSize),
      .cameraCellRow = Word(camera_.y / kCellSize),
      .name = h.name,
  };
}

bool SetObjects::Restore(StarFile& file, const SavedSet& saved) {
  if (open_) return false;
  if (!LoadRecords(file)) {
    p_.library.StarPark(file);
    return false;
  }
  open_ = true;
  visible_ = saved.visible;
  file_ = &file;
  ++generation_;
  move_.reset();
  WarmScripts();
  p_.display.sceneView().setShown(visible_);
  header_.cameraHeight = saved.cameraHeight;
  position_ = previous_ = {};
  player_.z = saved.playerZ;
  PlacePlayer(SetPosition{saved.column, saved.row, saved.direction});
  previous_ = SetPosition{saved.previousColumn, saved.previousRow, saved.previousDirection};
  return true;
}

}  // namespace lw

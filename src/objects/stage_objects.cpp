#include "objects/stage_objects.h"

#include <algorithm>
#include <cstring>

#include "media/frame_codec.h"
#include "objects/library_open.h"
#include "objects/object_error_lines.h"
#include "objects/object_names.h"

namespace lw {
namespace {

constexpr std::uint8_t kClearColour = 0;

}  // namespace

std::optional<std::size_t> StageObjects::findFlat(std::string_view name) const {
  if (!open_) return std::nullopt;
  for (std::size_t i = 0; i < header_.flats.size(); ++i) {
    if (SameObjectName(header_.flats[i].name, name)) return i;
  }
  return std::nullopt;
}

ScriptError StageObjects::OpenStageFile(BuiltinCall& c, std::string_view fileName) {
  if (open_) return ScriptError::StageLibOpenClose;
  StarFile* file = nullptr;
  LW_TRY(OpenLibraryFile(p_.library, p_.errors, p_.locate, fileName, kStageFileType,
                         errline::kStageFileOpen, file));
  if (!LoadHeader(*file)) {
    p_.library.StarPark(*file);
    return ScriptError::ResourceNotFound;
  }
  open_ = true;
  visible_ = true;
  file_ = file;
  ++generation_;
  SelectFlat(0);
  const Mark opened = mark();
  LW_TRY(SendStageEvent(c, ObjectEvent::kOpen));
  if (!sameStageAndFlat(opened)) return ScriptError::None;
  return SendFlatEvent(c, ObjectEvent::kOpen);
}

bool StageObjects::LoadHeader(StarFile& file) {
  RecordBlock* block = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(file, kHeaderRecord, block); Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kStageHeaderLoad);
    return false;
  }
  auto header = ReadStageHeader(*block);
  std::int16_t fault = 0;
  if (!header) {
    fault = errline::kStageHeaderCorrupt;
  } else if (header->width != kStageFileWidth || header->height != kStageFileHeight) {
    fault = errline::kStageSize;
  } else if (header->flats.empty()) {
    fault = errline::kStageNoFlats;
  }
  if (fault != 0) {
    p_.errors.ReportError(kObjectProgramCode, fault);
    (void)p_.library.StarReleaseResource(file, kHeaderRecord);
    return false;
  }
  header_ = std::move(*header);
  return true;
}

ScriptError StageObjects::CloseStageFile(BuiltinCall& c) {
  if (!open_) return ScriptError::StageLibOpenClose;
  const Mark closing = mark();
  LW_TRY(SendStageEvent(c, ObjectEvent::kClose));
  if (!sameStageAndFlat(closing)) return ScriptError::None;
  LW_TRY(SendFlatEvent(c, ObjectEvent::kClose));
  if (!sameStageAndFlat(closing)) return ScriptError::None;
  Release();
  ClearLayer();
  p_.display.requestScreenRedraw();
  return ScriptError::None;
}

ScriptError StageObjects::GotoFlat(BuiltinCall& c, std::int64_t number) {
  if (!open_) return ScriptError::StageLibOpenClose;
  const Mark leaving = mark();
  LW_TRY(SendFlatEvent(c, ObjectEvent::kClose));
  if (!sameStage(leaving)) return ScriptError::None;
  SelectFlat(number - 1);
  return SendFlatEvent(c, ObjectEvent::kOpen);
}

void StageObjects::SelectFlat(std::int64_t index) {
  const auto last = static_cast<std::int64_t>(header_.flats.size()) - 1;
  current_ = static_cast<std::size_t>(std::clamp<std::int64_t>(index, 0, last));
  if (visible_) DrawCurrentFlat();
  p_.display.requestScreenRedraw();
}

// The picture is a frame record: a difference against what the layer holds. It is decoded into
// a copy of the layer, which is copied back only when the whole frame decoded, so a damaged
// picture leaves no half-drawn flat behind.
void StageObjects::DrawCurrentFlat() {
  const auto id = static_cast<std::int32_t>(header_.flats[current_].pictureId);
  RecordBlock* picture = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(*file_, id, picture); Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kFlatPictureLoad);
    return;
  }
  Surface& layer = p_.display.stageLayer();
  std::vector<std::uint8_t> scratch(layer.data(),
                                    layer.data() + static_cast<std::size_t>(layer.rowBytes()) *
                                                       static_cast<std::size_t>(layer.height()));
  const BitmapView view{.memory = scratch,
                        .row0 = 0,
                        .stride = layer.rowBytes(),
                        .width = layer.width(),
                        .height = layer.height()};
  if (DecodeFrame(*picture, view)) {
    std::copy(scratch.begin(), scratch.end(), layer.data());
  } else {
    p_.errors.ReportError(kObjectProgramCode, errline::kFlatPictureDecode);
  }
  (void)p_.library.StarReleaseResource(*file_, id);
}

void StageObjects::ClearLayer() {
  Surface& layer = p_.display.stageLayer();
  std::memset(
      layer.data(), kClearColour,
      static_cast<std::size_t>(layer.rowBytes()) * static_cast<std::size_t>(layer.height()));
}

void StageObjects::SetVisible(bool visible) {
  visible_ = visible;
  if (visible) {
    DrawCurrentFlat();
  } else {
    ClearLayer();
  }
  p_.display.requestScreenRedraw();
}

ScriptError StageObjects::LoadButtons(std::size_t index, std::vector<ButtonEntry>& out) {
  const auto id = static_cast<std::int32_t>(header_.flats[index].buttonRecordId);
  RecordBlock* record = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(*file_, id, record); Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kButtonRecordLoad);
    return ScriptError::ResourceNotFound;
  }
  auto buttons = ReadButtonRecord(*record);
  (void)p_.library.StarReleaseResource(*file_, id);
  if (!buttons) {
    p_.errors.ReportError(kObjectProgramCode, errline::kButtonRecordCorrupt);
    return ScriptError::ResourceNotFound;
  }
  out = std::move(*buttons);
  return ScriptError::None;
}

ScriptError StageObjects::StagePalette(ColourTable& out) {
  if (!open_) return ScriptError::StageLibOpenClose;
  if (header_.paletteId == 0) return ScriptError::ResourceNotFound;
  const auto id = static_cast<std::int32_t>(header_.paletteId);
  RecordBlock* record = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(*file_, id, record); Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kStagePaletteLoad);
    return ScriptError::ResourceNotFound;
  }
  auto table = DecodeColourTable16(*record);
  (void)p_.library.StarReleaseResource(*file_, id);
  if (!table) return ScriptError::ResourceNotFound;
  out = *table;
  return ScriptError::None;
}

void StageObjects::Release() {
  if (Failed(p_.library.StarReleaseResource(*file_, kHeaderRecord))) {
    p_.errors.ReportError(kObjectProgramCode, errline::kStageHeaderRelease);
  }
  p_.library.StarPark(*file_);
  file_ = nullptr;
  open_ = false;
  header_ = {};
  current_ = 0;
}

void StageObjects::ShutDown() {
  if (open_) Release();
}

}  // namespace lw

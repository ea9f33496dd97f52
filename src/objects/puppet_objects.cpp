#include "objects/puppet_objects.h"

#include <algorithm>
#include <utility>

#include "media/sprite.h"
#include "objects/event_message.h"
#include "objects/object_error_lines.h"
#include "objects/object_names.h"
#include "objects/script_chain.h"

namespace lw {

PuppetObjects::PuppetObjects(PuppetParts parts)
    : p_(std::move(parts)),
      stage_(kPuppetPictureWidth, kPuppetPictureHeight + kBevelBandHeight),
      grabbed_(kPuppetPictureWidth, kPuppetPictureHeight),
      background_(kPuppetPictureWidth, kPuppetPictureHeight) {}

bool PuppetObjects::shows(Point p) const {
  return isVisible() &&
         Rect{0, 0, kPuppetPictureHeight + kBevelBandHeight, kPuppetPictureWidth}.contains(p);
}

std::optional<std::size_t> PuppetObjects::findPuppet(std::string_view name) const {
  for (std::size_t i = 0; i < puppets_.size(); ++i) {
    if (SameObjectName(puppets_[i].name, name)) return i;
  }
  return std::nullopt;
}

void PuppetObjects::Report(std::int16_t programCode, std::int16_t line) {
  p_.errors.ReportError(programCode, line);
}

// Opening stops every sound first, and takes the scene view before the puppet covers it.
ScriptError PuppetObjects::OpenPuppetFile(BuiltinCall& c, std::string_view fileName) {
  if (open_) return ScriptError::PuppetAlreadyOpen;
  p_.channels.Stop(true, true, true, true);
  if (grab_) p_.host.GrabSceneView(grabbed_);
  StarFile* file = nullptr;
  LW_TRY(OpenLibraryFile(p_.library, p_.errors, p_.locate, fileName, kPuppetFileType,
                         errline::kPuppetFileOpen, file));
  file_ = file;
  if (!LoadRecords(*file) || !LoadLayerImages()) {
    Release();
    return ScriptError::ResourceNotFound;
  }
  open_ = true;
  visible_ = true;
  ++generation_;
  bevels_.clear();
  keptBevels_.clear();
  history_.clear();
  interrupted_ = false;
  clicked_ = -1;
  subtitleShown_ = false;
  baseShown_ = false;
  DrawBand(bevels_, -1);
  DrawBasePicture();
  return SendPuppetEvent(c, ObjectEvent::kOpen);
}

// Records 0 to 3 are got and kept locked; a record that does not load or read is fatal.
bool PuppetObjects::LoadRecords(StarFile& file) {
  std::array<RecordBlock*, 4> blocks{};
  for (std::int32_t id = kPuppetHeaderRecord; id <= kPuppetLayersRecord; ++id) {
    if (const ProgramCode got = p_.library.StarGetResource(file, id, blocks[id]); Failed(got)) {
      Report(CodeNumber(got), errline::kPuppetRecordLoad);
      for (std::int32_t loaded = 0; loaded < id; ++loaded) {
        (void)p_.library.StarReleaseResource(file, loaded);
      }
      return false;
    }
  }
  auto header = ReadPuppetHeader(*blocks[kPuppetHeaderRecord]);
  auto players = ReadPlayerLines(*blocks[kPlayerLinesRecord]);
  auto puppets = ReadPuppetList(*blocks[kPuppetListRecord]);
  auto layers = ReadPuppetLayers(*blocks[kPuppetLayersRecord]);
  std::int16_t fault = 0;
  if (!header || !players || !puppets) {
    fault = errline::kPuppetRecordCorrupt;
  } else if (!layers) {
    fault = errline::kPuppetLayersCorrupt;
  } else if (header->picture.height() != kPuppetPictureHeight ||
             header->picture.width() != kPuppetPictureWidth) {
    fault = errline::kPuppetPictureSize;
  }
  // The records stay locked from here until the file closes, even when they are refused, so
  // that Release gives back exactly what was got.
  recordsHeld_ = true;
  if (fault != 0) {
    Report(kObjectProgramCode, fault);
    return false;
  }
  header_ = std::move(*header);
  playerLines_ = std::move(*players);
  puppets_ = std::move(*puppets);
  layers_ = std::move(*layers);
  return true;
}

// Every image of every layer is got, checked as a picture and kept (the background's is not
// needed while the scene view stands in for it).
bool PuppetObjects::LoadLayerImages() {
  for (std::size_t k = grab_ ? 1 : 0; k < kPuppetLayers; ++k) {
    for (const std::uint32_t id : layers_[k]) {
      RecordBlock* image = nullptr;
      if (const ProgramCode got =
              p_.library.StarGetResource(*file_, static_cast<std::int32_t>(id), image);
          Failed(got)) {
        Report(CodeNumber(got), errline::kPuppetImageLoad);
        return false;
      }
      images_[k].push_back(image);
      heldImages_.push_back(static_cast<std::int32_t>(id));
      if (auto picture = ReadSpritePicture(*image); !picture) {
        Report(kObjectProgramCode, errline::kPuppetImageCorrupt);
        return false;
      }
    }
  }
  return true;
}

ScriptError PuppetObjects::ClosePuppetFile(BuiltinCall& c) {
  if (!open_) return ScriptError::PuppetAlreadyOpen;
  const std::uint64_t closing = generation_;
  LW_TRY(SendPuppetEvent(c, ObjectEvent::kClose));
  if (!open_ || generation_ != closing) return ScriptError::None;
  Release();
  p_.host.GiveBack();
  return ScriptError::None;
}

void PuppetObjects::Release() {
  for (const std::int32_t id : heldImages_) {
    if (Failed(p_.library.StarReleaseResource(*file_, id))) {
      Report(kObjectProgramCode, errline::kPuppetRecordRelease);
    }
  }
  heldImages_.clear();
  for (auto& layer : images_) layer.clear();
  backgroundOf_.reset();
  if (recordsHeld_) {
    for (std::int32_t id = kPuppetHeaderRecord; id <= kPuppetLayersRecord; ++id) {
      if (Failed(p_.library.StarReleaseResource(*file_, id))) {
        Report(kObjectProgramCode, errline::kPuppetRecordRelease);
      }
    }
    recordsHeld_ = false;
  }
  if (file_ != nullptr) p_.library.StarPark(*file_);
  file_ = nullptr;
  open_ = false;
  visible_ = false;
  header_ = {};
  playerLines_.clear();
  puppets_.clear();
  layers_ = {};
}

void PuppetObjects::ShutDown() {
  if (file_ != nullptr) Release();
}

// The chain of a message to a puppet is its own script alone.
ScriptError PuppetObjects::SendToPuppet(BuiltinCall& c, Value* result) {
  if (!open_) return ScriptError::PuppetAlreadyOpen;
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v));
  PString name;
  LW_TRY(c.text(v, name));
  const auto puppet = findPuppet(name.view());
  if (!puppet) return ScriptError::NoSuchObject;
  LW_TRY(ExpectCommaAfterNames(c));
  ScriptChain chain(p_.scripts);
  const PuppetEntry& entry = puppets_[*puppet];
  LW_TRY(chain.add(*file_, entry.scriptId, ObjectKind::kPuppet, entry.name, entry.name));
  return DeliverAfterNames(c, chain, result);
}

// openpuppet() and closepuppet() go to the file's first puppet; a file without puppets has no
// one to tell.
ScriptError PuppetObjects::SendPuppetEvent(BuiltinCall& c, ObjectEvent event) {
  if (puppets_.empty()) return ScriptError::None;
  const std::string first = puppets_.front().name;
  return SendEventMessage(c.in, ObjectKind::kPuppet, event, first,
                          [this](BuiltinCall& message) { return SendToPuppet(message, nullptr); });
}

ScriptError PuppetObjects::AddBevel(std::string_view text, std::int32_t number) {
  if (bevels_.size() >= kMaxBevels) return ScriptError::PuppetBevelFull;
  bevels_.push_back(Bevel{number, std::string(text)});
  return ScriptError::None;
}

void PuppetObjects::ScrambleBevels() {
  const auto count = static_cast<std::uint32_t>(bevels_.size());
  if (count < 2) return;
  for (std::uint32_t i = 0; i < 5 * count; ++i) {
    std::swap(bevels_[p_.host.Random(count)], bevels_[p_.host.Random(count)]);
  }
}

void PuppetObjects::SetVisible(bool visible) {
  visible_ = visible;
  if (!open_) return;
  if (visible) {
    baseShown_ = false;
    DrawBand(bevels_, -1);
    DisplayStep();
  } else {
    p_.host.GiveBack();
  }
}

ScriptError PuppetObjects::PuppetPalette(ColourTable& out) {
  if (!open_) return ScriptError::PuppetAlreadyOpen;
  out = header_.colours;
  if (grab_) {
    const ColourTable screen = p_.host.CurrentPalette();
    const auto first = static_cast<std::size_t>(std::clamp(params_[0], 0, 256));
    const auto end = static_cast<std::size_t>(std::clamp(params_[1], 0, 256));
    for (std::size_t i = first; i < end; ++i) out.entries[i] = screen.entries[i];
  }
  return ScriptError::None;
}

}  // namespace lw

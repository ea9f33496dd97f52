#include "objects/figure_table.h"

#include <utility>

#include "objects/builtin_arguments.h"
#include "objects/object_error_lines.h"
#include "objects/object_names.h"
#include "objects/script_chain.h"
#include "objects/set_objects.h"

namespace lw {

bool InCurrentSet(const SetObjects& set, const Figure& figure) {
  return set.isOpen() && SameObjectName(set.header().name, figure.set);
}

std::optional<std::size_t> FigureTable::Find(std::string_view name) {
  return Find(name, lastFound_);
}

std::optional<std::size_t> FigureTable::Find(std::string_view name, std::size_t hint) {
  if (hint < figures_.size() && SameObjectName(figures_[hint].name, name)) {
    lastFound_ = hint;
    return hint;
  }
  for (std::size_t i = 0; i < figures_.size(); ++i) {
    if (SameObjectName(figures_[i].name, name)) {
      lastFound_ = i;
      return i;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> FigureTable::FindGroup(std::string_view name) const {
  for (std::size_t i = 0; i < groups_.size(); ++i) {
    if (SameObjectName(groups_[i].name, name)) return i;
  }
  return std::nullopt;
}

const FigureGroup& FigureTable::GroupOf(const Figure& figure) const {
  for (const FigureGroup& group : groups_) {
    if (group.file == figure.group) return group;
  }
  // Figures leave with their group, so every figure finds its own; this keeps the compiler sure.
  static const FigureGroup kNone;
  return kNone;
}

std::optional<std::size_t> FigureTable::FindSerial(std::uint32_t serial) const {
  for (std::size_t i = 0; i < figures_.size(); ++i) {
    if (figures_[i].serial == serial) return i;
  }
  return std::nullopt;
}

ScriptError FigureTable::OpenGroupFile(BuiltinCall& c, std::string_view fileName) {
  StarFile* file = nullptr;
  LW_TRY(OpenLibraryFile(p_.library, p_.errors, p_.locate, fileName, kind_.fileType,
                         errline::kGroupFileOpen, file));
  FigureGroup group;
  std::vector<Figure> figures;
  if (!LoadGroup(*file, group, figures)) {
    p_.library.StarPark(*file);
    return ScriptError::ResourceNotFound;
  }
  std::vector<std::string> names;
  for (Figure& figure : figures) {
    names.push_back(figure.name);
    figures_.push_back(std::move(figure));
  }
  groups_.push_back(group);
  // Opening sends its messages without checking what the handlers did in between.
  LW_TRY(SendGroupEvent(c, group.name, ObjectEvent::kOpen));
  for (const std::string& name : names) {
    LW_TRY(SendFigureOpenClose(c, name, ObjectEvent::kOpen));
  }
  return ScriptError::None;
}

// Record 0 and every figure record, kept loaded; any failure is reported and releases what was
// got.
bool FigureTable::LoadGroup(StarFile& file, FigureGroup& group, std::vector<Figure>& figures) {
  const auto refuse = [&](std::int16_t code, std::int16_t line) {
    p_.errors.ReportError(code, line);
    for (const Figure& figure : figures) ReleaseFigure(figure);
    (void)p_.library.StarReleaseResource(file, kHeaderRecord);
    return false;
  };
  RecordBlock* block = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(file, kHeaderRecord, block); Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kGroupHeaderLoad);
    return false;
  }
  auto header = ReadGroupHeader(*block);
  if (!header) return refuse(kObjectProgramCode, errline::kGroupHeaderCorrupt);
  group = FigureGroup{.file = &file, .scriptId = header->scriptId, .name = header->name};
  for (const std::uint32_t id : header->figures) {
    Figure figure;
    RecordBlock* record = nullptr;
    const ProgramCode got = p_.library.StarGetResource(file, static_cast<std::int32_t>(id), record);
    if (Failed(got)) return refuse(CodeNumber(got), errline::kFigureRecordLoad);
    auto read = ReadFigureRecord(*record);
    if (!read) {
      (void)p_.library.StarReleaseResource(file, static_cast<std::int32_t>(id));
      return refuse(kObjectProgramCode, errline::kFigureRecordCorrupt);
    }
    figure.group = &file;
    figure.recordId = id;
    figure.scriptId = read->scriptId;
    figure.name = read->name;
    figure.set = read->set;
    figure.star = read->star;
    if (!read->poses.empty()) figure.pose = read->poses.front().name;
    figure.record = std::move(*read);
    figure.serial = p_.library.stamps().next();
    PlaceOnStar(figure);
    figures.push_back(std::move(figure));
  }
  return true;
}

void FigureTable::ReleaseFigure(const Figure& figure) {
  if (figure.group == nullptr) return;
  const ProgramCode released =
      p_.library.StarReleaseResource(*figure.group, static_cast<std::int32_t>(figure.recordId));
  if (Failed(released)) p_.errors.ReportError(CodeNumber(released), errline::kFigureRecordRelease);
}

ScriptError FigureTable::CloseGroupFile(BuiltinCall& c, std::string_view groupName) {
  const auto found = FindGroup(groupName);
  if (!found) return ScriptError::NoSuchObject;
  StarFile* file = groups_[*found].file;
  const std::uint32_t serial = file->serial();
  const std::string name = groups_[*found].name;
  LW_TRY(SendGroupEvent(c, name, ObjectEvent::kClose));
  if (!groupStillOpen(serial)) return ScriptError::None;
  std::vector<std::string> members;
  for (const Figure& figure : figures_) {
    if (figure.group == file) members.push_back(figure.name);
  }
  for (const std::string& member : members) {
    LW_TRY(SendFigureOpenClose(c, member, ObjectEvent::kClose));
    if (!groupStillOpen(serial)) return ScriptError::None;
  }
  for (std::size_t i = 0; i < figures_.size();) {
    if (figures_[i].group == file) {
      RemoveAt(i);  // the last figure moved into slot i is looked at next
    } else {
      ++i;
    }
  }
  (void)p_.library.StarReleaseResource(*file, kHeaderRecord);
  p_.library.StarPark(*file);
  for (std::size_t i = 0; i < groups_.size(); ++i) {
    if (groups_[i].file == file) {
      groups_.erase(groups_.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  return ScriptError::None;
}

bool FigureTable::groupStillOpen(std::uint32_t serial) const {
  for (const FigureGroup& group : groups_) {
    if (group.file->serial() == serial) return true;
  }
  return false;
}

void FigureTable::RemoveAt(std::size_t i) {
  if (hooks_.removing) hooks_.removing(figures_[i].name);
  ReleaseFigure(figures_[i]);
  if (i + 1 != figures_.size()) figures_[i] = std::move(figures_.back());
  figures_.pop_back();
}

ScriptError FigureTable::Instance(std::string_view source, std::string_view newName) {
  Name15 stored;
  LW_TRY(StoreObjectName(newName, stored));
  const auto from = Find(source);
  if (!from) return ScriptError::NoSuchObject;
  if (Find(newName)) return ScriptError::None;
  Figure copy = figures_[*from];
  RecordBlock* record = nullptr;
  const ProgramCode got =
      p_.library.StarGetResource(*copy.group, static_cast<std::int32_t>(copy.recordId), record);
  if (Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kFigureRecordLoad);
    return ScriptError::ResourceNotFound;
  }
  copy.name = std::string(newName);
  copy.serial = p_.library.stamps().next();
  copy.shown = ShownPicture{};
  figures_.push_back(std::move(copy));
  return ScriptError::None;
}

void FigureTable::Warm(const Figure& figure) {
  StarLibrary& library = p_.library;
  for (const PoseEntry& pose : figure.record.poses) {
    const auto poseId = static_cast<std::int32_t>(pose.recordId);
    RecordBlock* block = nullptr;
    if (const ProgramCode got = library.StarGetResource(*figure.group, poseId, block);
        Failed(got)) {
      p_.errors.ReportError(CodeNumber(got), errline::kPoseRecordLoad);
      return;
    }
    const auto read = ReadPoseRecord(*block);
    if (!read) p_.errors.ReportError(kObjectProgramCode, errline::kPoseRecordCorrupt);
    for (const PictureEntry& picture : read ? read->pictures : std::vector<PictureEntry>{}) {
      const auto id = static_cast<std::int32_t>(picture.recordId);
      RecordBlock* image = nullptr;
      if (const ProgramCode got = library.StarGetResource(*figure.group, id, image); Failed(got)) {
        p_.errors.ReportError(CodeNumber(got), errline::kFigurePictureLoad);
        break;
      }
      (void)library.StarReleaseResource(*figure.group, id);
    }
    (void)library.StarReleaseResource(*figure.group, poseId);
  }
}

bool FigureTable::PlaceOnStar(Figure& figure) {
  if (!InCurrentSet(p_.set, figure)) return false;
  const auto star = p_.set.FindStar(figure.star);
  if (!star) return false;
  figure.x = static_cast<std::int16_t>(star->x);
  figure.y = static_cast<std::int16_t>(star->y);
  figure.z = static_cast<std::int16_t>(star->z);
  if (kind_.kind == FigureKind::kProp) {
    figure.extra[0] = static_cast<std::int16_t>(figure.x >> 8);
    figure.extra[1] = static_cast<std::int16_t>(figure.y >> 8);
  } else {
    figure.extra[0] = figure.extra[1] = 0;  // a star stores no extra words
  }
  figure.is3d = true;
  return true;
}

void FigureTable::SetOpened() {
  for (Figure& figure : figures_) {
    if (figure.is3d) PlaceOnStar(figure);
  }
}

void FigureTable::Placed(const Figure& figure) {
  if (hooks_.placed) hooks_.placed(figure.name);
}

ScriptError FigureTable::SendToFigure(BuiltinCall& c, Value* result) {
  PString name;
  LW_TRY(TextArgument(c, name));
  const auto found = Find(name.view());
  if (!found) return ScriptError::NoSuchObject;
  LW_TRY(ExpectCommaAfterNames(c));
  const Figure& figure = figures_[*found];
  const FigureGroup& group = GroupOf(figure);
  ScriptChain chain(p_.scripts);
  LW_TRY(chain.add(*figure.group, figure.scriptId, kind_.figure, figure.name, figure.name));
  if (group.file != nullptr) {
    LW_TRY(chain.add(*group.file, group.scriptId, kind_.group, group.name, figure.name));
  }
  return DeliverAfterNames(c, chain, result);
}

ScriptError FigureTable::SendToGroup(BuiltinCall& c, Value* result) {
  PString name;
  LW_TRY(TextArgument(c, name));
  const auto found = FindGroup(name.view());
  if (!found) return ScriptError::NoSuchObject;
  LW_TRY(ExpectCommaAfterNames(c));
  const FigureGroup& group = groups_[*found];
  ScriptChain chain(p_.scripts);
  LW_TRY(chain.add(*group.file, group.scriptId, kind_.group, group.name, group.name));
  return DeliverAfterNames(c, chain, result);
}

ScriptError FigureTable::SendFigureEvent(Interpreter& in, std::string_view name,
                                         std::string_view stored) {
  return SendMessageText(in, kind_.figure, QuotedNameMessage(name, stored),
                         [this](BuiltinCall& call) { return SendToFigure(call, nullptr); });
}

ScriptError FigureTable::SendGroupEvent(BuiltinCall& c, std::string_view group, ObjectEvent event) {
  return SendEventMessage(c.in, kind_.group, event, group,
                          [this](BuiltinCall& call) { return SendToGroup(call, nullptr); });
}

ScriptError FigureTable::SendFigureOpenClose(BuiltinCall& c, std::string_view name,
                                             ObjectEvent event) {
  return SendEventMessage(c.in, kind_.figure, event, name,
                          [this](BuiltinCall& call) { return SendToFigure(call, nullptr); });
}

void FigureTable::ShutDown() {
  for (const Figure& figure : figures_) ReleaseFigure(figure);
  figures_.clear();
  for (const FigureGroup& group : groups_) {
    (void)p_.library.StarReleaseResource(*group.file, kHeaderRecord);
    p_.library.StarPark(*group.file);
  }
  groups_.clear();
  lastFound_ = 0;
}

}  // namespace lw

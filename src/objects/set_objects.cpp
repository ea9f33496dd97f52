#include "objects/set_objects.h"

#include <algorithm>
#include <array>
#include <climits>

#include "objects/library_open.h"
#include "objects/object_error_lines.h"
#include "objects/object_names.h"

namespace lw {
namespace {

constexpr int kNorth = 1;
constexpr int kSouth = 2;
constexpr int kEast = 3;
constexpr int kWest = 4;
constexpr int kQuarterTurn = 64;

SetPosition Ahead(const SetPosition& p, int sign) {
  SetPosition next = p;
  switch (p.direction) {
    case kNorth: next.row -= sign; break;
    case kSouth: next.row += sign; break;
    case kEast: next.column += sign; break;
    case kWest: next.column -= sign; break;
    default: break;
  }
  return next;
}

SetPosition Turned(const SetPosition& p, int quarters) {
  SetPosition next = p;
  next.direction = DirectionOfAngle(DirectionAngle(p.direction) + quarters * kQuarterTurn);
  return next;
}

}  // namespace

int DirectionAngle(int code) {
  switch (code) {
    case kNorth: return 192;
    case kSouth: return 64;
    case kWest: return 128;
    default: return 0;
  }
}

int DirectionOfAngle(std::int32_t angle) {
  const int a = WrapDirection(angle);
  if (a >= 225 || a <= 31) return kEast;
  if (a <= 96) return kSouth;
  if (a <= 159) return kWest;
  return kNorth;
}

std::optional<std::size_t> SetObjects::findScene(std::string_view name) const {
  if (!open_) return std::nullopt;
  for (std::size_t i = 0; i < header_.scenes.size(); ++i) {
    if (SameObjectName(header_.scenes[i].name, name)) return i;
  }
  return std::nullopt;
}

namespace {
// The key of a cell in the scene index.
std::uint32_t CellKey(std::uint16_t row, std::uint16_t column) {
  return (std::uint32_t{row} << 16) | column;
}
}  // namespace

std::optional<std::size_t> SetObjects::sceneAt(int row, int column) const {
  if (!open_ || row < 0 || column < 0 || row > UINT16_MAX || column > UINT16_MAX) {
    return std::nullopt;
  }
  const auto found = sceneIndex_.find(
      CellKey(static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column)));
  if (found == sceneIndex_.end()) return std::nullopt;
  return found->second;
}

bool SetObjects::isSolidCell(int row, int column) const {
  if (!open_) return false;
  const auto scene = sceneAt(row, column);
  return !scene || header_.scenes[*scene].building;
}

std::optional<std::size_t> SetObjects::currentScene() const {
  return sceneAt(sceneRow_, sceneColumn_);
}

bool SetObjects::shows(Point p) const {
  return isVisible() && Rect{0, 0, kSceneViewHeight, kSceneViewWidth}.contains(p);
}

ScriptError SetObjects::OpenSetFile(BuiltinCall& c, std::string_view fileName) {
  if (open_) return ScriptError::SceneLibOpenClose;
  StarFile* file = nullptr;
  LW_TRY(OpenLibraryFile(p_.library, p_.errors, p_.locate, fileName, kSetFileType,
                         errline::kSetFileOpen, file));
  if (!LoadRecords(*file)) {
    p_.library.StarPark(*file);
    return ScriptError::ResourceNotFound;
  }
  open_ = true;
  visible_ = true;
  file_ = file;
  ++generation_;
  move_.reset();
  WarmScripts();
  p_.display.sceneView().setShown(true);
  position_ = previous_ = {};
  PlacePlayer(SetPosition{header_.startColumn, header_.startRow, header_.startDirection});
  if (p_.opened) p_.opened();
  const Mark opened = mark();
  LW_TRY(SendSetEvent(c, ObjectEvent::kOpen));
  if (!sameSetAndPlace(opened)) return ScriptError::None;
  LW_TRY(SendFloorEvent(c, ObjectEvent::kOpen));
  if (!sameSetAndPlace(opened)) return ScriptError::None;
  return SendSceneEvent(c, ObjectEvent::kOpen);
}

// Record 0, the move table and the star record, each read through its checking reader; any
// failure is reported and releases what was got.
bool SetObjects::LoadRecords(StarFile& file) {
  StarLibrary& library = p_.library;
  std::vector<std::int32_t> held;  // the records got so far, released again on a refusal
  const auto refuse = [&](std::int16_t code, std::int16_t line) {
    p_.errors.ReportError(code, line);
    for (const std::int32_t id : held) (void)library.StarReleaseResource(file, id);
    return false;
  };
  const auto get = [&](std::uint32_t id, RecordBlock*& block) {
    const ProgramCode got = library.StarGetResource(file, static_cast<std::int32_t>(id), block);
    if (!Failed(got)) held.push_back(static_cast<std::int32_t>(id));
    return got;
  };
  RecordBlock* block = nullptr;
  if (const ProgramCode got = get(kHeaderRecord, block); Failed(got)) {
    return refuse(CodeNumber(got), errline::kSetHeaderLoad);
  }
  auto header = ReadSetHeader(*block);
  if (!header) return refuse(kObjectProgramCode, errline::kSetHeaderCorrupt);
  if (header->check28 == 0 || header->startDirection == 0) {
    return refuse(kObjectProgramCode, errline::kSetHeaderZero);
  }
  RecordBlock* moves = nullptr;
  if (const ProgramCode got = get(header->moveTableId, moves); Failed(got)) {
    return refuse(CodeNumber(got), errline::kSetMovesLoad);
  }
  RecordBlock* stars = nullptr;
  if (const ProgramCode got = get(header->starRecordId, stars); Failed(got)) {
    return refuse(CodeNumber(got), errline::kSetStarsLoad);
  }
  auto readMoves = ReadMoveTable(*moves, header->moveCount);
  if (!readMoves) return refuse(kObjectProgramCode, errline::kSetMovesCorrupt);
  auto readStars = ReadStarRecord(*stars);
  if (!readStars) return refuse(kObjectProgramCode, errline::kSetStarsCorrupt);
  header_ = std::move(*header);
  moves_ = std::move(*readMoves);
  // The first scene of a cell is the one found there, as a scan in table order would find it.
  sceneIndex_.clear();
  for (std::size_t i = 0; i < header_.scenes.size(); ++i) {
    sceneIndex_.emplace(CellKey(header_.scenes[i].row, header_.scenes[i].column), i);
  }
  stars_ = std::move(*readStars);
  return true;
}

// The set script, and the floor scripts and own scripts of the scenes one can stand in.
void SetObjects::WarmScripts() {
  const auto warm = [this](std::uint32_t id) {
    if (CompiledScript* script =
            p_.scripts.GetCompiledScript(*file_, static_cast<std::int32_t>(id))) {
      p_.scripts.ReleaseCompiledScript(script);
    }
  };
  warm(header_.scriptId);
  for (const SceneEntry& scene : header_.scenes) {
    if (scene.building) continue;
    if (scene.floor >= 0 && scene.floor < kFloorCount) warm(header_.floorScriptIds[scene.floor]);
    if (scene.hasOwnScript) warm(scene.scriptId);
  }
}

ScriptError SetObjects::CloseSetFile(BuiltinCall& c) {
  if (!open_) return ScriptError::SceneLibOpenClose;
  const Mark closing = mark();
  LW_TRY(SendSetEvent(c, ObjectEvent::kClose));
  if (!sameSetAndPlace(closing)) return ScriptError::None;
  LW_TRY(SendFloorEvent(c, ObjectEvent::kClose));
  if (!sameSetAndPlace(closing)) return ScriptError::None;
  LW_TRY(SendSceneEvent(c, ObjectEvent::kClose));
  if (!sameSetAndPlace(closing)) return ScriptError::None;
  Release();
  return ScriptError::None;
}

void SetObjects::SetVisible(bool visible) {
  if (!open_) return;
  visible_ = visible;
  p_.display.sceneView().setShown(visible);
  p_.display.requestViewRedraw();
}

const MoveEntry* SetObjects::findMove(const SetPosition& from, const SetPosition& to) const {
  for (const MoveEntry& m : moves_) {
    if (m.fromColumn == from.column && m.fromRow == from.row && m.fromDirection == from.direction &&
        m.toColumn == to.column && m.toRow == to.row && m.toDirection == to.direction) {
      return &m;
    }
  }
  return nullptr;
}

void SetObjects::PlacePlayer(SetPosition place) {
  if (place.column < 0) place.column = position_.column;
  if (place.row < 0) place.row = position_.row;
  if (place.direction < 0) place.direction = position_.direction;
  const MoveEntry* view = findMove(place, Ahead(place, 1));
  if (view == nullptr) view = findMove(place, Turned(place, 1));
  if (view == nullptr) return;
  previous_ = position_;
  position_ = place;
  move_.reset();
  DrawStep(place, place, view->firstPicture, 0);
  QueuePreload();
}

void SetObjects::DrawStep(const SetPosition& from, const SetPosition& to,
                          std::uint32_t firstPicture, int step) {
  if (visible_) {
    const FatalSite drawn = p_.display.sceneView().DecodeViewBackground(
        p_.library, *file_, static_cast<std::int32_t>(firstPicture) + step);
    if (drawn.failed()) p_.errors.ReportError(drawn.programCode, drawn.errorLine);
  }
  const Trig& trig = p_.display.trig();
  int angle = DirectionAngle(from.direction);
  std::int32_t x = CellCentre(from.column);
  std::int32_t y = CellCentre(from.row);
  if (to.direction != from.direction) {
    const int turn = WrapDirection(DirectionAngle(to.direction) - angle) == kQuarterTurn ? 1 : -1;
    angle = WrapDirection(angle + turn * step * kTurnStepUnits);
  } else {
    x += (to.column - from.column) * step * kMoveStepUnits;
    y += (to.row - from.row) * step * kMoveStepUnits;
  }
  viewAngle_ = angle;
  player_ = SetPoint{x, y, player_.z};
  sceneColumn_ = x / kCellSize;
  sceneRow_ = y / kCellSize;
  camera_ = CameraBehind(trig, x, y, angle, header_.cameraSetBack, header_.cameraHeight);
  p_.display.requestViewRedraw();
  p_.display.composeFrame();
}

ScriptError SetObjects::StartMove(BuiltinCall& c, SetMoveWord word) {
  if (!open_) return ScriptError::SceneLibOpenClose;
  if (move_) return ScriptError::None;
  SetPosition target = position_;
  switch (word) {
    case SetMoveWord::kLeft: target = Turned(position_, -1); break;
    case SetMoveWord::kRight: target = Turned(position_, 1); break;
    case SetMoveWord::kStraight: target = Ahead(position_, 1); break;
    case SetMoveWord::kBackwards: target = Ahead(position_, -1); break;
  }
  // A move the table does not hold (into a wall) changes nothing and sends nothing.
  const MoveEntry* entry = findMove(position_, target);
  if (entry == nullptr) return ScriptError::None;
  const std::uint32_t first = entry->firstPicture;
  const Mark leaving = mark();
  LW_TRY(SendSceneEvent(c, ObjectEvent::kClose));
  if (!sameSetAndPlace(leaving)) return ScriptError::None;
  move_ = Move{target, first, 1};
  return ScriptError::None;
}

ScriptError SetObjects::ViewUpdateStep(BuiltinCall& c) {
  if (!open_ || !move_) return ScriptError::None;
  Move& move = *move_;
  DrawStep(position_, move.target, move.firstPicture, move.step);
  if (++move.step <= kMoveSteps) return ScriptError::None;
  previous_ = position_;
  position_ = move.target;
  move_.reset();
  QueuePreload();
  return SendSceneEvent(c, ObjectEvent::kOpen);
}

ScriptError SetObjects::JumpToScene(BuiltinCall& c, std::size_t scene) {
  if (!open_) return ScriptError::SceneLibOpenClose;
  const SceneEntry& entry = header_.scenes[scene];
  if (entry.row == position_.row && entry.column == position_.column) return ScriptError::None;
  const Mark leaving = mark();
  LW_TRY(SendSceneEvent(c, ObjectEvent::kClose));
  if (!sameSetAndPlace(leaving)) return ScriptError::None;
  PlacePlayer(SetPosition{entry.column, entry.row, -1});
  return SendSceneEvent(c, ObjectEvent::kOpen);
}

ScriptError SetObjects::TurnTo(BuiltinCall& c, int code) {
  if (!open_) return ScriptError::SceneLibOpenClose;
  if (code == position_.direction) return ScriptError::None;
  const Mark leaving = mark();
  LW_TRY(SendSceneEvent(c, ObjectEvent::kClose));
  if (!sameSetAndPlace(leaving)) return ScriptError::None;
  PlacePlayer(SetPosition{-1, -1, code});
  return SendSceneEvent(c, ObjectEvent::kOpen);
}

void SetObjects::SetCameraHeight(std::int32_t height) {
  header_.cameraHeight = static_cast<std::int16_t>(height);
  camera_.z = height;
}

ScriptError SetObjects::UpdateSceneScriptFlag(std::size_t scene) {
  SceneEntry& entry = header_.scenes[scene];
  bool handlers = false;
  // A scene that names no script (id 0, the header) has no handlers to look for.
  CompiledScript* script =
      entry.scriptId == 0
          ? nullptr
          : p_.scripts.GetCompiledScript(*file_, static_cast<std::int32_t>(entry.scriptId));
  if (script != nullptr) {
    const auto tokens = script->tokens();
    handlers = std::any_of(tokens.begin(), tokens.end(),
                           [](const Token& t) { return t.code == tok::kCode; });
    p_.scripts.ReleaseCompiledScript(script);
  }
  entry.hasOwnScript = handlers;
  RecordBlock* block = nullptr;
  if (Failed(p_.library.StarGetResource(*file_, kHeaderRecord, block)) ||
      !WriteSceneEntry(*block, scene, entry) ||
      Failed(p_.library.StarReplaceResource(*file_, kHeaderRecord))) {
    p_.errors.ReportError(kObjectProgramCode, errline::kSceneEntryWrite);
  }
  if (block != nullptr) (void)p_.library.StarReleaseResource(*file_, kHeaderRecord);
  return ScriptError::None;
}

std::optional<SetPoint> SetObjects::FindStar(std::string_view name) const {
  if (!open_) return std::nullopt;
  for (const StarLink& link : stars_) {
    if (SameObjectName(link.firstName, name))
      return SetPoint{link.first.x, link.first.y, link.first.z};
    if (link.pathId != 0 && SameObjectName(link.secondName, name)) {
      return SetPoint{link.second.x, link.second.y, link.second.z};
    }
  }
  return std::nullopt;
}

std::optional<SetPath> SetObjects::FindPath(std::string_view from, std::string_view to,
                                            bool resume) const {
  if (!open_) return std::nullopt;
  for (const StarLink& link : stars_) {
    if (link.pathId == 0) continue;
    const bool forward =
        resume ? SameObjectName(link.secondName, to)
               : SameObjectName(link.firstName, from) && SameObjectName(link.secondName, to);
    const bool backward =
        resume ? SameObjectName(link.firstName, to)
               : SameObjectName(link.firstName, to) && SameObjectName(link.secondName, from);
    if (!forward && !backward) continue;
    const auto id = static_cast<std::int32_t>(link.pathId);
    RecordBlock* block = nullptr;
    if (const ProgramCode got = p_.library.StarGetResource(*file_, id, block); Failed(got)) {
      p_.errors.ReportError(CodeNumber(got), errline::kPathLoad);
      return std::nullopt;
    }
    auto path = ReadPath(*block);
    (void)p_.library.StarReleaseResource(*file_, id);
    if (!path) {
      p_.errors.ReportError(kObjectProgramCode, errline::kPathCorrupt);
      return std::nullopt;
    }
    if (forward) return std::move(*path);
    // Walked backward, the segment ending at new point i is the one that ended at old point
    // n - i; the first point's length is not used.
    std::vector<PathPoint>& points = path->points;
    const std::vector<PathPoint> stored = points;
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
      points[i] = stored[n - 1 - i];
      points[i].length = i == 0 ? std::int16_t{0} : stored[n - i].length;
    }
    return std::move(*path);
  }
  return std::nullopt;
}

void SetObjects::QueuePreload() {
  preload_.clear();
  for (const MoveEntry& m : moves_) {
    if (m.fromColumn != position_.column || m.fromRow != position_.row ||
        m.fromDirection != position_.direction) {
      continue;
    }
    for (int k = 0; k <= kMoveSteps + 1; ++k) {
      preload_.push_back(static_cast<std::int32_t>(m.firstPicture) + k);
    }
  }
  std::reverse(preload_.begin(), preload_.end());  // taken from the back, in table order
}

bool SetObjects::PreloadStep() {
  if (!open_ || move_ || preload_.empty()) return false;
  const std::int32_t id = preload_.back();
  preload_.pop_back();
  RecordBlock* block = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(*file_, id, block); Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kPreloadGet);
    preload_.clear();
    return true;
  }
  if (const ProgramCode released = p_.library.StarReleaseResource(*file_, id); Failed(released)) {
    p_.errors.ReportError(CodeNumber(released), errline::kPreloadRelease);
  }
  return true;
}

std::optional<SetPoint> ParseCustomDestination(std::string_view text) {
  std::array<std::int32_t, 3> values{};
  std::size_t count = 0;
  std::size_t i = 0;
  while (count < values.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && text[i] == '-') negative = true, ++i;
    const std::size_t digits = i;
    std::int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
      ++i;
    }
    if (i == digits) return std::nullopt;
    values[count++] = static_cast<std::int32_t>(negative ? -value : value);
    while (i < text.size() && text[i] == ' ') ++i;
    if (count < values.size()) {
      if (i >= text.size() || text[i] != ',') return std::nullopt;
      ++i;
    }
  }
  if (i != text.size()) return std::nullopt;
  return SetPoint{values[0], values[1], values[2]};
}

void SetObjects::Release() {
  StarLibrary& library = p_.library;
  (void)library.StarReleaseResource(*file_, static_cast<std::int32_t>(header_.starRecordId));
  (void)library.StarReleaseResource(*file_, static_cast<std::int32_t>(header_.moveTableId));
  (void)library.StarReleaseResource(*file_, kHeaderRecord);
  library.StarPark(*file_);
  file_ = nullptr;
  open_ = false;
  visible_ = false;
  move_.reset();
  preload_.clear();
  p_.display.sceneView().setShown(false);
  p_.display.requestViewRedraw();
}

void SetObjects::ShutDown() {
  if (open_) Release();
}

}  // namespace lw

#include "objects/saved_game_reader.h"

#include <algorithm>

#include "objects/object_names.h"
#include "objects/set_file.h"

namespace lw {
namespace {

// Reads the file's records in id order.
class RecordReader {
 public:
  explicit RecordReader(StarFile& file) : file_(file) {}
  bool next(RecordBlock& out) {
    if (next_ >= file_.header().nextId) return false;
    return !Failed(file_.ReadRecord(static_cast<std::int32_t>(next_++), out));
  }

 private:
  StarFile& file_;
  std::uint32_t next_ = 0;
};

template <typename T, typename Decode>
bool ReadTable(RecordReader& in, std::size_t count, std::size_t size, Decode decode,
               std::vector<T>& out) {
  RecordBlock record;
  if (!in.next(record)) return false;
  auto table = DecodeTable<T>(record, count, size, decode);
  if (!table) return false;
  out = std::move(*table);
  return true;
}

template <typename Slot, std::size_t N, typename Decode>
bool ReadSlots(RecordReader& in, std::size_t size, Decode decode, std::array<Slot, N>& out) {
  std::vector<Slot> slots;
  if (!ReadTable(in, N, size, decode, slots)) return false;
  std::move(slots.begin(), slots.end(), out.begin());
  return true;
}

auto FigureDecoder(FigureKind kind) {
  return [kind](std::span<const std::uint8_t> bytes) { return DecodeFigure(kind, bytes); };
}

bool HasGroup(const std::vector<SavedGroup>& groups, std::uint32_t id) {
  return std::any_of(groups.begin(), groups.end(),
                     [id](const SavedGroup& group) { return group.file == id; });
}

// The object tables and the tracks' arrays.
bool ReadTables(RecordReader& in, SavedGameRecords& r) {
  const ObjectState& s = r.state;
  std::vector<SavedTrack> tracks;
  if (!ReadTable(in, s.count(SavedTable::kActors), kActorRecordBytes,
                 FigureDecoder(FigureKind::kActor), r.actors) ||
      !ReadTable(in, s.count(SavedTable::kCasts), kGroupRecordBytes, DecodeGroup, r.casts) ||
      !ReadTable(in, s.count(SavedTable::kProps), kPropRecordBytes,
                 FigureDecoder(FigureKind::kProp), r.props) ||
      !ReadTable(in, s.count(SavedTable::kShops), kGroupRecordBytes, DecodeGroup, r.shops) ||
      !ReadTable(in, s.count(SavedTable::kTracks), kTrackRecordBytes, DecodeTrack, tracks))
    return false;
  for (const SavedTrack& track : tracks) {
    SavedTrackState& t = r.tracks.emplace_back();
    t.track = track;
    if (!ReadTable(in, track.sounds, kSoundItemBytes, DecodeSound, t.sounds) ||
        !ReadTable(in, track.themeParts, kSoundItemBytes, DecodeSound, t.themeParts) ||
        !ReadTable(in, track.sequence, kSoundItemBytes, DecodeSound, t.sequence))
      return false;
  }
  return true;
}

// The globals, the motion slots and the path of each active path walk.
bool ReadScriptAndMotion(RecordReader& in, SavedGameRecords& r) {
  RecordBlock table;
  RecordBlock heap;
  if (!in.next(table) || !in.next(heap)) return false;
  auto globals = VariableTable::FromStored(table, heap);
  if (!globals) return false;
  r.globals = std::move(*globals);
  if (!ReadSlots(in, kLoopSlotBytes, DecodeLoop, r.loops) ||
      !ReadSlots(in, kBallSlotBytes, DecodeBall, r.balls) ||
      !ReadSlots(in, kWalkSlotBytes, DecodeWalk, r.walks))
    return false;
  for (WalkSlot& walk : r.walks) {
    if (!walk.path) continue;
    if (!walk.active) {  // a free slot's path flag means nothing
      walk.path.reset();
      continue;
    }
    RecordBlock record;
    if (!in.next(record)) return false;
    auto path = ReadPath(record);
    if (!path) return false;
    walk.path = std::move(*path);
  }
  return true;
}

// Every identity the records name is in the star-file list, and every figure's group is saved.
bool IdentitiesKnown(const SavedGameRecords& r) {
  for (const std::uint32_t id : r.libraries())
    if (r.header.file(id) == nullptr) return false;
  for (const std::uint32_t id : {r.header.themeTrack, r.header.effectTrack})
    if (id != 0 && r.header.file(id) == nullptr) return false;
  return std::all_of(r.actors.begin(), r.actors.end(),
                     [&](const SavedFigure& f) { return HasGroup(r.casts, f.group); }) &&
         std::all_of(r.props.begin(), r.props.end(),
                     [&](const SavedFigure& f) { return HasGroup(r.shops, f.group); });
}

}  // namespace

std::vector<std::uint32_t> SavedGameRecords::libraries() const {
  std::vector<std::uint32_t> ids;
  for (const SavedGroup& group : casts) ids.push_back(group.file);
  for (const SavedGroup& group : shops) ids.push_back(group.file);
  for (const SavedTrackState& track : tracks) ids.push_back(track.track.file);
  if (state.set.open) ids.push_back(state.set.file);
  if (state.stage.open) ids.push_back(state.stage.file);
  return ids;
}

SavedGameRead ReadSavedGame(StarFile& file, std::string_view identity) {
  SavedGameRead read;
  SavedGameRecords& r = read.records;
  const auto refuse = [&read](SavedGameFault fault, std::string why) {
    read.fault = fault;
    read.why = std::move(why);
    return std::move(read);
  };
  const auto damaged = [&](std::string why) {
    return refuse(SavedGameFault::kNotASavedGame, std::move(why));
  };
  if (file.header().fileType != FourCharCode(kSavedGameType))
    return damaged("not of the saved-game type");
  RecordReader in(file);
  RecordBlock record;
  if (!in.next(record)) return damaged("no game header");
  auto header = DecodeGameHeader(record);
  if (!header) return damaged(header.error());
  r.header = std::move(*header);
  if (!SameObjectName(r.header.identity, identity))
    return refuse(SavedGameFault::kOtherTitle, "saved as \"" + r.header.identity + "\"");
  if (!in.next(record)) return damaged("no object state block");
  auto state = DecodeObjectState(record);
  if (!state) return damaged(state.error());
  r.state = std::move(*state);
  if (!ReadTables(in, r)) return damaged("an object table or sound array is missing or damaged");
  if (!ReadScriptAndMotion(in, r))
    return damaged("the globals, the motion slots or a walk's path are missing or damaged");
  if (!IdentitiesKnown(r)) return damaged("a star file is named that the list does not hold");
  return read;
}

}  // namespace lw

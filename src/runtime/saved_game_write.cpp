// Writing a saved game: the running state gathered into records, and the records written into a
// new star file that replaces the chosen one only once it is complete and on the disc.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "media/star_file.h"
#include "objects/saved_game_header.h"
#include "objects/saved_game_tables.h"
#include "runtime/saved_game.h"

namespace lw {
namespace {

// The effect channels, whose sound the header names so that it plays again.
constexpr int kEffectChannels[] = {1, 2};

std::vector<std::uint8_t> Figures(FigureKind kind, const FigureTable& table) {
  return EncodeTable(table.SavedFigures(),
                     [kind](const SavedFigure& saved) { return EncodeFigure(kind, saved); });
}

std::vector<std::uint8_t> Groups(const FigureTable& table) {
  return EncodeTable(table.SavedGroups(), EncodeGroup);
}

template <typename Slot, std::size_t N, typename Encode>
std::vector<std::uint8_t> Slots(const std::array<Slot, N>& slots, Encode encode) {
  return EncodeTable(std::vector<Slot>(slots.begin(), slots.end()), encode);
}

std::string Why(std::string_view step, const std::string& path) {
  return std::string(step) + " " + path + ": " + std::strerror(errno);
}

// Makes a rename into `folder` survive a crash: the folder's entry is synced too.
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  (void)::fsync(fd);
  (void)::close(fd);
}

}  // namespace

std::vector<std::vector<std::uint8_t>> SavedGames::Records(std::string_view identity) const {
  TitleObjects& objects = p_.objects;
  GameHeader header;
  header.identity = std::string(identity.substr(0, kMaxLongText));
  for (std::size_t i = 0; i < kSavedPathSlots; ++i)
    header.pathSlots[i] = p_.pathSlots.get(static_cast<int>(i));
  if (const SoundItem* theme = p_.channels.Playing(SoundChannels::kThemeChannel))
    header.themeTrack = theme->fileSerial;
  for (const int channel : kEffectChannels) {
    if (const SoundItem* effect = p_.channels.Playing(channel)) {
      header.effectTrack = effect->fileSerial;
      header.effectRecord = static_cast<std::uint32_t>(effect->recordId);
    }
  }
  header.colours = p_.palettes.currentPalette();
  for (const StarFile* file : p_.library.openFiles()) {
    if (!file->parked) header.files.push_back({.identity = file->serial(), .path = file->path()});
  }

  ObjectState state;
  state.frame = p_.settings.frameCounter;
  const PuppetObjects& puppet = objects.puppet();
  for (std::size_t i = 0; i < kSavedPuppetParams; ++i)
    state.puppetParams[i] = static_cast<std::int16_t>(puppet.param(i));
  state.puppetGrab = puppet.grab();
  state.puppetBase = puppet.base();
  const std::vector<SavedTrackState> tracks = objects.tracks().Saved();
  state.counts = {static_cast<std::uint32_t>(objects.actors().count()),
                  static_cast<std::uint32_t>(objects.actors().groupCount()),
                  static_cast<std::uint32_t>(objects.props().count()),
                  static_cast<std::uint32_t>(objects.props().groupCount()),
                  static_cast<std::uint32_t>(tracks.size())};
  state.stage = objects.stage().Saved();
  state.set = objects.set().Saved();
  state.set.hitVertical = objects.playerHitBox().vertical;
  state.set.hitHorizontal = objects.playerHitBox().horizontal;

  std::vector<std::vector<std::uint8_t>> records;
  records.push_back(EncodeGameHeader(header));
  records.push_back(EncodeObjectState(state));
  records.push_back(Figures(FigureKind::kActor, objects.actors()));
  records.push_back(Groups(objects.actors()));
  records.push_back(Figures(FigureKind::kProp, objects.props()));
  records.push_back(Groups(objects.props()));
  std::vector<SavedTrack> trackRecords;
  for (const SavedTrackState& track : tracks) trackRecords.push_back(track.track);
  records.push_back(EncodeTable(trackRecords, EncodeTrack));
  for (const SavedTrackState& track : tracks) {
    for (const auto* items : {&track.sounds, &track.themeParts, &track.sequence})
      records.push_back(EncodeTable(*items, EncodeSound));
  }
  const VariableTable& globals = p_.globals();
  records.push_back(globals.storedTable());
  records.push_back(globals.storedHeap());
  const Motion& motion = objects.motion();
  records.push_back(Slots(motion.loops(), EncodeLoop));
  records.push_back(Slots(motion.balls(), EncodeBall));
  records.push_back(Slots(motion.walks(), EncodeWalk));
  for (const WalkSlot& walk : motion.walks()) {
    if (walk.active && walk.path) records.push_back(WritePath(*walk.path));
  }
  return records;
}

std::string SavedGames::Write(const std::string& path, std::string_view identity) {
  std::vector<std::vector<std::uint8_t>> records = Records(identity);
  if (p_.thumbnail) {
    std::vector<std::uint8_t> thumbnail = p_.thumbnail();
    if (!thumbnail.empty()) records.push_back(std::move(thumbnail));
  }

  FileAccess& files = p_.library.files();
  const std::filesystem::path target(files.MapPath(path));
  const std::string temporary = target.string() + ".saving";
  const auto fail = [&](std::string why) {
    (void)::unlink(temporary.c_str());
    return why;
  };
  if (Failed(StarFile::Create(files, temporary, static_cast<std::int32_t>(records.size()),
                              FourCharCode(kSavedGameType), FourCharCode(kSavedGameCreator))))
    return fail(Why("cannot create", temporary));
  std::unique_ptr<StarFile> file;
  if (Failed(StarFile::Open(files, temporary, 0, file))) return fail(Why("cannot open", temporary));
  for (const std::vector<std::uint8_t>& record : records) {
    std::int32_t id = 0;
    if (Failed(file->AppendRecord(record, id))) return fail(Why("cannot write", temporary));
  }
  // Flush writes the index and the header and syncs the file to the disc.
  if (Failed(file->Flush()) || Failed(file->CloseHandle()))
    return fail(Why("cannot write", temporary));
  file.reset();
  if (::rename(temporary.c_str(), target.c_str()) != 0)
    return fail(Why("cannot replace", target.string()));
  SyncFolder(target.parent_path());
  return {};
}

}  // namespace lw

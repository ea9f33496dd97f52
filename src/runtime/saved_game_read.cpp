// Reading a saved game: every record read and checked first, then the running game closed and
// rebuilt from the records.
#include <memory>
#include <unordered_map>

#include "common/log.h"

#include "media/star_file.h"
#include "objects/object_names.h"
#include "objects/saved_game_header.h"
#include "objects/saved_game_tables.h"
#include "objects/set_file.h"
#include "objects/track_file.h"
#include "runtime/saved_game.h"

namespace lw {

namespace {

// The file name of a saved path: what follows its last separator.
std::string_view FileNameOf(std::string_view path) {
  const std::size_t cut = path.find_last_of(":/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace

OpenOutcome SavedGames::Open(BuiltinCall& c, const std::string& path, std::string_view identity) {
  std::unique_ptr<StarFile> file;
  if (Failed(StarFile::Open(p_.library.files(), path, 0, file))) return OpenOutcome::kNotASavedGame;
  const SavedGameRead read = ReadSavedGame(*file, identity);
  file.reset();
  if (read.fault == SavedGameFault::kOtherTitle) return OpenOutcome::kOtherTitle;
  if (read.fault != SavedGameFault::kNone) {
    LW_LOG(kFiles, "%s is no saved game to open: %s", path.c_str(), read.why.c_str());
    return OpenOutcome::kNotASavedGame;
  }
  const PathSlotTexts slots = RebasedSlots(read.records.header);
  if (!LibrariesFound(read.records, slots)) return OpenOutcome::kNotASavedGame;
  CloseRunningGame(c);
  Rebuild(read.records, slots);
  if (p_.redrawScreen) p_.redrawScreen();
  return OpenOutcome::kOpened;
}

// Slots 1..8 move with the program's folder: what lay under the saved slot 0 lies under the
// current one.
SavedGames::PathSlotTexts SavedGames::RebasedSlots(const GameHeader& header) const {
  PathSlotTexts slots;
  const std::string& savedBase = header.pathSlots[0];
  slots[0] = p_.pathSlots.get(0);
  for (std::size_t i = 1; i < kSavedPathSlots; ++i) {
    const std::string& slot = header.pathSlots[i];
    slots[i] = !savedBase.empty() && slot.starts_with(savedBase)
                   ? slots[0] + slot.substr(savedBase.size())
                   : slot;
  }
  return slots;
}

// The search runs through the game's slots, which are set for it and then put back.
bool SavedGames::LibrariesFound(const SavedGameRecords& game, const PathSlotTexts& slots) {
  PathSlotTexts current;
  for (std::size_t i = 1; i < kSavedPathSlots; ++i) {
    current[i] = p_.pathSlots.get(static_cast<int>(i));
    p_.pathSlots.set(static_cast<int>(i), slots[i]);
  }
  bool found = true;
  for (const std::uint32_t id : game.libraries()) {
    std::string path;
    if (p_.locate(FileNameOf(game.header.file(id)->path), path) != ScriptError::None) {
      LW_LOG(kFiles, "a library of the saved game is not found: %s",
             game.header.file(id)->path.c_str());
      found = false;
      break;
    }
  }
  for (std::size_t i = 1; i < kSavedPathSlots; ++i)
    p_.pathSlots.set(static_cast<int>(i), current[i]);
  return found;
}

// As the title's scripts would close it: casts, shops, the set, the stage and the puppet with
// their close messages; tracks and motion have none.
void SavedGames::CloseRunningGame(BuiltinCall& c) {
  TitleObjects& objects = p_.objects;
  (void)objects.actors().CloseAllGroups(c);
  (void)objects.props().CloseAllGroups(c);
  if (objects.set().isOpen()) (void)objects.set().CloseSetFile(c);
  if (objects.stage().isOpen()) (void)objects.stage().CloseStageFile(c);
  if (objects.puppet().isOpen()) (void)objects.puppet().ClosePuppetFile(c);
  // Whatever handlers opened while the others closed goes quietly.
  objects.set().ShutDown();
  objects.stage().ShutDown();
  objects.tracks().ShutDown();
  objects.motion().StopAll();
}

void SavedGames::Rebuild(const SavedGameRecords& g, const PathSlotTexts& slots) {
  TitleObjects& objects = p_.objects;
  for (std::size_t i = 1; i < kSavedPathSlots; ++i) p_.pathSlots.set(static_cast<int>(i), slots[i]);
  p_.palettes.InstallPalette(g.header.colours);
  p_.settings.frameCounter = g.state.frame;
  PuppetObjects& puppet = objects.puppet();
  for (std::size_t i = 0; i < kSavedPuppetParams; ++i) puppet.setParam(i, g.state.puppetParams[i]);
  puppet.setGrab(g.state.puppetGrab);
  puppet.setBase(g.state.puppetBase);
  objects.playerHitBox() = {g.state.set.hitVertical, g.state.set.hitHorizontal};
  p_.globals() = g.globals;

  // Each library opens again by its file name through the path slots; the identities of the
  // saved game map to the files opened now.
  std::unordered_map<std::uint32_t, StarFile*> opened;
  const auto reopen = [&](std::uint32_t id, std::string_view type) -> StarFile* {
    const SavedFile* saved = g.header.file(id);
    StarFile* file = nullptr;
    if (saved == nullptr ||
        OpenLibraryFile(p_.library, p_.errors, p_.locate, FileNameOf(saved->path), type,
                        errline::kSavedGameLibrary, file) != ScriptError::None)
      return nullptr;
    opened[id] = file;
    return file;
  };
  const auto groups = [&](FigureTable& table, const std::vector<SavedGroup>& saved,
                          const std::vector<SavedFigure>& figures) {
    for (const SavedGroup& group : saved) {
      StarFile* file = reopen(group.file, table.kind().fileType);
      if (file != nullptr && !table.RestoreGroup(*file)) p_.library.StarPark(*file);
    }
    for (const SavedFigure& figure : figures) {
      const auto file = opened.find(figure.group);
      if (file != opened.end()) (void)table.RestoreFigure(*file->second, figure);
    }
  };
  groups(objects.actors(), g.casts, g.actors);
  groups(objects.props(), g.shops, g.props);

  for (const SavedTrackState& track : g.tracks) {
    if (StarFile* file = reopen(track.track.file, kTrackFileType))
      (void)objects.tracks().Restore(*file, track);
  }
  const auto trackOf = [&](std::uint32_t id) -> Track* {
    const auto file = opened.find(id);
    if (id == 0 || file == opened.end()) return nullptr;
    for (std::size_t i = 0; i < objects.tracks().count(); ++i)
      if (objects.tracks().at(i).file == file->second) return &objects.tracks().at(i);
    return nullptr;
  };
  if (Track* track = trackOf(g.header.effectTrack)) {
    for (const SoundItem& sound : track->sounds)
      if (sound.recordId == static_cast<std::int32_t>(g.header.effectRecord))
        p_.channels.PlayEffect(sound, EffectMode::kSingle);
  }
  if (Track* track = trackOf(g.header.themeTrack); track != nullptr && !track->theme.items.empty())
    p_.channels.PlayPlaylist(track->theme);

  if (g.state.set.open) {
    if (StarFile* file = reopen(g.state.set.file, kSetFileType))
      (void)objects.set().Restore(*file, g.state.set);
  }
  if (g.state.stage.open) {
    if (StarFile* file = reopen(g.state.stage.file, kStageFileType))
      (void)objects.stage().Restore(*file, g.state.stage);
  }
  objects.motion().Restore(g.walks, g.balls, g.loops);
}

}  // namespace lw

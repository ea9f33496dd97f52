// Writes the seed inputs of saved_game_fuzz into a folder: complete saved games of the identity
// "Fuzz", made with the record encoders in the order runtime/saved_game.h gives, so that
// mutations start from games that read whole.
//   SEED        WHAT THE GAME HOLDS
//   empty       no objects, no globals, free motion slots
//   cast        a cast of two actors (one visible, one walking without a path), a global
//   track       a shop of one prop (a ball), a track of one sound, one theme part and one step
//               whose theme plays, a running loop
//   path-walk   an open set and stage, a cast of one actor walking a path of three points
//   saved_game_seed DIR
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "media/star_file.h"
#include "objects/saved_game_reader.h"
#include "objects/set_file.h"
#include "shell/dialogs/boxes.h"
#include "shell/files/file_access.h"
#include "shell/files/platform_error.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using lw::SavedTable;

constexpr char kIdentity[] = "Fuzz";
constexpr std::uint32_t kCastFile = 1;
constexpr std::uint32_t kShopFile = 2;
constexpr std::uint32_t kTrackFile = 3;
constexpr std::uint32_t kSetFile = 4;
constexpr std::uint32_t kStageFile = 5;

struct Files {
  Files() : access(volumes, boxes, texts, lastError) {}
  lw::platform::EmptySystemInfo system;
  lw::VolumeMap volumes{".", system};
  lw::TerminalBoxes boxes{nullptr};
  lw::MessageTexts texts;
  lw::LastPlatformError lastError;
  lw::FileAccess access;
};

// A game's parts, from which its records are made.
struct Game {
  lw::GameHeader header;
  lw::ObjectState state;
  std::vector<lw::SavedFigure> actors, props;
  std::vector<lw::SavedGroup> casts, shops;
  std::vector<lw::SavedTrackState> tracks;
  lw::VariableTable globals;
  std::vector<lw::LoopSlot> loops = std::vector<lw::LoopSlot>(lw::kLoopSlots);
  std::vector<lw::BallSlot> balls = std::vector<lw::BallSlot>(lw::kBallSlots);
  std::vector<lw::WalkSlot> walks = std::vector<lw::WalkSlot>(lw::kWalkSlots);
};

lw::SavedFigure Figure(std::string name, std::uint32_t group, std::int16_t x) {
  lw::SavedFigure saved{.figure = {}, .group = group};
  saved.figure.visible = true;
  saved.figure.name = std::move(name);
  saved.figure.set = "Hall";
  saved.figure.star = "door";
  saved.figure.pose = "stand";
  saved.figure.x = x;
  saved.figure.y = 128;
  return saved;
}

lw::SavedSound Sound(std::string name, std::int32_t recordId) {
  return {.codec = 2,
          .frames = 8192,
          .rateMultiple = 1,
          .volume = 90,
          .pan = 128,
          .loop = recordId == 2,
          .recordId = recordId,
          .file = kTrackFile,
          .priority = 1,
          .name = std::move(name)};
}

lw::WalkSlot Walk(std::string actor, std::string destination) {
  lw::WalkSlot walk;
  walk.active = true;
  walk.target = 64;
  walk.dx = 4;
  walk.length = 100;
  walk.actor = std::move(actor);
  walk.destination = std::move(destination);
  return walk;
}

std::vector<Bytes> Records(Game game) {
  game.header.identity = kIdentity;
  game.header.pathSlots[0] = "appl:";
  game.state.counts = {
      static_cast<std::uint32_t>(game.actors.size()), static_cast<std::uint32_t>(game.casts.size()),
      static_cast<std::uint32_t>(game.props.size()), static_cast<std::uint32_t>(game.shops.size()),
      static_cast<std::uint32_t>(game.tracks.size())};
  std::vector<Bytes> records{lw::EncodeGameHeader(game.header), lw::EncodeObjectState(game.state)};
  const auto figures = [](lw::FigureKind kind) {
    return [kind](const lw::SavedFigure& saved) { return lw::EncodeFigure(kind, saved); };
  };
  records.push_back(lw::EncodeTable(game.actors, figures(lw::FigureKind::kActor)));
  records.push_back(lw::EncodeTable(game.casts, lw::EncodeGroup));
  records.push_back(lw::EncodeTable(game.props, figures(lw::FigureKind::kProp)));
  records.push_back(lw::EncodeTable(game.shops, lw::EncodeGroup));
  std::vector<lw::SavedTrack> tracks;
  for (const lw::SavedTrackState& track : game.tracks) tracks.push_back(track.track);
  records.push_back(lw::EncodeTable(tracks, lw::EncodeTrack));
  for (const lw::SavedTrackState& track : game.tracks) {
    for (const auto* items : {&track.sounds, &track.themeParts, &track.sequence})
      records.push_back(lw::EncodeTable(*items, lw::EncodeSound));
  }
  records.push_back(game.globals.storedTable());
  records.push_back(game.globals.storedHeap());
  records.push_back(lw::EncodeTable(game.loops, lw::EncodeLoop));
  records.push_back(lw::EncodeTable(game.balls, lw::EncodeBall));
  records.push_back(lw::EncodeTable(game.walks, lw::EncodeWalk));
  for (const lw::WalkSlot& walk : game.walks) {
    if (walk.active && walk.path) records.push_back(lw::WritePath(*walk.path));
  }
  return records;
}

Game Cast() {
  Game game;
  game.header.files = {{kCastFile, "appl:CAST.CST"}};
  game.casts = {{.file = kCastFile, .scriptId = 3, .name = "Birds"}};
  game.actors = {Figure("robin", kCastFile, 100), Figure("wren", kCastFile, 108)};
  game.actors[1].figure.visible = false;
  game.walks[0] = Walk("robin", "mat");
  int index = 0;
  (void)game.globals.add("hit", nullptr, index);
  return game;
}

Game Track() {
  Game game;
  game.header.files = {{kTrackFile, "appl:TUNE.SNG"}, {kShopFile, "appl:SHOP.SHP"}};
  game.header.themeTrack = kTrackFile;
  game.shops = {{.file = kShopFile, .scriptId = 0, .name = "Toys"}};
  game.props = {Figure("ball", kShopFile, 112)};
  game.tracks = {
      {.track = {.file = kTrackFile, .sounds = 1, .themeParts = 1, .sequence = 1, .name = "Tune"},
       .sounds = {Sound("ding", 1)},
       .themeParts = {Sound("tune", 2)},
       .sequence = {Sound("tune", 2)}}};
  game.loops[0] = {.active = true,
                   .paused = 0,
                   .kind = lw::LoopKind::kProp,
                   .ticksLeft = 50,
                   .object = "ball",
                   .handler = "chime"};
  game.balls[0].active = true;
  game.balls[0].vx = 2;
  game.balls[0].framesLeft = 30;
  game.balls[0].prop = "ball";
  return game;
}

Game PathWalk() {
  Game game = Cast();
  game.header.files.push_back({kSetFile, "appl:SET.SCN"});
  game.header.files.push_back({kStageFile, "appl:STAGE.STG"});
  game.state.set.open = true;
  game.state.set.file = kSetFile;
  game.state.set.name = "Hall";
  game.state.stage.open = true;
  game.state.stage.file = kStageFile;
  game.state.stage.name = "Moss";
  game.walks[0] = Walk("robin", "bench");
  game.walks[0].path =
      lw::SetPath{160, {{300, 100, 20, 0}, {300, 160, 20, 60}, {400, 160, 20, 100}}};
  return game;
}

bool Write(Files& files, const std::filesystem::path& path, const std::vector<Bytes>& records) {
  const std::string name = path.string();
  std::unique_ptr<lw::StarFile> file;
  if (lw::Failed(lw::StarFile::Create(files.access, name, static_cast<std::int32_t>(records.size()),
                                      lw::FourCharCode(lw::kSavedGameType),
                                      lw::FourCharCode(lw::kSavedGameCreator))) ||
      lw::Failed(lw::StarFile::Open(files.access, name, 1, file)))
    return false;
  for (const Bytes& record : records) {
    std::int32_t id = 0;
    if (lw::Failed(file->AppendRecord(record, id))) return false;
  }
  // Each seed must be a game the reader takes whole, or it would not lead mutations anywhere.
  const lw::SavedGameRead read = lw::ReadSavedGame(*file, kIdentity);
  if (read.fault != lw::SavedGameFault::kNone) {
    std::fprintf(stderr, "saved_game_seed: %s is refused: %s\n", name.c_str(), read.why.c_str());
    return false;
  }
  return !lw::Failed(file->Flush()) && !lw::Failed(file->CloseHandle());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: saved_game_seed DIR\n");
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  Files files;
  for (const auto& [name, game] : {std::pair{"empty", Game{}},
                                   {"cast", Cast()},
                                   {"track", Track()},
                                   {"path-walk", PathWalk()}}) {
    if (!Write(files, folder / name, Records(game))) {
      std::fprintf(stderr, "saved_game_seed: cannot write %s\n", (folder / name).c_str());
      return 1;
    }
  }
  return 0;
}

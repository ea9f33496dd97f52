// Reading the records of a saved game (their order is in runtime/saved_game.h, their layouts in
// saved_game_header.h and saved_game_tables.h) into memory, checking every one before anything
// of the running game changes: each record the header and the state block imply must be there,
// exactly the size its counts give, and decode; every figure's group must be a saved group;
// every star-file identity the records name must be in the star-file list.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "media/star_file.h"
#include "objects/motion_slots.h"
#include "objects/saved_game_header.h"
#include "objects/saved_game_tables.h"
#include "script/variable_table.h"

namespace lw {

inline constexpr char kSavedGameType[] = "RTDO";
inline constexpr char kSavedGameCreator[] = "LWRT";

struct SavedGameRecords {
  GameHeader header;
  ObjectState state;
  std::vector<SavedFigure> actors, props;
  std::vector<SavedGroup> casts, shops;
  std::vector<SavedTrackState> tracks;
  VariableTable globals;
  std::array<LoopSlot, kLoopSlots> loops{};
  std::array<BallSlot, kBallSlots> balls{};
  std::array<WalkSlot, kWalkSlots> walks{};  // a path walk's path read from its record

  // The identities of the library files to open again: casts, shops, tracks, set, stage.
  [[nodiscard]] std::vector<std::uint32_t> libraries() const;
};

enum class SavedGameFault : std::uint8_t {
  kNone,
  kNotASavedGame,  // not a saved game, or not a complete and consistent one
  kOtherTitle,     // saved under another identity text
};

struct SavedGameRead {
  SavedGameFault fault = SavedGameFault::kNone;
  std::string why;  // what is wrong, for the log
  SavedGameRecords records;
};

// Reads the open star file `file` as a saved game saved under `identity` (compared as object
// names are). The identity is compared as soon as record 0 is read.
[[nodiscard]] SavedGameRead ReadSavedGame(StarFile& file, std::string_view identity);

}  // namespace lw

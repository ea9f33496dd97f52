// Saved games: the running title's state written into a saved game file (savegame), and the
// running state replaced by the state of one (opengame). The records and their layouts are in
// objects/saved_game_header.h and objects/saved_game_tables.h; in id order a saved game holds:
//
//   RECORD      CONTENTS
//   0           game header and star-file list
//   1           object state block
//   2 .. 6      actor, cast, prop, shop and track tables (1 byte when a table is empty)
//   7 .. 6+3T   for each of the T tracks: its sounds, theme parts and theme steps
//   next        the globals table, then its string heap (script/variable_table.h)
//   next        the 32 loop slots, the 16 ball slots, the 16 walk slots (one record each)
//   next ...    the path of each active walk that follows one, in slot order
//   last        the thumbnail of the screen at saving (runtime/saved_game_thumbnail.h), which
//               readers of the records above never reach
//
// Writing is safe against crashes: the game goes to a new file beside the chosen one, is synced,
// and then renamed over it, so the file at the chosen path is at every moment either the old
// game or the new one. A failed save leaves the old file and the running game as they were.
//
// Reading checks everything before it changes anything: the file is a star file of saved games,
// every record the header and the state block imply is there with its exact size and decodes,
// every star-file identity the records use is in the list, and every library file named can be
// found again. Only then is the running title torn down, as its scripts would close it (with the
// close messages), and rebuilt from the records without any open message. A puppet is never
// restored.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "media/star_library.h"
#include "objects/library_open.h"
#include "objects/saved_game_reader.h"
#include "runtime/builtins_settings.h"
#include "runtime/path_slots.h"
#include "runtime/title_objects.h"
#include "script/variable_table.h"
#include "shell/drawing/palette_state.h"
#include "shell/error_report.h"

namespace lw {

namespace errline {
// A library of a saved game that was found before the old game was closed does not open again.
inline constexpr std::int16_t kSavedGameLibrary = 5190;
}  // namespace errline

struct SavedGameParts {
  TitleObjects& objects;
  StarLibrary& library;
  PathSlots& pathSlots;
  PaletteState& palettes;
  ScriptSettings& settings;
  SoundChannels& channels;
  ErrorReporter& errors;
  LocateFile locate;
  std::function<VariableTable&()> globals;
  // The thumbnail record of the screen as it is now; empty for none.
  std::function<std::vector<std::uint8_t>()> thumbnail;
  // Asks for the whole screen to be drawn again once the game is rebuilt.
  std::function<void()> redrawScreen;
};

enum class OpenOutcome : std::uint8_t {
  kOpened,
  kNotASavedGame,  // "This is not a valid saved game file."
  kOtherTitle,     // "This saved game is from a different version of this title."
};

class SavedGames {
 public:
  explicit SavedGames(SavedGameParts parts) : p_(std::move(parts)) {}

  // The records of the running state, in file order (without the thumbnail).
  [[nodiscard]] std::vector<std::vector<std::uint8_t>> Records(std::string_view identity) const;
  // Writes a saved game to the platform path `path`; empty when it was written, else why not
  // (the file at `path` is then as it was).
  [[nodiscard]] std::string Write(const std::string& path, std::string_view identity);
  // Reads the saved game at `path` and, when it is complete and of this title, makes it the
  // running state. `c` carries the close messages to the title's handlers.
  OpenOutcome Open(BuiltinCall& c, const std::string& path, std::string_view identity);

 private:
  using PathSlotTexts = std::array<std::string, kSavedPathSlots>;
  // Path slots 1..8 as the saved game will have them.
  [[nodiscard]] PathSlotTexts RebasedSlots(const GameHeader& header) const;
  // Whether every library of the game is found through `slots`.
  [[nodiscard]] bool LibrariesFound(const SavedGameRecords& game, const PathSlotTexts& slots);
  void CloseRunningGame(BuiltinCall& c);
  void Rebuild(const SavedGameRecords& game, const PathSlotTexts& slots);

  SavedGameParts p_;
};

}  // namespace lw

// The saved-game built-ins:
//
// - savegame(t): saves the running game under the identity text t into a file the player
//   chooses (the suggested name is "SaveGame"); nothing when the player cancels. "A puppet is
//   already open." while a puppet file is open. A save that fails is told in a box and leaves
//   the previous file at that path and the running game as they were.
// - opengame(t): replaces the running game by the saved game the player chooses; nothing when
//   the player cancels. A file that is no complete saved game, or one whose library files cannot
//   be found, shows "This is not a valid saved game file."; a game saved under another identity
//   text shows "This saved game is from a different version of this title."; either way the
//   command ends without an error and the running game stays as it was.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "objects/puppet_objects.h"
#include "runtime/saved_game.h"
#include "script/builtin_table.h"
#include "shell/dialogs/window_boxes.h"

namespace lw {

struct SavedGameServices {
  SavedGames& games;
  BoxPresenter& boxes;
  PuppetObjects& puppet;
  // The platform path of the file the player chooses to save into (`save`) or to open; nothing
  // when the player cancels.
  std::function<std::optional<std::string>(bool save)> choose;
};

void WireSavedGameBuiltins(BuiltinTable& table, SavedGameServices& services);
void DescribeSavedGameBuiltins(BuiltinTable& catalog);

}  // namespace lw

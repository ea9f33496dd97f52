// The saved games of a title as the saved-game chooser lists them: where they are kept, and a
// summary of each (identity text, date written, thumbnail) read from its star file.
//
// A saved game is a star file of type 'RTDO' whose record 0 starts with the identity text:
//   OFFSET  SIZE  DESCRIPTION
//   0       1     length of the text, 0..255
//   1       255   the text, Mac Roman, then padding
// Its last record may be the thumbnail (runtime/saved_game_thumbnail.h).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "shell/dialogs/saved_game_entry.h"
#include "shell/files/file_access.h"

namespace lw {

inline constexpr std::size_t kIdentityFieldSize = 256;

// The folder that keeps `titleName`'s saved games, created when missing:
// $XDG_DATA_HOME/loomwork/saves/<title>/, or $HOME/.local/share/loomwork/saves/<title>/ when
// XDG_DATA_HOME is unset or not absolute. The title name (Mac Roman) is stored as UTF-8, with
// '/' and ':' replaced by '_'; an empty name, "." and ".." are refused. The error says why the
// folder is not there.
[[nodiscard]] Expected<std::filesystem::path, std::string> SavedGamesFolder(
    std::string_view titleName);

// The saved games in `folder`, newest first (equal dates by path): every file whose name ends in
// ".rtd" (in any case) and opens through `files` as a star file of type 'RTDO' with a whole
// identity field in record 0. Other files, damaged ones among them, are left out.
[[nodiscard]] std::vector<SavedGameEntry> ListSavedGames(FileAccess& files,
                                                         const std::filesystem::path& folder);

}  // namespace lw

// What the saved-game chooser lists: one saved game as the runtime summarised it from its file.
// The shell cannot read star files, so the runtime reads them (runtime/saved_game_summary.h)
// and hands the chooser these plain values.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/palette.h"

namespace lw {

// Saved games are the files whose names end in ".rtd", in any case.
inline constexpr std::string_view kSavedGamePattern = "*.rtd";
inline constexpr std::string_view kSavedGameExtension = ".rtd";

// A small picture of the screen as it was when the game was saved: `width` x `height` colours,
// rows top to bottom. Empty (0 x 0) when the saved game has none.
struct ThumbnailPicture {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;
};

struct SavedGameEntry {
  std::filesystem::path path;
  std::string identity;  // the title's identity text stored in the game, Mac Roman
  std::string date;      // when the file was last written, "2026-12-08 11:30" in local time
  ThumbnailPicture thumbnail;
};

}  // namespace lw

// The title of the saved-game tests: the figure title (figure_title.h) with a track file
// TUNE.SNG (the track "Tune" of the sound "ding" and the theme "tune"), a saves folder in the
// scratch folder, and a game that opens every kind of object and sets each kind of state.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "figure_title.h"

namespace lw::testing {

class SavedGameTitleTest : public FigureTitleTest {
 protected:
  SavedGameTitleTest() : saves_(scratch_.makeFolder("saves")), game_(saves_ / "game.rtd") {}

  // Boots the title with a track file beside the figures' files; `input` answers the dialogs.
  void Start(std::string_view input);
  // Opens a stage, a set, a cast, a shop and a track; makes an actor instance, an actor value,
  // a sound volume, a theme, a path walk, a ball, a paused loop and the global `hit` = "kept";
  // then runs six steps.
  void Play();
  // What the state built-ins say, one "line = outcome" a line.
  std::string State();
  // A line that must succeed.
  void Run(std::string_view line) { ASSERT_EQ(run_->Eval(line), "OK") << line; }
  // The input line that answers the next file dialog with `path`.
  static std::string Choose(const std::filesystem::path& path) {
    return "choose " + path.string() + "\n";
  }

  std::filesystem::path saves_;
  std::filesystem::path game_;
};

}  // namespace lw::testing

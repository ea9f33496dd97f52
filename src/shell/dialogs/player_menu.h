// The player menu: the runtime's own menu, opened with F10 while the title plays and drawn in its
// window over the title like the boxes, through which the player changes the settings of play
// (the platform's PlayerControls) without leaving the title.
//
//   Up, Down                move the highlight (round from the last item to the first)
//   Return, space, a click  choose the highlighted item
//   Left, Right             lower or raise the sound level (on any other setting: switch it)
//   Escape, F10             resume
//   click on Sound level    its left half lowers the level, its right half raises it
//
//   Resume       closes the menu
//   Sound level  raises the level by one (from 9 back to 0)
//   Mute, Display, Scaling  switch the setting at once; the menu stays up
//   Screenshot   closes the menu, then saves the title's picture into the pictures folder
//   Quit         asks "Quit playing?" (Yes/No); No goes back to the menu
//
// The platform hears the menu open and each choice (a headless run notes them on its log). The
// menu reads the platform's messages itself, so the title hears nothing of the keys and clicks
// it takes; closing the window while it is up quits, as after any close request.
#pragma once

#include <cstdint>

#include "shell/dialogs/window_boxes.h"

namespace lw {

// How the menu ended.
enum class PlayerMenuOutcome : std::uint8_t { kResume, kQuit };

class PlayerMenu {
 public:
  explicit PlayerMenu(WindowBoxes& boxes) : boxes_(boxes) {}

  // Shows the menu until the player resumes or quits.
  [[nodiscard]] PlayerMenuOutcome Run();

 private:
  WindowBoxes& boxes_;
};

}  // namespace lw

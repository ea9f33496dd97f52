// The checks that run before the title boots, in this order, each with its box when it fails:
//
//   CHECK         ASKS THE PROBE                   BOX (TEXT, CAPTION, KIND)        ON CANCEL
//   file handles  64 open files; fewer than 32     135 + 136, 137, stop             (stops)
//   memory        a 2 MB block, zeroed             138, 139, ask-stop; Ok retries   stops
//   accounting    the free-memory figure           none: logged, kept in the outcome
//   display       no display and not headless      117 with 183, 118, stop          (stops)
//                 fewer than 8 bits per pixel      117 with the depth name, 118, stop (stops)
//                 smaller than 640 x 480           121 with W and H, 120, note      stops
//   disc          the title's probe file opens     123, 124, ask-stop; Ok retries   stops
//                 (only when title.json names one)
//                 1,024 bytes, then 307,200 timed  below 270 KB/s: 125 with the     stops
//                                                  KB/s, 126, note
//   sound         22050 Hz mono at 16, then 8 bits 127 + 128, 129, ask-stop         stops
//                                                  (Ok plays the title silently)
//
// A stop box has Ok only and ends the start; a note box (information icon) and an ask-stop box
// (stop icon) have Ok and Cancel. Every text is wrapped at 40 characters before it is shown. A
// title's title.json may replace the captions. The display check passes displays of more than 8
// bits and of any size from 640 x 480 up without a word: the canvas is converted through its
// palette and scaled to the window, so neither costs the title anything here.
//
// A retry box whose Ok was not the player's own choice (a headless run whose input script gives
// no answer) would ask forever: the start stops instead.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/startup_probe.h"
#include "shell/dialogs/boxes.h"
#include "shell/error_report.h"
#include "shell/files/file_access.h"
#include "shell/message_texts.h"
#include "shell/startup/title_strings.h"

namespace lw {

namespace errline {
inline constexpr std::int16_t kDiscProbeFirstRead = 419;
inline constexpr std::int16_t kDiscProbeTimedRead = 420;
}  // namespace errline

// What the checks use. `files` and `errors` serve the disc check, which opens the probe file
// through the volume lookup and reports a failed read.
struct StartupContext {
  platform::StartupProbe& probe;
  BoxPresenter& boxes;
  const MessageTexts& texts;
  const TitleStrings& title;
  FileAccess& files;
  ErrorReporter& errors;
  bool headless = false;
  // Whether the Ok of the box just answered was the player's choice; a retry after an Ok that
  // was not would ask forever. Empty: always.
  std::function<bool()> okWasChosen;
};

struct StartupOutcome {
  bool passed = false;
  std::uint64_t freeMemory = 0;
  // The sample size the sound device takes, 2 or 1 bytes; 0 when it takes neither and the player
  // went on: the title plays silently.
  int sampleBytes = 0;
  // The disc's read speed in bytes per second, when it was measured.
  std::optional<std::uint32_t> discSpeed;
};

// Runs the checks in order until one stops the start.
[[nodiscard]] StartupOutcome RunStartupChecks(const StartupContext& context);

}  // namespace lw

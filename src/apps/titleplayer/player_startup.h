// titleplayer's start before the runtime: the title's own strings (title.json) and the start-up
// checks (shell/startup/startup_checks.h) against this machine, or against the answers that
// LOOMWORK_STARTUP_PROBE forces (shell/startup/forced_startup_probe.h).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/expected.h"
#include "platform/platform.h"
#include "platform/startup_probe.h"
#include "shell/dialogs/boxes.h"
#include "shell/startup/startup_checks.h"
#include "shell/startup/title_strings.h"

namespace lw::titleplayer {

// The exit status of a start that a check stopped: the C runtime's exit(-1) as a process sees it.
inline constexpr int kExitStartupStopped = 255;

// The title strings of `folder`: its title.json, or the folder's own name when it has none. The
// error is a ready complaint ("FOLDER/title.json: name: expected a text").
[[nodiscard]] Expected<TitleStrings, std::string> ReadTitleStrings(
    const std::filesystem::path& folder);

// The machine's answers: the process limits from the system, the display as reported, sound and
// clock from `platform` (null when no platform could be made: no sound, the system's clock).
class MachineStartupProbe final : public platform::StartupProbe {
 public:
  MachineStartupProbe(platform::Platform* platform, platform::DisplayReport display)
      : platform_(platform), display_(display) {}

  int RaiseFileHandles(int wanted) override;
  bool ReserveMemory(std::size_t bytes) override;
  std::uint64_t FreeMemoryFigure() override;
  platform::DisplayReport Display() override { return display_; }
  bool SoundAccepts(const platform::AudioFormat& format) override;
  std::uint32_t Milliseconds() override;

 private:
  platform::Platform* platform_;
  platform::DisplayReport display_;
};

// Boxes as `platform` answers them (a system box or the headless script); the terminal's when the
// platform leaves them to a window that is not open yet, or when there is no platform.
class StartupBoxes final : public BoxPresenter {
 public:
  explicit StartupBoxes(platform::Platform* platform) : platform_(platform) {}
  BoxAnswer showBox(const BoxRequest& request) override;

 private:
  platform::Platform* platform_;
  TerminalBoxes terminal_;
};

// One start: where the title is, what answers and boxes the checks use.
struct StartupRun {
  const TitleStrings& title;
  std::filesystem::path titleFolder;
  std::vector<std::pair<std::string, std::filesystem::path>> volumes;
  platform::Platform* platform = nullptr;
  platform::DisplayReport display;
  bool headless = false;
  std::function<bool()> okWasChosen;
};

// Runs the start-up checks; the error is a complaint about LOOMWORK_STARTUP_PROBE.
[[nodiscard]] Expected<StartupOutcome, std::string> CheckMachine(const StartupRun& run);

}  // namespace lw::titleplayer

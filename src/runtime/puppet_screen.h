// The puppet's host in a run: its picture shows over the stage through the compositor (into the
// composed screen, and on to the window unless a visual effect composes the screen unseen), its
// input and clock are the window system's, its text is drawn by the graphics in the stage
// window's text settings, and its digit keys set the sound output's level.
#pragma once

#include <cstdint>
#include <functional>

#include "media/compositor.h"
#include "objects/puppet_host.h"
#include "runtime/stage_window.h"
#include "shell/drawing/graphics.h"
#include "shell/drawing/palette_state.h"
#include "shell/sound/sound_output.h"
#include "shell/windows/window_system.h"

namespace lw {

struct PuppetScreenParts {
  Compositor& compositor;
  WindowSystem& windows;
  Graphics& graphics;
  SoundOutput& sound;
  PaletteState& palettes;
  std::function<StageWindow*()> stage;
  std::function<std::uint32_t(std::uint32_t below)> random;
};

class PuppetScreen final : public PuppetHost {
 public:
  explicit PuppetScreen(PuppetScreenParts parts) : p_(std::move(parts)) {}

  void GrabSceneView(Surface& out) override;
  void Show(const Surface& stage, const Rect& area) override;
  void GiveBack() override;
  void PaceFrame() override { p_.compositor.PaceFrame(); }
  std::uint32_t Ticks() override { return p_.windows.TickCount(); }
  void SleepTick() override;
  std::optional<PuppetInput> NextInput(bool clicks) override;
  bool ButtonDown() override { return p_.windows.ButtonStillDown(); }
  Point Mouse() override;
  bool Closing() override { return p_.windows.quitRequested(); }
  double PlayedSeconds() override { return p_.sound.secondsPlayed(); }
  double QueuedSeconds() override;
  void SetSoundLevel(int level) override { static_cast<void>(p_.sound.SoundSetVolume(level)); }
  std::uint32_t Random(std::uint32_t below) override { return below == 0 ? 0 : p_.random(below); }
  void DrawText(Surface& on, const Rect& clip, Point at, std::string_view text,
                const PuppetText& style) override;
  int TextWidth(std::string_view text, const PuppetText& style) override;
  ColourTable CurrentPalette() override { return p_.palettes.currentPalette(); }

 private:
  // Makes a port on `on` inside `clip`, whose coordinates are the surface's, current with the
  // style; gives back the port that was current.
  Port& UseTextPort(Port& port, Surface& on, const Rect& clip, const PuppetText& style);

  PuppetScreenParts p_;
  Surface measuring_{1, 1};  // what TextWidth's port draws on: nothing is drawn
};

}  // namespace lw

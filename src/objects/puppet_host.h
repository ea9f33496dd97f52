// What an open puppet works with from the run: the screen it shows its picture and bevels on,
// the clock and the input its conversation waits on, the text drawing of its subtitles and
// bevels, the sound level keys, and the random numbers of its idle lines and scrambles. The
// runtime implements it over the compositor, the window system and the graphics.
//
// Coordinates are stage coordinates: the puppet owns the 512 x 384 stage while it shows, its
// picture in rows 0 to 263 (where the scene view lies) and the bevel band in rows 264 to 383.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/geometry.h"
#include "shell/drawing/colour_table.h"
#include "shell/drawing/surface.h"

namespace lw {

// One piece of input the puppet takes: a key pressed (its character), or a click (the stage
// point where the button went down).
struct PuppetInput {
  enum class Kind : std::uint8_t { kKey, kClick };
  Kind kind = Kind::kKey;
  char key = 0;
  Point at;
};

// The text settings of the puppet's subtitles and bevels.
struct PuppetText {
  int font = 0;
  int size = 12;
  std::uint8_t colour = 0;
};

class PuppetHost {
 public:
  virtual ~PuppetHost() = default;

  // Copies the scene view as the player sees it now (512 x 264) into `out`'s top rows.
  virtual void GrabSceneView(Surface& out) = 0;
  // Shows `area` of `stage` (a 512 x 384 picture of the stage) on the screen: into the composed
  // screen, and on to the window unless a visual effect is composing the screen unseen.
  virtual void Show(const Surface& stage, const Rect& area) = 0;
  // The puppet no longer covers the stage: the next frame composes the whole screen again.
  virtual void GiveBack() = 0;
  // Waits until a frame interval has passed since the last frame, as composing a frame does.
  virtual void PaceFrame() = 0;

  // The tick count (the messages flowing); a wait past the current tick.
  virtual std::uint32_t Ticks() = 0;
  virtual void SleepTick() = 0;
  // The next key press waiting, or with `clicks` the next key press or click, taken from the
  // queue.
  virtual std::optional<PuppetInput> NextInput(bool clicks) = 0;
  virtual bool ButtonDown() = 0;
  virtual Point Mouse() = 0;
  // The window is closing: every wait ends.
  virtual bool Closing() = 0;

  // The seconds of sound the output has played, and the seconds it will have played when what
  // is queued now has played: a voice started now is heard from there.
  virtual double PlayedSeconds() = 0;
  virtual double QueuedSeconds() = 0;
  // A digit key's sound level, 0..9.
  virtual void SetSoundLevel(int level) = 0;
  // A random number in 0 .. below - 1 (0 when below is 0).
  virtual std::uint32_t Random(std::uint32_t below) = 0;
  // Draws `text` with its baseline's left end at `at` on `on`, clipped to `clip`.
  virtual void DrawText(Surface& on, const Rect& clip, Point at, std::string_view text,
                        const PuppetText& style) = 0;
  virtual int TextWidth(std::string_view text, const PuppetText& style) = 0;
  // The palette the screen shows now: what a grabbed scene view is drawn in.
  virtual ColourTable CurrentPalette() = 0;
};

}  // namespace lw

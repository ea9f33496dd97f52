// The title's palette: the colour table with 16-bit channels that scripts and files give, the
// 8-bit palette installed on the screen (entry 0 always black, 255 always white), and the colour
// correction between them. Fades step between two tables a tick at a time.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "shell/drawing/colour_table.h"
#include "shell/drawing/screen.h"

namespace lw {

// Brightness correction of the three channels: each channel's 8-bit value is
// 255 x (v / 65535) ^ exponent, read from a table of 256 steps with linear steps between them.
class ColourCorrection {
 public:
  static constexpr int kChannels = 3;
  static constexpr double kDefaultExponent = 0.75;
  static constexpr double kMinExponent = 0.15;
  static constexpr double kMaxExponent = 2.5;
  static constexpr double kStep = 1.05;

  // The corrected 8-bit value of a 16-bit channel value of channel 0, 1 or 2: the table step of
  // the value's high byte plus the low byte's share of the difference to the next step.
  [[nodiscard]] std::uint8_t apply(int channel, std::uint16_t value);
  // Divides (raise false) or multiplies (raise true) the selected exponents by 1.05; with none
  // selected, resets all three to 0.75; then keeps each within 0.15..2.5.
  void adjust(bool raise, bool first, bool second, bool third);
  [[nodiscard]] double exponent(int channel) const { return exponents_[channel]; }
  [[nodiscard]] std::uint16_t table(int channel, int i);  // builds the tables when stale

 private:
  void rebuild();

  using Steps = std::array<std::uint16_t, kPaletteEntries>;

  std::array<double, kChannels> exponents_{kDefaultExponent, kDefaultExponent, kDefaultExponent};
  std::array<Steps, kChannels> tables_{};
  std::array<Steps, kChannels> diffs_{};
  bool current_ = false;  // the tables match the exponents
};

class PaletteState {
 public:
  // `waitNextTick` waits until the tick count moves on (fades pace themselves with it).
  PaletteState(Screen& screen, std::function<void()> waitNextTick);

  // The title palettes: "CLUT.SYSTEM" and "CLUT.BLACK", and the current palette, a copy of
  // the system palette at start that palette changes update.
  void setTitlePalettes(const ColourTable& system, const ColourTable& black);
  [[nodiscard]] const ColourTable& systemPalette() const { return system_; }
  [[nodiscard]] const ColourTable& blackPalette() const { return black_; }
  [[nodiscard]] const ColourTable& currentPalette() const { return current_; }

  // One entry of the installed palette with 8-bit channels, uncorrected. Entries change in the
  // palette the next install gives the screen; an index outside 0..255 is ignored.
  void SetEntry(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  // One entry from 16-bit channels through the correction, as SetEntry; entry 0 stays black and
  // entry 255 white.
  void SetEntryCorrected(int index, std::uint16_t red, std::uint16_t green, std::uint16_t blue);
  // Installs entries 1..254 of `table` through the correction (0 black, 255 white) and gives the
  // screen the palette, so that its next present shows the whole canvas through it.
  void InstallPalette(const ColourTable& table);
  // The install of a fade step. The screen converts the canvas through its palette on every
  // present, so a fade step costs no redraw of its own and installs just as InstallPalette.
  void InstallPaletteAnimated(const ColourTable& table);
  // Installs the step of a fade from `from` to `to` (steps and step taken as at least 1) and
  // makes it the current palette; a step not below `steps` installs `to` itself, without
  // animation.
  void FadeStep(const ColourTable& from, const ColourTable& to, int step, int steps);
  // Fades from `palette` to the black palette in `steps` steps, a tick apart; below one step
  // nothing happens. `palette` may be the current palette itself.
  void FadeToBlack(const ColourTable& palette, int steps);
  // The same from the black palette to `palette`.
  void FadeFromBlack(const ColourTable& palette, int steps);
  // Changes the correction (Ctrl+F1..F9) and installs the current palette again.
  void AdjustCorrection(bool raise, bool first, bool second, bool third);
  // Makes `table` the current palette and installs it.
  void SetCurrentPalette(const ColourTable& table);

  [[nodiscard]] ColourCorrection& correction() { return correction_; }
  [[nodiscard]] const Palette& installed() const { return installed_; }

 private:
  // Gives the screen the installed palette.
  void show();
  // FadeStep 1..steps from `from` to `to`, waiting a tick after each (copies, so that either
  // may be the current palette that the steps replace).
  void Fade(ColourTable from, ColourTable to, int steps);

  Screen& screen_;
  std::function<void()> waitNextTick_;
  ColourCorrection correction_;
  ColourTable system_{};
  ColourTable black_{};
  ColourTable current_{};
  Palette installed_{};
};

}  // namespace lw

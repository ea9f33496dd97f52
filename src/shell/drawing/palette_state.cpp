#include "shell/drawing/palette_state.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace lw {
namespace {

constexpr int kBlackIndex = 0;
constexpr int kWhiteIndex = static_cast<int>(kPaletteEntries) - 1;
constexpr double kFullChannel = 255.0;
constexpr int kStepShift = 8;  // a 16-bit value's high byte picks the table step
constexpr unsigned kFractionMask = 0xFF;
constexpr std::uint8_t kDark = 0;
constexpr std::uint8_t kLight = 255;
constexpr std::uint16_t kWideDark = 0;
constexpr std::uint16_t kWideLight = 0xFFFF;

[[maybe_unused]] bool ValidChannel(int channel) {
  return channel >= 0 && channel < ColourCorrection::kChannels;
}

bool ValidIndex(int index) { return index >= kBlackIndex && index <= kWhiteIndex; }

// One channel of a fade step: from + (to - from) x step / steps, truncated toward zero.
std::uint16_t Between(std::uint16_t from, std::uint16_t to, int step, int steps) {
  const std::int64_t distance = static_cast<std::int64_t>(to) - from;
  return static_cast<std::uint16_t>(from + distance * step / steps);
}

}  // namespace

std::uint8_t ColourCorrection::apply(int channel, std::uint16_t value) {
  assert(ValidChannel(channel));
  if (!current_) rebuild();
  const std::size_t step = value >> kStepShift;
  const unsigned fraction = value & kFractionMask;
  const unsigned share = (diffs_[channel][step] * fraction) >> kStepShift;
  return static_cast<std::uint8_t>(tables_[channel][step] + share);
}

void ColourCorrection::adjust(bool raise, bool first, bool second, bool third) {
  const std::array<bool, kChannels> selected{first, second, third};
  const bool any = first || second || third;
  for (int c = 0; c < kChannels; ++c) {
    double& exponent = exponents_[c];
    if (!any) {
      exponent = kDefaultExponent;
    } else if (selected[c]) {
      exponent = raise ? exponent * kStep : exponent / kStep;
    }
    exponent = std::clamp(exponent, kMinExponent, kMaxExponent);
  }
  current_ = false;
}

std::uint16_t ColourCorrection::table(int channel, int i) {
  assert(ValidChannel(channel) && ValidIndex(i));
  if (!current_) rebuild();
  return tables_[channel][static_cast<std::size_t>(i)];
}

// table[i] = whole part of 255 x (i / 255) ^ exponent; diff[i] the rise to the next step.
void ColourCorrection::rebuild() {
  for (int c = 0; c < kChannels; ++c) {
    Steps& steps = tables_[c];
    for (std::size_t i = 0; i < kPaletteEntries; ++i) {
      const double level = static_cast<double>(i) / kFullChannel;
      steps[i] = static_cast<std::uint16_t>(kFullChannel * std::pow(level, exponents_[c]));
    }
    for (std::size_t i = 0; i + 1 < kPaletteEntries; ++i) {
      diffs_[c][i] = static_cast<std::uint16_t>(steps[i + 1] - steps[i]);
    }
    diffs_[c][kPaletteEntries - 1] = 0;
  }
  current_ = true;
}

PaletteState::PaletteState(Screen& screen, std::function<void()> waitNextTick)
    : screen_(screen), waitNextTick_(std::move(waitNextTick)) {}

void PaletteState::setTitlePalettes(const ColourTable& system, const ColourTable& black) {
  system_ = system;
  black_ = black;
  current_ = system;
}

void PaletteState::SetEntry(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  if (!ValidIndex(index)) return;
  installed_[static_cast<std::size_t>(index)] = {red, green, blue};
}

void PaletteState::SetEntryCorrected(int index, std::uint16_t red, std::uint16_t green,
                                     std::uint16_t blue) {
  if (index == kBlackIndex) {
    SetEntry(index, kDark, kDark, kDark);
  } else if (index == kWhiteIndex) {
    SetEntry(index, kLight, kLight, kLight);
  } else {
    SetEntry(index, correction_.apply(0, red), correction_.apply(1, green),
             correction_.apply(2, blue));
  }
}

void PaletteState::InstallPalette(const ColourTable& table) {
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    const Rgb16& colour = table.entries[i];
    SetEntryCorrected(static_cast<int>(i), colour.red, colour.green, colour.blue);
  }
  show();
}

void PaletteState::InstallPaletteAnimated(const ColourTable& table) { InstallPalette(table); }

void PaletteState::FadeStep(const ColourTable& from, const ColourTable& to, int step, int steps) {
  // With step at least 1, any steps below 1 ends the fade here, so the division below always
  // has steps above 1.
  step = std::max(step, 1);
  if (step >= steps) {
    ColourTable last = to;
    last.entries[kBlackIndex] = {kWideDark, kWideDark, kWideDark};
    last.entries[kWhiteIndex] = {kWideLight, kWideLight, kWideLight};
    SetCurrentPalette(last);
    return;
  }
  ColourTable middle = to;  // seed and flags of the target
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    const Rgb16& a = from.entries[i];
    const Rgb16& b = to.entries[i];
    middle.entries[i] = {Between(a.red, b.red, step, steps), Between(a.green, b.green, step, steps),
                         Between(a.blue, b.blue, step, steps)};
  }
  current_ = middle;
  InstallPaletteAnimated(current_);
}

void PaletteState::FadeToBlack(const ColourTable& palette, int steps) {
  Fade(palette, black_, steps);
}

void PaletteState::FadeFromBlack(const ColourTable& palette, int steps) {
  Fade(black_, palette, steps);
}

void PaletteState::AdjustCorrection(bool raise, bool first, bool second, bool third) {
  correction_.adjust(raise, first, second, third);
  InstallPalette(current_);
}

void PaletteState::SetCurrentPalette(const ColourTable& table) {
  current_ = table;
  InstallPalette(current_);
}

void PaletteState::show() { screen_.setPalette(installed_); }

void PaletteState::Fade(ColourTable from, ColourTable to, int steps) {
  for (int step = 1; step <= steps; ++step) {
    FadeStep(from, to, step, steps);
    waitNextTick_();
  }
}

}  // namespace lw

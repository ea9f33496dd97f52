// The palette: colour correction curves, installs with fixed black and white ends, and fades
// between colour tables a tick at a time.
#include "shell/drawing/palette_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fake_platform.h"

namespace lw {
namespace {

constexpr int kChannels = ColourCorrection::kChannels;

// The correction curve's step i for an exponent, computed independently of the tables.
std::uint16_t CurveStep(int i, double exponent) {
  return static_cast<std::uint16_t>(std::floor(255.0 * std::pow(i / 255.0, exponent)));
}

ColourTable Uniform(Rgb16 colour) {
  ColourTable table;
  table.entries.fill(colour);
  return table;
}

// A table whose entries all differ: red rises, green falls, blue is fixed.
ColourTable Gradient() {
  ColourTable table;
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    table.entries[i] = {static_cast<std::uint16_t>(i * 257), static_cast<std::uint16_t>(0xFFFF - i),
                        0x4000};
  }
  return table;
}

TEST(ColourCorrectionTest, DefaultCurveIsThePowerLawWithLinearStepsBetween) {
  ColourCorrection correction;
  for (int c = 0; c < kChannels; ++c) {
    EXPECT_EQ(correction.exponent(c), 0.75);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(correction.table(c, i), CurveStep(i, 0.75)) << i;
  }
  // 255 x (128 / 255) ^ 0.75 = 152.07.
  EXPECT_EQ(correction.apply(0, 0x8000), 152);
  EXPECT_EQ(correction.apply(2, 0), 0);
  EXPECT_EQ(correction.apply(1, 0xFFFF), 255);
  // 0x0180 lies half way from step 1 (3.99 -> 3) to step 2 (6.72 -> 6): 3 + (3 x 128 >> 8).
  EXPECT_EQ(correction.apply(0, 0x0180), 4);
  const int low = CurveStep(1, 0.75);
  const int rise = CurveStep(2, 0.75) - low;
  EXPECT_EQ(correction.apply(1, 0x01C0), low + ((rise * 0xC0) >> 8));

  // Never falls as the value rises, and reaches every step exactly at its start.
  int previous = 0;
  for (int v = 0; v <= 0xFFFF; ++v) {
    const int corrected = correction.apply(0, static_cast<std::uint16_t>(v));
    ASSERT_GE(corrected, previous) << v;
    if ((v & 0xFF) == 0) {
      ASSERT_EQ(corrected, CurveStep(v >> 8, 0.75)) << v;
    }
    previous = corrected;
  }
}

TEST(ColourCorrectionTest, AdjustStepsSelectedExponentsWithinLimitsAndResets) {
  ColourCorrection correction;
  (void)correction.apply(0, 0x8000);  // tables built before the change must be rebuilt after it
  for (int press = 0; press < 30; ++press) correction.adjust(true, true, true, true);
  for (int c = 0; c < kChannels; ++c) EXPECT_EQ(correction.exponent(c), 2.5);
  EXPECT_EQ(correction.table(1, 128), CurveStep(128, 2.5));
  EXPECT_EQ(correction.apply(2, 0x8000), CurveStep(128, 2.5));

  correction.adjust(true, false, false, false);  // none selected: reset
  for (int c = 0; c < kChannels; ++c) EXPECT_EQ(correction.exponent(c), 0.75);
  EXPECT_EQ(correction.apply(0, 0x8000), 152);

  for (int press = 0; press < 40; ++press) correction.adjust(false, true, true, true);
  for (int c = 0; c < kChannels; ++c) EXPECT_EQ(correction.exponent(c), 0.15);
  correction.adjust(false, false, false, false);

  correction.adjust(true, false, true, false);
  correction.adjust(false, false, false, true);
  EXPECT_EQ(correction.exponent(0), 0.75);
  EXPECT_DOUBLE_EQ(correction.exponent(1), 0.75 * 1.05);
  EXPECT_DOUBLE_EQ(correction.exponent(2), 0.75 / 1.05);
  EXPECT_EQ(correction.apply(0, 0x8000), CurveStep(128, 0.75));
  EXPECT_EQ(correction.apply(1, 0x8000), CurveStep(128, 0.75 * 1.05));
  EXPECT_EQ(correction.apply(2, 0x8000), CurveStep(128, 0.75 / 1.05));
}

class PaletteStateTest : public ::testing::Test {
 protected:
  PaletteStateTest() : state(screen, [this] { waitedOn.push_back(platform.palette); }) {}

  // The installed 8-bit colour of 16-bit channels with the default correction.
  static Rgb Corrected(const Rgb16& c) { return {Curve(c.red), Curve(c.green), Curve(c.blue)}; }

  // The default curve at a 16-bit value: its step plus the low byte's share of the next rise.
  static std::uint8_t Curve(std::uint16_t v) {
    const int step = v >> 8;
    const int low = CurveStep(step, 0.75);
    const int rise = step < 255 ? CurveStep(step + 1, 0.75) - low : 0;
    return static_cast<std::uint8_t>(low + ((rise * (v & 0xFF)) >> 8));
  }

  testing::FakePlatform platform;
  Screen screen{platform};
  std::vector<Palette> waitedOn;  // the platform palette at each tick a fade waited for
  PaletteState state;
  const Rgb16 kWhite{0xFFFF, 0xFFFF, 0xFFFF};
  const Rgb16 kBlack{0, 0, 0};
};

TEST_F(PaletteStateTest, InstallCorrectsMiddleEntriesAndFixesBlackAndWhiteEnds) {
  ColourTable table = Uniform({0x8000, 0x0100, 0xFFFF});
  table.entries[0] = kWhite;
  table.entries[255] = kBlack;
  state.InstallPalette(table);
  EXPECT_EQ(platform.paletteChanges, 1);
  EXPECT_EQ(platform.palette, state.installed());
  EXPECT_EQ(screen.palette(), state.installed());
  EXPECT_EQ(state.installed()[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(state.installed()[255], (Rgb{255, 255, 255}));
  for (int i = 1; i < 255; ++i) ASSERT_EQ(state.installed()[i], (Rgb{152, 3, 255})) << i;

  state.SetEntry(9, 1, 2, 3);
  state.SetEntryCorrected(0, 0xFFFF, 0xFFFF, 0xFFFF);
  state.SetEntryCorrected(255, 0, 0, 0);
  state.SetEntry(256, 9, 9, 9);
  state.SetEntryCorrected(-1, 0, 0, 0);
  EXPECT_EQ(state.installed()[9], (Rgb{1, 2, 3}));
  EXPECT_EQ(state.installed()[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(state.installed()[255], (Rgb{255, 255, 255}));
}

TEST_F(PaletteStateTest, PalettesBecomeCurrentAndCorrectionReinstallsTheCurrentOne) {
  const ColourTable system = Gradient();
  const ColourTable black = Uniform(kBlack);
  state.setTitlePalettes(system, black);
  EXPECT_EQ(state.currentPalette(), system);
  EXPECT_EQ(state.systemPalette(), system);
  EXPECT_EQ(state.blackPalette(), black);

  const ColourTable grey = Uniform({0x8000, 0x8000, 0x8000});
  state.SetCurrentPalette(grey);
  EXPECT_EQ(state.currentPalette(), grey);
  EXPECT_EQ(platform.palette[7], (Rgb{152, 152, 152}));

  state.AdjustCorrection(true, true, false, false);
  EXPECT_EQ(platform.paletteChanges, 2);
  EXPECT_EQ(platform.palette[7].red, CurveStep(128, 0.75 * 1.05));
  EXPECT_EQ(platform.palette[7].green, 152);
}

TEST_F(PaletteStateTest, FadeStepInterpolatesAndTheLastStepInstallsTheTargetExactly) {
  ColourTable from = Uniform({0, 0xFFFF, 0x1000});
  ColourTable to = Uniform({0xFFFF, 0x0001, 0x1000});
  to.seed = 8;

  // Channels move by (to - from) x step / steps, truncated toward zero in both directions:
  // red 65535 x 1 / 3 = 21845; green 65535 - 65534 / 3 = 65535 - 21844 = 43691 and
  // 65535 - 65534 x 2 / 3 = 65535 - 43689 = 21846.
  state.FadeStep(from, to, 1, 3);
  EXPECT_EQ(state.currentPalette().entries[40], (Rgb16{21845, 43691, 0x1000}));
  state.FadeStep(from, to, 2, 3);
  EXPECT_EQ(state.currentPalette().entries[40], (Rgb16{43690, 21846, 0x1000}));
  EXPECT_EQ(platform.palette[40], Corrected({43690, 21846, 0x1000}));

  to.entries[0] = kWhite;
  to.entries[255] = kBlack;
  state.FadeStep(from, to, 3, 3);
  ColourTable expected = to;
  expected.entries[0] = kBlack;
  expected.entries[255] = kWhite;
  EXPECT_EQ(state.currentPalette(), expected);
  EXPECT_EQ(platform.palette[40], Corrected(to.entries[40]));
  EXPECT_EQ(platform.palette[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(platform.palette[255], (Rgb{255, 255, 255}));
  EXPECT_EQ(platform.paletteChanges, 3);

  // Zero steps count as one, and a step past the end is the end.
  state.FadeStep(to, from, 0, 0);
  EXPECT_EQ(state.currentPalette().entries[40], from.entries[40]);
  state.FadeStep(from, to, 5, 3);
  EXPECT_EQ(state.currentPalette().entries[40], to.entries[40]);
}

TEST_F(PaletteStateTest, FadesWaitATickPerStepAndEndOnTheirTarget) {
  ColourTable black = Uniform(kBlack);
  black.entries[0] = kWhite;
  const ColourTable system = Uniform({0xC000, 0x6000, 0x3000});
  state.setTitlePalettes(system, black);

  // Fading the current palette itself: each step still starts from the palette it was given.
  state.FadeToBlack(state.currentPalette(), 4);
  ASSERT_EQ(waitedOn.size(), 4u);
  for (int step = 1; step <= 3; ++step) {
    const auto part = [step](std::uint16_t v) {
      return static_cast<std::uint16_t>(v - v * step / 4);
    };
    EXPECT_EQ(waitedOn[step - 1][100], Corrected({part(0xC000), part(0x6000), part(0x3000)}))
        << step;
  }
  ColourTable endBlack = Uniform(kBlack);
  endBlack.entries[255] = kWhite;
  EXPECT_EQ(state.currentPalette(), endBlack);
  EXPECT_EQ(waitedOn[3][100], (Rgb{0, 0, 0}));

  waitedOn.clear();
  state.FadeFromBlack(system, 2);
  ASSERT_EQ(waitedOn.size(), 2u);
  EXPECT_EQ(waitedOn[0][100], Corrected({0x6000, 0x3000, 0x1800}));
  EXPECT_EQ(state.currentPalette().entries[100], system.entries[100]);
  EXPECT_EQ(waitedOn[1][100], Corrected(system.entries[100]));

  const int changes = platform.paletteChanges;
  state.FadeToBlack(system, 0);
  EXPECT_EQ(waitedOn.size(), 2u);
  EXPECT_EQ(platform.paletteChanges, changes);
}

}  // namespace
}  // namespace lw

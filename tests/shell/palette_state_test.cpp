// The palette: colour correction curves, installs with fixed black and white ends, fades
// between colour tables a tick at a time, and the stored form of colour tables.
#include "shell/drawing/palette_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/drawing/colour_table.h"
#include "support/shell_printers.h"
#include "support/shell_rig.h"

namespace lw::test {
namespace {

// The correction curve's step i for an exponent, computed independently of the tables.
int CurveStep(int i, double exponent) {
  return static_cast<int>(std::floor(255.0 * std::pow(i / 255.0, exponent)));
}

// The default curve at a 16-bit value: its step plus the low byte's share of the next rise.
std::uint8_t Curve(std::uint16_t v) {
  const int step = v >> 8;
  const int rise = step < 255 ? CurveStep(step + 1, 0.75) - CurveStep(step, 0.75) : 0;
  return static_cast<std::uint8_t>(CurveStep(step, 0.75) + ((rise * (v & 0xFF)) >> 8));
}

// The installed 8-bit colour of 16-bit channels with the default correction.
std::string Corrected(const Rgb16& c) {
  return Print(Rgb{Curve(c.red), Curve(c.green), Curve(c.blue)});
}

ColourTable Uniform(Rgb16 colour) {
  ColourTable table;
  table.entries.fill(colour);
  return table;
}

TEST(ColourCorrectionTest, DefaultCurveIsThePowerLawWithLinearStepsBetween) {
  ColourCorrection correction;
  // 255 x (128 / 255) ^ 0.75 = 152.07; 0x0180 lies half way from step 1 (3.99 -> 3) to step 2
  // (6.72 -> 6): 3 + (3 x 128 >> 8).
  EXPECT_EQ(correction.apply(0, 0x8000), 152);
  EXPECT_EQ(correction.apply(0, 0x0180), 4);
  for (int c = 0; c < ColourCorrection::kChannels; ++c) {
    EXPECT_EQ(correction.exponent(c), 0.75);
    for (int v = 0; v <= 0xFFFF; ++v) {
      const auto value = static_cast<std::uint16_t>(v);
      ASSERT_EQ(correction.apply(c, value), Curve(value)) << c << " " << v;
    }
  }
}

TEST(ColourCorrectionTest, AdjustStepsSelectedExponentsWithinLimitsAndResets) {
  ColourCorrection correction;
  const auto exponents = [&] {
    std::string text;
    for (int c = 0; c < ColourCorrection::kChannels; ++c)
      text += (c ? " " : "") + std::to_string(correction.exponent(c));
    return text;
  };
  (void)correction.apply(0, 0x8000);  // tables built before the change must be rebuilt after it
  for (int press = 0; press < 30; ++press) correction.adjust(true, true, true, true);
  EXPECT_EQ(exponents(), "2.500000 2.500000 2.500000");
  EXPECT_EQ(correction.apply(2, 0x8000), CurveStep(128, 2.5));

  correction.adjust(true, false, false, false);  // none selected: reset
  EXPECT_EQ(exponents(), "0.750000 0.750000 0.750000");
  EXPECT_EQ(correction.apply(0, 0x8000), 152);
  for (int press = 0; press < 40; ++press) correction.adjust(false, true, true, true);
  EXPECT_EQ(exponents(), "0.150000 0.150000 0.150000");

  correction.adjust(false, false, false, false);
  correction.adjust(true, false, true, false);
  correction.adjust(false, false, false, true);
  EXPECT_EQ(exponents(), "0.750000 0.787500 0.714286");
  EXPECT_EQ(correction.apply(0, 0x8000), CurveStep(128, 0.75));
  EXPECT_EQ(correction.apply(1, 0x8000), CurveStep(128, 0.75 * 1.05));
  EXPECT_EQ(correction.apply(2, 0x8000), CurveStep(128, 0.75 / 1.05));
}

class PaletteStateTest : public ::testing::Test, protected ShellRig {
 protected:
  // Entry `i` of the installed palette, of the platform's and of the current table.
  std::string Installed(int i) { return Print(state.installed()[i]); }
  std::string Shown(int i) { return Print(platform.palette[i]); }
  std::string Current(int i) { return Print(state.currentPalette().entries[i]); }

  std::vector<Palette> waitedOn;  // the platform palette at each tick a fade waited for
  PaletteState state{screen, [this] { waitedOn.push_back(platform.palette); }};
  const Rgb16 kWhite{0xFFFF, 0xFFFF, 0xFFFF};
  const Rgb16 kBlack{0, 0, 0};
};

TEST_F(PaletteStateTest, InstallCorrectsMiddleEntriesFixesTheEndsAndCorrectionReinstalls) {
  ColourTable table = Uniform({0x8000, 0x0100, 0xFFFF});
  table.entries[0] = kWhite;
  table.entries[255] = kBlack;
  state.SetCurrentPalette(table);
  EXPECT_EQ(state.currentPalette(), table);
  EXPECT_EQ(screen.palette(), platform.palette);
  EXPECT_EQ(Shown(0) + " " + Shown(255), "0,0,0 255,255,255");
  for (int i = 1; i < 255; ++i) ASSERT_EQ(Shown(i), "152,3,255") << i;
  state.AdjustCorrection(true, true, false, false);
  EXPECT_EQ(platform.paletteChanges, 2);
  EXPECT_EQ(Shown(7), std::to_string(CurveStep(128, 0.75 * 1.05)) + ",3,255");

  state.SetEntry(9, 1, 2, 3);
  state.SetEntryCorrected(0, 0xFFFF, 0xFFFF, 0xFFFF);
  state.SetEntryCorrected(255, 0, 0, 0);
  state.SetEntry(256, 9, 9, 9);
  state.SetEntryCorrected(-1, 0, 0, 0);
  EXPECT_EQ(Installed(9) + " " + Installed(0) + " " + Installed(255), "1,2,3 0,0,0 255,255,255");
}

TEST_F(PaletteStateTest, FadeStepInterpolatesTruncatingAndTheLastStepInstallsTheTarget) {
  const ColourTable from = Uniform({0, 0xFFFF, 0x1000});
  ColourTable to = Uniform({0xFFFF, 0x0001, 0x1001});
  to.seed = 8;
  // Channels move by (to - from) x step / steps, truncated toward zero in both directions:
  // red 65535 x 1 / 3 = 21845; green 65535 - 65534 / 3 = 65535 - 21844 = 43691 and
  // 65535 - 65534 x 2 / 3 = 65535 - 43689 = 21846; blue 1 x 2 / 3 = 0.
  state.FadeStep(from, to, 1, 3);
  EXPECT_EQ(Current(40), "21845,43691,4096");
  state.FadeStep(from, to, 2, 3);
  EXPECT_EQ(Current(40), "43690,21846,4096");
  EXPECT_EQ(Shown(40), Corrected({43690, 21846, 0x1000}));
  // A step past the end is the last, which is the target, its seed too (the fixed ends are left
  // to the fades' test).
  state.FadeStep(from, to, 5, 3);
  EXPECT_EQ(Current(40) + " " + std::to_string(state.currentPalette().seed), "65535,1,4097 8");
  EXPECT_EQ(platform.paletteChanges, 3);

  // Zero steps count as one.
  state.FadeStep(to, from, 0, 0);
  EXPECT_EQ(Current(40), "0,65535,4096");
}

TEST_F(PaletteStateTest, FadesWaitATickPerStepAndEndOnTheirTarget) {
  ColourTable black = Uniform(kBlack);
  black.entries[0] = kWhite;
  const ColourTable system = Uniform({0xC000, 0x6000, 0x3000});
  state.setTitlePalettes(system, black);

  // Fading the current palette itself: each step still starts from the palette it was given.
  state.FadeToBlack(state.currentPalette(), 4);
  ASSERT_EQ(waitedOn.size(), 4u);
  const auto step = [&](int i) { return Print(waitedOn[i][100]); };
  EXPECT_EQ(step(0) + " " + step(1) + " " + step(2) + " " + step(3),
            Corrected({0x9000, 0x4800, 0x2400}) + " " + Corrected({0x6000, 0x3000, 0x1800}) + " " +
                Corrected({0x3000, 0x1800, 0x0C00}) + " 0,0,0");
  ColourTable endBlack = Uniform(kBlack);
  endBlack.entries[255] = kWhite;
  EXPECT_EQ(state.currentPalette(), endBlack);

  waitedOn.clear();
  state.FadeFromBlack(system, 2);
  ASSERT_EQ(waitedOn.size(), 2u);
  EXPECT_EQ(step(0) + " " + step(1),
            Corrected({0x6000, 0x3000, 0x1800}) + " " + Corrected(system.entries[100]));
  EXPECT_EQ(Current(100), "49152,24576,12288");
}

// Colour tables: the stored form of a palette and the checks on tables read from files.
// `count` bytes from `offset` in hex, separated by spaces.
std::string Hex(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t count = 8) {
  std::string text;
  for (std::size_t i = offset; i < offset + count; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", unsigned{bytes.at(i)});
    text += (text.empty() ? "" : " ") + std::string(hex);
  }
  return text;
}

// Entry i is stored at 8 + 8i.
TEST(ColourTableTest, TablesAreStoredWithWideChannelsInIndexOrderAndReadBackByPosition) {
  Palette palette{};
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                  static_cast<std::uint8_t>(i * 7)};
  }
  std::vector<std::uint8_t> bytes = EncodeColourTable(palette);
  ASSERT_EQ(bytes.size(), kColourTableBytes);
  // Seed 0, flags 0, 255 entries after the first; entry 200 is index 200, then 200, 55 and
  // 1400 mod 256 = 120 each times 257.
  EXPECT_EQ(Hex(bytes, 0) + " | " + Hex(bytes, 8 + 200 * 8),
            "00 00 00 00 00 00 ff 00 | "
            "c8 00 c8 c8 37 37 78 78");
  bytes[8 + 3 * 8 + 2] = 0xFF;  // red 0x03FF: the low byte is dropped
  bytes[8 + 3 * 8 + 7] = 0xAB;  // blue 0xAB15
  palette[3] = {3, 252, 0xAB};
  auto decoded = DecodeColourTable(bytes);
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ(*decoded, palette);

  ColourTable table;
  table.seed = 0x89ABCDEF;
  table.flags = 0x8001;
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    table.entries[i] = {static_cast<std::uint16_t>(i * 251 + 1),
                        static_cast<std::uint16_t>(0xFFFF - i * 3),
                        static_cast<std::uint16_t>(i << 8 | 0x7F)};
  }
  bytes = EncodeColourTable16(table);
  // Entry 77: red 77 x 251 + 1 = 0x4b80, green 0xffff - 231 = 0xff18, blue 0x4d7f.
  EXPECT_EQ(Hex(bytes, 0) + " | " + Hex(bytes, 8 + 77 * 8),
            "ef cd ab 89 01 80 ff 00 | "
            "4d 00 80 4b 18 ff 7f 4d");
  bytes[8 + 5 * 8] = 200;  // the stored index fields say nothing
  auto wide = DecodeColourTable16(bytes);
  ASSERT_TRUE(wide.ok()) << wide.error();
  EXPECT_EQ(*wide, table);
}

TEST(ColourTableTest, WrongSizesAndEntryCountsAreRejected) {
  const std::vector<std::uint8_t> good = EncodeColourTable16(ColourTable{});
  const auto changed = [&](std::size_t size, std::uint8_t low = 0xFF, std::uint8_t high = 0) {
    std::vector<std::uint8_t> bytes = good;
    bytes[6] = low;
    bytes[7] = high;
    bytes.resize(size);
    return bytes;
  };
  const struct {
    std::vector<std::uint8_t> bytes;
    const char* error;
  } cases[] = {
      {changed(2055), "a colour table is 2056 bytes, not 2055"},
      {changed(2056, 15, 0), "the colour table's entry count field is 15, not 255"},
      {changed(2056, 0xFF, 0xFF), "the colour table's entry count field is 65535, not 255"},
  };
  for (const auto& c : cases) {
    const auto wide = DecodeColourTable16(c.bytes);
    const auto narrow = DecodeColourTable(c.bytes);
    ASSERT_FALSE(wide.ok() || narrow.ok()) << c.error;
    EXPECT_EQ(wide.error() + " | " + narrow.error(), c.error + std::string(" | ") + c.error);
  }
}

}  // namespace
}  // namespace lw::test

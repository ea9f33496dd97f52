// The palette built-ins as a booted title's lines see them: the palette shown, the current
// palette kept, the ticks a fade takes and the screen canvas.
#include <gtest/gtest.h>

#include <string>

#include "shell/drawing/colour_table.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

constexpr std::string_view kBadType = "Bad argument type.";
constexpr std::string_view kNotFound = "Resource not found.";

// True when every entry shows black but 255, which always shows white.
bool ShowsBlack(const Palette& palette) {
  for (std::size_t i = 0; i < 255; ++i)
    if (palette[i] != Rgb{0, 0, 0}) return false;
  return palette[255] == Rgb{255, 255, 255};
}

class PaletteBuiltinsTest : public TitleTest {
 protected:
  // Boots a title whose system script is `script` (its boot() runs in the first pass).
  TitleRun& Start(std::string_view script = kRecordingScript) {
    TitleRun& run = Boot(script);
    atStart_ = Shown();
    return run;
  }

  [[nodiscard]] const Palette& Shown() { return platform().palette(); }
  [[nodiscard]] PaletteState& Palettes() { return runtime().palettes(); }
  // The palette shown, named when it is a known one: "black", "system" (shown at the start).
  const LineProbe shown_ = [this] {
    return ShowsBlack(Shown()) ? "black" : Shown() == atStart_ ? "system" : "other";
  };
  // Entries 4 to 7 of the current palette, each as "red,green,blue".
  const LineProbe entries_ = [this] {
    std::string trace;
    for (std::size_t i = 4; i <= 7; ++i) {
      const Rgb16& e = Palettes().currentPalette().entries[i];
      trace += std::to_string(e.red) + "," + std::to_string(e.green) + "," +
               std::to_string(e.blue) + (i < 7 ? " " : "");
    }
    return trace;
  };

  Palette atStart_{};
};

// With no set, stage or puppet file open, their names are resource names like any other text.
TEST_F(PaletteBuiltinsTest, ClutInstallsThePaletteThatItsArgumentNames) {
  Start().Expect({{"clut(\"Black\")", "OK | black"},
                  {"clut(\"system\")", "OK | system"},
                  {"clut(\"CURRENT\")", "OK | system"},
                  {"clut(1)", "Resource not found. | system"},
                  {"clut(\"nosuch\")", "Resource not found. | system"},
                  {"clut(\"set\")", "Resource not found. | system"},
                  {"clut(\"stage\")", "Resource not found. | system"},
                  {"clut(\"puppet\")", "Resource not found. | system"},
                  {"clut(true)", "Bad argument type. | system"}},
                 shown_);
}

// Toward black by 100/255: 1000 - 100000/255 gives 608 (truncated toward zero, not 607). From
// black toward the custom entries by 51/255, the others being black's.
TEST_F(PaletteBuiltinsTest, MixClutMixesTheChosenEntries) {
  TitleRun& run = Start();
  ColourTable custom = Palettes().currentPalette();
  for (std::size_t i = 4; i <= 7; ++i) custom.entries[i] = {1000, 30000, 65535};
  Palettes().SetCurrentPalette(custom);
  run.Expect(
      {{"mixclut(\"current\", \"black\", 5, 6, 100)",
        "OK | 1000,30000,65535 608,18236,39835 608,18236,39835 1000,30000,65535"},
       {"mixclut(\"black\", \"current\", 7, 7, 51)", "OK | 0,0,0 0,0,0 0,0,0 200,6000,13107"}},
      entries_);
  Palettes().SetCurrentPalette(custom);
  run.Expect({{"mixclut(\"current\", \"black\", 20, 10, 255)", "OK"},  // l below f mixes none
              {"mixclut(\"current\", \"black\", \"a\", 1, 1)", kBadType},
              {"mixclut(true, \"black\", 1, 1, 1)", kBadType},
              {"mixclut(\"current\", 99, 1, 1, 1)", kNotFound}});
  EXPECT_EQ(Palettes().currentPalette(), custom);
  // Entries and mix are kept within 0..255.
  run.Expect({{"mixclut(\"current\", \"black\", -10, 300, 1000)", "OK | black"}}, shown_);
}

// A fade of n steps ends on its target and takes n ticks, one step a tick, as delay(n) waits n
// ticks. A read of the clock may land just past a tick boundary: one tick of slack.
TEST_F(PaletteBuiltinsTest, FadesStepOnceATick) {
  TitleRun& run = Start(
      "code boot()\n\tglobal fade, slept\n\tlocal before\n\tbefore = tick()\n"
      "\tscreentoblack(\"system\", 30)\n\tfade = tick() - before\n\tbefore = tick()\n"
      "\tdelay(6)\n\tslept = tick() - before\nendcode\n");
  runtime().loop().Pass();
  run.Expect(
      {{"fade > 29 and slept > 5", "True | black"}, {"fade < 32 and slept < 8", "True | black"}},
      shown_);

  const std::uint64_t ticks = platform().ticks();
  run.Expect({{"blacktoscreen(\"system\", 12)", "OK | system"}}, shown_);
  EXPECT_GE(platform().ticks() - ticks, 12u);
  EXPECT_LE(platform().ticks() - ticks, 13u);

  // No steps: nothing happens, though the palette must still exist.
  run.Expect({{"screentoblack(\"system\", 0)", "OK | system"},
              {"blacktoscreen(\"black\", -4)", "OK | system"},
              {"screentoblack(\"system\", \"5\")", "Bad argument type. | system"},
              {"blacktoscreen(true, 5)", "Bad argument type. | system"},
              {"blacktoscreen(7, 0)", "Resource not found. | system"}},
             shown_);
}

TEST_F(PaletteBuiltinsTest, BlackScreenBlacksTheWholeCanvas) {
  constexpr std::uint8_t kGrey = 7;
  Start("code boot()\n\tblackscreen()\nendcode\n").FillScreen(kGrey);
  runtime().loop().Pass();
  runtime().screen().present();
  for (const auto& [h, v] : {std::pair{64, 48}, {575, 431}, {320, 240}, {100, 300}, {0, 0}})
    EXPECT_EQ(platform().canvasPixel(h, v), Port::kBlack) << h << "," << v;
}

}  // namespace
}  // namespace lw::testing

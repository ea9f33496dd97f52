// The palette built-ins as a title sees them: the palette the headless platform shows, the
// current palette the runtime keeps, the ticks a fade takes and the screen canvas, after system
// scripts and lines typed into the message box of a booted title.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/program_resources.h"
#include "script/console.h"
#include "shell/drawing/colour_table.h"
#include "title_fixture.h"

namespace lw::testing {
namespace {

std::string Message(ScriptError e) { return std::string(ScriptErrorMessage(CodeOf(e))); }

ColourTable ResourceTable(std::string_view name) {
  auto table = DecodeColourTable16(FindRawResource(name).value_or(std::span<const std::uint8_t>{}));
  EXPECT_TRUE(table.ok()) << name;
  return table.ok() ? *table : ColourTable{};
}

// True when every entry shows black but 255, which always shows white.
bool ShowsBlack(const Palette& palette) {
  for (std::size_t i = 0; i < 255; ++i)
    if (palette[i] != Rgb{0, 0, 0}) return false;
  return palette[255] == Rgb{255, 255, 255};
}

class PaletteBuiltinsTest : public TitleTest {
 protected:
  // Boots a title whose system script is `script` (its boot() runs in the first pass).
  void Boot(std::string_view script = kRecordingScript) {
    UseScript(script);
    run_ = std::make_unique<TitleRun>(title(), "");
    ASSERT_TRUE(run_->runtime().Begin());
    atStart_ = Shown();
  }
  ~PaletteBuiltinsTest() override {
    if (run_) run_->runtime().End();
  }

  std::string Eval(std::string_view line) {
    Interpreter& in = *run_->runtime().interpreter();
    in.beginPass();
    return RunConsoleLine(in, line);
  }
  [[nodiscard]] const Palette& Shown() const { return run_->platform().palette(); }
  [[nodiscard]] const ColourTable& Current() { return run_->runtime().palettes().currentPalette(); }

  std::unique_ptr<TitleRun> run_;
  Palette atStart_{};
};

TEST_F(PaletteBuiltinsTest, ClutInstallsThePaletteThatItsArgumentNames) {
  Boot();
  EXPECT_EQ(Eval("clut(\"Black\")"), "OK");
  EXPECT_TRUE(ShowsBlack(Shown()));
  EXPECT_EQ(Current(), ResourceTable("CLUT.BLACK"));
  EXPECT_EQ(Eval("clut(\"system\")"), "OK");
  EXPECT_EQ(Shown(), atStart_);
  EXPECT_EQ(Eval("clut(\"CURRENT\")"), "OK");
  EXPECT_EQ(Current(), ResourceTable("CLUT.SYSTEM"));

  // With no set, stage or puppet file open, their names are resource names too.
  for (const std::string_view line : {"clut(1)", "clut(\"nosuch\")", "clut(\"set\")",
                                      "clut(\"stage\")", "clut(\"puppet\")", "clut(\"\")"})
    EXPECT_EQ(Eval(line), Message(ScriptError::ResourceNotFound)) << line;
  EXPECT_EQ(Eval("clut(true)"), Message(ScriptError::BadArgumentType));
  EXPECT_EQ(Shown(), atStart_);
}

TEST_F(PaletteBuiltinsTest, MixClutMixesTheChosenEntries) {
  Boot();
  ColourTable custom = ResourceTable("CLUT.SYSTEM");
  for (std::size_t i = 4; i <= 7; ++i) custom.entries[i] = {1000, 30000, 65535};
  run_->runtime().palettes().SetCurrentPalette(custom);
  const ColourTable black = ResourceTable("CLUT.BLACK");

  // Toward black by 100/255: 1000 - 100000/255 gives 608 (truncated toward zero, not 607).
  EXPECT_EQ(Eval("mixclut(\"current\", \"black\", 5, 6, 100)"), "OK");
  EXPECT_EQ(Current().entries[5], (Rgb16{608, 18236, 39835}));
  EXPECT_EQ(Current().entries[6], Current().entries[5]);
  EXPECT_EQ(Current().entries[4], custom.entries[4]);
  EXPECT_EQ(Current().entries[7], custom.entries[7]);
  EXPECT_NE(Shown()[5], Shown()[4]) << "the mix is installed";
  // From black toward the current palette; the other entries are the first palette's.
  EXPECT_EQ(Eval("mixclut(\"black\", \"current\", 7, 7, 51)"), "OK");
  EXPECT_EQ(Current().entries[7], (Rgb16{200, 6000, 13107}));
  EXPECT_EQ(Current().entries[6], black.entries[6]);

  run_->runtime().palettes().SetCurrentPalette(custom);
  EXPECT_EQ(Eval("mixclut(\"current\", \"black\", 20, 10, 255)"), "OK");
  EXPECT_EQ(Current(), custom) << "the last entry below the first mixes nothing";
  EXPECT_EQ(Eval("mixclut(\"current\", \"black\", -10, 300, 1000)"), "OK");
  EXPECT_EQ(Current().entries, black.entries) << "entries and mix are kept within 0..255";

  run_->runtime().palettes().SetCurrentPalette(custom);
  for (const std::string_view line :
       {"mixclut(\"current\", \"black\", \"a\", 1, 1)",
        "mixclut(\"current\", \"black\", 1, 1, true)", "mixclut(true, \"black\", 1, 1, 1)",
        "mixclut(\"current\", false, 1, 1, 1)"})
    EXPECT_EQ(Eval(line), Message(ScriptError::BadArgumentType)) << line;
  EXPECT_EQ(Eval("mixclut(\"current\", 99, 1, 1, 1)"), Message(ScriptError::ResourceNotFound));
  EXPECT_EQ(Current(), custom);
}

// A fade of n steps ends on its target and takes n ticks, one step a tick.
TEST_F(PaletteBuiltinsTest, FadesStepOnceATick) {
  Boot(
      "code boot()\n\tglobal before, after\n\tbefore = tick()\n"
      "\tscreentoblack(\"system\", 30)\n\tafter = tick()\nendcode\n");
  run_->runtime().loop().Pass();
  EXPECT_TRUE(ShowsBlack(Shown()));
  EXPECT_GE(run_->Global("after") - run_->Global("before"), 30);
  EXPECT_LE(run_->Global("after") - run_->Global("before"), 31);

  const std::uint64_t ticks = run_->platform().ticks();
  EXPECT_EQ(Eval("blacktoscreen(\"system\", 12)"), "OK");
  EXPECT_EQ(Shown(), atStart_);
  EXPECT_GE(run_->platform().ticks() - ticks, 12u);
  EXPECT_LE(run_->platform().ticks() - ticks, 13u);

  // No steps: nothing happens, though the palette must still exist.
  EXPECT_EQ(Eval("screentoblack(\"system\", 0)"), "OK");
  EXPECT_EQ(Eval("blacktoscreen(\"black\", -4)"), "OK");
  EXPECT_EQ(Eval("screentoblack(\"system\", \"5\")"), Message(ScriptError::BadArgumentType));
  EXPECT_EQ(Eval("blacktoscreen(true, 5)"), Message(ScriptError::BadArgumentType));
  EXPECT_EQ(Eval("blacktoscreen(7, 0)"), Message(ScriptError::ResourceNotFound));
  EXPECT_EQ(Shown(), atStart_);
}

TEST_F(PaletteBuiltinsTest, BlackScreenBlacksTheWholeCanvas) {
  Boot("code boot()\n\tblackscreen()\nendcode\n");
  constexpr std::uint8_t kGrey = 7;
  Screen& screen = run_->runtime().screen();
  for (int y = 0; y < screen.canvas().height(); ++y)
    std::memset(screen.canvas().row(y), kGrey, static_cast<std::size_t>(screen.canvas().width()));
  run_->runtime().loop().Pass();
  screen.present();
  for (const auto& [h, v] : {std::pair{64, 48}, {575, 431}, {320, 240}, {100, 300}, {0, 0}})
    EXPECT_EQ(run_->platform().canvasPixel(h, v), Port::kBlack) << h << "," << v;
}

}  // namespace
}  // namespace lw::testing

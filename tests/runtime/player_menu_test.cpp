// The player menu of F10 in headless runs, driven by input scripts as a player drives it: the
// title held while it is up (its calls, idle() runs and tick count those of a run without the
// menu), Quit's confirmation, the settings and the screenshot it gives, its drawn rows, and
// the notes of a headless run's log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "apps/titleplayer/player.h"
#include "platform/png_image.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

namespace fs = std::filesystem;

struct TitleState {
  int idles = 0;
  std::string tick;
};

class PlayerMenuTest : public TitleTest {
 protected:
  // The recording script's idle() count and the title's tick count once the platform's clock
  // has reached `tick`.
  TitleState TitleStateAt(std::string_view input, std::uint64_t tick) {
    TitleRun& run = Boot(kRecordingScript, input);
    run.RunUntilTick(tick);
    return TitleState{std::stoi(run.Eval("idles")), run.Eval("tick()")};
  }

  // idle() runs once a pass, and a message wakes the loop for a pass of its own, so the message
  // that closes the menu may bring one pass that a run without it does not have; but 120 ticks
  // of idle() would be 120 passes more.
  void ExpectSameState(std::string_view held, std::string_view plain, std::uint64_t heldTicks) {
    const TitleState withMenu = TitleStateAt(held, 30 + heldTicks + 40);
    const TitleState without = TitleStateAt(plain, 30 + 40);
    EXPECT_EQ(withMenu.tick, without.tick) << held;
    EXPECT_NEAR(withMenu.idles, without.idles, 1) << held;
  }
};

// 120 ticks with the menu up, its keys pressed, take nothing from the title: it hears none of
// them and its clock stands still, so after the menu it is where a run without it is.
TEST_F(PlayerMenuTest, TheTitleResumesExactlyWhereItWas) {
  const std::string_view held =
      "wait 30\nkey f10\nwait 60\nkey down\nkey right\nkey up\nwait 60\nkey esc\nwait 30\nkey a\n";
  const std::string_view plain = "wait 30\nwait 30\nkey a\n";
  EXPECT_EQ(CallsOf(held), "boot() keydown(\"a\")");
  EXPECT_EQ(CallsOf(held), CallsOf(plain));
  ExpectSameState(held, plain, 120);
  // F10 again closes the menu as Escape does.
  ExpectSameState("wait 30\nkey f10\nwait 120\nkey f10\n", plain, 120);
}

struct QuitCase {
  std::string_view input;
  std::string_view calls;  // the handler calls of the run: none after a quit
  std::string_view boxes;
};

// Quit asks first: Yes ends the run with status 0 at once, No goes back to the menu.
TEST_F(PlayerMenuTest, QuitAsksFirst) {
  constexpr std::string_view kAsked = "Question (question) [Yes/No] Quit playing?\n";
  const std::vector<QuitCase> cases = {
      {"wait 5\nkey f10\nkey up\nanswer yes\nkey return\nwait 10\nkey a\n", "boot()", kAsked},
      {"wait 5\nkey f10\nkey up\nanswer no\nkey return\nkey esc\nwait 10\nkey a\n",
       "boot() keydown(\"a\")", kAsked},
      // Closing the window while the menu is up quits without asking.
      {"wait 5\nkey f10\nquit\nwait 10\nkey a\n", "boot()", ""},
  };
  for (const QuitCase& c : cases) {
    UseScript(kRecordingScript);
    TitleRun run(title_, c.input);
    EXPECT_EQ(run.Run(), Runtime::kExitOk) << c.input;
    EXPECT_EQ(run.Calls(), c.calls) << c.input;
    EXPECT_EQ(run.Boxes(), c.boxes) << c.input;
  }
}

struct SettingsCase {
  std::string_view keys;
  platform::PlayerControls expected;
};

// Each setting as the menu leaves it with the platform, from full screen, fit, level 9.
TEST_F(PlayerMenuTest, ItemsChangeThePlayersSettings) {
  using C = platform::PlayerControls;
  const std::vector<SettingsCase> cases = {
      {"key down\nkey return", C{true, false, false, 0}},  // level 9 wraps round to 0
      {"key down\nkey left\nkey left", C{true, false, false, 7}},
      {"key down\nkey right", C{true, false, false, 9}},  // no higher than 9
      {"key down\nkey down\nkey return", C{true, false, true, 9}},
      {"key down\nkey down\nkey space\nkey right", C{true, false, false, 9}},
      {"key up\nkey up\nkey up\nkey up\nkey return", C{false, false, false, 9}},
      {"key down\nkey down\nkey down\nkey down\nkey return", C{true, true, false, 9}},
      // Clicks: Mute's row, then the left half of Sound level's row lowers the level.
      {"click 320 227\nclick 250 203", C{true, false, true, 8}},
      // A click on the right half raises it again; a click off the menu does nothing.
      {"click 250 203\nclick 400 203\nclick 10 10", C{true, false, false, 9}},
  };
  for (const SettingsCase& c : cases) {
    UseScript(kRecordingScript);
    TitleRun run(title_, "wait 5\nkey f10\n" + std::string(c.keys) + "\nkey esc\nwait 5\nkey a\n");
    EXPECT_EQ(run.Run(), Runtime::kExitOk) << c.keys;
    EXPECT_EQ(run.platform().playerControls(), c.expected) << c.keys;
    EXPECT_EQ(run.Calls(), "boot() keydown(\"a\")") << c.keys;
  }
}

// The rows of the menu as drawn in a screenshot taken while it is up, one a row: '#' for the
// highlighted row, then its name's first character and its setting's last as ink ('x') or
// not ('.'), read where BlockFonts draws them.
std::string DrawnRows(const fs::path& png) {
  auto image = ReadPng(png.string());
  EXPECT_TRUE(image.ok()) << png;
  if (!image.ok()) return {};
  const auto at = [&](int h, int v) {
    return image->pixels[static_cast<std::size_t>(v) * static_cast<std::size_t>(image->width) +
                         static_cast<std::size_t>(h)];
  };
  // The menu is 260 x 212 at (190, 134): a caption of 20, a margin of 12, rows of 24 from
  // h 202 to 438, text 8 in; a 12-pixel glyph is 6 wide and 12 high, its baseline 19 rows down.
  const std::uint8_t ink = at(190, 134);
  std::string rows;
  for (int row = 0; row < 7; ++row) {
    const int top = 134 + 20 + 12 + row * 24;
    const bool lit = at(203, top + 1) == ink;
    const auto mark = [&](int h) { return (at(h, top + 14) == ink) != lit ? 'x' : '.'; };
    rows += std::string(lit ? "#" : " ") + mark(202 + 8 + 2) + mark(438 - 8 - 2) + "\n";
  }
  return rows;
}

// Down twice highlights Mute; the picture under the menu comes back whole when it closes.
TEST_F(PlayerMenuTest, MenuIsDrawnOverTheTitleAndLeavesItAsItWas) {
  const fs::path before = scratch_.path() / "before.png";
  const fs::path open = scratch_.path() / "open.png";
  const fs::path after = scratch_.path() / "after.png";
  UseScript(kRecordingScript);
  TitleRun run(title_, "wait 5\nscreenshot " + before.string() +
                           "\nkey f10\nkey down\nkey down\nscreenshot " + open.string() +
                           "\nkey esc\nwait 5\nscreenshot " + after.string() + "\n");
  EXPECT_EQ(run.Run(), Runtime::kExitOk);
  EXPECT_EQ(DrawnRows(open),
            " x.\n"    // Resume
            " xx\n"    // Sound level  9
            "#xx\n"    // Mute       off
            " xx\n"    // Display    full screen
            " xx\n"    // Scaling    fit
            " x.\n"    // Screenshot
            " x.\n");  // Quit
  auto shown = ReadPng(before.string());
  auto left = ReadPng(after.string());
  ASSERT_TRUE(shown.ok() && left.ok());
  EXPECT_EQ(shown->pixels, left->pixels);
}

// Screenshot closes the menu and writes the title's picture, as Ctrl+F12 would, into the
// pictures folder.
TEST_F(PlayerMenuTest, ScreenshotSavesTheTitlesPictureIntoThePicturesFolder) {
  const fs::path pictures = scratch_.makeFolder("pictures");
  ::setenv("XDG_PICTURES_DIR", pictures.c_str(), 1);
  const fs::path shown = scratch_.path() / "shown.png";
  UseScript(kRecordingScript);
  TitleRun run(title_,
               "wait 5\nkey f10\nkey up\nkey up\nkey return\nscreenshot " + shown.string() + "\n");
  EXPECT_EQ(run.Run(), Runtime::kExitOk);
  ::unsetenv("XDG_PICTURES_DIR");
  std::vector<fs::path> saved;
  for (const fs::directory_entry& entry : fs::directory_iterator(pictures))
    saved.push_back(entry.path());
  ASSERT_EQ(saved.size(), 1U);
  EXPECT_EQ(saved[0].filename().string().rfind("titleplayer-", 0), 0U) << saved[0];
  auto menuShot = ReadPng(saved[0].string());
  auto scriptShot = ReadPng(shown.string());
  ASSERT_TRUE(menuShot.ok() && scriptShot.ok());
  EXPECT_EQ(menuShot->pixels, scriptShot->pixels);
}

// What `titleplayer --headless` says of the menu: its items when it opens, each choice with the
// items as they were, and each change of the settings.
TEST_F(PlayerMenuTest, HeadlessLogNotesTheMenuAsItNotesBoxes) {
  ::setenv("XDG_CONFIG_HOME", scratch_.makeFolder("config").c_str(), 1);
  UseScript(kRecordingScript);
  const std::string input = scratch_.writeFile(
      "input", "wait 5\nkey f10\nkey down\nkey return\nkey down\nkey return\nkey right\nkey esc\n");
  const std::string title = title_.string();
  const std::vector<std::string_view> args = {
      "--headless", "--trace-calls", "--input", input, "--ticks", "30", title};
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(titleplayer::Main(args), Runtime::kExitOk);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "boot()\n");
  const std::string items = "menu [Player menu] Resume/Sound level: ";
  const std::string rest = "/Display: full screen/Scaling: fit/Screenshot/Quit";
  EXPECT_EQ(said, "headless: note: " + items + "9/Mute: off" + rest + " opened\n" +
                      "headless: note: " + items + "9/Mute: off" + rest + " -> Sound level: 9\n" +
                      "headless: note: player controls: full screen, scaling fit, sound level 0\n" +
                      "headless: note: " + items + "0/Mute: off" + rest + " -> Mute: off\n" +
                      "headless: note: player controls: full screen, scaling fit, sound level 0, "
                      "muted\n" +
                      "headless: note: " + items + "0/Mute: on" + rest + " -> Mute: on\n" +
                      "headless: note: player controls: full screen, scaling fit, sound level 0\n" +
                      "headless: note: " + items + "0/Mute: off" + rest + " -> Resume\n");
  ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace lw::testing

// The headless backend: the virtual clock, the messages of input scripts and the input state
// they leave, boxes and file dialogs answered from the script, the kept canvas and screenshots.
#include "platform/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "message_text.h"
#include "platform/png_image.h"
#include "support/temp_folder.h"

namespace lw::platform {
namespace {

// Fonts that draw nothing: these tests never look at text.
class NoFonts final : public FontRenderer {
 public:
  TextImage render(Face, int, std::string_view) override { return {}; }
  int width(Face, int, std::string_view) override { return 0; }
};

class HeadlessPlatformTest : public ::testing::Test {
 protected:
  // A platform playing `script`; its notes go to a scratch file that `notes()` reads.
  HeadlessPlatform& play(std::string_view script) {
    auto parsed = ParseInputScript(script, "test");
    EXPECT_TRUE(parsed.ok()) << (parsed.ok() ? "" : parsed.error());
    platform_ = std::make_unique<HeadlessPlatform>(
        parsed.ok() ? std::move(parsed.value()) : InputScript{}, fonts_, log_);
    return *platform_;
  }
  // Every message the runtime would see, polling as its pump does, until the clock reaches
  // `tick` and nothing more is due: "TICK message, ...".
  std::string pollUntil(std::uint64_t tick) {
    std::string seen;
    Message message;
    for (bool reached = false; !reached;) {
      reached = platform_->ticks() >= tick;
      while (platform_->pollMessage(message)) {
        seen += (seen.empty() ? "" : ", ") + std::to_string(platform_->ticks()) + " " +
                MessageText(message);
      }
    }
    return seen;
  }
  std::string notes() {
    std::fflush(log_);
    std::rewind(log_);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), log_));
    return text;
  }

  NoFonts fonts_;
  std::FILE* log_ = std::tmpfile();
  std::unique_ptr<HeadlessPlatform> platform_;

  void TearDown() override { std::fclose(log_); }
};

// A tick is 50/3 ms: tick 1 begins at 17 ms, tick 7 at 117 ms.
TEST_F(HeadlessPlatformTest, ActionsOfOneMomentComeTogetherBeforeTheClockMoves) {
  HeadlessPlatform& p = play("key a\nclick 10 20\nwait 1\nkey b\nwait 6\nquit\n");
  std::string seen;
  Message m;
  while (!p.scriptFinished()) {
    if (p.pollMessage(m)) seen += std::to_string(p.milliseconds()) + " " + MessageText(m) + ", ";
  }
  EXPECT_EQ(seen,
            "0 down a, 0 up a, 0 press left 10,20, 0 release left 10,20, 17 down b, 17 up b, "
            "117 close, ");
  EXPECT_EQ(p.emptyPolls(), 117u) << "each empty poll moved the clock a millisecond";
}

TEST_F(HeadlessPlatformTest, InputStateFollowsTheDeliveredMessages) {
  HeadlessPlatform& p = play(
      "alt+click 100 50\nwait 1\npress 7 8\nmove 9 10\nwait 1\nrelease 1 2\nwait 1\n"
      "hold ctrl+esc 5\nhold ctrl+q 2\n");
  // Each step: the messages, then the button, the mouse, and the modifiers and keys held.
  const auto state = [&p] {
    return std::string(p.buttonDown() ? " button" : "") + " at " +
           std::to_string(p.mousePosition().h) + "," + std::to_string(p.mousePosition().v) +
           (p.modifiers().ctrl ? " ctrl" : "") + (p.modifiers().alt ? " alt" : "") +
           (p.keyDown(Key::kEscape) ? " esc" : "") + (p.keyDown(Key::kCharacter) ? " char" : "") +
           "; ";
  };
  Message m;
  std::string steps;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(p.pollMessage(m));
    steps += MessageText(m) + state();
  }
  for (const std::uint64_t tick : {1, 2, 3, 8, 10}) {
    steps += pollUntil(tick);
    steps += state();
  }
  EXPECT_EQ(steps,
            "press left 100,50 alt button at 100,50 alt; release left 100,50 at 100,50; "
            "1 press left 7,8, 1 move 9,10 button at 9,10; 2 release left 1,2 at 1,2; "
            "3 down ctrl+esc(27) at 1,2 ctrl esc; 8 up ctrl+esc(27), 8 down ctrl+q at 1,2 ctrl "
            "char; 10 up ctrl+q at 1,2; ");
}

// Repeats come 30 ticks after the press, then every 3; a typed text goes a character a tick.
TEST_F(HeadlessPlatformTest, HeldKeysRepeatAndTypedTextIsMacRoman) {
  HeadlessPlatform& p = play("hold ctrl+esc 40\nkey x\nhold y 30\ntype H\xC3\xA9!\n");
  EXPECT_EQ(pollUntil(80),
            "0 down ctrl+esc(27), 30 repeat ctrl+esc(27), 33 repeat ctrl+esc(27), "
            "36 repeat ctrl+esc(27), 39 repeat ctrl+esc(27), 40 up ctrl+esc(27), 40 down x, "
            "40 up x, 40 down y, 70 up y, 70 down shift+H, 70 up shift+H, 71 down #142, "
            "71 up #142, 72 down !, 72 up !");
  EXPECT_TRUE(p.scriptFinished());
}

// Before any poll no answer is due yet; an answer that is not one of the box's buttons (Retry
// for Ok/Cancel, Cancel for Yes/No) gives the default instead. Every box and dialog is noted.
TEST_F(HeadlessPlatformTest, BoxesAndDialogsTakeQueuedAnswersOrTheirDefault) {
  HeadlessPlatform& p = play(
      "answer no\nanswer retry\nchoose /tmp/saved game.rtd\nchoose cancel\nwait 5\n"
      "answer cancel\nanswer Yes\nanswer cancel\nanswer no\n");
  std::string answers;
  const auto ask = [&](BoxRequest request) { answers += AnswerLabel(*p.answerBox(request)); };
  const BoxRequest yesNo{"Again?", "Play on", BoxButtons::kYesNo, BoxIcon::kQuestion};
  const BoxRequest quit{"Quit", "Sure?", BoxButtons::kOkCancel, BoxIcon::kQuestion};
  ask({"Early", "x", BoxButtons::kAbortRetryIgnore, BoxIcon::kStop});
  pollUntil(0);
  ask({"Save?", "Keep\nit", BoxButtons::kYesNoCancel, BoxIcon::kQuestion});
  ask(quit);
  ask({"Late", "y", BoxButtons::kYesNoCancel, BoxIcon::kQuestion});
  pollUntil(5);
  for (const BoxRequest& request : {quit, yesNo, yesNo, yesNo}) ask(request);
  EXPECT_EQ(answers, "AbortNoOKYesCancelYesYesNo");
  const FileDialogRequest open{false, "Open", "Saved games (.RTD)", "*.rtd", "/tmp"};
  for (const char* path : {"/tmp/saved game.rtd", "", ""})
    EXPECT_EQ(p.answerFileDialog(open), path);
  EXPECT_EQ(std::to_string(p.boxes().size()) + " boxes, " + std::to_string(p.fileDialogs().size()),
            "8 boxes, 3");
  const std::string log = notes();
  for (const char* note :
       {"box [Save?] \"Keep it\" Yes/No/Cancel -> No\n", "answer Retry is not one of its buttons",
        "[Late] \"y\" Yes/No/Cancel -> Yes (no answer in the script",
        "box [Again?] \"Play on\" Yes/No -> Yes\n", "answer Cancel is not one of its buttons",
        "box [Again?] \"Play on\" Yes/No -> No\n", "-> cancel (no choice in the script)"}) {
    EXPECT_NE(log.find(note), std::string::npos) << note << " in\n" << log;
  }
}

TEST_F(HeadlessPlatformTest, KeepsDirtyRectanglesAndWritesScreenshots) {
  test::TempFolder temp;
  const std::string scripted = (temp.path() / "scripted.png").string();
  HeadlessPlatform& p = play("wait 2\nscreenshot " + scripted + "\n");
  Palette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i)
    palette[i] = Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7};
  constexpr int kRowBytes = kCanvasWidth + 4;
  std::vector<std::uint8_t> canvas(static_cast<std::size_t>(kRowBytes) * kCanvasHeight, 3);
  p.setPalette(palette);
  p.present(canvas.data(), kRowBytes, {});  // a new palette: the whole canvas is shown
  std::fill(canvas.begin(), canvas.end(), 9);
  const Rect dirty[] = {{10, 20, 12, 23}, {470, 630, 500, 700}};  // the second is clipped
  p.present(canvas.data(), kRowBytes, dirty);
  p.present(canvas.data(), kCanvasWidth - 1, dirty);  // rows too short: refused
  p.present(nullptr, kRowBytes, dirty);
  EXPECT_EQ(p.presents(), 2);
  // The kept canvas around the first rectangle's corners and the clipped second one.
  std::string kept;
  for (const auto& [h, v] : {std::pair{20, 10}, {22, 11}, {23, 11}, {20, 12}, {639, 479}, {0, 0}})
    kept += std::to_string(*p.canvasPixel(h, v));
  EXPECT_EQ(kept, "993393");
  EXPECT_EQ(p.canvasPixel(640, 0), std::nullopt);

  pollUntil(1);
  EXPECT_FALSE(std::filesystem::exists(scripted));  // not due before tick 2
  pollUntil(2);
  const std::string direct = (temp.path() / "direct.png").string();
  ASSERT_TRUE(p.saveScreenshot(direct));
  for (const std::string& path : {scripted, direct}) {
    auto image = ReadPng(path);
    ASSERT_TRUE(image.ok()) << image.error();
    EXPECT_EQ(image->width, kCanvasWidth);
    EXPECT_EQ(image->height, kCanvasHeight);
    EXPECT_EQ(image->palette, palette);
    EXPECT_EQ(image->pixels[10 * kCanvasWidth + 20], 9);
    EXPECT_EQ(image->pixels[0], 3);
  }
  EXPECT_FALSE(p.saveScreenshot((temp.path() / "no/such/folder.png").string()));
}

// A sleep ends at its timeout or at the next scripted action, whichever comes first, and always
// moves the clock; a wait without end jumps to the next action, or closes when there is none.
TEST_F(HeadlessPlatformTest, SleepsAndWaitsJumpTheClock) {
  HeadlessPlatform& p = play("key a\nwait 100\nfocus in\nwait 50\n");
  pollUntil(0);
  Message m;
  std::string steps;
  for (const std::uint32_t timeout : {0u, 500u, 2000u}) {
    const bool woken = p.waitMessageFor(m, timeout);
    steps += std::to_string(p.milliseconds()) + (woken ? " " + MessageText(m) : " -") + ", ";
  }
  p.waitMessage(m);
  steps += std::to_string(p.milliseconds()) + " " + MessageText(m);
  EXPECT_EQ(steps, "2 -, 502 -, 1667 focus in, 1667 close");
  EXPECT_NE(notes().find("the input script is over"), std::string::npos);
  EXPECT_FALSE(p.scriptFinished());  // the trailing wait has not passed
  pollUntil(150);
  EXPECT_TRUE(p.scriptFinished());
}

// Paused, a full-screen window gets out of the way; a window on the desktop stays.
TEST_F(HeadlessPlatformTest, WindowCursorAndBeeps) {
  HeadlessPlatform& p = play("focus out\n");
  const std::vector<std::uint8_t> icon(4, 0xAB);
  EXPECT_FALSE(p.windowOpen());
  ASSERT_TRUE(p.openWindow({"Title", false, true, icon}));
  EXPECT_EQ(pollUntil(0), "0 paint, 0 focus out") << "the first paint comes before the script";
  p.setCaption("Title [paused]");
  const WindowOptions& window = p.windowOptions();
  EXPECT_EQ(window.caption, "Title [paused]");
  EXPECT_TRUE(window.integerScale);
  EXPECT_TRUE(std::equal(icon.begin(), icon.end(), window.iconRgba.begin(), window.iconRgba.end()));
  p.minimiseWindow();
  EXPECT_FALSE(p.minimised());
  {
    CursorImage watch{2, 1, {0, 1}, {CursorImage::Pixel::kBlack, CursorImage::Pixel::kWhite}};
    p.setCursor(&watch);
  }
  ASSERT_NE(p.cursor(), nullptr);  // a copy, alive after the caller's cursor is gone
  EXPECT_EQ(p.cursor()->pixels[1], CursorImage::Pixel::kWhite);
  p.setCursor(nullptr);
  p.showCursor(false);
  p.beep();
  p.beep();
  EXPECT_TRUE(p.cursor() == nullptr && !p.cursorVisible() && p.beeps() == 2);

  HeadlessPlatform& full = play("");
  ASSERT_TRUE(full.openWindow({"Title", true, false, {}}));
  full.minimiseWindow();
  EXPECT_TRUE(full.minimised());
  full.restoreWindow();
  EXPECT_FALSE(full.minimised());
}

TEST_F(HeadlessPlatformTest, FactoryRefusesABadScript) {
  test::TempFolder temp;
  const std::string path = temp.writeFile("input.txt", "key a\nclick 1\n").string();
  auto made = MakeHeadlessPlatform(path, fonts_, nullptr);
  ASSERT_FALSE(made.ok());
  EXPECT_EQ(made.error(), path + ":2: the mouse actions take a point: H V");
  temp.writeFile("input.txt", "key a\n");
  auto good = MakeHeadlessPlatform(path, fonts_, nullptr);
  ASSERT_TRUE(good.ok()) << good.error();
  Message m;
  EXPECT_TRUE(good.value()->pollMessage(m));
}

}  // namespace
}  // namespace lw::platform

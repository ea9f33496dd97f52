#include "platform/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <filesystem>

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

// A message with the tick at which it was delivered.
struct Delivered {
  Message message;
  std::uint64_t tick;
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
  // `tick` and nothing more is due (the clock is then still within that tick).
  std::vector<Delivered> pollUntil(std::uint64_t tick) {
    std::vector<Delivered> seen;
    Message message;
    for (bool reached = false; !reached;) {
      reached = platform_->ticks() >= tick;
      while (platform_->pollMessage(message)) seen.push_back({message, platform_->ticks()});
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

TEST_F(HeadlessPlatformTest, ActionsOfOneMomentComeTogetherBeforeTheClockMoves) {
  HeadlessPlatform& p = play("key a\nclick 10 20\nwait 1\nkey b\nwait 6\nquit\n");
  Message m;
  std::vector<MessageKind> kinds;
  while (p.pollMessage(m)) {
    kinds.push_back(m.kind);
    EXPECT_EQ(p.milliseconds(), 0u);
  }
  EXPECT_EQ(kinds, (std::vector<MessageKind>{MessageKind::kKeyDown, MessageKind::kKeyUp,
                                             MessageKind::kButtonDown, MessageKind::kButtonUp}));
  EXPECT_EQ(p.milliseconds(), 1u);  // the empty poll moved the clock
  // A tick is 50/3 ms: tick 1 begins at 17 ms, tick 7 at 117 ms.
  std::vector<std::uint32_t> at;
  while (!p.scriptFinished())
    if (p.pollMessage(m)) at.push_back(p.milliseconds());
  EXPECT_EQ(at, (std::vector<std::uint32_t>{17, 17, 117}));
  EXPECT_EQ(m.kind, MessageKind::kCloseRequest);
}

TEST_F(HeadlessPlatformTest, ClickAndMouseStateFollowDeliveredMessages) {
  HeadlessPlatform& p =
      play("alt+click 100 50\nwait 1\npress 7 8\nmove 9 10\nwait 1\nrelease 1 2\n");
  Message m;
  ASSERT_TRUE(p.pollMessage(m));
  EXPECT_EQ(m.kind, MessageKind::kButtonDown);
  EXPECT_EQ(m.button, MouseButton::kLeft);
  EXPECT_EQ(m.where.h, 100);
  EXPECT_EQ(m.where.v, 50);
  EXPECT_TRUE(m.modifiers.alt);
  EXPECT_TRUE(p.buttonDown());
  EXPECT_TRUE(p.modifiers().alt);
  ASSERT_TRUE(p.pollMessage(m));
  EXPECT_EQ(m.kind, MessageKind::kButtonUp);
  EXPECT_EQ(m.where.h, 100);
  EXPECT_FALSE(m.modifiers.alt);  // modifiers go with the down only
  EXPECT_FALSE(p.buttonDown());
  const auto pressed = pollUntil(1);
  ASSERT_EQ(pressed.size(), 2u);
  EXPECT_EQ(pressed[1].message.kind, MessageKind::kMouseMove);
  EXPECT_TRUE(p.buttonDown());
  EXPECT_EQ(p.mousePosition().h, 9);
  EXPECT_EQ(p.mousePosition().v, 10);
  const auto released = pollUntil(2);
  ASSERT_EQ(released.size(), 1u);
  EXPECT_EQ(released[0].tick, 2u);
  EXPECT_FALSE(p.buttonDown());
  EXPECT_EQ(p.mousePosition().h, 1);
  EXPECT_EQ(p.mousePosition().v, 2);
}

TEST_F(HeadlessPlatformTest, HeldKeyRepeatsAfterThirtyTicksThenEveryThree) {
  HeadlessPlatform& p = play("hold ctrl+esc 40\nkey x\nhold y 30\n");
  Message m;
  ASSERT_TRUE(p.pollMessage(m));
  EXPECT_FALSE(m.repeat);
  EXPECT_TRUE(p.keyDown(Key::kEscape));
  EXPECT_TRUE(p.modifiers().ctrl);
  std::vector<std::uint64_t> repeats;
  std::vector<Delivered> after;
  for (const Delivered& d : pollUntil(80)) {
    if (d.message.repeat) {
      repeats.push_back(d.tick);
      EXPECT_EQ(d.message.key, Key::kEscape);
    } else {
      after.push_back(d);
    }
  }
  EXPECT_EQ(repeats, (std::vector<std::uint64_t>{30, 33, 36, 39}));
  // The hold took 40 ticks of script time; a hold of 30 ends before its first repeat.
  ASSERT_EQ(after.size(), 5u);
  EXPECT_EQ(after[0].message.kind, MessageKind::kKeyUp);
  EXPECT_EQ(after[0].tick, 40u);
  EXPECT_EQ(after[1].message.character, 'x');
  EXPECT_EQ(after[1].tick, 40u);
  EXPECT_EQ(after[3].message.character, 'y');
  EXPECT_EQ(after[4].message.kind, MessageKind::kKeyUp);
  EXPECT_EQ(after[4].tick, 70u);
  EXPECT_FALSE(p.keyDown(Key::kEscape));
  EXPECT_FALSE(p.modifiers().ctrl);
  EXPECT_TRUE(p.scriptFinished());
}

TEST_F(HeadlessPlatformTest, KeyStateAndTypedTextInMacRoman) {
  HeadlessPlatform& p = play("key ctrl+q\ntype H\xC3\xA9!\n");
  Message m;
  ASSERT_TRUE(p.pollMessage(m));
  EXPECT_EQ(m.character, 'q');
  EXPECT_TRUE(p.modifiers().ctrl);
  EXPECT_TRUE(p.keyDown(Key::kCharacter));
  ASSERT_TRUE(p.pollMessage(m));
  EXPECT_EQ(m.kind, MessageKind::kKeyUp);
  EXPECT_TRUE(m.modifiers.ctrl);  // released while Ctrl is still held
  EXPECT_FALSE(p.modifiers().ctrl);
  EXPECT_FALSE(p.keyDown(Key::kCharacter));
  // A typed text goes a character a tick.
  std::vector<Message> downs;
  std::vector<std::uint64_t> ticks;
  for (const Delivered& d : pollUntil(5)) {
    if (d.message.kind != MessageKind::kKeyDown) continue;
    downs.push_back(d.message);
    ticks.push_back(d.tick);
  }
  ASSERT_EQ(downs.size(), 3u);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{0, 1, 2}));
  EXPECT_EQ(downs[0].character, 'H');
  EXPECT_TRUE(downs[0].modifiers.shift);
  EXPECT_EQ(downs[1].character, 0x8E);
  EXPECT_EQ(downs[2].character, '!');
  EXPECT_EQ(downs[2].key, Key::kCharacter);
}

TEST_F(HeadlessPlatformTest, BoxesTakeQueuedAnswersOrTheirDefault) {
  HeadlessPlatform& p = play(
      "answer no\nanswer retry\nwait 5\nanswer cancel\n"
      "answer Yes\nanswer cancel\nanswer no\n");
  // Before any poll no answer is due yet.
  EXPECT_EQ(p.answerBox({"Early", "x", BoxButtons::kAbortRetryIgnore, BoxIcon::kStop}),
            BoxAnswer::kAbort);
  pollUntil(0);
  EXPECT_EQ(p.answerBox({"Save?", "Keep\nit", BoxButtons::kYesNoCancel, BoxIcon::kQuestion}),
            BoxAnswer::kNo);
  // Retry is not a button of an Ok/Cancel box: the default, Ok.
  EXPECT_EQ(p.answerBox({"Quit", "Sure?", BoxButtons::kOkCancel, BoxIcon::kQuestion}),
            BoxAnswer::kOk);
  EXPECT_EQ(p.answerBox({"Late", "y", BoxButtons::kYesNoCancel, BoxIcon::kQuestion}),
            BoxAnswer::kYes);
  pollUntil(5);
  EXPECT_EQ(p.answerBox({"Quit", "Sure?", BoxButtons::kOkCancel, BoxIcon::kQuestion}),
            BoxAnswer::kCancel);
  // A Yes/No box takes yes and no; Cancel is not one of its buttons.
  const BoxRequest yesNo{"Again?", "Play on", BoxButtons::kYesNo, BoxIcon::kQuestion};
  EXPECT_EQ(p.answerBox(yesNo), BoxAnswer::kYes);
  EXPECT_EQ(p.answerBox(yesNo), BoxAnswer::kYes);
  EXPECT_EQ(p.answerBox(yesNo), BoxAnswer::kNo);
  EXPECT_EQ(p.boxes().size(), 8u);
  const std::string log = notes();
  EXPECT_NE(log.find("box [Again?] \"Play on\" Yes/No -> Yes\n"), std::string::npos) << log;
  EXPECT_NE(log.find("answer Cancel is not one of its buttons"), std::string::npos) << log;
  EXPECT_NE(log.find("box [Again?] \"Play on\" Yes/No -> No\n"), std::string::npos) << log;
  EXPECT_NE(log.find("box [Save?] \"Keep it\" Yes/No/Cancel -> No\n"), std::string::npos) << log;
  EXPECT_NE(log.find("answer Retry is not one of its buttons"), std::string::npos);
  EXPECT_NE(log.find("[Late] \"y\" Yes/No/Cancel -> Yes (no answer in the script"),
            std::string::npos);
}

TEST_F(HeadlessPlatformTest, FileDialogsTakeQueuedChoicesOrCancel) {
  HeadlessPlatform& p = play("choose /tmp/saved game.rtd\nchoose cancel\n");
  pollUntil(0);
  const FileDialogRequest open{false, "Open", "Saved games (.RTD)", "*.rtd", "/tmp"};
  EXPECT_EQ(p.answerFileDialog(open), "/tmp/saved game.rtd");
  EXPECT_EQ(p.answerFileDialog(open), "");
  EXPECT_EQ(p.answerFileDialog(open), "");
  EXPECT_EQ(p.fileDialogs().size(), 3u);
  EXPECT_NE(notes().find("-> cancel (no choice in the script)"), std::string::npos);
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
  EXPECT_EQ(p.canvasPixel(639, 479), 3);
  std::fill(canvas.begin(), canvas.end(), 9);
  const Rect dirty[] = {{10, 20, 12, 23}, {470, 630, 500, 700}};  // the second is clipped
  p.present(canvas.data(), kRowBytes, dirty);
  p.present(canvas.data(), kCanvasWidth - 1, dirty);  // rows too short: refused
  p.present(nullptr, kRowBytes, dirty);
  EXPECT_EQ(p.presents(), 2);
  EXPECT_EQ(p.canvasPixel(20, 10), 9);
  EXPECT_EQ(p.canvasPixel(22, 11), 9);
  EXPECT_EQ(p.canvasPixel(23, 11), 3);
  EXPECT_EQ(p.canvasPixel(20, 12), 3);
  EXPECT_EQ(p.canvasPixel(639, 479), 9);
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

TEST_F(HeadlessPlatformTest, WaitingJumpsToTheNextActionAndEndsWithClose) {
  HeadlessPlatform& p = play("key a\nwait 100\nfocus in\nwait 50\n");
  pollUntil(0);
  Message m;
  p.waitMessage(m);
  EXPECT_EQ(m.kind, MessageKind::kFocusGained);
  EXPECT_EQ(p.ticks(), 100u);
  EXPECT_EQ(p.milliseconds(), 1667u);
  EXPECT_FALSE(p.scriptFinished());  // the trailing wait has not passed
  p.waitMessage(m);
  EXPECT_EQ(m.kind, MessageKind::kCloseRequest);
  EXPECT_NE(notes().find("the input script is over"), std::string::npos);
  pollUntil(149);
  EXPECT_FALSE(p.scriptFinished());
  pollUntil(150);
  EXPECT_TRUE(p.scriptFinished());
}

TEST_F(HeadlessPlatformTest, WindowCursorBeepsFontsAndLibraries) {
  HeadlessPlatform& p = play("focus out\n");
  const std::vector<std::uint8_t> icon(4, 0xAB);
  EXPECT_FALSE(p.windowOpen());
  ASSERT_TRUE(p.openWindow({"Title", false, true, icon}));
  Message m;
  ASSERT_TRUE(p.pollMessage(m));
  EXPECT_EQ(m.kind, MessageKind::kPaint);  // the first paint comes before the script
  ASSERT_TRUE(p.pollMessage(m));
  EXPECT_EQ(m.kind, MessageKind::kFocusLost);
  EXPECT_FALSE(p.pollMessage(m));
  p.setCaption("Title [paused]");
  p.minimiseWindow();
  EXPECT_EQ(p.windowOptions().caption, "Title [paused]");
  EXPECT_TRUE(p.windowOptions().integerScale);
  EXPECT_EQ(std::vector<std::uint8_t>(p.windowOptions().iconRgba.begin(),
                                      p.windowOptions().iconRgba.end()),
            icon);
  EXPECT_TRUE(p.minimised());
  p.restoreWindow();
  EXPECT_FALSE(p.minimised());
  {
    CursorImage watch{2, 1, {0, 1}, {CursorImage::Pixel::kBlack, CursorImage::Pixel::kWhite}};
    p.setCursor(&watch);
  }
  ASSERT_NE(p.cursor(), nullptr);  // a copy, alive after the caller's cursor is gone
  EXPECT_EQ(p.cursor()->pixels[1], CursorImage::Pixel::kWhite);
  p.setCursor(nullptr);
  EXPECT_EQ(p.cursor(), nullptr);
  p.showCursor(false);
  EXPECT_FALSE(p.cursorVisible());
  p.beep();
  p.beep();
  EXPECT_EQ(p.beeps(), 2);
  EXPECT_EQ(&p.fonts(), &fonts_);
  EXPECT_EQ(p.loadLibrary("/no/such/plugin.so"), nullptr);
  const std::unique_ptr<SharedLibrary> maths = p.loadLibrary("libm.so.6");
  ASSERT_NE(maths, nullptr);
  EXPECT_NE(maths->symbol("cos"), nullptr);
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

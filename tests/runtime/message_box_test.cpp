// The programmer's message box in a running title: its key, the lines typed into it and their
// outcomes, how it shares the keys with the stage, what it draws on the screen canvas, and the
// message(t) command. Every test runs a real boot file on the headless platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/titleplayer/player_options.h"
#include "runtime/error_lines.h"
#include "runtime/message_box_window.h"
#include "shell/drawing/rect_ops.h"
#include "title_fixture.h"

namespace lw::testing {
namespace {

using Calls = std::vector<std::string>;

// The strip on the 640 x 480 canvas. The test fonts draw each character as a solid box half as
// wide as the text size standing on the baseline, so the output line's first character (size 9,
// baseline at (13, 33)) covers local h 13..16, v 24..32; the rule is local row 21.
constexpr int kBoxLeft = (platform::kCanvasWidth - MessageBoxWindow::kWidth) / 2;
constexpr int kBoxTop = platform::kCanvasHeight - MessageBoxWindow::kTopAboveBottom;
constexpr int kOutputInkH = kBoxLeft + 14;
constexpr int kOutputInkV = kBoxTop + 28;
constexpr int kRuleH = kBoxLeft + 200;
constexpr int kRuleV = kBoxTop + 21;
constexpr std::uint8_t kRuleColour = 1;
constexpr std::uint8_t kReturn = 13;
constexpr std::uint8_t kBackspace = 8;
constexpr std::uint8_t kOffCanvas = 0xEE;  // an index that no check expects

class MessageBoxTest : public TitleTest {
 protected:
  // Runs passes until the input script has played and every event is handled, then two more,
  // so that what was drawn has been presented.
  static void Settle(TitleRun& run) {
    constexpr int kMaxPasses = 100000;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
      if (run.platform().scriptFinished() && run.runtime().windows().queue().count() == 0) break;
      run.runtime().loop().Pass();
    }
    run.runtime().loop().Pass();
    run.runtime().loop().Pass();
  }

  static void Type(MessageBoxWindow& box, std::uint8_t c) {
    box.handle(WindowMessage(window_message::kKey, c));
  }

  static std::uint8_t Pixel(TitleRun& run, int h, int v) {
    return run.platform().canvasPixel(h, v).value_or(kOffCanvas);
  }

  static platform::Message KeyDown(platform::Key key, std::uint8_t character = 0) {
    platform::Message message;
    message.kind = platform::MessageKind::kKeyDown;
    message.key = key;
    message.character = character;
    return message;
  }
};

// The key acts when the platform delivers it, not through the event queue, so the scripts wait
// a tick first: the box exists once the title has booted.
TEST_F(MessageBoxTest, KeyShowsTheBoxInFrontAndHidesItAgain) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "wait 1\nkey f12\nwait 1");
  Runtime& runtime = run.runtime();
  ASSERT_TRUE(runtime.Begin());
  MessageBoxWindow& box = runtime.messageBox();
  EXPECT_FALSE(box.shown()) << "hidden until asked for";
  Settle(run);
  ASSERT_TRUE(box.shown());
  EXPECT_EQ(runtime.windows().FrontWindow(), box.window());
  EXPECT_EQ(Pixel(run, kBoxLeft + 1, kBoxTop + 1), Port::kWhite);
  EXPECT_EQ(Pixel(run, kRuleH, kRuleV), kRuleColour);
  EXPECT_EQ(Pixel(run, kRuleH, kRuleV + 1), Port::kWhite);
  EXPECT_EQ(Pixel(run, kBoxLeft - 1, kBoxTop + 1), Port::kBlack) << "the stage's strip beside it";

  // When the stage window draws again (a paint of the platform window), the box draws over it.
  platform::Message paint;
  paint.kind = platform::MessageKind::kPaint;
  runtime.windows().HandleMessage(paint);
  Settle(run);
  EXPECT_EQ(Pixel(run, kRuleH, kRuleV), kRuleColour);

  runtime.windows().HandleMessage(KeyDown(platform::Key::kF12));
  Settle(run);
  EXPECT_FALSE(box.shown());
  EXPECT_EQ(runtime.windows().FrontWindow(), runtime.stage()->window());
  EXPECT_EQ(Pixel(run, kRuleH, kRuleV), Port::kBlack) << "the stage's strip again";
  EXPECT_EQ(run.calls, (Calls{"boot()"})) << "the title never hears the key";
  runtime.End();
}

TEST_F(MessageBoxTest, TypedLineRunsOnReturnAndItsOutcomeIsDrawn) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "wait 1\nkey f12\nwait 1\ntype 1 + 24\nkey backspace\nwait 1");
  Runtime& runtime = run.runtime();
  ASSERT_TRUE(runtime.Begin());
  MessageBoxWindow& box = runtime.messageBox();
  Settle(run);
  EXPECT_EQ(box.input(), "1 + 2") << "backspace took the 4 back";
  EXPECT_EQ(Pixel(run, kOutputInkH, kOutputInkV), Port::kWhite) << "no output yet";

  runtime.windows().HandleMessage(KeyDown(platform::Key::kReturn, kReturn));
  Settle(run);
  EXPECT_EQ(box.output(), "3");
  EXPECT_EQ(box.input(), "") << "Return empties the input line";
  EXPECT_EQ(Pixel(run, kOutputInkH, kOutputInkV), Port::kBlack) << "the 3 is drawn";
  EXPECT_EQ(Pixel(run, kOutputInkH + 10, kOutputInkV), Port::kWhite) << "one character only";
  EXPECT_EQ(run.calls, (Calls{"boot()"})) << "typed keys go to the box, not the title";
  runtime.End();
}

TEST_F(MessageBoxTest, LinesShowTheOutcomesOfTheConsole) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "");
  ASSERT_TRUE(run.runtime().Begin());
  Settle(run);  // boot() and idle() have run: the title's globals exist
  MessageBoxWindow& box = run.runtime().messageBox();
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"nosuchvariable", "No such variable."},
      {"hidecursor()", "OK"},
      {"1\t+ 2", "tokenization error"},
      {"global idles", "OK"},
      {"idles > 0", "True"},
      {"\"ab\" @ \"cd\"", "\"abcd\""},
      {"message(5)", "Bad argument type."},
      {"message(\"hi\")", "OK"},  // the outcome replaces what message wrote
      {"nosuch()", "No such handler."},
  };
  for (const auto& [line, outcome] : cases) {
    for (const char c : line) Type(box, static_cast<std::uint8_t>(c));
    Type(box, kReturn);
    EXPECT_EQ(box.output(), outcome) << line;
    EXPECT_EQ(box.input(), "") << line;
  }
  run.runtime().End();
}

// The input line takes at most 255 characters; only typed characters change it.
TEST_F(MessageBoxTest, InputLineEditing) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "");
  ASSERT_TRUE(run.runtime().Begin());
  MessageBoxWindow& box = run.runtime().messageBox();
  Type(box, kBackspace);
  EXPECT_EQ(box.input(), "") << "backspace on an empty line";
  for (int i = 0; i < 300; ++i) Type(box, 'x');
  EXPECT_EQ(box.input().size(), PString::kCapacity);
  Type(box, kBackspace);
  Type(box, 'y');
  box.handle(WindowMessage(window_message::kKeyRepeat, 'z'));
  box.handle(WindowMessage(window_message::kNullTick));
  EXPECT_EQ(box.input().substr(PString::kCapacity - 2), "xy");
  run.runtime().End();
}

TEST_F(MessageBoxTest, ArrowsGoToTheStageAndHidingGivesKeysBack) {
  UseScript(kRecordingScript);
  TitleRun run(title(),
               "wait 1\nkey f12\nwait 1\nkey up\nkey a\nwait 1\nkey f12\nwait 1\nkey b\nwait 1");
  ASSERT_TRUE(run.runtime().Begin());
  Settle(run);
  EXPECT_EQ(run.calls, (Calls{"boot()", "keydown(\"uparrow\")", "keydown(\"b\")"}));
  EXPECT_EQ(run.runtime().messageBox().input(), "a");
  run.runtime().End();
}

TEST_F(MessageBoxTest, MessageCommandWritesTheOutputLine) {
  UseScript("code keydown(key)\n\tmessage(key)\nendcode\n");
  TitleRun run(title(), "", [](RuntimeOptions& options) { options.showMessageBox = true; });
  Runtime& runtime = run.runtime();
  ASSERT_TRUE(runtime.Begin());
  MessageBoxWindow& box = runtime.messageBox();
  EXPECT_TRUE(box.shown()) << "shown from the start";
  EXPECT_EQ(runtime.windows().FrontWindow(), box.window());
  runtime.windows().HandleMessage(KeyDown(platform::Key::kUp));
  Settle(run);
  EXPECT_EQ(box.output(), "uparrow");
  EXPECT_EQ(Pixel(run, kOutputInkH, kOutputInkV), Port::kBlack);

  // Written while a title's handler draws on the stage port, it leaves that port current.
  Port& stagePort = runtime.stage()->window()->port;
  runtime.graphics().SetPort(stagePort);
  box.setOutput("from a handler");
  EXPECT_EQ(&runtime.graphics().currentPort(), &stagePort);
  EXPECT_EQ(box.drawingDepth(), 0);
  runtime.End();
  EXPECT_EQ(box.window(), nullptr) << "the runtime stop closes it";
  EXPECT_EQ(box.output(), "from a handler");
}

TEST_F(MessageBoxTest, PlacedByTheScreenAndMadeOnlyOnce) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "answer ok");
  Runtime& runtime = run.runtime();
  ASSERT_TRUE(runtime.Begin());
  MessageBoxWindow& box = runtime.messageBox();
  RuntimeWindow& window = *box.window();
  runtime.windows().SetWindowBounds(Rect{0, 0, 37, 436}, window);
  box.handle(WindowMessage(window_message::kRecentre));
  EXPECT_TRUE(EqualRect(window.bounds, MessageBoxBounds(runtime.screen().rect())));

  RuntimeWindow* other = runtime.windows().CreateMessagesWindow();
  ASSERT_NE(other, nullptr);
  box.attach(*other);
  EXPECT_EQ(box.window(), &window) << "the first window stays the box";
  ASSERT_EQ(run.platform().boxes().size(), 1u);
  EXPECT_EQ(run.platform().boxes()[0].text,
            WrapForBox(runtime.errors().ComposeMessage(
                kRuntimeProgramCode, errline::kMessageBoxMadeTwice, runtime.lastError().get())));
  runtime.End();
}

TEST(MessageBoxOptionTest, ConsoleOptionShowsTheBoxFromTheStart) {
  const std::vector<std::string_view> with = {"--console", "games/moss"};
  const auto options = titleplayer::ParsePlayerOptions(with);
  ASSERT_TRUE(options.ok()) << options.error();
  EXPECT_TRUE(options->console);
  const std::vector<std::string_view> without = {"games/moss"};
  EXPECT_FALSE(titleplayer::ParsePlayerOptions(without)->console);
}

}  // namespace
}  // namespace lw::testing

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
#include "support/runtime_line_table.h"
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
constexpr std::uint8_t kBackspace = 8;
constexpr std::uint8_t kOffCanvas = 0xEE;  // an index that no check expects

class MessageBoxTest : public TitleLinesTest<TitleTest, TitleRun> {
 protected:
  // Types the characters of `text` into the box as key messages.
  static void Type(MessageBoxWindow& box, std::string_view text) {
    for (const char c : text) box.handle(WindowMessage(window_message::kKey, c));
  }
  std::uint8_t Pixel(int h, int v) { return platform().canvasPixel(h, v).value_or(kOffCanvas); }
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
  Boot(kRecordingScript, "wait 1\nkey f12\nwait 1");
  MessageBoxWindow& box = runtime().messageBox();
  EXPECT_FALSE(box.shown()) << "hidden until asked for";
  lines_->Settle();
  ASSERT_TRUE(box.shown());
  EXPECT_EQ(runtime().windows().FrontWindow(), box.window());
  EXPECT_EQ(Pixel(kBoxLeft + 1, kBoxTop + 1), Port::kWhite);
  EXPECT_EQ(Pixel(kRuleH, kRuleV), kRuleColour);
  EXPECT_EQ(Pixel(kRuleH, kRuleV + 1), Port::kWhite);
  EXPECT_EQ(Pixel(kBoxLeft - 1, kBoxTop + 1), Port::kBlack) << "the stage's strip beside it";

  // When the stage window draws again (a paint of the platform window), the box draws over it.
  runtime().windows().HandleMessage(platform::Message());  // of kind kPaint
  lines_->Settle();
  EXPECT_EQ(Pixel(kRuleH, kRuleV), kRuleColour);

  runtime().windows().HandleMessage(KeyDown(platform::Key::kF12));
  lines_->Settle();
  EXPECT_FALSE(box.shown());
  EXPECT_EQ(runtime().windows().FrontWindow(), runtime().stage()->window());
  EXPECT_EQ(Pixel(kRuleH, kRuleV), Port::kBlack) << "the stage's strip again";
  EXPECT_EQ(run_->calls, (Calls{"boot()"})) << "the title never hears the key";
}

TEST_F(MessageBoxTest, TypedLineRunsOnReturnAndItsOutcomeIsDrawn) {
  Boot(kRecordingScript, "wait 1\nkey f12\nwait 1\ntype 1 + 24\nkey backspace\nwait 1");
  MessageBoxWindow& box = runtime().messageBox();
  lines_->Settle();
  EXPECT_EQ(box.input(), "1 + 2") << "backspace took the 4 back";
  EXPECT_EQ(Pixel(kOutputInkH, kOutputInkV), Port::kWhite) << "no output yet";

  runtime().windows().HandleMessage(KeyDown(platform::Key::kReturn, '\r'));
  lines_->Settle();
  EXPECT_EQ(box.output(), "3");
  EXPECT_EQ(box.input(), "") << "Return empties the input line";
  EXPECT_EQ(Pixel(kOutputInkH, kOutputInkV), Port::kBlack) << "the 3 is drawn";
  EXPECT_EQ(Pixel(kOutputInkH + 10, kOutputInkV), Port::kWhite) << "one character only";
  EXPECT_EQ(run_->calls, (Calls{"boot()"})) << "typed keys go to the box, not the title";
}

// Each line typed and entered; its outcome replaces what message wrote, and the input empties.
TEST_F(MessageBoxTest, LinesShowTheOutcomesOfTheConsole) {
  Boot(kRecordingScript).Settle();  // boot() and idle() have run: the title's globals exist
  MessageBoxWindow& box = runtime().messageBox();
  const std::pair<std::string_view, std::string_view> rows[] = {
      {"nosuchvariable", "No such variable."},
      {"hidecursor()", "OK"},
      {"1\t+ 2", "tokenization error"},
      {"global idles", "OK"},
      {"idles > 0", "True"},
      {"\"ab\" @ \"cd\"", "\"abcd\""},
      {"message(5)", "Bad argument type."},
      {"message(\"hi\")", "OK"},
      {"nosuch()", "No such handler."},
  };
  for (const auto& [line, outcome] : rows) {
    Type(box, std::string(line) + "\r");
    EXPECT_EQ(std::string(box.output()) + "|" + std::string(box.input()),
              std::string(outcome) + "|")
        << line;
  }
}

// The input line takes at most 255 characters; only typed characters change it.
TEST_F(MessageBoxTest, InputLineEditing) {
  Boot(kRecordingScript);
  MessageBoxWindow& box = runtime().messageBox();
  box.handle(WindowMessage(window_message::kKey, kBackspace));
  EXPECT_EQ(box.input(), "") << "backspace on an empty line";
  Type(box, std::string(300, 'x'));
  EXPECT_EQ(box.input().size(), PString::kCapacity);
  box.handle(WindowMessage(window_message::kKey, kBackspace));
  Type(box, "y");
  box.handle(WindowMessage(window_message::kKeyRepeat, 'z'));
  box.handle(WindowMessage(window_message::kNullTick));
  EXPECT_EQ(box.input().substr(PString::kCapacity - 2), "xy");
}

TEST_F(MessageBoxTest, ArrowsGoToTheStageAndHidingGivesKeysBack) {
  Boot(kRecordingScript,
       "wait 1\nkey f12\nwait 1\nkey up\nkey a\nwait 1\nkey f12\nwait 1\nkey b\nwait 1");
  lines_->Settle();
  EXPECT_EQ(run_->calls, (Calls{"boot()", "keydown(\"uparrow\")", "keydown(\"b\")"}));
  EXPECT_EQ(runtime().messageBox().input(), "a");
}

TEST_F(MessageBoxTest, MessageCommandWritesTheOutputLine) {
  Boot("code keydown(key)\n\tmessage(key)\nendcode\n", "",
       [](RuntimeOptions& options) { options.showMessageBox = true; });
  MessageBoxWindow& box = runtime().messageBox();
  EXPECT_TRUE(box.shown()) << "shown from the start";
  EXPECT_EQ(runtime().windows().FrontWindow(), box.window());
  runtime().windows().HandleMessage(KeyDown(platform::Key::kUp));
  lines_->Settle();
  EXPECT_EQ(box.output(), "uparrow");
  EXPECT_EQ(Pixel(kOutputInkH, kOutputInkV), Port::kBlack);

  // Written while a title's handler draws on the stage port, it leaves that port current.
  Port& stagePort = runtime().stage()->window()->port;
  runtime().graphics().SetPort(stagePort);
  lines_->Expect({{"message(\"from a handler\")", "OK"}});
  EXPECT_EQ(&runtime().graphics().currentPort(), &stagePort);
  EXPECT_EQ(box.drawingDepth(), 0);
  EXPECT_EQ(box.output(), "from a handler");
  runtime().End();
  EXPECT_EQ(box.window(), nullptr) << "the runtime stop closes it";
  EXPECT_EQ(box.output(), "from a handler");
}

TEST_F(MessageBoxTest, PlacedByTheScreenAndMadeOnlyOnce) {
  Boot(kRecordingScript, "answer ok");
  MessageBoxWindow& box = runtime().messageBox();
  RuntimeWindow& window = *box.window();
  runtime().windows().SetWindowBounds(Rect{0, 0, 37, 436}, window);
  box.handle(WindowMessage(window_message::kRecentre));
  EXPECT_TRUE(EqualRect(window.bounds, MessageBoxBounds(runtime().screen().rect())));

  RuntimeWindow* other = runtime().windows().CreateMessagesWindow();
  ASSERT_NE(other, nullptr);
  box.attach(*other);
  EXPECT_EQ(box.window(), &window) << "the first window stays the box";
  ASSERT_EQ(platform().boxes().size(), 1u);
  EXPECT_EQ(platform().boxes()[0].text, lines_->ErrorBoxText(errline::kMessageBoxMadeTwice));
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

// The programmer's message box in a running title: its key, the lines typed into it and their
// outcomes, how it shares the keys with the stage, what it draws on the screen canvas, and the
// message(t) command. Every test runs a real boot file on the headless platform.
#include <gtest/gtest.h>

#include <string>

#include "runtime/message_box_window.h"
#include "shell/drawing/rect_ops.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

// The strip on the 640 x 480 canvas: 436 wide, centred, from 44 to 7 pixels above the bottom.
// The test fonts draw each character as a solid box half as wide as the text size standing on
// the baseline, so the output line's first character (size 9, baseline at (13, 33)) covers
// local h 13..16, v 24..32; the rule is local row 21.
constexpr int kBoxLeft = 102;
constexpr int kBoxTop = 436;
constexpr int kOutputInkH = kBoxLeft + 14;
constexpr int kOutputInkV = kBoxTop + 28;
constexpr int kRuleH = kBoxLeft + 200;
constexpr int kRuleV = kBoxTop + 21;
constexpr std::uint8_t kBackspace = 8;
constexpr std::uint8_t kOffCanvas = 0xEE;  // an index that no check expects

class MessageBoxTest : public TitleTest {
 protected:
  // Types the characters of `text` into the box as key messages.
  void Type(std::string_view text) {
    for (const char c : text) runtime().messageBox().handle(WindowMessage(window_message::kKey, c));
  }
  // Hands the window system a key press of the platform.
  void Press(platform::Key key, std::uint8_t character = 0) {
    platform::Message message;
    message.kind = platform::MessageKind::kKeyDown;
    message.key = key;
    message.character = character;
    runtime().windows().HandleMessage(message);
    run_->Settle();
  }
  std::string Pixel(int h, int v) {
    return std::to_string(platform().canvasPixel(h, v).value_or(kOffCanvas));
  }
  // The box as the player sees it: whether it is shown in front, "[INPUT|OUTPUT]", and the
  // canvas at its top left corner, on the rule and just under it, at the output line's first
  // character and 10 pixels to its right, and just left of the box.
  std::string Seen() {
    MessageBoxWindow& box = runtime().messageBox();
    const bool front = runtime().windows().FrontWindow() == box.window();
    return std::string(box.shown() ? "shown" : "hidden") + (front ? " in front [" : " [") +
           std::string(box.input()) + "|" + std::string(box.output()) + "] corner " +
           Pixel(kBoxLeft + 1, kBoxTop + 1) + " rule " + Pixel(kRuleH, kRuleV) + "/" +
           Pixel(kRuleH, kRuleV + 1) + " ink " + Pixel(kOutputInkH, kOutputInkV) + "/" +
           Pixel(kOutputInkH + 10, kOutputInkV) + " beside " + Pixel(kBoxLeft - 1, kBoxTop + 1);
  }
};

// The key acts when the platform delivers it, not through the event queue, so the input waits a
// tick first: the box exists once the title has booted. Typed keys go to the box, Return runs
// the line, and when the stage window draws again (a paint of the platform window) the box draws
// over it. The title never hears the keys.
TEST_F(MessageBoxTest, KeyShowsTheBoxWhichRunsTypedLines) {
  TitleRun& run =
      Boot(kRecordingScript, "wait 1\nkey f12\nwait 1\ntype 1 + 24\nkey backspace\nwait 1");
  std::string seen = Seen() + "\n";
  run.Settle();
  seen += Seen() + "\n";
  Press(platform::Key::kReturn, '\r');
  seen += Seen() + "\n";
  runtime().windows().HandleMessage(platform::Message());  // of kind kPaint
  run.Settle();
  seen += Seen() + "\n";
  Press(platform::Key::kF12);
  seen += Seen() + "\n";
  EXPECT_EQ(seen,
            "hidden [|] corner 0 rule 0/0 ink 0/0 beside 0\n"
            "shown in front [1 + 2|] corner 255 rule 1/255 ink 255/255 beside 0\n"
            "shown in front [|3] corner 255 rule 1/255 ink 0/255 beside 0\n"
            "shown in front [|3] corner 255 rule 1/255 ink 0/255 beside 0\n"
            "hidden [|3] corner 0 rule 0/0 ink 0/0 beside 0\n");
  EXPECT_EQ(runtime().windows().FrontWindow(), runtime().stage()->window());
  EXPECT_EQ(run.Calls(), "boot()");
}

// Each line typed and entered; its outcome replaces what message wrote, and the input empties.
// The input line takes at most 255 characters; only typed characters change it.
TEST_F(MessageBoxTest, LinesShowTheOutcomesOfTheConsole) {
  Boot(kRecordingScript).Settle();  // boot() and idle() have run: the title's globals exist
  MessageBoxWindow& box = runtime().messageBox();
  std::string seen;
  for (const std::string_view line : {"idles > 0", "message(\"hi\")", "1\t+ 2", "nosuch()"}) {
    Type(std::string(line) + "\r");
    seen += std::string(box.output()) + "|" + std::string(box.input()) + " ";
  }
  EXPECT_EQ(seen, "True| OK| tokenization error| No such handler.| ");

  box.handle(WindowMessage(window_message::kKey, kBackspace));  // on an empty line
  Type(std::string(300, 'x'));
  EXPECT_EQ(box.input().size(), PString::kCapacity);
  box.handle(WindowMessage(window_message::kKey, kBackspace));
  Type("y");
  box.handle(WindowMessage(window_message::kKeyRepeat, 'z'));
  box.handle(WindowMessage(window_message::kNullTick));
  EXPECT_EQ(box.input().substr(PString::kCapacity - 2), "xy");
}

TEST_F(MessageBoxTest, ArrowsGoToTheStageAndHidingGivesKeysBack) {
  TitleRun& run = Boot(kRecordingScript,
                       "wait 1\nkey f12\nwait 1\nkey up\nkey a\nkey ctrl+q\nwait 1\nkey f12\nwait "
                       "1\nkey b\nwait 1");
  run.Settle();
  EXPECT_EQ(run.Calls(),
            "boot() keydown(\"uparrow\") menustate() menuselect(\"quit\") keydown(\"b\")");
  EXPECT_EQ(runtime().messageBox().input(), "a");
}

// Shown from the start when asked; message writes its output line, also while a title's handler
// draws on the stage port, which it leaves current.
TEST_F(MessageBoxTest, MessageCommandWritesTheOutputLine) {
  TitleRun& run = Boot("code keydown(key)\n\tmessage(key)\nendcode\n", "",
                       [](RuntimeOptions& options) { options.showMessageBox = true; });
  MessageBoxWindow& box = runtime().messageBox();
  Press(platform::Key::kUp);
  EXPECT_EQ(Seen(), "shown in front [|uparrow] corner 255 rule 1/255 ink 0/0 beside 0");

  Port& stagePort = runtime().stage()->window()->port;
  runtime().graphics().SetPort(stagePort);
  run.Expect({{"message(\"from a handler\")", "OK"}});
  EXPECT_EQ(&runtime().graphics().currentPort(), &stagePort);
  EXPECT_EQ(box.drawingDepth(), 0);
  run.End();
  EXPECT_EQ(box.window(), nullptr) << "the runtime stop closes it";
  EXPECT_EQ(box.output(), "from a handler");
}

// Console lines of scripted input run in the message box once the input before them has been
// handled; the run hears each outcome (Mac Roman) among the handler calls.
TEST_F(MessageBoxTest, ScriptedConsoleLinesRunInOrderWithTheInput) {
  UseScript(
      "code boot()\n\tglobal g\n\tg = \"none\"\nendcode\n"
      "code keydown(key)\n\tglobal g\n\tg = key\nendcode\n");
  const struct {
    std::string_view input;
    std::string_view heard;  // after boot()
  } cases[] = {
      {"console numtostring(6 * 7)", "console: \"42\""},
      {"console g\nkey a\nconsole g\nkey b\nkey c\nconsole g",
       "console: \"none\" keydown(\"a\") console: \"a\" keydown(\"b\") keydown(\"c\") "
       "console: \"c\""},
      {"console 1 = 1\nconsole 6 * 7\nconsole nosuch\nconsole message(\"hi\")\nconsole 1\t+ 2",
       "console: True console: 42 console: No such variable. console: OK "
       "console: tokenization error"},
      {"console g = \"caf\xC3\xA9\"\nconsole g", "console: OK console: \"caf\x8E\""},
  };
  for (const auto& c : cases) {
    std::string heard;
    const auto hear = [&heard](std::string_view prefix) {
      return [&heard, prefix](std::string_view text) {
        heard += (heard.empty() ? "" : " ") + std::string(prefix) + std::string(text);
      };
    };
    TitleRun run(title_, c.input, [&](RuntimeOptions& options) {
      options.trace = hear("");
      options.console = hear("console: ");
    });
    EXPECT_EQ(run.Run(), Runtime::kExitOk);
    EXPECT_EQ(heard, "boot() " + std::string(c.heard)) << c.input;
  }
}

// A scripted line leaves what was typed into the box alone; the box shows its outcome.
TEST_F(MessageBoxTest, ScriptedConsoleLinesLeaveTheInputLine) {
  TitleRun& run = Boot(kRecordingScript, "wait 1\nkey f12\nwait 1\ntype 1 +\nconsole idles > 0");
  run.Settle();
  EXPECT_EQ(Seen(), "shown in front [1 +|True] corner 255 rule 1/255 ink 0/0 beside 0");
}

// The strip is 436 wide, centred, from 44 to 7 pixels above the bottom of the screen.
TEST_F(MessageBoxTest, PlacedByTheScreen) {
  Boot(kRecordingScript);
  MessageBoxWindow& box = runtime().messageBox();
  RuntimeWindow& window = *box.window();
  runtime().windows().SetWindowBounds(Rect{0, 0, 37, 436}, window);
  box.handle(WindowMessage(window_message::kRecentre));
  EXPECT_TRUE(EqualRect(window.bounds, Rect{436, 102, 473, 538}));
}

}  // namespace
}  // namespace lw::testing

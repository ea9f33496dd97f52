// The headless backend: held keys and typed text, boxes and file dialogs answered from the
// script, the kept canvas and screenshots, and scripts read from files. Its clock, sleeps and
// input state are checked through the runtime's main loop and input tests.
#include "platform/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "message_text.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/png_image.h"
#include "support/common_pictures.h"
#include "support/temp_folder.h"

namespace lw::platform {
namespace {

class HeadlessPlatformTest : public ::testing::Test {
 protected:
  // A platform playing `script`, its notes unwritten.
  HeadlessPlatform& play(std::string_view script) {
    auto parsed = ParseInputScript(script, "test");
    EXPECT_TRUE(parsed.ok()) << (parsed.ok() ? "" : parsed.error());
    platform_ = std::make_unique<HeadlessPlatform>(
        parsed.ok() ? std::move(parsed.value()) : InputScript{}, fonts_, nullptr);
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

  TtfFontRenderer fonts_;  // these tests never look at text
  std::unique_ptr<HeadlessPlatform> platform_;
};

// Repeats come 30 ticks after the press, then every 3; a typed text goes a character a tick.
TEST_F(HeadlessPlatformTest, HeldKeysRepeatAndTypedTextIsMacRoman) {
  play("hold ctrl+esc 40\nkey x\nhold y 30\ntype H\xC3\xA9!\n");
  EXPECT_EQ(pollUntil(80),
            "0 down ctrl+esc(27), 30 repeat ctrl+esc(27), 33 repeat ctrl+esc(27), "
            "36 repeat ctrl+esc(27), 39 repeat ctrl+esc(27), 40 up ctrl+esc(27), 40 down x, "
            "40 up x, 40 down y, 70 up y, 70 down shift+H, 70 up shift+H, 71 down #142, "
            "71 up #142, 72 down !, 72 up !");
}

// A console line is one message, in its place among the keys; its text is Mac Roman.
TEST_F(HeadlessPlatformTest, ConsoleLinesComeInScriptOrder) {
  play("key x\nconsole g\nkey y\nwait 2\nconsole \"\xC3\xA9\" & g\n");
  EXPECT_EQ(pollUntil(3),
            "0 down x, 0 up x, 0 console g, 0 down y, 0 up y, 2 console \"\x8E\" & g");
}

// An answer that is not one of the box's buttons (Retry
// for Ok/Cancel, Cancel for Yes/No) gives the default instead. Every box and dialog is kept.
TEST_F(HeadlessPlatformTest, BoxesAndDialogsTakeQueuedAnswersOrTheirDefault) {
  HeadlessPlatform& p = play(
      "answer no\nanswer retry\nchoose /tmp/saved game.rtd\nchoose cancel\nwait 5\n"
      "answer cancel\nanswer Yes\nanswer cancel\nanswer no\n");
  std::string answers;
  const auto ask = [&](BoxRequest request) { answers += AnswerLabel(*p.answerBox(request)); };
  const BoxRequest yesNo{"Again?", "Play on", BoxButtons::kYesNo, BoxIcon::kQuestion};
  const BoxRequest quit{"Quit", "Sure?", BoxButtons::kOkCancel, BoxIcon::kQuestion};
  pollUntil(0);
  ask({"Save?", "Keep\nit", BoxButtons::kYesNoCancel, BoxIcon::kQuestion});
  ask(quit);
  ask({"Late", "y", BoxButtons::kYesNoCancel, BoxIcon::kQuestion});
  pollUntil(5);
  for (const BoxRequest& request : {quit, yesNo, yesNo, yesNo}) ask(request);
  const FileDialogRequest open{false, "Open", "Saved games (.RTD)", "*.rtd", "/tmp"};
  for (int i = 0; i < 3; ++i) answers += " '" + p.answerFileDialog(open).value_or("?") + "'";
  EXPECT_EQ(answers + ", " + std::to_string(p.boxes().size()) + " boxes, " +
                std::to_string(p.fileDialogs().size()) + " dialogs",
            "NoOKYesCancelYesYesNo '/tmp/saved game.rtd' '' '', 7 boxes, 3 dialogs");
}

TEST_F(HeadlessPlatformTest, KeepsDirtyRectanglesAndWritesScreenshots) {
  test::TempFolder temp;
  const std::string scripted = (temp.path() / "scripted.png").string();
  HeadlessPlatform& p = play("wait 2\nscreenshot " + scripted + "\n");
  const Palette palette = test::DistinctColours();
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

  pollUntil(1);
  EXPECT_FALSE(std::filesystem::exists(scripted));  // not due before tick 2
  pollUntil(2);
  auto image = ReadPng(scripted);
  ASSERT_TRUE(image.ok()) << image.error();
  EXPECT_EQ(image->palette, palette);
  EXPECT_EQ(std::to_string(image->width) + " x " + std::to_string(image->height) + ": " +
                std::to_string(image->pixels[10 * kCanvasWidth + 20]) +
                std::to_string(image->pixels[0]),
            "640 x 480: 93");
}

// The log tells what happened (notes) from what went wrong (errors), one line each. A screenshot
// that the runtime asks for is not logged: the caller reports the reason it is given.
TEST_F(HeadlessPlatformTest, LogLinesAreNotesOrErrors) {
  test::TempFolder temp;
  const std::string nowhere = (temp.path() / "no" / "shot.png").string();
  const std::string shot = (temp.path() / "shot.png").string();
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  auto script =
      ParseInputScript("answer yes\nscreenshot " + nowhere + "\nscreenshot " + shot, "test");
  ASSERT_TRUE(script.ok()) << script.error();
  HeadlessPlatform p(std::move(script.value()), fonts_, log);
  Message message;
  EXPECT_FALSE(p.pollMessage(message));
  p.answerBox({"Save?", "Keep\nit", BoxButtons::kYesNoCancel, BoxIcon::kQuestion});
  p.answerFileDialog({false, "Open", "Saved games (.RTD)", "*.rtd", "/tmp"});
  std::vector<std::uint8_t> canvas(kCanvasWidth, 0);
  p.present(canvas.data(), kCanvasWidth - 1, {});
  EXPECT_EQ(p.saveScreenshot(nowhere), nowhere + ": No such file or directory");

  std::string written(1000, '\0');
  std::rewind(log);
  written.resize(std::fread(written.data(), 1, written.size(), log));
  std::fclose(log);
  EXPECT_EQ(written,
            "headless: error: line 2: cannot write the screenshot " + nowhere +
                ": No such file or directory\n"
                "headless: note: line 3: screenshot " +
                shot +
                "\n"
                "headless: note: box [Save?] \"Keep it\" Yes/No/Cancel -> Yes\n"
                "headless: note: file dialog [Open] *.rtd in '/tmp' -> cancel (no choice in the "
                "script)\n"
                "headless: error: present of a canvas with rows of 639 bytes ignored\n");
}

// The factory reads the script file; errors name the file and, for a bad line, its number.
TEST_F(HeadlessPlatformTest, FactoryReadsTheScriptFile) {
  test::TempFolder temp;
  const std::string path = temp.writeFile("input.txt", "key a\nclick 1\n").string();
  const std::string missing = (temp.path() / "missing.txt").string();
  EXPECT_EQ(MakeHeadlessPlatform(path, fonts_, nullptr).error(),
            path + ":2: the mouse actions take a point: H V");
  EXPECT_EQ(
      MakeHeadlessPlatform(missing, fonts_, nullptr).error().rfind(missing + ": cannot open", 0),
      0u);
  EXPECT_FALSE(MakeHeadlessPlatform(temp.path().string(), fonts_, nullptr).ok()) << "a folder";
  temp.writeFile("input.txt", "key a\n");
  EXPECT_TRUE(MakeHeadlessPlatform(path, fonts_, nullptr).ok());
}

}  // namespace
}  // namespace lw::platform

// The start-up checks against forced machine answers: each check's boxes (caption, icon, buttons,
// the text as wrapped, the answer) and whether the start goes on.
#include "shell/startup/startup_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "shell/startup/forced_startup_probe.h"
#include "support/temp_folder.h"

namespace lw {
namespace {

// A machine where everything passes: the forced answers change it.
class GoodMachine final : public platform::StartupProbe {
 public:
  int RaiseFileHandles(int wanted) override { return wanted; }
  bool ReserveMemory(std::size_t) override { return true; }
  std::uint64_t FreeMemoryFigure() override { return 1ULL << 30; }
  platform::DisplayReport Display() override { return {true, 1920, 1080, 24}; }
  bool SoundAccepts(const platform::AudioFormat&) override { return true; }
  std::uint32_t Milliseconds() override { return 0; }
};

// Answers boxes from a list (the first button when it runs out) and writes each box as
// "[CAPTION] (ICON) TEXT -> ANSWER", the text's line breaks as '|'.
class ScriptedBoxes final : public BoxPresenter {
 public:
  std::deque<BoxAnswer> answers;
  std::vector<std::string> shown;
  bool lastScripted = false;
  std::function<void(const BoxRequest&)> whileShown;

  BoxAnswer showBox(const BoxRequest& request) override {
    if (whileShown) whileShown(request);
    lastScripted = !answers.empty();
    const BoxAnswer answer = lastScripted ? answers.front() : DefaultAnswer(request.buttons);
    if (lastScripted) answers.pop_front();
    std::string text = request.text;
    std::replace(text.begin(), text.end(), '\n', '|');
    const char* icon = request.icon == BoxIcon::kStop ? "stop" : "information";
    const char* buttons = request.buttons == BoxButtons::kOk ? "OK" : "OK/Cancel";
    shown.push_back("[" + request.caption + "] (" + icon + " " + buttons + ") " + text + " -> " +
                    std::string(AnswerLabel(answer)));
    return answer;
  }
};

constexpr std::size_t kProbeBytes = 1024 + 307200;

struct Case {
  const char* name;
  const char* forced;
  std::vector<BoxAnswer> answers;
  std::vector<std::string> boxes;
  bool passed;
  bool headless = true;
  bool disc = false;
};

class StartupChecksTest : public ::testing::Test {
 protected:
  StartupOutcome Run(const Case& c) {
    auto answers = ParseForcedStartupAnswers(c.forced);
    EXPECT_TRUE(answers) << answers.error();
    ForcedStartupProbe probe(machine_, answers ? *answers : ForcedStartupAnswers{});
    title_.name = "Moss";
    if (c.disc) {
      title_.volume = "MOSS";
      title_.probe = "MOVIES:INTRO.MOV";
    }
    boxes_.answers.assign(c.answers.begin(), c.answers.end());
    VolumeMap volumes(folder_.makeFolder("title"), system_);
    FileAccess files(volumes, boxes_, texts_, lastError_);
    ErrorReporter errors(boxes_, texts_, lastError_);
    const StartupContext context{probe, boxes_, texts_,     title_,
                                 files, errors, c.headless, [this] { return boxes_.lastScripted; }};
    return RunStartupChecks(context);
  }
  // Puts the disc's probe file in place: a folder MOSS beside the title folder.
  void InsertDisc() { folder_.writeFile("MOSS/movies/intro.mov", std::string(kProbeBytes, 'x')); }

  GoodMachine machine_;
  platform::EmptySystemInfo system_;
  test::TempFolder folder_;
  TitleStrings title_;
  MessageTexts texts_{"Moss"};
  LastPlatformError lastError_;
  ScriptedBoxes boxes_;
};

// clang-format off
const std::string kHandles = "[Not Enough File Handles] (stop OK) Moss requires at least 32 free file|handles to run.  Your machine currently|has only 20 file handles available.  To|increase the number of file handles|available, edit your CONFIG.SYS file|and change the \"FILES=\" line to read|\"FILES=64\".  If you have no \"FILES=\"|line, add the line \"FILES=64\" at the|beginning of the file.  Choose \"Ok\" to|quit. -> OK";
const std::string kMemory = "[Out Of Memory] (stop OK/Cancel) Your computer does not have enough|memory available to run Moss.  Close|any unneeded applications and select|\"Ok\" to try again, or select \"Cancel\"|to quit. -> ";
const std::string kNoDisplay = "[Unsupported Display Settings] (stop OK) Moss requires that your display use 256|colors or more.  Currently, your|display is using nothing: no display|could be found.  Consult the|documentation that came with your video|card for information on installing a|256 color display driver.  Choose \"Ok\"|to quit. -> OK";
const std::string kSixteenColours = "[Unsupported Display Settings] (stop OK) Moss requires that your display use 256|colors or more.  Currently, your|display is using 16 colors.  Consult|the documentation that came with your|video card for information on|installing a 256 color display driver. |Choose \"Ok\" to quit. -> OK";
const std::string kSmall = "[Warning] (information OK/Cancel) Moss runs best when your display|resolution is 640x480.  Currently, your|display resolution is 512x384.  Moss|will run, but may appear small on your|monitor.  Choose \"Ok\" to continue or|\"Cancel\" to quit. -> ";
const std::string kNoSound = "[Sound Error] (stop OK/Cancel) Moss requires a multimedia sound card|that supports 22kHz audio at eight or|sixteen bits per sample.  No such|device could be detected in your|system.  If you have a sound card|installed, consult the documentation|that came with it for instructions on|installing its drivers.  Choose \"Ok\" to|play without sound, or \"Cancel\" to quit. -> ";
const std::string kInsertDisc = "[Can't Find CD] (stop OK/Cancel) Please insert the Moss CD in your|computer's CD-ROM drive and choose \"Ok\"|to continue or \"Cancel\" to quit. -> ";
const std::string kSlowDisc = "[Slow CD-ROM Drive] (information OK/Cancel) Moss runs best on a double-speed or|faster CD-ROM drive (300 KB/sec).  The|CD-ROM drive in your computer has an|average speed of 250 KB/sec.  Moss will|still run, but some performance will be|lost.  Choose \"Ok\" to continue or|\"Cancel\" to quit. -> ";
// clang-format on

constexpr BoxAnswer kOk = BoxAnswer::kOk;
constexpr BoxAnswer kCancel = BoxAnswer::kCancel;

TEST_F(StartupChecksTest, EachCheckShowsItsBoxAndTheAnswerDecides) {
  const std::vector<Case> cases = {
      {"all good", "", {}, {}, true},
      {"32 handles are enough", "handles=32", {}, {}, true},
      {"too few file handles", "handles=20", {}, {kHandles}, false},
      {"memory refused twice, then granted",
       "memory=2",
       {kOk, kOk},
       {kMemory + "OK", kMemory + "OK"},
       true},
      {"memory refused, Cancel", "memory=5", {kCancel}, {kMemory + "Cancel"}, false},
      {"memory refused, no answer: no endless asking", "memory=5", {}, {kMemory + "OK"}, false},
      {"no display in a window", "display=none", {}, {kNoDisplay}, false, false},
      {"no display headless", "display=none", {}, {}, true},
      {"16 colours", "display=640x480x4", {}, {kSixteenColours}, false},
      {"small display, Ok", "display=512x384x32", {kOk}, {kSmall + "OK"}, true},
      {"small display, Cancel", "display=512x384x32", {kCancel}, {kSmall + "Cancel"}, false},
      {"exactly the canvas", "display=640x480x8", {}, {}, true},
      {"no sound, go on silently", "sound=none", {kOk}, {kNoSound + "OK"}, true},
      {"no sound, Cancel", "sound=none", {kCancel}, {kNoSound + "Cancel"}, false},
      {"handles stop before memory", "handles=20,memory=1", {}, {kHandles}, false},
  };
  for (const Case& c : cases) {
    boxes_.shown.clear();
    const StartupOutcome outcome = Run(c);
    EXPECT_EQ(boxes_.shown, c.boxes) << c.name;
    EXPECT_EQ(outcome.passed, c.passed) << c.name;
  }
}

TEST_F(StartupChecksTest, TheSampleSizeIsTheFirstTheDeviceTakes) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"sound=16", 2}, {"sound=8", 1}, {"sound=none", 0}};
  for (const auto& [forced, bytes] : cases) {
    EXPECT_EQ(Run({forced, forced, {kOk}, {}, true}).sampleBytes, bytes) << forced;
  }
  EXPECT_EQ(Run({"figure", "free-memory=123456", {}, {}, true}).freeMemory, 123456u);
}

TEST_F(StartupChecksTest, TheDiscIsAskedForUntilItIsThenTimed) {
  // Missing: Cancel stops.
  EXPECT_FALSE(Run({"no disc", "", {kCancel}, {}, false, true, true}).passed);
  EXPECT_EQ(boxes_.shown, std::vector<std::string>{kInsertDisc + "Cancel"});
  // Missing, then put in while the second box is up.
  boxes_.shown.clear();
  boxes_.whileShown = [this](const BoxRequest&) {
    if (boxes_.shown.size() == 1) InsertDisc();
  };
  const StartupOutcome late = Run({"inserted", "disc-ms=1000", {kOk, kOk}, {}, true, true, true});
  EXPECT_TRUE(late.passed);
  EXPECT_EQ(boxes_.shown, (std::vector<std::string>{kInsertDisc + "OK", kInsertDisc + "OK"}));
  EXPECT_EQ(late.discSpeed, 307200u);
  boxes_.whileShown = nullptr;
  // Speeds: 1200 ms is 250 KB/s (the note); 1111 ms is just over 270 KB/s, 0 ms counts as fast.
  const std::vector<std::tuple<const char*, std::vector<std::string>, std::uint32_t>> speeds = {
      {"disc-ms=1200", {kSlowDisc + "OK"}, 256000},
      {"disc-ms=1111", {}, 276507},
      {"disc-ms=0", {}, 276480},
  };
  for (const auto& [forced, boxes, speed] : speeds) {
    boxes_.shown.clear();
    const StartupOutcome outcome = Run({forced, forced, {}, {}, true, true, true});
    EXPECT_TRUE(outcome.passed) << forced;
    EXPECT_EQ(boxes_.shown, boxes) << forced;
    EXPECT_EQ(outcome.discSpeed, speed) << forced;
  }
  boxes_.shown.clear();
  EXPECT_FALSE(Run({"slow, Cancel", "disc-ms=1200", {kCancel}, {}, true, true, true}).passed);
  EXPECT_EQ(boxes_.shown, std::vector<std::string>{kSlowDisc + "Cancel"});
}

TEST_F(StartupChecksTest, ATitleMayReplaceCaptions) {
  title_.captions[137] = "Files!";
  boxes_.shown.clear();
  static_cast<void>(Run({"caption", "handles=3", {}, {}, false}));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_TRUE(boxes_.shown[0].starts_with("[Files!] (stop OK) Moss requires at least 32 free"))
      << boxes_.shown[0];
}

TEST(ForcedStartupAnswers, BadItemsAreNamed) {
  for (const char* text : {"handles", "handles=-1", "display=640x480", "sound=12", "colour=8",
                           "disc-ms=x", "memory=1,,"}) {
    const auto answers = ParseForcedStartupAnswers(text);
    ASSERT_FALSE(answers) << text;
    EXPECT_TRUE(answers.error().starts_with("LOOMWORK_STARTUP_PROBE: cannot force '")) << text;
  }
  const auto answers = ParseForcedStartupAnswers("display=800x600x16,sound=8,handles=7");
  ASSERT_TRUE(answers);
  EXPECT_EQ(answers->display->width, 800);
  EXPECT_EQ(answers->display->bitsPerPixel, 16);
  EXPECT_EQ(answers->soundSampleBits, 8);
  EXPECT_EQ(answers->fileHandles, 7);
}

}  // namespace
}  // namespace lw

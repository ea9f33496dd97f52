// titleplayer's command line: every option, the complaints about wrong ones, the exit status of
// whole runs, and the log channels that --log switches on.
#include "apps/titleplayer/player_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "apps/titleplayer/player.h"
#include "support/runtime_title.h"

namespace lw::titleplayer {
namespace {

// The options as one line ("[TITLE_DIR]", the volumes, then the others), or "error: " and the
// complaint's first line.
std::string Outcome(std::vector<std::string_view> args) {
  const auto parsed = ParsePlayerOptions(args);
  if (!parsed.ok()) return "error: " + parsed.error().substr(0, parsed.error().find('\n'));
  const PlayerOptions& o = parsed.value();
  const auto number = [](std::optional<std::uint32_t> n) { return n ? std::to_string(*n) : "-"; };
  std::string line = "[" + o.titleFolder.string() + "]";
  for (const auto& [name, root] : o.volumes) line += " " + name + "=" + root.string();
  return line + (o.fullscreen ? " fullscreen" : "") + (o.integerScale ? " integer-scale" : "") +
         (o.headless ? " headless" : "") + " input " + o.inputScript.value_or("-") + " ticks " +
         number(o.endTick) + " screenshot " + o.screenshot.value_or("-") +
         (o.traceCalls ? " trace" : "") + (o.tracePresent ? " present" : "") +
         (o.console ? " console" : "") + (o.strict ? " strict" : "") + " seed " + number(o.seed) +
         " log " + std::to_string(o.log) + (o.help ? " help" : "") + (o.version ? " version" : "");
}

TEST(PlayerOptionsTest, ReadsEveryOptionAndComplainsAboutWrongOnes) {
  const std::pair<std::vector<std::string_view>, std::string_view> cases[] = {
      // The log channels are bits in the order boot, files, script, input, present, sound: 45
      // is boot, script, input and sound.
      {{"--windowed",
        "--integer-scale",
        "--volume",
        "MOSS=/media/cd",
        "--volume",
        "extra:=/tmp/x",
        "--headless",
        "--input",
        "in.txt",
        "--ticks",
        "600",
        "--screenshot",
        "end.png",
        "--trace-calls",
        "--seed",
        "42",
        "--console",
        "--log",
        "boot,script",
        "--log",
        "input,sound",
        "--strict",
        "--trace-present",
        "games/moss"},
       "[games/moss] MOSS=/media/cd extra=/tmp/x integer-scale headless input in.txt ticks 600 "
       "screenshot end.png trace present console strict seed 42 log 45"},
      // The last of --windowed and --fullscreen wins; help and version need no title.
      {{"--windowed", "--fullscreen", "title"},
       "[title] fullscreen input - ticks - screenshot - seed - log 0"},
      {{"--help"}, "[] fullscreen input - ticks - screenshot - seed - log 0 help"},
      {{"--version"}, "[] fullscreen input - ticks - screenshot - seed - log 0 version"},
      {{"--bogus", "t"}, "error: unknown option '--bogus'"},
      {{"t", "u"}, "error: unexpected argument 'u'"},
      {{"t", "--ticks"}, "error: --ticks needs a value"},
      {{"t", "--ticks", "soon"}, "error: --ticks needs a number, not 'soon'"},
      {{"t", "--volume", "MOSS"}, "error: --volume needs NAME=PATH, not 'MOSS'"},
      {{"t", "--input", "in.txt"}, "error: --input needs --headless"},
      {{"t", "--log", "boot,audio"},
       "error: --log: no log channel 'audio' (the channels: boot, files, script, input, present, "
       "sound)"},
      {{"--windowed"}, "error: no TITLE_DIR given; to play the sample title, run"},
  };
  for (const auto& [args, outcome] : cases) EXPECT_EQ(Outcome(args), outcome);
}

// A run that reported a fatal error gives 3, headless too. Script errors are told on standard
// error; the logs are quiet unless asked for.
TEST(PlayerOptionsTest, ExitStatusAndLogsOfWholeRuns) {
  test::TempFolder scratch;
  const std::string broken = scratch.makeFolder("broken").string();
  const std::string failing = scratch.makeFolder("failing").string();
  testing::WriteBootFile(failing, "code idle()\n\tlocal x\n\tx = 1 / 0\nendcode\n");
  const std::string quiet = scratch.makeFolder("quiet").string();
  testing::WriteBootFile(quiet, "code idle()\nendcode\n");
  const std::string file = scratch.writeFile("notes.txt", "").string();
  const std::string nowhere = (scratch.path() / "no" / "shot.png").string();
  const std::string badVolume = "MOSS=" + file;
  const std::string badShot =
      "titleplayer: cannot write the screenshot " + nowhere + ": No such file or directory\n";
  const std::string notFolder = "titleplayer: " + file +
                                " is not a folder (TITLE_DIR is the folder that holds the "
                                "title's bootfile)\n";
  const std::string volumeNotFolder = "titleplayer: --volume MOSS: " + file + " is not a folder\n";
  const struct {
    std::vector<std::string_view> args;
    int status;
    std::vector<std::string_view> said;  // lines on standard error, in order
    bool whole = false;                  // they are all that was said
  } cases[] = {
      {{"--ticks", "x", "title"}, kExitUsage, {"titleplayer: --ticks needs a number"}},
      {{"--headless", "/no/such/title/folder"}, kExitUsage, {"/no/such/title/folder: no such"}},
      {{"--headless", file}, kExitUsage, {notFolder}, true},
      {{"--headless", "--volume", "MOSS=/no/such/disc", failing},
       kExitUsage,
       {"titleplayer: --volume MOSS: /no/such/disc: no such folder\n"},
       true},
      {{"--headless", "--volume", badVolume, failing}, kExitUsage, {volumeNotFolder}, true},
      // Reported once, with the reason.
      {{"--headless", "--ticks", "5", "--screenshot", nowhere, quiet},
       kExitFailure,
       {badShot},
       true},
      {{"--headless", "--ticks", "5", broken}, Runtime::kExitFatalError, {"box [Fatal Error]"}},
      {{"--headless", "--ticks", "5", failing},
       kExitOk,
       {"failing: in idle (Boot Message, line 3): Divide by zero.\n",
        "failing: in idle (Boot Message, line 3): Divide by zero. ("}},
      {{"--headless", "--ticks", "5", "--log", "script,boot", failing},
       kExitOk,
       {"[boot] playing headless\n", "[boot] title booted, its boot file open\n",
        "[script] idle() failed: Divide by zero.\n", "[script] idle() failed"}},
      // The mixer feeds the device from the start, silence included: 30 ticks are half a second
      // of sound, all played on the headless clock.
      {{"--headless", "--ticks", "30", "--log", "sound", quiet},
       kExitOk,
       {"[sound] device open, driver headless, 22050 Hz, 16 bits, 1 channel\n",
        "[sound] device closed, 0.5 s played, 0 underruns\n"},
       true},
  };
  for (const auto& c : cases) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Main(c.args), c.status) << c.args.back();
    const std::string said = ::testing::internal::GetCapturedStderr();
    std::size_t at = 0;
    for (const std::string_view line : c.said) {
      at = said.find(line, at);
      ASSERT_NE(at, std::string::npos) << line << " in\n" << said;
    }
    if (c.said.empty() || c.whole) {
      std::string all;
      for (const std::string_view line : c.said) all += line;
      EXPECT_EQ(said, all) << c.args.back();
    }
  }
  SetLogChannels(0);
}

// Console lines print their outcomes on standard output among the traced calls, in the order
// of the run, in UTF-8.
TEST(PlayerOptionsTest, ConsoleLinesPrintAmongTheTracedCalls) {
  test::TempFolder scratch;
  const std::string title = scratch.makeFolder("title").string();
  testing::WriteBootFile(title,
                         "code boot()\n\tglobal g\n\tg = \"caf\xC3\xA9\"\nendcode\n"
                         "code keydown(key)\n\tglobal g\n\tg = key\nendcode\n");
  const std::string input = scratch
                                .writeFile("input.txt",
                                           "console g\nconsole numtostring(6 * 7)\nkey a\n"
                                           "console g\nconsole nosuch\n")
                                .string();
  const std::vector<std::string_view> args = {"--headless", "--trace-calls", "--input", input,
                                              title};
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(Main(args), kExitOk);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "boot()\nconsole: \"caf\xC3\xA9\"\nconsole: \"42\"\nkeydown(\"a\")\n"
            "console: \"a\"\nconsole: No such variable.\n");
}

}  // namespace
}  // namespace lw::titleplayer

// titleplayer's command line: every option, the complaints about wrong ones, the exit status of
// whole runs, and the log channels that --log switches on.
#include "apps/titleplayer/player_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "apps/titleplayer/player.h"
#include "support/runtime_title.h"

namespace lw::titleplayer {
namespace {

Expected<PlayerOptions, std::string> Parse(std::vector<std::string_view> args) {
  return ParsePlayerOptions(args);
}

TEST(PlayerOptionsTest, ReadsEveryOption) {
  const auto options = Parse({"--windowed", "--integer-scale", "--volume",    "MOSS=/media/cd",
                              "--volume",   "extra:=/tmp/x",   "--headless",  "--input",
                              "in.txt",     "--ticks",         "600",         "--screenshot",
                              "end.png",    "--trace-calls",   "--seed",      "42",
                              "--console",  "--log",           "boot,script", "--log",
                              "input",      "games/moss"});
  ASSERT_TRUE(options.ok()) << options.error();
  const PlayerOptions& o = options.value();
  EXPECT_EQ(o.titleFolder, "games/moss");
  EXPECT_EQ(o.volumes.size(), 2u);
  EXPECT_EQ(o.volumes[0].first + "=" + o.volumes[0].second.string() + " " + o.volumes[1].first,
            "MOSS=/media/cd extra");
  EXPECT_EQ(std::vector<bool>({o.fullscreen, o.integerScale, o.headless, o.traceCalls, o.console}),
            std::vector<bool>({false, true, true, true, true}));
  EXPECT_EQ(o.inputScript, "in.txt");
  EXPECT_EQ(o.endTick, 600u);
  EXPECT_EQ(o.screenshot, "end.png");
  EXPECT_EQ(o.seed, 42u);
  EXPECT_EQ(o.log, 0b1101u) << "boot, script and input";

  const auto defaults = Parse({"--windowed", "--fullscreen", "title"});
  ASSERT_TRUE(defaults.ok());
  EXPECT_TRUE(defaults->fullscreen) << "the last of the two wins";
  EXPECT_FALSE(defaults->headless);
  EXPECT_FALSE(defaults->endTick.has_value());
  EXPECT_EQ(defaults->log, 0u);
}

TEST(PlayerOptionsTest, ComplainsAboutWrongArguments) {
  const std::pair<std::vector<std::string_view>, std::string_view> cases[] = {
      {{"--bogus", "t"}, "unknown option '--bogus'"},
      {{"t", "u"}, "unexpected argument 'u'"},
      {{"t", "--ticks"}, "--ticks needs a value"},
      {{"t", "--ticks", "soon"}, "--ticks needs a number, not 'soon'"},
      {{"t", "--seed", "-1"}, "--seed needs a number, not '-1'"},
      {{"t", "--volume", "MOSS"}, "--volume needs NAME=PATH, not 'MOSS'"},
      {{"t", "--volume", "=/x"}, "--volume needs NAME=PATH, not '=/x'"},
      {{"t", "--input", "in.txt"}, "--input needs --headless"},
      {{"t", "--log", "boot,sound"},
       "--log: no log channel 'sound' (the channels: boot, files, script, input, present)"},
      {{"t", "--log", "boot,"}, "--log: no log channel ''"},
      {{"--windowed"}, "no TITLE_DIR given; to play the sample title, run\n  titleplayer "},
  };
  for (const auto& [args, complaint] : cases) {
    const auto options = Parse(args);
    ASSERT_FALSE(options.ok()) << complaint;
    EXPECT_EQ(options.error().substr(0, complaint.size()), complaint);
  }
  EXPECT_TRUE(Parse({"--help"}).ok()) << "help needs no title";
  EXPECT_TRUE(Parse({"--version"}).ok());
}

// A run that reported a fatal error gives 3, headless too. The logs are quiet unless asked for.
TEST(PlayerOptionsTest, ExitStatusAndLogsOfWholeRuns) {
  test::TempFolder scratch;
  const std::string broken = scratch.makeFolder("broken").string();
  const std::string failing = scratch.makeFolder("failing").string();
  testing::WriteBootFile(failing, "code idle()\n\tlocal x\n\tx = 1 / 0\nendcode\n");
  const struct {
    std::vector<std::string_view> args;
    int status;
    std::vector<std::string_view> said;  // lines on standard error, in order
  } cases[] = {
      {{"--help"}, kExitOk, {}},
      {{"--ticks", "x", "title"}, kExitUsage, {"titleplayer: --ticks needs a number"}},
      {{"--headless", "/no/such/title/folder"}, kExitUsage, {"/no/such/title/folder: no such"}},
      {{"--headless", "--ticks", "5", broken}, Runtime::kExitFatalError, {"box [Fatal Error]"}},
      {{"--headless", "--ticks", "5", failing}, kExitOk, {}},
      {{"--headless", "--ticks", "5", "--log", "script,boot", failing},
       kExitOk,
       {"[boot] playing headless\n", "[boot] title failing in ",
        "[boot] runtime started, 0 plug-ins loaded\n", "[boot] title booted, its boot file open\n",
        "[script] idle() failed: Divide by zero.\n", "[script] idle() failed"}},
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
    if (c.said.empty()) {
      EXPECT_EQ(said, "") << c.args.back();
    }
  }
  SetLogChannels(0);
}

}  // namespace
}  // namespace lw::titleplayer

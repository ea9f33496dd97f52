// titleplayer's command line: every option, and the complaints about wrong ones.
#include "apps/titleplayer/player_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "apps/titleplayer/player.h"

namespace lw::titleplayer {
namespace {

Expected<PlayerOptions, std::string> Parse(std::vector<std::string_view> args) {
  return ParsePlayerOptions(args);
}

TEST(PlayerOptionsTest, ReadsEveryOption) {
  const auto options =
      Parse({"--windowed", "--integer-scale", "--volume", "MOSS=/media/cd", "--volume",
             "extra:=/tmp/x", "--headless", "--input", "in.txt", "--ticks", "600", "--screenshot",
             "end.png", "--trace-calls", "--seed", "42", "games/moss"});
  ASSERT_TRUE(options.ok()) << options.error();
  EXPECT_EQ(options->titleFolder, "games/moss");
  EXPECT_FALSE(options->fullscreen);
  EXPECT_TRUE(options->integerScale);
  ASSERT_EQ(options->volumes.size(), 2u);
  EXPECT_EQ(options->volumes[0].first, "MOSS");
  EXPECT_EQ(options->volumes[0].second, "/media/cd");
  EXPECT_EQ(options->volumes[1].first, "extra");
  EXPECT_TRUE(options->headless);
  EXPECT_EQ(options->inputScript, "in.txt");
  EXPECT_EQ(options->endTick, 600u);
  EXPECT_EQ(options->screenshot, "end.png");
  EXPECT_TRUE(options->traceCalls);
  EXPECT_EQ(options->seed, 42u);

  const auto defaults = Parse({"--windowed", "--fullscreen", "title"});
  ASSERT_TRUE(defaults.ok());
  EXPECT_TRUE(defaults->fullscreen) << "the last of the two wins";
  EXPECT_FALSE(defaults->headless);
  EXPECT_FALSE(defaults->endTick.has_value());
}

TEST(PlayerOptionsTest, ComplainsAboutWrongArguments) {
  struct Case {
    std::vector<std::string_view> args;
    std::string_view complaint;  // a part of the message
  };
  const Case cases[] = {
      {{"--bogus", "t"}, "unknown option '--bogus'"},
      {{"t", "u"}, "unexpected argument 'u'"},
      {{"t", "--ticks"}, "--ticks needs a value"},
      {{"t", "--ticks", "soon"}, "--ticks needs a number"},
      {{"t", "--seed", "-1"}, "--seed needs a number"},
      {{"t", "--volume", "MOSS"}, "--volume needs NAME=PATH"},
      {{"t", "--volume", "=/x"}, "--volume needs NAME=PATH"},
      {{"t", "--input", "in.txt"}, "--input needs --headless"},
      {{"--windowed"}, "sample title"},
  };
  for (const Case& c : cases) {
    const auto options = Parse(c.args);
    ASSERT_FALSE(options.ok()) << c.complaint;
    EXPECT_NE(options.error().find(c.complaint), std::string::npos) << options.error();
  }
  EXPECT_TRUE(Parse({"--help"}).ok()) << "help needs no title";
  EXPECT_TRUE(Parse({"--version"}).ok());
}

TEST(PlayerOptionsTest, ExitStatusOfTheProgram) {
  const std::vector<std::string_view> help = {"--help"};
  EXPECT_EQ(Main(help), kExitOk);
  const std::vector<std::string_view> wrong = {"--ticks", "x", "title"};
  EXPECT_EQ(Main(wrong), kExitUsage);
  const std::vector<std::string_view> missing = {"--headless", "/no/such/title/folder"};
  EXPECT_EQ(Main(missing), kExitUsage);
}

}  // namespace
}  // namespace lw::titleplayer

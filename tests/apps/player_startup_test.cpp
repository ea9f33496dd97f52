// titleplayer's exit statuses around its start: a check that stops the start, and a title.json
// that cannot be read.
#include "apps/titleplayer/player_startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "apps/titleplayer/player.h"
#include "shell/startup/forced_startup_probe.h"
#include "support/temp_folder.h"

namespace lw::titleplayer {
namespace {

int PlayHeadless(const std::filesystem::path& folder, const char* forced) {
  ::setenv(kStartupProbeVariable, forced, 1);
  const std::string path = folder.string();
  const std::vector<std::string_view> args = {"--headless", path};
  auto options = ParsePlayerOptions(args);
  EXPECT_TRUE(options);
  const int status = Play(*options);
  ::unsetenv(kStartupProbeVariable);
  return status;
}

TEST(PlayerStartup, ExitStatuses) {
  const test::TempFolder folder;
  const std::filesystem::path title = folder.makeFolder("Moss");
  const std::vector<std::pair<const char*, int>> cases = {
      {"handles=20", kExitStartupStopped},
      {"memory=1", kExitStartupStopped},  // no scripted answer: no endless asking
      {"display=320x200x1", kExitStartupStopped},
      {"sound=9", kExitUsage},
  };
  for (const auto& [forced, status] : cases)
    EXPECT_EQ(PlayHeadless(title, forced), status) << forced;
  folder.writeFile("Moss/title.json", R"({"name": 3})");
  EXPECT_EQ(PlayHeadless(title, ""), kExitFailure);
}

TEST(PlayerStartup, TitleStringsComeFromTheFolder) {
  const test::TempFolder folder;
  const std::filesystem::path title = folder.makeFolder("Moss");
  EXPECT_EQ(ReadTitleStrings(title)->name, "Moss");
  folder.writeFile("Moss/title.json", R"({"name": "The Moss"})");
  EXPECT_EQ(ReadTitleStrings(title)->name, "The Moss");
  folder.writeFile("Moss/title.json", R"({"volume": 1})");
  EXPECT_EQ(ReadTitleStrings(title).error(),
            (title / "title.json: volume: expected a text").string());
}

}  // namespace
}  // namespace lw::titleplayer

// title.json: what a player reads from it, what it refuses, and what titlekit writes.
#include "shell/startup/title_strings.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(TitleStrings, ReadsKnownKeysAndIgnoresOthers) {
  // A title's source folder holds its build manifest under this name: its other keys are ignored.
  const auto strings = ParseTitleStrings(
      R"({"name": "Caf\u00e9", "system": "s.lws", "volume": "MOSS", "probe": "MOVIES:INTRO.MOV",
          "captions": {"124": "Disc?"}, "stages": []})",
      "folder");
  ASSERT_TRUE(strings) << strings.error();
  EXPECT_EQ(strings->name, "Caf\x8E");  // Mac Roman
  EXPECT_EQ(strings->probePath(), "MOSS:MOVIES:INTRO.MOV");
  EXPECT_EQ(strings->caption(124, "Can't Find CD"), "Disc?");
  EXPECT_EQ(strings->caption(126, "Slow CD-ROM Drive"), "Slow CD-ROM Drive");
  const auto bare = ParseTitleStrings("{}", "folder");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->name, "folder");
  EXPECT_EQ(bare->probePath(), std::nullopt);
}

TEST(TitleStrings, WrongValuesAreNamed) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"[1]", "title.json: expected an object of title strings"},
      {"{", "title.json: not JSON"},
      {R"({"name": 7})", "title.json: name: expected a text"},
      {R"({"name": ""})", "title.json: name: expected 1 to 63 characters"},
      {R"({"name": "\u4e2d"})", "title.json: name: character U+4E2D has no Mac Roman form"},
      {R"({"volume": "A:B", "probe": "X"})",
       "title.json: volume: expected a volume name without ':'"},
      {R"({"volume": "MOSS"})", "title.json: probe: missing; volume and probe go together"},
      {R"({"probe": "X"})", "title.json: volume: missing; volume and probe go together"},
      {R"({"captions": []})", "title.json: captions: expected an object"},
      {R"({"captions": {"1100": "x"}})",
       "title.json: captions.1100: expected the id of a start-up caption (100, 108, 118, 120, "
       "124, 126, 129, 137, 139 or 143)"},
      {R"({"captions": {"124": 5}})", "title.json: captions.124: expected a text"},
  };
  for (const auto& [text, error] : cases) {
    const auto strings = ParseTitleStrings(text, "folder");
    ASSERT_FALSE(strings) << text;
    EXPECT_EQ(strings.error(), error) << text;
  }
}

TEST(TitleStrings, WrittenAsTheTableOrdersThem) {
  TitleStrings strings;
  strings.name = "Caf\x8E";
  strings.volume = "MOSS";
  strings.probe = "MOVIES:INTRO.MOV";
  strings.captions = {{139, "Memory"}, {124, "Disc?"}};
  const std::string text = TitleStringsJson(strings);
  EXPECT_EQ(
      text,
      "{\n  \"name\": \"Café\",\n  \"volume\": \"MOSS\",\n  \"probe\": \"MOVIES:INTRO.MOV\",\n"
      "  \"captions\": {\n    \"124\": \"Disc?\",\n    \"139\": \"Memory\"\n  }\n}\n");
  const auto back = ParseTitleStrings(text, "folder");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->name, strings.name);
  EXPECT_EQ(back->captions, strings.captions);
  // Without a name the player takes its folder's.
  EXPECT_EQ(TitleStringsJson(TitleStrings{}), "{\n}\n");
}

}  // namespace
}  // namespace lw

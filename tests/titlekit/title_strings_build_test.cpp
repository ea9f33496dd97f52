// titlekit build writes the manifest's name, volume, probe and captions to the output folder's
// title.json, in the form the player reads; a manifest without them gives no title.json.
#include <filesystem>
#include <string>

#include "support/common_program_run.h"

namespace lw::titlekit {
namespace {

class TitleStringsBuildTest : public test::ProgramTest {
 protected:
  TitleStringsBuildTest() : ProgramTest(TITLEKIT_PATH) {
    write("system.lws", "code boot()\nendcode\n");
  }

  // Builds a manifest of the system script and `strings` (members, each followed by a comma)
  // into out/, expecting `out` on standard output.
  void build(const std::string& strings, std::string_view out) const {
    write("title.json", "{" + strings + "\"system\": \"system.lws\"}");
    expect({"build", file("title.json"), "-o", file("out")}, 0, out);
  }
};

TEST_F(TitleStringsBuildTest, TheManifestsStringsAreWrittenAsTheTitlesTitleJson) {
  const struct {
    std::string strings;
    std::string titleJson;
  } cases[] = {
      {R"("name": "Moss",)", "{\n  \"name\": \"Moss\"\n}\n"},
      // Captions by id, whatever their order in the manifest; texts keep their accents.
      {R"("captions": {"139": "Memory", "124": "Où est le disque ?"}, "probe": "MOVIES:INTRO.MOV",
          "volume": "MOSS", "name": "Moss Café",)",
       "{\n"
       "  \"name\": \"Moss Café\",\n"
       "  \"volume\": \"MOSS\",\n"
       "  \"probe\": \"MOVIES:INTRO.MOV\",\n"
       "  \"captions\": {\n"
       "    \"124\": \"Où est le disque ?\",\n"
       "    \"139\": \"Memory\"\n"
       "  }\n"
       "}\n"},
      // Without a name the player names the title after its folder.
      {R"("volume": "MOSS", "probe": "INTRO.MOV",)",
       "{\n  \"volume\": \"MOSS\",\n  \"probe\": \"INTRO.MOV\"\n}\n"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(file("out"));
    build(c.strings, "bootfile: written\ntitle.json: written\n");
    EXPECT_EQ(text("out/title.json"), c.titleJson) << c.strings;
  }
  // The same strings again leave the file alone; none at all write none.
  build(R"("volume": "MOSS", "probe": "INTRO.MOV",)",
        "bootfile: unchanged\ntitle.json: unchanged\n");
  std::filesystem::remove_all(file("out"));
  build("", "bootfile: written\n");
  EXPECT_FALSE(std::filesystem::exists(file("out/title.json")));
}

// Strings the player could not read stop the build with the key's path, and nothing is written.
TEST_F(TitleStringsBuildTest, StringsThePlayerWouldRefuseAreManifestErrors) {
  const std::string manifest = file("title.json");
  const std::pair<std::string, std::string> cases[] = {
      {R"("name": 7,)", "$.name: expected a text"},
      {R"("name": "",)", "$.name: expected 1 to 63 characters"},
      {R"("volume": "MOSS",)", "$.probe: missing; volume and probe go together"},
      {R"("volume": "A:B", "probe": "X",)", "$.volume: expected a volume name without ':'"},
      {R"("captions": {"101": "Hello"},)",
       "$.captions.101: expected the id of a start-up caption (100, 108, 118, 120, 124, 126, "
       "129, 137, 139 or 143)"},
  };
  for (const auto& [strings, problem] : cases) {
    write("title.json", "{" + strings + "\"system\": \"system.lws\"}");
    expect({"build", manifest, "-o", file("out")}, 1, "", manifest + ": " + problem + "\n");
    EXPECT_FALSE(std::filesystem::exists(file("out/bootfile"))) << strings;
  }
}

}  // namespace
}  // namespace lw::titlekit

// Conversion of authors' UTF-8 text to the Mac Roman + CR text of scripts, and back.
#include "apps/titlekit/script_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "apps/titlekit/script_files.h"

namespace lw::titlekit {
namespace {

std::string ToScriptText(std::string_view utf8) {
  auto converted = Utf8ToScriptText(utf8);
  EXPECT_TRUE(converted.ok()) << utf8 << ": " << converted.error().reason;
  return converted.ok() ? *converted : std::string();
}

TEST(ScriptTextTest, EveryCharacterBecomesOneByte) {
  std::string all;
  for (int byte = 0x80; byte <= 0xFF; ++byte) all.push_back(static_cast<char>(byte));
  EXPECT_EQ(ToScriptText(ScriptTextToUtf8(all)), all);
  EXPECT_EQ(ToScriptText("Äé≠ plain (x)"), "\x80\x8E\xAD plain (x)");
  EXPECT_EQ(ScriptTextToUtf8("\xAD\xD8"), "≠ÿ");
}

TEST(ScriptTextTest, EveryLineEndBecomesOneCarriageReturn) {
  EXPECT_EQ(ToScriptText("\xEF\xBB\xBF"
                         "a\nb\r\nc\rd\n\ne\r\n\r\n"),
            "a\rb\rc\rd\r\re\r\r");
  EXPECT_EQ(ScriptTextToUtf8("a\rb\xC9\r"), "a\nb…\n");
}

TEST(CompileSourceTest, FaultsArePlacedByLineAndCharacterColumn) {
  // Each source with where and why it fails, after its name.
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"中", "1:1: character U+4E2D has no Mac Roman form"},
      // Columns count characters, not bytes: "é≠" are five bytes but two characters.
      {"ok\r\n  é≠→", "2:5: character U+2192 has no Mac Roman form"},
      {"a\rb\nc\r\nd😀", "4:2: character U+1F600 has no Mac Roman form"},
      {"ab\xFF", "1:3: invalid UTF-8 byte 0xFF"},
      {"\n\x80", "2:1: invalid UTF-8 byte 0x80"},     // stray continuation byte
      {"x\xE2\x89", "1:2: invalid UTF-8 byte 0xE2"},  // cut short at the end
      // The literal's text starts at column 6 of line 2, whatever the line ends.
      {"a = 1\nb = \"x\n", "2:6: Tokenization error."},
      {"a = 1\r\nb = \"x\r\n", "2:6: Tokenization error."},
      {"a = 1\rb = \"x", "2:6: Tokenization error."},
      {"x = \"é\" @ \"\t", "1:12: Tokenization error."},
  };
  for (const auto& [source, error] : cases) {
    auto compiled = CompileSource(source, "s.lws");
    EXPECT_EQ(compiled.ok() ? "compiled" : compiled.error(), "s.lws:" + std::string(error))
        << source;
  }
}

}  // namespace
}  // namespace lw::titlekit

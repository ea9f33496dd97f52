// The Mac Roman character set: both directions over the whole table, and the errors for UTF-8
// that is broken or holds a character that Mac Roman lacks. A character taken is traced as its
// byte in hex and the length of its UTF-8 form.
#include "common/mac_roman.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <utility>

namespace lw {
namespace {

TEST(MacRomanTest, EveryByteComesBackFromItsUtf8Form) {
  std::set<std::string> forms;
  for (int value = 0; value <= 0xFF; ++value) {
    const std::string byte(1, static_cast<char>(value));
    const std::string utf8 = MacRomanToUtf8(byte);
    forms.insert(utf8);
    const auto taken = TakeMacRomanCharacter(utf8);
    ASSERT_TRUE(taken.ok()) << value << ": " << taken.error();
    EXPECT_EQ(taken->byte, value);
    EXPECT_EQ(taken->length, utf8.size()) << value;
    // ASCII, line ends included, is the same in both; the upper half takes two or three bytes.
    EXPECT_EQ(utf8.size() == 1, value < 0x80) << value;
  }
  EXPECT_EQ(forms.size(), 256u);
  // Spot checks from both ends of the table and across it.
  EXPECT_EQ(MacRomanToUtf8("\x80\x8E\xAD\xB3\xB2\xC9\xD0\xD1\xD2\xD5\xDB\xF0\xFF"),
            "Äé≠≥≤…–—“’€\uF8FFˇ");
  EXPECT_EQ(MacRomanToUtf8("plain text\r(x)\n"), "plain text\r(x)\n");
}

TEST(MacRomanTest, OnlyTheFirstCharacterIsTakenAndBadOnesAreNamed) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"é≠x", "8E/2"},
      {"≠é", "AD/3"},
      {"a\xFF", "61/1"},
      {"\r\n", "0D/1"},
      {"\uF8FF!", "F0/3"},
      {"中", "character U+4E2D has no Mac Roman form"},
      {"\xC4\x80", "character U+0100 has no Mac Roman form"},
      {"¤", "character U+00A4 has no Mac Roman form"},  // 0xDB before the euro took it
      {"😀", "character U+1F600 has no Mac Roman form"},
      {"\xFF", "invalid UTF-8 byte 0xFF"},
      {"\x80z", "invalid UTF-8 byte 0x80"},             // stray continuation byte
      {"\xC0\xAF", "invalid UTF-8 byte 0xC0"},          // overlong '/'
      {"\xE0\x80\xAF", "invalid UTF-8 byte 0xE0"},      // overlong in three bytes
      {"\xED\xA0\x80", "invalid UTF-8 byte 0xED"},      // surrogate
      {"\xE2\x89", "invalid UTF-8 byte 0xE2"},          // cut short at the end
      {"\xE2(\xA0", "invalid UTF-8 byte 0xE2"},         // broken sequence
      {"\xF4\x90\x80\x80", "invalid UTF-8 byte 0xF4"},  // past U+10FFFF
      {"", "no character to convert"},
  };
  for (const auto& [utf8, outcome] : cases) {
    const auto taken = TakeMacRomanCharacter(utf8);
    char text[32];
    if (taken.ok()) std::snprintf(text, sizeof text, "%02X/%zu", taken->byte, taken->length);
    EXPECT_EQ(taken.ok() ? std::string(text) : taken.error(), outcome) << utf8;
  }
}

}  // namespace
}  // namespace lw

#include "script/text_functions.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace lw {
namespace {

TEST(NumberToText, WritesSignedDecimal) {
  EXPECT_EQ(NumberToText(0).view(), "0");
  EXPECT_EQ(NumberToText(42).view(), "42");
  EXPECT_EQ(NumberToText(-7).view(), "-7");
  EXPECT_EQ(NumberToText(std::numeric_limits<std::int32_t>::max()).view(), "2147483647");
  EXPECT_EQ(NumberToText(std::numeric_limits<std::int32_t>::min()).view(), "-2147483648");
}

TEST(TextToNumber, ReadsLikeLongConversion) {
  EXPECT_EQ(TextToNumber("  -42abc"), -42);
  EXPECT_EQ(TextToNumber("abc"), 0);
  EXPECT_EQ(TextToNumber(""), 0);
  EXPECT_EQ(TextToNumber("-"), 0);
  EXPECT_EQ(TextToNumber("+17"), 17);
  EXPECT_EQ(TextToNumber("\t\n 0099 12"), 99);
  EXPECT_EQ(TextToNumber("- 5"), 0);  // no digits right after the sign
  EXPECT_EQ(TextToNumber("2147483647"), 2147483647);
  EXPECT_EQ(TextToNumber("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(TextToNumber, LongDigitRunsWrapToThirtyTwoBits) {
  EXPECT_EQ(TextToNumber("4294967296"), 0);
  EXPECT_EQ(TextToNumber("4294967297"), 1);
  EXPECT_EQ(TextToNumber("2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(TextToNumber("-4294967295"), 1);
}

TEST(FindSubstring, FindsFirstFoldedMatch) {
  EXPECT_EQ(FindSubstring("Hello", "LL"), 3);
  EXPECT_EQ(FindSubstring("Hello", ""), -1);
  EXPECT_EQ(FindSubstring("Hello", "hello"), 1);
  EXPECT_EQ(FindSubstring("Hello", "o"), 5);
  EXPECT_EQ(FindSubstring("Hello", "lo!"), -1);
  EXPECT_EQ(FindSubstring("Hi", "Hip"), -1);
  EXPECT_EQ(FindSubstring("abab", "ab"), 1);
  EXPECT_EQ(FindSubstring("", ""), -1);
}

TEST(FindWord, CutsAtSeparator) {
  EXPECT_EQ(FindWord("red,green,blue", ",", 1).view(), "red");
  EXPECT_EQ(FindWord("red,green,blue", ",", 2).view(), "green");
  EXPECT_EQ(FindWord("red,green,blue", ",", 3).view(), "blue");
  EXPECT_EQ(FindWord("red,green,blue", ",", 4).view(), "");
  EXPECT_EQ(FindWord("red,green,blue", ",", 0).view(), "red");
  EXPECT_EQ(FindWord("red,green,blue", ",", -3).view(), "red");
  EXPECT_EQ(FindWord("", ",", 1).view(), "");
  EXPECT_EQ(FindWord("solo", ",", 1).view(), "solo");
  EXPECT_EQ(FindWord("a,,b", ",", 2).view(), "");
  EXPECT_EQ(FindWord("a,,b", ",", 3).view(), "b");
  EXPECT_EQ(FindWord("a,", ",", 2).view(), "");
}

TEST(FindWord, LongSeparatorsMatchFoldedAndDoNotOverlap) {
  EXPECT_EQ(FindWord("oneANDtwoandthree", "and", 2).view(), "two");
  EXPECT_EQ(FindWord("oneANDtwoandthree", "and", 3).view(), "three");
  EXPECT_EQ(FindWord("xaaay", "aa", 2).view(), "ay");
  EXPECT_EQ(FindWord("ab", "abc", 1).view(), "");  // separator longer than the text
}

TEST(FindWord, EmptySeparatorPicksCharacters) {
  EXPECT_EQ(FindWord("abc", "", 2).view(), "b");
  EXPECT_EQ(FindWord("abc", "", 1).view(), "a");
  EXPECT_EQ(FindWord("abc", "", 3).view(), "c");
  EXPECT_EQ(FindWord("abc", "", 0).view(), "");
  EXPECT_EQ(FindWord("abc", "", 4).view(), "");
}

TEST(PutWord, ReplacesWordAtSeparator) {
  PString out;
  ASSERT_TRUE(PutWord("red,green,blue", ",", 2, "grey", out));
  EXPECT_EQ(out.view(), "red,grey,blue");
  ASSERT_TRUE(PutWord("red,green,blue", ",", 3, "black", out));
  EXPECT_EQ(out.view(), "red,green,black");
  ASSERT_TRUE(PutWord("red,green,blue", ",", 0, "pink", out));
  EXPECT_EQ(out.view(), "pink,green,blue");
  ASSERT_TRUE(PutWord("red,green,blue", ",", 4, "x", out));
  EXPECT_EQ(out.view(), "");
  ASSERT_TRUE(PutWord("", ",", 1, "only", out));
  EXPECT_EQ(out.view(), "only");
  ASSERT_TRUE(PutWord("a,,c", ",", 2, "b", out));
  EXPECT_EQ(out.view(), "a,b,c");
  ASSERT_TRUE(PutWord("oneANDtwo", "and", 2, "", out));
  EXPECT_EQ(out.view(), "oneAND");
}

TEST(PutWord, EmptySeparatorInsertsBeforeCharacter) {
  PString out;
  ASSERT_TRUE(PutWord("ab", "", 3, "c", out));
  EXPECT_EQ(out.view(), "abc");
  ASSERT_TRUE(PutWord("ab", "", 1, "xy", out));
  EXPECT_EQ(out.view(), "xyab");
  ASSERT_TRUE(PutWord("ab", "", 2, "-", out));
  EXPECT_EQ(out.view(), "a-b");
  ASSERT_TRUE(PutWord("ab", "", 5, "c", out));
  EXPECT_EQ(out.view(), "");
  ASSERT_TRUE(PutWord("ab", "", 0, "c", out));
  EXPECT_EQ(out.view(), "");
}

TEST(PutWord, RefusesTextsPastTheLengthLimit) {
  PString out;
  const std::string full(255, 'x');
  EXPECT_FALSE(PutWord(full, ",", 1, "y", out));  // text plus separator too long
  EXPECT_FALSE(PutWord(full, "", 1, "y", out));   // inserted text too long
  const std::string near(250, 'x');
  EXPECT_FALSE(PutWord(near + ",ab", ",", 2, "123456", out));  // rebuilt text too long
  ASSERT_TRUE(PutWord(near, ",", 1, std::string(254, 'y'), out));
  EXPECT_EQ(out.str(), std::string(254, 'y'));
  ASSERT_TRUE(PutWord(std::string(254, 'x'), "", 255, "y", out));
  EXPECT_EQ(out.size(), 255U);
}

}  // namespace
}  // namespace lw

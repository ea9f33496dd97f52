// The string library's slots and the text functions behind the text built-ins.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "script/string_library.h"
#include "script/text_functions.h"
#include "script_fixture.h"

namespace lw {
namespace {

// Slots are given lowest first. A ticket that names no slot, or a slot already given back, is
// reported as an internal failure and reads as an empty text.
TEST(StringLibrary, SlotsGoLowestFirstAndBadTicketsAreReportedAndReadEmpty) {
  testing::TestHost host;
  StringLibrary strings{host};
  Value v;
  for (int i = 0; i < StringLibrary::kSlotCount; ++i) {
    ASSERT_EQ(strings.make(std::string(255, static_cast<char>('a' + i)), v), ScriptError::None);
    EXPECT_EQ(v.payload, i);
  }
  Value untouched = Value::Number(7);
  EXPECT_EQ(strings.make("one too many", untouched), ScriptError::StringLibraryExhausted);
  EXPECT_EQ(untouched.payload, 7);
  PString out;
  EXPECT_EQ(strings.take(Value::Number(5), out), ScriptError::BadArgumentType);
  ASSERT_EQ(strings.take(Value::Text(5), out), ScriptError::None);
  EXPECT_EQ(out.str(), std::string(255, 'f'));
  ASSERT_EQ(strings.make("again", v), ScriptError::None);
  EXPECT_EQ(v.payload, 5);  // the slot just given back

  strings.reset();
  for (const Value bad : {v, Value::Text(StringLibrary::kSlotCount), Value::Text(-1)}) {
    out.assign("leftover");
    EXPECT_EQ(strings.take(bad, out), ScriptError::None);
    EXPECT_TRUE(out.empty());
  }
  EXPECT_EQ(host.fatals, (decltype(host.fatals){{kProgramCodeLogic, errline::kTakeTextFreeSlot},
                                                {kProgramCodeLogic, errline::kTakeTextBadSlot},
                                                {kProgramCodeLogic, errline::kTakeTextBadSlot}}));
}

TEST(TextFunctions, SearchesMatchFoldedAndStayInBounds) {
  EXPECT_EQ(std::vector({FindSubstring("abab", "AB"), FindSubstring("Hello", "o"),
                         FindSubstring("Hello", "lo!"), FindSubstring("Hi", "Hip")}),
            std::vector({1, 5, -1, -1}));

  // Words for n = -1, 0, 1, ...: below 1 counts as 1, except that with no separator word n is
  // character n.
  const std::tuple<const char*, const char*, std::vector<std::string>> cases[] = {
      {"red,green,blue", ",", {"red", "red", "red", "green", "blue", ""}},
      {"a,,b", ",", {"a", "a", "a", "", "b", ""}},
      {"oneANDtwoandthree", "and", {"one", "one", "one", "two", "three", ""}},
      {"xaaay", "aa", {"x", "x", "x", "ay", ""}},
      {"ab", "abc", {"", "", ""}},
      {"abc", "", {"", "", "a", "b", "c", ""}}};
  for (const auto& [text, sep, words] : cases) {
    for (int n = -1; n + 1 < std::ssize(words); ++n)
      EXPECT_EQ(FindWord(text, sep, n).str(), words[n + 1]) << text << '/' << sep << '/' << n;
  }
}

// PutWord's result, or "refused" when it refuses, which must leave the result empty.
std::string Put(const std::string& text, const std::string& sep, int n, const std::string& word) {
  PString out = PString::truncated("left over");
  if (PutWord(text, sep, n, word, out)) return out.str();
  return out.empty() ? "refused" : "refused, leaving " + out.str();
}

TEST(TextFunctions, PutWordReplacesOrInsertsAndRefusesOverlongTexts) {
  // Results for n = 0, 1, 2, ...; with no separator the word goes before character n.
  const std::tuple<const char*, const char*, const char*, std::vector<std::string>> cases[] = {
      {"r,g,b", ",", "X", {"X,g,b", "X,g,b", "r,X,b", "r,g,X", ""}},
      {"a,,c", ",", "b", {"b,,c", "b,,c", "a,b,c", "a,,b", ""}},
      {"oneANDtwo", "and", "", {"ANDtwo", "ANDtwo", "oneAND", ""}},
      {"", ",", "only", {"only", "only", ""}},
      {"ab", "", "xy", {"", "xyab", "axyb", "abxy", ""}}};
  for (const auto& [text, sep, word, results] : cases) {
    for (int n = 0; n < std::ssize(results); ++n)
      EXPECT_EQ(Put(text, sep, n, word), results[n]) << text << '/' << sep << '/' << n;
  }
  // The text closed by its separator, and the result, must fit 255 characters.
  const std::string full(255, 'x');
  EXPECT_EQ(Put(full.substr(1), "", 255, "y"), full.substr(1) + "y");
  EXPECT_EQ(Put(full.substr(5), ",", 1, full.substr(1)), full.substr(1));
  EXPECT_EQ(Put(full, ",", 1, "y") + " " + Put(full, "", 1, "y") + " " +
                Put(full.substr(5) + ",ab", ",", 2, "123456"),
            "refused refused refused");
}

}  // namespace
}  // namespace lw

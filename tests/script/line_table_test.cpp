// Line tables: the stored bytes of a small table written out by hand, the lines they give back,
// and every way a damaged record is refused instead of read.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "script/line_table.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Record 1 of five tokens on lines 1, 1, 2, 2, 4; record 7 of two tokens on line 3.
const Bytes kStored = {
    'L', 'W', 'L', 'T', 1, 0, 2, 0,                          // magic, version 1, two scripts
    1,   0,   0,   0,   5, 0, 0, 0, 3, 0, 0, 0,              // record 1, 5 tokens, 3 runs
    0,   0,   0,   0,   1, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,  // (0, line 1) (2, line 2)
    4,   0,   0,   0,   4, 0, 0, 0,                          // (4, line 4)
    7,   0,   0,   0,   2, 0, 0, 0, 1, 0, 0, 0,              // record 7, 2 tokens, 1 run
    0,   0,   0,   0,   3, 0, 0, 0,                          // (0, line 3)
};

LineTable TwoScripts() {
  const std::vector<std::uint32_t> first = {1, 1, 2, 2, 4};
  const std::vector<std::uint32_t> second = {3, 3};
  return LineTable({MakeScriptLines(1, first), MakeScriptLines(7, second)});
}

TEST(LineTableTest, EncodesRunsAndGivesEachTokensLine) {
  EXPECT_EQ(TwoScripts().Encode(), kStored);
  auto table = LineTable::Decode(kStored);
  ASSERT_TRUE(table.ok()) << table.error();
  // (record, token count, token) -> line, or 0 for none.
  const struct {
    std::int32_t record;
    std::size_t tokens;
    std::int64_t token;
    int line;
  } cases[] = {
      {1, 5, 0, 1},  {1, 5, 1, 1}, {1, 5, 3, 2},
      {1, 5, 4, 4},  {7, 2, 1, 3}, {1, 5, 5, 0},  // past the end token
      {1, 5, -1, 0},                              // before the first
      {1, 6, 0, 0},  // the script has changed since: the table is stale
      {2, 5, 0, 0},  // no entry for the record
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table->lineOf(c.record, c.tokens, c.token).value_or(0), c.line)
        << "record " << c.record << " token " << c.token;
  }
}

TEST(LineTableTest, DamagedRecordsAreRefused) {
  // Every cut of the record is refused.
  for (std::size_t size = 0; size < kStored.size(); ++size) {
    EXPECT_FALSE(LineTable::Decode({kStored.data(), size}).ok()) << size << " bytes";
  }
  // One field changed: (offset, new value of its low byte, or of the whole u32 when wide).
  const struct {
    std::size_t offset;
    std::uint32_t value;
    const char* what;
  } damages[] = {
      {0, 'X', "magic"},
      {4, 2, "version"},
      {6, 3, "one script more than there are"},
      {16, 0, "no runs"},
      {16, 0xFFFFFFFF, "a run count far beyond the record"},
      {20, 1, "first run not at token 0"},
      {28, 0, "runs not ascending"},
      {36, 5, "a run at the token count"},
      {24, 0, "line 0"},
      {24, 0x80000000, "a line beyond any source"},
  };
  for (const auto& d : damages) {
    Bytes bytes = kStored;
    for (int i = 0; i < (d.value > 0xFF ? 4 : 1); ++i) {
      bytes[d.offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(d.value >> (8 * i));
    }
    EXPECT_FALSE(LineTable::Decode(bytes).ok()) << d.what;
  }
}

}  // namespace
}  // namespace lw

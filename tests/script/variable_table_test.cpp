// Variable tables: names, removal, the string heap and its compaction, the stored form and its
// loader, and the token cache. A table is traced as "name=value ..." (texts in quotes, logic as T
// or F) followed by "| count/capacity garbage G heap used/capacity".
#include "script/variable_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "script/script_host.h"
#include "script/string_library.h"

namespace lw {
namespace {

using Block = std::vector<std::uint8_t>;

// Writes `value` little-endian into `width` bytes of `block` at `offset`.
void Put(Block& block, std::size_t offset, int width, std::int64_t value) {
  for (int i = 0; i < width; ++i) block[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Writes entry `i` of a stored table block: type, payload and name; the rest stays zero.
void PutEntry(Block& block, int i, std::int16_t type, std::int32_t payload,
              const std::string& name) {
  const std::size_t entry = 20 + 32 * static_cast<std::size_t>(i);
  Put(block, entry, 2, type);
  Put(block, entry + 2, 4, payload);
  Put(block, entry + 16, 1, static_cast<std::int64_t>(name.size()));
  std::copy(name.begin(), name.end(), block.begin() + static_cast<std::ptrdiff_t>(entry + 17));
}

class VariableTableTest : public ::testing::Test {
 protected:
  // Adds `name` to `into` (the fixture's table by default) and gives its index.
  int add(const std::string& name, VariableTable* into = nullptr) {
    int index = -1;
    EXPECT_EQ((into ? *into : table).add(name, nullptr, index), ScriptError::None) << name;
    return index;
  }
  // Stores `text` into entry `index` through a fresh text value.
  void setText(int index, const std::string& text) {
    Value v;
    ASSERT_EQ(strings.make(text, v), ScriptError::None);
    ASSERT_EQ(table.set(index, v, strings), ScriptError::None);
  }
  std::string trace(const VariableTable& t) {
    std::string out;
    for (int i = 0; i < t.count(); ++i) {
      Value v;
      PString text;
      EXPECT_EQ(t.get(i, strings, v), ScriptError::None);
      EXPECT_EQ(v.isText() ? strings.take(v, text) : ScriptError::None, ScriptError::None);
      out += std::string(t.nameAt(i)) + "=" +
             (v.isText()    ? "\"" + text.str() + "\""
              : v.isLogic() ? (v.payload ? "T" : "F")
                            : std::to_string(v.payload)) +
             " ";
    }
    return out + "| " + std::to_string(t.count()) + "/" + std::to_string(t.capacity()) +
           " garbage " + std::to_string(t.garbage()) + " heap " + std::to_string(t.heapUsed()) +
           "/" + std::to_string(t.heapCapacity());
  }

  ScriptHost host;
  StringLibrary strings{host};
  VariableTable table;
};

TEST_F(VariableTableTest, NamesFoldAndRemovalMovesTheLastEntryIn) {
  for (const char* name : {"a", "b", "c", "d"}) add(name);
  ASSERT_EQ(table.set(0, Value::Number(12), strings), ScriptError::None);
  EXPECT_EQ(add("A"), 0);                   // present: same index, value kept
  EXPECT_EQ(add(std::string(15, 'n')), 4);  // the longest name
  setText(1, "bee");
  setText(3, "dee");
  EXPECT_EQ(strings.slotsInUse(), 0);  // storing read the texts
  ASSERT_EQ(table.remove("B"), ScriptError::None);
  EXPECT_EQ(table.remove("nothere"), ScriptError::None);
  EXPECT_EQ(trace(table), "a=12 nnnnnnnnnnnnnnn=0 c=0 d=\"dee\" | 4/20 garbage 4 heap 8/2048");
  ASSERT_EQ(table.remove("d"), ScriptError::None);  // the last entry itself
  int index = -1;
  EXPECT_EQ(table.find("D", nullptr, index), ScriptError::NoSuchVariable);

  // Failures change nothing.
  Value v;
  ASSERT_EQ(strings.make("unused", v), ScriptError::None);
  EXPECT_EQ(table.set(3, v, strings), ScriptError::NoSuchVariable);
  EXPECT_EQ(strings.slotsInUse(), 1);  // the text was not read
  EXPECT_EQ(table.get(-1, strings, v), ScriptError::NoSuchVariable);
  ASSERT_EQ(table.set(2, Value::Text(0), strings), ScriptError::None);
  while (strings.make("", v) == ScriptError::None) continue;
  EXPECT_EQ(table.get(2, strings, v), ScriptError::StringLibraryExhausted);
  strings.reset();
  EXPECT_EQ(trace(table), "a=12 nnnnnnnnnnnnnnn=0 c=\"unused\" | 3/20 garbage 8 heap 15/2048");
  ASSERT_EQ(table.set(2, Value::Logic(true), strings), ScriptError::None);
  EXPECT_EQ(trace(table), "a=12 nnnnnnnnnnnnnnn=0 c=T | 3/20 garbage 15 heap 15/2048");

  // The table grows by 20 entries; clearing resets every header field.
  while (table.count() < 20) add("v" + std::to_string(table.count()));
  add("extra");
  EXPECT_EQ(table.storedTable().size(), 40U * 32U + 20U);
  table.clear();
  EXPECT_EQ(table.storedTable(), VariableTable().storedTable());
}

TEST_F(VariableTableTest, HeapGrowsOnReachingCapacityAndCompactsAt2048DeadBytes) {
  // Texts of 255 characters take 256 heap bytes; distinct characters expose misplaced offsets.
  auto longest = [](int i) { return std::string(255, static_cast<char>('a' + i)); };
  for (int i = 0; i < 8; ++i) {
    add("s" + std::to_string(i));
    setText(i, longest(i));
    // The eighth text reaches the capacity.
    EXPECT_EQ(table.heapCapacity(), i < 7 ? 2048U : 2048U + 256U + 2048U) << i;
  }
  for (int i = 0; i < 7; ++i) setText(0, longest(0));
  EXPECT_EQ(table.garbage(), 7 * 256);
  setText(0, longest(0));  // compacts, growing the fresh heap the same way
  const auto texts = [&](std::initializer_list<int> order) {
    std::string out;
    for (int i : order) out += "s" + std::to_string(i) + "=\"" + longest(i) + "\" ";
    return out;
  };
  EXPECT_EQ(trace(table), texts({0, 1, 2, 3, 4, 5, 6, 7}) + "| 8/20 garbage 0 heap 2048/4352");
  for (int i = 0; i < 7; ++i) setText(0, longest(0));
  ASSERT_EQ(table.remove("s1"), ScriptError::None);  // a removed text counts too
  EXPECT_EQ(trace(table), texts({0, 7, 2, 3, 4, 5, 6}) + "| 7/20 garbage 0 heap 1792/2048");
}

TEST_F(VariableTableTest, StoredFormIsByteExactAndLoadsBack) {
  for (const char* name : {"n", "flag", "t"}) add(name);
  ASSERT_EQ(table.set(0, Value::Number(0x01020304), strings), ScriptError::None);
  ASSERT_EQ(table.set(1, Value::Logic(true), strings), ScriptError::None);
  setText(2, "x");
  setText(2, "hi");
  Block expected(20 * 32 + 20, 0);
  // Count, capacity, garbage ("x" and its length byte), heap used, heap capacity.
  for (auto [offset, width, value] :
       {std::tuple{0, 2, 3}, {2, 2, 20}, {4, 2, 2}, {8, 4, 5}, {12, 4, 2048}})
    Put(expected, static_cast<std::size_t>(offset), width, value);
  PutEntry(expected, 0, kTypeNumber, 0x01020304, "n");
  PutEntry(expected, 1, kTypeLogic, 1, "flag");
  PutEntry(expected, 2, kTypeText, 2, "t");
  EXPECT_EQ(table.storedTable(), expected);
  Block heap = {1, 'x', 2, 'h', 'i'};
  heap.resize(2048, 0);
  EXPECT_EQ(table.storedHeap(), heap);
  auto loaded = VariableTable::FromStored(expected, heap);
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  EXPECT_EQ(trace(*loaded), "n=16909060 flag=T t=\"hi\" | 3/20 garbage 2 heap 5/2048");
}

TEST_F(VariableTableTest, TokenCacheIsTrustedOnlyWhileItNamesTheVariable) {
  // Two entries named "a" make the trust observable: a cached 1 is kept, a scan finds 0.
  for (const char* name : {"a", "x", "b", "c"}) add(name);
  Block block = table.storedTable();
  PutEntry(block, 1, kTypeNumber, 0, "a");
  auto loaded = VariableTable::FromStored(block, table.storedHeap());
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  const auto found = [&](std::string_view name, std::uint16_t cached) {
    Token token{.aux = cached};
    int index = -1;
    EXPECT_EQ(loaded->find(name, &token, index), ScriptError::None);
    return std::to_string(index) + "/" + std::to_string(token.aux);
  };
  EXPECT_EQ(found("A", 1) + " " + found("a", 2), "1/1 0/0");
  // Removal moves "c" to index 2, leaving a stale copy just past the count.
  ASSERT_EQ(loaded->remove("b"), ScriptError::None);
  EXPECT_EQ(found("c", 3), "2/2");
}

TEST_F(VariableTableTest, AtMost32000Variables) {
  const int kMax = VariableTable::kMaxVariables;
  Block block(kMax * 32 + 20, 0);  // every name empty
  Put(block, 0, 2, kMax);          // count
  Put(block, 2, 2, kMax);          // capacity
  auto loaded = VariableTable::FromStored(block, {});
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  int index = -1;
  EXPECT_EQ(loaded->add("more", nullptr, index), ScriptError::NoSuchVariable);
  ASSERT_EQ(loaded->remove(""), ScriptError::None);
  EXPECT_EQ(add("more", &*loaded), kMax - 1);
}

TEST_F(VariableTableTest, LoaderRejectsCorruptBlocksAndStoresSoundOnesUnchanged) {
  add("t");
  setText(0, "abc");
  // A heap block with no spare bytes, so that a bad offset points past it.
  Block good = table.storedTable();
  Put(good, 12, 4, 4);
  const Block heap = {3, 'a', 'b', 'c'};
  EXPECT_FALSE(VariableTable::FromStored(std::span(good).first(19), heap).ok());
  EXPECT_FALSE(VariableTable::FromStored(std::span(good).first(good.size() - 1), heap).ok());
  Block spare = good;  // garbage past heap used, within the heap capacity
  Put(spare, 4, 2, 5);
  Put(spare, 12, 4, 5);
  EXPECT_FALSE(VariableTable::FromStored(spare, Block(5, 3)).ok());
  // Each case writes one field of the sound block.
  const std::tuple<const char*, std::size_t, int, std::int64_t, bool> cases[] = {
      {"15-character name", 36, 1, 15, true},
      {"unknown type", 20, 2, 99, true},
      {"count past capacity", 0, 2, 21, false},
      {"negative count", 0, 2, -1, false},
      {"negative capacity", 2, 2, -20, false},
      {"negative garbage", 4, 2, -1, false},
      {"heap used past the heap block", 8, 4, 5, false},
      {"text running past heap used", 8, 4, 3, false},
      {"heap capacity below heap used", 12, 4, 3, false},
      {"heap capacity past the heap block", 12, 4, 5, false},
      {"text offset at heap used", 22, 4, 4, false},
      {"negative text offset", 22, 4, -1, false},
      {"16-character name", 36, 1, 16, false}};
  for (const auto& [what, offset, width, value, loads] : cases) {
    Block block = good;
    Put(block, offset, width, value);
    auto loaded = VariableTable::FromStored(block, heap);
    EXPECT_EQ(loaded.ok(), loads) << what;
    EXPECT_TRUE(!loaded.ok() || loaded->storedTable() == block) << what;  // carried unchanged
  }
}

}  // namespace
}  // namespace lw

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

// Writes `value` little-endian into `width` bytes of `block` at `offset`.
void Put(std::vector<std::uint8_t>& block, std::size_t offset, int width, std::int64_t value) {
  for (int i = 0; i < width; ++i) block[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Writes entry `i` of a stored table block: type, payload and name; the rest stays zero.
void PutEntry(std::vector<std::uint8_t>& block, int i, std::int16_t type, std::int32_t payload,
              const std::string& name) {
  const std::size_t entry = 20 + 32 * static_cast<std::size_t>(i);
  Put(block, entry, 2, type);
  Put(block, entry + 2, 4, payload);
  Put(block, entry + 16, 1, static_cast<std::int64_t>(name.size()));
  std::copy(name.begin(), name.end(), block.begin() + static_cast<std::ptrdiff_t>(entry + 17));
}

class VariableTableTest : public ::testing::Test {
 protected:
  int add(const std::string& name) {
    int index = -1;
    EXPECT_EQ(table.add(name, nullptr, index), ScriptError::None) << name;
    return index;
  }
  // Stores `text` into entry `index` through a fresh text value.
  void setText(int index, const std::string& text) {
    Value v;
    ASSERT_EQ(strings.make(text, v), ScriptError::None);
    ASSERT_EQ(table.set(index, v, strings), ScriptError::None);
  }
  Value get(int index) {
    Value v;
    EXPECT_EQ(table.get(index, strings, v), ScriptError::None);
    return v;
  }
  // The characters of text variable `index` of `from`.
  std::string text(int index, const VariableTable& from) {
    Value v;
    PString chars;
    EXPECT_EQ(from.get(index, strings, v), ScriptError::None);
    EXPECT_EQ(strings.take(v, chars), ScriptError::None);
    return chars.str();
  }

  ScriptHost host;
  StringLibrary strings{host};
  VariableTable table;
};

TEST_F(VariableTableTest, AddFindsFoldedNamesGrowsByTwentyAndClears) {
  EXPECT_EQ(add("score"), 0);
  EXPECT_EQ(add("lives"), 1);
  ASSERT_EQ(table.set(0, Value::Number(12), strings), ScriptError::None);
  EXPECT_EQ(add("SCORE"), 0);  // present: same index, value kept
  EXPECT_EQ(get(0).payload, 12);
  int index = -1;
  ASSERT_EQ(table.find("Lives", nullptr, index), ScriptError::None);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(table.find("live", nullptr, index), ScriptError::NoSuchVariable);
  EXPECT_EQ(get(1).type, kTypeNumber);  // a new variable is the number 0
  EXPECT_EQ(get(1).payload, 0);

  EXPECT_EQ(add(std::string(15, 'n')), 2);
  EXPECT_EQ(table.nameAt(2), std::string(15, 'n'));
  EXPECT_EQ(table.add(std::string(16, 'n'), nullptr, index), ScriptError::BadName);
  EXPECT_EQ(table.remove(std::string(16, 'n')), ScriptError::BadName);
  EXPECT_EQ(table.count(), 3);

  while (table.count() < VariableTable::kInitialCapacity) add("v" + std::to_string(table.count()));
  EXPECT_EQ(table.capacity(), VariableTable::kInitialCapacity);
  add("extra");
  EXPECT_EQ(table.capacity(), VariableTable::kInitialCapacity + VariableTable::kCapacityStep);
  EXPECT_EQ(table.storedTable().size(), 40U * 32U + 20U);
  setText(3, "a");
  setText(3, "b");
  table.clear();
  EXPECT_EQ(table.storedTable(), VariableTable().storedTable());  // every header field reset
}

TEST_F(VariableTableTest, RemoveMovesTheLastEntryInAndFailuresChangeNothing) {
  for (const char* name : {"a", "b", "c", "d"}) add(name);
  setText(1, "bee");
  setText(3, "dee");
  EXPECT_EQ(strings.slotsInUse(), 0);  // storing read the texts
  ASSERT_EQ(table.remove("B"), ScriptError::None);
  EXPECT_EQ(table.nameAt(1), "d");
  EXPECT_EQ(text(1, table), "dee");
  EXPECT_EQ(table.garbage(), 4);  // "bee" and its length byte
  EXPECT_EQ(table.remove("nothere"), ScriptError::None);
  ASSERT_EQ(table.remove("c"), ScriptError::None);  // the last entry itself
  EXPECT_EQ(table.count(), 2);

  Value v;
  ASSERT_EQ(strings.make("unused", v), ScriptError::None);
  EXPECT_EQ(table.set(2, v, strings), ScriptError::NoSuchVariable);
  EXPECT_EQ(strings.slotsInUse(), 1);  // the text was not read
  EXPECT_EQ(table.get(2, strings, v), ScriptError::NoSuchVariable);
  EXPECT_EQ(table.get(-1, strings, v), ScriptError::NoSuchVariable);
  while (strings.make("", v) == ScriptError::None) continue;
  EXPECT_EQ(table.get(1, strings, v), ScriptError::StringLibraryExhausted);
  strings.reset();
  EXPECT_EQ(text(1, table), "dee");  // read again, and kept through the failure
  ASSERT_EQ(table.set(1, Value::Logic(true), strings), ScriptError::None);
  EXPECT_EQ(table.garbage(), 8);  // "dee" too
  EXPECT_EQ(get(1).type, kTypeLogic);
}

TEST_F(VariableTableTest, HeapGrowsOnReachingCapacityAndCompactsAt2048DeadBytes) {
  // Texts of 255 characters take 256 heap bytes; distinct characters expose misplaced offsets.
  auto longest = [](int i) { return std::string(255, static_cast<char>('a' + i)); };
  for (int i = 0; i < 8; ++i) {
    add("s" + std::to_string(i));
    setText(i, longest(i));
    EXPECT_EQ(table.heapCapacity(), i < 7 ? 2048U : 2048U + 256U + 2048U);  // 8 x 256 reaches it
  }
  for (int i = 0; i < 7; ++i) setText(0, longest(0));
  EXPECT_EQ(table.garbage(), 7 * 256);
  setText(0, longest(0));  // compacts, growing the fresh heap the same way
  EXPECT_EQ(table.garbage(), 0);
  EXPECT_EQ(table.heapUsed(), 2048U);
  EXPECT_EQ(table.heapCapacity(), 2048U + 256U + 2048U);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(text(i, table), longest(i));

  for (int i = 0; i < 7; ++i) setText(0, longest(0));
  ASSERT_EQ(table.remove("s1"), ScriptError::None);  // a removed text counts too
  EXPECT_EQ(table.garbage(), 0);
  EXPECT_EQ(table.heapUsed(), 7U * 256U);
  EXPECT_EQ(table.heapCapacity(), VariableTable::kInitialHeap);
  EXPECT_EQ(text(1, table), longest(7));
}

TEST_F(VariableTableTest, StoredFormIsByteExactAndLoadsBack) {
  for (const char* name : {"n", "flag", "t"}) add(name);
  ASSERT_EQ(table.set(0, Value::Number(0x01020304), strings), ScriptError::None);
  ASSERT_EQ(table.set(1, Value::Logic(true), strings), ScriptError::None);
  setText(2, "x");
  setText(2, "hi");
  std::vector<std::uint8_t> expected(20 * 32 + 20, 0);
  Put(expected, 0, 2, 3);      // count
  Put(expected, 2, 2, 20);     // capacity
  Put(expected, 4, 2, 2);      // garbage: "x" and its length byte
  Put(expected, 8, 4, 5);      // heap used
  Put(expected, 12, 4, 2048);  // heap capacity
  PutEntry(expected, 0, kTypeNumber, 0x01020304, "n");
  PutEntry(expected, 1, kTypeLogic, 1, "flag");
  PutEntry(expected, 2, kTypeText, 2, "t");
  EXPECT_EQ(table.storedTable(), expected);
  std::vector<std::uint8_t> heap = {1, 'x', 2, 'h', 'i'};
  heap.resize(2048, 0);
  EXPECT_EQ(table.storedHeap(), heap);

  auto loaded = VariableTable::FromStored(expected, heap);
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  int index = -1;
  ASSERT_EQ(loaded->find("FLAG", nullptr, index), ScriptError::None);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(text(2, *loaded), "hi");
}

TEST_F(VariableTableTest, TokenCacheIsTrustedOnlyWhileItNamesTheVariable) {
  // Two entries named "a" make the trust observable: a cached 1 is kept, a scan finds 0.
  for (const char* name : {"a", "x", "b", "c"}) add(name);
  std::vector<std::uint8_t> block = table.storedTable();
  PutEntry(block, 1, kTypeNumber, 0, "a");
  auto loaded = VariableTable::FromStored(block, table.storedHeap());
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  Token token{.aux = 1};
  int index = -1;
  ASSERT_EQ(loaded->find("A", &token, index), ScriptError::None);
  EXPECT_EQ(index, 1);
  token.aux = 2;
  ASSERT_EQ(loaded->find("a", &token, index), ScriptError::None);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(token.aux, 0);
  // Removal moves "c" to index 2, leaving a stale copy just past the count.
  ASSERT_EQ(loaded->remove("b"), ScriptError::None);
  token.aux = 3;
  ASSERT_EQ(loaded->find("c", &token, index), ScriptError::None);
  EXPECT_EQ(index, 2);
}

TEST_F(VariableTableTest, AtMost32000Variables) {
  const int kMax = VariableTable::kMaxVariables;
  std::vector<std::uint8_t> block(kMax * 32 + 20, 0);  // every name empty
  Put(block, 0, 2, kMax);                              // count
  Put(block, 2, 2, kMax);                              // capacity
  auto loaded = VariableTable::FromStored(block, {});
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  int index = -1;
  EXPECT_EQ(loaded->add("more", nullptr, index), ScriptError::NoSuchVariable);
  ASSERT_EQ(loaded->remove(""), ScriptError::None);
  ASSERT_EQ(loaded->add("more", nullptr, index), ScriptError::None);
  EXPECT_EQ(index, kMax - 1);
}

TEST_F(VariableTableTest, LoaderRejectsCorruptBlocksAndStoresSoundOnesUnchanged) {
  add("t");
  setText(0, "abc");
  // A heap block with no spare bytes, so that a bad offset points past it.
  std::vector<std::uint8_t> good = table.storedTable();
  Put(good, 12, 4, 4);
  const std::vector<std::uint8_t> heap = {3, 'a', 'b', 'c'};
  EXPECT_FALSE(VariableTable::FromStored(std::span(good).first(19), heap).ok());
  EXPECT_FALSE(VariableTable::FromStored(std::span(good).first(good.size() - 1), heap).ok());
  std::vector<std::uint8_t> spare = good;  // garbage past heap used, within the heap capacity
  Put(spare, 4, 2, 5);
  Put(spare, 12, 4, 5);
  EXPECT_FALSE(VariableTable::FromStored(spare, std::vector<std::uint8_t>(5, 3)).ok());
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
    std::vector<std::uint8_t> block = good;
    Put(block, offset, width, value);
    auto loaded = VariableTable::FromStored(block, heap);
    EXPECT_EQ(loaded.ok(), loads) << what;
    EXPECT_TRUE(!loaded.ok() || loaded->storedTable() == block) << what;  // carried unchanged
  }
}

}  // namespace
}  // namespace lw

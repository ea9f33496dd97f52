#include "script/variable_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/byte_io.h"
#include "script/script_host.h"
#include "script/string_library.h"

namespace lw {
namespace {

class VariableTableTest : public ::testing::Test {
 protected:
  // Stores `text` into entry `index` through a fresh text value.
  void setText(int index, const std::string& text) {
    Value v;
    ASSERT_EQ(strings.make(text, v), ScriptError::None);
    ASSERT_EQ(table.set(index, v, strings), ScriptError::None);
  }

  // Reads entry `index` and, for a text, the characters behind the value.
  std::string readText(int index) {
    Value v;
    EXPECT_EQ(table.get(index, strings, v), ScriptError::None);
    PString text;
    EXPECT_EQ(strings.take(v, text), ScriptError::None);
    return text.str();
  }

  int addName(const std::string& name) {
    int index = -1;
    EXPECT_EQ(table.add(name, nullptr, index), ScriptError::None);
    return index;
  }

  ScriptHost host;
  StringLibrary strings{host};
  VariableTable table;
};

TEST_F(VariableTableTest, AddFindsExistingNamesUnderFolding) {
  EXPECT_EQ(addName("score"), 0);
  EXPECT_EQ(addName("lives"), 1);
  Value v = Value::Number(12);
  ASSERT_EQ(table.set(0, v, strings), ScriptError::None);

  EXPECT_EQ(addName("SCORE"), 0);  // present: same index, value kept
  EXPECT_EQ(table.count(), 2);
  ASSERT_EQ(table.get(0, strings, v), ScriptError::None);
  EXPECT_EQ(v.payload, 12);

  int index = -1;
  ASSERT_EQ(table.find("Lives", nullptr, index), ScriptError::None);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(table.find("live", nullptr, index), ScriptError::NoSuchVariable);

  // A new variable is the number 0.
  ASSERT_EQ(table.get(1, strings, v), ScriptError::None);
  EXPECT_EQ(v.type, kTypeNumber);
  EXPECT_EQ(v.payload, 0);

  ASSERT_EQ(table.name(1, strings, v), ScriptError::None);
  PString text;
  ASSERT_EQ(strings.take(v, text), ScriptError::None);
  EXPECT_EQ(text.view(), "lives");
}

TEST_F(VariableTableTest, NamesOfSixteenCharactersAreBad) {
  const std::string fifteen(15, 'n');
  const std::string sixteen(16, 'n');
  EXPECT_EQ(addName(fifteen), 0);
  EXPECT_EQ(table.nameAt(0), fifteen);
  int index = -1;
  EXPECT_EQ(table.add(sixteen, nullptr, index), ScriptError::BadName);
  EXPECT_EQ(table.remove(sixteen), ScriptError::BadName);
  EXPECT_EQ(table.count(), 1);
}

TEST_F(VariableTableTest, CapacityGrowsByTwentyAndClearResets) {
  for (int i = 0; i < VariableTable::kInitialCapacity; ++i) addName("v" + std::to_string(i));
  EXPECT_EQ(table.capacity(), VariableTable::kInitialCapacity);
  addName("extra");
  EXPECT_EQ(table.capacity(), VariableTable::kInitialCapacity + VariableTable::kCapacityStep);
  setText(3, "some text");

  table.clear();
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(table.capacity(), VariableTable::kInitialCapacity);
  EXPECT_EQ(table.heapUsed(), 0U);
  EXPECT_EQ(table.heapCapacity(), VariableTable::kInitialHeap);
  EXPECT_EQ(table.garbage(), 0);
  int index = -1;
  EXPECT_EQ(table.find("v3", nullptr, index), ScriptError::NoSuchVariable);
}

TEST_F(VariableTableTest, RemoveMovesLastEntryIntoPlace) {
  addName("a");
  addName("b");
  addName("c");
  addName("d");
  setText(1, "bee");
  setText(3, "dee");
  ASSERT_EQ(table.remove("B"), ScriptError::None);
  EXPECT_EQ(table.count(), 3);
  EXPECT_EQ(table.nameAt(0), "a");
  EXPECT_EQ(table.nameAt(1), "d");
  EXPECT_EQ(table.nameAt(2), "c");
  EXPECT_EQ(readText(1), "dee");
  EXPECT_EQ(table.garbage(), 4);  // "bee" and its length byte

  EXPECT_EQ(table.remove("nothere"), ScriptError::None);
  EXPECT_EQ(table.count(), 3);
  ASSERT_EQ(table.remove("c"), ScriptError::None);  // the last entry itself
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.nameAt(1), "d");
}

TEST_F(VariableTableTest, TextVariableCanBeReadManyTimes) {
  addName("greeting");
  setText(0, "hello");
  EXPECT_EQ(strings.slotsInUse(), 0);  // storing read the text
  Value first;
  Value second;
  ASSERT_EQ(table.get(0, strings, first), ScriptError::None);
  ASSERT_EQ(table.get(0, strings, second), ScriptError::None);
  EXPECT_NE(first.payload, second.payload);
  PString a;
  PString b;
  ASSERT_EQ(strings.take(first, a), ScriptError::None);
  ASSERT_EQ(strings.take(second, b), ScriptError::None);
  EXPECT_EQ(a.view(), "hello");
  EXPECT_EQ(b.view(), "hello");
  EXPECT_EQ(readText(0), "hello");
}

TEST_F(VariableTableTest, LogicAndNumberValuesAreCopied) {
  addName("flag");
  addName("count");
  ASSERT_EQ(table.set(0, Value::Logic(true), strings), ScriptError::None);
  ASSERT_EQ(table.set(1, Value::Number(-5), strings), ScriptError::None);
  Value v;
  ASSERT_EQ(table.get(0, strings, v), ScriptError::None);
  EXPECT_EQ(v.type, kTypeLogic);
  EXPECT_EQ(v.payload, 1);
  ASSERT_EQ(table.get(1, strings, v), ScriptError::None);
  EXPECT_EQ(v.type, kTypeNumber);
  EXPECT_EQ(v.payload, -5);
  EXPECT_EQ(strings.slotsInUse(), 0);

  // Replacing a text adds its bytes to the garbage.
  setText(1, "abc");
  ASSERT_EQ(table.set(1, Value::Number(3), strings), ScriptError::None);
  EXPECT_EQ(table.garbage(), 4);
}

TEST_F(VariableTableTest, FailuresChangeNothing) {
  addName("x");
  setText(0, "kept");
  Value v;
  ASSERT_EQ(strings.make("unused", v), ScriptError::None);
  EXPECT_EQ(table.set(1, v, strings), ScriptError::NoSuchVariable);
  EXPECT_EQ(table.set(-1, v, strings), ScriptError::NoSuchVariable);
  EXPECT_EQ(strings.slotsInUse(), 1);  // the text was not read
  EXPECT_EQ(table.get(1, strings, v), ScriptError::NoSuchVariable);
  EXPECT_EQ(table.name(1, strings, v), ScriptError::NoSuchVariable);

  // A full string library makes reading a text variable fail, leaving it intact.
  for (int i = 1; i < StringLibrary::kSlotCount; ++i) ASSERT_EQ(strings.make("", v), ScriptError::None);
  EXPECT_EQ(table.get(0, strings, v), ScriptError::StringLibraryExhausted);
  EXPECT_EQ(table.name(0, strings, v), ScriptError::StringLibraryExhausted);
  strings.reset();
  EXPECT_EQ(readText(0), "kept");
  EXPECT_EQ(table.garbage(), 0);
}

TEST_F(VariableTableTest, HeapGrowsWhenAppendReachesCapacity) {
  const std::string longest(255, 'z');  // 256 heap bytes each
  for (int i = 0; i < 8; ++i) addName("s" + std::to_string(i));
  for (int i = 0; i < 7; ++i) setText(i, longest);
  EXPECT_EQ(table.heapUsed(), 7U * 256U);
  EXPECT_EQ(table.heapCapacity(), 2048U);
  setText(7, longest);  // 1792 + 256 reaches 2048
  EXPECT_EQ(table.heapUsed(), 2048U);
  EXPECT_EQ(table.heapCapacity(), 2048U + 256U + 2048U);

  // Compaction starts again from 2048 bytes and grows the same way while it copies.
  for (int i = 0; i < 8; ++i) setText(0, longest);
  EXPECT_EQ(table.garbage(), 0);
  EXPECT_EQ(table.heapUsed(), 2048U);
  EXPECT_EQ(table.heapCapacity(), 2048U + 256U + 2048U);
  EXPECT_EQ(readText(7), longest);
}

TEST_F(VariableTableTest, GarbageOf2048BytesCompactsAndKeepsLiveTexts) {
  addName("other");
  addName("busy");
  setText(0, "survivor");
  const std::string chunk(127, 'c');  // 128 heap bytes each
  for (int i = 0; i < 16; ++i) setText(1, chunk + std::to_string(i % 10));
  // 15 replaced texts of 129 bytes: 1935 bytes of garbage, not yet compacted.
  EXPECT_EQ(table.garbage(), 15 * 129);
  setText(1, "final");  // one more dead text passes 2048
  EXPECT_EQ(table.garbage(), 0);
  EXPECT_EQ(table.heapUsed(), 9U + 6U);
  EXPECT_EQ(table.heapCapacity(), VariableTable::kInitialHeap);
  EXPECT_EQ(readText(0), "survivor");
  EXPECT_EQ(readText(1), "final");

  // Compacting through removal works the same way.
  for (int i = 0; i < 16; ++i) setText(1, chunk + "x");
  ASSERT_EQ(table.remove("busy"), ScriptError::None);
  EXPECT_EQ(table.garbage(), 0);
  EXPECT_EQ(table.heapUsed(), 9U);
  EXPECT_EQ(readText(0), "survivor");
}

TEST_F(VariableTableTest, TokenCacheIsUsedOnlyWhenItStillNamesTheVariable) {
  Token token;
  int index = -1;
  ASSERT_EQ(table.add("first", &token, index), ScriptError::None);
  ASSERT_EQ(table.add("second", &token, index), ScriptError::None);
  EXPECT_EQ(token.aux, 1);

  Token third;
  ASSERT_EQ(table.add("third", &third, index), ScriptError::None);
  ASSERT_EQ(table.remove("second"), ScriptError::None);  // "third" moves to index 1
  ASSERT_EQ(table.find("third", &third, index), ScriptError::None);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(third.aux, 1);

  third.aux = 7;  // past the count
  ASSERT_EQ(table.find("third", &third, index), ScriptError::None);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(third.aux, 1);

  Token stale;
  stale.aux = 1;  // names "third", not "first"
  ASSERT_EQ(table.find("first", &stale, index), ScriptError::None);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(stale.aux, 0);
}

// Builds stored blocks by hand for the loader tests.
struct StoredBuilder {
  struct Entry {
    std::int16_t type;
    std::int32_t payload;
    std::string name;
  };

  std::vector<std::uint8_t> table() const {
    ByteWriter out;
    out.i16(count);
    out.i16(capacity);
    out.i16(garbage);
    out.u16(0);
    out.u32(heapUsed);
    out.u32(heapCapacity);
    out.u32(0);
    for (const Entry& e : entries) {
      out.i16(e.type);
      out.i32(e.payload);
      out.u16(0);
      out.zeros(8);
      out.u8(static_cast<std::uint8_t>(e.name.size()));
      out.bytes(std::span(reinterpret_cast<const std::uint8_t*>(e.name.data()), e.name.size()));
      out.zeros(15 - std::min<std::size_t>(e.name.size(), 15));
    }
    std::vector<std::uint8_t> bytes = out.take();
    if (bytes.size() < tableSize) bytes.resize(tableSize, 0);
    return bytes;
  }

  std::int16_t count = 0;
  std::int16_t capacity = 20;
  std::int16_t garbage = 0;
  std::uint32_t heapUsed = 0;
  std::uint32_t heapCapacity = 16;
  std::size_t tableSize = 20 * 32 + 20;
  std::vector<Entry> entries;
  std::vector<std::uint8_t> heap = std::vector<std::uint8_t>(16, 0);
};

TEST_F(VariableTableTest, StoredFormIsByteExact) {
  addName("n");
  addName("flag");
  addName("t");
  ASSERT_EQ(table.set(0, Value::Number(0x01020304), strings), ScriptError::None);
  ASSERT_EQ(table.set(1, Value::Logic(true), strings), ScriptError::None);
  setText(2, "hi");

  std::vector<std::uint8_t> expected = {
      3, 0,  20, 0,  0, 0,  0, 0,  // count, capacity, garbage, reserved
      3, 0, 0, 0,                  // heap used
      0, 8, 0, 0,                  // heap capacity 2048
      0, 0, 0, 0,                  // heap handle
      // entry 0: number 0x01020304 named "n"
      4, 0, 4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      1, 'n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      // entry 1: logic true named "flag"
      2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      4, 'f', 'l', 'a', 'g', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      // entry 2: text at heap offset 0 named "t"
      3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      1, 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  expected.resize(20 * 32 + 20, 0);  // 17 unused entries
  EXPECT_EQ(table.storedTable(), expected);

  std::vector<std::uint8_t> expectedHeap(2048, 0);
  expectedHeap[0] = 2;
  expectedHeap[1] = 'h';
  expectedHeap[2] = 'i';
  EXPECT_EQ(table.storedHeap(), expectedHeap);
}

TEST_F(VariableTableTest, StoredFormRoundTrips) {
  for (int i = 0; i < 23; ++i) addName("var" + std::to_string(i));
  setText(4, "four");
  setText(21, "twenty-one");
  setText(4, "FOUR");
  ASSERT_EQ(table.set(9, Value::Number(-9), strings), ScriptError::None);

  auto loaded = VariableTable::FromStored(table.storedTable(), table.storedHeap());
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  VariableTable& copy = loaded.value();
  EXPECT_EQ(copy.storedTable(), table.storedTable());
  EXPECT_EQ(copy.storedHeap(), table.storedHeap());
  EXPECT_EQ(copy.count(), 23);
  EXPECT_EQ(copy.capacity(), 40);
  EXPECT_EQ(copy.garbage(), 5);

  Value v;
  ASSERT_EQ(copy.get(4, strings, v), ScriptError::None);
  PString text;
  ASSERT_EQ(strings.take(v, text), ScriptError::None);
  EXPECT_EQ(text.view(), "FOUR");
  int index = -1;
  ASSERT_EQ(copy.find("VAR21", nullptr, index), ScriptError::None);
  EXPECT_EQ(index, 21);
  ASSERT_EQ(copy.get(9, strings, v), ScriptError::None);
  EXPECT_EQ(v.payload, -9);
}

TEST_F(VariableTableTest, LoadedDuplicateNamesShowWhichIndexTheCacheGives) {
  // Two entries of the same name make a trusted cache observable: a valid cached index is
  // used as is, a scan finds the first.
  StoredBuilder b;
  b.count = 3;
  b.entries = {{kTypeNumber, 10, "a"}, {kTypeNumber, 11, "a"}, {kTypeNumber, 12, "b"}};
  auto loaded = VariableTable::FromStored(b.table(), b.heap);
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  Token token;
  int index = -1;
  token.aux = 1;
  ASSERT_EQ(loaded->find("a", &token, index), ScriptError::None);
  EXPECT_EQ(index, 1);
  token.aux = 2;
  ASSERT_EQ(loaded->find("a", &token, index), ScriptError::None);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(token.aux, 0);
}

TEST_F(VariableTableTest, LimitOf32000Variables) {
  StoredBuilder b;
  b.count = VariableTable::kMaxVariables;
  b.capacity = VariableTable::kMaxVariables;
  b.tableSize = static_cast<std::size_t>(b.capacity) * 32 + 20;
  auto loaded = VariableTable::FromStored(b.table(), b.heap);  // every name empty
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  int index = -1;
  EXPECT_EQ(loaded->add("more", nullptr, index), ScriptError::NoSuchVariable);
  EXPECT_EQ(loaded->count(), VariableTable::kMaxVariables);
  ASSERT_EQ(loaded->remove(""), ScriptError::None);
  ASSERT_EQ(loaded->add("more", nullptr, index), ScriptError::None);
  EXPECT_EQ(index, VariableTable::kMaxVariables - 1);
}

TEST_F(VariableTableTest, CorruptStoredBlocksAreRejected) {
  StoredBuilder good;
  good.count = 1;
  good.heapUsed = 4;
  good.heap = {3, 'a', 'b', 'c', 0, 0, 0, 0};
  good.heapCapacity = 8;
  good.entries = {{kTypeText, 0, "t"}};
  ASSERT_TRUE(VariableTable::FromStored(good.table(), good.heap).ok());

  auto rejects = [](const StoredBuilder& b, std::span<const std::uint8_t> table) {
    auto result = VariableTable::FromStored(table, b.heap);
    if (result.ok()) return std::string();
    return result.error();
  };
  auto expectRejected = [&](const StoredBuilder& b, const char* why) {
    const std::string error = rejects(b, b.table());
    EXPECT_FALSE(error.empty()) << why;
  };

  std::vector<std::uint8_t> shortHeader = good.table();
  shortHeader.resize(19);
  EXPECT_FALSE(rejects(good, shortHeader).empty());
  std::vector<std::uint8_t> shortEntries = good.table();
  shortEntries.resize(20 * 32 + 19);
  EXPECT_FALSE(rejects(good, shortEntries).empty());

  StoredBuilder b = good;
  b.count = 21;
  expectRejected(b, "count past capacity");
  b = good;
  b.count = -1;
  expectRejected(b, "negative count");
  b = good;
  b.capacity = -20;
  b.count = 0;
  expectRejected(b, "negative capacity");
  b = good;
  b.heapUsed = 9;
  expectRejected(b, "heap used past the heap block");
  b = good;
  b.heapCapacity = 3;
  expectRejected(b, "heap capacity below heap used");
  b = good;
  b.heapCapacity = 0xFFFFFFFF;
  expectRejected(b, "heap capacity past the heap block");
  b = good;
  b.garbage = -1;
  expectRejected(b, "negative garbage");
  b = good;
  b.entries[0].payload = 4;
  expectRejected(b, "text offset at heap used");
  b = good;
  b.entries[0].payload = -1;
  expectRejected(b, "negative text offset");
  b = good;
  b.heap[0] = 4;
  expectRejected(b, "text running past heap used");
  b = good;
  b.entries[0].name = std::string(15, 'n');
  EXPECT_TRUE(VariableTable::FromStored(b.table(), b.heap).ok());
  b.entries[0].name = std::string(16, 'n');
  expectRejected(b, "name of 16 characters");

  // Unknown types are carried without inspecting their payloads.
  b = good;
  b.entries[0] = {99, -12345, "odd"};
  auto loaded = VariableTable::FromStored(b.table(), b.heap);
  ASSERT_TRUE(loaded.ok());
  Value v;
  ASSERT_EQ(loaded->get(0, strings, v), ScriptError::None);
  EXPECT_EQ(v.type, 99);
  EXPECT_EQ(v.payload, -12345);
}

}  // namespace
}  // namespace lw

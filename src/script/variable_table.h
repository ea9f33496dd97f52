// Variable tables: the globals of a run and the locals of each handler run.
//
// Stored form of a table (written byte for byte into saved games, little-endian):
//
//   OFFSET      SIZE  DESCRIPTION
//   0           2     count (signed)
//   2           2     capacity in entries (signed; starts at 20, grows by 20)
//   4           2     garbage: bytes of dead strings in the heap (signed)
//   6           2     reserved (0)
//   8           4     heap used
//   12          4     heap capacity (starts at 2048)
//   16          4     heap handle (meaningful only in memory; written as 0)
//   20 + 32 i   2     entry i: type
//   22 + 32 i   4     entry i: payload (for text, the offset of its string in the heap)
//   26 + 32 i   2     entry i: auxiliary word
//   28 + 32 i   8     entry i: reserved (0)
//   36 + 32 i   16    entry i: name, length byte and up to 15 characters
//
// The table block is capacity x 32 + 20 bytes. The heap block holds the text variables'
// length-prefixed strings back to back from offset 0; only the first heap-used bytes count.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "script/bounded_string.h"
#include "script/error_codes.h"
#include "script/name_key.h"
#include "script/token.h"
#include "script/value.h"

namespace lw {

class StringLibrary;

class VariableTable {
 public:
  static constexpr int kInitialCapacity = 20;
  static constexpr int kCapacityStep = 20;
  static constexpr std::uint32_t kInitialHeap = 2048;
  static constexpr int kMaxVariables = 32000;
  static constexpr int kGarbageLimit = 2048;  // dead bytes that trigger compaction
  static constexpr int kEntrySize = 32;
  static constexpr int kHeaderSize = 20;

  // Every table made, copied, moved or destroyed changes the layout (see Layout below).
  VariableTable() { ChangeLayout(); }
  VariableTable(const VariableTable& other);
  VariableTable(VariableTable&& other) noexcept;
  VariableTable& operator=(const VariableTable& other);
  VariableTable& operator=(VariableTable&& other) noexcept;
  ~VariableTable() { ChangeLayout(); }

  // A number that changes whenever any table of this thread may have changed which variable an
  // index names or which table holds a name: a variable added or removed, a table emptied,
  // replaced, made or destroyed. The interpreter changes it too when a handler run begins. Where
  // it has not changed, a variable found before is still at the same table and index, so that
  // the pre-decoded engine can keep where each of its variables was found.
  [[nodiscard]] static std::uint64_t Layout() { return layout_; }
  static void ChangeLayout() { ++layout_; }

  // Empties the table back to its fresh state (count 0, capacity 20, empty 2048-byte heap),
  // keeping its memory for reuse.
  void clear();

  // The index of `name` (fold-table equality) or NoSuchVariable. `nameToken`, when given,
  // caches the index in its auxiliary word.
  ScriptError find(std::string_view name, Token* nameToken, int& index) const {
    return find(NameKey::Of(name), nameToken, index);
  }
  ScriptError find(const NameKey& key, Token* nameToken, int& index) const {
    // The interpreter's hot path: the index cached in the token still names the variable.
    // Index 0 is never taken from the cache, as a fresh token's auxiliary word is 0.
    if (nameToken != nullptr) {
      const int cached = nameToken->aux;
      if (cached > 0 && cached < count() && entries_[cached].key == key) {
        index = cached;
        return ScriptError::None;
      }
    }
    return scan(key, nameToken, index);
  }

  // Adds `name` as a number 0, or finds it when present. BadName for 16 or more characters;
  // NoSuchVariable when 32000 variables exist.
  ScriptError add(std::string_view name, Token* nameToken, int& index) {
    return add(NameKey::Of(name), name, nameToken, index);
  }
  // The same with the name's key already made (the interpreter keeps one per name token).
  ScriptError add(const NameKey& key, std::string_view name, Token* nameToken, int& index);

  // Removes `name` (absent is no error), moving the last entry into its place.
  ScriptError remove(std::string_view name);

  // The value of entry `index`; a text variable gives a new text value from the heap.
  ScriptError get(int index, StringLibrary& strings, Value& out) const {
    if (index < 0 || index >= count()) return ScriptError::NoSuchVariable;
    const Value& stored = entries_[index].value;
    if (stored.isText()) return getText(stored, strings, out);
    out = Value::Of(stored.type, stored.payload);
    return ScriptError::None;
  }

  // Stores a value into entry `index`; a text value is read (its slot freed) into the heap.
  ScriptError set(int index, const Value& value, StringLibrary& strings) {
    if (index < 0 || index >= count()) return ScriptError::NoSuchVariable;
    Value& stored = entries_[index].value;
    if (value.isText() || stored.isText()) return setWithText(stored, value, strings);
    stored.type = value.type;
    stored.payload = value.payload;
    return ScriptError::None;
  }

  // Where entry `index` keeps its value, for the interpreter's notes of where it found a
  // variable: only a change of Layout() can move or drop it. A text value's payload is its
  // heap offset, so texts are read and written through get and set.
  [[nodiscard]] Value* valueAt(int index) {
    return &entries_[static_cast<std::size_t>(index)].value;
  }

  // The folded name of entry `index` (0 <= index < count()).
  [[nodiscard]] const NameKey& keyAt(int index) const {
    return entries_[static_cast<std::size_t>(index)].key;
  }

  // The name of entry `index` as a new text value.
  ScriptError name(int index, StringLibrary& strings, Value& out) const;

  [[nodiscard]] int count() const { return static_cast<int>(entries_.size()); }
  [[nodiscard]] int capacity() const { return capacity_; }
  [[nodiscard]] int garbage() const { return garbage_; }
  [[nodiscard]] std::uint32_t heapUsed() const { return static_cast<std::uint32_t>(heap_.size()); }
  [[nodiscard]] std::uint32_t heapCapacity() const { return heapCapacity_; }
  [[nodiscard]] std::string_view nameAt(int index) const { return entries_[index].name.view(); }

  // The stored table block and heap block (see the layout above).
  [[nodiscard]] std::vector<std::uint8_t> storedTable() const;
  [[nodiscard]] std::vector<std::uint8_t> storedHeap() const;

  // Reads a stored table and heap, checking every count, offset and length against the blocks.
  static Expected<VariableTable, std::string> FromStored(std::span<const std::uint8_t> table,
                                                         std::span<const std::uint8_t> heap);

 private:
  // Padded to a power of two so that indexing and counting need no division.
  struct alignas(64) Entry {
    Value value;  // for text, payload is the heap offset of the string
    NameKey key;  // the folded name, for lookups
    Name15 name;
  };

  ScriptError scan(const NameKey& key, Token* nameToken, int& index) const;
  ScriptError getText(const Value& stored, StringLibrary& strings, Value& out) const;
  ScriptError setWithText(Value& stored, const Value& value, StringLibrary& strings);
  void appendToHeap(std::string_view text);
  void compactIfNeeded();

  static inline thread_local std::uint64_t layout_ = 1;  // 0 is never a current layout

  std::vector<Entry> entries_;
  std::vector<std::uint8_t> heap_;  // size is the heap-used count
  int capacity_ = kInitialCapacity;
  int garbage_ = 0;
  std::uint32_t heapCapacity_ = kInitialHeap;
};

}  // namespace lw

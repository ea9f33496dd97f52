#include "script/variable_table.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>

#include "common/byte_io.h"
#include "script/fold.h"
#include "script/string_library.h"

namespace lw {

namespace {

constexpr std::size_t kNameFieldSize = 16;  // length byte and up to 15 characters
constexpr std::size_t kEntryReserved = 8;
constexpr std::size_t kMaxNameLength = Name15::kCapacity;

// A load failure, prefixed so that the saved-game loader's message names the block.
Unexpected<std::string> Corrupt(const std::string& detail) {
  return Unexpected(std::string("variable table: ") + detail);
}

// A field value as decimal text for load messages.
std::string Num(long long value) { return std::to_string(value); }

}  // namespace

VariableTable::VariableTable(const VariableTable& other)
    : entries_(other.entries_),
      heap_(other.heap_),
      capacity_(other.capacity_),
      garbage_(other.garbage_),
      heapCapacity_(other.heapCapacity_) {
  ChangeLayout();
}

VariableTable::VariableTable(VariableTable&& other) noexcept
    : entries_(std::move(other.entries_)),
      heap_(std::move(other.heap_)),
      capacity_(other.capacity_),
      garbage_(other.garbage_),
      heapCapacity_(other.heapCapacity_) {
  ChangeLayout();
}

VariableTable& VariableTable::operator=(const VariableTable& other) {
  if (this != &other) *this = VariableTable(other);
  return *this;
}

VariableTable& VariableTable::operator=(VariableTable&& other) noexcept {
  entries_ = std::move(other.entries_);
  heap_ = std::move(other.heap_);
  capacity_ = other.capacity_;
  garbage_ = other.garbage_;
  heapCapacity_ = other.heapCapacity_;
  ChangeLayout();
  return *this;
}

void VariableTable::clear() {
  ChangeLayout();
  entries_.clear();
  heap_.clear();
  capacity_ = kInitialCapacity;
  garbage_ = 0;
  heapCapacity_ = kInitialHeap;
}

// Scans from index 0 and caches the index found in the token.
ScriptError VariableTable::scan(const NameKey& key, Token* nameToken, int& index) const {
  const int total = count();
  for (int i = 0; i < total; ++i) {
    if (entries_[i].key == key) {
      if (nameToken != nullptr) nameToken->aux = static_cast<std::uint16_t>(i);
      index = i;
      return ScriptError::None;
    }
  }
  return ScriptError::NoSuchVariable;
}

ScriptError VariableTable::add(const NameKey& key, std::string_view name, Token* nameToken,
                               int& index) {
  if (name.size() > kMaxNameLength) return ScriptError::BadName;
  if (!Failed(find(key, nameToken, index))) return ScriptError::None;
  if (count() >= kMaxVariables) return ScriptError::NoSuchVariable;
  if (count() >= capacity_) capacity_ += kCapacityStep;
  ChangeLayout();
  Entry& entry = entries_.emplace_back();  // built in place: handler runs add on every call
  entry.value = Value::Number(0);
  entry.key = key;
  entry.name.assign(name);
  index = count() - 1;
  if (nameToken != nullptr) nameToken->aux = static_cast<std::uint16_t>(index);
  return ScriptError::None;
}

ScriptError VariableTable::remove(std::string_view name) {
  if (name.size() > kMaxNameLength) return ScriptError::BadName;
  int index = 0;
  if (Failed(find(name, nullptr, index))) return ScriptError::None;
  ChangeLayout();
  const Value& old = entries_[index].value;
  if (old.isText()) garbage_ += heap_[old.payload] + 1;
  entries_[index] = entries_.back();
  entries_.pop_back();
  compactIfNeeded();
  return ScriptError::None;
}

// A text variable gives a new text value made from its own copy in the heap.
ScriptError VariableTable::getText(const Value& stored, StringLibrary& strings, Value& out) const {
  const auto offset = static_cast<std::size_t>(stored.payload);
  const auto* chars = reinterpret_cast<const char*>(heap_.data() + offset + 1);
  return strings.make(std::string_view(chars, heap_[offset]), out);
}

// The new text is read before anything changes, so a failure leaves the variable as it was.
ScriptError VariableTable::setWithText(Value& stored, const Value& value, StringLibrary& strings) {
  PString text;
  if (value.isText()) LW_TRY(strings.take(value, text));
  if (stored.isText()) garbage_ += heap_[stored.payload] + 1;
  stored.type = value.type;
  stored.payload = value.payload;
  if (value.isText()) {
    stored.payload = static_cast<std::int32_t>(heap_.size());
    appendToHeap(text.view());
  }
  compactIfNeeded();
  return ScriptError::None;
}

ScriptError VariableTable::name(int index, StringLibrary& strings, Value& out) const {
  if (index < 0 || index >= count()) return ScriptError::NoSuchVariable;
  return strings.make(entries_[index].name.view(), out);
}

// The logical capacity grows by the string and a spare 2048 bytes whenever the string would
// reach it; the vector itself only ever holds the used bytes.
void VariableTable::appendToHeap(std::string_view text) {
  const std::size_t needed = text.size() + 1;
  if (heap_.size() + needed >= heapCapacity_) {
    heapCapacity_ += static_cast<std::uint32_t>(needed) + kInitialHeap;
  }
  heap_.push_back(static_cast<std::uint8_t>(text.size()));
  heap_.insert(heap_.end(), text.begin(), text.end());
}

// Rebuilds the heap from the live strings in entry order once enough dead bytes pile up.
void VariableTable::compactIfNeeded() {
  if (garbage_ < kGarbageLimit) return;
  std::vector<std::uint8_t> old = std::exchange(heap_, {});
  heap_.reserve(old.size() - static_cast<std::size_t>(garbage_));
  heapCapacity_ = kInitialHeap;
  for (Entry& entry : entries_) {
    if (!entry.value.isText()) continue;
    const auto offset = static_cast<std::size_t>(entry.value.payload);
    const auto* chars = reinterpret_cast<const char*>(old.data() + offset + 1);
    entry.value.payload = static_cast<std::int32_t>(heap_.size());
    appendToHeap(std::string_view(chars, old[offset]));
  }
  garbage_ = 0;
}

std::vector<std::uint8_t> VariableTable::storedTable() const {
  ByteWriter out;
  out.i16(static_cast<std::int16_t>(count()));
  out.i16(static_cast<std::int16_t>(capacity_));
  out.i16(static_cast<std::int16_t>(garbage_));
  out.u16(0);  // reserved
  out.u32(heapUsed());
  out.u32(heapCapacity_);
  out.u32(0);  // heap handle: only meaningful in memory
  for (const Entry& entry : entries_) {
    out.i16(entry.value.type);
    out.i32(entry.value.payload);
    out.u16(entry.value.aux);
    out.zeros(kEntryReserved);
    out.u8(static_cast<std::uint8_t>(entry.name.size()));
    const std::string_view name = entry.name.view();
    out.bytes(std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
    out.zeros(kNameFieldSize - 1 - name.size());
  }
  out.zeros(static_cast<std::size_t>(capacity_ - count()) * kEntrySize);
  return out.take();
}

std::vector<std::uint8_t> VariableTable::storedHeap() const {
  std::vector<std::uint8_t> block(heapCapacity_, 0);
  std::copy(heap_.begin(), heap_.end(), block.begin());
  return block;
}

// Every field that sizes or locates something is checked against the blocks before use, and
// nothing is allocated beyond what the blocks themselves hold.
Expected<VariableTable, std::string> VariableTable::FromStored(std::span<const std::uint8_t> table,
                                                               std::span<const std::uint8_t> heap) {
  ByteReader header(table);
  const std::int16_t count = header.i16();
  const std::int16_t capacity = header.i16();
  const std::int16_t garbage = header.i16();
  header.skip(2);  // reserved
  const std::uint32_t heapUsed = header.u32();
  const std::uint32_t heapCapacity = header.u32();
  header.skip(4);  // heap handle
  if (header.failed()) {
    return Corrupt("block of " + Num(table.size()) + " bytes is shorter than the header");
  }
  if (capacity < 0) return Corrupt("negative capacity " + Num(capacity));
  if (count < 0 || count > capacity) {
    return Corrupt("count " + Num(count) + " is outside 0.." + Num(capacity) + " (capacity)");
  }
  const auto tableNeeded = static_cast<std::size_t>(capacity) * kEntrySize + kHeaderSize;
  if (table.size() < tableNeeded) {
    return Corrupt("block of " + Num(table.size()) + " bytes is shorter than the " +
                   Num(tableNeeded) + " bytes that its capacity needs");
  }
  if (heapUsed > heap.size()) {
    return Corrupt("heap used " + Num(heapUsed) + " passes the heap block of " + Num(heap.size()) +
                   " bytes");
  }
  if (heapCapacity < heapUsed || heapCapacity > heap.size()) {
    return Corrupt("heap capacity " + Num(heapCapacity) + " is outside " + Num(heapUsed) +
                   " (heap used).." + Num(heap.size()) + " (heap block size)");
  }
  if (garbage < 0 || static_cast<std::uint32_t>(garbage) > heapUsed) {
    return Corrupt("garbage " + Num(garbage) + " is outside 0.." + Num(heapUsed) + " (heap used)");
  }

  VariableTable result;
  result.capacity_ = capacity;
  result.garbage_ = garbage;
  result.heapCapacity_ = heapCapacity;
  result.heap_.assign(heap.begin(), heap.begin() + heapUsed);
  result.entries_.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    ByteReader field(
        table.subspan(kHeaderSize + static_cast<std::size_t>(i) * kEntrySize, kEntrySize));
    Entry entry;
    entry.value.type = field.i16();
    entry.value.payload = field.i32();
    entry.value.aux = field.u16();
    field.skip(kEntryReserved);
    const std::uint8_t nameLength = field.u8();
    if (nameLength > kMaxNameLength) {
      return Corrupt("entry " + Num(i) + " has a name of " + Num(nameLength) +
                     " characters, more than 15");
    }
    const auto nameBytes = field.bytes(nameLength);
    entry.name = Name15::truncated(
        std::string_view(reinterpret_cast<const char*>(nameBytes.data()), nameBytes.size()));
    entry.key = NameKey::Of(entry.name.view());
    if (entry.value.isText()) {
      const auto offset = static_cast<std::uint32_t>(entry.value.payload);
      if (entry.value.payload < 0 || offset >= heapUsed) {
        return Corrupt("entry " + Num(i) + " has its text at offset " + Num(entry.value.payload) +
                       ", outside the " + Num(heapUsed) + " bytes of heap used");
      }
      if (offset + 1U + heap[offset] > heapUsed) {
        return Corrupt("entry " + Num(i) + " has a text of " + Num(heap[offset]) +
                       " characters at offset " + Num(offset) + " that runs past the " +
                       Num(heapUsed) + " bytes of heap used");
      }
    }
    result.entries_.push_back(entry);
  }
  return result;
}

}  // namespace lw

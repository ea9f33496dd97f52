// The records of one star file that the resource cache holds: a dense table of entries in no
// order, with an index from record id to slot, so that finding a record costs one array read
// however many records the file holds. Record ids are the file's record numbers, counted from 0:
// ids below 65536 are indexed by an array as long as the highest one held, any higher ones (which
// a file may claim but titles never hold) by a hash map.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace lw {

// A record's bytes in memory (the movable block of a cached record).
using RecordBlock = std::vector<std::uint8_t>;

// A form of a record decoded by its reader and kept with the cached record, so that a record read
// every frame (a picture, a pose) is decoded once. Readers tell their own kind by its type.
struct DecodedForm {
  DecodedForm() = default;
  DecodedForm(const DecodedForm&) = default;
  DecodedForm& operator=(const DecodedForm&) = default;
  DecodedForm(DecodedForm&&) = default;
  DecodedForm& operator=(DecodedForm&&) = default;
  virtual ~DecodedForm() = default;
};

// One record held by the resource cache of its star file.
struct CachedRecord {
  std::int32_t id = 0;
  std::int16_t lockCount = 0;
  bool dirty = false;
  std::unique_ptr<RecordBlock> block;  // stable address for holders while the entry lives
  std::uint32_t useStamp = 0;
  std::unique_ptr<const DecodedForm> decoded;  // dropped whenever the block changes
};

class RecordCache {
 public:
  [[nodiscard]] std::size_t size() const { return entries_.size(); }
  CachedRecord& operator[](std::size_t slot) { return entries_[slot]; }
  const CachedRecord& operator[](std::size_t slot) const { return entries_[slot]; }
  auto begin() { return entries_.begin(); }
  auto end() { return entries_.end(); }
  [[nodiscard]] auto begin() const { return entries_.begin(); }
  [[nodiscard]] auto end() const { return entries_.end(); }

  // The slot of record `id`, if it is held.
  [[nodiscard]] std::optional<std::size_t> find(std::int32_t id) const {
    if (id < 0) return std::nullopt;
    if (static_cast<std::size_t>(id) >= kDirectIds) {
      const auto it = farSlots_.find(id);
      if (it == farSlots_.end()) return std::nullopt;
      return it->second;
    }
    if (static_cast<std::size_t>(id) >= slots_.size()) return std::nullopt;
    const std::int32_t slot = slots_[static_cast<std::size_t>(id)];
    if (slot == kNoSlot) return std::nullopt;
    return static_cast<std::size_t>(slot);
  }

  // Adds an entry for a record not held yet, in the last slot, and gives that slot.
  // Requires an id of 0 or more.
  std::size_t add(CachedRecord entry) {
    setSlot(entry.id, static_cast<std::int32_t>(entries_.size()));
    entries_.push_back(std::move(entry));
    return entries_.size() - 1;
  }

  // Removes the entry in `slot`; the last entry moves into its place.
  void remove(std::size_t slot) {
    setSlot(entries_[slot].id, kNoSlot);
    if (slot + 1 != entries_.size()) {
      entries_[slot] = std::move(entries_.back());
      setSlot(entries_[slot].id, static_cast<std::int32_t>(slot));
    }
    entries_.pop_back();
  }

  void clear() {
    entries_.clear();
    slots_.clear();
    farSlots_.clear();
  }

 private:
  static constexpr std::int32_t kNoSlot = -1;
  static constexpr std::size_t kDirectIds = 65536;

  void setSlot(std::int32_t id, std::int32_t slot) {
    const auto at = static_cast<std::size_t>(id);
    if (at >= kDirectIds) {
      if (slot == kNoSlot) {
        farSlots_.erase(id);
      } else {
        farSlots_[id] = static_cast<std::size_t>(slot);
      }
      return;
    }
    if (at >= slots_.size()) slots_.resize(at + 1, kNoSlot);
    slots_[at] = slot;
  }

  std::vector<CachedRecord> entries_;
  std::vector<std::int32_t> slots_;  // by record id below kDirectIds: its slot, or kNoSlot
  std::unordered_map<std::int32_t, std::size_t> farSlots_;  // the ids from kDirectIds on
};

}  // namespace lw

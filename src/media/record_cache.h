// The records of one star file that the resource cache holds: a dense table of entries in no
// order, with an index from record id to slot, so that finding a record costs one lookup however
// many records the file holds.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace lw {

// A record's bytes in memory (the movable block of a cached record).
using RecordBlock = std::vector<std::uint8_t>;

// One record held by the resource cache of its star file.
struct CachedRecord {
  std::int32_t id = 0;
  std::int16_t lockCount = 0;
  bool dirty = false;
  std::unique_ptr<RecordBlock> block;  // stable address for holders while the entry lives
  std::uint32_t useStamp = 0;
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
    const auto it = slots_.find(id);
    if (it == slots_.end()) return std::nullopt;
    return it->second;
  }

  // Adds an entry for a record not held yet, in the last slot, and gives that slot.
  std::size_t add(CachedRecord entry) {
    slots_[entry.id] = entries_.size();
    entries_.push_back(std::move(entry));
    return entries_.size() - 1;
  }

  // Removes the entry in `slot`; the last entry moves into its place.
  void remove(std::size_t slot) {
    slots_.erase(entries_[slot].id);
    if (slot + 1 != entries_.size()) {
      entries_[slot] = std::move(entries_.back());
      slots_[entries_[slot].id] = slot;
    }
    entries_.pop_back();
  }

  void clear() {
    entries_.clear();
    slots_.clear();
  }

 private:
  std::vector<CachedRecord> entries_;
  std::unordered_map<std::int32_t, std::size_t> slots_;
};

}  // namespace lw

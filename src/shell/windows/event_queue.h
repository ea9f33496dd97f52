// The event queue: sixteen records in arrival order, each with its kind's mask bit. Posting to
// a full queue loses the newest queued event and the new one, and says so, so that the caller
// can beep.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "shell/windows/event_record.h"

namespace lw {

class EventQueue {
 public:
  static constexpr int kCapacity = 16;

  enum class PostResult : std::uint8_t { kQueued, kLost };

  // Appends an event. With `coalesce`, queued events of the same mask and message are removed
  // first, oldest first, while the oldest one of that mask matches. Without a point the slot
  // keeps the point of the event that used it last.
  PostResult post(bool coalesce, std::uint16_t kind, std::uint32_t message,
                  std::optional<Point> where, std::uint16_t modifiers);

  // The oldest event whose mask shares a bit with `mask`; take() also removes it.
  [[nodiscard]] std::optional<EventRecord> peek(std::uint16_t mask) const;
  std::optional<EventRecord> take(std::uint16_t mask);

  void flush() { count_ = 0; }
  [[nodiscard]] int count() const { return count_; }

 private:
  struct Slot {
    EventRecord event;
    std::uint16_t mask = 0;
  };
  [[nodiscard]] int find(std::uint16_t mask) const;
  void removeAt(int index);

  std::array<Slot, kCapacity> slots_{};
  int count_ = 0;
};

}  // namespace lw

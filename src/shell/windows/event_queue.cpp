#include "shell/windows/event_queue.h"

namespace lw {

EventQueue::PostResult EventQueue::post(bool coalesce, std::uint16_t kind, std::uint32_t message,
                                        std::optional<Point> where, std::uint16_t modifiers) {
  const std::uint16_t mask = MaskOfKind(kind);
  if (coalesce) {
    // Only the oldest event of the mask is compared each time, so a newer duplicate behind an
    // event with another message stays queued.
    for (int i = find(mask); i >= 0 && slots_[i].event.message == message; i = find(mask)) {
      removeAt(i);
    }
  }
  if (count_ == kCapacity) {
    count_ = kCapacity - 1;  // the newest queued event goes, and the new one is not queued
    return PostResult::kLost;
  }
  Slot& slot = slots_[count_++];
  slot.event.what = kind;
  slot.event.message = message;
  if (where) slot.event.where = *where;
  slot.event.modifiers = modifiers;
  slot.mask = mask;
  return PostResult::kQueued;
}

std::optional<EventRecord> EventQueue::peek(std::uint16_t mask) const {
  const int i = find(mask);
  if (i < 0) return std::nullopt;
  return slots_[i].event;
}

std::optional<EventRecord> EventQueue::take(std::uint16_t mask) {
  const int i = find(mask);
  if (i < 0) return std::nullopt;
  const EventRecord event = slots_[i].event;
  removeAt(i);
  return event;
}

int EventQueue::find(std::uint16_t mask) const {
  for (int i = 0; i < count_; ++i) {
    if ((slots_[i].mask & mask) != 0) return i;
  }
  return -1;
}

// Shifts the later slots down by one, keeping their order.
void EventQueue::removeAt(int index) {
  for (int i = index; i + 1 < count_; ++i) slots_[i] = slots_[i + 1];
  --count_;
}

}  // namespace lw

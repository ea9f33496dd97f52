// The event queue: coalescing, loss when full, and fetching by mask in arrival order.
#include "shell/windows/event_queue.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

using event_kind::kDisplayChanged;
using event_kind::kKeyDown;
using event_kind::kKeyRepeat;
using event_kind::kMouseDown;
using event_kind::kMouseUp;
using event_kind::kUpdate;

// Posts without coalescing, point or modifiers.
void Post(EventQueue& queue, std::uint16_t kind, std::uint32_t message) {
  ASSERT_EQ(queue.post(false, kind, message, std::nullopt, 0), EventQueue::PostResult::kQueued);
}

TEST(EventQueueTest, CoalescingRemovesOnlyLeadingDuplicatesOfTheSameMask) {
  EventQueue queue;
  Post(queue, kUpdate, 0);
  Post(queue, kKeyDown, 0);  // another mask: neither removed nor in the way
  Post(queue, kUpdate, 0);
  queue.post(true, kUpdate, 0, std::nullopt, 0);
  ASSERT_EQ(queue.count(), 2);
  EXPECT_EQ(queue.take(event_mask::kEvery)->what, kKeyDown);
  EXPECT_EQ(queue.take(event_mask::kEvery)->what, kUpdate);

  // The oldest update names another window, so nothing behind it is removed.
  Post(queue, kUpdate, 1);
  Post(queue, kUpdate, 0);
  queue.post(true, kUpdate, 0, std::nullopt, 0);
  EXPECT_EQ(queue.count(), 3);
}

TEST(EventQueueTest, AFullQueueLosesItsNewestEventAndTheNewOne) {
  EventQueue queue;
  for (std::uint32_t i = 0; i < EventQueue::kCapacity; ++i) Post(queue, kKeyDown, i);
  EXPECT_EQ(queue.post(false, kKeyDown, 99, std::nullopt, 0), EventQueue::PostResult::kLost);
  ASSERT_EQ(queue.count(), EventQueue::kCapacity - 1);
  for (std::uint32_t i = 0; i + 1 < EventQueue::kCapacity; ++i) {
    EXPECT_EQ(queue.take(event_mask::kEvery)->message, i);
  }
  EXPECT_FALSE(queue.take(event_mask::kEvery));
  // Room again: the next post is queued.
  Post(queue, kKeyDown, 7);
}

TEST(EventQueueTest, FetchingTakesTheOldestMatchingEventAndKeepsTheOrderOfTheRest) {
  EventQueue queue;
  Post(queue, kKeyDown, 'a');
  Post(queue, kMouseUp, 0);
  Post(queue, kKeyRepeat, 'a');
  Post(queue, kMouseDown, 0);
  Post(queue, kDisplayChanged, 0);

  EXPECT_EQ(queue.peek(event_mask::kMouseUp | event_mask::kMouseDown)->what, kMouseUp);
  EXPECT_EQ(queue.count(), 5);  // peek leaves it
  EXPECT_EQ(queue.take(event_mask::kMouseDown)->what, kMouseDown);
  // Repeats and display changes share a bit that the mouse-up mask does not have.
  EXPECT_EQ(queue.take(event_mask::kOther)->what, kKeyRepeat);
  EXPECT_EQ(queue.take(event_mask::kMouseUp)->what, kMouseUp);
  EXPECT_FALSE(queue.take(event_mask::kMouseUp));
  EXPECT_EQ(queue.take(event_mask::kEvery)->what, kKeyDown);
  EXPECT_EQ(queue.take(event_mask::kEvery)->what, kDisplayChanged);
  EXPECT_FALSE(queue.peek(event_mask::kEvery));
}

TEST(EventQueueTest, AnEventWithoutAPointKeepsThePointOfItsSlot) {
  EventQueue queue;
  queue.post(false, kMouseDown, 0, Point{20, 10}, event_modifier::kAlt);
  queue.flush();
  queue.post(false, kKeyDown, 'x', std::nullopt, 0);
  const auto event = queue.take(event_mask::kEvery);
  EXPECT_EQ(event->where.v + event->where.h, 20 + 10);
  EXPECT_EQ(event->modifiers, 0);
}

}  // namespace
}  // namespace lw

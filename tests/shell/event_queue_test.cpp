// The event queue: coalescing and fetching by mask in arrival order (its loss when full is
// tested through the pump, which beeps).
#include "shell/windows/event_queue.h"

#include <gtest/gtest.h>

#include "support/shell_printers.h"

namespace lw::test {
namespace {

using namespace event_kind;

// Posts without point or modifiers.
void Post(EventQueue& queue, std::uint16_t kind, std::uint32_t message, bool coalesce = false) {
  ASSERT_EQ(queue.post(coalesce, kind, message, std::nullopt, 0), EventQueue::PostResult::kQueued);
}

TEST(EventQueueTest, CoalescingRemovesOnlyLeadingDuplicatesOfTheSameMask) {
  EventQueue queue;
  Post(queue, kUpdate, 0);
  Post(queue, kKeyDown, 0);  // another mask: neither removed nor in the way
  Post(queue, kUpdate, 0);
  Post(queue, kUpdate, 0, true);
  EXPECT_EQ(Drain(queue), "3:0 6:0");
  // The oldest update names another window, so nothing behind it is removed.
  Post(queue, kUpdate, 1);
  Post(queue, kUpdate, 0);
  Post(queue, kUpdate, 0, true);
  EXPECT_EQ(Drain(queue), "6:1 6:0 6:0");
}

TEST(EventQueueTest, FetchingTakesTheOldestMatchingEventAndKeepsTheOrderOfTheRest) {
  EventQueue queue;
  for (const std::uint16_t kind : {kKeyDown, kMouseUp, kKeyRepeat, kMouseDown, kDisplayChanged})
    Post(queue, kind, kind == kMouseUp || kind == kMouseDown ? 0 : 'a');
  EXPECT_EQ(queue.peek(event_mask::kMouseUp | event_mask::kMouseDown)->what, kMouseUp);
  EXPECT_EQ(queue.count(), 5);  // peek leaves it
  EXPECT_EQ(queue.take(event_mask::kMouseDown)->what, kMouseDown);
  // Repeats and display changes share a bit that the mouse-up mask does not have.
  EXPECT_EQ(queue.take(event_mask::kOther)->what, kKeyRepeat);
  EXPECT_FALSE(queue.peek(event_mask::kKeyUp));
  EXPECT_EQ(Drain(queue), "3:97 2:0@0,0 42:97");
  // An event without a point keeps the point of its slot.
  queue.post(false, kMouseDown, 0, Point{20, 10}, event_modifier::kAlt);
  queue.flush();
  Post(queue, kMouseUp, 0);
  EXPECT_EQ(Drain(queue), "2:0@20,10");
}

}  // namespace
}  // namespace lw::test

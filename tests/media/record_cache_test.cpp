// The id index of a file's cached records must follow every entry that moves.
#include "media/record_cache.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

CachedRecord Entry(std::int32_t id) {
  CachedRecord entry;
  entry.id = id;
  return entry;
}

TEST(RecordCacheTest, FindFollowsEntriesMovedByRemoval) {
  RecordCache cache;
  for (std::int32_t id : {10, 20, 30, 40}) cache.add(Entry(id));
  cache.remove(*cache.find(20));  // 40 moves into the freed slot
  cache.remove(*cache.find(40));  // and is removed from there; 30 moves again
  ASSERT_EQ(cache.size(), 2u);
  EXPECT_FALSE(cache.find(20));
  EXPECT_FALSE(cache.find(40));
  for (std::int32_t id : {10, 30}) {
    ASSERT_TRUE(cache.find(id)) << id;
    EXPECT_EQ(cache[*cache.find(id)].id, id);
  }
  cache.remove(*cache.find(30));  // the last slot: nothing moves
  EXPECT_EQ(cache[*cache.find(10)].id, 10);
  cache.clear();
  EXPECT_FALSE(cache.find(10));
  EXPECT_EQ(cache.add(Entry(10)), 0u);
}

}  // namespace
}  // namespace lw

// Movie segment headers: one header written, checked at its documented byte offsets and read
// back whole; hostile headers refused or read without trust.
#include "media/movie_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Stored(const Bytes& b, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | b.at(at + i);
  return value;
}

// Frame 1's third hot spot is of no known kind: it is written, and it ends its list when read.
TEST(MovieFormatTest, AHeaderRoundTripsThroughItsDocumentedBytes) {
  // Every field in its member order: duration, transition kind and parameter, preload range,
  // end action and argument, flags, picture, sound, picture rectangle, movie, hot spots.
  const MovieFrame f{30,
                     12,
                     4,
                     5,
                     6,
                     4,
                     7,
                     kFrameTimed | kFrameLandable,
                     9,
                     -4,
                     {1, 2, 3, 7},
                     "NEXT.MOV",
                     {{-4, {0, 2, 0, 0}, 5, "SIDE.MOV"}, {9, {1, 2, 3, 4}, 0, ""}, {2, {}, 1, ""}}};
  // Sounds, themes, rectangle, shortest duration, origin (v, h), status frames, quit, next
  // segment, palette, playlist, loop, frames.
  MovieHeader header{3,   2,  {10, 20, 58, 640}, 6, {40, -5},         1, 0xFFFF, true,
                     900, {}, {2, 1, 2},         1, {MovieFrame{}, f}};
  header.palette[255] = {0xFFFF, 2, 3};

  const Bytes b = WriteMovieHeader(header);
  ASSERT_EQ(b.size(), 2402u + 48 + 14 + 16);
  // (offset, width, value): the fixed part, frame 0's defaults, frame 1 at 2322, its hot spots
  // at 2402 (a call of 48 bytes, the unknown kind's 14, a go to).
  // clang-format off
  const std::uint32_t table[][3] = {
      {24, 2, 2}, {26, 2, 3}, {28, 2, 2}, {30, 2, 10}, {32, 2, 20},
      {34, 2, 58}, {36, 2, 640}, {38, 4, 6}, {42, 2, 0xFFFB}, {44, 2, 40},
      {46, 2, 1}, {48, 2, 0xFFFF}, {50, 2, 1}, {52, 2, 3}, {54, 4, 900},
      {2102, 2, 255}, {2104, 2, 0xFFFF}, {2106, 2, 2}, {2108, 2, 3}, {2110, 2, 2},
      {2112, 2, 1}, {2114, 2, 2}, {2116, 2, 0}, {2238, 4, 1}, {2256, 4, 0xFFFFFFFF},
      {2264, 2, 1}, {2322, 2, 3}, {2324, 4, 30}, {2328, 2, 12}, {2330, 2, 4},
      {2332, 4, 5}, {2336, 4, 6}, {2344, 2, 4}, {2346, 2, 7}, {2348, 2, 48},
      {2350, 4, 9}, {2354, 4, 0xFFFFFFFC}, {2358, 4, 2402}, {2362, 2, 1}, {2364, 2, 2},
      {2366, 2, 3}, {2368, 2, 7}, {2370, 1, 8}, {2371, 1, 'N'}, {2402, 2, 0xFFFC},
      {2406, 2, 2}, {2416, 2, 5}, {2418, 1, 8}, {2419, 1, 'S'}, {2450, 2, 9},
      {2452, 2, 1}, {2458, 2, 4}, {2464, 2, 2}, {2478, 2, 1},
  };
  // clang-format on
  for (const auto& [at, width, value] : table)
    EXPECT_EQ(Stored(b, at, static_cast<int>(width)), value) << "at " << at;

  auto read = ReadMovieHeader(b);
  ASSERT_TRUE(read.ok()) << read.error();
  header.frames[1].hotSpots.pop_back();
  EXPECT_EQ(*read, header);
}

TEST(MovieFormatTest, HostileHeadersAreRefusedOrReadWithoutTrust) {
  MovieFrame frame;
  frame.hotSpots = {{3, {11, 0, 0, 0}, 0, ""}};
  MovieHeader header;
  header.frames = {frame};
  const Bytes one = WriteMovieHeader(header);  // 2322 bytes, then a play hot spot of 46
  const auto with = [&one](std::size_t size, std::size_t at, std::uint8_t value) {
    Bytes b = one;
    b.resize(size);
    b[at] = value;
    return b;
  };
  const std::pair<Bytes, std::string> cases[] = {
      {with(2241, 0, 0), "the movie header is 2241 bytes, shorter than its fixed part of 2242"},
      {with(2368, 24, 0), "the movie has 0 frames"},
      {with(2368, 24, 2), "the movie header is 2368 bytes, too short for its 2 frames"},
      {with(2368, 52, 65), "the theme playlist has 65 entries, more than 64"},
  };
  for (const auto& [bytes, error] : cases) EXPECT_EQ(ReadMovieHeader(bytes).error(), error);

  // 60000 hot spots in a list that runs off the record: the entry cut short reads its missing
  // bytes as 0, and the next, wholly past the end, has kind 0 and ends the list. Names are cut
  // to 31 characters.
  Bytes cut = with(2338, 2242, 0x60);
  cut[2243] = 0xEA;
  cut[2290] = 200;
  const auto read = ReadMovieHeader(cut);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ(read->frames[0].hotSpots,
            (std::vector<MovieHotSpot>{{3, {11, 0, 0, 0}, 0, ""}, {0, {}, 0, ""}}));
  EXPECT_EQ(read->frames[0].movie.size(), 31u);
}

}  // namespace
}  // namespace lw

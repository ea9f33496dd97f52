// Movie segment headers: the stored layout read field by field at its documented offsets, a hot
// spot of unknown kind, and hostile headers refused or read without trust.
#include "media/movie_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void PutName(Bytes& b, std::size_t at, const std::string& name) {
  b[at] = static_cast<std::uint8_t>(name.size());
  std::copy(name.begin(), name.end(), b.begin() + static_cast<std::ptrdiff_t>(at) + 1);
}

// A header of `frames` frames laid out by hand, room for hot spots behind the descriptors.
Bytes HandMadeHeader(int frames, std::size_t extra = 200) {
  Bytes b(2242 + 80 * static_cast<std::size_t>(frames) + extra, 0);
  Put(b, 24, static_cast<std::uint32_t>(frames), 2);
  return b;
}

TEST(MovieFormatTest, FieldsAtTheirOffsets) {
  Bytes b = HandMadeHeader(2);
  Put(b, 26, 3, 2);                               // sounds
  Put(b, 28, 2, 2);                               // theme parts
  Put(b, 30, 10, 2);                              // rect top
  Put(b, 36, 640, 2);                             // rect right
  Put(b, 38, 6, 4);                               // shortest duration
  Put(b, 42, static_cast<std::uint16_t>(-5), 2);  // origin x
  Put(b, 44, 40, 2);                              // origin y
  Put(b, 46, 1, 2);
  Put(b, 50, 1, 2);                     // quit while waiting
  Put(b, 52, 3, 2);                     // playlist length
  Put(b, 54, 900, 4);                   // next segment
  Put(b, 62 + 8 * 255 + 2, 0xFFFF, 2);  // colour 255's red
  Put(b, 2110, 2, 2);
  Put(b, 2112, 1, 2);
  Put(b, 2114, 2, 2);
  Put(b, 2116, 7, 2);  // behind the playlist's length: not read
  Put(b, 2238, 1, 4);
  const std::size_t second = 2242 + 80;
  Put(b, second + 0, 2, 2);  // two hot spots
  Put(b, second + 2, 30, 4);
  Put(b, second + 6, 12, 2);
  Put(b, second + 26, kFrameTimed | kFrameLandable, 2);
  Put(b, second + 28, 9, 4);
  Put(b, second + 32, static_cast<std::uint32_t>(-4), 4);
  Put(b, second + 36, 2242 + 160, 4);
  Put(b, second + 40, 1, 2);
  Put(b, second + 46, 7, 2);
  PutName(b, second + 48, "NEXT.MOV");
  const std::size_t spots = 2242 + 160;
  Put(b, spots, static_cast<std::uint16_t>(-4), 2);  // call, on release
  Put(b, spots + 4, 2, 2);
  Put(b, spots + 14, 5, 2);
  PutName(b, spots + 16, "SIDE.MOV");
  Put(b, spots + 48, 2, 2);  // go to
  Put(b, spots + 62, 1, 2);

  const auto header = ReadMovieHeader(b);
  ASSERT_TRUE(header.ok()) << header.error();
  EXPECT_EQ((std::vector<int>{header->soundCount, header->themeCount, header->rect.top,
                              header->rect.right, header->shortestDuration, header->origin.h,
                              header->origin.v, header->statusFrame1, header->quitWhileWaiting,
                              static_cast<int>(header->nextSegment), header->palette[255].red,
                              static_cast<int>(header->playlistLoop)}),
            (std::vector<int>{3, 2, 10, 640, 6, -5, 40, 1, 1, 900, 0xFFFF, 1}));
  EXPECT_EQ(header->playlist, (std::vector<std::uint16_t>{2, 1, 2}));
  ASSERT_EQ(header->frames.size(), 2u);
  const MovieFrame& f = header->frames[1];
  EXPECT_EQ((std::vector<int>{f.duration, f.transitionKind, f.has(kFrameTimed),
                              f.has(kFrameWaitsForSound), static_cast<int>(f.picture), f.sound,
                              f.pictureRect.top, f.pictureRect.right}),
            (std::vector<int>{30, 12, 1, 0, 9, -4, 1, 7}));
  EXPECT_EQ(f.movie, "NEXT.MOV");
  EXPECT_EQ(f.hotSpots,
            (std::vector<MovieHotSpot>{{-4, {0, 2, 0, 0}, 5, "SIDE.MOV"}, {2, {}, 1, ""}}));
  EXPECT_TRUE(header->frames[0].hotSpots.empty());
}

// The movie build test reads back every value the writer stores; here a hot spot kind of no known
// length, which ends the list it is in when read back.
TEST(MovieFormatTest, AHotSpotOfUnknownKindEndsItsListWhenReadBack) {
  MovieHeader header;
  header.rect = {0, 0, 480, 640};
  header.playlist = {1, 1};
  MovieFrame frame;
  frame.hotSpots = {{-2, {1, 2, 3, 4}, 7, ""}, {9, {1, 2, 3, 4}, 0, ""}, {1, {5, 6, 7, 8}, 0, ""}};
  header.frames = {frame, frame};
  auto read = ReadMovieHeader(WriteMovieHeader(header));
  ASSERT_TRUE(read.ok()) << read.error();
  for (MovieFrame& f : header.frames) f.hotSpots.pop_back();
  EXPECT_EQ(*read, header);
}

TEST(MovieFormatTest, HostileHeaders) {
  EXPECT_EQ(ReadMovieHeader(Bytes(2241, 0)).error(),
            "the movie header is 2241 bytes, shorter than its fixed part of 2242");
  EXPECT_EQ(ReadMovieHeader(HandMadeHeader(0)).error(), "the movie has 0 frames");
  Bytes tooMany = HandMadeHeader(3, 0);
  Put(tooMany, 24, 4, 2);
  EXPECT_EQ(ReadMovieHeader(tooMany).error(),
            "the movie header is 2482 bytes, too short for its 4 frames");
  Bytes longList = HandMadeHeader(1);
  Put(longList, 52, 65, 2);
  EXPECT_EQ(ReadMovieHeader(longList).error(), "the theme playlist has 65 entries, more than 64");

  // A list that runs off the record: the entry cut short reads its missing bytes as 0, and the
  // next, wholly past the end, has kind 0 and ends the list. Names are cut to 31 characters.
  Bytes cut = HandMadeHeader(1, 20);
  Put(cut, 2242, 60000, 2);
  Put(cut, 2242 + 36, 2242 + 80 + 4, 4);
  Put(cut, 2242 + 80 + 4, 3, 2);
  Put(cut, 2242 + 80 + 4 + 2, 11, 2);
  cut[2242 + 48] = 200;
  const auto read = ReadMovieHeader(cut);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ(read->frames[0].hotSpots,
            (std::vector<MovieHotSpot>{{3, {11, 0, 0, 0}, 0, ""}, {0, {}, 0, ""}}));
  EXPECT_EQ(read->frames[0].movie.size(), 31u);
}

}  // namespace
}  // namespace lw

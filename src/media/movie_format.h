// Movie files (.MOV): star files whose records make one or more segments. A segment starting at
// base record B has its header at B, its S sounds at B+1..B+S and its T theme parts at
// B+S+1..B+S+T; frames name their pictures, on-demand sounds and preload ranges relative to B.
//
// Segment header record (little-endian; rectangles are i16 top, left, bottom, right):
//   OFFSET  SIZE      DESCRIPTION
//   0       24        not read
//   24      i16       frame count F, 1 or more
//   26      u16       sound count S
//   28      u16       theme part count T
//   30      rect      movie rectangle: its width and height size the frame buffer
//   38      i32       shortest frame duration, in ticks (60 a second)
//   42      i16       window x at which movie x = 0 shows (subtracted from clicks)
//   44      i16       window y at which movie y = 0 shows
//   46      u16       the frame whose showing sets bit 1 of the movie status word
//   48      u16       the frame whose showing sets bit 2
//   50      u16       not 0: a quit key stops the movie while a frame waits for a click
//   52      u16       theme playlist length P, 0..64
//   54      u32       base record of the next segment (0: none)
//   58      4         not read
//   62      256 x 8   palette, colour 0 first: u16 index (not read), u16 red, green, blue
//   2110    64 x u16  theme playlist: P theme part numbers, 1-based
//   2238    u32       playlist loop index: the 0-based position that follows the last entry
//   2242    F x 80    frame descriptors
//   behind  ...       hot spot lists, found through the descriptors
//
// Frame descriptor (80 bytes):
//   0   u16   hot spot count          22  i16   end action, 1..5 (MovieAction)
//   2   i32   duration in ticks       24  i16   end action argument (a frame)
//   6   u16   transition kind 0..18   26  u16   flags (MovieFrameFlag)
//   8   u16   transition parameter    28  u32   picture record (relative to B)
//   10  i32   first preload record    32  i32   sound: 0 none, k > 0 sound k, k < 0 record B-k
//   14  i32   last preload record     36  u32   offset of the hot spot list in the header
//   18  4     not read                40  rect  picture rectangle; empty: palette only
//                                     48  32    movie name: a length byte (0..31), characters
//
// Hot spot: i16 kind (MovieAction; negative: fires on a release inside), rect, 4 bytes not
// read, then by kind:
//   KIND  LENGTH  FIELDS BEHIND THE RECTANGLE
//   1     14      none (stop)
//   2     16      14: i16 frame (go to)
//   3     46      14: movie name, 32 bytes (play)
//   4     48      14: i16 return frame, 16: movie name, 32 bytes (call)
//   5     14      none (return)
// Lists are read without trust: an entry is read at most 48 bytes long and never past the end
// of the header record (missing bytes count as 0), and an entry whose kind is none of these
// ends the list, since its length is unknown; clicked, it stops the movie.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"
#include "common/geometry.h"
#include "shell/drawing/colour_table.h"

namespace lw {

inline constexpr char kMovieFileType[] = "MOOV";
inline constexpr std::size_t kMovieFramesOffset = 2242;
inline constexpr std::size_t kMovieFrameBytes = 80;
inline constexpr std::size_t kMaxMoviePlaylist = 64;
inline constexpr std::size_t kMovieNameBytes = 32;  // a length byte and up to 31 characters

// Hot spot kinds and end actions.
enum class MovieAction : std::int16_t { kStop = 1, kGoTo = 2, kPlay = 3, kCall = 4, kReturn = 5 };

enum MovieFrameFlag : std::uint16_t {
  kFrameWaitsForSound = 1,      // after the frame, wait until its sound has finished
  kFramePreloads = 2,           // get and release the preload range
  kFrameNeedsPendingClick = 4,  // hot spots count only for a click already made; a miss returns
  kFramePreloadsAfter = 8,      // preload after drawing rather than before
  kFrameTimed = 16,             // does not wait for the user; may be dropped when late
  kFrameLandable = 32,          // a late player may land here after skipped frames
};

struct MovieHotSpot {
  std::int16_t kind = 0;  // as stored: negative fires on a release inside
  Rect rect;
  std::int16_t frame = 0;  // kinds 2 and 4
  std::string movie;       // kinds 3 and 4

  bool operator==(const MovieHotSpot&) const = default;
};

struct MovieFrame {
  std::int32_t duration = 0;
  std::uint16_t transitionKind = 0;
  std::uint16_t transitionParameter = 0;
  std::int32_t preloadFirst = 0;
  std::int32_t preloadLast = -1;
  std::int16_t endAction = static_cast<std::int16_t>(MovieAction::kStop);
  std::int16_t endArgument = 0;
  std::uint16_t flags = 0;
  std::uint32_t picture = 0;
  std::int32_t sound = 0;
  Rect pictureRect;
  std::string movie;
  std::vector<MovieHotSpot> hotSpots;

  [[nodiscard]] bool has(MovieFrameFlag flag) const { return (flags & flag) != 0; }
  bool operator==(const MovieFrame&) const = default;
};

struct MovieHeader {
  std::uint16_t soundCount = 0;
  std::uint16_t themeCount = 0;
  Rect rect;
  std::int32_t shortestDuration = 0;
  Point origin;  // h: the window x of movie x = 0, v: the window y of movie y = 0
  std::uint16_t statusFrame1 = 0;
  std::uint16_t statusFrame2 = 0;
  bool quitWhileWaiting = false;
  std::uint32_t nextSegment = 0;
  std::array<Rgb16, kPaletteEntries> palette{};  // entry i is colour i
  std::vector<std::uint16_t> playlist;           // 1-based theme part numbers, at most 64
  std::uint32_t playlistLoop = 0;
  std::vector<MovieFrame> frames;

  bool operator==(const MovieHeader&) const = default;
};

// Reads a segment header with its frames and their hot spot lists. A record shorter than its
// fixed part or its frames, a frame count below 1 and a playlist longer than 64 are refused with
// their reason; hot spot lists never fail (see above).
[[nodiscard]] Expected<MovieHeader, std::string> ReadMovieHeader(
    std::span<const std::uint8_t> record);

// The stored form, for the tools that make movies: the descriptors, then each frame's hot spot
// list. Names past 31 characters, playlists past 64 entries and counts past their fields are
// the caller's fault and are cut.
[[nodiscard]] std::vector<std::uint8_t> WriteMovieHeader(const MovieHeader& header);

}  // namespace lw

// Movie files written by hand for the movie player's tests, and a title run that traces what a
// movie shows: every present as its rectangle, with what the theme channel plays then.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "media/movie_format.h"
#include "stage_title.h"

namespace lw::testing {

// One segment: its header (counts, picture record numbers and the next segment are filled in),
// its sounds and theme parts (sound records), and one key-frame colour per frame picture.
struct MovieSegment {
  MovieHeader header;
  std::vector<test::Bytes> sounds;
  std::vector<test::Bytes> themes;
};

// A frame of `duration` ticks showing `rect` in colour `colour` by a plain reveal; colour 0 and
// an empty rectangle make a palette-only frame. It stops, unless flags or an end action say more.
MovieFrame ColourFrame(const Rect& rect, std::uint8_t colour, std::uint16_t flags = 0,
                       std::int32_t duration = 2);

// A header for a movie 64 wide and 48 high shown at window point (0, 0), with a grey ramp
// palette (colour i is i x 257 in every component) and `frames`.
MovieHeader MovieOf(std::vector<MovieFrame> frames);

class MovieTitleTest : public StageTitleTest {
 protected:
  // Writes `segments` as movie file `name` in the title folder. A frame's `picture` is taken as
  // the colour of a key frame of its picture rectangle, written behind the segment's sounds and
  // themes; 0 gives no picture. `damage` may change the records before they are written.
  void WriteMovie(std::string_view name, std::vector<MovieSegment> segments,
                  const std::function<void(std::vector<test::Bytes>&)>& damage = {});
  void WriteMovie(std::string_view name, const MovieHeader& header) {
    WriteMovie(name, {MovieSegment{header, {}, {}}});
  }

  // Boots the title with `input` and plays `name` through playmovie; the presents the movie
  // made, one "top,left,bottom,right" each (with " theme=ID" when channel 3 plays a record),
  // joined by spaces, then " | " and the boxes shown.
  std::string Play(std::string_view name, std::string_view input = "");

  // The colour index that the window shows at (h, v).
  [[nodiscard]] int Shown(int h, int v);
};

}  // namespace lw::testing

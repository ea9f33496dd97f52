// What a playing movie does next: the step an end action or a clicked hot spot makes, the hot
// spot under a click, the key commands, and the stack of movies that called others.
//
//   ACTION   END ACTION (frames without hot spots)      HOT SPOT
//   1 stop   stop                                       stop
//   2 go to  the argument frame, clamped to 0..F-1;     the spot's frame, clamped; the current
//            stop when it is the current frame          frame does not branch: the next spots
//                                                       are tested with the same click
//   3 play   the descriptor's movie from frame 0        the spot's movie from frame 0
//   4 call   the descriptor's movie, returning to the   the spot's movie, returning to the
//            argument frame                             spot's frame
//   5 return back to the calling movie                  back to the calling movie
//   other    stop                                       stop
// A call with five movies already waiting stops instead, and so does a return with none.
//
// Key commands come on key-downs with the control modifier: ".", "Q" or "q" quit; "0" to "9"
// set the sound level; "T" or "t" turn the theme off when it plays and on (from its first part)
// when it does not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/movie_format.h"
#include "shell/windows/event_record.h"

namespace lw {

enum class MovieMove : std::uint8_t {
  kGoTo,      // on at `frame` in this movie
  kNoBranch,  // a hot spot to the frame shown: test the next spots with the same click
  kStop,
  kPlay,    // `movie` from frame 0
  kCall,    // `movie` from frame 0, coming back to `frame` of this one
  kReturn,  // back to the calling movie
};

struct MovieStep {
  MovieMove move = MovieMove::kStop;
  std::size_t frame = 0;
  std::string movie;

  bool operator==(const MovieStep&) const = default;
};

// The step of `frame`'s end action, `frame` being the current one of `frameCount`.
[[nodiscard]] MovieStep EndActionStep(const MovieFrame& frame, std::size_t current,
                                      std::size_t frameCount);
// The step of a clicked hot spot.
[[nodiscard]] MovieStep HotSpotStep(const MovieHotSpot& spot, std::size_t current,
                                    std::size_t frameCount);

// The index of the first of `spots`, from `from` on, whose rectangle holds `point` (movie
// coordinates).
[[nodiscard]] std::optional<std::size_t> HotSpotAt(const std::vector<MovieHotSpot>& spots,
                                                   Point point, std::size_t from = 0);

enum class MovieKey : std::uint8_t { kNone, kQuit, kLevel, kTheme };
struct MovieKeyCommand {
  MovieKey key = MovieKey::kNone;
  int level = 0;  // kLevel's 0..9
};
[[nodiscard]] MovieKeyCommand KeyCommandOf(const EventRecord& event);

// The movies that called others, each with the frame to resume at, at most five.
class MovieStack {
 public:
  static constexpr std::size_t kDepth = 5;
  struct Entry {
    std::string movie;
    std::size_t frame = 0;
  };
  // False, saving nothing, when five are saved already.
  bool Push(std::string movie, std::size_t frame);
  std::optional<Entry> Pop();

 private:
  std::vector<Entry> entries_;
};

}  // namespace lw

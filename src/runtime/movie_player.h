// The movie player: plays a movie file (media/movie_format.h) in the main window, frame by
// frame, with its sounds, its theme and its hot spots, and returns when the movie has ended,
// has been stopped, or has branched into movies that ended.
//
// PlayMovie(name):
//   1. The arrow cursor; the theme on; start frame 0; no movie waiting on the stack.
//   2. (Re)start: locate the file (the locator's code is returned at once when it fails) and
//      open it (fatal 2400). The first segment's base is record 0.
//   3. Segment: its header (fatal 2401; a header that does not read is 2401 with code 111),
//      its sounds loaded as "Movie Sound"; on the first segment, or one with theme parts, the
//      old theme stopped and freed and the new one loaded as "Movie Theme" and played from the
//      playlist (numbers outside 1..T skipped) when the theme is on.
//   4. A frame buffer of the movie rectangle's size (rows 4-byte aligned; fatal 2402 when it
//      cannot be had). Frame pictures decode into it at their picture rectangle's corner less
//      the movie rectangle's.
//   5. The movie palette made pending (installed just before the first picture shows); queued
//      input discarded.
//   6. Frames from the start frame (MovieClock, movie_schedule.h): preload before or after
//      drawing (2408..2410), the frame sound, the picture shown by its transition (2406, 2407),
//      then what the frame does next (movie_actions.h): its end action, or a wait for a click on
//      its hot spots. Quit keys and the key commands are handled in every wait.
//   7. The segment ends: files flushed (2403), sounds stopped and freed, the header released
//      (2404); the next segment follows only when the last frame was reached and no restart
//      is pending.
//   8. The movie ends: the theme stopped and freed, the file closed (2405); a pending restart
//      (play, call, return) goes back to step 2.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/geometry.h"
#include "media/frame_transitions.h"
#include "media/movie_format.h"
#include "media/sound_channels.h"
#include "media/star_library.h"
#include "runtime/file_locator.h"
#include "runtime/movie_actions.h"
#include "shell/drawing/palette_state.h"
#include "shell/drawing/screen.h"
#include "shell/drawing/surface.h"
#include "shell/error_report.h"
#include "shell/sound/sound_output.h"
#include "shell/windows/window_system.h"

namespace lw {

// Shows a frame by its transition (Runtime::ShowMovieFrame); false when the window is closing.
using ShowMovieFrameFn =
    std::function<bool(const Surface& picture, const Rect& movie, Point origin,
                       const FrameTransition& transition, TransitionPalette& palette)>;

// What the player works with, lent by the runtime (or by the movie player program).
struct MovieServices {
  WindowSystem& windows;
  StarLibrary& library;
  ErrorReporter& errors;
  FileLocator& locator;
  SoundChannels& channels;
  SoundOutput& sound;  // the level keys
  PaletteState& palettes;
  Screen& screen;  // a held hot spot shows inverted on its canvas
  ShowMovieFrameFn show;
  std::uint16_t& status;  // the movie status word: bits 1 and 2
};

class MoviePlayer {
 public:
  explicit MoviePlayer(MovieServices services);

  // Plays `name` in `window` to its end; None, or the file search's error when the movie is not
  // found.
  ScriptError PlayMovie(std::string_view name, const RuntimeWindow& window);

 private:
  // Where a file's play goes on: nowhere, or another movie from a frame.
  struct NextMovie {
    std::string name;
    std::size_t frame = 0;
  };
  // What a segment's frame loop came to.
  enum class LoopEnd : std::uint8_t { kLastFrame, kStopped, kRestart, kFatal };

  // Plays `file` from `frame`, segment after segment; the movie to go on with, if any.
  std::optional<NextMovie> PlayFile(StarFile& file, std::string_view name, std::size_t frame,
                                    const RuntimeWindow& window);
  // Loads a segment's theme and starts it when the theme is on; false after a fatal report.
  bool LoadTheme(StarFile& file, std::uint32_t base, const MovieHeader& header);
  void FreeTheme();
  // The frame loop of one segment.
  LoopEnd PlayFrames(StarFile& file, std::uint32_t base, const MovieHeader& header,
                     std::string_view name, std::size_t frame, const RuntimeWindow& window);
  // Gets and releases the frame's preload range; false after a fatal report.
  bool Preload(StarFile& file, std::uint32_t base, const MovieFrame& frame);
  // Starts the frame's sound: a segment sound, or a record loaded on demand.
  void StartFrameSound(StarFile& file, std::uint32_t base, const MovieFrame& frame);
  // Decodes the frame's picture into `buffer`; false after a fatal report.
  bool DecodePicture(StarFile& file, std::uint32_t base, const MovieHeader& header,
                     const MovieFrame& frame, Surface& buffer);
  // Waits until the tick count reaches `tick`, handling the key commands; false when the
  // window is closing.
  bool WaitForTick(std::int64_t tick);
  // Handles one key-down's command; true for a quit key.
  bool HandleKey(const EventRecord& event);
  // What the shown frame leads to: its end action, the hot spot clicked, or a stop.
  MovieStep Interact(const MovieHeader& header, std::size_t frame, const RuntimeWindow& window);
  // Waits for a click on the frame's hot spots from `first` on; nullopt when a quit key or the
  // window's closing ended the wait.
  std::optional<MovieStep> WaitForHotSpot(const MovieHeader& header, std::size_t frame,
                                          const RuntimeWindow& window);
  // Follows a hot spot of negative kind while the button is held, inverted while the pointer is
  // inside: true when it is released inside, at least 10 ticks after the press.
  bool ReleasedInside(const MovieHotSpot& spot, const MovieHeader& header,
                      const RuntimeWindow& window);
  // Inverts the hot spot's rectangle on the screen and shows it.
  void InvertSpot(const MovieHotSpot& spot, const MovieHeader& header, const RuntimeWindow& window);
  // Reports a fatal site.
  void Fatal(ProgramCode code, std::int16_t site);

  MovieServices s_;
  bool themeOn_ = true;
  MovieStack stack_;
  std::vector<SoundItem> sounds_;  // the segment's, record base + 1 + index
  std::vector<SoundItem> theme_;   // the theme parts, record base + S + 1 + index
  Playlist playlist_;
  bool themeLoaded_ = false;
  SoundItem onDemand_;  // a frame sound loaded when its frame shows
  std::optional<NextMovie> restart_;
};

}  // namespace lw

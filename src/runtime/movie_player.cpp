#include "runtime/movie_player.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "media/frame_codec.h"
#include "runtime/movie_schedule.h"
#include "shell/drawing/rect_ops.h"
#include "shell/program_code.h"

namespace lw {
namespace {

namespace site {
constexpr std::int16_t kOpen = 2400;
constexpr std::int16_t kHeader = 2401;
constexpr std::int16_t kFrameBuffer = 2402;
constexpr std::int16_t kFlush = 2403;
constexpr std::int16_t kReleaseHeader = 2404;
constexpr std::int16_t kClose = 2405;
constexpr std::int16_t kGetPicture = 2406;
constexpr std::int16_t kReleasePicture = 2407;
constexpr std::int16_t kEmptyPreload = 2408;
constexpr std::int16_t kGetPreload = 2409;
constexpr std::int16_t kReleasePreload = 2410;
}  // namespace site

// Frame buffers larger than the screen's are refused: no movie needs more.
constexpr std::int64_t kMaxFrameBufferBytes = std::int64_t{1} << 22;

// One file from its open to its close: the movie's name, and where to start.
struct MovieStart {
  std::string name;
  std::size_t frame = 0;
};

}  // namespace

MoviePlayer::MoviePlayer(MovieServices services) : s_(std::move(services)) {}

int MoviePlayer::PlayMovie(std::string_view name, const RuntimeWindow& window) {
  s_.windows.SetArrowCursor();
  themeOn_ = true;
  stack_ = MovieStack{};
  std::optional<MovieStart> next = MovieStart{std::string(name), 0};
  while (next) {
    std::string path;
    if (const ScriptError found = s_.locator.LocateFile(next->name, path);
        found != ScriptError::None) {
      return static_cast<int>(found);
    }
    StarFile* file = nullptr;
    if (Failed(s_.library.StarOpen(path, file))) {
      s_.errors.ReportError(CodeNumber(ProgramCode::kFile), site::kOpen);
      return 0;
    }
    // Segments, then the close; a play, call or return names the next start.
    next = PlayFile(*file, *next, window);
    if (Failed(s_.library.StarClose(*file))) {
      s_.errors.ReportError(CodeNumber(ProgramCode::kFile), site::kClose);
      return 0;
    }
  }
  return 0;
}

}  // namespace lw

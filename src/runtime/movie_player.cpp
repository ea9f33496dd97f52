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

}  // namespace

MoviePlayer::MoviePlayer(MovieServices services) : s_(std::move(services)) {}

void MoviePlayer::Fatal(ProgramCode code, std::int16_t site) {
  s_.errors.ReportError(CodeNumber(code), site);
}

int MoviePlayer::PlayMovie(std::string_view name, const RuntimeWindow& window) {
  s_.windows.SetArrowCursor();
  themeOn_ = true;
  stack_ = MovieStack{};
  std::optional<NextMovie> next = NextMovie{std::string(name), 0};
  while (next) {
    std::string path;
    if (const ScriptError found = s_.locator.LocateFile(next->name, path);
        found != ScriptError::None) {
      return static_cast<int>(found);
    }
    StarFile* file = nullptr;
    if (Failed(s_.library.StarOpen(path, file))) {
      Fatal(ProgramCode::kFile, site::kOpen);
      return 0;
    }
    next = PlayFile(*file, next->name, next->frame, window);
    FreeTheme();
    if (Failed(s_.library.StarClose(*file))) {
      Fatal(ProgramCode::kFile, site::kClose);
      return 0;
    }
  }
  return 0;
}

std::optional<MoviePlayer::NextMovie> MoviePlayer::PlayFile(StarFile& file, std::string_view name,
                                                            std::size_t frame,
                                                            const RuntimeWindow& window) {
  restart_.reset();
  std::uint32_t base = 0;
  bool first = true;
  for (;;) {
    RecordBlock* record = nullptr;
    if (Failed(s_.library.StarGetResource(file, static_cast<std::int32_t>(base), record))) {
      Fatal(ProgramCode::kUndefined, site::kHeader);
      return std::nullopt;
    }
    auto header = ReadMovieHeader(*record);
    if (!header.ok()) {
      Fatal(ProgramCode::kBadFileType, site::kHeader);
      static_cast<void>(s_.library.StarReleaseResource(file, static_cast<std::int32_t>(base)));
      return std::nullopt;
    }
    bool loaded = true;
    sounds_.assign(header->soundCount, SoundItem{});
    for (std::size_t i = 0; i < sounds_.size() && loaded; ++i) {
      loaded = s_.channels.LoadSound(file, static_cast<std::int32_t>(base + 1 + i), "Movie Sound",
                                     sounds_[i]);
    }
    if (loaded && (first || header->themeCount != 0)) loaded = LoadTheme(file, base, *header);
    const LoopEnd end = loaded ? PlayFrames(file, base, *header, frame, window) : LoopEnd::kFatal;

    if (Failed(s_.library.StarFlushAll())) Fatal(ProgramCode::kFile, site::kFlush);
    s_.channels.Stop(false, false, false, true);
    for (SoundItem& item : sounds_) s_.channels.ReleaseSound(item);
    sounds_.clear();
    s_.channels.ReleaseSound(onDemand_);
    if (Failed(s_.library.StarReleaseResource(file, static_cast<std::int32_t>(base)))) {
      Fatal(ProgramCode::kHandleCache, site::kReleaseHeader);
    }
    s_.windows.FlushEvents();
    if (end != LoopEnd::kLastFrame || header->nextSegment == 0) break;
    base = header->nextSegment;
    frame = 0;
    first = false;
  }
  static_cast<void>(name);
  return restart_;
}

bool MoviePlayer::LoadTheme(StarFile& file, std::uint32_t base, const MovieHeader& header) {
  FreeTheme();
  theme_.assign(header.themeCount, SoundItem{});
  for (std::size_t i = 0; i < theme_.size(); ++i) {
    const auto id = static_cast<std::int32_t>(base + 1 + header.soundCount + i);
    if (!s_.channels.LoadSound(file, id, "Movie Theme", theme_[i])) return false;
  }
  themeLoaded_ = true;
  playlist_ = Playlist{};
  // Numbers outside 1..T name no part and are left out.
  for (const std::uint16_t part : header.playlist) {
    if (part >= 1 && part <= theme_.size()) playlist_.items.push_back(theme_[part - 1]);
  }
  playlist_.loopEntry = header.playlistLoop;
  if (themeOn_ && !theme_.empty() && !playlist_.items.empty()) s_.channels.PlayPlaylist(playlist_);
  return true;
}

void MoviePlayer::FreeTheme() {
  if (!themeLoaded_) return;
  s_.channels.Stop(false, false, true, false);
  for (SoundItem& item : theme_) s_.channels.ReleaseSound(item);
  theme_.clear();
  playlist_ = Playlist{};
  themeLoaded_ = false;
}

}  // namespace lw

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

ScriptError MoviePlayer::PlayMovie(std::string_view name, const RuntimeWindow& window) {
  s_.windows.SetArrowCursor();
  themeOn_ = true;
  stack_ = MovieStack{};
  std::optional<NextMovie> next = NextMovie{std::string(name), 0};
  while (next) {
    std::string path;
    if (const ScriptError found = s_.locator.LocateFile(next->name, path);
        found != ScriptError::None) {
      return found;
    }
    StarFile* file = nullptr;
    if (Failed(s_.library.StarOpen(path, file))) {
      Fatal(ProgramCode::kFile, site::kOpen);
      return ScriptError::None;
    }
    next = PlayFile(*file, next->name, next->frame, window);
    FreeTheme();
    if (Failed(s_.library.StarClose(*file))) {
      Fatal(ProgramCode::kFile, site::kClose);
      return ScriptError::None;
    }
  }
  return ScriptError::None;
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
    const LoopEnd end =
        loaded ? PlayFrames(file, base, *header, name, frame, window) : LoopEnd::kFatal;

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
    // Segments follow each other in the file; one that leads back would play forever.
    if (header->nextSegment <= base) {
      Fatal(ProgramCode::kBadFileType, site::kHeader);
      break;
    }
    base = header->nextSegment;
    frame = 0;
    first = false;
  }
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
  // Numbers outside 1..T name no part and are left out; the loop entry moves with the entries
  // kept (a loop entry past them is the channels' fault 2708).
  std::size_t loopEntry = header.playlist.size();
  for (std::size_t i = 0; i < header.playlist.size(); ++i) {
    if (i == header.playlistLoop) loopEntry = playlist_.items.size();
    const std::uint16_t part = header.playlist[i];
    if (part >= 1 && part <= theme_.size()) playlist_.items.push_back(theme_[part - 1]);
  }
  playlist_.loopEntry = loopEntry;
  if (themeOn_ && !theme_.empty() && !playlist_.items.empty()) s_.channels.PlayPlaylist(playlist_);
  return true;
}

MoviePlayer::LoopEnd MoviePlayer::PlayFrames(StarFile& file, std::uint32_t base,
                                             const MovieHeader& header, std::string_view name,
                                             std::size_t frame, const RuntimeWindow& window) {
  const int width = header.rect.width();
  const int height = header.rect.height();
  const int stride = (width + 3) / 4 * 4;
  if (width <= 0 || height <= 0 || std::int64_t{stride} * height > kMaxFrameBufferBytes) {
    Fatal(ProgramCode::kMemory, site::kFrameBuffer);
    return LoopEnd::kFatal;
  }
  Surface buffer(width, height, stride);
  const ColourTable colours{0, 0, header.palette};
  TransitionPalette palette{s_.palettes, colours, true};
  s_.windows.FlushEvents();
  // Movie point (x, y) shows at the window point origin + (x, y); the buffer starts at the
  // movie rectangle's corner.
  const Point origin{
      static_cast<std::int16_t>(window.bounds.top + header.origin.v + header.rect.top),
      static_cast<std::int16_t>(window.bounds.left + header.origin.h + header.rect.left)};
  const Rect whole{0, 0, static_cast<std::int16_t>(height), static_cast<std::int16_t>(width)};
  MovieClock clock;
  frame = std::min(frame, header.frames.size() - 1);
  for (;;) {
    if (!WaitForTick(clock.next)) return LoopEnd::kStopped;
    const ScheduledFrame scheduled = ScheduleFrame(header, frame, s_.windows.TickCount(), clock);
    if (scheduled.endOfMovie) return LoopEnd::kLastFrame;
    frame = scheduled.frame;
    const MovieFrame& shown = header.frames[frame];
    const bool preloads = shown.has(kFramePreloads);
    if (preloads && !shown.has(kFramePreloadsAfter) && !Preload(file, base, shown)) {
      return LoopEnd::kFatal;
    }
    StartFrameSound(file, base, shown);
    Rect picture = scheduled.picture;
    OffsetRect(picture, -header.rect.left, -header.rect.top);
    if (!shown.pictureRect.empty() && !DecodePicture(file, base, header, shown, buffer)) {
      return LoopEnd::kFatal;
    }
    const FrameTransition transition{
        shown.transitionKind, shown.transitionParameter, picture,
        static_cast<int>(std::max<std::int64_t>(1, FrameTicks(header, frame)))};
    if (!s_.show(buffer, whole, origin, transition, palette)) return LoopEnd::kStopped;
    if (preloads && shown.has(kFramePreloadsAfter) && !Preload(file, base, shown)) {
      return LoopEnd::kFatal;
    }
    const MovieStep step = Interact(header, frame, window);
    switch (step.move) {
      case MovieMove::kGoTo:
      case MovieMove::kNoBranch: break;
      case MovieMove::kStop:
        // Stopped on the last frame, the movie goes on with its next segment.
        s_.channels.Stop(false, false, false, true);
        restart_.reset();
        return frame + 1 == header.frames.size() ? LoopEnd::kLastFrame : LoopEnd::kStopped;
      case MovieMove::kPlay: restart_ = NextMovie{step.movie, 0}; return LoopEnd::kRestart;
      case MovieMove::kCall:
        if (!stack_.Push(std::string(name), step.frame)) {
          restart_.reset();
          return LoopEnd::kStopped;
        }
        restart_ = NextMovie{step.movie, 0};
        return LoopEnd::kRestart;
      case MovieMove::kReturn: {
        std::optional<MovieStack::Entry> back = stack_.Pop();
        if (!back) {
          restart_.reset();
          return LoopEnd::kStopped;
        }
        restart_ = NextMovie{back->movie, back->frame};
        return LoopEnd::kRestart;
      }
    }
    if (shown.has(kFrameWaitsForSound)) s_.channels.WaitVoiceDone();
    // A timed last frame ends the segment; a frame that goes on to another sets its mark.
    if (step.frame >= header.frames.size()) return LoopEnd::kLastFrame;
    if (frame == header.statusFrame1) s_.status |= 1;
    if (frame == header.statusFrame2) s_.status |= 2;
    frame = step.frame;
  }
}

MovieStep MoviePlayer::Interact(const MovieHeader& header, std::size_t frame,
                                const RuntimeWindow& window) {
  while (const std::optional<EventRecord> key = s_.windows.NextEvent(event_mask::kKeyDown)) {
    if (HandleKey(*key)) return {};
  }
  const MovieFrame& shown = header.frames[frame];
  // A timed frame goes on to the next; past the last one the segment has ended.
  if (shown.has(kFrameTimed)) return {MovieMove::kGoTo, frame + 1, ""};
  // Flag 4 looks at the hot spots only when a click is already waiting.
  const bool clickPending = s_.windows.PeekEvent(event_mask::kMouseDown).has_value();
  if (shown.hotSpots.empty() || (shown.has(kFrameNeedsPendingClick) && !clickPending)) {
    return EndActionStep(shown, frame, header.frames.size());
  }
  std::optional<MovieStep> step = WaitForHotSpot(header, frame, window);
  return step ? *step : MovieStep{};
}

std::optional<MovieStep> MoviePlayer::WaitForHotSpot(const MovieHeader& header, std::size_t frame,
                                                     const RuntimeWindow& window) {
  const MovieFrame& shown = header.frames[frame];
  for (;;) {
    static_cast<void>(s_.library.StarFlushAll());
    while (const std::optional<EventRecord> key = s_.windows.NextEvent(event_mask::kKeyDown)) {
      // A quit key the header does not allow here is ignored.
      if (HandleKey(*key) && header.quitWhileWaiting) return std::nullopt;
    }
    if (s_.windows.quitRequested()) return std::nullopt;
    const std::optional<EventRecord> click = s_.windows.NextEvent(event_mask::kMouseDown);
    if (!click) {
      s_.windows.SleepPastTick(s_.windows.TickCount(), true);
      continue;
    }
    const Point point{
        static_cast<std::int16_t>(click->where.v - window.bounds.top - header.origin.v),
        static_cast<std::int16_t>(click->where.h - window.bounds.left - header.origin.h)};
    for (std::optional<std::size_t> hit = HotSpotAt(shown.hotSpots, point); hit;
         hit = HotSpotAt(shown.hotSpots, point, *hit + 1)) {
      const MovieHotSpot& spot = shown.hotSpots[*hit];
      if (spot.kind < 0 && !ReleasedInside(spot, header, window)) break;
      const MovieStep step = HotSpotStep(spot, frame, header.frames.size());
      if (step.move != MovieMove::kNoBranch) return step;
      if (shown.has(kFrameWaitsForSound)) s_.channels.WaitVoiceDone();
    }
    // A click on no hot spot: wait again, or with flag 4 go back to the calling movie.
    if (shown.has(kFrameNeedsPendingClick)) return MovieStep{MovieMove::kReturn, 0, ""};
  }
}

bool MoviePlayer::ReleasedInside(const MovieHotSpot& spot, const MovieHeader& header,
                                 const RuntimeWindow& window) {
  constexpr std::uint32_t kShortestHold = 10;
  const std::uint32_t pressed = s_.windows.TickCount();
  bool inside = false;
  bool inverted = false;
  while (s_.windows.ButtonStillDown() || s_.windows.TickCount() - pressed < kShortestHold) {
    if (s_.windows.quitRequested()) break;
    const Point mouse = s_.windows.GetMouse(&window);
    inside = spot.rect.contains({static_cast<std::int16_t>(mouse.v - header.origin.v),
                                 static_cast<std::int16_t>(mouse.h - header.origin.h)});
    if (inside != inverted) {
      InvertSpot(spot, header, window);
      inverted = inside;
    }
    s_.windows.SleepPastTick(s_.windows.TickCount(), false);
  }
  if (inverted) InvertSpot(spot, header, window);
  return inside && !s_.windows.quitRequested();
}

void MoviePlayer::InvertSpot(const MovieHotSpot& spot, const MovieHeader& header,
                             const RuntimeWindow& window) {
  Rect onScreen = spot.rect;
  OffsetRect(onScreen, window.bounds.left + header.origin.h, window.bounds.top + header.origin.v);
  Surface& canvas = s_.screen.canvas();
  Rect inverted;
  if (!SectRect(onScreen, canvas.rect(), inverted)) return;
  for (int v = inverted.top; v < inverted.bottom; ++v) {
    std::uint8_t* row = canvas.row(v);
    for (int h = inverted.left; h < inverted.right; ++h) row[h] ^= 0xFF;
  }
  s_.screen.markDirty(inverted);
  s_.screen.present();
}

bool MoviePlayer::Preload(StarFile& file, std::uint32_t base, const MovieFrame& frame) {
  if (frame.preloadLast < frame.preloadFirst) {
    Fatal(ProgramCode::kLogic, site::kEmptyPreload);
    return false;
  }
  for (std::int64_t k = frame.preloadFirst; k <= frame.preloadLast; ++k) {
    const auto id = static_cast<std::int32_t>(base + k);
    RecordBlock* record = nullptr;
    if (Failed(s_.library.StarGetResource(file, id, record))) {
      Fatal(ProgramCode::kUndefined, site::kGetPreload);
      return false;
    }
    if (Failed(s_.library.StarReleaseResource(file, id))) {
      Fatal(ProgramCode::kHandleCache, site::kReleasePreload);
      return false;
    }
  }
  return true;
}

void MoviePlayer::StartFrameSound(StarFile& file, std::uint32_t base, const MovieFrame& frame) {
  if (frame.sound > 0) {
    // A number past the segment's sounds names no loaded sound: the channels' fault 2706.
    const auto k = static_cast<std::size_t>(frame.sound);
    s_.channels.PlayVoice(k <= sounds_.size() ? sounds_[k - 1] : SoundItem{});
  } else if (frame.sound < 0) {
    const auto id = static_cast<std::int32_t>(base - frame.sound);
    if (onDemand_.record == nullptr || onDemand_.recordId != id) {
      s_.channels.ReleaseSound(onDemand_);
      if (!s_.channels.LoadSound(file, id, "Movie Sound", onDemand_)) return;
    }
    s_.channels.PlayVoice(onDemand_);
  }
}

bool MoviePlayer::DecodePicture(StarFile& file, std::uint32_t base, const MovieHeader& header,
                                const MovieFrame& frame, Surface& buffer) {
  const auto id = static_cast<std::int32_t>(base + frame.picture);
  RecordBlock* record = nullptr;
  if (Failed(s_.library.StarGetResource(file, id, record))) {
    Fatal(ProgramCode::kUndefined, site::kGetPicture);
    return false;
  }
  // The picture decodes at its rectangle's corner within the buffer; one that lies outside the
  // movie rectangle is a damaged movie.
  const int top = frame.pictureRect.top - header.rect.top;
  const int left = frame.pictureRect.left - header.rect.left;
  bool decoded = top >= 0 && left >= 0 && top < buffer.height() && left < buffer.width();
  if (decoded) {
    const BitmapView view{
        .memory =
            std::span(buffer.data(), static_cast<std::size_t>(buffer.rowBytes()) * buffer.height()),
        .row0 = static_cast<std::ptrdiff_t>(top) * buffer.rowBytes() + left,
        .stride = buffer.rowBytes(),
        .width = buffer.width() - left,
        .height = buffer.height() - top,
    };
    decoded = DecodeFrame(*record, view).ok();
  }
  if (Failed(s_.library.StarReleaseResource(file, id))) {
    Fatal(ProgramCode::kHandleCache, site::kReleasePicture);
    return false;
  }
  if (!decoded) Fatal(ProgramCode::kBadFileType, site::kGetPicture);
  return decoded;
}

bool MoviePlayer::WaitForTick(std::int64_t tick) {
  for (;;) {
    while (const std::optional<EventRecord> key = s_.windows.NextEvent(event_mask::kKeyDown)) {
      if (HandleKey(*key)) return false;
    }
    if (s_.windows.quitRequested()) return false;
    const std::uint32_t now = s_.windows.TickCount();
    if (now >= tick) return true;
    s_.windows.SleepPastTick(now, true);
  }
}

bool MoviePlayer::HandleKey(const EventRecord& event) {
  const MovieKeyCommand command = KeyCommandOf(event);
  switch (command.key) {
    case MovieKey::kQuit: return true;
    case MovieKey::kLevel: static_cast<void>(s_.sound.SoundSetVolume(command.level)); break;
    case MovieKey::kTheme:
      themeOn_ = !themeOn_;
      if (!themeOn_) {
        s_.channels.Stop(false, false, true, false);
      } else if (themeLoaded_ && !playlist_.items.empty()) {
        s_.channels.PlayPlaylist(playlist_);
      }
      break;
    case MovieKey::kNone: break;
  }
  return false;
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

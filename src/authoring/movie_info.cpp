#include "authoring/movie_info.h"

#include <sstream>

#include "authoring/movie_words.h"
#include "media/movie_format.h"
#include "media/sound_record.h"

namespace lw::authoring {
namespace {

std::string RectText(const Rect& r) {
  return "[" + std::to_string(r.top) + ", " + std::to_string(r.left) + ", " +
         std::to_string(r.bottom) + ", " + std::to_string(r.right) + "]";
}

std::string FrameText(std::uint16_t frame, std::size_t count) {
  return frame < count ? std::to_string(frame) : std::string("-");
}

// An action as the manifest writes it: "stop", "goto F", "play "X"", "call "X" return F".
std::string ActionText(std::int16_t kind, std::int16_t frame, const std::string& movie) {
  switch (static_cast<MovieAction>(kind < 0 ? -kind : kind)) {
    case MovieAction::kStop: return "stop";
    case MovieAction::kGoTo: return "goto " + std::to_string(frame);
    case MovieAction::kPlay: return "play \"" + movie + '"';
    case MovieAction::kCall: return "call \"" + movie + "\" return " + std::to_string(frame);
    case MovieAction::kReturn: return "return";
  }
  return "action " + std::to_string(kind);
}

std::string TransitionText(const MovieFrame& frame) {
  const std::string name = frame.transitionKind < kTransitionNames.size()
                               ? std::string(kTransitionNames[frame.transitionKind])
                               : "kind " + std::to_string(frame.transitionKind);
  return name + " (" + std::to_string(frame.transitionParameter) + ")";
}

void WriteFrame(std::ostringstream& out, std::size_t number, const MovieFrame& frame) {
  out << "    frame " << number << ": " << frame.duration << " ticks, " << TransitionText(frame);
  for (const MovieFlagName& flag : kMovieFlagNames) {
    if (frame.has(flag.flag)) out << ", " << flag.name;
  }
  if (frame.pictureRect.width() > 0 && frame.pictureRect.height() > 0) {
    out << ", picture " << frame.picture << ' ' << RectText(frame.pictureRect);
  } else {
    out << ", palette only";
  }
  if (frame.sound > 0) out << ", sound " << frame.sound;
  if (frame.sound < 0) out << ", record " << -static_cast<std::int64_t>(frame.sound);
  if (frame.has(kFramePreloads))
    out << ", preload " << frame.preloadFirst << ".." << frame.preloadLast;
  out << ", " << ActionText(frame.endAction, frame.endArgument, frame.movie) << '\n';
  for (const MovieHotSpot& spot : frame.hotSpots) {
    out << "      hot spot " << RectText(spot.rect) << (spot.kind < 0 ? " on release" : "") << ": "
        << ActionText(spot.kind, spot.frame, spot.movie) << '\n';
  }
}

// The line of a sound or theme part: its record and what the record's header says.
Expected<std::string, std::string> SoundLine(const RecordReader& record, const std::string& what,
                                             std::size_t number, std::uint32_t id) {
  auto bytes = record(id);
  if (!bytes) return Unexpected{bytes.error()};
  auto info = ReadSoundRecord(*bytes);
  if (!info) return Unexpected{"record " + std::to_string(id) + ": not a sound record"};
  return "    " + what + ' ' + std::to_string(number) + ": record " + std::to_string(id) + ", " +
         std::to_string(info->sampleFrames()) + " samples at " +
         std::to_string(info->codec.sampleRate) + " Hz, " + std::to_string(bytes->size()) +
         " bytes\n";
}

Expected<std::string, std::string> DescribeSegment(const RecordReader& record, std::uint32_t base,
                                                   const MovieHeader& header) {
  std::ostringstream out;
  const std::size_t count = header.frames.size();
  out << "  segment at record " << base << ": rect " << RectText(header.rect) << ", origin ["
      << header.origin.h << ", " << header.origin.v << "], " << count
      << (count == 1 ? " frame" : " frames") << ", shortest " << header.shortestDuration
      << ", status frames " << FrameText(header.statusFrame1, count) << ' '
      << FrameText(header.statusFrame2, count) << (header.quitWhileWaiting ? ", quit" : "")
      << ", next segment "
      << (header.nextSegment == 0 ? std::string("none") : std::to_string(header.nextSegment))
      << '\n';
  std::uint32_t id = base;
  for (std::size_t i = 1; i <= header.soundCount; ++i) {
    auto line = SoundLine(record, "sound", i, ++id);
    if (!line) return Unexpected{line.error()};
    out << *line;
  }
  for (std::size_t i = 1; i <= header.themeCount; ++i) {
    auto line = SoundLine(record, "theme part", i, ++id);
    if (!line) return Unexpected{line.error()};
    out << *line;
  }
  if (!header.playlist.empty()) {
    out << "    playlist";
    for (const std::uint16_t part : header.playlist) out << ' ' << part;
    out << ", loop " << header.playlistLoop << '\n';
  }
  for (std::size_t f = 0; f < count; ++f) WriteFrame(out, f, header.frames[f]);
  return out.str();
}

}  // namespace

Expected<std::string, std::string> DescribeMovie(const RecordReader& record,
                                                 std::uint32_t recordCount) {
  std::string text;
  std::uint32_t base = 0;
  std::size_t segments = 0;
  for (;; ++segments) {
    auto bytes = record(base);
    if (!bytes) return Unexpected{bytes.error()};
    auto header = ReadMovieHeader(*bytes);
    if (!header) return Unexpected{"record " + std::to_string(base) + ": " + header.error()};
    auto segment = DescribeSegment(record, base, *header);
    if (!segment) return Unexpected{segment.error()};
    text += *segment;
    if (header->nextSegment == 0)
      return "movie: " + std::to_string(segments + 1) +
             (segments == 0 ? " segment\n" : " segments\n") + text;
    if (header->nextSegment <= base || header->nextSegment >= recordCount) {
      return Unexpected{"record " + std::to_string(base) + ": the next segment, record " +
                        std::to_string(header->nextSegment) + ", is not behind it in the file"};
    }
    base = header->nextSegment;
  }
}

}  // namespace lw::authoring

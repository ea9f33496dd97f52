#include "media/movie_format.h"

#include <algorithm>

#include "common/byte_io.h"

namespace lw {
namespace {

constexpr std::size_t kFrameCountOffset = 24;
constexpr std::size_t kUnreadHeaderBytes = 4;  // 58..61, between the next segment and the palette
constexpr std::size_t kUnreadDescriptorBytes = 4;  // 18..21
constexpr std::size_t kMaxHotSpotBytes = 48;
constexpr std::size_t kUnreadHotSpotBytes = 4;  // 10..13, behind the rectangle
constexpr std::size_t kHotSpotRectEnd = 14;
constexpr std::size_t kLongestName = kMovieNameBytes - 1;

// A 32-byte name field: a length byte, cut to 31, and the characters.
std::string ReadName(ByteReader& in) {
  const std::span<const std::uint8_t> field = in.bytes(kMovieNameBytes);
  if (field.size() != kMovieNameBytes) return {};
  const std::size_t length = std::min<std::size_t>(field[0], kLongestName);
  return {field.begin() + 1, field.begin() + 1 + static_cast<std::ptrdiff_t>(length)};
}

void WriteName(ByteWriter& out, const std::string& name) {
  const std::size_t length = std::min(name.size(), kLongestName);
  out.u8(static_cast<std::uint8_t>(length));
  out.bytes(std::span(reinterpret_cast<const std::uint8_t*>(name.data()), length));
  out.zeros(kLongestName - length);
}

// The stored length of a hot spot of `kind`, or 0 for a kind that is none of the five.
std::size_t HotSpotLength(std::int16_t kind) {
  switch (static_cast<MovieAction>(kind < 0 ? -kind : kind)) {
    case MovieAction::kStop:
    case MovieAction::kReturn: return 14;
    case MovieAction::kGoTo: return 16;
    case MovieAction::kPlay: return 46;
    case MovieAction::kCall: return 48;
  }
  return 0;
}

// The hot spots of a list of `count` entries at `offset` in the header record.
std::vector<MovieHotSpot> ReadHotSpots(std::span<const std::uint8_t> record, std::size_t offset,
                                       std::uint16_t count) {
  std::vector<MovieHotSpot> spots;
  for (std::uint16_t i = 0; i < count; ++i) {
    // At most 48 bytes, none past the record's end; what is missing counts as 0.
    std::array<std::uint8_t, kMaxHotSpotBytes> entry{};
    if (offset < record.size()) {
      const std::size_t present = std::min(kMaxHotSpotBytes, record.size() - offset);
      std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(offset), present, entry.begin());
    }
    ByteReader in(entry);
    MovieHotSpot spot;
    spot.kind = in.i16();
    spot.rect = ReadRect(in);
    in.skip(kUnreadHotSpotBytes);
    const std::size_t length = HotSpotLength(spot.kind);
    const auto action = static_cast<MovieAction>(spot.kind < 0 ? -spot.kind : spot.kind);
    if (action == MovieAction::kGoTo || action == MovieAction::kCall) spot.frame = in.i16();
    if (action == MovieAction::kPlay) spot.movie = ReadName(in);
    if (action == MovieAction::kCall) spot.movie = ReadName(in);
    spots.push_back(std::move(spot));
    if (length == 0) break;  // the length of an unknown kind is unknown: the list ends
    offset += length;
  }
  return spots;
}

std::size_t StoredLength(const MovieHotSpot& spot) {
  const std::size_t length = HotSpotLength(spot.kind);
  return length == 0 ? kHotSpotRectEnd : length;
}

void WriteHotSpot(ByteWriter& out, const MovieHotSpot& spot) {
  out.i16(spot.kind);
  WriteRect(out, spot.rect);
  out.zeros(kUnreadHotSpotBytes);
  const auto action = static_cast<MovieAction>(spot.kind < 0 ? -spot.kind : spot.kind);
  if (action == MovieAction::kGoTo || action == MovieAction::kCall) out.i16(spot.frame);
  if (action == MovieAction::kPlay || action == MovieAction::kCall) WriteName(out, spot.movie);
}

}  // namespace

Expected<MovieHeader, std::string> ReadMovieHeader(std::span<const std::uint8_t> record) {
  if (record.size() < kMovieFramesOffset) {
    return Unexpected{"the movie header is " + std::to_string(record.size()) +
                      " bytes, shorter than its fixed part of " +
                      std::to_string(kMovieFramesOffset)};
  }
  ByteReader in(record);
  in.skip(kFrameCountOffset);
  const std::int16_t frameCount = in.i16();
  MovieHeader header;
  header.soundCount = in.u16();
  header.themeCount = in.u16();
  header.rect = ReadRect(in);
  header.shortestDuration = in.i32();
  header.origin.h = in.i16();
  header.origin.v = in.i16();
  header.statusFrame1 = in.u16();
  header.statusFrame2 = in.u16();
  header.quitWhileWaiting = in.u16() != 0;
  const std::uint16_t playlistLength = in.u16();
  header.nextSegment = in.u32();
  if (frameCount < 1) {
    return Unexpected{"the movie has " + std::to_string(frameCount) + " frames"};
  }
  if (playlistLength > kMaxMoviePlaylist) {
    return Unexpected{"the theme playlist has " + std::to_string(playlistLength) +
                      " entries, more than 64"};
  }
  const std::size_t framesEnd =
      kMovieFramesOffset + static_cast<std::size_t>(frameCount) * kMovieFrameBytes;
  if (record.size() < framesEnd) {
    return Unexpected{"the movie header is " + std::to_string(record.size()) +
                      " bytes, too short for its " + std::to_string(frameCount) + " frames"};
  }

  in.skip(kUnreadHeaderBytes);
  for (Rgb16& colour : header.palette) {
    in.u16();  // the index: entries are stored in colour order
    colour.red = in.u16();
    colour.green = in.u16();
    colour.blue = in.u16();
  }
  for (std::size_t i = 0; i < kMaxMoviePlaylist; ++i) {
    const std::uint16_t entry = in.u16();
    if (i < playlistLength) header.playlist.push_back(entry);
  }
  header.playlistLoop = in.u32();

  for (std::int16_t f = 0; f < frameCount; ++f) {
    MovieFrame frame;
    const std::uint16_t hotSpotCount = in.u16();
    frame.duration = in.i32();
    frame.transitionKind = in.u16();
    frame.transitionParameter = in.u16();
    frame.preloadFirst = in.i32();
    frame.preloadLast = in.i32();
    in.skip(kUnreadDescriptorBytes);
    frame.endAction = in.i16();
    frame.endArgument = in.i16();
    frame.flags = in.u16();
    frame.picture = in.u32();
    frame.sound = in.i32();
    const std::uint32_t hotSpotOffset = in.u32();
    frame.pictureRect = ReadRect(in);
    frame.movie = ReadName(in);
    frame.hotSpots = ReadHotSpots(record, hotSpotOffset, hotSpotCount);
    header.frames.push_back(std::move(frame));
  }
  return header;
}

std::vector<std::uint8_t> WriteMovieHeader(const MovieHeader& header) {
  const std::size_t frameCount = std::min<std::size_t>(header.frames.size(), INT16_MAX);
  const std::size_t playlistLength = std::min(header.playlist.size(), kMaxMoviePlaylist);
  ByteWriter out;
  out.zeros(kFrameCountOffset);
  out.i16(static_cast<std::int16_t>(frameCount));
  out.u16(header.soundCount);
  out.u16(header.themeCount);
  WriteRect(out, header.rect);
  out.i32(header.shortestDuration);
  out.i16(header.origin.h);
  out.i16(header.origin.v);
  out.u16(header.statusFrame1);
  out.u16(header.statusFrame2);
  out.u16(header.quitWhileWaiting ? 1 : 0);
  out.u16(static_cast<std::uint16_t>(playlistLength));
  out.u32(header.nextSegment);
  out.zeros(kUnreadHeaderBytes);
  for (std::size_t i = 0; i < header.palette.size(); ++i) {
    out.u16(static_cast<std::uint16_t>(i));
    out.u16(header.palette[i].red);
    out.u16(header.palette[i].green);
    out.u16(header.palette[i].blue);
  }
  for (std::size_t i = 0; i < kMaxMoviePlaylist; ++i)
    out.u16(i < playlistLength ? header.playlist[i] : 0);
  out.u32(header.playlistLoop);

  // Hot spot lists follow the descriptors, in frame order.
  std::size_t listOffset = kMovieFramesOffset + frameCount * kMovieFrameBytes;
  for (std::size_t f = 0; f < frameCount; ++f) {
    const MovieFrame& frame = header.frames[f];
    const std::size_t spots = std::min<std::size_t>(frame.hotSpots.size(), UINT16_MAX);
    out.u16(static_cast<std::uint16_t>(spots));
    out.i32(frame.duration);
    out.u16(frame.transitionKind);
    out.u16(frame.transitionParameter);
    out.i32(frame.preloadFirst);
    out.i32(frame.preloadLast);
    out.zeros(kUnreadDescriptorBytes);
    out.i16(frame.endAction);
    out.i16(frame.endArgument);
    out.u16(frame.flags);
    out.u32(frame.picture);
    out.i32(frame.sound);
    out.u32(static_cast<std::uint32_t>(spots == 0 ? 0 : listOffset));
    WriteRect(out, frame.pictureRect);
    WriteName(out, frame.movie);
    for (std::size_t i = 0; i < spots; ++i) listOffset += StoredLength(frame.hotSpots[i]);
  }
  for (std::size_t f = 0; f < frameCount; ++f) {
    const MovieFrame& frame = header.frames[f];
    const std::size_t spots = std::min<std::size_t>(frame.hotSpots.size(), UINT16_MAX);
    for (std::size_t i = 0; i < spots; ++i) WriteHotSpot(out, frame.hotSpots[i]);
  }
  return out.take();
}

}  // namespace lw

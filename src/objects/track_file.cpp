#include "objects/track_file.h"

#include <algorithm>
#include <limits>

#include "common/byte_io.h"
#include "objects/stored_name.h"

namespace lw {
namespace {

constexpr std::size_t kCountsOffset = 24;
constexpr std::size_t kSequenceOffset = 30;
constexpr std::size_t kTrackNameOffset = 158;
constexpr std::size_t kEntryUnreadBytes = 8;
constexpr std::size_t kMaxItemsOfAKind = std::numeric_limits<std::int16_t>::max();
static_assert(kSequenceOffset + 2 * kMaxThemeSequence == kTrackNameOffset);
static_assert(kTrackNameOffset + kStoredNameBytes + 4 == kTrackHeaderFixedBytes);
static_assert(kEntryUnreadBytes + kStoredNameBytes == kTrackEntryBytes);

// Reads `count` entry names into `names`; false when one is longer than 15.
bool ReadEntryNames(ByteReader& in, std::size_t count, std::vector<std::string>& names) {
  names.resize(count);
  for (std::string& name : names) {
    in.skip(kEntryUnreadBytes);
    if (!ReadStoredName(in, name)) return false;
  }
  return true;
}

void WriteEntryNames(ByteWriter& out, const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < std::min(names.size(), kMaxItemsOfAKind); ++i) {
    out.zeros(kEntryUnreadBytes);
    WriteStoredName(out, names[i]);
  }
}

}  // namespace

Expected<TrackHeader, std::string> ReadTrackHeader(std::span<const std::uint8_t> record) {
  if (record.size() < kTrackHeaderFixedBytes) {
    return Unexpected{"track header of " + SizeText(record.size()) + ", fewer than " +
                      std::to_string(kTrackHeaderFixedBytes)};
  }
  ByteReader in(record);
  in.skip(kCountsOffset);
  const std::int16_t sounds = in.i16();
  const std::int16_t parts = in.i16();
  const std::int16_t steps = in.i16();
  if (sounds < 0 || parts < 0) {
    return Unexpected{std::to_string(sounds) + " sounds and " + std::to_string(parts) +
                      " theme parts: counts may not be negative"};
  }
  if (steps < 0 || static_cast<std::size_t>(steps) > kMaxThemeSequence) {
    return Unexpected{std::to_string(steps) + " theme sequence steps, not 0 to 64"};
  }
  const auto items = static_cast<std::size_t>(sounds) + static_cast<std::size_t>(parts);
  if (!CountFits(items, kTrackEntryBytes, kTrackHeaderFixedBytes, record.size())) {
    return Unexpected{std::to_string(sounds) + " sounds and " + std::to_string(parts) +
                      " theme parts do not fit a track header of " + SizeText(record.size())};
  }
  TrackHeader header;
  header.sequence.resize(static_cast<std::size_t>(steps));
  for (std::int16_t& step : header.sequence) step = in.i16();
  ByteReader names(record.subspan(kTrackNameOffset));
  if (!ReadStoredName(names, header.name))
    return Unexpected{std::string("track name longer than 15")};
  names.skip(kTrackHeaderFixedBytes - kTrackNameOffset - kStoredNameBytes);
  if (!ReadEntryNames(names, static_cast<std::size_t>(sounds), header.sounds))
    return Unexpected{std::string("sound name longer than 15")};
  if (!ReadEntryNames(names, static_cast<std::size_t>(parts), header.themeParts))
    return Unexpected{std::string("theme part name longer than 15")};
  return header;
}

std::vector<std::uint8_t> WriteTrackHeader(const TrackHeader& header) {
  ByteWriter out;
  const std::size_t steps = std::min(header.sequence.size(), kMaxThemeSequence);
  out.zeros(kCountsOffset);
  out.i16(static_cast<std::int16_t>(std::min(header.sounds.size(), kMaxItemsOfAKind)));
  out.i16(static_cast<std::int16_t>(std::min(header.themeParts.size(), kMaxItemsOfAKind)));
  out.i16(static_cast<std::int16_t>(steps));
  for (std::size_t i = 0; i < steps; ++i) out.i16(header.sequence[i]);
  out.zeros(kTrackNameOffset - out.data().size());
  WriteStoredName(out, header.name);
  out.zeros(kTrackHeaderFixedBytes - out.data().size());
  WriteEntryNames(out, header.sounds);
  WriteEntryNames(out, header.themeParts);
  return out.take();
}

}  // namespace lw

// Fuzzes the records of puppet files: the input is read as a puppet header, as the player lines,
// as the puppet list, as the layers, and as lip-sync frames (their count from the first 2 bytes).
// Every record is refused or read into no more entries than its bytes can hold, and what is read
// writes back to a record that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "objects/puppet_file.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string Text(const lw::Rect& r) {
  std::ostringstream out;
  out << r.top << ' ' << r.left << ' ' << r.bottom << ' ' << r.right;
  return out.str();
}

// Every field of what was read, so that two reads compare as one string.
std::string Text(const lw::PuppetHeader& h) {
  std::ostringstream out;
  out << h.hasPlayerLines << ' ' << Text(h.picture) << ' ' << h.colours.seed << ' '
      << h.colours.flags << ' ' << h.bandId << ' ' << h.name;
  for (const lw::Rgb16& c : h.colours.entries)
    out << ' ' << c.red << ',' << c.green << ',' << c.blue;
  for (std::size_t k = 0; k < lw::kIdleLines; ++k)
    out << ' ' << h.shortest[k] << '-' << h.longest[k];
  for (const lw::PuppetLine& l : h.lines) {
    out << '|' << l.frameCount << ' ' << l.soundId << ' ' << l.framesId << ' ' << l.subtitle << '|'
        << l.name;
  }
  return out.str();
}

std::string Text(const std::vector<lw::PlayerLine>& lines) {
  std::ostringstream out;
  for (const lw::PlayerLine& l : lines) out << l.soundId << ' ' << l.text << '|' << l.name << '|';
  return out.str();
}

std::string Text(const std::vector<lw::PuppetEntry>& puppets) {
  std::ostringstream out;
  for (const lw::PuppetEntry& p : puppets) out << p.scriptId << ' ' << p.name << '|';
  return out.str();
}

std::string Text(const lw::PuppetLayers& layers) {
  std::ostringstream out;
  for (const auto& images : layers) {
    for (std::uint32_t id : images) out << id << ' ';
    out << '|';
  }
  return out.str();
}

std::string Text(const std::vector<lw::LipSyncFrame>& frames) {
  std::ostringstream out;
  for (const lw::LipSyncFrame& f : frames) {
    out << Text(f.changed);
    for (const lw::LayerPlacement& l : f.layers)
      out << ' ' << l.image << ' ' << l.at.v << ',' << l.at.h;
    out << '|';
  }
  return out.str();
}

// Reads `record`; when it reads, checks its size against the record's and that its written
// form reads back the same.
template <typename Read, typename Write, typename Size>
void RoundTrip(std::span<const std::uint8_t> record, Read read, Write write, Size bytes) {
  auto first = read(record);
  if (!first) return;
  Require(bytes(*first) <= record.size());
  const std::vector<std::uint8_t> written = write(*first);
  auto again = read(written);
  Require(again.ok() && Text(*again) == Text(*first));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> record(data, size);
  RoundTrip(record, lw::ReadPuppetHeader, lw::WritePuppetHeader, [](const lw::PuppetHeader& h) {
    return lw::kPuppetHeaderFixedBytes + h.lines.size() * lw::kPuppetLineBytes;
  });
  RoundTrip(
      record, lw::ReadPlayerLines, [](const auto& lines) { return lw::WritePlayerLines(lines); },
      [](const auto& lines) { return lw::kListHeadBytes + lines.size() * lw::kPlayerLineBytes; });
  RoundTrip(
      record, lw::ReadPuppetList, [](const auto& puppets) { return lw::WritePuppetList(puppets); },
      [](const auto& puppets) {
        return lw::kListHeadBytes + puppets.size() * lw::kPuppetEntryBytes;
      });
  RoundTrip(record, lw::ReadPuppetLayers, lw::WritePuppetLayers,
            [](const lw::PuppetLayers&) { return lw::kPuppetLayersRecordBytes; });
  if (size >= 2) {
    const auto count = static_cast<std::int16_t>(data[0] | (data[1] << 8));
    RoundTrip(
        record, [count](auto bytes) { return lw::ReadLipSyncFrames(bytes, count); },
        [](const auto& frames) { return lw::WriteLipSyncFrames(frames); },
        [](const auto& frames) { return frames.size() * lw::kLipSyncFrameBytes; });
  }
  return 0;
}

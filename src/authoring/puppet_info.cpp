#include "authoring/puppet_info.h"

#include <cstdio>
#include <sstream>

#include "common/mac_roman.h"
#include "objects/puppet_file.h"

namespace lw::authoring {
namespace {

constexpr double kFramesPerSecond = 30.0;

std::string Quoted(const std::string& macRoman) { return '"' + MacRomanToUtf8(macRoman) + '"'; }

std::string Count(std::size_t n, const std::string& noun) {
  return std::to_string(n) + ' ' + noun + (n == 1 ? "" : "s");
}

std::string Seconds(std::int16_t frames) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2f", frames / kFramesPerSecond);
  return text;
}

// A record read through `read`, whose failure is put after the record's id.
template <typename Reader>
auto ReadRecord(const RecordReader& record, std::uint32_t id, Reader read)
    -> decltype(read(std::span<const std::uint8_t>())) {
  auto bytes = record(id);
  if (!bytes) return Unexpected{bytes.error()};
  auto value = read(*bytes);
  if (!value) return Unexpected{"record " + std::to_string(id) + ": " + value.error()};
  return value;
}

void WriteLayers(std::ostringstream& out, const PuppetLayers& layers) {
  for (std::size_t k = 0; k < layers.size(); ++k) {
    if (!layers[k].empty())
      out << "  layer " << k << ": " << Count(layers[k].size(), "image") << '\n';
  }
}

}  // namespace

Expected<std::string, std::string> DescribePuppets(const RecordReader& record) {
  auto header = ReadRecord(record, kPuppetHeaderRecord, ReadPuppetHeader);
  if (!header) return Unexpected{header.error()};
  auto players = ReadRecord(record, kPlayerLinesRecord, ReadPlayerLines);
  if (!players) return Unexpected{players.error()};
  auto puppets = ReadRecord(record, kPuppetListRecord, ReadPuppetList);
  if (!puppets) return Unexpected{puppets.error()};
  auto layers = ReadRecord(record, kPuppetLayersRecord, ReadPuppetLayers);
  if (!layers) return Unexpected{layers.error()};
  std::ostringstream out;
  const Rect& r = header->picture;
  out << "puppet file " << Quoted(header->name) << ": picture [" << r.top << ", " << r.left << ", "
      << r.bottom << ", " << r.right << "], "
      << (header->hasPlayerLines ? "player lines" : "no player lines") << ", "
      << (header->bandId == 0 ? std::string("no band") : "band " + std::to_string(header->bandId))
      << ", " << Count(header->lines.size(), "line") << '\n';
  for (std::size_t k = 0; k < kIdleLines; ++k) {
    if (header->shortest[k] == 0 && header->longest[k] == 0) continue;
    out << "  idle " << k + 1 << ": every " << header->shortest[k] << ".." << header->longest[k]
        << " ticks\n";
  }
  WriteLayers(out, *layers);
  for (const PuppetEntry& puppet : *puppets)
    out << "  puppet " << Quoted(puppet.name) << ": script " << puppet.scriptId << '\n';
  for (const PuppetLine& line : header->lines) {
    const auto readFrames = [&line](std::span<const std::uint8_t> bytes) {
      return ReadLipSyncFrames(bytes, line.frameCount);
    };
    if (auto frames = ReadRecord(record, line.framesId, readFrames); !frames)
      return Unexpected{frames.error()};
    out << "  line " << Quoted(line.name) << ": "
        << Count(static_cast<std::size_t>(line.frameCount), "frame") << ", "
        << Seconds(line.frameCount) << " s, sound " << line.soundId << ", "
        << (line.subtitle.starts_with('*') ? std::string("no subtitle")
                                           : "subtitle " + Quoted(line.subtitle))
        << '\n';
  }
  for (const PlayerLine& line : *players) {
    out << "  player line " << Quoted(line.name) << ": sound " << line.soundId << ", "
        << Quoted(line.text) << '\n';
  }
  return out.str();
}

}  // namespace lw::authoring

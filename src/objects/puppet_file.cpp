#include "objects/puppet_file.h"

#include <algorithm>

#include "common/byte_io.h"
#include "objects/stored_name.h"

namespace lw {
namespace {

constexpr std::size_t kPlayerFlagOffset = 32;
constexpr std::size_t kColourTableOffset = 50;
constexpr std::size_t kIntervalsOffset = 2106;
constexpr std::size_t kLineCountOffset = 2158;
constexpr std::size_t kTextFieldBytes = 1 + kMaxLineText;
constexpr std::size_t kListCountOffset = 22;
constexpr std::size_t kLayerCountOffset = 22;
constexpr std::size_t kLayerTotalOffset = kPuppetLayers * kPuppetLayerBytes;
constexpr std::size_t kFrameRectOffset = 8;
// The fields are read in order: each follows the one before directly.
static_assert(kColourTableOffset + kColourTableBytes == kIntervalsOffset);
static_assert(kIntervalsOffset + 8 * 4 + 4 + kStoredNameBytes == kLineCountOffset);
static_assert(kFrameRectOffset + 8 + kPuppetLayers * 6 == kLipSyncFrameBytes);

using Refusal = Unexpected<std::string>;

// A length byte and up to 255 characters in a 256-byte field.
std::string ReadText(ByteReader& in) {
  const std::span<const std::uint8_t> field = in.bytes(kTextFieldBytes);
  if (field.empty()) return {};
  return {reinterpret_cast<const char*>(field.data()) + 1, field[0]};
}

void WriteText(ByteWriter& out, const std::string& text) {
  const std::size_t length = std::min(text.size(), kMaxLineText);
  out.u8(static_cast<std::uint8_t>(length));
  out.bytes({reinterpret_cast<const std::uint8_t*>(text.data()), length});
  out.zeros(kMaxLineText - length);
}

// The count of a list record (player lines, puppets): an i16 at 22, checked against the record.
Expected<std::size_t, std::string> ListCount(std::span<const std::uint8_t> record,
                                             std::size_t entryBytes, const char* what) {
  ByteReader in(record);
  in.skip(kListCountOffset);
  const std::int16_t count = in.i16();
  if (in.failed() || count < 0 ||
      !CountFits(static_cast<std::uint64_t>(count), entryBytes, kListHeadBytes, record.size())) {
    return Refusal{std::to_string(count) + " " + what + " do not fit a record of " +
                   SizeText(record.size())};
  }
  return static_cast<std::size_t>(count);
}

void WriteListHead(ByteWriter& out, std::size_t count) {
  out.zeros(kListCountOffset);
  out.i16(static_cast<std::int16_t>(count));
}

}  // namespace

Expected<PuppetHeader, std::string> ReadPuppetHeader(std::span<const std::uint8_t> record) {
  if (record.size() < kPuppetHeaderFixedBytes) {
    return Refusal{"a puppet header of " + SizeText(record.size()) + ", fewer than " +
                   std::to_string(kPuppetHeaderFixedBytes)};
  }
  PuppetHeader header;
  ByteReader in(record);
  in.skip(kPlayerFlagOffset);
  header.hasPlayerLines = in.u16() != 0;
  header.picture = ReadRect(in);
  in.skip(kColourTableOffset - in.position());
  auto colours = DecodeColourTable16(in.bytes(kColourTableBytes));
  if (!colours) return Refusal{"the puppet's colour table: " + colours.error()};
  header.colours = *colours;
  for (std::uint32_t& ticks : header.shortest) ticks = in.u32();
  for (std::uint32_t& ticks : header.longest) ticks = in.u32();
  header.bandId = in.u32();
  if (!ReadStoredName(in, header.name)) return Refusal{"puppet file name longer than 15"};
  const std::int16_t count = in.i16();
  if (count < 0 || !CountFits(static_cast<std::uint64_t>(count), kPuppetLineBytes,
                              kPuppetHeaderFixedBytes, record.size())) {
    return Refusal{std::to_string(count) + " lines do not fit a puppet header of " +
                   SizeText(record.size())};
  }
  header.lines.resize(static_cast<std::size_t>(count));
  for (PuppetLine& line : header.lines) {
    const std::size_t start = in.position();
    in.skip(6);
    line.frameCount = in.i16();
    line.soundId = in.u32();
    line.framesId = in.u32();
    in.skip(8);
    line.subtitle = ReadText(in);
    if (!ReadStoredName(in, line.name)) return Refusal{"line name longer than 15"};
    in.skip(start + kPuppetLineBytes - in.position());
  }
  return header;
}

Expected<std::vector<PlayerLine>, std::string> ReadPlayerLines(
    std::span<const std::uint8_t> record) {
  auto count = ListCount(record, kPlayerLineBytes, "player lines");
  if (!count) return Refusal{count.error()};
  std::vector<PlayerLine> lines(*count);
  ByteReader in(record);
  in.skip(kListHeadBytes);
  for (PlayerLine& line : lines) {
    line.soundId = in.u32();
    in.skip(4);
    line.text = ReadText(in);
    if (!ReadStoredName(in, line.name)) return Refusal{"player line name longer than 15"};
    in.skip(kPlayerLineBytes - 4 - 4 - kTextFieldBytes - kStoredNameBytes);
  }
  return lines;
}

Expected<std::vector<PuppetEntry>, std::string> ReadPuppetList(
    std::span<const std::uint8_t> record) {
  auto count = ListCount(record, kPuppetEntryBytes, "puppets");
  if (!count) return Refusal{count.error()};
  std::vector<PuppetEntry> puppets(*count);
  ByteReader in(record);
  in.skip(kListHeadBytes);
  for (PuppetEntry& puppet : puppets) {
    puppet.scriptId = in.u32();
    in.skip(4);
    if (!ReadStoredName(in, puppet.name)) return Refusal{"puppet name longer than 15"};
    in.skip(kStoredNameBytes);
  }
  return puppets;
}

Expected<PuppetLayers, std::string> ReadPuppetLayers(std::span<const std::uint8_t> record) {
  if (record.size() < kPuppetLayersRecordBytes) {
    return Refusal{"a layer record of " + SizeText(record.size()) + ", fewer than " +
                   std::to_string(kPuppetLayersRecordBytes)};
  }
  PuppetLayers layers;
  std::size_t sum = 0;
  for (std::size_t k = 0; k < kPuppetLayers; ++k) {
    ByteReader in(record.subspan(k * kPuppetLayerBytes, kPuppetLayerBytes));
    in.skip(kLayerCountOffset);
    const std::int16_t count = in.i16();
    if (count < 0 || static_cast<std::size_t>(count) > kMaxLayerImages) {
      return Refusal{"layer " + std::to_string(k) + " holds " + std::to_string(count) +
                     " images, not 0 to 32"};
    }
    layers[k].resize(static_cast<std::size_t>(count));
    for (std::uint32_t& id : layers[k]) id = in.u32();
    sum += layers[k].size();
  }
  ByteReader total(record.subspan(kLayerTotalOffset));
  if (const std::int16_t stored = total.i16();
      stored < 0 || static_cast<std::size_t>(stored) != sum) {
    return Refusal{"the layers hold " + std::to_string(sum) + " images, the record says " +
                   std::to_string(stored)};
  }
  return layers;
}

Expected<std::vector<LipSyncFrame>, std::string> ReadLipSyncFrames(
    std::span<const std::uint8_t> record, std::int16_t count) {
  if (count < 0 ||
      !CountFits(static_cast<std::uint64_t>(count), kLipSyncFrameBytes, 0, record.size())) {
    return Refusal{std::to_string(count) + " lip-sync frames do not fit a record of " +
                   SizeText(record.size())};
  }
  std::vector<LipSyncFrame> frames(static_cast<std::size_t>(count));
  ByteReader in(record);
  for (LipSyncFrame& frame : frames) {
    in.skip(kFrameRectOffset);
    frame.changed = ReadRect(in);
    for (LayerPlacement& layer : frame.layers) {
      layer.image = in.i16();
      layer.at.v = in.i16();
      layer.at.h = in.i16();
    }
  }
  return frames;
}

std::vector<std::uint8_t> WritePuppetHeader(const PuppetHeader& header) {
  ByteWriter out;
  out.zeros(kPlayerFlagOffset);
  out.u16(header.hasPlayerLines ? 1 : 0);
  WriteRect(out, header.picture);
  out.zeros(kColourTableOffset - out.data().size());
  out.bytes(EncodeColourTable16(header.colours));
  for (const std::uint32_t ticks : header.shortest) out.u32(ticks);
  for (const std::uint32_t ticks : header.longest) out.u32(ticks);
  out.u32(header.bandId);
  WriteStoredName(out, header.name);
  out.i16(static_cast<std::int16_t>(header.lines.size()));
  for (const PuppetLine& line : header.lines) {
    out.zeros(6);
    out.i16(line.frameCount);
    out.u32(line.soundId);
    out.u32(line.framesId);
    out.zeros(8);
    WriteText(out, line.subtitle);
    WriteStoredName(out, line.name);
    out.zeros(kPuppetLineBytes - 24 - kTextFieldBytes - kStoredNameBytes);
  }
  return out.take();
}

std::vector<std::uint8_t> WritePlayerLines(std::span<const PlayerLine> lines) {
  ByteWriter out;
  WriteListHead(out, lines.size());
  for (const PlayerLine& line : lines) {
    out.u32(line.soundId);
    out.zeros(4);
    WriteText(out, line.text);
    WriteStoredName(out, line.name);
    out.zeros(kPlayerLineBytes - 8 - kTextFieldBytes - kStoredNameBytes);
  }
  return out.take();
}

std::vector<std::uint8_t> WritePuppetList(std::span<const PuppetEntry> puppets) {
  ByteWriter out;
  WriteListHead(out, puppets.size());
  for (const PuppetEntry& puppet : puppets) {
    out.u32(puppet.scriptId);
    out.zeros(4);
    WriteStoredName(out, puppet.name);
    out.zeros(kStoredNameBytes);
  }
  return out.take();
}

std::vector<std::uint8_t> WritePuppetLayers(const PuppetLayers& layers) {
  ByteWriter out;
  std::size_t sum = 0;
  for (const std::vector<std::uint32_t>& images : layers) {
    const std::size_t count = std::min(images.size(), kMaxLayerImages);
    out.zeros(kLayerCountOffset);
    out.i16(static_cast<std::int16_t>(count));
    for (std::size_t i = 0; i < count; ++i) out.u32(images[i]);
    out.zeros(kPuppetLayerBytes - kLayerCountOffset - 2 - 4 * count);
    sum += count;
  }
  out.i16(static_cast<std::int16_t>(sum));
  return out.take();
}

std::vector<std::uint8_t> WriteLipSyncFrames(std::span<const LipSyncFrame> frames) {
  ByteWriter out;
  for (const LipSyncFrame& frame : frames) {
    out.zeros(kFrameRectOffset);
    WriteRect(out, frame.changed);
    for (const LayerPlacement& layer : frame.layers) {
      out.i16(layer.image);
      out.i16(layer.at.v);
      out.i16(layer.at.h);
    }
  }
  return out.take();
}

}  // namespace lw

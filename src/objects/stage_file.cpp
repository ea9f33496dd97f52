#include "objects/stage_file.h"

#include "common/byte_io.h"

namespace lw {
namespace {

constexpr std::size_t kWidthOffset = 28;
constexpr std::size_t kNameOffset = 2084;
constexpr std::size_t kFlatCountOffset = 2100;
// The header is read in order: the flat count follows the name field directly.
static_assert(kNameOffset + kStoredNameBytes == kFlatCountOffset);

}  // namespace

Expected<StageHeader, std::string> ReadStageHeader(std::span<const std::uint8_t> record) {
  if (record.size() < kStageHeaderFixedBytes) {
    return Unexpected{"stage header of " + std::to_string(record.size()) + " bytes, fewer than " +
                      std::to_string(kStageHeaderFixedBytes)};
  }
  StageHeader header;
  ByteReader in(record);
  in.skip(kWidthOffset);
  header.width = in.u16();
  header.height = in.u16();
  header.scriptId = in.u32();
  header.paletteId = in.u32();
  in.skip(kNameOffset - in.position());
  if (!ReadStoredName(in, header.name)) return Unexpected{std::string("stage name longer than 15")};
  const std::uint32_t flats = in.u32();
  // Checked before anything is allocated: the count must fit the record.
  if (flats > (record.size() - kStageHeaderFixedBytes) / kFlatEntryBytes) {
    return Unexpected{std::to_string(flats) + " flats do not fit a stage header of " +
                      std::to_string(record.size()) + " bytes"};
  }
  header.flats.resize(flats);
  for (FlatEntry& flat : header.flats) {
    flat.scriptId = in.u32();
    flat.pictureId = in.u32();
    flat.buttonRecordId = in.u32();
    if (!ReadStoredName(in, flat.name)) return Unexpected{std::string("flat name longer than 15")};
  }
  return header;
}

Expected<std::vector<ButtonEntry>, std::string> ReadButtonRecord(
    std::span<const std::uint8_t> record) {
  ByteReader in(record);
  const std::uint32_t count = in.u32();
  if (in.failed() || count > in.remaining() / kButtonEntryBytes) {
    return Unexpected{"a button record of " + std::to_string(record.size()) +
                      " bytes cannot hold its " + std::to_string(count) + " buttons"};
  }
  std::vector<ButtonEntry> buttons(count);
  for (ButtonEntry& button : buttons) {
    in.skip(4);
    button.rect = ReadRect(in);
    button.scriptId = in.u32();
    if (!ReadStoredName(in, button.name))
      return Unexpected{std::string("button name longer than 15")};
  }
  return buttons;
}

std::vector<std::uint8_t> WriteStageHeader(const StageHeader& header) {
  ByteWriter out;
  out.zeros(kWidthOffset);
  out.u16(header.width);
  out.u16(header.height);
  out.u32(header.scriptId);
  out.u32(header.paletteId);
  out.zeros(kNameOffset - out.data().size());
  WriteStoredName(out, header.name);
  out.u32(static_cast<std::uint32_t>(header.flats.size()));
  for (const FlatEntry& flat : header.flats) {
    out.u32(flat.scriptId);
    out.u32(flat.pictureId);
    out.u32(flat.buttonRecordId);
    WriteStoredName(out, flat.name);
  }
  return out.take();
}

std::vector<std::uint8_t> WriteButtonRecord(std::span<const ButtonEntry> buttons) {
  ByteWriter out;
  out.u32(static_cast<std::uint32_t>(buttons.size()));
  for (const ButtonEntry& button : buttons) {
    out.u32(0);
    WriteRect(out, button.rect);
    out.u32(button.scriptId);
    WriteStoredName(out, button.name);
  }
  return out.take();
}

}  // namespace lw

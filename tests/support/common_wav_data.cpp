#include "support/common_wav_data.h"

#include <string_view>

#include "common/byte_io.h"

namespace lw::test {

std::vector<std::uint8_t> WavFmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                 std::uint16_t blockAlign, std::uint16_t bits,
                                 std::uint16_t subformat) {
  ByteWriter w;
  w.u16(tag);
  w.u16(channels);
  w.u32(rate);
  w.u32(rate * blockAlign);
  w.u16(blockAlign);
  w.u16(bits);
  if (subformat != 0) {
    constexpr std::uint16_t kExtensionSize = 22;
    constexpr std::uint32_t kChannelMask = 3;
    w.u16(kExtensionSize);
    w.u16(bits);
    w.u32(kChannelMask);
    w.u16(subformat);
    w.bytes(std::vector<std::uint8_t>{0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
  }
  return w.take();
}

std::vector<std::uint8_t> WavFile(const std::vector<std::uint8_t>& fmt,
                                  const std::vector<std::uint8_t>& data,
                                  const std::vector<std::uint8_t>& before) {
  ByteWriter w;
  auto chunk = [&w](std::string_view id, const std::vector<std::uint8_t>& body) {
    for (char c : id) w.u8(static_cast<std::uint8_t>(c));
    w.u32(static_cast<std::uint32_t>(body.size()));
    w.bytes(body);
    if (body.size() % 2 != 0) w.u8(0);
  };
  for (char c : std::string_view("RIFF\0\0\0\0WAVE", 12)) w.u8(static_cast<std::uint8_t>(c));
  if (!before.empty()) chunk("LIST", before);
  chunk("fmt ", fmt);
  chunk("data", data);
  std::vector<std::uint8_t> bytes = w.take();
  constexpr std::size_t kRiffHeader = 8;  // "RIFF" and the size, which counts what follows
  PatchU32(bytes, 4, static_cast<std::uint32_t>(bytes.size() - kRiffHeader));
  return bytes;
}

void PatchU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace lw::test

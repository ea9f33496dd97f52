// WAV files read back for the sound tests, independently of the code that wrote them: the
// header as one line of its fields in file order, numbers little-endian ("RIFF 80 WAVE fmt  16
// 1 2 22050 44100 2 8 data 44"), and the data; 16-bit samples to and from bytes.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lw::platform {

struct WavRead {
  std::string header;
  std::vector<std::uint8_t> data;  // everything after the 44 header bytes
};

inline WavRead ReadWav(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  if (bytes.size() < 44) return {"only " + std::to_string(bytes.size()) + " bytes", {}};
  // The header's fields as sizes in bytes, 0 for a four-letter tag.
  constexpr int kFields[] = {0, 4, 0, 0, 4, 2, 2, 4, 4, 2, 2, 0, 4};
  WavRead wav{"", std::vector<std::uint8_t>(bytes.begin() + 44, bytes.end())};
  std::size_t at = 0;
  for (const int size : kFields) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
      value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    wav.header += (at == 0 ? "" : " ") +
                  (size == 0 ? std::string(&bytes[at], &bytes[at] + 4) : std::to_string(value));
    at += size == 0 ? 4 : static_cast<std::size_t>(size);
  }
  return wav;
}

// Signed 16-bit samples as the little-endian bytes a stream takes.
inline std::vector<std::uint8_t> Bytes16(const std::vector<int>& samples) {
  std::vector<std::uint8_t> bytes;
  for (const int sample : samples) {
    bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
  }
  return bytes;
}

}  // namespace lw::platform

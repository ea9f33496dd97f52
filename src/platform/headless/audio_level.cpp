#include "platform/headless/audio_level.h"

#include <algorithm>

namespace lw::platform {
namespace {

constexpr std::uint8_t kSilent8Bit = 0x80;
constexpr int kCentre8Bit = 128;

}  // namespace

std::uint8_t SilentByte(int bytesPerSample) { return bytesPerSample == 1 ? kSilent8Bit : 0; }

void CopyAtLevel(std::span<const std::uint8_t> from, std::span<std::uint8_t> to, int bytesPerSample,
                 int level) {
  if (level >= kMaxAudioLevel) {
    std::copy(from.begin(), from.end(), to.begin());
    return;
  }
  if (bytesPerSample == 1) {
    for (std::size_t i = 0; i < from.size(); ++i) {
      to[i] =
          static_cast<std::uint8_t>(kCentre8Bit + (from[i] - kCentre8Bit) * level / kMaxAudioLevel);
    }
    return;
  }
  // Little-endian 16-bit samples; an odd last byte (never whole samples) is copied as silence.
  const std::size_t whole = from.size() & ~std::size_t{1};
  for (std::size_t i = 0; i < whole; i += 2) {
    const auto sample = static_cast<std::int16_t>(from[i] | (from[i + 1] << 8));
    const auto scaled = static_cast<std::uint16_t>(sample * level / kMaxAudioLevel);
    to[i] = static_cast<std::uint8_t>(scaled);
    to[i + 1] = static_cast<std::uint8_t>(scaled >> 8);
  }
  if (whole < from.size()) to[whole] = 0;
}

}  // namespace lw::platform

// The output level of the platform's sound streams: a gain of level / 9 applied to each sample
// as it is copied out, so that level 9 leaves the samples as they are and level 0 gives
// silence. 16-bit samples are signed and scale towards 0; 8-bit samples are unsigned and scale
// towards 128. The product is truncated towards the centre, so the gain never adds noise.
#pragma once

#include <cstdint>
#include <span>

namespace lw::platform {

inline constexpr int kMinAudioLevel = 0;
inline constexpr int kMaxAudioLevel = 9;

// The silent value of one byte of samples: 0 for 16-bit (both bytes), 128 for 8-bit.
[[nodiscard]] std::uint8_t SilentByte(int bytesPerSample);

// Copies `from` into `to` (as many bytes as `from` holds; `to` is at least as long), applying
// the gain of `level` to each sample.
void CopyAtLevel(std::span<const std::uint8_t> from, std::span<std::uint8_t> to, int bytesPerSample,
                 int level);

}  // namespace lw::platform

// WAV files built from their parts, as other tools write them (extensible formats, chunks of
// their own, odd sizes), and patched, for tests of the WAV reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lw::test {

// The body of a "fmt " chunk; with a `subformat`, the extensible form naming it (1 is PCM).
std::vector<std::uint8_t> WavFmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                 std::uint16_t blockAlign, std::uint16_t bits,
                                 std::uint16_t subformat = 0);

// A RIFF WAVE file of a "fmt " and a "data" chunk, after a "LIST" chunk of `before` if any.
std::vector<std::uint8_t> WavFile(const std::vector<std::uint8_t>& fmt,
                                  const std::vector<std::uint8_t>& data,
                                  const std::vector<std::uint8_t>& before = {});

// Overwrites the little-endian u32 at `at`.
void PatchU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);

}  // namespace lw::test

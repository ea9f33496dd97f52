// Sound records written by hand for tests, so that every sample a test hears is one it chose.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/byte_io.h"
#include "support/storage_scratch.h"

namespace lw::test {

// A sound record of the 8-bit `samples`, each in 64 .. 191, at `rate`: one byte to a frame, in
// blocks of 512, 1024 or 2048 samples for 11025, 44100 and other rates, each sample a set code
// (the sample less 64), the last block padded with its last sample.
inline Bytes SoundRecordOf(std::uint32_t rate, const std::vector<std::uint8_t>& samples) {
  const std::size_t blockSize = rate == 11025 ? 512 : rate == 44100 ? 2048 : 1024;
  const std::size_t blocks = (samples.size() + blockSize - 1) / blockSize;
  ByteWriter w;
  w.zeros(26);
  w.i16(1);
  w.u32(rate);
  w.zeros(4);
  w.i32(static_cast<std::int32_t>(samples.size()));
  w.u32(static_cast<std::uint32_t>(blocks));
  for (std::size_t b = 0; b < blocks; ++b)
    w.u32(static_cast<std::uint32_t>(44 + 4 * blocks + b * blockSize));
  for (std::size_t i = 0; i < blocks * blockSize; ++i) {
    const std::uint8_t s = samples[std::min(i, samples.size() - 1)];
    EXPECT_TRUE(s >= 64 && s < 192) << int{s};
    w.u8(static_cast<std::uint8_t>(s - 64));
  }
  return w.take();
}

}  // namespace lw::test

// Sound records written by hand for tests, so that every sample a test hears is one it chose.
#pragma once

#include <cstdint>
#include <vector>

#include "support/storage_scratch.h"

namespace lw::test {

// A sound record of the 8-bit `samples` at `rate`, in blocks of 512, 1024 or 2048 samples for
// 11025, 44100 and other rates: each block's first sample as it is, then a set code for each
// sample that differs from the one before (all but the first must lie in 64 .. 191) and run
// codes for repeats, the last block padded with its last sample. `bytesPerFrame` is written as
// given, so that a test can make records the player refuses.
Bytes SoundRecordOf(std::uint32_t rate, const std::vector<std::uint8_t>& samples,
                    std::int16_t bytesPerFrame = 1);
// A sound record of the block codes `blocks` as they are, holding `length` samples.
Bytes SoundRecordOfBlocks(std::uint32_t rate, const std::vector<Bytes>& blocks, std::int32_t length,
                          std::int16_t bytesPerFrame = 1);

}  // namespace lw::test

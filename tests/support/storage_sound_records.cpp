#include "support/storage_sound_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>

#include "common/byte_io.h"

namespace lw::test {
namespace {

constexpr std::size_t kLongestRun = 64;

// The block code for `samples`, padded with runs of the last one to `blockSize`.
Bytes EncodeBlock(std::span<const std::uint8_t> samples, std::size_t blockSize) {
  Bytes code{static_cast<std::uint8_t>(samples[0] - 64)};
  std::size_t run = 0;
  const auto flush = [&] {
    for (; run > 0; run -= std::min(run, kLongestRun))
      code.push_back(static_cast<std::uint8_t>(0xC0 + std::min(run, kLongestRun) - 1));
  };
  for (std::size_t i = 1; i < blockSize; ++i) {
    const std::uint8_t s = i < samples.size() ? samples[i] : samples.back();
    const std::uint8_t previous = i - 1 < samples.size() ? samples[i - 1] : samples.back();
    if (s == previous) {
      ++run;
      continue;
    }
    flush();
    EXPECT_TRUE(s >= 64 && s < 192) << int{s};
    code.push_back(static_cast<std::uint8_t>(s - 64));
  }
  flush();
  return code;
}

}  // namespace

Bytes SoundRecordOf(std::uint32_t rate, const std::vector<std::uint8_t>& samples,
                    std::int16_t bytesPerFrame) {
  const std::size_t blockSize = rate == 11025 ? 512 : rate == 44100 ? 2048 : 1024;
  std::vector<Bytes> blocks;
  for (std::size_t at = 0; at < samples.size(); at += blockSize) {
    const std::size_t take = std::min(blockSize, samples.size() - at);
    blocks.push_back(EncodeBlock(std::span(samples).subspan(at, take), blockSize));
  }
  return SoundRecordOfBlocks(rate, blocks, static_cast<std::int32_t>(samples.size()),
                             bytesPerFrame);
}

Bytes SoundRecordOfBlocks(std::uint32_t rate, const std::vector<Bytes>& blocks, std::int32_t length,
                          std::int16_t bytesPerFrame) {
  ByteWriter w;
  w.zeros(26);
  w.i16(bytesPerFrame);
  w.u32(rate);
  w.zeros(4);
  w.i32(length);
  w.u32(static_cast<std::uint32_t>(blocks.size()));
  std::uint32_t offset = 44 + 4 * static_cast<std::uint32_t>(blocks.size());
  for (const Bytes& b : blocks) {
    w.u32(offset);
    offset += static_cast<std::uint32_t>(b.size());
  }
  for (const Bytes& b : blocks) w.bytes(b);
  return w.take();
}

}  // namespace lw::test

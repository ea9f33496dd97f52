#include "script/random_generator.h"

namespace lw {
namespace {

constexpr std::uint32_t kWordMask = 0x7FFFFFFF;  // words are 31 bits
constexpr std::uint32_t kSeedMultiplier = 31;
// The two earlier words that make a new one, as offsets ahead of it modulo 55: the word just
// before it (54) and the word 32 before it (23).
constexpr int kNearOffset = 54;
constexpr int kFarOffset = 23;

}  // namespace

void RandomGenerator::seed(std::uint32_t seed) {
  words_[0] = seed & kWordMask;
  for (int i = 1; i < kWords; ++i) words_[i] = (kSeedMultiplier * words_[i - 1] + 1) & kWordMask;
  index_ = 0;
}

// Unsigned arithmetic wraps modulo 2^32, so masking afterwards gives the sum modulo 2^31.
std::uint32_t RandomGenerator::next() {
  index_ = (index_ + 1) % kWords;
  const std::uint32_t sum =
      words_[(index_ + kNearOffset) % kWords] + words_[(index_ + kFarOffset) % kWords];
  words_[index_] = sum & kWordMask;
  return words_[index_];
}

}  // namespace lw

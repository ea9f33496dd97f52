// The random numbers of the script language: an additive lagged generator of 55 words of 31
// bits. Seeded with s: x[0] = s, x[i] = (31 x x[i-1] + 1) mod 2^31, index 0. Each output moves
// the index k on by one and stores x[k] = (x[k + 54] + x[k + 23]) mod 2^31 (indices mod 55),
// which is the output. The same seed always gives the same sequence.
#pragma once

#include <array>
#include <cstdint>

namespace lw {

class RandomGenerator {
 public:
  static constexpr int kWords = 55;

  explicit RandomGenerator(std::uint32_t seed = 0) { this->seed(seed); }

  // Starts the sequence again from `seed` (taken modulo 2^31).
  void seed(std::uint32_t seed);

  // The next output, 0 .. 2^31 - 1.
  std::uint32_t next();

 private:
  std::array<std::uint32_t, kWords> words_{};
  int index_ = 0;
};

}  // namespace lw

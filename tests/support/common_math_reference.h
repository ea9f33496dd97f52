// Reference computations for the geometry and random-number tests, written from the rules as
// stated (octant by octant, a growing sequence for the generator) rather than the way the code
// under test is organised, so that the two can disagree.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace lw::testing {

// The 256-step direction of (dx, dy) by the listed cases and octants; 0 for the zero vector.
inline int ReferenceDirection(std::int64_t dx, std::int64_t dy) {
  if (dx == 0 && dy == 0) return 0;
  if (dy == 0) return dx > 0 ? 0 : 128;
  if (dx == 0) return dy > 0 ? 64 : 192;
  const std::int64_t ax = dx < 0 ? -dx : dx;
  const std::int64_t ay = dy < 0 ? -dy : dy;
  if (ax == ay) {
    if (dx > 0) return dy > 0 ? 32 : 224;
    return dy > 0 ? 96 : 160;
  }
  const std::int64_t r = 512 * (ax < ay ? ax : ay) / (ax < ay ? ay : ax);
  const auto t = static_cast<int>(std::floor(std::atan(static_cast<long double>(r) / 512) * 128 /
                                             std::numbers::pi_v<long double>));
  int angle = 0;
  if (dx > 0 && dy > 0) angle = ax > ay ? t : 64 - t;
  if (dx < 0 && dy > 0) angle = ay > ax ? 64 + t : 128 - t;
  if (dx < 0 && dy < 0) angle = ax > ay ? 128 + t : 192 - t;
  if (dx > 0 && dy < 0) angle = ay > ax ? 192 + t : 256 - t;
  return angle % 256;
}

// One turning step on the 255-unit circle, following the stated rule sentence by sentence.
inline int ReferenceTurn(std::int64_t a, std::int64_t b, std::int64_t s) {
  a = ((a % 256) + 256) % 256;
  b = ((b % 256) + 256) % 256;
  if (s < 1) s = 1;
  const std::int64_t m = 255;
  std::int64_t result = 0;
  if (a < b) {
    if (b - a < m - b + a) {
      result = a + s;
      if (result > b) result = b;
    } else {
      result = a - s;
      if (result < 0) {
        result += m;
        if (result < b) result = b;
      }
    }
  } else {
    if (a - b < m - a + b) {
      result = a - s;
      if (result < b) result = b;
    } else {
      result = a + s;
      if (result >= m) {
        result -= m;
        if (b < result) result = b;
      }
    }
  }
  return static_cast<int>(result);
}

// The integer square root by floating point, corrected to the exact floor.
inline std::uint64_t ReferenceSqrt(std::uint64_t n) {
  auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(n)));
  while (static_cast<unsigned __int128>(root) * root > n) --root;
  while (static_cast<unsigned __int128>(root + 1) * (root + 1) <= n) ++root;
  return root;
}

// The first `count` generator outputs for a seed, as one growing sequence: the 55 seeded words
// in the order they are replaced (x1 .. x54, then x0), then each new word the sum of the word
// before it and the word 32 before it, modulo 2^31.
inline std::vector<std::uint32_t> ReferenceRandom(std::uint32_t seed, int count) {
  std::vector<std::uint64_t> x(55);
  x[0] = seed % (1ull << 31);
  for (int i = 1; i < 55; ++i) x[i] = (31 * x[i - 1] + 1) % (1ull << 31);
  std::vector<std::uint64_t> sequence(x.begin() + 1, x.end());
  sequence.push_back(x[0]);
  std::vector<std::uint32_t> outputs;
  for (int n = 0; n < count; ++n) {
    const std::size_t end = sequence.size();
    sequence.push_back((sequence[end - 1] + sequence[end - 32]) % (1ull << 31));
    outputs.push_back(static_cast<std::uint32_t>(sequence.back()));
  }
  return outputs;
}

// What random(n) gives for a generator output.
inline std::int64_t ReferenceRandomNumber(std::uint32_t output, std::int64_t n) {
  std::int64_t r = output % 32768;
  if (r > 32766) r = 32766;
  return 1 + r * n / 32767;
}

}  // namespace lw::testing

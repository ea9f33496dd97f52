// Sounds for the sound tests, as interleaved 16-bit samples made from functions of time, and the
// signal-to-noise ratio that judges a lossy round trip against what went in.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

namespace lw::test {

// A value in [-1, 1] of channel `channel` at `seconds`.
using Signal = std::function<double(double seconds, int channel)>;

// `frames` frames of `channels` channels at `rate`, at 16-bit scale; with `eightBit` each sample
// keeps only its upper byte, as an 8-bit WAV holds it.
inline std::vector<std::int16_t> SampleSignal(std::uint32_t rate, int channels, std::size_t frames,
                                              const Signal& signal, bool eightBit = false) {
  constexpr double kFullScale = 32768;
  constexpr int kLowByte = 0xFF;
  std::vector<std::int16_t> samples;
  for (std::size_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      const double v = std::clamp(signal(static_cast<double>(f) / rate, c), -1.0, 1.0);
      const long s = std::clamp(std::lround(v * kFullScale), -32768L, 32767L);
      samples.push_back(static_cast<std::int16_t>(eightBit ? s & ~kLowByte : s));
    }
  }
  return samples;
}

inline double Sine(double hz, double seconds) {
  return std::sin(2 * std::numbers::pi * hz * seconds);
}

// Signal-to-noise ratio in dB of `test` against `reference`, both around the value `centre`.
template <typename Reference, typename Test>
double SnrDb(const Reference& reference, const Test& test, double centre) {
  double signal = 0;
  double noise = 0;
  for (std::size_t i = 0; i < std::min(reference.size(), test.size()); ++i) {
    signal += (reference[i] - centre) * (reference[i] - centre);
    noise += (reference[i] - test[i]) * (reference[i] - test[i]);
  }
  return 10 * std::log10(signal / std::max(noise, 1e-12));
}

}  // namespace lw::test

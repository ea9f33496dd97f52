#include "support/common_signals.h"

#include <numbers>

namespace lw::test {

std::vector<std::int16_t> SampleSignal(std::uint32_t rate, int channels, std::size_t frames,
                                       const Signal& signal, bool eightBit) {
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

double Sine(double hz, double seconds) { return std::sin(2 * std::numbers::pi * hz * seconds); }

}  // namespace lw::test

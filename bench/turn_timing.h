// Timing for the benchmarks that race contestants against a bound in one run: each contestant is
// a piece of work done `count` times; its run length is sized so that a run takes about
// kRunSeconds, and the contestants then take turns, one run each, kRuns times, so that a change
// in the machine's load falls on all of them alike. Each rate is the median of its runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace lw::bench {

inline constexpr int kRuns = 5;
inline constexpr double kRunSeconds = 0.25;        // a timed run repeats its work for this long
inline constexpr double kCalibrateSeconds = 0.02;  // a sizing batch grows until it takes this long

// Does its work `count` times.
using Work = std::function<void(std::int64_t count)>;

// Keeps the compiler from dropping stores into `memory` that nothing reads afterwards.
inline void Touch(const void* memory) { asm volatile("" : : "g"(memory) : "memory"); }

inline double Seconds(const Work& work, std::int64_t count) {
  const auto start = std::chrono::steady_clock::now();
  work(count);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// How many times a run of `work` repeats it: doubled until a batch takes kCalibrateSeconds,
// then scaled to kRunSeconds.
inline std::int64_t RunLength(const Work& work) {
  std::int64_t count = 1;
  double seconds = Seconds(work, count);
  while (seconds < kCalibrateSeconds) {
    count *= 2;
    seconds = Seconds(work, count);
  }
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(count * kRunSeconds / seconds));
}

// How many times per second each contestant does its work, the median of its runs.
inline std::vector<double> RatesOf(const std::vector<Work>& contestants) {
  std::vector<std::int64_t> lengths;
  for (const Work& work : contestants) lengths.push_back(RunLength(work));
  std::vector<std::vector<double>> rates(contestants.size());
  for (int run = 0; run < kRuns; ++run) {
    for (std::size_t c = 0; c < contestants.size(); ++c) {
      rates[c].push_back(static_cast<double>(lengths[c]) / Seconds(contestants[c], lengths[c]));
    }
  }
  std::vector<double> medians;
  for (auto& runs : rates) {
    std::sort(runs.begin(), runs.end());
    medians.push_back(runs[runs.size() / 2]);
  }
  return medians;
}

}  // namespace lw::bench

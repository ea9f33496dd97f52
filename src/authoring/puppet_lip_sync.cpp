#include "authoring/puppet_lip_sync.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lw::authoring {
namespace {

constexpr std::size_t kMaxFrames = std::numeric_limits<std::int16_t>::max();
constexpr Rect kWholePicture{0, 0, kPuppetPictureHeight, kPuppetPictureWidth};
constexpr Rect kNothingChanged{0, 0, 0, 0};

// The smallest rectangle holding both; an empty one adds nothing.
Rect Union(const Rect& a, const Rect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return Rect{std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.bottom, b.bottom),
              std::max(a.right, b.right)};
}

}  // namespace

Expected<std::vector<std::size_t>, std::string> LoudnessBands(std::span<const float> samples,
                                                              std::size_t bands) {
  const std::size_t count =
      std::max<std::size_t>(1, (samples.size() + kLipSyncFrameSamples - 1) / kLipSyncFrameSamples);
  if (count > kMaxFrames) {
    return Unexpected{"a line of " + std::to_string(count) +
                      " lip-sync frames, more than 32767 (18 minutes)"};
  }
  std::vector<double> loudness(count, 0.0);
  for (std::size_t f = 0; f < count; ++f) {
    const std::size_t first = f * kLipSyncFrameSamples;
    const std::size_t end = std::min(samples.size(), first + kLipSyncFrameSamples);
    double sum = 0;
    for (std::size_t i = first; i < end; ++i) sum += double{samples[i]} * samples[i];
    if (end > first) loudness[f] = std::sqrt(sum / static_cast<double>(end - first));
  }
  const double peak = *std::max_element(loudness.begin(), loudness.end());
  std::vector<std::size_t> result(count, 0);
  for (std::size_t f = 0; f < count; ++f) {
    if (loudness[f] < kSilentLoudness) continue;
    const auto band = 1 + static_cast<std::size_t>(
                              std::floor(loudness[f] / peak * static_cast<double>(bands - 1)));
    result[f] = std::min(band, bands - 1);
  }
  return result;
}

std::vector<LipSyncFrame> MakeLipSyncFrames(std::span<const std::size_t> bands,
                                            const PuppetPose& pose) {
  std::vector<LipSyncFrame> frames;
  const MouthShapes* mouth = pose.mouth ? &*pose.mouth : nullptr;
  for (std::size_t f = 0; f < bands.size(); ++f) {
    LipSyncFrame frame{f == 0 ? kWholePicture : kNothingChanged, pose.rest};
    if (mouth != nullptr) {
      const std::size_t shape = bands[f];
      frame.layers[mouth->layer] = {mouth->images[shape], mouth->at};
      const std::size_t before = f == 0 ? shape : bands[f - 1];
      if (f > 0 && mouth->images[before] != mouth->images[shape])
        frame.changed = Union(mouth->covers[before], mouth->covers[shape]);
    }
    frames.push_back(frame);
  }
  return frames;
}

}  // namespace lw::authoring

// The lip-sync frames of a puppet line, derived from the loudness of its sound: the steps are
// tabled in puppet_build.h. This part takes the sound as values at 22050 Hz and the puppet's
// picture as placed rectangles, so that it knows nothing of files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"
#include "objects/puppet_file.h"

namespace lw::authoring {

// The rate the loudness is measured at, and the samples of one frame there: two ticks.
inline constexpr std::uint32_t kLipSyncRate = 22050;
inline constexpr std::size_t kLipSyncFrameSamples = 735;
// Below this RMS (a share of full scale) a frame is silent: band 0.
inline constexpr double kSilentLoudness = 0.02;

// The mouth as the frames show it: an image of `layer` per loudness band, silence first, each
// with the rectangle it covers where it is placed.
struct MouthShapes {
  std::size_t layer = 0;
  Point at;
  std::vector<std::int16_t> images;
  std::vector<Rect> covers;
};

// The picture every frame starts from, and the mouth drawn over it.
struct PuppetPose {
  std::array<LayerPlacement, kPuppetLayers> rest{};  // image -1: the layer shows nothing
  std::optional<MouthShapes> mouth;
};

// The loudness band of each frame of a sound given as values in [-1, 1] at 22050 Hz; `bands`
// is at least 1. The error when the sound needs more than 32767 frames.
[[nodiscard]] Expected<std::vector<std::size_t>, std::string> LoudnessBands(
    std::span<const float> samples, std::size_t bands);

// The frames showing `pose` with the mouth of each band.
[[nodiscard]] std::vector<LipSyncFrame> MakeLipSyncFrames(std::span<const std::size_t> bands,
                                                          const PuppetPose& pose);

}  // namespace lw::authoring

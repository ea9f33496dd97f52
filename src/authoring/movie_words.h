// The words of movies that the manifest reads and `titlekit info` prints: transition kinds and
// frame flags by name.
#pragma once

#include <array>
#include <string_view>

#include "media/frame_transitions.h"
#include "media/movie_format.h"

namespace lw::authoring {

// The transition kinds by name, kind k at position k (frame_transitions.h).
inline constexpr std::array<std::string_view, kTransitionKinds> kTransitionNames = {
    "barn_close",      "barn_open",    "iris_close",  "iris_open",     "scroll_down",
    "scroll_up",       "scroll_right", "scroll_left", "wipe_down",     "wipe_up",
    "wipe_right",      "wipe_left",    "venetian",    "cell_dissolve", "strip_dissolve",
    "column_dissolve", "plain",        "fade_out",    "fade_in"};

struct MovieFlagName {
  std::string_view name;
  MovieFrameFlag flag;
};

// The flags a manifest names, in the order info prints them; the preload flag comes from a
// frame's preload range instead.
inline constexpr std::array<MovieFlagName, 5> kMovieFlagNames = {
    {{"timed", kFrameTimed},
     {"landable", kFrameLandable},
     {"wait_sound", kFrameWaitsForSound},
     {"preload_after", kFramePreloadsAfter},
     {"clicks_only", kFrameNeedsPendingClick}}};

}  // namespace lw::authoring

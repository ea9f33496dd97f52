// Movies made from any video that ffmpeg reads, for `titlekit movie from-video`.
//
// ffmpeg (run as a program, child_program.h) writes the video's frames at the asked rate as PPM
// pictures (ppm_picture.h) into a scratch folder, scaled to fit the asked size keeping their
// aspect, both sides even; and, when the video has an audio stream (asked of ffprobe), its first
// one as a 22050 Hz mono 16-bit WAV file cut to the frames' length. The frames share one palette
// (palette_quantiser.h). The movie is then built as `titlekit build` builds a manifest's movie
// (movie_build.h): one segment whose rectangle is the frames' size at (0, 0), one timed frame per
// video frame in order, each lasting its share of the ticks (60 a second) so that frame k ends
// at round((k + 1) x 60 / fps), the sound started by the first frame and the last frame
// stopping the movie; the encoder picks key and difference frames.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "authoring/star_output.h"
#include "common/expected.h"

namespace lw::authoring {

inline constexpr int kMinVideoFps = 1;
inline constexpr int kMaxVideoFps = 30;
inline constexpr int kDefaultVideoFps = 10;
inline constexpr int kDefaultMaxVideoFrames = 3000;
inline constexpr int kMaxVideoFrames = 32767;  // a segment's limit
inline constexpr int kMaxVideoWidth = 640;
inline constexpr int kMaxVideoHeight = 480;
inline constexpr std::uint32_t kVideoSoundRate = 22050;

struct VideoSize {
  int width = 0;   // 2..640
  int height = 0;  // 2..480
};

struct VideoImportRequest {
  std::filesystem::path input;
  int fps = kDefaultVideoFps;              // kMinVideoFps..kMaxVideoFps
  std::optional<VideoSize> fitInto;        // none: the source's size fitted into 640 x 480
  bool sound = true;                       // false: no sound even when the video has one
  int maxFrames = kDefaultMaxVideoFrames;  // more frames than this are refused
};

struct ImportedVideo {
  Records records;  // the movie file's
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::size_t frames = 0;
  bool hasSound = false;
};

// The movie of the request's video; a ready message without the command's name on failure:
// ffmpeg missing, ffmpeg failing (its exit code and the last lines it wrote), no frames, too
// many frames.
[[nodiscard]] Expected<ImportedVideo, std::string> ImportVideo(const VideoImportRequest& request);

}  // namespace lw::authoring

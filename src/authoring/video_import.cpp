#include "authoring/video_import.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "authoring/audio_file.h"
#include "authoring/child_program.h"
#include "authoring/movie_build.h"
#include "authoring/movie_sources.h"
#include "authoring/palette_quantiser.h"
#include "authoring/ppm_picture.h"
#include "authoring/source_file.h"
#include "media/movie_format.h"
#include "shell/drawing/colour_table.h"

namespace lw::authoring {
namespace {

namespace fs = std::filesystem;

constexpr int kTicksPerSecond = 60;
constexpr std::size_t kReportedLines = 5;  // of a failing program's standard error
constexpr std::string_view kSoundName = "soundtrack";

using Failure = Unexpected<std::string>;

// ffmpeg takes names with a colon for protocols and "-" for standard input; "file:" keeps any
// name a plain file name.
std::string FileUrl(const fs::path& path) { return "file:" + path.string(); }

std::string FramePattern(const fs::path& scratch) { return (scratch / "frame%05d.ppm").string(); }

fs::path FramePath(const fs::path& scratch, std::size_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "frame%05zu.ppm", number);
  return scratch / name;
}

// The scale filter: fit into the size asked for, or shrink to fit 640 x 480; sides even.
std::string ScaleFilter(const std::optional<VideoSize>& fitInto) {
  const std::string width =
      fitInto ? std::to_string(fitInto->width) : "'min(" + std::to_string(kMaxVideoWidth) + ",iw)'";
  const std::string height = fitInto ? std::to_string(fitInto->height)
                                     : "'min(" + std::to_string(kMaxVideoHeight) + ",ih)'";
  return "scale=w=" + width + ":h=" + height +
         ":force_original_aspect_ratio=decrease:force_divisible_by=2";
}

// Why a program did not run, for the message.
std::string WhyNotRun(ProgramFailure failure, const std::string& name, const fs::path& scratch) {
  switch (failure) {
    case ProgramFailure::kNotFound: return name + " not found; install it (apt-get install ffmpeg)";
    case ProgramFailure::kOutputFailed:
      return "cannot write into the scratch folder " + scratch.string();
    case ProgramFailure::kCannotStart: break;
  }
  return name + " could not be started";
}

// Runs a program; its standard output, or the message of why it could not run or failed.
Expected<std::string, std::string> Run(const std::vector<std::string>& argv,
                                       const fs::path& scratch) {
  const std::string& name = argv.front();
  auto run = RunProgram(argv, scratch);
  if (!run) return Failure{WhyNotRun(run.error(), name, scratch)};
  if (run->exitCode != 0) {
    std::string message = name + " failed with exit code " + std::to_string(run->exitCode);
    const std::string said = LastLines(run->err, kReportedLines);
    return Failure{said.empty() ? message : message + ":\n" + said};
  }
  return std::move(run->out);
}

// Writes the frames as frame00001.ppm ...; gives how many there are, at most maxFrames + 1.
Expected<std::size_t, std::string> ExtractFrames(const VideoImportRequest& request,
                                                 const fs::path& scratch) {
  auto done = Run(
      {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-i", FileUrl(request.input),
       "-map", "0:v:0", "-vf",
       "fps=" + std::to_string(request.fps) + "," + ScaleFilter(request.fitInto), "-frames:v",
       std::to_string(request.maxFrames + 1), "-c:v", "ppm", "-f", "image2", FramePattern(scratch)},
      scratch);
  if (!done) return Failure{done.error()};
  std::size_t count = 0;
  std::error_code error;
  while (fs::is_regular_file(FramePath(scratch, count + 1), error)) ++count;
  return count;
}

// Whether the video has an audio stream: ffprobe names its index, or nothing.
Expected<bool, std::string> HasAudio(const fs::path& input, const fs::path& scratch) {
  auto out = Run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                  "stream=index", "-of", "csv=p=0", FileUrl(input)},
                 scratch);
  if (!out) return Failure{out.error()};
  return out->find_first_of("0123456789") != std::string::npos;
}

// The first audio stream as mono PCM at 22050 Hz, cut to `seconds`.
Expected<PcmSound, std::string> ExtractSound(const fs::path& input, double seconds,
                                             const fs::path& scratch) {
  const fs::path wav = scratch / "sound.wav";
  char length[32];
  std::snprintf(length, sizeof length, "%.3f", seconds);
  auto done = Run({"ffmpeg",    "-nostdin",  "-hide_banner", "-loglevel",
                   "error",     "-i",        FileUrl(input), "-map",
                   "0:a:0",     "-vn",       "-t",           length,
                   "-ac",       "1",         "-ar",          std::to_string(kVideoSoundRate),
                   "-c:a",      "pcm_s16le", "-f",           "wav",
                   wav.string()},
                  scratch);
  if (!done) return Failure{done.error()};
  std::string problem;
  const auto bytes = ReadSourceFile(wav, problem);
  if (!bytes) return Failure{problem};
  auto sound = ReadAudio({reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()});
  if (!sound) return Failure{"the video's sound: " + sound.error()};
  return sound;
}

Expected<RgbPicture, std::string> ReadFrame(const fs::path& scratch, std::size_t number) {
  std::string problem;
  const auto bytes = ReadSourceFile(FramePath(scratch, number), problem);
  if (!bytes) return Failure{problem};
  auto picture = ReadPpm({reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()});
  if (!picture) return Failure{"frame " + std::to_string(number) + ": " + picture.error()};
  return picture;
}

// Reads every frame twice: once to choose the palette, once to map the frames to it, so that
// only the indexed frames are held at once. Every frame must have the first one's size.
Expected<std::vector<IndexedImage>, std::string> QuantiseFrames(const fs::path& scratch,
                                                                std::size_t count) {
  PaletteQuantiser quantiser;
  RgbPicture first;
  for (std::size_t n = 1; n <= count; ++n) {
    auto frame = ReadFrame(scratch, n);
    if (!frame) return Failure{frame.error()};
    if (n == 1) first = *frame;
    if (frame->width != first.width || frame->height != first.height) {
      return Failure{"frame " + std::to_string(n) + " is " + std::to_string(frame->width) + " x " +
                     std::to_string(frame->height) + ", the first " + std::to_string(first.width) +
                     " x " + std::to_string(first.height)};
    }
    quantiser.add(frame->rgb);
  }
  const Palette palette = quantiser.palette();
  NearestColour nearest(palette);
  std::vector<IndexedImage> images;
  for (std::size_t n = 1; n <= count; ++n) {
    auto frame = ReadFrame(scratch, n);
    if (!frame) return Failure{frame.error()};
    images.push_back({frame->width, frame->height, nearest.map(frame->rgb), palette, false});
  }
  return images;
}

// Frame k's duration in ticks: the frames end at round((k + 1) x 60 / fps).
std::int32_t FrameTicks(std::size_t k, int fps) {
  const auto end = [fps](std::size_t frame) {
    return static_cast<std::int32_t>((2 * kTicksPerSecond * frame + fps) / (2 * fps));
  };
  return end(k + 1) - end(k);
}

// The movie as a manifest entry would give it, with its sources in memory.
struct MovieInMemory {
  ManifestMovie movie;
  MovieSources sources;
};

MovieInMemory Assemble(const VideoImportRequest& request, const fs::path& scratch,
                       std::vector<IndexedImage> images, std::optional<PcmSound> sound) {
  MovieInMemory made;
  made.movie.file = request.input.filename().string();
  ManifestSegment& segment = made.movie.segments.emplace_back();
  segment.where = "segment";
  if (sound) {
    const SourceFile wav{scratch / "sound.wav", "the video's sound"};
    segment.sounds.push_back({std::string(kSoundName), wav, kVideoSoundRate});
    made.sources.sounds.emplace(wav.path, std::move(*sound));
  }
  for (std::size_t k = 0; k < images.size(); ++k) {
    ManifestMovieFrame& frame = segment.frames.emplace_back();
    frame.where = "frame " + std::to_string(k + 1);
    frame.png = {FramePath(scratch, k + 1), frame.where};
    frame.duration = FrameTicks(k, request.fps);
    frame.flags = kFrameTimed;
    frame.sound = k == 0 && !segment.sounds.empty() ? 1 : 0;
    made.sources.pictures.emplace(frame.png.path, std::move(images[k]));
  }
  return made;
}

}  // namespace

Expected<ImportedVideo, std::string> ImportVideo(const VideoImportRequest& request) {
  const std::string input = request.input.string();
  std::error_code error;
  if (!fs::exists(request.input, error)) return Failure{input + ": no such file"};
  if (fs::is_directory(request.input, error)) return Failure{input + ": is a directory"};
  const ScratchFolder scratch;
  if (scratch.path().empty()) return Failure{std::string("cannot make a scratch folder")};

  auto count = ExtractFrames(request, scratch.path());
  if (!count) return Failure{count.error()};
  if (*count == 0) return Failure{input + ": no video frames"};
  if (*count > static_cast<std::size_t>(request.maxFrames)) {
    return Failure{input + ": more than " + std::to_string(request.maxFrames) + " frames at " +
                   std::to_string(request.fps) +
                   " fps; lower --fps, raise --max-frames or shorten the video"};
  }
  std::optional<PcmSound> sound;
  if (request.sound) {
    auto hasAudio = HasAudio(request.input, scratch.path());
    if (!hasAudio) return Failure{hasAudio.error()};
    if (*hasAudio) {
      const double seconds = static_cast<double>(*count) / request.fps;
      auto extracted = ExtractSound(request.input, seconds, scratch.path());
      if (!extracted) return Failure{extracted.error()};
      sound = std::move(extracted).value();
    }
  }
  auto images = QuantiseFrames(scratch.path(), *count);
  if (!images) return Failure{images.error()};
  ImportedVideo imported;
  imported.width = images->front().width;
  imported.height = images->front().height;
  imported.frames = *count;
  imported.hasSound = sound.has_value();

  const MovieInMemory made =
      Assemble(request, scratch.path(), std::move(images).value(), std::move(sound));
  const Palette palette = made.sources.pictures.begin()->second.palette;
  auto records = BuildMovieRecords(made.movie, made.sources, EncodeColourTable(palette));
  if (!records) return Failure{records.error()};
  imported.records = std::move(records).value();
  return imported;
}

}  // namespace lw::authoring

// titlekit movie from-video IN -o OUT.mov [--fps N] [--size WxH] [--no-sound] [--max-frames N]:
// makes a movie file of any video that ffmpeg reads (video_import.h) and reports what it holds.
#include <charconv>
#include <iostream>
#include <optional>
#include <string>

#include "apps/titlekit/command_line.h"
#include "apps/titlekit/commands.h"
#include "apps/titlekit/storage.h"
#include "authoring/video_import.h"
#include "media/movie_format.h"

namespace lw::titlekit {
namespace {

using authoring::VideoImportRequest;
using authoring::VideoSize;

constexpr std::string_view kFlags[] = {"--no-sound"};

std::optional<int> ParseWhole(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

// "WxH" with W in 2..640 and H in 2..480.
std::optional<VideoSize> ParseSize(std::string_view text) {
  const std::size_t cross = text.find('x');
  if (cross == std::string_view::npos) return std::nullopt;
  const auto width = ParseWhole(text.substr(0, cross), 2, authoring::kMaxVideoWidth);
  const auto height = ParseWhole(text.substr(cross + 1), 2, authoring::kMaxVideoHeight);
  if (!width || !height) return std::nullopt;
  return VideoSize{*width, *height};
}

int UsageError(const std::string& complaint) {
  std::cerr << "titlekit movie: " << complaint << '\n';
  return kExitUsage;
}

// The request and the output's name from the arguments after "from-video", or the complaint.
Expected<std::pair<VideoImportRequest, std::string>, std::string> ParseFromVideo(Arguments args) {
  auto line = SplitCommandLine(args, kFlags);
  if (!line) return Unexpected{line.error()};
  VideoImportRequest request;
  std::string output;
  for (const auto& [option, value] : line->options) {
    if (option == "-o") {
      output = std::string(value);
    } else if (option == "--fps") {
      const auto fps = ParseWhole(value, authoring::kMinVideoFps, authoring::kMaxVideoFps);
      if (!fps)
        return Unexpected{"--fps takes a whole number 1..30, not '" + std::string(value) + "'"};
      request.fps = *fps;
    } else if (option == "--size") {
      const auto size = ParseSize(value);
      if (!size)
        return Unexpected{"--size takes WxH, 2..640 x 2..480, not '" + std::string(value) + "'"};
      request.fitInto = size;
    } else if (option == "--max-frames") {
      const auto most = ParseWhole(value, 1, authoring::kMaxVideoFrames);
      if (!most)
        return Unexpected{"--max-frames takes a whole number 1..32767, not '" + std::string(value) +
                          "'"};
      request.maxFrames = *most;
    } else {
      return Unexpected{"unknown option '" + std::string(option) + "'"};
    }
  }
  request.sound = line->flags.empty();
  if (line->input.empty()) return Unexpected{std::string("missing IN")};
  if (output.empty()) return Unexpected{std::string("missing -o OUT.mov")};
  request.input = line->input;
  return std::pair{std::move(request), std::move(output)};
}

int FromVideo(Arguments args) {
  auto parsed = ParseFromVideo(args);
  if (!parsed) return UsageError(parsed.error());
  const auto& [request, output] = *parsed;
  auto imported = authoring::ImportVideo(request);
  if (!imported) {
    std::cerr << "titlekit movie: " << imported.error() << '\n';
    return kExitFailure;
  }
  Storage storage;
  if (auto failure = authoring::ReplaceStarFile(storage.library, output, {kMovieFileType},
                                                imported->records)) {
    std::cerr << "titlekit movie: " << *failure << '\n';
    return kExitFailure;
  }
  std::cout << output << ": " << imported->frames << " frames of " << imported->width << " x "
            << imported->height << " at " << request.fps << " fps, "
            << (imported->hasSound ? "with sound" : "no sound") << '\n';
  return kExitOk;
}

}  // namespace

int RunMovieCommand(Arguments args) {
  if (args.empty() || args[0] != "from-video") return UsageError("expected from-video");
  return FromVideo(args.subspan(1));
}

}  // namespace lw::titlekit

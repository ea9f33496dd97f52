#include "apps/movieplayer/movie_program.h"

#include <iostream>
#include <string>
#include <system_error>

#include "apps/titleplayer/player.h"
#include "script/error_codes.h"

namespace lw::movieplayer {
namespace {

using titleplayer::kExitOk;
using titleplayer::kExitUsage;
using titleplayer::PlayerProgram;

// Why a movie was not played, as the complaint on standard error ends.
std::string NotPlayedReason(ScriptError why) {
  if (why == ScriptError::CantFindFile) return "not found";
  return std::string(ScriptErrorMessage(static_cast<int>(why)));
}

}  // namespace

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path(".") : program.parent_path();
}

int Main(Arguments args) {
  auto options = titleplayer::ReadPlayerOptions(args, PlayerProgram::kMovie);
  if (!options) {
    std::cerr << "movieplayer: " << options.error() << "\n(movieplayer --help lists the options)\n";
    return kExitUsage;
  }
  if (titleplayer::PrintAskedText(*options, PlayerProgram::kMovie)) return kExitOk;
  options->titleFolder = ProgramFolder();
  MovieMode movie = SplitMoviePath(options->movie.value_or(""));
  movie.notPlayed = [](std::string_view path, ScriptError why) {
    std::cerr << "movieplayer: " << path << ": " << NotPlayedReason(why) << '\n';
  };
  return titleplayer::Play(*options, PlayerProgram::kMovie,
                           [&movie](RuntimeOptions& runtime) { runtime.movie = movie; });
}

}  // namespace lw::movieplayer

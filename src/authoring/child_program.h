// Other programs that authoring tools run (ffmpeg, ffprobe): started with an argument vector,
// never through a shell, so file names with spaces or quotes stay whole; their output is kept in
// files of a private temporary folder that is removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/expected.h"

namespace lw::authoring {

// A new folder of its own under the system's temporary folder (mkdtemp), removed with its
// content when the object goes. path() is empty when it could not be made.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// How a program run ended.
struct ProgramRun {
  int exitCode = 0;  // the exit status; 128 + the signal for a program killed by one
  std::string out;   // standard output
  std::string err;   // standard error
};

// Why a program could not be run at all.
enum class ProgramFailure : std::uint8_t {
  kNotFound,      // no such program on PATH
  kCannotStart,   // it exists but could not be started (not executable, out of processes)
  kOutputFailed,  // its output files could not be made in the scratch folder
};

// Runs `argv[0]`, looked up on PATH, with `argv` as its arguments, standard input empty and its
// output kept in `scratch` (as .out and .err files named after the program). Waits until it ends.
[[nodiscard]] Expected<ProgramRun, ProgramFailure> RunProgram(const std::vector<std::string>& argv,
                                                              const std::filesystem::path& scratch);

// The last `count` non-empty lines of `text`, joined by newlines: what a failed program said last.
[[nodiscard]] std::string LastLines(const std::string& text, std::size_t count);

}  // namespace lw::authoring

#include "authoring/child_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

extern char** environ;

namespace lw::authoring {
namespace {

constexpr int kSignalExitBase = 128;  // what shells report for a program killed by a signal

// posix_spawn's file actions, destroyed however the run ends.
class FileActions {
 public:
  FileActions() { ok_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
  ~FileActions() {
    if (ok_) ::posix_spawn_file_actions_destroy(&actions_);
  }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;

  bool open(int descriptor, const std::string& path, int flags) {
    return ok_ &&
           ::posix_spawn_file_actions_addopen(&actions_, descriptor, path.c_str(), flags, 0) == 0;
  }
  [[nodiscard]] const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
  bool ok_ = false;
};

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Creates an empty file, which the child opens for writing; false when it cannot be made.
bool CreateEmpty(const std::filesystem::path& path) {
  return static_cast<bool>(std::ofstream(path, std::ios::binary | std::ios::trunc));
}

}  // namespace

ScratchFolder::ScratchFolder() {
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) base = "/tmp";
  std::string pattern = (base / "titlekit_XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

Expected<ProgramRun, ProgramFailure> RunProgram(const std::vector<std::string>& argv,
                                                const std::filesystem::path& scratch) {
  const std::string name = std::filesystem::path(argv.at(0)).filename().string();
  const std::filesystem::path outPath = scratch / (name + ".out");
  const std::filesystem::path errPath = scratch / (name + ".err");
  FileActions actions;
  if (!CreateEmpty(outPath) || !CreateEmpty(errPath) ||
      !actions.open(STDIN_FILENO, "/dev/null", O_RDONLY) ||
      !actions.open(STDOUT_FILENO, outPath.string(), O_WRONLY | O_TRUNC) ||
      !actions.open(STDERR_FILENO, errPath.string(), O_WRONLY | O_TRUNC)) {
    return Unexpected{ProgramFailure::kOutputFailed};
  }
  std::vector<char*> pointers;
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);

  pid_t child = 0;
  const int started =
      ::posix_spawnp(&child, pointers[0], actions.get(), nullptr, pointers.data(), environ);
  if (started == ENOENT) return Unexpected{ProgramFailure::kNotFound};
  if (started != 0) return Unexpected{ProgramFailure::kCannotStart};
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return Unexpected{ProgramFailure::kCannotStart};
  }
  ProgramRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : kSignalExitBase + WTERMSIG(status);
  run.out = ReadText(outPath);
  run.err = ReadText(errPath);
  return run;
}

std::string LastLines(const std::string& text, std::size_t count) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(std::move(line));
    start = end + 1;
  }
  std::string joined;
  const std::size_t first = lines.size() > count ? lines.size() - count : 0;
  for (std::size_t i = first; i < lines.size(); ++i) {
    if (!joined.empty()) joined += '\n';
    joined += lines[i];
  }
  return joined;
}

}  // namespace lw::authoring

#include "authoring/source_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace lw::authoring {
namespace {

// Larger files are refused rather than read: no source of a title comes near this size.
constexpr std::uintmax_t kMaxSourceBytes = std::uintmax_t{64} << 20;

}  // namespace

std::optional<std::string> ReadSourceFile(const std::filesystem::path& path, std::string& problem) {
  const std::string name = path.string();
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    problem = name + ": is a directory";
    return std::nullopt;
  }
  if (std::filesystem::is_regular_file(path, error) &&
      std::filesystem::file_size(path, error) > kMaxSourceBytes) {
    problem = name + ": file too large (over 64 MiB)";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    problem = name + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    problem = name + ": read error";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace lw::authoring

#include "apps/titleplayer/player_config_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace lw::titleplayer {
namespace {

constexpr std::string_view kConfigFile = "loomwork/player.conf";

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

}  // namespace

std::optional<std::filesystem::path> PlayerConfigPath(const char* xdgConfigHome, const char* home) {
  if (IsAbsolute(xdgConfigHome)) return std::filesystem::path(xdgConfigHome) / kConfigFile;
  if (home == nullptr || home[0] == '\0') return std::nullopt;
  return std::filesystem::path(home) / ".config" / kConfigFile;
}

PlayerConfig ReadPlayerConfig(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return {};
  PlayerConfig unreadable;
  if (std::filesystem::is_directory(path, error)) {
    unreadable.complaints.push_back(path.string() + ": a folder, not a configuration file");
    return unreadable;
  }
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  if (file) text << file.rdbuf();
  if (!file) {
    unreadable.complaints.push_back(path.string() + ": cannot be read (" + std::strerror(errno) +
                                    ")");
    return unreadable;
  }
  return ParsePlayerConfig(text.str(), path.string());
}

PlayerConfig ReadUserPlayerConfig() {
  const std::optional<std::filesystem::path> path =
      PlayerConfigPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  return path ? ReadPlayerConfig(*path) : PlayerConfig{};
}

}  // namespace lw::titleplayer

#include "platform/posix/pictures_folder.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "platform/screenshot_place.h"

namespace lw::platform {
namespace {

std::optional<std::string_view> Variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string_view(value);
}

// The text of user-dirs.dirs in $XDG_CONFIG_HOME or ~/.config, when it can be read.
std::optional<std::string> UserDirsText(std::string_view home) {
  const std::optional<std::string_view> config = Variable("XDG_CONFIG_HOME");
  const std::filesystem::path folder = config && config->starts_with('/')
                                           ? std::filesystem::path(*config)
                                           : std::filesystem::path(home) / ".config";
  std::ifstream file(folder / "user-dirs.dirs");
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

std::filesystem::path UserPicturesFolder() {
  const std::string_view home = Variable("HOME").value_or("");
  const std::optional<std::string> userDirs = UserDirsText(home);
  std::optional<std::string_view> userDirsView;
  if (userDirs) userDirsView = *userDirs;
  const std::filesystem::path pictures =
      PicturesFolder({Variable("XDG_PICTURES_DIR"), home, userDirsView});
  std::error_code error;
  if (std::filesystem::is_directory(pictures, error)) return pictures;
  return home.empty() ? std::filesystem::path(".") : std::filesystem::path(home);
}

}  // namespace lw::platform

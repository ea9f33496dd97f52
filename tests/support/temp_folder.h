// A scratch folder for tests, removed with everything in it when the test ends.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace lw::test {

class TempFolder {
 public:
  // A new folder, memory-backed where the machine has /dev/shm: some tests sync hundreds of times.
  TempFolder() {
    std::error_code error;
    const bool shm = std::filesystem::is_directory("/dev/shm", error);
    std::string pattern =
        ((shm ? "/dev/shm" : std::filesystem::temp_directory_path()) / "lw_test_XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

  // Creates the folder `relative` (and those above it); gives its path.
  std::filesystem::path makeFolder(const std::filesystem::path& relative) const {
    std::filesystem::create_directories(path_ / relative);
    return path_ / relative;
  }
  // Writes `bytes` to the file `relative`; gives its path.
  std::filesystem::path writeFile(const std::filesystem::path& relative,
                                  std::string_view bytes) const {
    std::filesystem::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path_ / relative;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace lw::test

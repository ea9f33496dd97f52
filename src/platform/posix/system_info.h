// The system information of a Linux machine, read from the kernel's files: the memory figures
// from /proc/meminfo, the mount table from /proc/self/mounts, labels from the links in
// /dev/disk/by-label. Every file is read when asked, since discs come and go; a file that is
// missing or cannot be read gives no figures or no entries.
#pragma once

#include <filesystem>
#include <vector>

#include "platform/system_info.h"

namespace lw::platform {

// Where the information comes from; tests point these at fixture files. The mount table has the
// /proc/self/mounts format (fields separated by spaces, with "\ooo" octal escapes in them); the
// label folder holds one link per label, named like /dev/disk/by-label ("\x20" escapes),
// pointing at the device.
struct PosixSystemFiles {
  std::filesystem::path meminfo = "/proc/meminfo";
  std::filesystem::path mountTable = "/proc/self/mounts";
  std::filesystem::path labelDirectory = "/dev/disk/by-label";
  std::vector<std::filesystem::path> mediaRoots = {"/media", "/run/media", "/mnt"};
};

class PosixSystemInfo final : public SystemInfo {
 public:
  explicit PosixSystemInfo(PosixSystemFiles files = {}) : files_(std::move(files)) {}

  [[nodiscard]] MemoryFigures memory() const override;
  [[nodiscard]] std::vector<MountedFilesystem> mounts() const override;
  [[nodiscard]] std::vector<FilesystemLabel> labels() const override;
  [[nodiscard]] std::vector<std::filesystem::path> removableMediaRoots() const override {
    return files_.mediaRoots;
  }

 private:
  PosixSystemFiles files_;
};

}  // namespace lw::platform

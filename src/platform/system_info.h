// What the operating system tells about the machine besides its files: the memory figures, the
// mounted filesystems and the labels of filesystems. The shell asks through this interface (the
// resource cache budgets by the memory figures, the volume map finds discs by mounts and
// labels); posix/system_info.h reads them from the machine, and tests point it at tables of
// their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lw::platform {

// Memory figures in bytes as the kernel reports them; a figure it does not report is missing.
struct MemoryFigures {
  std::optional<std::uint64_t> available;  // what can be had without swapping (newer kernels)
  std::optional<std::uint64_t> free;       // pages nothing uses
  std::optional<std::uint64_t> buffers;    // block buffers, given back on demand
  std::optional<std::uint64_t> cached;     // the page cache, given back on demand
};

// A mounted filesystem: its device (symbolic links resolved when it names a file) and the folder
// it is mounted on.
struct MountedFilesystem {
  std::string device;
  std::filesystem::path mountPoint;
};

// A filesystem label and the device that carries it (links resolved).
struct FilesystemLabel {
  std::string label;
  std::string device;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  [[nodiscard]] virtual MemoryFigures memory() const = 0;
  // Mounted filesystems in the order of the mount table.
  [[nodiscard]] virtual std::vector<MountedFilesystem> mounts() const = 0;
  // Labelled filesystems in the sorted order of their labels.
  [[nodiscard]] virtual std::vector<FilesystemLabel> labels() const = 0;
  // The folders below which the desktop mounts removable media such as discs.
  [[nodiscard]] virtual std::vector<std::filesystem::path> removableMediaRoots() const = 0;
};

// A machine that reports nothing: no memory figures (so no memory limit), no mounts, no labels.
// For tools and tests whose results must not depend on the machine they run on.
class EmptySystemInfo final : public SystemInfo {
 public:
  [[nodiscard]] MemoryFigures memory() const override { return {}; }
  [[nodiscard]] std::vector<MountedFilesystem> mounts() const override { return {}; }
  [[nodiscard]] std::vector<FilesystemLabel> labels() const override { return {}; }
  [[nodiscard]] std::vector<std::filesystem::path> removableMediaRoots() const override {
    return {};
  }
};

// The machine this process runs on, as the operating system's module reads it
// (posix/system_info.cpp).
[[nodiscard]] const SystemInfo& HostSystem();

}  // namespace lw::platform

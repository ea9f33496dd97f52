// Maps the titles' colon paths ("MOSS:MOVIES:INTRO.MOV", "appl:bootfile") onto Linux paths.
//
// The first element is a volume. "appl" (any case) is the title folder. Any other volume is
// found, in this order: a root given with addVolume (the --volume NAME=PATH option); a mounted
// filesystem whose mount directory, anywhere below /media, /run/media or /mnt, is named like the
// volume; a mounted filesystem whose label is the name (wherever it is mounted); a folder of
// that name beside the title folder; otherwise the rest of the path is taken relative to the
// current folder. Volume names compare without regard to case. The remaining elements are
// matched one by one to the real directory entries without regard to case, because copies of
// discs often change the case of names; an element with no such entry (a file about to be
// created) is kept as written. A path without a colon, or whose volume is a single letter (a
// drive letter), is used unchanged.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// Where mounted filesystems are looked up; tests point these at fixtures. The mount table has
// the /proc/self/mounts format (octal escapes such as "\040" in its fields); the label folder
// holds one link per label, named like /dev/disk/by-label ("\x20" escapes), pointing at the
// device. A missing table or folder finds nothing.
struct MountSources {
  std::filesystem::path mountTable = "/proc/self/mounts";
  std::filesystem::path labelDirectory = "/dev/disk/by-label";
  std::vector<std::filesystem::path> mountRoots = {"/media", "/run/media", "/mnt"};
};

class VolumeMap {
 public:
  explicit VolumeMap(std::filesystem::path titleFolder = ".", MountSources mounts = {});

  void setTitleFolder(std::filesystem::path folder) { titleFolder_ = std::move(folder); }
  [[nodiscard]] const std::filesystem::path& titleFolder() const { return titleFolder_; }

  // A volume root given by the user; later additions of the same name win.
  void addVolume(std::string name, std::filesystem::path root);

  // The Linux path for a colon path.
  [[nodiscard]] std::string MapPath(std::string_view colonPath) const;

  // The root of a volume other than "appl", or nothing when no rule finds it.
  [[nodiscard]] std::optional<std::filesystem::path> FindVolume(std::string_view name) const;

 private:
  std::filesystem::path titleFolder_;
  MountSources mounts_;
  std::vector<std::pair<std::string, std::filesystem::path>> volumes_;
};

// `base` joined with `element`, the element matched to an existing entry of `base` without
// regard to ASCII case: an exact match first, else the first match in sorted name order; the
// element as written when there is none.
[[nodiscard]] std::filesystem::path JoinMatchingCase(const std::filesystem::path& base,
                                                     std::string_view element);

}  // namespace lw

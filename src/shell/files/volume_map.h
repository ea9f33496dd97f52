// Maps the titles' colon paths ("MOSS:MOVIES:INTRO.MOV", "appl:bootfile") onto Linux paths.
//
// The first element is a volume. "appl" (any case) is the title folder. Any other volume is
// found, in this order: a root given with addVolume (the --volume NAME=PATH option); a mounted
// filesystem whose mount directory, anywhere below the system's removable media folders (such as
// /media), is named like the volume; a mounted filesystem whose label is the name (wherever it is
// mounted); a folder of that name beside the title folder; otherwise the rest of the path is
// taken relative to the current folder. Volume names compare without regard to case. The
// remaining elements are matched one by one to the real directory entries without regard to
// case, because copies of discs often change the case of names; an element with no such entry (a
// file about to be created) is kept as written. A path without a colon, or whose volume is a
// single letter (a drive letter), is used unchanged.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_info.h"

namespace lw {

class VolumeMap {
 public:
  // Mounted filesystems and their labels come from `system`.
  VolumeMap(std::filesystem::path titleFolder, const platform::SystemInfo& system);

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
  const platform::SystemInfo& system_;
  std::vector<std::pair<std::string, std::filesystem::path>> volumes_;
};

// `base` joined with `element`, the element matched to an existing entry of `base` without
// regard to ASCII case: an exact match first, else the first match in sorted name order; the
// element as written when there is none.
[[nodiscard]] std::filesystem::path JoinMatchingCase(const std::filesystem::path& base,
                                                     std::string_view element);

}  // namespace lw

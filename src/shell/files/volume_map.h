// Maps the titles' colon paths ("MOSS:MOVIES:INTRO.MOV", "appl:bootfile") onto Linux paths or
// onto files inside ISO 9660 disc images.
//
// The first element is a volume. "appl" (any case) is the title folder, or the disc image given
// in its place. Any other volume is found, in this order:
//   1. a root given with addVolume (the --volume NAME=PATH option): a folder or a disc image;
//   2. a mounted filesystem whose mount directory, anywhere below the system's removable media
//      folders (such as /media), is named like the volume;
//   3. a mounted filesystem whose label is the name (wherever it is mounted);
//   4. a folder of that name beside the title folder;
//   5. a disc image named NAME.iso (any case) beside the title folder;
//   6. a disc image beside the title folder (a file ending in .iso, any case, in sorted name
//      order) whose volume label is the name;
// otherwise the rest of the path is taken relative to the current folder. Real discs and folders
// come before images, so that a mounted disc wins over a copy of it lying beside the title.
// Volume names compare without regard to case. The remaining elements are matched one by one to
// the real directory entries (or the image's entries) without regard to case, because copies of
// discs often change the case of names; an element with no such entry (a file about to be
// created) is kept as written. A path without a colon, or whose volume is a single letter (a
// drive letter), is used unchanged. A volume root that is a regular file is read as a disc
// image; when it is none, the files under it fail with the image's error.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_info.h"
#include "shell/files/disc_image.h"

namespace lw {

// Where a colon path leads: a platform path, or the elements of a path inside a disc image.
struct MappedPath {
  // The platform path; for a path inside an image, the image's path with the elements appended
  // (for messages: no such file exists).
  std::string path;
  std::shared_ptr<DiscImage> image;  // the image holding the path, or none
  std::vector<std::string> inImage;  // the elements inside the image, as written
  int imageError = 0;                // the errno of a volume file that is no readable image
  [[nodiscard]] bool onImage() const { return image != nullptr || imageError != 0; }
};

class VolumeMap {
 public:
  // Mounted filesystems and their labels come from `system`.
  VolumeMap(std::filesystem::path titleFolder, const platform::SystemInfo& system);

  void setTitleFolder(std::filesystem::path folder) { titleFolder_ = std::move(folder); }
  [[nodiscard]] const std::filesystem::path& titleFolder() const { return titleFolder_; }

  // A volume root given by the user; later additions of the same name win.
  void addVolume(std::string name, std::filesystem::path root);

  // Where a colon path leads.
  [[nodiscard]] MappedPath Resolve(std::string_view colonPath) const;
  // The Linux path for a colon path (Resolve's path).
  [[nodiscard]] std::string MapPath(std::string_view colonPath) const {
    return Resolve(colonPath).path;
  }

  // The root of a volume other than "appl" (a folder or an image file), or nothing when no rule
  // finds it.
  [[nodiscard]] std::optional<std::filesystem::path> FindVolume(std::string_view name) const;

 private:
  // The image in `file`, opened once and kept while the file stays the same; nothing with
  // `error` set when the file is no image.
  std::shared_ptr<DiscImage> ImageAt(const std::filesystem::path& file, int& error) const;
  // Rules 5 and 6: an image beside the title folder for the volume `name`.
  [[nodiscard]] std::optional<std::filesystem::path> ImageBeside(
      const std::filesystem::path& folder, std::string_view name) const;

  std::filesystem::path titleFolder_;
  const platform::SystemInfo& system_;
  std::vector<std::pair<std::string, std::filesystem::path>> volumes_;
  mutable std::map<std::string, std::shared_ptr<DiscImage>> images_;
};

// `base` joined with `element`, the element matched to an existing entry of `base` without
// regard to ASCII case: an exact match first, else the first match in sorted name order; the
// element as written when there is none.
[[nodiscard]] std::filesystem::path JoinMatchingCase(const std::filesystem::path& base,
                                                     std::string_view element);

}  // namespace lw

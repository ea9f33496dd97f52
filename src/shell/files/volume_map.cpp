#include "shell/files/volume_map.h"

#include <algorithm>
#include <system_error>

#include "shell/files/name_case.h"

namespace lw {
namespace fs = std::filesystem;
namespace {

constexpr char kColon = ':';
constexpr std::string_view kTitleVolume = "appl";
constexpr std::size_t kDriveLetterLength = 1;

// True when `path` lies below `root` (not `root` itself).
bool IsBelow(const fs::path& path, const fs::path& root) {
  const fs::path relative = path.lexically_normal().lexically_relative(root.lexically_normal());
  if (relative.empty() || relative == ".") return false;
  return *relative.begin() != "..";
}

// The last directory name of a path, ignoring a trailing separator.
std::string LastName(const fs::path& path) {
  fs::path normal = path.lexically_normal();
  if (!normal.has_filename() && normal.has_parent_path() && normal != normal.root_path())
    normal = normal.parent_path();
  return normal.filename().string();
}

// The entry names of a folder in sorted order (empty when it cannot be listed).
std::vector<std::string> SortedEntryNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

VolumeMap::VolumeMap(fs::path titleFolder, const platform::SystemInfo& system)
    : titleFolder_(std::move(titleFolder)), system_(system) {}

void VolumeMap::addVolume(std::string name, fs::path root) {
  volumes_.emplace_back(std::move(name), std::move(root));
}

MappedPath VolumeMap::Resolve(std::string_view colonPath) const {
  MappedPath mapped;
  const std::size_t colon = colonPath.find(kColon);
  if (colon == std::string_view::npos || colon == kDriveLetterLength) {
    mapped.path = std::string(colonPath);
    return mapped;
  }
  const std::string_view volume = colonPath.substr(0, colon);

  fs::path root;
  if (EqualIgnoringCase(volume, kTitleVolume)) {
    root = titleFolder_;
  } else if (std::optional<fs::path> found = FindVolume(volume)) {
    root = *found;
  }
  // Each further element names an entry; "a::b" and a trailing ":" add nothing.
  std::vector<std::string> elements;
  std::string_view rest = colonPath.substr(colon + 1);
  while (!rest.empty()) {
    const std::size_t next = rest.find(kColon);
    const std::string_view element = rest.substr(0, next);
    if (!element.empty()) elements.emplace_back(element);
    rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
  }

  std::error_code error;
  if (!root.empty() && fs::is_regular_file(root, error)) {
    mapped.image = ImageAt(root, mapped.imageError);
    mapped.path = root.string();
    for (const std::string& element : elements) mapped.path += "/" + element;
    mapped.inImage = std::move(elements);
    return mapped;
  }
  for (const std::string& element : elements) root = JoinMatchingCase(root, element);
  mapped.path = root.string();
  return mapped;
}

std::shared_ptr<DiscImage> VolumeMap::ImageAt(const fs::path& file, int& error) const {
  const std::string key = file.lexically_normal().string();
  if (const auto kept = images_.find(key); kept != images_.end() && kept->second->IsStill(file))
    return kept->second;
  images_.erase(key);
  std::shared_ptr<DiscImage> image = DiscImage::Open(file, error);
  if (image) images_.emplace(key, image);
  return image;
}

std::optional<fs::path> VolumeMap::ImageBeside(const fs::path& folder,
                                               std::string_view name) const {
  constexpr std::string_view kImageSuffix = ".iso";
  std::vector<fs::path> images;
  for (const std::string& entry : SortedEntryNames(folder)) {
    if (entry.size() <= kImageSuffix.size() ||
        !EqualIgnoringCase(std::string_view(entry).substr(entry.size() - kImageSuffix.size()),
                           kImageSuffix))
      continue;
    std::error_code error;
    if (fs::is_regular_file(folder / entry, error)) images.push_back(folder / entry);
  }
  int error = 0;
  const std::string named = std::string(name) + std::string(kImageSuffix);
  for (const fs::path& image : images)
    if (EqualIgnoringCase(image.filename().string(), named) && ImageAt(image, error)) return image;
  for (const fs::path& image : images) {
    const std::shared_ptr<DiscImage> opened = ImageAt(image, error);
    if (opened && EqualIgnoringCase(opened->label(), name)) return image;
  }
  return std::nullopt;
}

std::optional<fs::path> VolumeMap::FindVolume(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  // Roots given by the user; the latest addition of a name wins.
  for (auto it = volumes_.rbegin(); it != volumes_.rend(); ++it)
    if (EqualIgnoringCase(it->first, name)) return it->second;

  // A filesystem mounted in a folder of the volume's name below a removable media folder.
  const std::vector<platform::MountedFilesystem> mounts = system_.mounts();
  const std::vector<fs::path> roots = system_.removableMediaRoots();
  for (const platform::MountedFilesystem& mount : mounts) {
    const bool underRoot = std::any_of(roots.begin(), roots.end(), [&](const fs::path& root) {
      return IsBelow(mount.mountPoint, root);
    });
    if (underRoot && EqualIgnoringCase(LastName(mount.mountPoint), name)) return mount.mountPoint;
  }

  // A filesystem whose label is the volume's name, wherever it is mounted.
  for (const platform::FilesystemLabel& label : system_.labels()) {
    if (!EqualIgnoringCase(label.label, name)) continue;
    for (const platform::MountedFilesystem& mount : mounts)
      if (mount.device == label.device) return mount.mountPoint;
  }

  // A folder of the volume's name beside the title folder.
  std::error_code error;
  fs::path title = fs::absolute(titleFolder_, error);
  if (error) return std::nullopt;
  title = title.lexically_normal();
  if (!title.has_filename()) title = title.parent_path();
  const fs::path beside = JoinMatchingCase(title.parent_path(), name);
  if (fs::is_directory(beside, error)) return beside;

  // Disc images beside the title folder: by file name, then by label.
  return ImageBeside(title.parent_path(), name);
}

fs::path JoinMatchingCase(const fs::path& base, std::string_view element) {
  // An element is a name inside `base`: a leading "/" must not turn it into an absolute path.
  const fs::path exact = base / fs::path(element).relative_path();
  std::error_code error;
  if (fs::exists(fs::symlink_status(exact, error))) return exact;
  // Without an exact entry, the first case-insensitive match in sorted order, so that a folder
  // holding both "Intro.mov" and "INTRO.MOV" always gives the same one.
  for (const std::string& name : SortedEntryNames(base))
    if (EqualIgnoringCase(name, element)) return base / name;
  return exact;
}

}  // namespace lw

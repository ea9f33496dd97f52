// The star library's files: opening, the parked pool, and closing for good. The records inside
// the files (getting, releasing, trimming, memory pressure) are in star_library_cache.cpp.
#include "media/star_library.h"

#include <algorithm>
#include <utility>

namespace lw {

namespace {

// ASCII letters folded to lower case; every other byte as it is.
[[nodiscard]] char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether two paths name the same file as the titles write them: ASCII case ignored.
[[nodiscard]] bool SamePath(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

}  // namespace

StarLibrary::StarLibrary(FileAccess& files, ErrorReporter& errors, StampCounter& stamps,
                         std::function<std::uint64_t()> availableMemory)
    : files_(files),
      errors_(errors),
      stamps_(stamps),
      availableMemory_(std::move(availableMemory)) {}

StarLibrary::~StarLibrary() {
  while (!openList_.empty()) CloseQuietly(*openList_.front());
}

ProgramCode StarLibrary::StarOpen(std::string_view path, StarFile*& out) {
  out = nullptr;
  std::unique_ptr<StarFile> file;
  LW_TRY_CODE(StarFile::Open(files_, path, stamps_.next(), file));
  file->cache.clear();
  file->cacheCapacity = kCacheStep;
  file->parked = false;
  out = file.get();
  openList_.insert(openList_.begin(), out);
  owned_.push_back(std::move(file));
  return ProgramCode::kOk;
}

ProgramCode StarLibrary::StarOpenShared(std::string_view path, StarFile*& out) {
  const auto parked =
      std::find_if(parkedList_.begin(), parkedList_.end(),
                   [path](const StarFile* file) { return SamePath(file->path(), path); });
  if (parked == parkedList_.end()) return StarOpen(path, out);
  // Revived as it was parked: handle, cache and locks untouched, no disk access.
  out = *parked;
  parkedList_.erase(parked);
  out->parked = false;
  return ProgramCode::kOk;
}

void StarLibrary::StarPark(StarFile& file) {
  if (file.parked) {
    errors_.ReportError(CodeNumber(ProgramCode::kLogic), errline::kParkParkedFile);
    return;
  }
  // The new file joins ahead of at most three others; the one parked longest ago goes for good.
  if (parkedList_.size() >= kParkedFiles) {
    StarFile& evicted = *parkedList_[kParkedFiles - 1];
    UnlinkParked(evicted);
    // A file that refuses to close (a record still held, the close hook failing) stays open as
    // an ordinary file; its holders' failure is reported when they go on with it.
    (void)StarClose(evicted);
  }
  file.parked = true;
  parkedList_.insert(parkedList_.begin(), &file);
}

ProgramCode StarLibrary::StarClose(StarFile& file) {
  if (closeHook_) LW_TRY_CODE(closeHook_(file));
  // Nothing is written or freed while a holder still has a record.
  if (std::any_of(file.cache.begin(), file.cache.end(),
                  [](const CachedRecord& entry) { return !IsIdle(entry); }))
    return ProgramCode::kPackUseCount;
  for (CachedRecord& entry : file.cache) LW_TRY_CODE(WriteBack(file, entry));
  file.cache.clear();
  file.cacheCapacity = 0;
  LW_TRY_CODE(file.Flush());
  // The handle is gone whether or not the system liked the close, so the file goes too.
  const ProgramCode closed = file.CloseHandle();
  UnlinkParked(file);
  Forget(file);
  return closed;
}

ProgramCode StarLibrary::StarCloseAll() {
  // A file that fails to close stays open (and unparked) so that no holder is left with a freed
  // record; the first failure is given back.
  ProgramCode first = ProgramCode::kOk;
  std::vector<StarFile*> remaining = openList_;
  for (StarFile* file : remaining) {
    const ProgramCode code = StarClose(*file);
    if (Failed(code) && !Failed(first)) first = code;
  }
  for (StarFile* file : parkedList_) file->parked = false;
  parkedList_.clear();
  return first;
}

bool StarLibrary::IsParked(std::string_view path) const {
  return std::any_of(parkedList_.begin(), parkedList_.end(),
                     [path](const StarFile* file) { return SamePath(file->path(), path); });
}

StarFile* StarLibrary::FindBySerial(std::uint32_t serial) const {
  const auto found = std::find_if(
      openList_.begin(), openList_.end(),
      [serial](const StarFile* file) { return file->serial() == serial && !file->parked; });
  return found == openList_.end() ? nullptr : *found;
}

void StarLibrary::UnlinkParked(StarFile& file) {
  std::erase(parkedList_, &file);
  file.parked = false;
}

void StarLibrary::Forget(StarFile& file) {
  std::erase(openList_, &file);
  std::erase_if(owned_,
                [&file](const std::unique_ptr<StarFile>& owned) { return owned.get() == &file; });
}

void StarLibrary::CloseQuietly(StarFile& file) {
  if (closeHook_) (void)closeHook_(file);
  for (CachedRecord& entry : file.cache) (void)WriteBack(file, entry);
  file.cache.clear();
  (void)file.Flush();
  (void)file.CloseHandle();
  UnlinkParked(file);
  Forget(file);
}

}  // namespace lw

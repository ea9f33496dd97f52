#include "media/display_list.h"

#include <algorithm>

#include "shell/drawing/rect_ops.h"

namespace lw {

bool DisplayList::add(const DisplayEntry& entry) {
  if (entries_.size() == kCapacity) return false;
  entries_.push_back(entry);
  return true;
}

void DisplayList::sortByDepth() {
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const DisplayEntry& a, const DisplayEntry& b) { return a.depth > b.depth; });
}

void DisplayList::flagMeeting(std::span<const Rect> dirty) {
  for (DisplayEntry& entry : entries_) {
    entry.drawFlag = std::any_of(dirty.begin(), dirty.end(), [&entry](const Rect& r) {
      Rect common;
      return SectRect(entry.bounds, r, common);
    });
  }
}

}  // namespace lw

// The display list of the screen composition: the pictures that the object kinds place over the
// screen for one frame. It is cleared at the start of every composition; the kinds add their
// entries while the frame is composed, and the entries that meet a changed part of the screen
// are drawn, far ones first.
//
// A display entry, in memory only (entries never reach a file):
//   FIELD       TYPE     DESCRIPTION
//   anchor      2 x i16  where the picture's hot spot lands: screen coordinates for a 2-D
//                        entry, stage coordinates for a view entry
//   owner       u32      set by the object kind that added the entry; the composition never
//                        reads it
//   drawFlag    u16      set by the composition when the entry meets a dirty rectangle
//   mode        u16      drawing mode: bit 0 draws the picture mirrored left to right
//   depth       i16      below 0: a 2-D entry drawn over the whole screen; 0 or more: a view
//                        entry, its distance from the camera (larger is farther)
//   extraMode   u16      a further mode word for the kinds that draw scaled pictures
//   bounds      4 x i16  the picture's bounding rectangle on the screen
//   fileSerial  u32      the serial number of the star file that holds the picture
//   record      i32      the picture's record id in that file
//   scale       u32      the drawn size of a view entry's picture: rows in the high 16 bits,
//                        columns in the low 16 bits
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/geometry.h"

namespace lw {

struct DisplayEntry {
  static constexpr std::uint16_t kMirrored = 1;

  Point anchor;
  std::uint32_t owner = 0;
  std::uint16_t drawFlag = 0;
  std::uint16_t mode = 0;
  std::int16_t depth = -1;
  std::uint16_t extraMode = 0;
  Rect bounds;
  std::uint32_t fileSerial = 0;
  std::int32_t record = 0;
  std::uint32_t scale = 0;

  // A 2-D entry, drawn over the whole screen rather than into a scene view.
  [[nodiscard]] bool twoDimensional() const { return depth < 0; }
  [[nodiscard]] bool mirrored() const { return (mode & kMirrored) != 0; }
};

class DisplayList {
 public:
  static constexpr std::size_t kCapacity = 99;

  // False, with nothing added, when the list is full.
  [[nodiscard]] bool add(const DisplayEntry& entry);
  void clear() { entries_.clear(); }
  // Orders the entries by depth, largest first; entries of equal depth keep their order.
  void sortByDepth();
  // Sets the draw flag of every entry whose bounds meet one of `dirty`, and clears the others'.
  void flagMeeting(std::span<const Rect> dirty);

  [[nodiscard]] std::span<const DisplayEntry> entries() const { return entries_; }

 private:
  std::vector<DisplayEntry> entries_;
};

}  // namespace lw

// The path slots: nine length-prefixed folder paths (slots 0..8) that the title sets from its
// scripts, all "appl:" (the title folder) at runtime start. Slot 0 is where the boot file is
// looked for; slots 1..8 are where files named by scripts are searched (file_locator.h). The
// movie player has five (0..4), slot 1 its movie's folder.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "script/bounded_string.h"
#include "shell/error_report.h"

namespace lw {

inline constexpr std::string_view kApplicationVolume = "appl:";

class PathSlots {
 public:
  static constexpr int kCount = 9;
  static constexpr int kMovieCount = 5;

  explicit PathSlots(ErrorReporter& errors, int count = kCount);

  // How many slots there are: 9, or the movie player's 5.
  [[nodiscard]] int count() const { return count_; }

  // A copy of slot `index`; an index outside 0..count-1 reports line 5209 and gives "".
  [[nodiscard]] std::string get(int index) const;
  // Copies `path` (cut at 255 characters) into slot `index`; an index outside 0..count-1 reports
  // line 5210 and changes nothing.
  void set(int index, std::string_view path);

 private:
  [[nodiscard]] bool InRange(int index) const { return index >= 0 && index < count_; }

  ErrorReporter& errors_;
  int count_;
  std::array<PString, kCount> slots_;
};

}  // namespace lw

// The path slots: nine length-prefixed folder paths (slots 0..8) that the title sets from its
// scripts, all "appl:" (the title folder) at runtime start. Slot 0 is where the boot file is
// looked for; slots 1..8 are where files named by scripts are searched (file_locator.h).
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

  explicit PathSlots(ErrorReporter& errors);

  // A copy of slot `index`; an index outside 0..8 reports line 5209 and gives "".
  [[nodiscard]] std::string get(int index) const;
  // Copies `path` (cut at 255 characters) into slot `index`; an index outside 0..8 reports line
  // 5210 and changes nothing.
  void set(int index, std::string_view path);

 private:
  [[nodiscard]] static bool InRange(int index) { return index >= 0 && index < kCount; }

  ErrorReporter& errors_;
  std::array<PString, kCount> slots_;
};

}  // namespace lw

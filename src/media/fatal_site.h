// A fatal failure found by a media function that reports nothing itself: the program code and
// the error line that its caller passes on to ReportError. Empty (error line 0) when all went well.
#pragma once

#include <cstdint>

namespace lw {

struct [[nodiscard]] FatalSite {
  std::int16_t programCode = 0;
  std::int16_t errorLine = 0;

  [[nodiscard]] bool failed() const { return errorLine != 0; }
};

}  // namespace lw

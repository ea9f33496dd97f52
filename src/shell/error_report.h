// The one reporter of internal failures. A call site passes its program code and its own error
// line (numbers grouped by module in blocks of a hundred); the box names the failure in words a
// player can act on and offers Ok (the caller goes on) or Cancel (the runtime restores the
// display and ends the process).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "shell/dialogs/boxes.h"
#include "shell/files/platform_error.h"
#include "shell/message_texts.h"

namespace lw {

class ErrorReporter {
 public:
  ErrorReporter(BoxPresenter& boxes, const MessageTexts& texts, LastPlatformError& lastError)
      : boxes_(boxes), texts_(texts), lastError_(lastError) {}

  // Invalid-parameter failures name the 32-bit extension when the runtime runs under it; this
  // platform never does, but the start-up checks own the flag.
  void setUnder32BitExtension(bool on) { under32BitExtension_ = on; }

  // The error line at which a missing file is the boot file (its text names the boot file rather
  // than the disc). The runtime owns that site; until it names it, no line is the boot file's.
  void setBootFileLine(std::int16_t line) { bootFileLine_ = line; }

  // Runs before the process ends after Cancel: restores the display mode and system colours.
  void setRestoreOnCancel(std::function<void()> restore) { restore_ = std::move(restore); }

  // The full box text for a failure, before wrapping: the message chosen by the platform error
  // (or, without one that selects a text, by the program code), formatted with the error line
  // and the platform error, then text 180.
  [[nodiscard]] std::string ComposeMessage(std::int16_t programCode, std::int16_t errorLine,
                                           std::int32_t platformError) const;

  // Shows the fatal box for the failure and takes the last platform error with it (the next
  // report names only a newer one). Returns on Ok; on Cancel runs the restore hook, shows text
  // 182 and ends the process with a failure status.
  void ReportError(std::int16_t programCode, std::int16_t errorLine);

  // How many failures have been reported so far (a run's exit status tells of them).
  [[nodiscard]] int reportCount() const { return reportCount_; }

 private:
  BoxPresenter& boxes_;
  const MessageTexts& texts_;
  LastPlatformError& lastError_;
  bool under32BitExtension_ = false;
  std::optional<std::int16_t> bootFileLine_;
  std::function<void()> restore_;
  int reportCount_ = 0;
};

}  // namespace lw

// A message box as the runtime asks for one: caption, text, buttons and icon, and the answers
// a box can give.
#pragma once

#include <cstdint>
#include <string>

namespace lw {

enum class BoxButtons : std::uint8_t { kOk, kOkCancel, kYesNoCancel, kAbortRetryIgnore };
enum class BoxIcon : std::uint8_t { kStop, kExclamation, kInformation, kQuestion };
enum class BoxAnswer : std::uint8_t { kOk, kCancel, kYes, kNo, kAbort, kRetry, kIgnore };

struct BoxRequest {
  std::string caption;
  std::string text;  // already wrapped for the box (WrapForBox)
  BoxButtons buttons = BoxButtons::kOk;
  BoxIcon icon = BoxIcon::kInformation;
};

}  // namespace lw

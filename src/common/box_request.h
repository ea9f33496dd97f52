// A message box as the runtime asks for one: caption, text, buttons and icon, and the answers
// a box can give.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace lw {

enum class BoxButtons : std::uint8_t { kOk, kOkCancel, kYesNoCancel, kAbortRetryIgnore, kYesNo };
enum class BoxIcon : std::uint8_t { kStop, kExclamation, kInformation, kQuestion };
enum class BoxAnswer : std::uint8_t { kOk, kCancel, kYes, kNo, kAbort, kRetry, kIgnore };

struct BoxRequest {
  std::string caption;
  std::string text;  // already wrapped for the box (WrapForBox)
  BoxButtons buttons = BoxButtons::kOk;
  BoxIcon icon = BoxIcon::kInformation;
};

// The buttons of each box kind, for ButtonsOf.
namespace box_buttons {
inline constexpr std::array kOk{BoxAnswer::kOk};
inline constexpr std::array kOkCancel{BoxAnswer::kOk, BoxAnswer::kCancel};
inline constexpr std::array kYesNoCancel{BoxAnswer::kYes, BoxAnswer::kNo, BoxAnswer::kCancel};
inline constexpr std::array kAbortRetryIgnore{BoxAnswer::kAbort, BoxAnswer::kRetry,
                                              BoxAnswer::kIgnore};
inline constexpr std::array kYesNo{BoxAnswer::kYes, BoxAnswer::kNo};
}  // namespace box_buttons

// The buttons of a box kind as the answers they give, in the order they are shown; the first is
// the default.
[[nodiscard]] constexpr std::span<const BoxAnswer> ButtonsOf(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOk: return box_buttons::kOk;
    case BoxButtons::kOkCancel: return box_buttons::kOkCancel;
    case BoxButtons::kYesNoCancel: return box_buttons::kYesNoCancel;
    case BoxButtons::kAbortRetryIgnore: return box_buttons::kAbortRetryIgnore;
    case BoxButtons::kYesNo: return box_buttons::kYesNo;
  }
  return box_buttons::kOk;
}

// True when a box of this kind has a button that gives `answer`.
[[nodiscard]] constexpr bool HasButton(BoxButtons buttons, BoxAnswer answer) {
  for (const BoxAnswer button : ButtonsOf(buttons))
    if (button == answer) return true;
  return false;
}

// The answer a box gives when nobody chooses: its first button (Ok, Ok, Yes, Abort, Yes).
[[nodiscard]] constexpr BoxAnswer DefaultAnswer(BoxButtons buttons) {
  return ButtonsOf(buttons).front();
}

// The answer of a box that the player dismisses without choosing (Escape, closing the window):
// Cancel where the box has it, No in a Yes/No box, else the default (Ok, Abort).
[[nodiscard]] constexpr BoxAnswer CancelAnswer(BoxButtons buttons) {
  if (HasButton(buttons, BoxAnswer::kCancel)) return BoxAnswer::kCancel;
  if (HasButton(buttons, BoxAnswer::kNo)) return BoxAnswer::kNo;
  return DefaultAnswer(buttons);
}

// The label of an answer's button, as boxes show it and logs name it.
[[nodiscard]] constexpr std::string_view AnswerLabel(BoxAnswer answer) {
  constexpr std::array<std::string_view, 7> kLabels = {"OK",    "Cancel", "Yes",   "No",
                                                       "Abort", "Retry",  "Ignore"};
  const auto index = static_cast<std::size_t>(answer);
  return index < kLabels.size() ? kLabels[index] : "?";
}

}  // namespace lw

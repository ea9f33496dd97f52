#include "platform/sdl/sdl_boxes.h"

#include <SDL.h>

#include <array>
#include <string>
#include <vector>

#include "platform/fonts/mac_roman_text.h"

namespace lw::platform {
namespace {

// A box's buttons in the order they are shown, default first.
struct ButtonSet {
  std::array<BoxAnswer, 3> answers;
  std::size_t count;
};

ButtonSet ButtonsOf(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOk:
      return {{BoxAnswer::kOk}, 1};
    case BoxButtons::kOkCancel:
      return {{BoxAnswer::kOk, BoxAnswer::kCancel}, 2};
    case BoxButtons::kYesNoCancel:
      return {{BoxAnswer::kYes, BoxAnswer::kNo, BoxAnswer::kCancel}, 3};
    case BoxButtons::kAbortRetryIgnore:
      return {{BoxAnswer::kAbort, BoxAnswer::kRetry, BoxAnswer::kIgnore}, 3};
  }
  return {{BoxAnswer::kOk}, 1};
}

const char* LabelOf(BoxAnswer answer) {
  switch (answer) {
    case BoxAnswer::kOk:
      return "OK";
    case BoxAnswer::kCancel:
      return "Cancel";
    case BoxAnswer::kYes:
      return "Yes";
    case BoxAnswer::kNo:
      return "No";
    case BoxAnswer::kAbort:
      return "Abort";
    case BoxAnswer::kRetry:
      return "Retry";
    case BoxAnswer::kIgnore:
      return "Ignore";
  }
  return "?";
}

std::uint32_t IconFlags(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kStop:
      return SDL_MESSAGEBOX_ERROR;
    case BoxIcon::kExclamation:
      return SDL_MESSAGEBOX_WARNING;
    case BoxIcon::kInformation:
    case BoxIcon::kQuestion:
      return SDL_MESSAGEBOX_INFORMATION;
  }
  return SDL_MESSAGEBOX_INFORMATION;
}

// The answer of a box closed without a button: Cancel when it has one, else the default.
BoxAnswer EscapeAnswer(const ButtonSet& set) {
  for (std::size_t i = 0; i < set.count; ++i) {
    if (set.answers[i] == BoxAnswer::kCancel) return BoxAnswer::kCancel;
  }
  return set.answers[0];
}

}  // namespace

BoxAnswer PrintBox(const BoxRequest& request, std::FILE* out) {
  const ButtonSet set = ButtonsOf(request.buttons);
  std::fprintf(out, "[%s]\n%s\n", Utf8FromMacRoman(request.caption).c_str(),
               Utf8FromMacRoman(request.text).c_str());
  for (std::size_t i = 0; i < set.count; ++i) {
    std::fprintf(out, "%s%s", i == 0 ? "  " : " / ", LabelOf(set.answers[i]));
  }
  std::fprintf(out, "  -> %s (no display: the default answer)\n", LabelOf(set.answers[0]));
  std::fflush(out);
  return set.answers[0];
}

BoxAnswer ShowSystemBox(const BoxRequest& request) {
  const ButtonSet set = ButtonsOf(request.buttons);
  const BoxAnswer escape = EscapeAnswer(set);
  std::vector<SDL_MessageBoxButtonData> buttons;
  for (std::size_t i = 0; i < set.count; ++i) {
    std::uint32_t flags = 0;
    if (i == 0) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (set.answers[i] == escape) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    buttons.push_back({flags, static_cast<int>(i), LabelOf(set.answers[i])});
  }
  const std::string caption = Utf8FromMacRoman(request.caption);
  const std::string text = Utf8FromMacRoman(request.text);
  const SDL_MessageBoxData box{IconFlags(request.icon) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                               nullptr,
                               caption.c_str(),
                               text.c_str(),
                               static_cast<int>(buttons.size()),
                               buttons.data(),
                               nullptr};
  int pressed = -1;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) return PrintBox(request, stderr);
  if (pressed < 0 || static_cast<std::size_t>(pressed) >= set.count) return escape;
  return set.answers[static_cast<std::size_t>(pressed)];
}

}  // namespace lw::platform

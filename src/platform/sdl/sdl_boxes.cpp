#include "platform/sdl/sdl_boxes.h"

#include <SDL.h>

#include <span>
#include <string>
#include <vector>

#include "common/mac_roman.h"

namespace lw::platform {
namespace {

std::uint32_t IconFlags(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kStop: return SDL_MESSAGEBOX_ERROR;
    case BoxIcon::kExclamation: return SDL_MESSAGEBOX_WARNING;
    case BoxIcon::kInformation:
    case BoxIcon::kQuestion: return SDL_MESSAGEBOX_INFORMATION;
  }
  return SDL_MESSAGEBOX_INFORMATION;
}

}  // namespace

BoxAnswer PrintBox(const BoxRequest& request, std::FILE* out) {
  std::fprintf(out, "[%s]\n%s\n", MacRomanToUtf8(request.caption).c_str(),
               MacRomanToUtf8(request.text).c_str());
  const char* separator = "  ";
  for (const BoxAnswer button : ButtonsOf(request.buttons)) {
    std::fprintf(out, "%s%s", separator, AnswerLabel(button).data());
    separator = " / ";
  }
  const BoxAnswer answer = DefaultAnswer(request.buttons);
  std::fprintf(out, "  -> %s (no display: the default answer)\n", AnswerLabel(answer).data());
  std::fflush(out);
  return answer;
}

BoxAnswer ShowSystemBox(const BoxRequest& request, bool& shown) {
  shown = false;
  const std::span<const BoxAnswer> answers = ButtonsOf(request.buttons);
  const BoxAnswer escape = CancelAnswer(request.buttons);
  std::vector<SDL_MessageBoxButtonData> buttons;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    std::uint32_t flags = 0;
    if (i == 0) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (answers[i] == escape) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    buttons.push_back({flags, static_cast<int>(i), AnswerLabel(answers[i]).data()});
  }
  const std::string caption = MacRomanToUtf8(request.caption);
  const std::string text = MacRomanToUtf8(request.text);
  const SDL_MessageBoxData box{IconFlags(request.icon) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                               nullptr,
                               caption.c_str(),
                               text.c_str(),
                               static_cast<int>(buttons.size()),
                               buttons.data(),
                               nullptr};
  int pressed = -1;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) return PrintBox(request, stderr);
  shown = true;
  if (pressed < 0 || static_cast<std::size_t>(pressed) >= answers.size()) return escape;
  return answers[static_cast<std::size_t>(pressed)];
}

}  // namespace lw::platform

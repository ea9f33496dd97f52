#include "shell/dialogs/boxes.h"

namespace lw {
namespace {

const char* IconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kStop: return "stop";
    case BoxIcon::kExclamation: return "exclamation";
    case BoxIcon::kInformation: return "information";
    case BoxIcon::kQuestion: return "question";
  }
  return "?";
}

}  // namespace

BoxAnswer TerminalBoxes::showBox(const BoxRequest& request) {
  BoxAnswer answer = policy_ ? policy_(request) : DefaultAnswer(request.buttons);
  // A policy can only press a button the box has; anything else counts as the default.
  if (!HasButton(request.buttons, answer)) answer = DefaultAnswer(request.buttons);
  if (out_ != nullptr) {
    std::fprintf(out_, "[%s] (%s)\n%s\n", request.caption.c_str(), IconName(request.icon),
                 request.text.c_str());
    const char* separator = "  ";
    for (const BoxAnswer button : ButtonsOf(request.buttons)) {
      std::fprintf(out_, "%s%s", separator, AnswerLabel(button).data());
      separator = " / ";
    }
    std::fprintf(out_, "  -> %s\n", AnswerLabel(answer).data());
    std::fflush(out_);
  }
  return answer;
}

std::string WrapForBox(std::string_view text) {
  if (text.size() <= kBoxLineWidth) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / kBoxLineWidth + 1);
  std::size_t pos = 0;
  while (text.size() - pos > kBoxLineWidth) {
    const std::string_view window = text.substr(pos, kBoxLineWidth);
    if (const std::size_t feed = window.find('\n'); feed != std::string_view::npos) {
      out.append(window.substr(0, feed + 1));
      pos += feed + 1;
      continue;
    }
    // Break at the last space of the full line; a line without one (or with only a leading
    // space) stays at full width.
    std::size_t lineLength = window.rfind(' ');
    if (lineLength == std::string_view::npos || lineLength == 0) lineLength = kBoxLineWidth;
    out.append(window.substr(0, lineLength));
    out.push_back('\n');
    pos += lineLength;
    while (pos < text.size() && text[pos] == ' ') ++pos;
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace lw

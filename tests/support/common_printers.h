// Short texts of common values, so that a test compares one string (a trace) instead of
// asserting field by field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/box_request.h"
#include "common/geometry.h"
#include "common/palette.h"

namespace lw::test {

// "top,left,bottom,right".
inline std::string Print(const Rect& r) {
  return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
         "," + std::to_string(r.right);
}

// "v,h".
inline std::string Print(const Point& p) { return std::to_string(p.v) + "," + std::to_string(p.h); }

// "red,green,blue", of 8-bit or 16-bit channels.
template <typename Colour>
requires requires(Colour c) { c.red + c.green + c.blue; }
inline std::string Print(const Colour& c) {
  return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

// "Caption|Text|Yes/No|icon" with each line end of the text shown as '/'.
inline std::string Print(const BoxRequest& request) {
  constexpr std::string_view kIcons[] = {"stop", "exclamation", "information", "question"};
  std::string text = request.caption + "|";
  for (const char c : request.text) text += c == '\n' ? '/' : c;
  text += "|";
  for (const BoxAnswer answer : ButtonsOf(request.buttons))
    text += (text.back() == '|' ? "" : "/") + std::string(AnswerLabel(answer));
  return text + "|" + std::string(kIcons[static_cast<int>(request.icon)]);
}

// The texts of `items`, separated by `separator`.
template <typename T>
std::string Print(const std::vector<T>& items, std::string_view separator = " ") {
  std::string text;
  for (const T& item : items) text += (text.empty() ? "" : std::string(separator)) + Print(item);
  return text;
}

}  // namespace lw::test

#include "shell/dialogs/box_layout.h"

#include <algorithm>
#include <array>
#include <span>

#include "shell/dialogs/dialog_canvas.h"

namespace lw {
namespace {

// The key that presses an answer's button: the first letter of its label, in lower case.
constexpr char KeyOf(BoxAnswer answer) {
  const char first = AnswerLabel(answer).front();
  return first >= 'A' && first <= 'Z' ? static_cast<char>(first - 'A' + 'a') : first;
}

// The box is never narrower than this inside its margins, so short texts still look like boxes.
constexpr int kMinimumInnerWidth = 200;

// The wrapped text as lines; "\r\n" counts as one line end.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\n' && text[i] != '\r') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

}  // namespace

int BoxLayout::buttonAt(Point where) const {
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].rect.contains(where)) return static_cast<int>(i);
  return -1;
}

BoxLayout LayoutBox(const BoxRequest& request, const Rect& canvas, const TextMeasure& measure) {
  using L = BoxLayout;
  BoxLayout layout;
  const int canvasWidth = canvas.width();
  const int canvasHeight = canvas.height();

  // The lines that fit between the caption and the buttons.
  layout.lines = SplitLines(request.text);
  const int fixedHeight = L::kCaptionHeight + 3 * L::kMargin + L::kButtonHeight;
  const auto maxLines =
      static_cast<std::size_t>(std::max(1, (canvasHeight - fixedHeight) / kDialogLineHeight));
  if (layout.lines.size() > maxLines) layout.lines.resize(maxLines);

  int textWidth = 0;
  for (const std::string& line : layout.lines) textWidth = std::max(textWidth, measure(line));
  const std::span<const BoxAnswer> answers = ButtonsOf(request.buttons);
  const int count = static_cast<int>(answers.size());
  const int buttonsWidth = count * L::kButtonWidth + (count - 1) * L::kButtonGap;
  const int innerWidth = std::max({L::kIconSize + L::kMargin + textWidth, buttonsWidth,
                                   measure(request.caption), kMinimumInnerWidth});
  const int width = std::min(innerWidth + 2 * L::kMargin, canvasWidth);
  const int textHeight = static_cast<int>(layout.lines.size()) * kDialogLineHeight;
  const int bodyHeight = std::max(L::kIconSize, textHeight);
  const int height = std::min(fixedHeight + bodyHeight, canvasHeight);

  const int top = canvas.top + (canvasHeight - height) / 2;
  const int left = canvas.left + (canvasWidth - width) / 2;
  layout.frame = MakeRect(top, left, height, width);
  layout.caption = MakeRect(top, left, L::kCaptionHeight, width);
  const int bodyTop = top + L::kCaptionHeight + L::kMargin;
  layout.icon = MakeRect(bodyTop, left + L::kMargin, L::kIconSize, L::kIconSize);
  layout.textLeft = layout.icon.right + L::kMargin;
  layout.textTop = bodyTop + (bodyHeight - textHeight) / 2;

  const int buttonTop = top + height - L::kMargin - L::kButtonHeight;
  int buttonLeft = left + (width - buttonsWidth) / 2;
  for (const BoxAnswer answer : answers) {
    layout.buttons.push_back(
        BoxButtonPlace{answer, AnswerLabel(answer), KeyOf(answer),
                       MakeRect(buttonTop, buttonLeft, L::kButtonHeight, L::kButtonWidth)});
    buttonLeft += L::kButtonWidth + L::kButtonGap;
  }
  return layout;
}

}  // namespace lw

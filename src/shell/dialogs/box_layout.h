// Where the parts of a message box lie on the screen canvas: the frame centred on the canvas, the
// caption bar, the icon, the lines of text and the row of buttons. The box grows to its text and
// never beyond the canvas; lines that do not fit are left out.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/box_request.h"
#include "common/geometry.h"

namespace lw {

// One button of a box as it is drawn: the answer it gives, its label, the key that presses it
// (the label's first letter, lower case) and where it lies.
struct BoxButtonPlace {
  BoxAnswer answer;
  std::string_view label;
  char key;
  Rect rect;
};

struct BoxLayout {
  static constexpr int kCaptionHeight = 20;
  static constexpr int kMargin = 12;
  static constexpr int kIconSize = 32;
  static constexpr int kButtonWidth = 80;
  static constexpr int kButtonHeight = 24;
  static constexpr int kButtonGap = 10;
  static constexpr int kFrameWidth = 2;

  Rect frame;    // the whole box
  Rect caption;  // the caption bar across its top
  Rect icon;
  std::vector<std::string> lines;
  int textLeft = 0;
  int textTop = 0;  // top of the first line; lines are kDialogLineHeight apart
  std::vector<BoxButtonPlace> buttons;

  // The index of the button under a canvas point, or -1.
  [[nodiscard]] int buttonAt(Point where) const;
};

// Measures a text's width in pixels in the dialog face.
using TextMeasure = std::function<int(std::string_view)>;

// Lays out a box for `request` on `canvas`. The text is already wrapped: each line feed (or
// carriage return) starts a new line.
[[nodiscard]] BoxLayout LayoutBox(const BoxRequest& request, const Rect& canvas,
                                  const TextMeasure& measure);

}  // namespace lw

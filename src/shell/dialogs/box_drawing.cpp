#include "shell/dialogs/box_drawing.h"

namespace lw {
namespace {

constexpr int kThinFrame = 1;
constexpr int kHeavyFrame = 2;
constexpr int kFocusInset = 4;
constexpr int kCaptionIndent = 6;

// The icon glyphs, drawn in a square of BoxLayout::kIconSize pixels.
constexpr int kStroke = 3;          // width of the strokes of "!", "i" and the stop cross
constexpr int kCrossInset = 8;      // the stop cross keeps this far from the square's edge
constexpr int kMarkBarTop = 11;     // "!": bar from here ...
constexpr int kMarkBarBottom = 22;  // ... to here, then the dot
constexpr int kMarkDotTop = 24;
constexpr int kInfoDotTop = 6;  // "i": dot first, then the bar
constexpr int kInfoBarTop = 12;
constexpr int kInfoBarBottom = 26;
constexpr int kQuestionSize = 24;  // "?" drawn as text this high
constexpr int kQuestionBaseline = 27;

// A vertical stroke centred on the icon, from `top` to `bottom` rows below its top.
Rect Stroke(const Rect& icon, int top, int bottom) {
  const int left = (icon.left + icon.right - kStroke) / 2;
  return Rect{Coord16(icon.top + top), Coord16(left), Coord16(icon.top + bottom),
              Coord16(left + kStroke)};
}

Point At(int h, int v) { return PointAt(v, h); }

// A filled square with a cross in the paper colour.
void DrawStopIcon(DialogCanvas& canvas, const Rect& r, DialogColours colours) {
  canvas.fill(r, colours.ink);
  const int low = r.left + kCrossInset;
  const int high = r.right - kCrossInset - kStroke;
  const int top = r.top + kCrossInset;
  const int bottom = r.bottom - kCrossInset - kStroke;
  canvas.line(At(low, top), At(high, bottom), colours.paper, kStroke);
  canvas.line(At(high, top), At(low, bottom), colours.paper, kStroke);
}

// A triangle holding an exclamation mark.
void DrawExclamationIcon(DialogCanvas& canvas, const Rect& r, DialogColours colours) {
  const int middle = (r.left + r.right - kHeavyFrame) / 2;
  const int base = r.bottom - kHeavyFrame;
  const int right = r.right - kHeavyFrame;
  canvas.line(At(middle, r.top), At(r.left, base), colours.ink, kHeavyFrame);
  canvas.line(At(r.left, base), At(right, base), colours.ink, kHeavyFrame);
  canvas.line(At(right, base), At(middle, r.top), colours.ink, kHeavyFrame);
  canvas.fill(Stroke(r, kMarkBarTop, kMarkBarBottom), colours.ink);
  canvas.fill(Stroke(r, kMarkDotTop, kMarkDotTop + kStroke), colours.ink);
}

// A framed square holding an "i".
void DrawInformationIcon(DialogCanvas& canvas, const Rect& r, DialogColours colours) {
  canvas.frame(r, colours.ink, kHeavyFrame);
  canvas.fill(Stroke(r, kInfoDotTop, kInfoDotTop + kStroke), colours.ink);
  canvas.fill(Stroke(r, kInfoBarTop, kInfoBarBottom), colours.ink);
}

// A framed square holding a question mark.
void DrawQuestionIcon(DialogCanvas& canvas, const Rect& r, DialogColours colours) {
  canvas.frame(r, colours.ink, kHeavyFrame);
  const int width = canvas.textWidth("?", kQuestionSize);
  canvas.text((r.left + r.right - width) / 2, r.top + kQuestionBaseline, "?", colours.ink,
              kQuestionSize);
}

void DrawIcon(DialogCanvas& canvas, const Rect& r, BoxIcon icon, DialogColours colours) {
  switch (icon) {
    case BoxIcon::kStop: DrawStopIcon(canvas, r, colours); return;
    case BoxIcon::kExclamation: DrawExclamationIcon(canvas, r, colours); return;
    case BoxIcon::kInformation: DrawInformationIcon(canvas, r, colours); return;
    case BoxIcon::kQuestion: DrawQuestionIcon(canvas, r, colours); return;
  }
}

}  // namespace

void DrawDialogButton(DialogCanvas& canvas, const Rect& r, std::string_view label,
                      DialogColours colours, ButtonLook look) {
  const std::uint8_t face = look.pressed ? colours.ink : colours.paper;
  const std::uint8_t ink = look.pressed ? colours.paper : colours.ink;
  canvas.fill(r, face);
  canvas.frame(r, colours.ink, look.focused ? kHeavyFrame : kThinFrame);
  const int width = canvas.textWidth(label);
  canvas.text((r.left + r.right - width) / 2, CentredBaseline(r), label, ink);
  if (look.focused) canvas.dottedFrame(r.inset(kFocusInset), ink);
}

void DrawDialogFrame(DialogCanvas& canvas, const Rect& frame, const Rect& caption,
                     std::string_view title, DialogColours colours) {
  canvas.fill(frame, colours.paper);
  canvas.frame(frame, colours.ink, BoxLayout::kFrameWidth);
  canvas.fill(caption, colours.ink);
  const int room = caption.width() - 2 * kCaptionIndent;
  canvas.text(caption.left + kCaptionIndent, CentredBaseline(caption), canvas.fitText(title, room),
              colours.paper);
}

void DrawBox(DialogCanvas& canvas, const BoxLayout& layout, const BoxRequest& request,
             DialogColours colours, int focused, int pressed) {
  canvas.setClip(layout.frame);
  DrawDialogFrame(canvas, layout.frame, layout.caption, request.caption, colours);
  DrawIcon(canvas, layout.icon, request.icon, colours);
  int top = layout.textTop;
  const int room = layout.frame.right - BoxLayout::kMargin - layout.textLeft;
  for (const std::string& line : layout.lines) {
    canvas.text(layout.textLeft, top + kDialogLineBaseline, canvas.fitText(line, room),
                colours.ink);
    top += kDialogLineHeight;
  }
  for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
    const int index = static_cast<int>(i);
    DrawDialogButton(canvas, layout.buttons[i].rect, layout.buttons[i].label, colours,
                     ButtonLook{index == focused, index == pressed});
  }
}

}  // namespace lw

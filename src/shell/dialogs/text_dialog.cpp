#include "shell/dialogs/text_dialog.h"

#include <algorithm>

#include "shell/dialogs/box_drawing.h"
#include "shell/dialogs/box_layout.h"
#include "shell/dialogs/boxes.h"

namespace lw {
namespace {

using platform::Key;
using platform::Message;
using platform::MessageKind;
using L = TextDialogLayout;

constexpr int kMargin = BoxLayout::kMargin;
constexpr int kPromptGap = 8;  // between the prompt and the field
constexpr int kFieldBorder = 1;
constexpr int kTextIndent = 4;
constexpr int kCaretWidth = 1;

// Characters below the space and the delete character are control characters, which a typed
// text does not take.
constexpr std::uint8_t kFirstTyped = 32;
constexpr std::uint8_t kDeleteCharacter = 127;

constexpr std::string_view kOkLabel = "OK";
constexpr std::string_view kCancelLabel = "Cancel";

// The wrapped prompt as lines; "\r\n" counts as one line end.
std::vector<std::string> PromptLines(std::string_view prompt) {
  const std::string wrapped = WrapForBox(prompt);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= wrapped.size(); ++i) {
    if (i < wrapped.size() && wrapped[i] != '\n' && wrapped[i] != '\r') continue;
    lines.push_back(wrapped.substr(start, i - start));
    if (i + 1 < wrapped.size() && wrapped[i] == '\r' && wrapped[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (lines.size() > static_cast<std::size_t>(L::kMaxPromptLines)) lines.resize(L::kMaxPromptLines);
  return lines;
}

// The field: its text, then either the selection (the first text inverted) or the caret.
void DrawField(DialogCanvas& canvas, const Rect& field, const TextField& entry,
               DialogColours colours) {
  canvas.frame(field, colours.ink, kFieldBorder);
  const int room = field.width() - 2 * kTextIndent - kCaretWidth;
  const std::string shown = canvas.fitText(entry.text(), room, true);
  const int width = canvas.textWidth(shown);
  const int left = field.left + kTextIndent;
  const int baseline = CentredBaseline(field);
  const Rect textArea =
      MakeRect(field.top + kFieldBorder + 1, left, field.height() - 2 * (kFieldBorder + 1), width);
  if (entry.selected()) {
    canvas.fill(textArea, colours.ink);
    canvas.text(left, baseline, shown, colours.paper);
    return;
  }
  canvas.text(left, baseline, shown, colours.ink);
  canvas.fill(MakeRect(textArea.top, left + width, textArea.height(), kCaretWidth), colours.ink);
}

void DrawTextDialog(DialogCanvas& canvas, const TextDialogLayout& layout,
                    const TextDialogRequest& request, const TextField& entry, int pressed,
                    DialogColours colours) {
  canvas.setClip(layout.frame);
  DrawDialogFrame(canvas, layout.frame, layout.caption, request.caption, colours);
  const int room = layout.field.right - layout.textLeft;
  int top = layout.textTop;
  for (const std::string& line : layout.lines) {
    canvas.text(layout.textLeft, top + kDialogLineBaseline, canvas.fitText(line, room),
                colours.ink);
    top += kDialogLineHeight;
  }
  DrawField(canvas, layout.field, entry, colours);
  DrawDialogButton(canvas, layout.buttons[L::kOkButton], kOkLabel, colours,
                   ButtonLook{true, pressed == L::kOkButton});
  DrawDialogButton(canvas, layout.buttons[L::kCancelButton], kCancelLabel, colours,
                   ButtonLook{false, pressed == L::kCancelButton});
}

enum class Step : std::uint8_t { kContinue, kOk, kCancel };

Step HandleKey(const Message& message, TextField& entry) {
  switch (message.key) {
    case Key::kEscape: return Step::kCancel;
    case Key::kReturn: return Step::kOk;
    case Key::kBackspace: entry.backspace(); return Step::kContinue;
    case Key::kRight: entry.deselect(); return Step::kContinue;
    case Key::kCharacter:
      if (!message.modifiers.ctrl) entry.type(message.character);
      return Step::kContinue;
    default: return Step::kContinue;
  }
}

Step HandleMouse(const Message& message, const TextDialogLayout& layout, TextField& entry,
                 PressTracker& press) {
  if (const std::optional<int> button = press.feed(message, layout.buttonAt(message.where)))
    return *button == L::kOkButton ? Step::kOk : Step::kCancel;
  if (message.kind == MessageKind::kButtonDown && message.button == platform::MouseButton::kLeft &&
      layout.field.contains(message.where))
    entry.deselect();
  return Step::kContinue;
}

}  // namespace

int TextDialogLayout::buttonAt(Point where) const {
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].contains(where)) return static_cast<int>(i);
  return -1;
}

TextDialogLayout LayoutTextDialog(std::string_view prompt, const Rect& canvas) {
  TextDialogLayout layout;
  layout.lines = PromptLines(prompt);
  const int promptHeight = static_cast<int>(layout.lines.size()) * kDialogLineHeight;
  const int height = BoxLayout::kCaptionHeight + kMargin + promptHeight + kPromptGap +
                     L::kFieldHeight + kMargin + BoxLayout::kButtonHeight + kMargin;
  const int top = canvas.top + (canvas.height() - height) / 2;
  const int left = canvas.left + (canvas.width() - L::kWidth) / 2;
  const int inner = L::kWidth - 2 * kMargin;

  layout.frame = MakeRect(top, left, height, L::kWidth);
  layout.caption = MakeRect(top, left, BoxLayout::kCaptionHeight, L::kWidth);
  layout.textLeft = left + kMargin;
  layout.textTop = top + BoxLayout::kCaptionHeight + kMargin;
  const int fieldTop = layout.textTop + promptHeight + kPromptGap;
  layout.field = MakeRect(fieldTop, left + kMargin, L::kFieldHeight, inner);
  const int buttonTop = fieldTop + L::kFieldHeight + kMargin;
  const int cancelLeft = left + L::kWidth - kMargin - BoxLayout::kButtonWidth;
  const int okLeft = cancelLeft - BoxLayout::kButtonGap - BoxLayout::kButtonWidth;
  layout.buttons[L::kOkButton] =
      MakeRect(buttonTop, okLeft, BoxLayout::kButtonHeight, BoxLayout::kButtonWidth);
  layout.buttons[L::kCancelButton] =
      MakeRect(buttonTop, cancelLeft, BoxLayout::kButtonHeight, BoxLayout::kButtonWidth);
  return layout;
}

TextField::TextField(std::string_view initial)
    : text_(initial.substr(0, std::min(initial.size(), kCapacity))) {}

void TextField::type(std::uint8_t character) {
  if (character < kFirstTyped || character == kDeleteCharacter) return;
  if (selected()) text_.clear();
  selected_ = false;
  if (text_.size() < kCapacity) text_.push_back(static_cast<char>(character));
}

void TextField::backspace() {
  if (selected())
    text_.clear();
  else if (!text_.empty())
    text_.pop_back();
  selected_ = false;
}

std::optional<std::string> ShowTextDialog(DialogCanvas& canvas, const TextDialogRequest& request) {
  const DialogCanvas::Scope scope(canvas);
  const TextDialogLayout layout = LayoutTextDialog(request.prompt, canvas.screen().rect());
  const DialogSession session(canvas.screen(), layout.frame);
  TextField entry(request.initial);
  PressTracker press;
  while (true) {
    DrawTextDialog(canvas, layout, request, entry, press.pressed, session.colours());
    const Message message = canvas.nextMessage();
    Step step = Step::kContinue;
    switch (message.kind) {
      case MessageKind::kCloseRequest: canvas.notifyClose(); return std::nullopt;
      case MessageKind::kKeyDown: step = HandleKey(message, entry); break;
      case MessageKind::kButtonDown:
      case MessageKind::kButtonUp: step = HandleMouse(message, layout, entry, press); break;
      default: break;
    }
    if (step == Step::kOk) return entry.text();
    if (step == Step::kCancel) return std::nullopt;
  }
}

}  // namespace lw

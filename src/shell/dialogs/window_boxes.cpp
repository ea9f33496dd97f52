#include "shell/dialogs/window_boxes.h"

#include <cctype>
#include <optional>
#include <string>

#include "resources/program_resources.h"
#include "shell/dialogs/box_drawing.h"

namespace lw {
namespace {

constexpr int kInformationCaption = 152;
constexpr int kQuestionCaption = 153;

using platform::Key;
using platform::Message;
using platform::MessageKind;

// The input state of a box that is up: the focused button and the one held under the mouse.
struct BoxInput {
  const BoxLayout& layout;
  BoxButtons buttons;
  int focus = 0;
  PressTracker press;

  [[nodiscard]] BoxAnswer answerOf(int index) const {
    return layout.buttons[static_cast<std::size_t>(index)].answer;
  }

  void moveFocus(int step) {
    const int count = static_cast<int>(layout.buttons.size());
    focus = (focus + step + count) % count;
  }

  // The button whose key is `character`, regardless of case.
  [[nodiscard]] std::optional<BoxAnswer> byLetter(std::uint8_t character) const {
    const auto lower = static_cast<char>(std::tolower(character));
    for (const BoxButtonPlace& button : layout.buttons)
      if (button.key == lower) return button.answer;
    return std::nullopt;
  }

  // The answer a key chooses, if any; moves the focus.
  std::optional<BoxAnswer> key(const Message& message) {
    switch (message.key) {
      case Key::kEscape: return CancelAnswer(buttons);
      case Key::kReturn: return answerOf(focus);
      case Key::kTab: moveFocus(message.modifiers.shift ? -1 : 1); return std::nullopt;
      case Key::kLeft:
      case Key::kUp: moveFocus(-1); return std::nullopt;
      case Key::kRight:
      case Key::kDown: moveFocus(1); return std::nullopt;
      case Key::kCharacter:
        if (message.character == ' ') return answerOf(focus);
        if (message.modifiers.ctrl) return std::nullopt;
        return byLetter(message.character);
      default: return std::nullopt;
    }
  }

  // The answer a message chooses, if any.
  std::optional<BoxAnswer> handle(const Message& message) {
    if (message.kind == MessageKind::kKeyDown) return key(message);
    if (message.kind == MessageKind::kButtonDown || message.kind == MessageKind::kButtonUp) {
      const std::optional<int> clicked = press.feed(message, layout.buttonAt(message.where));
      if (clicked) return answerOf(*clicked);
    }
    return std::nullopt;
  }
};

std::string CaptionText(int id, std::string_view fallback) {
  return std::string(StringTableText(id).value_or(fallback));
}

}  // namespace

BoxLayout WindowBoxes::layoutFor(const BoxRequest& request) {
  return LayoutBox(request, canvas_.screen().rect(),
                   [this](std::string_view text) { return canvas_.textWidth(text); });
}

BoxAnswer WindowBoxes::showBox(const BoxRequest& request) {
  const DialogCanvas::Scope scope(canvas_);
  if (const std::optional<BoxAnswer> answer = canvas_.platform().answerBox(request)) {
    // A box can only give one of its own buttons.
    return HasButton(request.buttons, *answer) ? *answer : DefaultAnswer(request.buttons);
  }
  const BoxLayout layout = layoutFor(request);
  const DialogSession session(canvas_.screen(), layout.frame);
  BoxInput input{layout, request.buttons, 0, PressTracker{}};
  while (true) {
    DrawBox(canvas_, layout, request, session.colours(), input.focus, input.press.pressed);
    const Message message = canvas_.nextMessage();
    if (message.kind == MessageKind::kCloseRequest) {
      canvas_.notifyClose();
      return CancelAnswer(request.buttons);
    }
    if (const std::optional<BoxAnswer> answer = input.handle(message)) return *answer;
  }
}

void InfoBox(BoxPresenter& boxes, std::string_view text) {
  BoxRequest request;
  request.caption = CaptionText(kInformationCaption, "Information");
  request.text = WrapForBox(text);
  request.buttons = BoxButtons::kOk;
  request.icon = BoxIcon::kInformation;
  static_cast<void>(boxes.showBox(request));
}

int QuestionBox(BoxPresenter& boxes, std::string_view text) {
  BoxRequest request;
  request.caption = CaptionText(kQuestionCaption, "Question");
  request.text = WrapForBox(text);
  request.buttons = BoxButtons::kYesNo;
  request.icon = BoxIcon::kQuestion;
  return boxes.showBox(request) == BoxAnswer::kYes ? 1 : 0;
}

}  // namespace lw

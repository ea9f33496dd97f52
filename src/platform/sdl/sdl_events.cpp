#include "platform/sdl/sdl_events.h"

#include <algorithm>

#include "platform/sdl/sdl_keys.h"

namespace lw::platform {
namespace {

EventMeaning Tell(MessageKind kind) {
  Message message;
  message.kind = kind;
  return {message, std::nullopt, false};
}

Point CanvasPoint(std::int32_t x, std::int32_t y) {
  return PointAt(std::clamp(y, 0, kCanvasHeight - 1), std::clamp(x, 0, kCanvasWidth - 1));
}

std::optional<MouseButton> ButtonOf(std::uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return MouseButton::kLeft;
    case SDL_BUTTON_RIGHT: return MouseButton::kRight;
    case SDL_BUTTON_MIDDLE: return MouseButton::kMiddle;
    default: return std::nullopt;
  }
}

EventMeaning TranslateButton(const SDL_MouseButtonEvent& event, std::uint16_t modState) {
  const std::optional<MouseButton> button = ButtonOf(event.button);
  if (!button) return {};
  Message message;
  message.kind =
      event.type == SDL_MOUSEBUTTONDOWN ? MessageKind::kButtonDown : MessageKind::kButtonUp;
  message.button = *button;
  message.where = CanvasPoint(event.x, event.y);
  if (message.kind == MessageKind::kButtonDown) message.modifiers = ModifiersOf(modState);
  return {message, std::nullopt, false};
}

}  // namespace

void EventTranslator::reset() {
  lastFocus_ = MessageKind::kFocusGained;
  swallowed_.clear();
}

EventMeaning EventTranslator::translate(const SDL_Event& event, std::uint16_t modState) {
  switch (event.type) {
    case SDL_QUIT: return Tell(MessageKind::kCloseRequest);
    case SDL_WINDOWEVENT: return translateWindowEvent(event.window);
    case SDL_KEYDOWN:
    case SDL_KEYUP: return translateKey(event.key);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return TranslateButton(event.button, modState);
    case SDL_MOUSEMOTION: {
      EventMeaning meaning = Tell(MessageKind::kMouseMove);
      meaning.message->where = CanvasPoint(event.motion.x, event.motion.y);
      return meaning;
    }
    default: return {};
  }
}

EventMeaning EventTranslator::translateWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED: {
      EventMeaning meaning = Tell(MessageKind::kPaint);
      meaning.repaint = true;
      return meaning;
    }
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      EventMeaning meaning = Tell(MessageKind::kDisplayChanged);
      meaning.repaint = true;
      return meaning;
    }
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED: return focus(MessageKind::kFocusLost);
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED: return focus(MessageKind::kFocusGained);
    case SDL_WINDOWEVENT_CLOSE: return Tell(MessageKind::kCloseRequest);
    default: return {};
  }
}

// A key message, except for the player's keys: a press acts (once, not on repeats) and its
// release is dropped, even when the modifiers went up first, so the runtime never sees either.
EventMeaning EventTranslator::translateKey(const SDL_KeyboardEvent& event) {
  const bool down = event.type == SDL_KEYDOWN;
  const SDL_Keycode code = event.keysym.sym;
  const auto swallowed = std::find(swallowed_.begin(), swallowed_.end(), code);
  if (down) {
    if (const std::optional<DesktopKey> key = DesktopKeyOf(code, event.keysym.mod)) {
      if (swallowed == swallowed_.end()) swallowed_.push_back(code);
      return {std::nullopt, event.repeat == 0 ? key : std::nullopt, false};
    }
  } else if (swallowed != swallowed_.end()) {
    swallowed_.erase(swallowed);
    return {};
  }
  const KeyTranslation translation = TranslateKey(event.keysym.sym, event.keysym.mod);
  Message message;
  message.kind = down ? MessageKind::kKeyDown : MessageKind::kKeyUp;
  message.key = translation.key;
  message.character = translation.character;
  message.repeat = down && event.repeat != 0;
  message.modifiers = ModifiersOf(event.keysym.mod);
  return {message, std::nullopt, false};
}

// A focus message unless it repeats the last one told, or the focus is not told at all.
EventMeaning EventTranslator::focus(MessageKind kind) {
  if (!tellFocus_ || lastFocus_ == kind) return {};
  lastFocus_ = kind;
  return Tell(kind);
}

}  // namespace lw::platform

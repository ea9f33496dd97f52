// What SDL's events mean to the runtime: messages, and the two things the backend does itself
// (Alt+Enter switches between full screen and a window; an exposed or resized window is shown
// again at once from the last picture).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace lw::platform {

struct EventMeaning {
  std::optional<Message> message;
  bool toggleFullscreen = false;
  bool repaint = false;
};

// Turns events into messages. It remembers the focus last told, so that focus lost (or
// minimised) and focus gained (or restored) alternate, and swallows both halves of Alt+Enter.
class EventTranslator {
 public:
  // Starts over for a window that has just opened, with the focus.
  void reset();
  // `modState` is the modifier state now, for mouse buttons (whose events do not carry it).
  // Mouse points are already in canvas coordinates (the renderer's logical size maps them) and
  // are clamped to the canvas.
  [[nodiscard]] EventMeaning translate(const SDL_Event& event, std::uint16_t modState);

 private:
  EventMeaning translateWindowEvent(const SDL_WindowEvent& event);
  EventMeaning translateKey(const SDL_KeyboardEvent& event);
  EventMeaning focus(MessageKind kind);

  std::optional<MessageKind> lastFocus_ = MessageKind::kFocusGained;
  bool swallowReturnUp_ = false;
};

}  // namespace lw::platform

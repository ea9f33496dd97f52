// What SDL's events mean to the runtime: messages, and the things the backend does itself (the
// player's keys of sdl_desktop_keys.h; an exposed or resized window is shown again at once from
// the last picture).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_desktop_keys.h"

namespace lw::platform {

struct EventMeaning {
  std::optional<Message> message;
  std::optional<DesktopKey> desktopKey;  // a player's key was pressed (not on repeats)
  bool repaint = false;
};

// Turns events into messages. It remembers the focus last told, so that focus lost (or
// minimised) and focus gained (or restored) alternate, and swallows both halves of the
// player's keys.
class EventTranslator {
 public:
  // Without `tellFocus` the focus is never told, so the title plays on in the background.
  explicit EventTranslator(bool tellFocus = true) : tellFocus_(tellFocus) {}
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

  bool tellFocus_ = true;
  std::optional<MessageKind> lastFocus_ = MessageKind::kFocusGained;
  std::vector<SDL_Keycode> swallowed_;  // player's keys pressed whose release is dropped
};

}  // namespace lw::platform

// Platform messages as short texts, so that a test compares a whole sequence of messages with
// one literal: "down ctrl+q", "repeat a", "up esc(27)", "press left 100,50 alt", "move 9,10",
// "focus out", "console 1 + 2".
#pragma once

#include <array>
#include <string>

#include "platform/platform.h"

namespace lw::platform {

// A key with its modifiers: "ctrl+q", "shift+A", "esc(27)", "#142" (a character beyond ASCII).
inline std::string KeyText(Key key, std::uint8_t character, Modifiers modifiers = {}) {
  static constexpr std::array<const char*, 24> kKeys = {
      "none",  "char", "esc",  "return", "backspace", "tab", "delete", "left",
      "right", "up",   "down", "f1",     "f2",        "f3",  "f4",     "f5",
      "f6",    "f7",   "f8",   "f9",     "f10",       "f11", "f12",    "other"};
  std::string text;
  if (modifiers.ctrl) text += "ctrl+";
  if (modifiers.alt) text += "alt+";
  if (modifiers.shift) text += "shift+";
  if (key != Key::kCharacter) {
    text += kKeys[static_cast<std::size_t>(key)];
    return character == 0 ? text : text + "(" + std::to_string(character) + ")";
  }
  if (character > ' ' && character < 0x7F) return text + static_cast<char>(character);
  return text + "#" + std::to_string(character);
}

inline std::string KeyText(const Message& m) { return KeyText(m.key, m.character, m.modifiers); }

inline std::string MessageText(const Message& m) {
  static constexpr std::array<const char*, 3> kButtons = {"left", "right", "middle"};
  const std::string where = std::to_string(m.where.h) + "," + std::to_string(m.where.v);
  switch (m.kind) {
    case MessageKind::kKeyDown: return (m.repeat ? "repeat " : "down ") + KeyText(m);
    case MessageKind::kKeyUp: return "up " + KeyText(m);
    case MessageKind::kButtonDown:
    case MessageKind::kButtonUp:
      return std::string(m.kind == MessageKind::kButtonDown ? "press " : "release ") +
             kButtons[static_cast<std::size_t>(m.button)] + " " + where +
             (m.modifiers.alt ? " alt" : "") + (m.modifiers.ctrl ? " ctrl" : "");
    case MessageKind::kMouseMove: return "move " + where;
    case MessageKind::kPaint: return "paint";
    case MessageKind::kCloseRequest: return "close";
    case MessageKind::kFocusLost: return "focus out";
    case MessageKind::kFocusGained: return "focus in";
    case MessageKind::kDisplayChanged: return "display";
    case MessageKind::kConsoleLine: return "console " + m.text;
  }
  return "?";
}

}  // namespace lw::platform

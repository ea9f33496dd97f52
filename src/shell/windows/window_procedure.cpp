// The window procedure of the platform window: turns its messages into event records for the
// main loop, and pauses the title while the player works in another application.
#include "shell/windows/window_system.h"

#include <array>
#include <cstring>
#include <variant>

#include "common/log.h"
#include "resources/program_resources.h"
#include "shell/windows/key_translation.h"

namespace lw {
namespace {

using platform::MessageKind;
using platform::MouseButton;

// The string-table text shown after the title name in the caption while paused.
constexpr int kPausedCaptionSuffix = 101;

// The modifiers of a mouse press: Alt and Ctrl.
std::uint16_t ButtonModifiers(const platform::Modifiers& held) {
  std::uint16_t modifiers = 0;
  if (held.alt) modifiers |= event_modifier::kAlt;
  if (held.ctrl) modifiers |= event_modifier::kCommand;
  return modifiers;
}

// The input channel's note of a platform message, as the window procedure receives it.
void LogMessage(const platform::Message& message) {
  if (!LogEnabled(LogChannel::kInput)) return;
  static constexpr std::array<const char*, 11> kKindNames = {
      "key down",      "key up",     "button down",  "button up",       "mouse move",  "paint",
      "close request", "focus lost", "focus gained", "display changed", "console line"};
  const auto kind = static_cast<std::size_t>(message.kind);
  LogLine(LogChannel::kInput, "%s: key %d, character %d%s, point %d,%d%s%s%s",
          kind < kKindNames.size() ? kKindNames[kind] : "?", static_cast<int>(message.key),
          message.character, message.repeat ? " (repeat)" : "", message.where.h, message.where.v,
          message.modifiers.ctrl ? ", ctrl" : "", message.modifiers.alt ? ", alt" : "",
          message.modifiers.shift ? ", shift" : "");
}

}  // namespace

void WindowSystem::HandleMessage(const platform::Message& message) {
  LogMessage(message);
  switch (message.kind) {
    case MessageKind::kKeyDown: handleKeyDown(message); break;
    case MessageKind::kKeyUp: handleKeyUp(message); break;
    case MessageKind::kButtonDown:
    case MessageKind::kButtonUp: handleButton(message); break;
    case MessageKind::kPaint: handlePaint(); break;
    case MessageKind::kCloseRequest:
      pausedWait_ = false;
      requestQuit();
      break;
    case MessageKind::kFocusLost:
      if (appState_ == AppState::kActive) pause();
      break;
    case MessageKind::kFocusGained:
      if (appState_ == AppState::kPaused) resume();
      break;
    case MessageKind::kDisplayChanged:
      PostEvent(true, event_kind::kDisplayChanged, 0, std::nullopt, 0);
      break;
    case MessageKind::kMouseMove:
      break;  // nothing to uncover: there is no caption bar or taskbar on this platform
    case MessageKind::kConsoleLine: handleConsoleLine(message); break;
  }
}

// A key press posts its character (a repeat with coalescing, so that repeats the main loop has
// not taken yet collapse into one), changes the colour correction, or shows or hides the
// message box.
void WindowSystem::handleKeyDown(const platform::Message& message) {
  if (message.key == kMessageBoxKey) {
    if (!message.repeat && messageBoxKey_) messageBoxKey_();
    return;
  }
  if (message.key == kPlayerMenuKey) {
    if (!message.repeat && appState_ == AppState::kActive) runPlayerMenu();
    return;
  }
  const KeyPress press = TranslateKeyDown(message);
  if (const auto* correction = std::get_if<CorrectionKey>(&press)) {
    if (hooks_.adjustCorrection) {
      hooks_.adjustCorrection(correction->raise, correction->first, correction->second,
                              correction->third);
    }
  } else if (const auto* key = std::get_if<KeyCharacter>(&press)) {
    const std::uint16_t kind = message.repeat ? event_kind::kKeyRepeat : event_kind::kKeyDown;
    PostEvent(message.repeat, kind, key->character, std::nullopt, key->modifiers);
  }
}

void WindowSystem::handleKeyUp(const platform::Message& message) {
  const auto key = static_cast<std::size_t>(message.key);
  if (key < releasesToDrop_.size() && releasesToDrop_.test(key)) {
    releasesToDrop_.reset(key);
    return;
  }
  if (const auto translated = TranslateKey(message)) {
    PostEvent(false, event_kind::kKeyUp, translated->character, std::nullopt,
              translated->modifiers);
  }
}

// The left and right buttons post presses and releases; the middle button is not the title's.
void WindowSystem::handleButton(const platform::Message& message) {
  if (message.button == MouseButton::kMiddle) return;
  if (message.kind == MessageKind::kButtonDown) {
    PostEvent(false, event_kind::kMouseDown, 0, message.where, ButtonModifiers(message.modifiers));
  } else {
    PostEvent(false, event_kind::kMouseUp, 0, message.where, 0);
  }
}

// While paused (or still starting) the window shows black; otherwise the main window, and the
// windows over it, are asked to draw again.
void WindowSystem::handlePaint() {
  if (paused()) {
    Surface& canvas = screen_.canvas();
    for (int y = 0; y < canvas.height(); ++y) {
      std::memset(canvas.row(y), Port::kBlack, static_cast<std::size_t>(canvas.width()));
    }
    screen_.markDirty(canvas.rect());
    return;
  }
  if (const RuntimeWindow* main = mainWindow(); main != nullptr && main->visible) {
    redraw(main->bounds, main->record.window);
  }
}

// A console line takes its turn in the queue behind the input that came before it, so that it
// runs once the title has handled that input.
void WindowSystem::handleConsoleLine(const platform::Message& message) {
  const std::uint32_t number = nextConsoleLine_++;
  consoleLines_.push_back(ConsoleLine{number, message.text});
  PostEvent(false, event_kind::kConsoleLine, number, std::nullopt, 0);
}

// The player menu holds the title: the time it is up does not count on the title's clock.
void WindowSystem::runPlayerMenu() {
  if (!playerMenuKey_) return;
  const std::uint32_t start = platform_.milliseconds();
  playerMenuKey_();
  heldMilliseconds_ += platform_.milliseconds() - start;
  // The key that closed the menu is still down; the title never heard it go down, so it does
  // not hear it go up either.
  for (std::size_t key = 0; key < releasesToDrop_.size(); ++key)
    if (platform_.keyDown(static_cast<platform::Key>(key))) releasesToDrop_.set(key);
}

// Deactivation: everything stops and the window gets out of the way until the player returns.
void WindowSystem::pause() {
  appState_ = AppState::kPaused;
  if (hooks_.pauseOthers) hooks_.pauseOthers();
  platform_.setCaption(mainCaption() +
                       std::string(StringTableText(kPausedCaptionSuffix).value_or("")));
  platform_.minimiseWindow();
  for (const auto& window : windows_) {
    window->visibleAtPause = window.get() != main_ && window->visible;
    if (window->visibleAtPause) HideRuntimeWindow(*window);
  }
  pausedWait_ = true;
}

// Activation after a pause: the window comes back as it was and the main loop runs again.
void WindowSystem::resume() {
  platform_.restoreWindow();
  for (const auto& window : windows_) {
    if (window->visibleAtPause) ShowRuntimeWindow(*window);
    window->visibleAtPause = false;
  }
  PostEvent(true, event_kind::kDisplayChanged, 0, std::nullopt, 0);
  if (hooks_.resumeOthers) hooks_.resumeOthers();
  platform_.setCaption(mainCaption());
  appState_ = AppState::kActive;
  pausedWait_ = false;
  platform_.setCursor(titleCursor_);
  handlePaint();  // the window was minimised: draw it again
}

}  // namespace lw

// The runtime's windows on the one platform window: the window list, where each window lies
// on the screen canvas, which ones show, and the cursor.
#include "shell/windows/window_system.h"

#include <array>

#include "shell/drawing/rect_ops.h"

namespace lw {
namespace {

// A new window lies at (100, 100): the stage window 300 x 200, the message box 100 x 100;
// their owners then give them their real bounds.
constexpr Rect kNewWindowBounds{100, 100, 300, 400};
constexpr Rect kNewMessagesWindowBounds{100, 100, 200, 200};
constexpr const char* kMessagesCaption = "Messages";

bool Overlaps(const Rect& a, const Rect& b) {
  Rect common;
  return SectRect(a, b, common);
}

}  // namespace

WindowSystem::WindowSystem(platform::Platform& platform, Screen& screen, ErrorReporter& errors)
    : platform_(platform), screen_(screen), errors_(errors) {}

RuntimeWindow* WindowSystem::CreateRuntimeWindow(const std::string& caption) {
  RuntimeWindow* window = appendWindow(caption, kNewWindowBounds);
  if (window != nullptr && main_ == nullptr) {
    main_ = window;
    platform_.setCaption(caption);
  }
  return window;
}

RuntimeWindow* WindowSystem::CreateMessagesWindow() {
  return appendWindow(kMessagesCaption, kNewMessagesWindowBounds);
}

// Appends a hidden window whose port draws on the screen canvas within its bounds; null when
// the list is full.
RuntimeWindow* WindowSystem::appendWindow(const std::string& caption, const Rect& bounds) {
  if (windows_.size() >= static_cast<std::size_t>(kMaxWindows)) return nullptr;
  auto window = std::make_unique<RuntimeWindow>();
  const int index = static_cast<int>(windows_.size());
  window->caption = caption;
  window->bounds = bounds;
  window->record.window = index;
  window->port.surface = &screen_.canvas();
  window->port.window = index;
  window->port.bounds = bounds;
  windows_.push_back(std::move(window));
  return windows_.back().get();
}

void WindowSystem::DestroyRuntimeWindow(RuntimeWindow& window) {
  if (window.destroyed) return;
  HideRuntimeWindow(window);
  window.destroyed = true;
  if (front_ == &window) front_ = nullptr;
}

RuntimeWindow* WindowSystem::window(int index) {
  if (index < 0 || index >= static_cast<int>(windows_.size())) return nullptr;
  RuntimeWindow* found = windows_[static_cast<std::size_t>(index)].get();
  return found->destroyed ? nullptr : found;
}

RuntimeWindow* WindowSystem::mainWindow() {
  return main_ != nullptr && !main_->destroyed ? main_ : nullptr;
}

// The window chosen with setFrontWindow while it shows, else the main window while it shows.
RuntimeWindow* WindowSystem::FrontWindow() {
  for (RuntimeWindow* candidate : {front_, main_}) {
    if (candidate != nullptr && candidate->visible && !candidate->destroyed) return candidate;
  }
  return nullptr;
}

void WindowSystem::setFrontWindow(RuntimeWindow* window) { front_ = window; }

RuntimeWindow* WindowSystem::FindWindowAt(Point screenPoint) {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    RuntimeWindow& candidate = **it;
    if (candidate.visible && !candidate.destroyed && candidate.bounds.contains(screenPoint)) {
      return &candidate;
    }
  }
  return nullptr;
}

void WindowSystem::SetWindowBounds(const Rect& bounds, RuntimeWindow& window) {
  if (window.destroyed) return;
  Rect clipped;
  SectRect(bounds, screen_.rect(), clipped);
  const Rect old = window.bounds;
  window.bounds = clipped;
  window.port.bounds = clipped;
  if (!window.visible) return;
  redraw(old, 0);
  redraw(clipped, window.record.window);
}

void WindowSystem::ShowRuntimeWindow(RuntimeWindow& window) {
  if (window.destroyed || window.visible) return;
  window.visible = true;
  redraw(window.bounds, window.record.window);
}

void WindowSystem::HideRuntimeWindow(RuntimeWindow& window) {
  if (!window.visible) return;
  window.visible = false;
  redraw(window.bounds, 0);
}

void WindowSystem::redraw(const Rect& area, int lowest) {
  screen_.markDirty(area);
  std::array<bool, kMaxWindows> updated{};
  for (int i = lowest; i < static_cast<int>(windows_.size()); ++i) {
    const RuntimeWindow& candidate = *windows_[static_cast<std::size_t>(i)];
    if (!candidate.visible || candidate.destroyed) continue;
    bool touched = Overlaps(candidate.bounds, area);
    for (int below = lowest; below < i && !touched; ++below) {
      touched = updated[static_cast<std::size_t>(below)] &&
                Overlaps(candidate.bounds, windows_[static_cast<std::size_t>(below)]->bounds);
    }
    updated[static_cast<std::size_t>(i)] = touched;
  }
  for (int i = lowest; i < static_cast<int>(windows_.size()); ++i) {
    if (updated[static_cast<std::size_t>(i)]) {
      PostEvent(true, event_kind::kUpdate, static_cast<std::uint32_t>(i), std::nullopt, 0);
    }
  }
}

std::string WindowSystem::mainCaption() const { return main_ != nullptr ? main_->caption : ""; }

void WindowSystem::SetTitleCursor(const platform::CursorImage* cursor) {
  titleCursor_ = cursor;
  // While the player works in another application the cursor is not ours to change; resume
  // puts the title's cursor back.
  if (platform_.windowOpen() && appState_ != AppState::kPaused) platform_.setCursor(cursor);
}

void WindowSystem::SetArrowCursor() { SetTitleCursor(arrow_); }

void WindowSystem::ShowTitleCursor() {
  ++cursorShowCount_;
  platform_.showCursor(cursorShowCount_ >= 0);
  PumpMessages();
}

void WindowSystem::HideTitleCursor() {
  --cursorShowCount_;
  platform_.showCursor(cursorShowCount_ >= 0);
  PumpMessages();
}

}  // namespace lw

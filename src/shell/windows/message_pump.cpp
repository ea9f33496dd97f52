// The message pump and everything that pumps: the event queue's operations, the input state,
// and the tick clock. Every wait of the runtime goes through here, so that input keeps being
// queued and the screen keeps being shown during loads and long scripts.
#include "shell/windows/window_system.h"

#include "shell/program_code.h"

namespace lw {
namespace {

// Ticks are sixtieths of a second: milliseconds x 3 / 50.
constexpr std::uint32_t kTickNumerator = 3;
constexpr std::uint32_t kTickDenominator = 50;

// The tick count at a clock value. In 64 bits: milliseconds x 3 would leave 32 bits after 16 days
// of play and the count would fall back to a third.
std::uint32_t TickAt(std::uint32_t milliseconds) {
  return static_cast<std::uint32_t>(std::uint64_t{milliseconds} * kTickNumerator /
                                    kTickDenominator);
}

// The milliseconds from `now` until the tick count changes (at least 1).
std::uint32_t MillisecondsToNextTick(std::uint32_t now) {
  const std::uint64_t scaled = std::uint64_t{now} * kTickNumerator;
  const std::uint64_t next = (scaled / kTickDenominator + 1) * kTickDenominator;
  return static_cast<std::uint32_t>((next - scaled + kTickNumerator - 1) / kTickNumerator);
}

}  // namespace

void WindowSystem::PumpMessages() {
  platform::Message message;
  if (pausedWait_ && pumpDepth_ == 0) {
    // Paused: nothing runs until the player comes back or closes the window.
    ++pumpDepth_;
    while (pausedWait_) {
      platform_.waitMessage(message);
      HandleMessage(message);
    }
    --pumpDepth_;
    return;
  }
  ++pumpDepth_;
  serviceSound();
  while (platform_.pollMessage(message)) dispatch(message);
  screen_.present();
  if (pumpCheck_ && pumpDepth_ == 1) pumpCheck_();
  --pumpDepth_;
}

void WindowSystem::dispatch(const platform::Message& message) {
  HandleMessage(message);
  serviceSound();
}

// Sleeps in the platform for at most `timeout` milliseconds; the message that ends the sleep is
// dispatched with the rest of what is pending. A paused title does not sleep here: the pump
// itself waits for the player.
bool WindowSystem::sleep(std::uint32_t timeout) {
  if (pausedWait_ && pumpDepth_ == 0) {
    PumpMessages();
    return true;
  }
  platform::Message message;
  if (!platform_.waitMessageFor(message, timeout)) return false;
  ++pumpDepth_;
  dispatch(message);
  --pumpDepth_;
  PumpMessages();
  return true;
}

void WindowSystem::SleepPastTick(std::uint32_t tick, bool untilMessage) {
  while (TickAt(titleMilliseconds()) == tick) {
    if (sleep(MillisecondsToNextTick(titleMilliseconds())) && untilMessage) return;
  }
}

void WindowSystem::serviceSound() {
  if (hooks_.serviceSound) hooks_.serviceSound();
}

// A full queue loses events; the player hears it.
void WindowSystem::PostEvent(bool coalesce, std::uint16_t kind, std::uint32_t message,
                             std::optional<Point> where, std::uint16_t modifiers) {
  if (queue_.post(coalesce, kind, message, where, modifiers) == EventQueue::PostResult::kLost) {
    Beep();
  }
}

std::optional<EventRecord> WindowSystem::NextEvent(std::uint16_t mask) {
  PumpMessages();
  return queue_.take(mask);
}

std::optional<EventRecord> WindowSystem::PeekEvent(std::uint16_t mask) {
  PumpMessages();
  return queue_.peek(mask);
}

void WindowSystem::FlushEvents() {
  PumpMessages();
  queue_.flush();
  consoleLines_.clear();
}

std::optional<std::string> WindowSystem::TakeConsoleLine(std::uint32_t number) {
  while (!consoleLines_.empty() && consoleLines_.front().number < number) {
    consoleLines_.pop_front();
  }
  if (consoleLines_.empty() || consoleLines_.front().number != number) return std::nullopt;
  std::string text = std::move(consoleLines_.front().text);
  consoleLines_.pop_front();
  return text;
}

bool WindowSystem::ButtonDown() {
  PumpMessages();
  return platform_.buttonDown();
}

// A release already queued ends the press even when the button is down again by now.
bool WindowSystem::ButtonStillDown() {
  if (PeekEvent(event_mask::kMouseUp)) return false;
  return ButtonDown();
}

Point WindowSystem::GetMouse(const RuntimeWindow* window, const Port* currentPort) {
  PumpMessages();
  if (window == nullptr && currentPort != nullptr) window = this->window(currentPort->window);
  if (window == nullptr) {
    errors_.ReportError(CodeNumber(ProgramCode::kLogic), errline::kGetMouseWithoutWindow);
    return Point{};
  }
  const Point mouse = platform_.mousePosition();
  return PointAt(mouse.v - window->bounds.top + window->port.originV,
                 mouse.h - window->bounds.left + window->port.originH);
}

bool WindowSystem::EscapeDown() { return platform_.keyDown(platform::Key::kEscape); }

bool WindowSystem::ControlDown() { return platform_.modifiers().ctrl; }

bool WindowSystem::ShiftDown() { return platform_.modifiers().shift; }

std::uint32_t WindowSystem::TickCount() {
  PumpMessages();
  return TickCountNow();
}

std::uint32_t WindowSystem::TickCountNow() { return TickAt(titleMilliseconds()); }

std::uint32_t WindowSystem::titleMilliseconds() {
  return platform_.milliseconds() - heldMilliseconds_;
}

// Counts elapsed milliseconds rather than comparing clock values, so the wait also ends when
// the clock wraps during it.
void WindowSystem::WaitTicks(std::uint32_t ticks) {
  const std::uint32_t start = titleMilliseconds();
  const std::uint32_t duration = ticks * kTickDenominator / kTickNumerator;
  if (duration > 0) PumpMessages();
  for (std::uint32_t elapsed = titleMilliseconds() - start; elapsed < duration && !quit_;
       elapsed = titleMilliseconds() - start) {
    sleep(duration - elapsed);
  }
}

void WindowSystem::WaitNextTick() { SleepPastTick(TickCount(), false); }

void WindowSystem::Beep() { platform_.beep(); }

}  // namespace lw

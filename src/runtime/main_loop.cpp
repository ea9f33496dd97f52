#include "runtime/main_loop.h"

#include "common/log.h"
#include "runtime/handler_calls.h"
#include "runtime/message_box_window.h"
#include "shell/drawing/rect_ops.h"

namespace lw {

MainLoop::MainLoop(WindowSystem& windows, StageWindow& stage, MessageBoxWindow& messageBox,
                   std::function<void(std::string_view)> consoleOutcome)
    : windows_(windows),
      stage_(stage),
      messageBox_(messageBox),
      consoleOutcome_(std::move(consoleOutcome)),
      idleDeadline_(windows.TickCount() + kIdleTicks) {}

// A pass that leaves the queue empty has nothing more to do before the next tick (idle() is
// paced by ticks) or the next input: the loop sleeps until then, so an idle title costs next to
// no processor time and idle() still runs at least once a tick.
void MainLoop::Run(const LoopLimits& limits) {
  WithLimits(limits, [this, &limits] { loopUntilQuit(limits); });
}

void MainLoop::WithLimits(const LoopLimits& limits, const std::function<void()>& task) {
  // The pump's check reads the clock without pumping, which would move a headless clock on.
  windows_.setPumpCheck([this, &limits] { checkLimits(limits, windows_.TickCountNow()); });
  task();
  windows_.setPumpCheck({});
}

void MainLoop::loopUntilQuit(const LoopLimits& limits) {
  while (!windows_.quitRequested()) {
    const std::uint32_t tick = windows_.TickCount();
    Pass();
    checkLimits(limits, windows_.TickCount());
    if (windows_.queue().count() == 0 && !windows_.quitRequested()) {
      windows_.SleepPastTick(tick, true);
    }
  }
}

void MainLoop::Pass() {
  windows_.PumpMessages();
  RuntimeWindow* stageWindow = stage_.window();
  if (stageWindow == nullptr) return;
  stage_.makePortCurrent();
  const Rect& bounds = stageWindow->bounds;
  const Rect client{0, 0, Coord16(bounds.height()), Coord16(bounds.width())};
  if (!PtInRect(windows_.GetMouse(stageWindow), client)) windows_.SetArrowCursor();

  sendToBoth(WindowMessage(window_message::kLoopPass));
  if (const auto event = windows_.NextEvent(event_mask::kEvery)) {
    idleDeadline_ = windows_.TickCount() + kIdleTicks;
    Dispatch(*event);
  } else if (windows_.TickCount() >= idleDeadline_) {
    sendToBoth(WindowMessage(window_message::kNullTick));
  }
}

void MainLoop::Dispatch(const EventRecord& event) {
  LW_LOG(kInput, "event %u taken: message %u, modifiers 0x%x, point %d,%d", event.what,
         event.message, event.modifiers, event.where.h, event.where.v);
  switch (event.what) {
    case event_kind::kMouseDown: mouseDown(event); break;
    case event_kind::kKeyDown:
    case event_kind::kKeyRepeat: keyEvent(event); break;
    case event_kind::kUpdate: update(event); break;
    case event_kind::kDisplayChanged:
      // The screen canvas keeps its size, so re-reading the screen rectangle changes nothing;
      // the windows re-centre on it.
      sendToBoth(WindowMessage(window_message::kRecentre));
      break;
    case event_kind::kConsoleLine: consoleLine(event); break;
    default: break;  // releases of keys and buttons are only taken off the queue
  }
}

// The message box window first, then the stage window.
void MainLoop::sendToBoth(const WindowMessage& message) {
  send(messageBox_.window(), message);
  send(stage_.window(), message);
}

void MainLoop::send(const RuntimeWindow* window, const WindowMessage& message) {
  if (window != nullptr) SendWindowMessage(stage_, messageBox_, window->record, message);
}

// Keys with the command modifiers are menu commands; other keys go to the active window, the
// arrows to the stage even from the message box.
void MainLoop::keyEvent(const EventRecord& event) {
  // The character is the low byte of the event's message.
  const auto character = static_cast<std::uint8_t>(event.message);
  if ((event.modifiers & event_modifier::kCommand) != 0) {
    if (event.what == event_kind::kKeyRepeat) return;
    send(stage_.window(), WindowMessage(window_message::kMenuState));
    if (const auto command = CommandForKey(character)) {
      if (const auto item = MenuItemForCommand(*command)) {
        send(stage_.window(), WindowMessage(window_message::kMenuSelect, *item));
      }
    }
    return;
  }
  const RuntimeWindow* target = windows_.FrontWindow();
  if (target == nullptr) return;
  if (target == messageBox_.window() && IsArrowKey(character)) target = stage_.window();
  const int code =
      event.what == event_kind::kKeyDown ? window_message::kKey : window_message::kKeyRepeat;
  send(target, WindowMessage(code, character));
}

// A press over one of the runtime's windows, in that window's local coordinates.
void MainLoop::mouseDown(const EventRecord& event) {
  const RuntimeWindow* window = windows_.FindWindowAt(event.where);
  if (window == nullptr) return;
  const Point local = PointAt(event.where.v - window->bounds.top + window->port.originV,
                              event.where.h - window->bounds.left + window->port.originH);
  send(window, WindowMessage(window_message::kClick, PackPoint(local)));
}

void MainLoop::update(const EventRecord& event) {
  send(windows_.window(static_cast<int>(event.message)), WindowMessage(window_message::kDraw));
}

// The line runs in the message box, whose output line shows the outcome as for a typed line.
void MainLoop::consoleLine(const EventRecord& event) {
  const std::optional<std::string> line = windows_.TakeConsoleLine(event.message);
  if (!line) return;
  const std::optional<std::string> outcome = messageBox_.RunScriptedLine(*line);
  if (outcome && consoleOutcome_) consoleOutcome_(*outcome);
}

void MainLoop::checkLimits(const LoopLimits& limits, std::uint32_t now) {
  if (limits.endTick && now >= *limits.endTick) windows_.requestQuit();
  if (limits.inputFinished && !inputFinishedAt_ && limits.inputFinished()) inputFinishedAt_ = now;
  if (inputFinishedAt_ && now - *inputFinishedAt_ >= kInputSettleTicks) windows_.requestQuit();
}

}  // namespace lw

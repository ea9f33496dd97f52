// The main loop: pass after pass until the quit flag is set. Each pass pumps the platform's
// messages, gives both windows their loop pass (the stage window runs boot() once, then idle()),
// then takes at most one event from the queue and acts on it, or, when the queue has stayed
// empty for 20 ticks since the last event, sends a null tick. A console line of scripted input
// is an event too, so it runs in the message box after the input queued before it. Passes follow
// each other at once while events are queued; a pass that leaves the queue empty is followed by a
// sleep until the next tick or the next platform message.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "runtime/stage_window.h"
#include "shell/windows/event_record.h"
#include "shell/windows/window_system.h"

namespace lw {

// When a run ends besides the quit flag.
struct LoopLimits {
  // Quit once the tick count reaches this.
  std::optional<std::uint32_t> endTick;
  // Tells whether the input (a headless input script) has delivered its last action; the run
  // then quits kInputSettleTicks later, so that what the last action started can finish.
  std::function<bool()> inputFinished;
};

class MainLoop {
 public:
  static constexpr std::uint32_t kIdleTicks = 20;
  static constexpr std::uint32_t kInputSettleTicks = 60;

  // The wait for the first null tick counts from here, as if the start were the last event.
  // `consoleOutcome` hears the outcome of each console line the loop runs; it may be empty.
  MainLoop(WindowSystem& windows, StageWindow& stage, MessageBoxWindow& messageBox,
           std::function<void(std::string_view)> consoleOutcome = {});

  // Runs passes until the quit flag is set (or a limit sets it), sleeping between passes that
  // find nothing to do.
  void Run(const LoopLimits& limits);
  // Runs `task` (the movie player's one movie) with the limits checked in every pump.
  void WithLimits(const LoopLimits& limits, const std::function<void()>& task);
  // One pass.
  void Pass();
  // Acts on one event taken from the queue.
  void Dispatch(const EventRecord& event);

 private:
  void sendToBoth(const WindowMessage& message);
  void send(const RuntimeWindow* window, const WindowMessage& message);
  void keyEvent(const EventRecord& event);
  void mouseDown(const EventRecord& event);
  void update(const EventRecord& event);
  void consoleLine(const EventRecord& event);
  // Sets the quit flag when a limit has been reached.
  // Asks to quit when the end tick has come or the input settled by `now`.
  void checkLimits(const LoopLimits& limits, std::uint32_t now);
  void loopUntilQuit(const LoopLimits& limits);

  WindowSystem& windows_;
  StageWindow& stage_;
  MessageBoxWindow& messageBox_;
  std::function<void(std::string_view)> consoleOutcome_;
  std::uint32_t idleDeadline_ = 0;
  std::optional<std::uint32_t> inputFinishedAt_;
};

}  // namespace lw

// Plays an input script against the virtual clock. Each action is due at a tick; when the
// clock reaches it, the action becomes messages for the runtime (a key press is a key-down and
// a key-up, a click a button-down and a button-up, a text one press per character, a console
// line one message that carries it), or is handed to the platform to carry out itself (answers,
// file choices, screenshots). Everything due at one moment comes out in script order before
// anything due later.
//
// A held key goes down at its moment, repeats 30 ticks later and every 3 ticks after that (as
// a keyboard's auto-repeat does), and goes up when the hold ends; the actions after the hold
// are due at that end. A typed text is pressed a character a tick, as a fast typist does (all
// at once it would overflow the runtime's 16-event queue); the actions after it are due a tick
// after its last character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "platform/headless/input_script.h"
#include "platform/platform.h"

namespace lw::platform {

inline constexpr std::uint64_t kRepeatDelayTicks = 30;
inline constexpr std::uint64_t kRepeatIntervalTicks = 3;

class InputPlayer {
 public:
  // One thing that the script does: a message, or an action for the platform (answer, choose
  // or screenshot).
  struct Step {
    std::optional<Message> message;
    const InputAction* action = nullptr;  // points into the player's script
  };

  explicit InputPlayer(std::vector<InputAction> actions) : actions_(std::move(actions)) {}

  // The next step due at `tick` or earlier; nothing when the next one lies later (or the script
  // is over).
  std::optional<Step> next(std::uint64_t tick);
  // The tick at which the next step falls due; nothing when no step is left.
  [[nodiscard]] std::optional<std::uint64_t> nextDue() const;
  // True once every action has been played at `tick`, trailing waits included.
  [[nodiscard]] bool finished(std::uint64_t tick) const;

 private:
  struct Hold {
    Message down;              // the key-down, copied for the repeats and the key-up
    std::uint64_t nextRepeat;  // the tick of the next repeat
    std::uint64_t end;         // the tick of the key-up
  };

  struct Typing {
    const InputAction* action;  // the type action, whose keys are pressed in turn
    std::size_t next;           // the key pressed next
    std::uint64_t nextTick;     // when it is pressed
  };

  struct Upcoming {
    std::size_t index;  // of the action, or the number of actions when none is left
    std::uint64_t moment;
  };

  std::optional<Step> nextOfHold(std::uint64_t tick);
  std::optional<Step> nextOfTyping(std::uint64_t tick);
  void pressKey(const ScriptKey& key);
  std::optional<Step> startAction(const InputAction& action);
  Step takePending();
  [[nodiscard]] Upcoming upcoming() const;

  std::vector<InputAction> actions_;
  std::size_t nextAction_ = 0;
  std::uint64_t moment_ = 0;     // the tick at which the next action is due
  std::deque<Message> pending_;  // messages of the current action, due now
  std::optional<Hold> hold_;
  std::optional<Typing> typing_;
};

}  // namespace lw::platform

#include "platform/headless/input_player.h"

#include <algorithm>

namespace lw::platform {
namespace {

Message KeyMessage(MessageKind kind, const ScriptKey& key) {
  Message message;
  message.kind = kind;
  message.key = key.key;
  message.character = key.character;
  message.modifiers = key.modifiers;
  return message;
}

Message MouseMessage(MessageKind kind, Point where, Modifiers modifiers = {}) {
  Message message;
  message.kind = kind;
  message.button = MouseButton::kLeft;
  message.where = where;
  message.modifiers = modifiers;
  return message;
}

Message PlainMessage(MessageKind kind) {
  Message message;
  message.kind = kind;
  return message;
}

}  // namespace

std::optional<InputPlayer::Step> InputPlayer::next(std::uint64_t tick) {
  if (!pending_.empty()) return takePending();
  if (hold_) return nextOfHold(tick);
  if (typing_) return nextOfTyping(tick);
  while (nextAction_ < actions_.size() && tick >= moment_) {
    const InputAction& action = actions_[nextAction_++];
    if (action.kind == ActionKind::kWait) {
      moment_ += action.ticks;
      continue;
    }
    if (std::optional<Step> step = startAction(action)) return step;
  }
  return std::nullopt;
}

// Repeats of the held key while the hold lasts, then its key-up.
std::optional<InputPlayer::Step> InputPlayer::nextOfHold(std::uint64_t tick) {
  if (hold_->nextRepeat < hold_->end) {
    if (tick < hold_->nextRepeat) return std::nullopt;
    hold_->nextRepeat += kRepeatIntervalTicks;
    Message repeat = hold_->down;
    repeat.repeat = true;
    return Step{repeat, nullptr};
  }
  if (tick < hold_->end) return std::nullopt;
  Message up = hold_->down;
  up.kind = MessageKind::kKeyUp;
  moment_ = hold_->end;
  hold_.reset();
  return Step{up, nullptr};
}

// The next character of a typed text when its tick has come; the actions after the text are
// due a tick after its last character.
std::optional<InputPlayer::Step> InputPlayer::nextOfTyping(std::uint64_t tick) {
  if (tick < typing_->nextTick) return std::nullopt;
  const std::vector<ScriptKey>& keys = typing_->action->keys;
  if (typing_->next == keys.size()) {
    moment_ = typing_->nextTick;
    typing_.reset();
    return next(tick);
  }
  pressKey(keys[typing_->next++]);
  ++typing_->nextTick;
  return takePending();
}

void InputPlayer::pressKey(const ScriptKey& key) {
  pending_.push_back(KeyMessage(MessageKind::kKeyDown, key));
  pending_.push_back(KeyMessage(MessageKind::kKeyUp, key));
}

// Turns an action that is due into its first step, queueing the messages that follow it.
std::optional<InputPlayer::Step> InputPlayer::startAction(const InputAction& action) {
  switch (action.kind) {
    case ActionKind::kWait: return std::nullopt;
    case ActionKind::kAnswer:
    case ActionKind::kChoose:
    case ActionKind::kScreenshot: return Step{std::nullopt, &action};
    case ActionKind::kHold: {
      const Message down = KeyMessage(MessageKind::kKeyDown, action.keys.front());
      hold_ = Hold{down, moment_ + kRepeatDelayTicks, moment_ + action.ticks};
      return Step{down, nullptr};
    }
    case ActionKind::kKey: pressKey(action.keys.front()); break;
    case ActionKind::kType: typing_ = Typing{&action, 0, moment_}; return nextOfTyping(moment_);
    case ActionKind::kClick:
      pending_.push_back(MouseMessage(MessageKind::kButtonDown, action.where, action.modifiers));
      pending_.push_back(MouseMessage(MessageKind::kButtonUp, action.where));
      break;
    case ActionKind::kPress:
      pending_.push_back(MouseMessage(MessageKind::kButtonDown, action.where, action.modifiers));
      break;
    case ActionKind::kRelease:
      pending_.push_back(MouseMessage(MessageKind::kButtonUp, action.where));
      break;
    case ActionKind::kMove:
      pending_.push_back(MouseMessage(MessageKind::kMouseMove, action.where));
      break;
    case ActionKind::kFocusOut: pending_.push_back(PlainMessage(MessageKind::kFocusLost)); break;
    case ActionKind::kFocusIn: pending_.push_back(PlainMessage(MessageKind::kFocusGained)); break;
    case ActionKind::kConsole: {
      Message line = PlainMessage(MessageKind::kConsoleLine);
      line.text = action.text;
      pending_.push_back(std::move(line));
      break;
    }
    case ActionKind::kQuit: pending_.push_back(PlainMessage(MessageKind::kCloseRequest)); break;
  }
  if (pending_.empty()) return std::nullopt;
  return takePending();
}

InputPlayer::Step InputPlayer::takePending() {
  Step step{pending_.front(), nullptr};
  pending_.pop_front();
  return step;
}

// The first action from the next one on that is not a wait, and the moment it falls due.
InputPlayer::Upcoming InputPlayer::upcoming() const {
  Upcoming next{nextAction_, moment_};
  for (; next.index < actions_.size() && actions_[next.index].kind == ActionKind::kWait;
       ++next.index)
    next.moment += actions_[next.index].ticks;
  return next;
}

std::optional<std::uint64_t> InputPlayer::nextDue() const {
  if (!pending_.empty()) return moment_;
  if (hold_) return std::min(hold_->nextRepeat, hold_->end);
  if (typing_) return typing_->nextTick;
  const Upcoming next = upcoming();
  if (next.index == actions_.size()) return std::nullopt;
  return next.moment;
}

bool InputPlayer::finished(std::uint64_t tick) const {
  if (!pending_.empty() || hold_ || typing_) return false;
  const Upcoming next = upcoming();
  return next.index == actions_.size() && tick >= next.moment;
}

}  // namespace lw::platform

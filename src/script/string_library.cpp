#include "script/string_library.h"

#include <algorithm>

#include "script/script_host.h"

namespace lw {

ScriptError StringLibrary::make(std::string_view text, Value& out) {
  auto freeSlot = std::find(inUse_.begin(), inUse_.end(), 0);
  if (freeSlot == inUse_.end()) return ScriptError::StringLibraryExhausted;
  const auto slot = static_cast<int>(freeSlot - inUse_.begin());
  // Every text of the language fits a slot; a longer one can only come from a caller's bug,
  // and cutting it keeps the slot's length byte truthful.
  // Only the characters are copied, not the whole slot.
  slots_[slot].assign(text.substr(0, PString::kCapacity));
  *freeSlot = 1;
  out = Value::Text(slot);
  return ScriptError::None;
}

// A ticket that names no slot, or a slot already given back, means the interpreter lost track
// of a text. That is reported as an internal failure; the run may go on with an empty text,
// which is what a dropped text would have read like, rather than stale characters.
ScriptError StringLibrary::take(const Value& value, PString& out) {
  if (!value.isText()) return ScriptError::BadArgumentType;
  const std::int32_t slot = value.payload;
  if (slot < 0 || slot >= kSlotCount) {
    host_.reportFatal(kProgramCodeLogic, errline::kTakeTextBadSlot);
    out.clear();
    return ScriptError::None;
  }
  if (inUse_[slot] == 0) {
    host_.reportFatal(kProgramCodeLogic, errline::kTakeTextFreeSlot);
    out.clear();
    return ScriptError::None;
  }
  out.assign(slots_[slot].view());
  inUse_[slot] = 0;
  return ScriptError::None;
}

int StringLibrary::slotsInUse() const {
  return static_cast<int>(
      std::count_if(inUse_.begin(), inUse_.end(), [](std::int16_t flag) { return flag != 0; }));
}

}  // namespace lw

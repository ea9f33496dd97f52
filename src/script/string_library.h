// The string library: 20 slots of 256 bytes that hold the characters of text values. A text
// value is a ticket for one slot; reading the text (take) gives the slot back.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "script/bounded_string.h"
#include "script/error_codes.h"
#include "script/value.h"

namespace lw {

class ScriptHost;

class StringLibrary {
 public:
  static constexpr int kSlotCount = 20;

  explicit StringLibrary(ScriptHost& host) : host_(host) {}

  // Copies `text` (at most 255 characters) into the lowest free slot and gives its ticket;
  // StringLibraryExhausted when every slot is in use.
  ScriptError make(std::string_view text, Value& out);

  // Reads a text value and frees its slot; BadArgumentType when `value` is not text. A ticket
  // for a slot that is out of range or not in use is an internal failure: it is reported and
  // the text read is empty.
  ScriptError take(const Value& value, PString& out);

  // Marks every slot free (the start of each main-loop pass).
  void reset() { inUse_.fill(0); }

  [[nodiscard]] int slotsInUse() const;

 private:
  ScriptHost& host_;
  std::array<PString, kSlotCount> slots_{};
  std::array<std::int16_t, kSlotCount> inUse_{};
};

}  // namespace lw

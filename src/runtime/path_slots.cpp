#include "runtime/path_slots.h"

#include "runtime/error_lines.h"

namespace lw {

PathSlots::PathSlots(ErrorReporter& errors, int count)
    : errors_(errors), count_(count < 1 || count > kCount ? kCount : count) {
  slots_.fill(PString::truncated(kApplicationVolume));
}

std::string PathSlots::get(int index) const {
  if (!InRange(index)) {
    errors_.ReportError(kRuntimeProgramCode, errline::kPathSlotGet);
    return {};
  }
  return slots_[static_cast<std::size_t>(index)].str();
}

void PathSlots::set(int index, std::string_view path) {
  if (!InRange(index)) {
    errors_.ReportError(kRuntimeProgramCode, errline::kPathSlotSet);
    return;
  }
  slots_[static_cast<std::size_t>(index)] = PString::truncated(path);
}

}  // namespace lw

// StackGauge: how much machine stack the current thread has left, so that deep recursion in
// scripts ends with "Too much recursion." instead of overflowing the stack.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lw {

class StackGauge {
 public:
  // Measures the calling thread's stack. A reserve is kept below the reported room: the deepest
  // path the interpreter takes between two checks (built-ins with text buffers, a handler run's
  // setup) must fit in it with the room still above the threshold.
  StackGauge();

  // Bytes left above the reserve (0 when below it). Cheap: one subtraction, inlined into the
  // interpreter's checks.
  [[nodiscard]] [[gnu::always_inline]] std::ptrdiff_t room() const {
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    return here > low_ ? static_cast<std::ptrdiff_t>(here - low_) : 0;
  }

  // Re-measures for the calling thread (for a runtime moved to another thread).
  void measure();

  // Pretends the stack ends `bytes` below the current position (tests of deep recursion).
  void limitTo(std::size_t bytes);

 private:
  std::uintptr_t low_ = 0;  // lowest usable address including the reserve
};

}  // namespace lw

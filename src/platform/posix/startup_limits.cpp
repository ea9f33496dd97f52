#include "platform/posix/startup_limits.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/system_info.h"

namespace lw::platform {

int RaiseOpenFileLimit(int wanted) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  const auto asked = static_cast<rlim_t>(std::max(wanted, 0));
  if (limit.rlim_cur < asked) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? asked : std::min(asked, limit.rlim_max);
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  constexpr auto kLargest = static_cast<rlim_t>(std::numeric_limits<int>::max());
  return static_cast<int>(std::min(limit.rlim_cur, kLargest));
}

bool ReserveZeroedMemory(std::size_t bytes) {
  const std::unique_ptr<void, decltype(&std::free)> block(std::calloc(bytes, 1), &std::free);
  if (!block) return false;
  // calloc may hand out pages it has not touched; writing makes the system really provide them.
  std::memset(block.get(), 0, bytes);
  return true;
}

MemoryLimits ReadMemoryLimits() {
  MemoryLimits limits;
  struct sysinfo info {};
  if (sysinfo(&info) == 0) {
    const std::uint64_t unit = info.mem_unit == 0 ? 1 : info.mem_unit;
    const MemoryFigures figures = HostSystem().memory();
    const std::uint64_t available =
        figures.available.value_or((std::uint64_t{info.freeram} + info.bufferram) * unit);
    limits.withSwap = available + std::uint64_t{info.freeswap} * unit;
    limits.physical = std::uint64_t{info.totalram} * unit;
  }
  rlimit space{};
  if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY)
    limits.addressSpace = space.rlim_cur;
  return limits;
}

std::uint64_t SmallestFigure(const MemoryLimits& limits) {
  std::uint64_t smallest = std::numeric_limits<std::uint64_t>::max();
  for (const auto& figure : {limits.withSwap, limits.addressSpace, limits.physical})
    if (figure) smallest = std::min(smallest, *figure);
  return smallest;
}

}  // namespace lw::platform

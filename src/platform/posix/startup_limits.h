// The start-up checks' questions about the process, answered by Linux: the open-file limit, a
// block of memory, and the memory figures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace lw::platform {

// Raises the soft limit of open files (RLIMIT_NOFILE) to `wanted` when it is lower, as far as
// the hard limit lets it; the soft limit afterwards.
int RaiseOpenFileLimit(int wanted);

// Allocates `bytes`, writes zeros over them and frees them; false when the allocation failed.
bool ReserveZeroedMemory(std::size_t bytes);

// The figures that the free-memory figure is the smallest of; a figure the system does not
// report (an address space without limit) is missing.
struct MemoryLimits {
  std::optional<std::uint64_t> withSwap;      // memory available without swapping + free swap
  std::optional<std::uint64_t> addressSpace;  // the process's address-space limit (RLIMIT_AS)
  std::optional<std::uint64_t> physical;      // all of the machine's memory
};
[[nodiscard]] MemoryLimits ReadMemoryLimits();

// The smallest of the figures that are there; the largest number when none is.
[[nodiscard]] std::uint64_t SmallestFigure(const MemoryLimits& limits);

}  // namespace lw::platform

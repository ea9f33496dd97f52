// What the start-up checks ask of the machine before the title boots: how many files the process
// may open, whether a block of memory can be had, how much memory there is, what the display is,
// whether the sound device takes a format, and a clock for timing the disc. The player answers
// from the machine (posix/startup_limits.h, sdl/sdl_display_report.h and the platform's sound);
// tests force the answers (shell/startup/forced_startup_probe.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/audio_stream.h"

namespace lw::platform {

// The display as the machine reports it; `present` false when there is none to open a window on.
struct DisplayReport {
  bool present = false;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
};

class StartupProbe {
 public:
  virtual ~StartupProbe() = default;
  // Asks for `wanted` open files; how many the process may have open afterwards.
  virtual int RaiseFileHandles(int wanted) = 0;
  // Takes `bytes` of memory, writes zeros over all of it and gives it back; false when the
  // memory could not be had.
  virtual bool ReserveMemory(std::size_t bytes) = 0;
  // The free-memory figure of the memory accounting, in bytes: the smallest of the memory that
  // can be had with swap, the address space the process may use, and the physical memory.
  virtual std::uint64_t FreeMemoryFigure() = 0;
  virtual DisplayReport Display() = 0;
  // True when the sound device plays `format`; the device is closed again.
  virtual bool SoundAccepts(const AudioFormat& format) = 0;
  // A clock in milliseconds, for the disc's read speed.
  virtual std::uint32_t Milliseconds() = 0;
};

}  // namespace lw::platform

// Logging for a developer chasing a problem: one line per note on standard error, by channel,
// every channel off unless switched on (`titleplayer --log boot,files`). A note on a channel that
// is off costs one test of a flag: LW_LOG evaluates its arguments only when its channel is on.
//
// Logs are not program output: messages that tell the user why something failed ("titleplayer:
// cannot write the screenshot ...") are written by the program itself, whatever the channels.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/expected.h"

namespace lw {

enum class LogChannel : std::uint8_t {
  kBoot,     // the runtime start and the title boot step by step, the platform and its window
  kFiles,    // files that do not open, read or write
  kScript,   // handler calls that fail (the failure latched for the pass)
  kInput,    // platform messages as they come, and the events the main loop takes
  kPresent,  // what is copied to the window, and the cursor
  kSound,    // the sound device: its driver and format, then the underruns and the time played
};

inline constexpr std::size_t kLogChannelCount = 6;

// The channels' names on the command line, in the enum's order.
inline constexpr std::array<std::string_view, kLogChannelCount> kLogChannelNames = {
    "boot", "files", "script", "input", "present", "sound"};

// A set of channels: bit N is the channel of value N.
using LogChannels = std::uint32_t;

[[nodiscard]] constexpr LogChannels LogBit(LogChannel channel) {
  return LogChannels{1} << static_cast<unsigned>(channel);
}

// The channels of a comma-separated list ("boot,files"); the error names the word that is no
// channel and lists the channels.
[[nodiscard]] Expected<LogChannels, std::string> ParseLogChannels(std::string_view list);

// Switches exactly `channels` on, writing to `sink` (standard error when null).
void SetLogChannels(LogChannels channels, std::FILE* sink = nullptr);

namespace log_detail {
extern std::atomic<LogChannels> enabled;
}  // namespace log_detail

[[nodiscard]] inline bool LogEnabled(LogChannel channel) {
  return (log_detail::enabled.load(std::memory_order_relaxed) & LogBit(channel)) != 0;
}

// Writes "[channel] " and the formatted text as one line. Call it through LW_LOG.
void LogLine(LogChannel channel, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace lw

// LW_LOG(kBoot, "window %d x %d", w, h): a note on a channel, formatted only when it is on.
#define LW_LOG(channel, ...)                                 \
  do {                                                       \
    if (::lw::LogEnabled(::lw::LogChannel::channel)) {       \
      ::lw::LogLine(::lw::LogChannel::channel, __VA_ARGS__); \
    }                                                        \
  } while (false)

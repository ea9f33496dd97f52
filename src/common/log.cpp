#include "common/log.h"

#include <cstdarg>

namespace lw {

namespace log_detail {
std::atomic<LogChannels> enabled{0};
}  // namespace log_detail

namespace {

// Where the lines go; set before channels are switched on, read only while one is on.
std::atomic<std::FILE*> sink{nullptr};

}  // namespace

Expected<LogChannels, std::string> ParseLogChannels(std::string_view list) {
  LogChannels channels = 0;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view word = list.substr(0, comma);
    std::size_t index = 0;
    while (index < kLogChannelCount && kLogChannelNames[index] != word) ++index;
    if (index == kLogChannelCount) {
      std::string known;
      for (const std::string_view name : kLogChannelNames) {
        known += (known.empty() ? "" : ", ") + std::string(name);
      }
      return Unexpected("no log channel '" + std::string(word) + "' (the channels: " + known + ")");
    }
    channels |= LogBit(static_cast<LogChannel>(index));
    if (comma == std::string_view::npos) return channels;
    list.remove_prefix(comma + 1);
  }
}

void SetLogChannels(LogChannels channels, std::FILE* out) {
  sink.store(out != nullptr ? out : stderr, std::memory_order_relaxed);
  log_detail::enabled.store(channels, std::memory_order_relaxed);
}

void LogLine(LogChannel channel, const char* format, ...) {
  std::FILE* out = sink.load(std::memory_order_relaxed);
  if (out == nullptr) out = stderr;
  // One buffer and one write, so that lines of two threads do not interleave.
  char line[512];
  const std::string_view name = kLogChannelNames[static_cast<std::size_t>(channel)];
  const int prefix =
      std::snprintf(line, sizeof line, "[%.*s] ", static_cast<int>(name.size()), name.data());
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line + prefix, sizeof line - static_cast<std::size_t>(prefix), format, arguments);
  va_end(arguments);
  std::fprintf(out, "%s\n", line);
  std::fflush(out);
}

}  // namespace lw

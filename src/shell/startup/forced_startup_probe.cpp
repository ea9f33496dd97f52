#include "shell/startup/forced_startup_probe.h"

#include <charconv>
#include <limits>

namespace lw {
namespace {

// A whole number from 0 to `largest`, all of `text`.
template <typename Number>
std::optional<Number> WholeNumber(std::string_view text,
                                  Number largest = std::numeric_limits<Number>::max()) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < 0 || value > largest)
    return std::nullopt;
  return value;
}

// "WxHxB", or "none".
std::optional<platform::DisplayReport> DisplayOf(std::string_view text) {
  if (text == "none") return platform::DisplayReport{};
  const std::size_t first = text.find('x');
  const std::size_t second = first == std::string_view::npos ? first : text.find('x', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  constexpr int kLargestSide = 65535;
  constexpr int kLargestDepth = 64;
  const auto width = WholeNumber<int>(text.substr(0, first), kLargestSide);
  const auto height = WholeNumber<int>(text.substr(first + 1, second - first - 1), kLargestSide);
  const auto bits = WholeNumber<int>(text.substr(second + 1), kLargestDepth);
  if (!width || !height || !bits) return std::nullopt;
  return platform::DisplayReport{true, *width, *height, *bits};
}

std::optional<int> SoundOf(std::string_view text) {
  if (text == "none") return 0;
  if (text == "8") return 8;
  if (text == "16") return 16;
  return std::nullopt;
}

// Sets the answer of one KEY=VALUE item; false when the key is unknown or the value wrong.
bool Force(std::string_view key, std::string_view value, ForcedStartupAnswers& answers) {
  if (key == "handles") return (answers.fileHandles = WholeNumber<int>(value)).has_value();
  if (key == "memory") {
    const auto refusals = WholeNumber<int>(value);
    answers.memoryRefusals = refusals.value_or(0);
    return refusals.has_value();
  }
  if (key == "free-memory")
    return (answers.freeMemory = WholeNumber<std::uint64_t>(value)).has_value();
  if (key == "display") return (answers.display = DisplayOf(value)).has_value();
  if (key == "sound") return (answers.soundSampleBits = SoundOf(value)).has_value();
  if (key == "disc-ms") return (answers.clockStep = WholeNumber<std::uint32_t>(value)).has_value();
  return false;
}

}  // namespace

Expected<ForcedStartupAnswers, std::string> ParseForcedStartupAnswers(std::string_view text) {
  ForcedStartupAnswers answers;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos ||
        !Force(item.substr(0, equals), item.substr(equals + 1), answers)) {
      return Unexpected(std::string(kStartupProbeVariable) + ": cannot force '" +
                        std::string(item) +
                        "' (handles=N, memory=N, free-memory=N, display=none or WxHxB, "
                        "sound=none, 8 or 16, disc-ms=N)");
    }
  }
  return answers;
}

int ForcedStartupProbe::RaiseFileHandles(int wanted) {
  return answers_.fileHandles ? *answers_.fileHandles : machine_.RaiseFileHandles(wanted);
}

bool ForcedStartupProbe::ReserveMemory(std::size_t bytes) {
  if (memoryTries_ < answers_.memoryRefusals) {
    ++memoryTries_;
    return false;
  }
  return machine_.ReserveMemory(bytes);
}

std::uint64_t ForcedStartupProbe::FreeMemoryFigure() {
  return answers_.freeMemory ? *answers_.freeMemory : machine_.FreeMemoryFigure();
}

platform::DisplayReport ForcedStartupProbe::Display() {
  return answers_.display ? *answers_.display : machine_.Display();
}

bool ForcedStartupProbe::SoundAccepts(const platform::AudioFormat& format) {
  if (!answers_.soundSampleBits) return machine_.SoundAccepts(format);
  constexpr int kBitsPerByte = 8;
  return format.bytesPerSample * kBitsPerByte <= *answers_.soundSampleBits;
}

std::uint32_t ForcedStartupProbe::Milliseconds() {
  if (!answers_.clockStep) return machine_.Milliseconds();
  const std::uint32_t now = clock_;
  clock_ += *answers_.clockStep;
  return now;
}

}  // namespace lw

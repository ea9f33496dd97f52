// Start-up answers forced for tests: the machine's answers, with some replaced as a text of
// comma-separated KEY=VALUE items says. The player takes the text from the environment variable
// LOOMWORK_STARTUP_PROBE, so that a test can run the real program against a machine of its own
// making.
//
//   ITEM               ANSWER FORCED
//   handles=N          N files may be open after the limit is raised
//   memory=N           the first N tries to take the 2 MB block fail, later ones as the machine
//   free-memory=N      the free-memory figure is N bytes
//   display=none       no display
//   display=WxHxB      a display of W x H pixels at B bits per pixel
//   sound=none         the sound device takes no format
//   sound=8            it takes 8-bit samples only
//   sound=16           it takes 16-bit and 8-bit samples
//   disc-ms=N          the clock moves N milliseconds from one reading to the next, so that the
//                      timed read of the disc takes N milliseconds
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/expected.h"
#include "platform/startup_probe.h"

namespace lw {

// The environment variable that forces answers.
inline constexpr const char* kStartupProbeVariable = "LOOMWORK_STARTUP_PROBE";

// The answers a text forces; the others are missing.
struct ForcedStartupAnswers {
  std::optional<int> fileHandles;
  int memoryRefusals = 0;
  std::optional<std::uint64_t> freeMemory;
  std::optional<platform::DisplayReport> display;
  std::optional<int> soundSampleBits;  // 0: no format; 8: 8 bits only; 16: 16 and 8 bits
  std::optional<std::uint32_t> clockStep;
};

// Reads the text of LOOMWORK_STARTUP_PROBE; the error names the item that is wrong.
[[nodiscard]] Expected<ForcedStartupAnswers, std::string> ParseForcedStartupAnswers(
    std::string_view text);

// The answers of `machine` with the forced ones in their place.
class ForcedStartupProbe final : public platform::StartupProbe {
 public:
  ForcedStartupProbe(platform::StartupProbe& machine, ForcedStartupAnswers answers)
      : machine_(machine), answers_(answers) {}

  int RaiseFileHandles(int wanted) override;
  bool ReserveMemory(std::size_t bytes) override;
  std::uint64_t FreeMemoryFigure() override;
  platform::DisplayReport Display() override;
  bool SoundAccepts(const platform::AudioFormat& format) override;
  std::uint32_t Milliseconds() override;

 private:
  platform::StartupProbe& machine_;
  ForcedStartupAnswers answers_;
  int memoryTries_ = 0;
  std::uint32_t clock_ = 0;
};

}  // namespace lw

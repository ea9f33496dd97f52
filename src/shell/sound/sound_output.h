// The sound output: the device end of the runtime's audio. One stream of mono or stereo PCM at a
// multiple of 11025 samples per second, fed through three buffers of 16384 bytes: the mixer asks
// for the next free buffer, fills it and queues it; the platform's stream tells when a buffer has
// played out. The layer also says how many frames still wait to be played (from the clock, for
// keeping pictures in step with sound), sets and reads the output level 0..9, and shows its own
// error box for device failures.
//
// Buffer protocol (misuse is a logic error, program code 110):
//   SoundGetBuffer   a buffer already handed out: line 901; three queued: line 902; else the
//                    buffer at (current + queued) mod 3
//   SoundQueueBuffer none handed out: line 903; the first queued becomes current and is stamped
//                    with the clock
//   SoundPending     queued x frames per buffer - min(max(0, elapsed ms since the current
//                    buffer's stamp x rate / 1000), frames per buffer - 1)
// The queued count, the current index and the stamps are shared with the stream's thread and
// are atomics. Every result is 0, or 1 when the stream is not open or the device failed (the
// sound error box was shown; Cancel there reports program code 102 at line 900).
#pragma once

#include <cstdint>
#include <span>

#include "platform/platform.h"
#include "shell/dialogs/boxes.h"
#include "shell/error_report.h"

namespace lw {

namespace errline {
inline constexpr std::int16_t kSoundErrorCancel = 900;
inline constexpr std::int16_t kSoundBufferHandedOut = 901;
inline constexpr std::int16_t kSoundAllBuffersQueued = 902;
inline constexpr std::int16_t kSoundNothingToQueue = 903;
}  // namespace errline

class SoundOutput {
 public:
  static constexpr std::int32_t kBufferBytes = 16384;
  static constexpr int kBufferCount = 3;
  static constexpr int kMaxLevel = 9;

  // What SoundOpen gives besides its result.
  struct Opened {
    std::int32_t framesPerBuffer = 0;
    std::int32_t buffers = 2;  // the two constants the mixer receives
    std::int32_t streams = 1;
  };

  SoundOutput(platform::Platform& platform, BoxPresenter& boxes, ErrorReporter& errors);
  ~SoundOutput();
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

  int SoundOpen(int rateMultiple, int bytesPerSample, int channels, Opened& opened);
  int SoundClose();
  int SoundReset();
  // The data area of the next free buffer (kBufferBytes); empty when the result is not 0.
  int SoundGetBuffer(std::span<std::uint8_t>& buffer);
  int SoundQueueBuffer();
  int SoundPending(std::int32_t& frames);
  int SoundGetVolume(int& level);
  int SoundSetVolume(int level);

  // Pausing and resuming with the application.
  void Pause();
  void Resume();

  [[nodiscard]] bool isOpen() const;
  [[nodiscard]] int bytesPerSample() const;
  [[nodiscard]] int channels() const;
  [[nodiscard]] std::int32_t framesPerBuffer() const;
  [[nodiscard]] int queuedBuffers() const;
  [[nodiscard]] std::uint64_t underruns() const;
};

}  // namespace lw

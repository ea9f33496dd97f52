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
//   SoundPending     the frames of the queued buffers - min(max(0, elapsed ms since the
//                    current buffer's stamp x rate / 1000), the current buffer's frames - 1)
// The queued count, the current index and the stamps are shared with the stream's thread and
// are atomics (plain words would race with the stream's thread). Every result is 0, or 1 when the
// stream is not open or the device failed (the sound error box was shown; Cancel there reports
// program code 102 at line 900).
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

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
  // Queues the buffer handed out: all of it, or its first `frames` frames (taken as 1 .. frames
  // per buffer), so that a mixer can keep less sound waiting and be heard sooner.
  int SoundQueueBuffer();
  int SoundQueueBuffer(std::int32_t frames);
  int SoundPending(std::int32_t& frames);
  int SoundGetVolume(int& level);
  int SoundSetVolume(int level);

  // Pausing and resuming with the application. The current buffer's stamp moves on by the
  // paused time, so that SoundPending counts only the time the stream played.
  void Pause();
  void Resume();

  // Sleeps until a queued buffer finishes or `timeoutMs` milliseconds pass, for a caller that
  // waits for the sound to move on (the stream's thread wakes it).
  void WaitForPlay(std::uint32_t timeoutMs);

  [[nodiscard]] bool isOpen() const;
  [[nodiscard]] int samplesPerSecond() const;
  [[nodiscard]] int bytesPerSample() const;
  [[nodiscard]] int channels() const;
  [[nodiscard]] std::int32_t framesPerBuffer() const;
  [[nodiscard]] int queuedBuffers() const;
  [[nodiscard]] std::uint64_t underruns() const;
  // The seconds of queued sound the stream has played since it opened: what was queued, less
  // what a reset dropped and what still waits (SoundPending); 0 when it is not open.
  [[nodiscard]] double secondsPlayed();

 private:
  // The frames queued and not yet played, as SoundPending counts them.
  [[nodiscard]] std::int64_t pendingFrames();

  // Shows the sound error box for a device failure at `place`; Cancel reports 102 at line 900.
  void ShowSoundError(std::string_view reason, int place);
  // The stream's Finished callback: the current buffer has played out.
  void BufferFinished();

  platform::Platform& platform_;
  BoxPresenter& boxes_;
  ErrorReporter& errors_;
  std::unique_ptr<platform::AudioStream> stream_;
  std::vector<std::uint8_t> buffers_;  // kBufferCount buffers of kBufferBytes, one after another
  int samplesPerSecond_ = 0;
  int bytesPerSample_ = 0;
  int channels_ = 0;
  std::int32_t framesPerBuffer_ = 0;
  bool handedOut_ = false;
  int handedOutIndex_ = 0;
  bool paused_ = false;
  std::uint32_t pausedAt_ = 0;
  std::int64_t framesQueued_ = 0;  // since the stream opened, less those a reset dropped
  // Shared with the stream's thread.
  std::atomic<int> queued_{0};
  std::atomic<int> current_{0};
  std::array<std::atomic<std::uint32_t>, kBufferCount> stamps_{};
  std::array<std::atomic<std::int32_t>, kBufferCount> framesIn_{};  // each queued buffer's
  std::mutex finishedMutex_;
  std::condition_variable finishedSignal_;
};

}  // namespace lw

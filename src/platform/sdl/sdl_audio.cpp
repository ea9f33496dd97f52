#include "platform/sdl/sdl_audio.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/audio_level.h"

namespace lw::platform {
namespace {

// About 46 ms at 22050 frames a second: short enough to follow the title, long enough not to
// starve on a busy machine.
constexpr Uint16 kDeviceFrames = 1024;

// What a stream without the player's hold plays at.
const PlayerSound kFullSound;

// Holds SDL's device lock for a scope.
class DeviceLock {
 public:
  explicit DeviceLock(SDL_AudioDeviceID device) : device_(device) { SDL_LockAudioDevice(device_); }
  ~DeviceLock() { SDL_UnlockAudioDevice(device_); }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

class SdlAudioStream final : public AudioStream {
 public:
  SdlAudioStream(const AudioFormat& format, Finished finished,
                 std::shared_ptr<const PlayerSound> player)
      : format_(format), finished_(std::move(finished)), player_(std::move(player)) {}
  ~SdlAudioStream() override {
    // Closing waits for a callback under way, so none runs on a stream that is gone.
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  SdlAudioStream(const SdlAudioStream&) = delete;
  SdlAudioStream& operator=(const SdlAudioStream&) = delete;

  // Starts SDL's audio and opens the device; SDL's reason when it cannot.
  std::optional<std::string> open() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return std::string(SDL_GetError());
    audioStarted_ = true;
    SDL_AudioSpec wanted{};
    wanted.freq = format_.samplesPerSecond;
    wanted.format = format_.bytesPerSample == 1 ? AUDIO_U8 : AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(format_.channels);
    wanted.samples = kDeviceFrames;
    wanted.callback = &SdlAudioStream::Fill;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to what the hardware takes.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device_ == 0) return std::string(SDL_GetError());
    SDL_PauseAudioDevice(device_, 0);
    return std::nullopt;
  }

  bool queue(std::span<const std::uint8_t> samples, int tag) override {
    const auto frameBytes = static_cast<std::size_t>(format_.channels * format_.bytesPerSample);
    if (samples.empty() || samples.size() % frameBytes != 0) return false;
    Buffer buffer{std::vector<std::uint8_t>(samples.begin(), samples.end()), tag};
    const DeviceLock lock(device_);
    queue_.push_back(std::move(buffer));
    counting_ = true;
    return true;
  }
  void pause() override { SDL_PauseAudioDevice(device_, 1); }
  void resume() override { SDL_PauseAudioDevice(device_, 0); }
  void reset() override {
    std::deque<Buffer> dropped;
    {
      const DeviceLock lock(device_);
      dropped.swap(queue_);
      played_ = 0;
      counting_ = false;
    }
    // The callback holds the lock while it tells of a buffer, so every earlier Finished has
    // been told by now.
    for (const Buffer& buffer : dropped) finished_(buffer.tag);
  }
  void setLevel(int level) override { level_ = std::clamp(level, kMinAudioLevel, kMaxAudioLevel); }
  [[nodiscard]] int level() const override { return level_; }
  [[nodiscard]] std::uint64_t underruns() const override { return underruns_; }

 private:
  struct Buffer {
    std::vector<std::uint8_t> samples;
    int tag = 0;
  };

  static void SDLCALL Fill(void* self, Uint8* out, int length) {
    static_cast<SdlAudioStream*>(self)->fill(
        std::span(out, static_cast<std::size_t>(std::max(length, 0))));
  }

  // On the audio thread, with the device locked.
  void fill(std::span<std::uint8_t> out) {
    const int level = level_;
    while (!out.empty()) {
      if (queue_.empty()) {
        std::fill(out.begin(), out.end(), SilentByte(format_.bytesPerSample));
        if (counting_) ++underruns_;
        return;
      }
      Buffer& current = queue_.front();
      const std::size_t bytes = std::min(out.size(), current.samples.size() - played_);
      CopyForPlayer(std::span(current.samples).subspan(played_, bytes), out, format_.bytesPerSample,
                    level, player_ ? *player_ : kFullSound);
      played_ += bytes;
      out = out.subspan(bytes);
      if (played_ == current.samples.size()) {
        const int tag = current.tag;
        queue_.pop_front();
        played_ = 0;
        finished_(tag);
      }
    }
  }

  AudioFormat format_;
  Finished finished_;
  std::shared_ptr<const PlayerSound> player_;
  bool audioStarted_ = false;
  SDL_AudioDeviceID device_ = 0;
  // Shared with the callback under the device lock.
  std::deque<Buffer> queue_;
  std::size_t played_ = 0;  // bytes of the current buffer copied out
  bool counting_ = false;   // a buffer was queued since the stream opened or was reset
  std::atomic<int> level_ = kMaxAudioLevel;
  std::atomic<std::uint64_t> underruns_ = 0;
};

}  // namespace

void CopyForPlayer(std::span<const std::uint8_t> from, std::span<std::uint8_t> to,
                   int bytesPerSample, int titleLevel, const PlayerSound& player) {
  const int playerLevel = player.muted ? kMinAudioLevel : player.level.load();
  CopyAtLevel(from, to, bytesPerSample, titleLevel);
  // The gain works sample by sample, so it can work in place.
  const std::span<std::uint8_t> copied = to.first(from.size());
  if (playerLevel < kMaxAudioLevel) CopyAtLevel(copied, copied, bytesPerSample, playerLevel);
}

std::unique_ptr<AudioStream> OpenSdlAudio(const AudioFormat& format, AudioStream::Finished finished,
                                          std::string& error,
                                          std::shared_ptr<const PlayerSound> player) {
  if (format.bytesPerSample != 1 && format.bytesPerSample != 2) {
    error = "no sound device plays samples of " + std::to_string(format.bytesPerSample) + " bytes";
    return nullptr;
  }
  if (format.channels != 1 && format.channels != 2) {
    error = "no sound device plays " + std::to_string(format.channels) + " channels";
    return nullptr;
  }
  if (format.samplesPerSecond <= 0) {
    error = "no sound device plays " + std::to_string(format.samplesPerSecond) + " frames a second";
    return nullptr;
  }
  auto stream = std::make_unique<SdlAudioStream>(format, std::move(finished), std::move(player));
  if (std::optional<std::string> problem = stream->open()) {
    error = "cannot open the sound device: " + *problem;
    return nullptr;
  }
  return stream;
}

std::string SdlAudioDriverName() {
  const char* name = SDL_GetCurrentAudioDriver();
  return name != nullptr ? name : "none";
}

}  // namespace lw::platform

#include "platform/headless/headless_audio.h"

#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

#include "platform/headless/audio_level.h"

namespace lw::platform {
namespace {

constexpr std::uint64_t kMillisecondsPerSecond = 1000;
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 192000;

// Why `format` cannot be played; nothing when it can.
std::optional<std::string> FormatProblem(const AudioFormat& format) {
  if (format.bytesPerSample != 1 && format.bytesPerSample != 2)
    return "samples of " + std::to_string(format.bytesPerSample) + " bytes";
  if (format.channels != 1 && format.channels != 2)
    return std::to_string(format.channels) + " channels";
  if (format.samplesPerSecond < kLowestRate || format.samplesPerSecond > kHighestRate)
    return std::to_string(format.samplesPerSecond) + " frames a second";
  return std::nullopt;
}

}  // namespace

class ClockedAudioStream final : public AudioStream {
 public:
  ClockedAudioStream(ClockedAudioDevice& device, const AudioFormat& format, Finished finished,
                     std::uint64_t openedAt, WavCapture* capture)
      : device_(&device),
        format_(format),
        frameBytes_(static_cast<std::size_t>(format.channels * format.bytesPerSample)),
        finished_(std::move(finished)),
        openedAt_(openedAt),
        capture_(capture) {}
  ~ClockedAudioStream() override {
    if (device_ != nullptr) device_->closed();
  }
  ClockedAudioStream(const ClockedAudioStream&) = delete;
  ClockedAudioStream& operator=(const ClockedAudioStream&) = delete;

  // The device is gone: nothing moves the stream on any more.
  void detach() {
    device_ = nullptr;
    capture_ = nullptr;
  }

  bool queue(std::span<const std::uint8_t> samples, int tag) override {
    // An empty buffer would end before it began.
    if (samples.empty() || samples.size() % frameBytes_ != 0) return false;
    queue_.push_back({std::vector<std::uint8_t>(samples.begin(), samples.end()), tag});
    counting_ = true;
    return true;
  }
  void pause() override { paused_ = true; }
  void resume() override { paused_ = false; }
  void reset() override {
    std::deque<Buffer> dropped;
    dropped.swap(queue_);
    played_ = 0;
    counting_ = false;
    dry_ = false;
    for (const Buffer& buffer : dropped) finished_(buffer.tag);
  }
  void setLevel(int level) override { level_ = std::clamp(level, kMinAudioLevel, kMaxAudioLevel); }
  [[nodiscard]] int level() const override { return level_; }
  [[nodiscard]] std::uint64_t underruns() const override { return underruns_; }

  void advanceTo(std::uint64_t now) {
    const std::uint64_t due = framesHeardBy(now);
    // Finished may queue, pause or reset, so the state is read afresh after each buffer.
    while (heard_ < due) {
      const std::uint64_t wanted = due - heard_;
      if (paused_ || queue_.empty()) {
        if (!paused_ && counting_ && !dry_) {
          ++underruns_;
          dry_ = true;
        }
        hearSilence(wanted);
        continue;
      }
      dry_ = false;
      Buffer& current = queue_.front();
      const std::size_t left = (current.samples.size() - played_) / frameBytes_;
      const std::size_t frames = static_cast<std::size_t>(std::min<std::uint64_t>(left, wanted));
      hear(std::span(current.samples).subspan(played_, frames * frameBytes_));
      played_ += frames * frameBytes_;
      if (played_ == current.samples.size()) {
        const int tag = current.tag;
        queue_.pop_front();
        played_ = 0;
        finished_(tag);
      }
    }
  }

  [[nodiscard]] std::optional<std::uint64_t> nextFinish() const {
    if (paused_ || queue_.empty()) return std::nullopt;
    const std::uint64_t last = heard_ + (queue_.front().samples.size() - played_) / frameBytes_;
    const auto rate = static_cast<std::uint64_t>(format_.samplesPerSecond);
    return openedAt_ + (last * kMillisecondsPerSecond + rate - 1) / rate;
  }

 private:
  struct Buffer {
    std::vector<std::uint8_t> samples;
    int tag = 0;
  };

  [[nodiscard]] std::uint64_t framesHeardBy(std::uint64_t now) const {
    if (now <= openedAt_) return 0;
    return (now - openedAt_) * static_cast<std::uint64_t>(format_.samplesPerSecond) /
           kMillisecondsPerSecond;
  }

  void hear(std::span<const std::uint8_t> samples) {
    heard_ += samples.size() / frameBytes_;
    if (capture_ == nullptr) return;
    atLevel_.resize(samples.size());
    CopyAtLevel(samples, atLevel_, format_.bytesPerSample, level_);
    // Then at the player's level over the title's, as a sound device plays it.
    const int playerLevel = device_->playerLevel();
    if (playerLevel < kMaxAudioLevel)
      CopyAtLevel(atLevel_, atLevel_, format_.bytesPerSample, playerLevel);
    capture_->append(atLevel_);
  }

  void hearSilence(std::uint64_t frames) {
    heard_ += frames;
    if (capture_ != nullptr) capture_->appendSilence(frames);
  }

  ClockedAudioDevice* device_;
  AudioFormat format_;
  std::size_t frameBytes_;
  Finished finished_;
  std::uint64_t openedAt_;
  WavCapture* capture_;  // null when this stream is not recorded

  std::deque<Buffer> queue_;
  std::size_t played_ = 0;   // bytes of the current buffer heard
  std::uint64_t heard_ = 0;  // frames heard since the stream opened, silence included
  bool paused_ = false;
  bool counting_ = false;  // a buffer was queued since the stream opened or was reset
  bool dry_ = false;       // in a dry spell, already counted
  int level_ = kMaxAudioLevel;
  std::uint64_t underruns_ = 0;
  std::vector<std::uint8_t> atLevel_;  // the samples being recorded, at the level
};

ClockedAudioDevice::ClockedAudioDevice(std::unique_ptr<WavCapture> capture)
    : capture_(std::move(capture)) {}

ClockedAudioDevice::~ClockedAudioDevice() {
  if (stream_ != nullptr) stream_->detach();
}

std::unique_ptr<AudioStream> ClockedAudioDevice::open(const AudioFormat& format,
                                                      AudioStream::Finished finished,
                                                      std::uint64_t now, std::string& error) {
  if (stream_ != nullptr) {
    error = "the sound device is already open";
    return nullptr;
  }
  if (const std::optional<std::string> problem = FormatProblem(format)) {
    error = "the sound device cannot play " + *problem;
    return nullptr;
  }
  if (capture_ && !capture_->allows(format)) {
    error = "the sound device records only samples of another size, not " +
            std::to_string(format.bytesPerSample) + " bytes";
    return nullptr;
  }
  WavCapture* capture = nullptr;
  if (capture_ && capture_->takeFormat(format)) {
    capture_->padTo(now * static_cast<std::uint64_t>(format.samplesPerSecond) /
                    kMillisecondsPerSecond);
    capture = capture_.get();
  }
  auto stream =
      std::make_unique<ClockedAudioStream>(*this, format, std::move(finished), now, capture);
  stream_ = stream.get();
  return stream;
}

void ClockedAudioDevice::setPlayerLevel(int level) {
  playerLevel_ = std::clamp(level, kMinAudioLevel, kMaxAudioLevel);
}

void ClockedAudioDevice::advanceTo(std::uint64_t now) {
  if (stream_ != nullptr) stream_->advanceTo(now);
}

std::optional<std::uint64_t> ClockedAudioDevice::nextFinish() const {
  if (stream_ == nullptr) return std::nullopt;
  return stream_->nextFinish();
}

std::optional<std::string> ClockedAudioDevice::flushCapture() {
  if (!capture_) return std::nullopt;
  return capture_->flush();
}

void ClockedAudioDevice::closed() {
  stream_ = nullptr;
  flushCapture();
}

}  // namespace lw::platform

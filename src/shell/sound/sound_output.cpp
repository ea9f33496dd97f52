// The sound output's buffers and their protocol over the platform's audio stream.
#include "shell/sound/sound_output.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "shell/program_code.h"

namespace lw {
namespace {

constexpr int kRateUnit = 11025;  // samples per second of rate multiple 1
constexpr std::int64_t kMillisecondsPerSecond = 1000;
constexpr std::size_t kMaxReasonLength = 128;

// Where a device failure happened, as the sound error box names it.
constexpr int kPlaceOpen = 1;
constexpr int kPlaceQueue = 7;
// The device's own error number; the platform's streams give only a reason text.
constexpr int kDeviceError = 1;

constexpr const char* kSoundErrorFormat =
    "Sound Error %d:\n%s [%d]\n\nSelect OK to continue, Cancel to abort.";

}  // namespace

SoundOutput::SoundOutput(platform::Platform& platform, BoxPresenter& boxes, ErrorReporter& errors)
    : platform_(platform), boxes_(boxes), errors_(errors) {}

SoundOutput::~SoundOutput() { static_cast<void>(SoundClose()); }

void SoundOutput::ShowSoundError(std::string_view reason, int place) {
  const std::string shortReason(reason.substr(0, kMaxReasonLength));
  const int length =
      std::snprintf(nullptr, 0, kSoundErrorFormat, kDeviceError, shortReason.c_str(), place);
  std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  std::snprintf(text.data(), text.size(), kSoundErrorFormat, kDeviceError, shortReason.c_str(),
                place);
  text.pop_back();
  BoxRequest request;
  request.caption = "Sound Error";
  request.text = WrapForBox(text);
  request.buttons = BoxButtons::kOkCancel;
  request.icon = BoxIcon::kExclamation;
  if (boxes_.showBox(request) == BoxAnswer::kCancel) {
    errors_.ReportError(CodeNumber(ProgramCode::kMemory), errline::kSoundErrorCancel);
  }
}

void SoundOutput::BufferFinished() {
  {
    std::lock_guard lock(finishedMutex_);
    // A stream that reports more buffers than were queued changes nothing.
    if (queued_.load() > 0) {
      const int next = (current_.load() + 1) % kBufferCount;
      current_.store(next);
      if (queued_.fetch_sub(1) > 1) stamps_[next].store(platform_.milliseconds());
    }
  }
  finishedSignal_.notify_all();
}

int SoundOutput::SoundOpen(int rateMultiple, int bytesPerSample, int channels, Opened& opened) {
  if (stream_) return 0;
  platform::AudioFormat format;
  format.samplesPerSecond = rateMultiple * kRateUnit;
  format.bytesPerSample = bytesPerSample;
  format.channels = channels;
  std::string error;
  stream_ = platform_.openAudio(
      format, [this](int /*tag*/) { BufferFinished(); }, error);
  if (!stream_) {
    ShowSoundError(error, kPlaceOpen);
    return 1;
  }
  samplesPerSecond_ = format.samplesPerSecond;
  bytesPerSample_ = bytesPerSample;
  channels_ = channels;
  framesPerBuffer_ = kBufferBytes / (bytesPerSample * channels);
  buffers_.assign(std::size_t{kBufferBytes} * kBufferCount, 0);
  handedOut_ = false;
  paused_ = false;
  framesQueued_ = 0;
  queued_.store(0);
  current_.store(0);
  for (auto& stamp : stamps_) stamp.store(0);
  opened = Opened{};
  opened.framesPerBuffer = framesPerBuffer_;
  return 0;
}

int SoundOutput::SoundClose() {
  if (!stream_) return 0;
  stream_->reset();
  stream_.reset();
  buffers_.clear();
  buffers_.shrink_to_fit();
  handedOut_ = false;
  return 0;
}

int SoundOutput::SoundReset() {
  if (!stream_) return 1;
  framesQueued_ -= pendingFrames();
  // The stream tells of every dropped buffer, which brings the queued count to 0.
  stream_->reset();
  return 0;
}

int SoundOutput::SoundGetBuffer(std::span<std::uint8_t>& buffer) {
  buffer = {};
  if (!stream_) return 1;
  if (handedOut_) {
    errors_.ReportError(CodeNumber(ProgramCode::kLogic), errline::kSoundBufferHandedOut);
    return 1;
  }
  // The count is read before the index: the stream's thread moves the index before it lowers
  // the count, so a finish in between can only point at the buffer that just became free.
  const int queued = queued_.load();
  if (queued >= kBufferCount) {
    errors_.ReportError(CodeNumber(ProgramCode::kLogic), errline::kSoundAllBuffersQueued);
    return 1;
  }
  const int index = (current_.load() + queued) % kBufferCount;
  buffer =
      std::span<std::uint8_t>(buffers_).subspan(std::size_t{kBufferBytes} * index, kBufferBytes);
  handedOut_ = true;
  handedOutIndex_ = index;
  return 0;
}

int SoundOutput::SoundQueueBuffer() { return SoundQueueBuffer(framesPerBuffer_); }

int SoundOutput::SoundQueueBuffer(std::int32_t frames) {
  if (!stream_) return 1;
  if (!handedOut_) {
    errors_.ReportError(CodeNumber(ProgramCode::kLogic), errline::kSoundNothingToQueue);
    return 1;
  }
  handedOut_ = false;
  const int index = handedOutIndex_;
  frames = std::clamp(frames, 1, framesPerBuffer_);
  const auto frameBytes = static_cast<std::size_t>(bytesPerSample_ * channels_);
  const std::span<const std::uint8_t> samples = std::span<const std::uint8_t>(buffers_).subspan(
      std::size_t{kBufferBytes} * index, frameBytes * static_cast<std::size_t>(frames));
  framesIn_[index].store(frames);
  // The count goes up before the stream has the buffer, so that a stream that finishes it at
  // once never counts below zero.
  const bool first = queued_.fetch_add(1) == 0;
  if (first) {
    // The first buffer starts play: it is stamped and written with the stream paused, so that
    // play starts at the stamped time.
    stamps_[index].store(platform_.milliseconds());
    stream_->pause();
  }
  const bool accepted = stream_->queue(samples, index);
  if (first && !paused_) stream_->resume();
  if (!accepted) {
    queued_.fetch_sub(1);
    ShowSoundError("the device refused a buffer", kPlaceQueue);
    return 1;
  }
  framesQueued_ += frames;
  return 0;
}

int SoundOutput::SoundPending(std::int32_t& frames) {
  frames = 0;
  if (!stream_) return 1;
  const int queued = queued_.load();
  if (queued == 0) return 0;
  const int current = current_.load();
  std::int64_t waiting = 0;
  for (int i = 0; i < queued; ++i) waiting += framesIn_[(current + i) % kBufferCount].load();
  const std::uint32_t now = paused_ ? pausedAt_ : platform_.milliseconds();
  const std::uint32_t elapsed = now - stamps_[current].load();
  const std::int64_t played =
      std::clamp<std::int64_t>(std::int64_t{elapsed} * samplesPerSecond_ / kMillisecondsPerSecond,
                               0, std::max(0, framesIn_[current].load() - 1));
  frames = static_cast<std::int32_t>(std::max<std::int64_t>(0, waiting - played));
  return 0;
}

int SoundOutput::SoundGetVolume(int& level) {
  if (!stream_) return 1;
  level = stream_->level();
  return 0;
}

int SoundOutput::SoundSetVolume(int level) {
  if (!stream_) return 1;
  stream_->setLevel(std::clamp(level, 0, kMaxLevel));
  return 0;
}

void SoundOutput::Pause() {
  if (!stream_ || paused_) return;
  paused_ = true;
  pausedAt_ = platform_.milliseconds();
  stream_->pause();
}

void SoundOutput::Resume() {
  if (!stream_ || !paused_) return;
  paused_ = false;
  const std::uint32_t pausedFor = platform_.milliseconds() - pausedAt_;
  auto& stamp = stamps_[current_.load()];
  stamp.store(stamp.load() + pausedFor);
  stream_->resume();
}

void SoundOutput::WaitForPlay(std::uint32_t timeoutMs) {
  std::unique_lock lock(finishedMutex_);
  const int queued = queued_.load();
  finishedSignal_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return queued_.load() != queued; });
}

std::int64_t SoundOutput::pendingFrames() {
  std::int32_t frames = 0;
  static_cast<void>(SoundPending(frames));
  return frames;
}

double SoundOutput::secondsPlayed() {
  if (!stream_) return 0;
  return static_cast<double>(framesQueued_ - pendingFrames()) / samplesPerSecond_;
}

bool SoundOutput::isOpen() const { return stream_ != nullptr; }
int SoundOutput::samplesPerSecond() const { return samplesPerSecond_; }
int SoundOutput::bytesPerSample() const { return bytesPerSample_; }
int SoundOutput::channels() const { return channels_; }
std::int32_t SoundOutput::framesPerBuffer() const { return framesPerBuffer_; }
int SoundOutput::queuedBuffers() const { return queued_.load(); }
std::uint64_t SoundOutput::underruns() const { return stream_ ? stream_->underruns() : 0; }

}  // namespace lw

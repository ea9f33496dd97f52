// The four channels: which sound plays where, and the pump that mixes them into the output.
#include "media/sound_channels.h"

#include <algorithm>

#include "media/sound_mixer.h"
#include "shell/program_code.h"

namespace lw {
namespace {

constexpr std::int16_t kCloseFailed = 2702;
constexpr std::int16_t kOpenedTwice = 2703;
constexpr std::int16_t kNoOutputFormat = 2704;
constexpr std::int16_t kReleaseFailed = 2705;
constexpr std::int16_t kNotLoaded = 2706;
constexpr std::int16_t kBadPlaylist = 2708;

constexpr int kFirstEffectChannel = 1;
constexpr int kSecondEffectChannel = 2;
constexpr int kOutputRateMultiple = 2;  // 22050 Hz
constexpr int kOutputChannels = 1;
constexpr int kWideSamples = 2;
constexpr int kNarrowSamples = 1;
constexpr std::uint32_t kVoiceWaitMs = 10;

bool IsSound(const SoundItem& item, std::uint32_t fileSerial, std::int32_t recordId) {
  return item.fileSerial == fileSerial && item.recordId == recordId;
}

}  // namespace

SoundChannels::SoundChannels(StarLibrary& library, ErrorReporter& errors, SoundOutput& output)
    : library_(library), errors_(errors), output_(output) {
  for (auto& track : tracks_) track = std::make_unique<SoundTrack>();
}

SoundChannels::~SoundChannels() = default;

void SoundChannels::Report(std::int16_t programCode, std::int16_t errorLine) {
  errors_.ReportError(programCode, errorLine);
}

void SoundChannels::Start() {
  if (open_) {
    Report(CodeNumber(ProgramCode::kLogic), kOpenedTwice);
    return;
  }
  SoundOutput::Opened opened;
  if (output_.SoundOpen(kOutputRateMultiple, kWideSamples, kOutputChannels, opened) != 0 &&
      output_.SoundOpen(kOutputRateMultiple, kNarrowSamples, kOutputChannels, opened) != 0) {
    Report(CodeNumber(ProgramCode::kLogic), kNoOutputFormat);
    return;
  }
  open_ = true;
}

void SoundChannels::Shutdown() {
  if (!open_) return;
  for (int channel = 0; channel < kChannels; ++channel) StopChannel(channel);
  open_ = false;
  if (output_.SoundClose() != 0) Report(CodeNumber(ProgramCode::kLogic), kCloseFailed);
}

bool SoundChannels::isOpen() const { return open_; }

bool SoundChannels::LoadSound(StarFile& file, std::int32_t recordId, std::string name,
                              SoundItem& item) {
  if (!open_) return false;
  RecordBlock* record = nullptr;
  if (Failed(library_.StarGetResource(file, recordId, record))) {
    Report(CodeNumber(ProgramCode::kMemory), kNotLoaded);
    return false;
  }
  auto info = ReadSoundRecord(*record);
  FatalSite site = info ? FatalSite{} : info.error();
  // The reader admits any frame size; the mixer plays one or two bytes to a frame.
  if (info && !SourceFormatOf(*info)) {
    site = {CodeNumber(ProgramCode::kBadFileType), errline::kSoundHeader};
  }
  if (site.failed()) {
    Report(site.programCode, site.errorLine);
    static_cast<void>(library_.StarReleaseResource(file, recordId));
    return false;
  }
  item = SoundItem{};
  item.name = std::move(name);
  item.file = &file;
  item.fileSerial = file.serial();
  item.recordId = recordId;
  item.record = record;
  item.info = *info;
  item.priority = static_cast<std::uint32_t>(recordId);
  return true;
}

void SoundChannels::ReleaseSound(SoundItem& item) {
  if (item.record == nullptr || item.file == nullptr) return;
  if (open_) StopRecord(item.fileSerial, item.recordId);
  item.record = nullptr;
  if (Failed(library_.StarReleaseResource(*item.file, item.recordId))) {
    Report(CodeNumber(ProgramCode::kLogic), kReleaseFailed);
  }
}

void SoundChannels::StartOn(int channel, const SoundItem& item) {
  if (item.record == nullptr) {
    Report(CodeNumber(ProgramCode::kMemory), kNotLoaded);
    return;
  }
  tracks_[channel]->Start(item, SampleFormat{static_cast<std::uint8_t>(output_.channels()),
                                             static_cast<std::uint8_t>(output_.bytesPerSample())});
  startedAt_[channel] = ++starts_;
}

void SoundChannels::StopChannel(int channel) {
  tracks_[channel]->Stop();
  if (channel == kThemeChannel) playlist_ = Playlist{};
}

void SoundChannels::PlayVoice(const SoundItem& item) {
  if (open_) StartOn(kVoiceChannel, item);
}

std::optional<int> SoundChannels::ChooseEffectChannel(const SoundItem& item) const {
  for (int channel : {kFirstEffectChannel, kSecondEffectChannel}) {
    if (!tracks_[channel]->busy()) return channel;
  }
  const auto rank = [this](int channel) {
    return std::pair(tracks_[channel]->item().priority, startedAt_[channel]);
  };
  const int lower = rank(kFirstEffectChannel) < rank(kSecondEffectChannel) ? kFirstEffectChannel
                                                                           : kSecondEffectChannel;
  if (tracks_[lower]->item().priority <= item.priority) return lower;
  return std::nullopt;
}

void SoundChannels::PlayEffect(const SoundItem& item, EffectMode mode) {
  if (!open_) return;
  if (mode == EffectMode::kBoth) {
    StopChannel(kSecondEffectChannel);
    StartOn(kFirstEffectChannel, item);
    return;
  }
  if (mode == EffectMode::kSingle) {
    for (int channel : {kFirstEffectChannel, kSecondEffectChannel}) {
      if (tracks_[channel]->busy() &&
          IsSound(tracks_[channel]->item(), item.fileSerial, item.recordId)) {
        StartOn(channel, item);
        return;
      }
    }
  }
  if (const std::optional<int> channel = ChooseEffectChannel(item)) StartOn(*channel, item);
}

void SoundChannels::PlayPlaylist(const Playlist& playlist) {
  if (!open_) return;
  const bool loaded = std::all_of(playlist.items.begin(), playlist.items.end(),
                                  [](const SoundItem& item) { return item.record != nullptr; });
  if (!loaded || (playlist.loopEntry && *playlist.loopEntry >= playlist.items.size())) {
    Report(CodeNumber(ProgramCode::kLogic), kBadPlaylist);
    return;
  }
  StopChannel(kThemeChannel);
  if (playlist.items.empty()) return;
  playlist_ = playlist;
  playlistIndex_ = 0;
  StartOn(kThemeChannel, playlist_.items.front());
}

void SoundChannels::Stop(bool channel1, bool channel2, bool channel3, bool channel0) {
  if (!open_) return;
  const std::array<bool, kChannels> stop{channel0, channel1, channel2, channel3};
  for (int channel = 0; channel < kChannels; ++channel) {
    if (stop[channel]) StopChannel(channel);
  }
  Pump();
}

void SoundChannels::StopRecord(std::uint32_t fileSerial, std::int32_t recordId) {
  if (!open_) return;
  for (int channel = 0; channel < kChannels; ++channel) {
    if (tracks_[channel]->busy() && IsSound(tracks_[channel]->item(), fileSerial, recordId))
      StopChannel(channel);
  }
  // The playlist would reach the record later, after its lock is gone.
  if (std::any_of(playlist_.items.begin(), playlist_.items.end(),
                  [&](const SoundItem& item) { return IsSound(item, fileSerial, recordId); })) {
    StopChannel(kThemeChannel);
  }
}

bool SoundChannels::Busy(int channel) const {
  return open_ && channel >= 0 && channel < kChannels && tracks_[channel]->busy();
}

const SoundItem* SoundChannels::Playing(int channel) const {
  return Busy(channel) ? &tracks_[channel]->item() : nullptr;
}

void SoundChannels::WaitVoiceDone() {
  while (Busy(kVoiceChannel)) {
    Pump();
    if (!Busy(kVoiceChannel)) return;
    if (waitStep_) {
      waitStep_();
    } else {
      output_.WaitForPlay(kVoiceWaitMs);
    }
  }
}

void SoundChannels::PlayNext(int channel) {
  SoundTrack& track = *tracks_[channel];
  if (track.item().loop) {
    track.Restart();
    return;
  }
  if (channel != kThemeChannel || playlist_.items.empty()) {
    StopChannel(channel);
    return;
  }
  if (playlistIndex_ + 1 < playlist_.items.size()) {
    ++playlistIndex_;
  } else if (playlist_.loopEntry) {
    playlistIndex_ = *playlist_.loopEntry;
  } else {
    StopChannel(channel);
    return;
  }
  StartOn(channel, playlist_.items[playlistIndex_]);
}

void SoundChannels::MixChannel(int channel, std::size_t frames) {
  SoundTrack& track = *tracks_[channel];
  const std::size_t channels = static_cast<std::size_t>(output_.channels());
  const std::span<std::int32_t> mix(mix_);
  // Passes that gave no sound before the channel ends: one for an item, one more than the
  // items for a playlist (which may start at an item before its loop entry).
  const std::size_t silentLimit = channel == kThemeChannel ? playlist_.items.size() + 1 : 1;
  std::size_t silentPasses = 0;
  std::size_t done = 0;
  while (track.busy()) {
    FatalSite site;
    const std::size_t added =
        track.MixInto(mix.subspan(done * channels, (frames - done) * channels), site);
    done += added;
    if (site.failed()) {
      Report(site.programCode, site.errorLine);
      StopChannel(channel);
      return;
    }
    if (!track.playedOut()) return;
    silentPasses = added == 0 ? silentPasses + 1 : 0;
    if (silentPasses > silentLimit) {
      StopChannel(channel);
      return;
    }
    PlayNext(channel);
    if (done == frames) return;
  }
}

std::size_t SoundChannels::MixBuffer(std::span<std::uint8_t> buffer) {
  const auto frames = static_cast<std::size_t>(std::min(kFramesPerPump, output_.framesPerBuffer()));
  mix_.assign(frames * static_cast<std::size_t>(output_.channels()), 0);
  for (int channel = 0; channel < kChannels; ++channel) MixChannel(channel, frames);
  StoreMix(mix_, output_.bytesPerSample(), buffer);
  return frames;
}

void SoundChannels::Pump() {
  if (!open_ || pumping_) return;
  pumping_ = true;
  // The buffers free now; a stream that plays faster than the mixer fills cannot hold it here.
  for (int free = kBuffersAhead - output_.queuedBuffers(); free > 0; --free) {
    std::span<std::uint8_t> buffer;
    if (output_.SoundGetBuffer(buffer) != 0) break;
    const std::size_t frames = MixBuffer(buffer);
    if (output_.SoundQueueBuffer(static_cast<std::int32_t>(frames)) != 0) break;
  }
  pumping_ = false;
}

void SoundChannels::Pause() {
  if (open_) output_.Pause();
}

void SoundChannels::Resume() {
  if (open_) output_.Resume();
}

}  // namespace lw

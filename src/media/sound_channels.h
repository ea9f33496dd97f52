// The four sound channels and the mixer that combines them into the sound output. Channel 0
// plays single sounds (voices, a movie's sound), channels 1 and 2 effects chosen by priority,
// channel 3 a looping playlist (theme music). A loaded sound keeps its record locked in the
// resource cache until it is released; a channel plays a copy of the item, and the mixer clears
// the channel's busy flag when the sound has played out.
//
// The mixer is pumped from the main loop and the message pump (a nested pump returns at once):
// it fills every free output buffer from the four tracks, decoding record blocks, converting
// 11025 and 44100 Hz sounds to the 22050 Hz output and applying each item's gains (volume / 255,
// panned). The tracks are summed with saturation at the sample limits.
//
// Fatal sites (program codes through the error reporter): 2702 close failed, 2703 opened twice,
// 2704 no output format opens, 2705 release failed, 2706 record not loaded (code 102), 2707 rate,
// 2708 inconsistent playlist. The lines 2709..2712 (a playlist on an effect channel or on
// channel 0) stay reserved: here a playlist reaches only channel 3. Program code 110 (logic)
// unless said otherwise; a record the reader rejects keeps the reader's site and code. Every
// operation does nothing while the output is not open, but for ReleaseSound: a record's lock is
// given back even after Shutdown.
//
// Effect channels. PlayEffect takes, in this order:
//   kBoth      both effect channels are stopped and the sound plays on channel 1, alone among
//              the effects;
//   kSingle    the effect channel already playing the same sound (file serial and record id),
//              where it restarts, so that one sound never overlaps itself;
//   (all)      an idle effect channel, channel 1 first;
//   (all)      the effect channel with the lower priority (on a tie the one started earlier)
//              when its priority is at most the new sound's: the new sound replaces it. Else
//              the new sound is not played.
//
// Queueing ahead. Pump keeps all three buffers queued, each with 2048 frames (93 ms at 22050 Hz)
// rather than the whole buffer: a sound started now is heard within about 0.28 s, and the stream
// still has two buffers in hand while the next one is mixed. A pump fills at most the buffers
// free when it starts.
//
// A channel goes idle when the mixer has taken the last of its sound, up to three pumps' worth
// before it is heard. A playlist or a looping item that gives no sound at all in one pass ends,
// rather than spinning. A playlist item that is not loaded, or a loop entry behind the last item,
// is site 2708; playing an item that is not loaded is site 2706.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/sound_record.h"
#include "media/star_library.h"
#include "shell/error_report.h"
#include "shell/sound/sound_output.h"

namespace lw {

// A loaded sound.
struct SoundItem {
  std::string name;
  StarFile* file = nullptr;
  std::uint32_t fileSerial = 0;
  std::int32_t recordId = -1;
  const RecordBlock* record = nullptr;  // locked while the item is loaded
  SoundRecordInfo info;
  std::uint16_t volume = 255;  // 0..255
  std::uint16_t pan = 128;     // 0 left .. 255 right, 128 centre
  bool loop = false;           // plays again from its start when it ends
  std::uint32_t priority = 0;  // effect channels: the lower gives way; the record id at load
};

// Items played in order on channel 3; after the last, play goes on at the loop entry, or ends
// when there is none.
struct Playlist {
  std::vector<SoundItem> items;
  std::optional<std::size_t> loopEntry;
};

// How an effect takes channel 1 or 2.
enum class EffectMode : std::uint8_t { kSingle, kMultiple, kBoth };

class SoundTrack;

class SoundChannels {
 public:
  static constexpr int kChannels = 4;
  static constexpr int kVoiceChannel = 0;
  static constexpr int kThemeChannel = 3;

  SoundChannels(StarLibrary& library, ErrorReporter& errors, SoundOutput& output);
  ~SoundChannels();
  SoundChannels(const SoundChannels&) = delete;
  SoundChannels& operator=(const SoundChannels&) = delete;

  // Opens the output (16-bit, else 8-bit, 22050 Hz mono).
  void Start();
  void Shutdown();
  [[nodiscard]] bool isOpen() const;

  // Loads record `recordId` of `file` into `item` (volume 255, pan 128); false after a fatal
  // report.
  bool LoadSound(StarFile& file, std::int32_t recordId, std::string name, SoundItem& item);
  // Stops the item where it plays and releases its record.
  void ReleaseSound(SoundItem& item);

  void PlayVoice(const SoundItem& item);
  void PlayEffect(const SoundItem& item, EffectMode mode);
  // From its first item.
  void PlayPlaylist(const Playlist& playlist);
  void Stop(bool channel1, bool channel2, bool channel3, bool channel0);
  // Stops every channel playing that record.
  void StopRecord(std::uint32_t fileSerial, std::int32_t recordId);

  [[nodiscard]] bool Busy(int channel) const;
  // Pumps until channel 0 is idle.
  void WaitVoiceDone();
  // What WaitVoiceDone does while the buffers it may fill are all queued. Without a step it
  // sleeps until the stream finishes one (at most 10 ms at a time), which suits a stream played
  // by its own thread. A platform whose clock, and with it the stream, moves only as messages are
  // taken (the headless one) needs a step of the runtime's message loop here.
  void setWaitStep(std::function<void()> step) { waitStep_ = std::move(step); }
  // What a channel plays, or null when it is idle.
  [[nodiscard]] const SoundItem* Playing(int channel) const;

  // Fills the output's free buffers; a nested call returns at once.
  void Pump();
  void Pause();
  void Resume();

 private:
  static constexpr int kBuffersAhead = 3;
  static constexpr std::int32_t kFramesPerPump = 2048;

  // Reports a fatal site through the error reporter.
  void Report(std::int16_t programCode, std::int16_t errorLine);
  // Plays `item` on `channel` from its start; site 2706 when it is not loaded.
  void StartOn(int channel, const SoundItem& item);
  void StopChannel(int channel);
  // The effect channel for a new effect, or nullopt when the new one gives way.
  [[nodiscard]] std::optional<int> ChooseEffectChannel(const SoundItem& item) const;
  // What a channel plays after its item played out: the item again, the playlist's next, or
  // nothing.
  void PlayNext(int channel);
  // Adds `frames` output frames of `channel` to the mix.
  void MixChannel(int channel, std::size_t frames);
  // Mixes the frames of one pump into `buffer`; how many.
  std::size_t MixBuffer(std::span<std::uint8_t> buffer);

  StarLibrary& library_;
  ErrorReporter& errors_;
  SoundOutput& output_;
  bool open_ = false;
  bool pumping_ = false;
  std::array<std::unique_ptr<SoundTrack>, kChannels> tracks_;
  std::array<std::uint64_t, kChannels> startedAt_{};  // the start count when each began
  std::uint64_t starts_ = 0;
  Playlist playlist_;  // channel 3's
  std::size_t playlistIndex_ = 0;
  std::vector<std::int32_t> mix_;
  std::function<void()> waitStep_;
};

}  // namespace lw

// The sound device of real play: an SDL audio device opened at the stream's own format (SDL
// converts for the hardware if it must), whose callback, on SDL's audio thread, copies the
// queued buffers out at the stream's level and tells Finished of each as its last byte goes.
// When the queue runs dry the callback fills with silence and counts an underrun once per
// callback that ran dry, from the first buffer queued until a reset (a stream that has not
// begun, or was stopped, is not running dry). The queue is shared with the audio thread under
// SDL's device lock; the level and the underrun count are atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/audio_stream.h"
#include "platform/headless/audio_level.h"

namespace lw::platform {

// The player's own hold on the sound, over the level the title sets: the player's level
// (0..9) and the mute of Ctrl+Shift+M. The platform changes it; the audio thread reads it.
struct PlayerSound {
  std::atomic<int> level = kMaxAudioLevel;
  std::atomic<bool> muted = false;
};

// Copies samples out as the device plays them: at the title's level, then at the player's,
// silent while muted. `to` is at least as long as `from`.
void CopyForPlayer(std::span<const std::uint8_t> from, std::span<std::uint8_t> to,
                   int bytesPerSample, int titleLevel, const PlayerSound& player);

// Starts SDL's audio (once per stream; SDL counts) and opens the default device at `format`,
// playing; null with SDL's reason in `error` when it cannot. `player`, when given, is applied
// to everything the stream plays.
std::unique_ptr<AudioStream> OpenSdlAudio(const AudioFormat& format, AudioStream::Finished finished,
                                          std::string& error,
                                          std::shared_ptr<const PlayerSound> player = nullptr);

// The driver SDL's audio plays through ("pulseaudio", "alsa", "dummy"), or "none" while no
// stream has started it.
std::string SdlAudioDriverName();

}  // namespace lw::platform

// The sound device of real play: an SDL audio device opened at the stream's own format (SDL
// converts for the hardware if it must), whose callback, on SDL's audio thread, copies the
// queued buffers out at the stream's level and tells Finished of each as its last byte goes.
// When the queue runs dry the callback fills with silence and counts an underrun once per
// callback that ran dry, from the first buffer queued until a reset (a stream that has not
// begun, or was stopped, is not running dry). The queue is shared with the audio thread under
// SDL's device lock; the level and the underrun count are atomics.
#pragma once

#include <memory>
#include <string>

#include "platform/audio_stream.h"

namespace lw::platform {

// Starts SDL's audio (once per stream; SDL counts) and opens the default device at `format`,
// playing; null with SDL's reason in `error` when it cannot.
std::unique_ptr<AudioStream> OpenSdlAudio(const AudioFormat& format, AudioStream::Finished finished,
                                          std::string& error);

// The driver SDL's audio plays through ("pulseaudio", "alsa", "dummy"), or "none" while no
// stream has started it.
std::string SdlAudioDriverName();

}  // namespace lw::platform

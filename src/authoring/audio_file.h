// Sound files as titlekit reads them: whatever libsndfile reads from memory (WAV, AIFF, FLAC,
// Ogg/Vorbis and more), mixed down to mono at the file's own rate and at 16-bit scale. The
// file's bytes come from the caller, which has already read (and hashed) them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "authoring/wav_file.h"
#include "common/expected.h"

namespace lw::authoring {

// The longest sound read, in frames: about 50 minutes at 44100 Hz, beyond any record.
inline constexpr std::size_t kMaxAudioFrames = std::size_t{1} << 27;

// Reads a sound file's bytes as mono: each frame is the mean of its channels, rounded. The sound
// keeps the file's rate; bitsPerSample is 8 for a file of 8-bit samples and 16 otherwise. The
// error is a ready reason, such as "not a sound file: Format not recognised."; the caller adds
// the file name.
Expected<PcmSound, std::string> ReadAudio(std::span<const std::uint8_t> bytes);

}  // namespace lw::authoring

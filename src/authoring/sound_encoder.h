// The sound record encoder: PCM sound (any rate, 8 or 16 bits, mono or stereo) to a sound record
// (media/sound_record.h describes the record and its block code), in four steps.
//
//  1. Mix: the channels' mean, as values in [-1, 1).
//  2. Resample to the record rate with libsamplerate's best sinc converter, whose low-pass keeps
//     decimation from aliasing and interpolation from imaging (rates at most 256 times apart).
//     The length becomes round(frames x record rate / source rate): the duration is kept.
//  3. Scale to the block code's running value a: target = 64 + 64 v, clamped to 0 .. 127. Full
//     scale thus decodes to the samples 64 .. 191, the 7 bits centred on 128 that set codes
//     reach; deltas are never used to leave that range, which keeps the mixer's headroom.
//  4. Code each block for the least rate-distortion cost
//         sum over the block's samples of (decoded a - target)^2  +  kBytePenalty x code bytes
//     by a dynamic programme over the decoder's exact state (the running value, and whether the
//     last code was a set, a run, a complete delta pair or half of one), so that the error of
//     one code is seen by every later choice and never accumulates. Extending a run or a delta
//     group costs 1/64 of a code byte for its share of the next code byte, which is added when
//     the group or run is cut into codes of at most 64. Samples behind the sound's end in the
//     last block count almost nothing, so they become runs.
//
// The record holds one block per block size of samples (at least one block), every block coded
// to its full size; identical blocks (silence) are stored once and shared through the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "authoring/wav_file.h"
#include "common/expected.h"
#include "media/sound_record.h"

namespace lw::authoring {

// The rate-distortion weight of one code byte, in squared steps of the running value: a byte is
// spent where it removes more error than that. At this weight speech loses about 0.2 dB against
// plain 7-bit rounding at a third of a byte per sample; four times the weight saves a sixth of
// the bytes for 1.5 dB.
inline constexpr double kBytePenalty = 0.25;

// The longest record encoded, in samples: about 25 minutes at 44100 Hz.
inline constexpr std::size_t kMaxRecordSamples = std::size_t{1} << 26;

// The running value of silence (the sample 128) and the value range set codes reach.
inline constexpr int kSilenceValue = 64;
inline constexpr int kValueCount = 128;

// The record rate used when none is asked for: the smallest of 11025, 22050 and 44100 Hz at or
// above the source rate, else 44100 Hz.
std::uint32_t DefaultRecordRate(std::uint32_t sourceRate);

// Steps 1 to 3: the source as mono targets for the running value at `recordRate`. Fails for a
// rate no record has, a source without a valid format, a source rate more than 256 times above
// or below the record's, or a sound longer than kMaxRecordSamples.
Expected<std::vector<float>, std::string> SoundTargets(const PcmSound& source,
                                                       std::uint32_t recordRate);

// Step 4 for one block: code for `targets` (at most blockSize of them) that decodes to exactly
// blockSize samples.
std::vector<std::uint8_t> EncodeSoundBlock(std::span<const float> targets, std::size_t blockSize);

// A record of the targets (at most kMaxRecordSamples) at the codec's rate.
std::vector<std::uint8_t> BuildSoundRecord(std::span<const float> targets, const SoundCodec& codec);

// All four steps.
Expected<std::vector<std::uint8_t>, std::string> EncodeSound(const PcmSound& source,
                                                             std::uint32_t recordRate);

}  // namespace lw::authoring

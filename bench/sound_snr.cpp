// Measures the sound record encoder on a real recording: for each record rate, the record's
// size against the 16-bit source, the signal-to-noise ratio of the round trip through the
// runtime's decoder against plain 7-bit rounding (the best a record holds) and against the
// unquantised source at the record's rate, the ceiling that 7-bit rounding itself reaches, and
// the encoding time. bench/sound_snr.sh runs it on speech.
// Usage: sound_snr FILE   (WAV, FLAC, Ogg/Vorbis ...)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "authoring/audio_file.h"
#include "authoring/sound_encoder.h"
#include "media/sound_record.h"

namespace {

using namespace lw::authoring;

// Signal-to-noise ratio in dB of `test` against `reference`, both around the running value of
// silence.
double SnrDb(const std::vector<double>& reference, const std::vector<double>& test) {
  double signal = 0;
  double noise = 0;
  for (std::size_t i = 0; i < reference.size() && i < test.size(); ++i) {
    signal += (reference[i] - kSilenceValue) * (reference[i] - kSilenceValue);
    noise += (reference[i] - test[i]) * (reference[i] - test[i]);
  }
  return 10 * std::log10(signal / std::max(noise, 1e-12));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sound_snr FILE.wav\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  auto source = ReadAudio(bytes);
  if (!source) {
    std::fprintf(stderr, "%s: %s\n", argv[1], source.error().c_str());
    return 1;
  }
  const double sourceBytes = 2.0 * static_cast<double>(source->samples.size());
  std::printf("%s: %u Hz, %zu frames, %.2f s\n", argv[1], source->sampleRate, source->frames(),
              static_cast<double>(source->frames()) / source->sampleRate);
  std::printf("%6s %9s %13s %12s %12s %8s %7s\n", "rate", "bytes", "bytes/16-bit", "SNR 7-bit",
              "SNR source", "ceiling", "enc s");
  for (const lw::SoundCodec& codec : lw::kSoundCodecs) {
    const auto start = std::chrono::steady_clock::now();
    auto record = EncodeSound(*source, codec.sampleRate);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    auto targets = SoundTargets(*source, codec.sampleRate);
    if (!record || !targets) {
      std::fprintf(stderr, "%u Hz: the encoder failed\n", codec.sampleRate);
      return 1;
    }
    auto decoded = lw::DecodeSoundRecord(*record);
    if (!decoded) {
      std::fprintf(stderr, "%u Hz: the record does not decode\n", codec.sampleRate);
      return 1;
    }
    const std::vector<double> exact(targets->begin(), targets->end());
    std::vector<double> values, rounded;
    for (std::uint8_t s : *decoded) values.push_back(s - lw::kSoundSampleBias);
    for (float t : *targets) rounded.push_back(std::round(t));
    std::printf("%6u %9zu %13.3f %9.1f dB %9.1f dB %5.1f dB %7.2f\n", codec.sampleRate,
                record->size(), static_cast<double>(record->size()) / sourceBytes,
                SnrDb(rounded, values), SnrDb(exact, values), SnrDb(exact, rounded), took.count());
  }
  return 0;
}

// titlekit sound: encodes sound files (WAV, FLAC, Ogg/Vorbis and the other kinds libsndfile reads)
// into sound records and decodes records back into WAV files with the runtime's decoder.
#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "authoring/audio_file.h"
#include "authoring/sound_encoder.h"
#include "authoring/wav_file.h"
#include "media/sound_record.h"

namespace lw::titlekit {
namespace {

// This command wires the authoring library's encoders and picture files to the command line.
using namespace lw::authoring;

struct Options {
  std::string input;
  std::string output;
  std::optional<std::uint32_t> rate;
};

std::optional<std::uint32_t> ParseRate(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() ||
      FindSoundCodecByRate(value) == nullptr) {
    return std::nullopt;
  }
  return value;
}

// IN -o OUT, with --rate R where `rateAllowed`; nothing when the arguments do not fit.
std::optional<Options> ParseOptions(Arguments args, bool rateAllowed) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "-o" && hasValue && options.output.empty()) {
      options.output = args[++i];
    } else if (arg == "--rate" && hasValue && rateAllowed && !options.rate) {
      options.rate = ParseRate(args[++i]);
      if (!options.rate) return std::nullopt;
    } else if (!arg.starts_with('-') && !arg.empty() && options.input.empty()) {
      options.input = arg;
    } else {
      return std::nullopt;
    }
  }
  if (options.input.empty() || options.output.empty()) return std::nullopt;
  return options;
}

int Fail(const std::string& message) {
  std::cerr << message << '\n';
  return kExitFailure;
}

// sound encode IN [--rate R] -o OUT; prints what the record holds.
int Encode(const Options& options) {
  auto bytes = ReadWholeFile(options.input);
  if (!bytes) return Fail(bytes.error());
  auto source = ReadAudio(AsBytes(*bytes));
  if (!source) return Fail(options.input + ": " + source.error());
  const std::uint32_t rate = options.rate.value_or(DefaultRecordRate(source->sampleRate));
  auto record = EncodeSound(*source, rate);
  if (!record) return Fail(options.input + ": " + record.error());
  if (auto failure = WriteWholeFile(options.output, *record)) return Fail(*failure);
  auto info = ReadSoundRecord(*record);
  if (!info) return Fail(options.output + ": the encoder made a record its reader refuses");
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", static_cast<double>(info->decodedLength) / rate);
  std::cout << options.output << ": " << info->decodedLength << " samples at " << rate << " Hz ("
            << seconds << " s) in " << info->blockCount << " blocks, " << record->size()
            << " bytes\n";
  return kExitOk;
}

// What a decoder failure means, for the message.
std::string RecordFault(FatalSite site) {
  switch (site.errorLine) {
    case errline::kSoundRate: return "not a sound record (its sample rate is not one of the three)";
    case errline::kSoundHeader: return "not a sound record (its header does not fit its size)";
    case errline::kSoundBlockTruncated: return "a block of the record runs past its end";
    case errline::kSoundBlockOverrun: return "a block of the record decodes past its size";
    default: return "the record does not decode (line " + std::to_string(site.errorLine) + ")";
  }
}

// sound decode IN -o OUT.wav: the decoded 8-bit samples as a mono WAV at the record's rate.
int Decode(const Options& options) {
  auto bytes = ReadWholeFile(options.input);
  if (!bytes) return Fail(bytes.error());
  const auto record = AsBytes(*bytes);
  auto info = ReadSoundRecord(record);
  if (!info) return Fail(options.input + ": " + RecordFault(info.error()));
  auto decoded = DecodeSoundRecord(record);
  if (!decoded) return Fail(options.input + ": " + RecordFault(decoded.error()));
  PcmSound sound;
  sound.sampleRate = info->codec.sampleRate;
  sound.bitsPerSample = kWavBits8;
  sound.samples.reserve(decoded->size());
  for (std::uint8_t s : *decoded) sound.samples.push_back(Sample8To16(s));
  auto wav = FormatWav(sound);
  if (!wav) return Fail(options.output + ": " + wav.error());
  if (auto failure = WriteWholeFile(options.output, *wav)) return Fail(*failure);
  return kExitOk;
}

}  // namespace

int RunSoundCommand(Arguments args) {
  if (args.empty()) return kExitUsage;
  const std::string_view subcommand = args[0];
  const bool encode = subcommand == "encode";
  if (!encode && subcommand != "decode") return kExitUsage;
  const auto options = ParseOptions(args.subspan(1), encode);
  if (!options) return kExitUsage;
  return encode ? Encode(*options) : Decode(*options);
}

}  // namespace lw::titlekit

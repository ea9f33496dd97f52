// Sound file reading through libsndfile's virtual I/O over a span of bytes.
#include "authoring/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace lw::authoring {
namespace {

// The bytes libsndfile reads, and where it is in them.
struct MemoryFile {
  std::span<const std::uint8_t> bytes;
  sf_count_t at = 0;
};

MemoryFile& Of(void* user) { return *static_cast<MemoryFile*>(user); }

sf_count_t Length(void* user) { return static_cast<sf_count_t>(Of(user).bytes.size()); }

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
  MemoryFile& file = Of(user);
  const auto size = static_cast<sf_count_t>(file.bytes.size());
  sf_count_t base = 0;
  if (whence == SEEK_CUR) base = file.at;
  if (whence == SEEK_END) base = size;
  const sf_count_t to = base + offset;
  if (to < 0 || to > size) return -1;
  file.at = to;
  return file.at;
}

sf_count_t Read(void* destination, sf_count_t count, void* user) {
  MemoryFile& file = Of(user);
  const auto left = static_cast<sf_count_t>(file.bytes.size()) - file.at;
  const sf_count_t taken = std::clamp<sf_count_t>(count, 0, left);
  std::copy_n(file.bytes.data() + file.at, taken, static_cast<std::uint8_t*>(destination));
  file.at += taken;
  return taken;
}

sf_count_t Write(const void* /*source*/, sf_count_t /*count*/, void* /*user*/) { return 0; }

sf_count_t Tell(void* user) { return Of(user).at; }

struct CloseSoundFile {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

bool HasEightBitSamples(int format) {
  const int subtype = format & SF_FORMAT_SUBMASK;
  return subtype == SF_FORMAT_PCM_U8 || subtype == SF_FORMAT_PCM_S8;
}

// Frames read and mixed at a time.
constexpr sf_count_t kChunkFrames = 4096;

}  // namespace

Expected<PcmSound, std::string> ReadAudio(std::span<const std::uint8_t> bytes) {
  SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
  MemoryFile memory{bytes};
  SF_INFO info{};
  const std::unique_ptr<SNDFILE, CloseSoundFile> file(
      sf_open_virtual(&io, SFM_READ, &info, &memory));
  if (!file) return Unexpected{"not a sound file: " + std::string(sf_strerror(nullptr))};
  if (info.samplerate <= 0 || info.channels <= 0) {
    return Unexpected{"a sound of " + std::to_string(info.channels) + " channels at " +
                      std::to_string(info.samplerate) + " Hz"};
  }
  PcmSound sound;
  sound.sampleRate = static_cast<std::uint32_t>(info.samplerate);
  sound.channels = 1;
  sound.bitsPerSample = HasEightBitSamples(info.format) ? kWavBits8 : kWavBits16;
  const auto channels = static_cast<std::size_t>(info.channels);
  std::vector<std::int16_t> chunk(static_cast<std::size_t>(kChunkFrames) * channels);
  for (;;) {
    const sf_count_t got = sf_readf_short(file.get(), chunk.data(), kChunkFrames);
    if (got <= 0) break;
    if (sound.samples.size() + static_cast<std::size_t>(got) > kMaxAudioFrames) {
      return Unexpected{"more than " + std::to_string(kMaxAudioFrames) + " frames"};
    }
    for (sf_count_t f = 0; f < got; ++f) {
      long sum = 0;
      for (std::size_t c = 0; c < channels; ++c)
        sum += chunk[static_cast<std::size_t>(f) * channels + c];
      sound.samples.push_back(static_cast<std::int16_t>(
          std::lround(static_cast<double>(sum) / static_cast<double>(channels))));
    }
  }
  if (sf_error(file.get()) != SF_ERR_NO_ERROR)
    return Unexpected{"cannot be read: " + std::string(sf_strerror(file.get()))};
  return sound;
}

}  // namespace lw::authoring

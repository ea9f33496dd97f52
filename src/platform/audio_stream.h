// The sound device as the platform offers it: one stream of PCM samples in a fixed format, fed
// with whole buffers that play one after another. The SDL backend plays them through an SDL
// audio device; the headless backend plays them by its virtual clock and can capture what it
// played to a WAV file. The runtime's sound output layer keeps the buffers and their protocol.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace lw::platform {

struct AudioFormat {
  int samplesPerSecond = 22050;
  int bytesPerSample = 2;  // 2: signed 16-bit little-endian; 1: unsigned 8-bit centred on 128
  int channels = 1;
};

class AudioStream {
 public:
  // Told that the buffer queued with `tag` has been played out; buffers finish in the order they
  // were queued. The SDL backend calls it on its audio thread, the headless one as its clock
  // passes the buffer's end.
  using Finished = std::function<void(int tag)>;

  virtual ~AudioStream() = default;

  // Copies `samples` (whole frames, at least one) into the stream, to play after everything
  // queued before; false when the device refuses them.
  virtual bool queue(std::span<const std::uint8_t> samples, int tag) = 0;
  // Stops playing where it is, keeping what is queued; resume plays on from there.
  virtual void pause() = 0;
  virtual void resume() = 0;
  // Drops everything queued; Finished is told of each dropped buffer, in order, before this
  // returns.
  virtual void reset() = 0;
  // The output level, 0 (silent) to 9 (full), applied as a gain while the samples play.
  virtual void setLevel(int level) = 0;
  [[nodiscard]] virtual int level() const = 0;
  // How many times the stream ran dry while playing; it played silence then.
  [[nodiscard]] virtual std::uint64_t underruns() const = 0;
};

}  // namespace lw::platform

// The record of a headless run's sound: a RIFF WAV file of 16-bit or 8-bit PCM that grows as
// the headless stream plays, so that nothing of a long run waits in memory. The header is
// written with zero frames when the file is made and brought up to date whenever the record
// is flushed (when a stream closes, and when the record ends).
//
// File layout (all numbers little-endian):
//   offset  size  field
//        0     4  "RIFF"
//        4     4  36 + data bytes
//        8     4  "WAVE"
//       12     4  "fmt "
//       16     4  16, the size of the format chunk
//       20     2  1, PCM
//       22     2  channels
//       24     4  frames per second
//       28     4  bytes per second (frames per second x bytes per frame)
//       32     2  bytes per frame (channels x bytes per sample)
//       34     2  bits per sample (8 or 16)
//       36     4  "data"
//       40     4  data bytes
//       44        the samples, frame after frame
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "common/expected.h"
#include "platform/audio_stream.h"

namespace lw::platform {

class WavCapture {
 public:
  // Makes (or empties) the file at `path` and writes a header of zero frames; the error is a
  // ready message ("PATH: reason"). With `bytesPerSample` 1 or 2 the device recording to it
  // stands for a sound card of that sample size alone, which refuses streams of the other (so
  // that a run can be heard as an 8-bit card plays it); with 0 it takes either.
  static Expected<std::unique_ptr<WavCapture>, std::string> Create(const std::string& path,
                                                                   int bytesPerSample = 0);
  ~WavCapture();
  WavCapture(const WavCapture&) = delete;
  WavCapture& operator=(const WavCapture&) = delete;

  // Whether the device may open a stream of `format`: its sample size is the one the capture
  // was made for, if any.
  [[nodiscard]] bool allows(const AudioFormat& format) const;
  // The first format offered becomes the file's and is taken; any other is refused, as one
  // file holds one format.
  bool takeFormat(const AudioFormat& format);
  // Appends whole frames of samples in the file's format.
  void append(std::span<const std::uint8_t> samples);
  // Appends `frames` frames of silence.
  void appendSilence(std::uint64_t frames);
  // Appends silence until the file holds `frames` frames.
  void padTo(std::uint64_t frames);
  [[nodiscard]] std::uint64_t frames() const;
  // Writes the header for the frames so far and flushes the file; the first failure of the
  // file ("PATH: reason"), if there was one.
  std::optional<std::string> flush();

 private:
  WavCapture(std::string path, std::FILE* file, int bytesPerSample);
  void writeHeader();
  void write(std::span<const std::uint8_t> bytes);
  void fail(const std::string& reason);
  [[nodiscard]] std::size_t frameBytes() const;

  std::string path_;
  std::FILE* file_;
  AudioFormat format_;
  int onlyBytesPerSample_;  // 0: any
  bool formatTaken_ = false;
  std::uint64_t dataBytes_ = 0;
  std::optional<std::string> error_;  // after a failure nothing more is written
};

}  // namespace lw::platform

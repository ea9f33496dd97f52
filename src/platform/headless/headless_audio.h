// Sound played by a millisecond clock instead of a sound card: the headless backend's stream,
// which follows the virtual clock and can record what it played, and the window backend's
// muted stream, which follows the wall clock and is heard by nobody. Either way the buffers
// finish at the pace they would through a device, so that a title runs as it would with sound.
//
// The owner of the clock tells the device each time the clock moves (advanceTo). The open
// stream then plays the frames that the elapsed time holds: by t milliseconds after it opened,
// floor(t x rate / 1000) frames have been heard, counted in whole numbers so that no error
// builds up. A frame heard while the stream is paused is silence and the queued buffers stay
// where they are; a frame heard with nothing queued is silence too. Finished is called, on the
// clock owner's thread, as the last frame of each buffer is heard.
//
// The stream runs dry when it needs a frame, is not paused, and has nothing queued: that counts
// one underrun, and the dry spell lasts until a buffer plays again. The count starts with the
// first buffer queued and stops again at a reset, so that a title that has not begun its sound,
// or that stopped it, is not running dry.
//
// With a WAV capture the device records every frame heard, at the level set, from the clock's
// 0: silence before the first stream opens and between streams, so that a frame's place in the
// file is its time on the clock. The file takes the format of the first stream; a later stream
// in another format is played but not recorded. A capture made for one sample size makes the
// device refuse streams of the other, as a card of that size alone would.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/audio_stream.h"
#include "platform/headless/audio_level.h"
#include "platform/headless/wav_capture.h"

namespace lw::platform {

class ClockedAudioStream;

class ClockedAudioDevice {
 public:
  explicit ClockedAudioDevice(std::unique_ptr<WavCapture> capture = nullptr);
  // A stream still open stops following the clock (and recording) then.
  ~ClockedAudioDevice();
  ClockedAudioDevice(const ClockedAudioDevice&) = delete;
  ClockedAudioDevice& operator=(const ClockedAudioDevice&) = delete;

  // Opens a stream that begins at `now`: one at a time, in a format of 8 or 16 bits, 1 or 2
  // channels and 1000 to 192000 frames a second; null with the reason in `error` otherwise.
  std::unique_ptr<AudioStream> open(const AudioFormat& format, AudioStream::Finished finished,
                                    std::uint64_t now, std::string& error);
  // Plays the open stream up to `now`; a clock that goes back plays nothing.
  void advanceTo(std::uint64_t now);
  // The first millisecond at which the open stream's current buffer has been heard to its end;
  // nothing while it is paused or has nothing queued.
  [[nodiscard]] std::optional<std::uint64_t> nextFinish() const;
  // The player's level (0..9, 0 when muted), applied over each stream's own level to what is
  // recorded, as the window backend applies it to what the device plays.
  void setPlayerLevel(int level);
  [[nodiscard]] int playerLevel() const { return playerLevel_; }
  // Brings the capture's file up to date; its first failure, if any (nothing without one).
  std::optional<std::string> flushCapture();

 private:
  friend class ClockedAudioStream;
  void closed();

  std::unique_ptr<WavCapture> capture_;
  ClockedAudioStream* stream_ = nullptr;
  int playerLevel_ = kMaxAudioLevel;
};

}  // namespace lw::platform

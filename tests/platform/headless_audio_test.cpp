// Sound on the headless backend: buffers heard by the virtual clock as the runtime polls and
// sleeps, their Finished times, pause, reset, underruns and the level, all checked in the WAV
// capture read back from its file. At 22050 frames a second, t milliseconds after a stream
// opens floor(t x 22.05) frames have been heard: 441 frames take exactly 20 milliseconds.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "support/temp_folder.h"
#include "wav_reading.h"

namespace lw::platform {
namespace {

constexpr AudioFormat kMono16{22050, 2, 1};
constexpr AudioFormat kStereo8{22050, 1, 2};

// The frames heard t milliseconds after a 22050 Hz stream opened, worked out on their own.
int FramesBy(int milliseconds) { return static_cast<int>(milliseconds * 22.05); }

// Samples 1, 2, ... `count`, counting on from `first`.
std::vector<int> Ramp(int count, int first = 1) {
  std::vector<int> samples(static_cast<std::size_t>(count));
  std::iota(samples.begin(), samples.end(), first);
  return samples;
}

void Append(std::vector<int>& to, const std::vector<int>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

class HeadlessAudioTest : public ::testing::Test {
 protected:
  HeadlessAudioTest() { makePlatform(); }

  void makePlatform() {
    stream_.reset();
    platform_.reset();
    auto capture = WavCapture::Create(wavPath());
    EXPECT_TRUE(capture.ok()) << (capture.ok() ? "" : capture.error());
    platform_ = std::make_unique<HeadlessPlatform>(
        InputScript{}, fonts_, nullptr, capture.ok() ? std::move(capture).value() : nullptr);
  }
  // Opens the stream; Finished notes "TAG@MILLISECOND" with the clock it is told at.
  AudioStream& open(const AudioFormat& format = kMono16) {
    std::string error;
    stream_ = platform_->openAudio(
        format,
        [this](int tag) {
          finished_ += (finished_.empty() ? "" : " ") + std::to_string(tag) + "@" +
                       std::to_string(platform_->milliseconds());
        },
        error);
    EXPECT_NE(stream_, nullptr) << error;
    return *stream_;
  }
  void poll(int times) {
    Message message;
    for (int i = 0; i < times; ++i) EXPECT_FALSE(platform_->pollMessage(message));
  }
  void sleep(std::uint32_t milliseconds) {
    Message message;
    EXPECT_FALSE(platform_->waitMessageFor(message, milliseconds));
  }
  // Closes the stream and reads back what was captured.
  WavRead captured() {
    stream_.reset();
    EXPECT_EQ(platform_->flushAudioCapture(), std::nullopt);
    return ReadWav(wavPath());
  }
  [[nodiscard]] std::string wavPath() const { return (folder_.path() / "heard.wav").string(); }
  [[nodiscard]] std::uint64_t now() const { return platform_->elapsedMilliseconds(); }

  test::TempFolder folder_;
  TtfFontRenderer fonts_;  // never asked for text
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<AudioStream> stream_;
  std::string finished_;
};

// A sleep over two buffers' ends stops at each: 441 frames end 20 ms after the open at 3, the
// next 100 at frame 541, 24.5 ms in. The file holds silence from the clock's 0 to the open,
// both buffers, and silence to the end of the sleep; its header is a plain 16-bit PCM one.
TEST_F(HeadlessAudioTest, BuffersFinishWhenTheirLastFrameIsHeardAndTheCaptureKeepsTime) {
  poll(3);
  AudioStream& stream = open();
  ASSERT_TRUE(stream.queue(Bytes16(Ramp(441)), 1));
  ASSERT_TRUE(stream.queue(Bytes16(Ramp(100, -50)), 2));
  sleep(47);
  EXPECT_EQ(now(), 50U);
  EXPECT_EQ(finished_, "1@23 2@28");
  EXPECT_EQ(stream.underruns(), 1U);

  std::vector<int> expected(static_cast<std::size_t>(FramesBy(3)), 0);
  Append(expected, Ramp(441));
  Append(expected, Ramp(100, -50));
  expected.resize(static_cast<std::size_t>(FramesBy(3) + FramesBy(47)), 0);  // 1102 frames
  const WavRead wav = captured();
  EXPECT_EQ(wav.header, "RIFF 2240 WAVE fmt  16 1 1 22050 44100 2 16 data 2204");
  EXPECT_EQ(wav.data, Bytes16(expected));
}

// Reset tells of every queued buffer, the one half heard first, before it returns; a buffer
// queued afterwards starts from its own beginning, and silence after a reset is no underrun.
TEST_F(HeadlessAudioTest, ResetTellsOfEveryDroppedBufferInOrder) {
  AudioStream& stream = open();
  for (int tag = 1; tag <= 3; ++tag) ASSERT_TRUE(stream.queue(Bytes16(Ramp(441)), tag));
  poll(10);
  stream.reset();
  EXPECT_EQ(finished_, "1@10 2@10 3@10");
  sleep(100);
  EXPECT_EQ(stream.underruns(), 0U);
  ASSERT_TRUE(stream.queue(Bytes16(Ramp(100, 1000)), 4));
  sleep(100);
  EXPECT_EQ(finished_, "1@10 2@10 3@10 4@115");  // frame 2425 + 100 at 114.5 ms

  std::vector<int> expected = Ramp(220);
  expected.resize(static_cast<std::size_t>(FramesBy(110)), 0);
  Append(expected, Ramp(100, 1000));
  expected.resize(static_cast<std::size_t>(FramesBy(210)), 0);
  EXPECT_EQ(captured().data, Bytes16(expected));
}

// No underrun before the first buffer; each dry spell counts once however long it lasts; a
// stream kept fed from Finished never runs dry; a paused stream does not run dry.
TEST_F(HeadlessAudioTest, UnderrunsCountDrySpellsOnceSoundHasBegun) {
  AudioStream& stream = open();
  sleep(100);
  EXPECT_EQ(stream.underruns(), 0U);
  ASSERT_TRUE(stream.queue(Bytes16(Ramp(100)), 1));
  sleep(50);
  sleep(50);
  EXPECT_EQ(stream.underruns(), 1U);

  int refills = 0;
  stream_.reset();
  finished_.clear();
  std::string error;
  stream_ = platform_->openAudio(
      kMono16,
      [&](int tag) {
        finished_ += std::to_string(tag);
        if (++refills < 5) {
          EXPECT_TRUE(stream_->queue(Bytes16(Ramp(441)), tag + 1));
        }
      },
      error);
  ASSERT_NE(stream_, nullptr) << error;
  ASSERT_TRUE(stream_->queue(Bytes16(Ramp(441)), 1));
  for (int i = 0; i < 100; ++i) poll(1);
  EXPECT_EQ(finished_, "12345");
  EXPECT_EQ(stream_->underruns(), 0U);
  sleep(10);
  EXPECT_EQ(stream_->underruns(), 1U);
  stream_->pause();
  ASSERT_TRUE(stream_->queue(Bytes16(Ramp(441)), 6));
  sleep(100);
  stream_->reset();
  sleep(100);
  EXPECT_EQ(stream_->underruns(), 1U);
}

// The level scales what is heard: 16-bit samples towards 0, 8-bit ones towards 128, truncated.
// (Levels 0 and 9 of 16-bit sound, and pause and resume, are checked in the title's WAV capture,
// tests/objects/track_sound_test.cpp.)
TEST_F(HeadlessAudioTest, TheLevelScalesWhatIsCaptured) {
  struct Case {
    AudioFormat format;
    int level;
    std::vector<std::uint8_t> queued;
    std::vector<std::uint8_t> heard;
  };
  const Case cases[] = {
      {kMono16, 3, Bytes16({-32768, -9, 9, 32767}), Bytes16({-10922, -3, 3, 10922})},
      {kStereo8, 9, {0, 128, 255, 137}, {0, 128, 255, 137}},
      {kStereo8, 3, {0, 128, 255, 137}, {86, 128, 170, 131}},
      {kStereo8, 0, {0, 128, 255, 137}, {128, 128, 128, 128}},
  };
  for (const Case& c : cases) {
    const bool eightBit = c.format.bytesPerSample == 1;
    SCOPED_TRACE("level " + std::to_string(c.level) + (eightBit ? ", 8 bits" : ", 16 bits"));
    makePlatform();
    AudioStream& stream = open(c.format);
    stream.setLevel(c.level);
    EXPECT_EQ(stream.level(), c.level);
    ASSERT_TRUE(stream.queue(c.queued, 1));
    poll(1);  // 22 frames: the buffer, then silence
    std::vector<std::uint8_t> expected = c.heard;
    expected.resize(44, eightBit ? 128 : 0);
    const WavRead wav = captured();
    EXPECT_EQ(wav.header, eightBit ? "RIFF 80 WAVE fmt  16 1 2 22050 44100 2 8 data 44"
                                   : "RIFF 80 WAVE fmt  16 1 1 22050 44100 2 16 data 44");
    EXPECT_EQ(wav.data, expected);
  }
  AudioStream& stream = open();
  stream.setLevel(12);
  EXPECT_EQ(stream.level(), 9);
  stream.setLevel(-1);
  EXPECT_EQ(stream.level(), 0);
}

// Streams one after another keep their places in the file: silence lies between them. A later
// stream in another format plays (its buffers finish) but is not recorded; a second stream
// while one is open, a format the device cannot play, part of a frame and an empty buffer
// are refused.
TEST_F(HeadlessAudioTest, StreamsOneAfterAnotherKeepTheirPlacesInTheCapture) {
  ASSERT_TRUE(open().queue(Bytes16(Ramp(441)), 1));
  sleep(20);
  std::string error;
  EXPECT_EQ(platform_->openAudio(
                kMono16, [](int) {}, error),
            nullptr);
  EXPECT_EQ(error, "the sound device is already open");
  stream_.reset();
  sleep(20);
  ASSERT_TRUE(open().queue(Bytes16(Ramp(100, 500)), 2));
  EXPECT_FALSE(stream_->queue(std::vector<std::uint8_t>(3, 0), 3));
  EXPECT_FALSE(stream_->queue({}, 3));
  sleep(10);
  stream_.reset();
  ASSERT_TRUE(open(kStereo8).queue(std::vector<std::uint8_t>(882, 200), 4));
  sleep(30);
  EXPECT_EQ(finished_, "1@20 2@45 4@70");

  const AudioFormat wrong[] = {{22050, 3, 1}, {22050, 2, 3}, {0, 2, 1}, {500000, 2, 1}};
  const char* const complaints[] = {
      "the sound device cannot play samples of 3 bytes",
      "the sound device cannot play 3 channels",
      "the sound device cannot play 0 frames a second",
      "the sound device cannot play 500000 frames a second",
  };
  stream_.reset();
  for (std::size_t i = 0; i < std::size(wrong); ++i) {
    EXPECT_EQ(platform_->openAudio(
                  wrong[i], [](int) {}, error),
              nullptr);
    EXPECT_EQ(error, complaints[i]);
  }

  std::vector<int> expected = Ramp(441);
  expected.resize(static_cast<std::size_t>(FramesBy(40)), 0);
  Append(expected, Ramp(100, 500));
  expected.resize(static_cast<std::size_t>(FramesBy(40) + FramesBy(10)), 0);
  EXPECT_EQ(captured().data, Bytes16(expected));
}

// Without any stream the file is a WAV of no frames; a stream outliving its platform is
// merely silent; a file that cannot be made is refused with its path.
TEST_F(HeadlessAudioTest, CaptureWithoutSoundAndCaptureThatCannotBeWritten) {
  platform_.reset();
  const WavRead empty = ReadWav(wavPath());
  EXPECT_EQ(empty.header, "RIFF 36 WAVE fmt  16 1 1 22050 44100 2 16 data 0");
  EXPECT_TRUE(empty.data.empty());

  makePlatform();
  std::string error;
  std::string dropped;
  stream_ = platform_->openAudio(
      kMono16, [&](int tag) { dropped += std::to_string(tag); }, error);
  ASSERT_NE(stream_, nullptr) << error;
  ASSERT_TRUE(stream_->queue(Bytes16(Ramp(441)), 1));
  platform_.reset();
  stream_->reset();
  EXPECT_EQ(dropped, "1");

  const std::string unwritable = (folder_.path() / "missing" / "heard.wav").string();
  const auto refused = WavCapture::Create(unwritable);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error(), unwritable + ": No such file or directory");
}

}  // namespace
}  // namespace lw::platform

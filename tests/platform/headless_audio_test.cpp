// Audio streams: the behaviours both backends share, as one script run against each (the
// headless backend moved by sleeping on its virtual clock, SDL on its dummy driver in real time,
// so waits are bounded and only order is checked); then the headless backend's own, scripts
// whose Finished times and WAV capture are exact. At 22050 frames a second, t milliseconds after
// a stream opens floor(t x 22.05) frames have been heard: 441 frames take exactly 20 ms.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_audio.h"
#include "support/temp_folder.h"
#include "wav_reading.h"

namespace lw::platform {
namespace {

constexpr AudioFormat kMono16{22050, 2, 1};
constexpr AudioFormat kStereo8{22050, 1, 2};
constexpr char k8BitHeader[] = "RIFF 80 WAVE fmt  16 1 2 22050 44100 2 8 data 44";

// Samples first, first + 1, ... `count` of them.
std::vector<int> Ramp(int count, int first = 1) {
  std::vector<int> samples(static_cast<std::size_t>(count));
  std::iota(samples.begin(), samples.end(), first);
  return samples;
}

class BothBackendsTest : public ::testing::TestWithParam<bool> {  // true: SDL
 protected:
  BothBackendsTest() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
  }
  std::string tags() {
    const std::lock_guard lock(mutex_);
    return tags_;
  }
  // Lets `milliseconds` of playing pass.
  void pass(std::uint32_t milliseconds) {
    Message message;
    if (headless_) {
      EXPECT_FALSE(headless_->waitMessageFor(message, milliseconds));
    } else {
      SDL_Delay(milliseconds);
    }
  }
  // Passes time until `done`, for three seconds at most; whether it came.
  template <typename Done>
  bool passUntil(Done done) {
    for (int waited = 0; waited < 3000 && !done(); waited += 5) pass(5);
    return done();
  }

  TtfFontRenderer fonts_;
  std::unique_ptr<HeadlessPlatform> headless_;
  std::unique_ptr<AudioStream> stream_;
  std::mutex mutex_;
  std::string tags_;  // the tags told as Finished, on whichever thread plays
};

TEST_P(BothBackendsTest, QueueFinishPauseResetAndLevel) {
  const AudioStream::Finished note = [this](int tag) {
    const std::lock_guard lock(mutex_);
    tags_ += (tags_.empty() ? "" : " ") + std::to_string(tag);
  };
  std::string error;
  if (GetParam()) {
    stream_ = OpenSdlAudio(kMono16, note, error);
    if (stream_ == nullptr) GTEST_SKIP() << "no SDL audio driver: " << error;
  } else {
    headless_ = std::make_unique<HeadlessPlatform>(InputScript{}, fonts_, nullptr);
    stream_ = headless_->openAudio(kMono16, note, error);
  }
  ASSERT_NE(stream_, nullptr) << error;
  AudioStream& stream = *stream_;
  const std::vector<std::uint8_t> buffer(882, 0x11);  // 441 frames: 20 ms
  pass(50);
  EXPECT_EQ(stream.underruns(), 0U);  // nothing queued yet: idle, not dry
  for (int tag = 1; tag <= 3; ++tag) ASSERT_TRUE(stream.queue(buffer, tag));
  EXPECT_FALSE(stream.queue(std::vector<std::uint8_t>(3, 0), 9));  // not whole frames
  EXPECT_FALSE(stream.queue({}, 9));
  EXPECT_TRUE(passUntil([&] { return tags() == "1 2 3"; })) << tags();
  EXPECT_TRUE(passUntil([&] { return stream.underruns() > 0; }));
  // Paused, buffers wait; reset tells of each before it returns and ends the counting.
  stream.pause();
  pass(50);  // a callback under way ends
  ASSERT_TRUE(stream.queue(buffer, 4));
  ASSERT_TRUE(stream.queue(buffer, 5));
  pass(100);
  EXPECT_EQ(tags(), "1 2 3");
  stream.reset();
  EXPECT_EQ(tags(), "1 2 3 4 5");
  const std::uint64_t underruns = stream.underruns();
  stream.resume();
  pass(100);
  EXPECT_EQ(stream.underruns(), underruns);
  ASSERT_TRUE(stream.queue(buffer, 6));
  EXPECT_TRUE(passUntil([&] { return tags() == "1 2 3 4 5 6"; })) << tags();
  std::string levels;
  for (int level : {3, 12, -1}) {
    stream.setLevel(level);
    levels += std::to_string(stream.level());
  }
  EXPECT_EQ(levels, "390");
}

INSTANTIATE_TEST_SUITE_P(Backends, BothBackendsTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Sdl" : "Headless"; });

// The headless backend scripted: each step is one of "poll N" (N polls of one millisecond),
// "sleep N", "open" (16-bit mono; "open8" 8-bit stereo), "queue TAG FRAMES FIRST" (a ramp; 8-bit
// ones are FRAMES x 2 bytes of FIRST), "feed N" (the next N Finished each queue 441 frames
// more), "level N", "pause", "reset", "close", "underruns" (noted as uN), "end" (the platform
// ends before its stream). Finished is noted as TAG@MILLISECOND.
struct Script {
  const char* name;
  const char* steps;
  std::string trace;
  std::string header;               // of the capture; none: not read
  std::vector<std::uint8_t> heard;  // the capture's data, then silence to its end
};

// 16-bit `parts` one after another, each a ramp or, as {frames}, silence up to that frame.
std::vector<std::uint8_t> Heard(const std::vector<std::vector<int>>& parts) {
  std::vector<int> heard;
  for (const std::vector<int>& part : parts) {
    if (part.size() == 1) heard.resize(static_cast<std::size_t>(part[0]), 0);
    if (part.size() != 1) heard.insert(heard.end(), part.begin(), part.end());
  }
  return Bytes16(heard);
}

class HeadlessAudioTest : public ::testing::Test {
 protected:
  [[nodiscard]] std::string wavPath() const { return (folder_.path() / "heard.wav").string(); }
  void makePlatform() {
    auto capture = WavCapture::Create(wavPath());
    ASSERT_TRUE(capture.ok()) << capture.error();
    platform_ = std::make_unique<HeadlessPlatform>(InputScript{}, fonts_, nullptr,
                                                   std::move(capture).value());
  }
  void note(const std::string& what) { trace_ += (trace_.empty() ? "" : " ") + what; }
  std::unique_ptr<AudioStream> open(const AudioFormat& format) {
    std::string error;
    auto stream = platform_->openAudio(
        format,
        [this](int tag) {
          note(std::to_string(tag) + "@" +
               (platform_ ? std::to_string(platform_->milliseconds()) : "end"));
          if (feeds_ > 0) {
            --feeds_;
            EXPECT_TRUE(stream_->queue(Bytes16(Ramp(441)), tag + 1));
          }
        },
        error);
    EXPECT_NE(stream, nullptr) << error;
    return stream;
  }
  void run(const std::string& steps) {
    makePlatform();
    std::istringstream in(steps);
    Message message;
    for (std::string step; in >> step;) {
      int n = 0, frames = 0, first = 0;
      if (step == "poll" && in >> n) {
        for (int i = 0; i < n; ++i) EXPECT_FALSE(platform_->pollMessage(message));
      } else if (step == "sleep" && in >> n) {
        EXPECT_FALSE(platform_->waitMessageFor(message, static_cast<std::uint32_t>(n)));
      } else if (step == "open" || step == "open8") {
        stream_ = open(step == "open" ? kMono16 : kStereo8);
        eightBit_ = step == "open8";
      } else if (step == "queue" && in >> n >> frames >> first) {
        const auto bytes =
            eightBit_ ? std::vector<std::uint8_t>(2 * frames, first) : Bytes16(Ramp(frames, first));
        EXPECT_TRUE(stream_->queue(bytes, n)) << step;
      } else if (step == "feed" && in >> n) {
        feeds_ = n;
      } else if (step == "level" && in >> n) {
        stream_->setLevel(n);
      } else if (step == "pause") {
        stream_->pause();
      } else if (step == "reset") {
        stream_->reset();
      } else if (step == "close") {
        stream_.reset();
      } else if (step == "underruns") {
        note("u" + std::to_string(stream_->underruns()));
      } else if (step == "end") {
        platform_.reset();
      } else {
        ADD_FAILURE() << "bad step " << step;
      }
    }
    if (platform_) {
      EXPECT_EQ(platform_->flushAudioCapture(), std::nullopt);
    }
  }

  test::TempFolder folder_;
  TtfFontRenderer fonts_;  // never asked for text
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<AudioStream> stream_;
  std::string trace_;
  int feeds_ = 0;
  bool eightBit_ = false;
};

TEST_F(HeadlessAudioTest, ScriptsFinishOnTheClockAndTheCaptureKeepsTime) {
  const Script scripts[] = {
      // 441 frames end 20 ms after the open at 3, the next 100 at frame 541: 24.5 ms in. The
      // capture holds silence to the open, both buffers, and silence to the end.
      {"placement", "poll 3 open queue 1 441 1 queue 2 100 -50 sleep 47 underruns close",
       "1@23 2@28 u1", "RIFF 2240 WAVE fmt  16 1 1 22050 44100 2 16 data 2204",
       Heard({{66}, Ramp(441), Ramp(100, -50)})},
      // Dropped half heard; the next buffer starts from its own beginning at frame 2425.
      {"reset",
       "open queue 1 441 1 queue 2 441 1 queue 3 441 1 poll 10 reset sleep 100 "
       "underruns queue 4 100 1000 sleep 100 close",
       "1@10 2@10 3@10 u0 4@115", "RIFF 9296 WAVE fmt  16 1 1 22050 44100 2 16 data 9260",
       Heard({Ramp(220), {2425}, Ramp(100, 1000)})},
      // Streams one after another keep their places; one in another format plays unrecorded.
      {"streams",
       "open queue 1 441 1 sleep 20 close sleep 20 open queue 2 100 500 sleep 10 "
       "close open8 queue 4 441 200 sleep 30 close",
       "1@20 2@45 4@70", "RIFF 2240 WAVE fmt  16 1 1 22050 44100 2 16 data 2204",
       Heard({Ramp(441), {882}, Ramp(100, 500)})},
      // A dry spell counts once however long; a stream fed from Finished never runs dry; a
      // paused one does not either.
      {"underruns",
       "open sleep 100 underruns queue 1 100 1 sleep 50 sleep 50 underruns feed 4 "
       "queue 2 441 1 poll 100 underruns sleep 10 underruns pause queue 9 441 1 sleep 100 "
       "underruns",
       "u0 1@105 u1 2@220 3@240 4@260 5@280 6@300 u1 u2 u2",
       "",
       {}},
      // The level scales what is heard, 8-bit samples towards 128, truncated (16-bit sound at
      // levels 0, 4 and 9 is checked in tests/objects/track_sound_test.cpp).
      {"level 9",
       "open8 level 9 queue 1 1 0 queue 2 1 255 queue 3 1 137 poll 1",
       "1@1 2@1 3@1",
       k8BitHeader,
       {0, 0, 255, 255, 137, 137}},
      {"level 3",
       "open8 level 3 queue 1 1 0 queue 2 1 255 queue 3 1 137 poll 1",
       "1@1 2@1 3@1",
       k8BitHeader,
       {86, 86, 170, 170, 131, 131}},
      {"level 3, 16 bits", "open level 3 queue 1 4 -9 poll 1", "1@1",
       "RIFF 80 WAVE fmt  16 1 1 22050 44100 2 16 data 44", Bytes16({-3, -2, -2, -2})},
      {"level 0", "open8 level 0 queue 1 1 0 queue 2 1 255 poll 1", "1@1 2@1", k8BitHeader, {}},
      {"no sound", "end", "", "RIFF 36 WAVE fmt  16 1 1 22050 44100 2 16 data 0", {}},
      {"outlived", "open queue 1 441 1 end reset", "1@end", "", {}},
  };
  for (const Script& script : scripts) {
    SCOPED_TRACE(script.name);
    trace_.clear();
    run(script.steps);
    EXPECT_EQ(trace_, script.trace);
    stream_.reset();
    platform_.reset();
    if (script.header.empty()) continue;
    const WavRead wav = ReadWav(wavPath());
    EXPECT_EQ(wav.header, script.header);
    std::vector<std::uint8_t> expected = script.heard;
    expected.resize(wav.data.size(), script.header == k8BitHeader ? 128 : 0);
    EXPECT_EQ(wav.data, expected);
  }
}

// A second stream while one is open and formats the device cannot play are refused; so is a
// capture file that cannot be made, with its path.
TEST_F(HeadlessAudioTest, RefusalsSayWhy) {
  makePlatform();
  stream_ = open(kMono16);
  const std::pair<AudioFormat, std::string> cases[] = {
      {kMono16, "the sound device is already open"},
      {{22050, 3, 1}, "the sound device cannot play samples of 3 bytes"},
      {{22050, 2, 3}, "the sound device cannot play 3 channels"},
      {{0, 2, 1}, "the sound device cannot play 0 frames a second"},
      {{500000, 2, 1}, "the sound device cannot play 500000 frames a second"},
  };
  for (const auto& [format, complaint] : cases) {
    std::string error;
    EXPECT_EQ(platform_->openAudio(
                  format, [](int) {}, error),
              nullptr);
    EXPECT_EQ(error, complaint);
    stream_.reset();
  }
  const std::string unwritable = (folder_.path() / "missing" / "heard.wav").string();
  const auto refused = WavCapture::Create(unwritable);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error(), unwritable + ": No such file or directory");
}

}  // namespace
}  // namespace lw::platform

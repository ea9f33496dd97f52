// The headless audio backend, scripted: Finished times and the WAV capture are exact. At 22050
// frames a second, t milliseconds after a stream opens floor(t x 22.05) frames have been heard:
// 441 frames take exactly 20 ms. The output level and 8-bit output are heard in
// tests/objects/track_sound_test.cpp.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/wav_reading.h"
#include "support/temp_folder.h"

namespace lw::platform {
namespace {

// Samples first, first + 1, ... `count` of them.
std::vector<int> Ramp(int count, int first = 1) {
  std::vector<int> samples(static_cast<std::size_t>(count));
  std::iota(samples.begin(), samples.end(), first);
  return samples;
}

// Runs scripts for the headless audio backend, one step a word: "poll N" (N polls of a
// millisecond), "sleep N", "open" (16-bit mono at 22050 Hz), "try RATE BYTES CHANNELS" (an open
// that must be refused, noted as [why]), "queue TAG FRAMES FIRST" (a ramp from FIRST), "bad"
// (queues a part frame and nothing, noting both refused as "b"), "level N", "pause", "resume",
// "reset", "close", "underruns" (noted as uN), "end" (the platform ends before its stream).
// Finished is noted as TAG@MILLISECOND; the sound heard is captured to wavPath().
class HeadlessAudioTest : public ::testing::Test {
 protected:
  [[nodiscard]] std::string wavPath() const { return (folder_.path() / "heard.wav").string(); }

  // Runs `steps` on a fresh platform; the trace. The capture is complete when it returns.
  std::string run(const std::string& steps) {
    auto capture = WavCapture::Create(wavPath());
    EXPECT_TRUE(capture.ok()) << capture.error();
    platform_ = std::make_unique<HeadlessPlatform>(InputScript{}, fonts_, nullptr,
                                                   std::move(capture).value());
    trace_.clear();
    std::istringstream in(steps);
    Message message;
    std::string error;
    for (std::string step; in >> step;) {
      int n = 0, frames = 0, first = 0;
      if (step == "poll" && in >> n) {
        for (int i = 0; i < n; ++i) EXPECT_FALSE(platform_->pollMessage(message));
      } else if (step == "sleep" && in >> n) {
        EXPECT_FALSE(platform_->waitMessageFor(message, static_cast<std::uint32_t>(n)));
      } else if (step == "open") {
        const auto finished = [this](int tag) {
          note(std::to_string(tag) + "@" +
               (platform_ ? std::to_string(platform_->milliseconds()) : "end"));
        };
        stream_ = platform_->openAudio({22050, 2, 1}, finished, error);
        EXPECT_NE(stream_, nullptr) << error;
      } else if (step == "try" && in >> n >> frames >> first) {  // rate, bytes, channels
        EXPECT_EQ(platform_->openAudio(
                      {n, frames, first}, [](int) {}, error),
                  nullptr);
        note("[" + error + "]");
      } else if (step == "queue" && in >> n >> frames >> first) {
        EXPECT_TRUE(stream_->queue(Bytes16(Ramp(frames, first)), n));
      } else if (step == "bad") {
        if (!stream_->queue(std::vector<std::uint8_t>(3), 9) && !stream_->queue({}, 9)) note("b");
      } else if (step == "level" && in >> n) {
        stream_->setLevel(n);
      } else if (step == "pause" || step == "resume" || step == "reset") {
        step == "pause"    ? stream_->pause()
        : step == "resume" ? stream_->resume()
                           : stream_->reset();
      } else if (step == "close" || step == "end") {
        step == "close" ? stream_.reset() : platform_.reset();
      } else if (step == "underruns") {
        note("u" + std::to_string(stream_->underruns()));
      } else {
        ADD_FAILURE() << "bad step " << step;
      }
    }
    if (platform_) {
      EXPECT_EQ(platform_->flushAudioCapture(), std::nullopt);
    }
    stream_.reset();
    platform_.reset();
    return trace_;
  }

 private:
  void note(const std::string& what) { trace_ += (trace_.empty() ? "" : " ") + what; }

  test::TempFolder folder_;
  TtfFontRenderer fonts_;  // never asked for text
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<AudioStream> stream_;
  std::string trace_;
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

TEST_F(HeadlessAudioTest, ScriptsFinishOnTheClockAndTheCaptureKeepsTime) {
  const struct {
    const char* name;
    const char* steps;
    std::string trace;
    std::string header = "";               // of the capture; none: not read
    std::vector<std::uint8_t> heard = {};  // the capture's data, then silence to its end
  } scripts[] = {
      // 441 frames end 20 ms after the open at 3, the next 100 at frame 541: 24.5 ms in. The
      // capture holds silence to the open, both buffers, and silence to the end. Level 12 is 9.
      {"placement", "poll 3 open level 12 bad queue 1 441 1 queue 2 100 -50 sleep 47 underruns",
       "b 1@23 2@28 u1", "RIFF 2240 WAVE fmt  16 1 1 22050 44100 2 16 data 2204",
       Heard({{66}, Ramp(441), Ramp(100, -50)})},
      // Dropped half heard; the next buffer starts from its own beginning at frame 2425.
      {"reset",
       "open queue 1 441 1 queue 2 441 1 queue 3 441 1 poll 10 reset sleep 100 "
       "underruns queue 4 100 1000 sleep 100 close",
       "1@10 2@10 3@10 u0 4@115", "RIFF 9296 WAVE fmt  16 1 1 22050 44100 2 16 data 9260",
       Heard({Ramp(220), {2425}, Ramp(100, 1000)})},
      // Nothing queued, or paused, the stream is idle, not dry; a dry spell counts once however
      // long.
      {"underruns",
       "open sleep 100 underruns pause queue 1 100 1 sleep 50 underruns resume sleep 50 sleep 50 "
       "underruns queue 2 441 1 sleep 30 underruns",
       "u0 u0 1@155 u1 2@270 u2"},
      // A second stream while one is open, and formats the device cannot play, are refused.
      {"refusals", "open try 22050 2 1 close try 22050 3 1 try 22050 2 3 try 500000 2 1",
       "[the sound device is already open] [the sound device cannot play samples of 3 bytes] "
       "[the sound device cannot play 3 channels] "
       "[the sound device cannot play 500000 frames a second]"},
      {"no sound", "end", "", "RIFF 36 WAVE fmt  16 1 1 22050 44100 2 16 data 0"},
      {"outlived", "open queue 1 441 1 end reset", "1@end"},
  };
  for (const auto& s : scripts) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(run(s.steps), s.trace);
    if (s.header.empty()) continue;
    const WavRead wav = ReadWav(wavPath());
    EXPECT_EQ(wav.header, s.header);
    std::vector<std::uint8_t> expected = s.heard;
    expected.resize(wav.data.size(), 0);
    EXPECT_EQ(wav.data, expected);
  }
  const auto refused = WavCapture::Create("/nonexistent-folder/heard.wav");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error(), "/nonexistent-folder/heard.wav: No such file or directory");
}

}  // namespace
}  // namespace lw::platform

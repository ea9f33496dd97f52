// Scripts for the headless audio backend, one step a word: "poll N" (N polls of a millisecond),
// "sleep N", "open" (16-bit mono; "open8" 8-bit stereo), "queue TAG FRAMES FIRST" (16-bit: a
// ramp from FIRST; 8-bit: FRAMES x 2 bytes of FIRST), "bad" (queues a part frame and nothing,
// noting what was refused as "b"), "feed N" (the next N Finished each queue 441 frames more),
// "level N", "pause", "reset", "close", "underruns" (noted as uN), "end" (the platform ends before
// its stream). Finished is noted as TAG@MILLISECOND; the sound heard is captured to wavPath().
#pragma once

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

namespace lw::test {

// Samples first, first + 1, ... `count` of them.
inline std::vector<int> Ramp(int count, int first = 1) {
  std::vector<int> samples(static_cast<std::size_t>(count));
  std::iota(samples.begin(), samples.end(), first);
  return samples;
}

class HeadlessAudioScript {
 public:
  [[nodiscard]] std::string wavPath() const { return (folder_.path() / "heard.wav").string(); }

  // Runs `steps` on a fresh platform; the trace. The capture is complete when it returns.
  std::string run(const std::string& steps) {
    auto capture = platform::WavCapture::Create(wavPath());
    EXPECT_TRUE(capture.ok()) << capture.error();
    platform_ = std::make_unique<platform::HeadlessPlatform>(platform::InputScript{}, fonts_,
                                                             nullptr, std::move(capture).value());
    trace_.clear();
    std::istringstream in(steps);
    platform::Message message;
    for (std::string step; in >> step;) {
      int n = 0, frames = 0, first = 0;
      if (step == "poll" && in >> n) {
        for (int i = 0; i < n; ++i) EXPECT_FALSE(platform_->pollMessage(message));
      } else if (step == "sleep" && in >> n) {
        EXPECT_FALSE(platform_->waitMessageFor(message, static_cast<std::uint32_t>(n)));
      } else if (step == "open" || step == "open8") {
        eightBit_ = step == "open8";
        stream_ = open(eightBit_ ? platform::AudioFormat{22050, 1, 2} : kMono16);
      } else if (step == "queue" && in >> n >> frames >> first) {
        EXPECT_TRUE(stream_->queue(eightBit_ ? std::vector<std::uint8_t>(2 * frames, first)
                                             : platform::Bytes16(Ramp(frames, first)),
                                   n));
      } else if (step == "bad") {  // part of a frame, and nothing
        if (!stream_->queue(std::vector<std::uint8_t>(3), 9) && !stream_->queue({}, 9)) note("b");
      } else if (step == "level" && in >> n) {
        stream_->setLevel(n);
      } else if (step == "feed" && in >> feeds_) {
      } else if (step == "pause" || step == "reset") {
        step == "pause" ? stream_->pause() : stream_->reset();
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

  static constexpr platform::AudioFormat kMono16{22050, 2, 1};

 private:
  void note(const std::string& what) { trace_ += (trace_.empty() ? "" : " ") + what; }
  std::unique_ptr<platform::AudioStream> open(const platform::AudioFormat& format) {
    std::string error;
    auto stream = platform_->openAudio(
        format,
        [this](int tag) {
          note(std::to_string(tag) + "@" +
               (platform_ ? std::to_string(platform_->milliseconds()) : "end"));
          if (feeds_ > 0) {
            --feeds_;
            EXPECT_TRUE(stream_->queue(platform::Bytes16(Ramp(441)), tag + 1));
          }
        },
        error);
    EXPECT_NE(stream, nullptr) << error;
    return stream;
  }

  TempFolder folder_;
  platform::TtfFontRenderer fonts_;  // never asked for text
  std::unique_ptr<platform::HeadlessPlatform> platform_;
  std::unique_ptr<platform::AudioStream> stream_;
  std::string trace_;
  int feeds_ = 0;
  bool eightBit_ = false;
};

}  // namespace lw::test

// The headless audio backend scripted (tests/support/platform_audio_script.h): Finished times and
// the WAV capture are exact. At 22050 frames a second, t milliseconds after a stream opens
// floor(t x 22.05) frames have been heard: 441 frames take exactly 20 ms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/platform_audio_script.h"

namespace lw::platform {
namespace {

using test::Ramp;

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

TEST(HeadlessAudioTest, ScriptsFinishOnTheClockAndTheCaptureKeepsTime) {
  constexpr char k8Bit[] = "RIFF 124 WAVE fmt  16 1 2 22050 44100 2 8 data 88";
  const Script scripts[] = {
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
      // The level n scales what is heard by n / 9, truncated: 8-bit samples towards 128, and
      // below 0 it is 0 (16-bit sound at levels 0, 4 and 9 is heard in track_sound_test.cpp).
      {"8-bit levels",
       "open8 level 3 queue 1 1 0 queue 2 1 255 queue 3 1 137 poll 1 level -1 queue 4 1 255 poll 1",
       "1@1 2@1 3@1 4@2",
       k8Bit,
       {86, 86, 170, 170, 131, 131}},
      {"no sound", "end", "", "RIFF 36 WAVE fmt  16 1 1 22050 44100 2 16 data 0", {}},
      {"outlived", "open queue 1 441 1 end reset", "1@end", "", {}},
  };
  test::HeadlessAudioScript script;
  for (const Script& s : scripts) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(script.run(s.steps), s.trace);
    if (s.header.empty()) continue;
    const WavRead wav = ReadWav(script.wavPath());
    EXPECT_EQ(wav.header, s.header);
    std::vector<std::uint8_t> expected = s.heard;
    expected.resize(wav.data.size(), s.header == k8Bit ? 128 : 0);
    EXPECT_EQ(wav.data, expected);
  }
}

// A second stream while one is open and formats the device cannot play are refused; so is a
// capture file that cannot be made, with its path.
TEST(HeadlessAudioTest, RefusalsSayWhy) {
  TtfFontRenderer fonts;
  HeadlessPlatform platform(InputScript{}, fonts, nullptr);
  std::string error;
  auto open = platform.openAudio(
      test::HeadlessAudioScript::kMono16, [](int) {}, error);
  ASSERT_NE(open, nullptr) << error;
  const std::pair<AudioFormat, std::string> cases[] = {
      {{22050, 2, 1}, "the sound device is already open"},
      {{22050, 3, 1}, "the sound device cannot play samples of 3 bytes"},
      {{22050, 2, 3}, "the sound device cannot play 3 channels"},
      {{500000, 2, 1}, "the sound device cannot play 500000 frames a second"},
  };
  for (const auto& [format, complaint] : cases) {
    EXPECT_EQ(platform.openAudio(
                  format, [](int) {}, error),
              nullptr);
    EXPECT_EQ(error, complaint);
    open.reset();
  }
  const std::string unwritable = "/nonexistent-folder/heard.wav";
  const auto refused = WavCapture::Create(unwritable);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error(), unwritable + ": No such file or directory");
}

}  // namespace
}  // namespace lw::platform

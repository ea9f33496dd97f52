// SDL's sound device on its dummy driver, in real time, so waits are bounded and only order is
// checked (the headless backend's exact timing is in headless_audio_test.cpp); the formats no
// device plays; and the window backend muted, whose streams play by the wall clock as it polls.
#include "platform/sdl/sdl_audio.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sdl/sdl_platform.h"

namespace lw::platform {
namespace {

const std::vector<std::uint8_t> kBuffer(882, 0x11);  // 441 16-bit mono frames: 20 ms

// Waits until `done`, three seconds at most; whether it came.
template <typename Done>
bool WaitUntil(Done done) {
  for (int waited = 0; waited < 3000 && !done(); waited += 5) SDL_Delay(5);
  return done();
}

// Buffers finish in order, and a device fed from Finished plays them without a dry spell; it
// counts one only once it has played, and not while paused; paused, buffers wait, and reset
// tells of them before it returns; formats no device plays are refused.
TEST(SdlAudioTest, PlaysFedWithoutUnderrunsPausesResetsAndRefuses) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::mutex mutex;
  std::string tags;  // told as Finished, on the device's thread
  std::unique_ptr<AudioStream> stream;
  const auto told = [&] {
    const std::lock_guard lock(mutex);
    return tags;
  };
  // Buffers 1 to 8 play one after another: each told brings the one three further on ("!" if
  // refused).
  const auto note = [&](int tag) {
    const std::lock_guard lock(mutex);
    tags += std::to_string(tag);
    if (tag + 3 <= 8 && !stream->queue(kBuffer, tag + 3)) tags += "!";
    if (tag == 8) tags += " u" + std::to_string(stream->underruns());
  };
  std::string error;
  EXPECT_EQ(OpenSdlAudio({22050, 4, 1}, note, error), nullptr);
  EXPECT_EQ(error, "no sound device plays samples of 4 bytes");
  EXPECT_EQ(OpenSdlAudio({22050, 2, 6}, note, error), nullptr);
  EXPECT_EQ(error, "no sound device plays 6 channels");
  stream = OpenSdlAudio({22050, 2, 1}, note, error);
  if (stream == nullptr) GTEST_SKIP() << "no SDL audio driver: " << error;
  SDL_Delay(50);
  EXPECT_EQ(stream->underruns(), 0U);  // nothing queued yet: idle, not dry
  stream->pause();                     // until all three are queued
  for (int tag = 1; tag <= 3; ++tag) ASSERT_TRUE(stream->queue(kBuffer, tag));
  EXPECT_FALSE(stream->queue(std::vector<std::uint8_t>(3, 0), 9));  // not whole frames
  EXPECT_FALSE(stream->queue({}, 9));
  stream->resume();
  EXPECT_TRUE(WaitUntil([&] { return told() == "12345678 u0" && stream->underruns() > 0; }))
      << told();
  stream->pause();
  SDL_Delay(50);  // a callback under way ends
  ASSERT_TRUE(stream->queue(kBuffer, 9));
  SDL_Delay(100);
  EXPECT_EQ(told(), "12345678 u0");
  stream->reset();
  EXPECT_EQ(told(), "12345678 u09");
  const std::uint64_t underruns = stream->underruns();
  stream->resume();
  SDL_Delay(100);
  EXPECT_EQ(stream->underruns(), underruns);
}

// Muted, no device opens and streams are the headless kind (headless_audio_test.cpp) on the
// wall clock: a buffer of 20 ms finishes as the runtime polls, no sooner than 20 ms after the open.
TEST(SdlAudioTest, MutedPlatformPlaysByTheWallClockAsItPolls) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SdlPlatformSettings muted;
  muted.mute = true;
  SdlPlatform platform({}, muted);
  std::uint32_t finishedAt = 0;
  std::string error;
  const std::uint32_t start = platform.milliseconds();
  const auto stream = platform.openAudio(
      {22050, 2, 1}, [&](int) { finishedAt = platform.milliseconds() - start; }, error);
  ASSERT_NE(stream, nullptr) << error;
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0U);
  ASSERT_TRUE(stream->queue(kBuffer, 1));
  Message message;
  for (const std::uint32_t begun = SDL_GetTicks(); finishedAt == 0 && SDL_GetTicks() - begun < 3000;
       SDL_Delay(2)) {
    platform.pollMessage(message);
  }
  EXPECT_GE(finishedAt, 20U);
}

}  // namespace
}  // namespace lw::platform

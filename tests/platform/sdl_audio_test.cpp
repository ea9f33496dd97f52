// SDL's sound device on its dummy driver, in real time, so waits are bounded and only order is
// checked (the headless backend's exact timing is in headless_audio_test.cpp); the formats no
// device plays; and the window backend muted, whose streams play by the wall clock as it polls.
#include "platform/sdl/sdl_audio.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
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

// Buffers finish in order; paused, they wait, and reset tells of them before it returns; the
// device counts a dry spell only while it plays; formats no device plays are refused.
TEST(SdlAudioTest, QueueFinishPauseResetLevelAndRefusals) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::mutex mutex;
  std::string tags;  // told as Finished, on the device's thread
  const auto told = [&] {
    const std::lock_guard lock(mutex);
    return tags;
  };
  const auto note = [&](int tag) {
    const std::lock_guard lock(mutex);
    tags += std::to_string(tag);
  };
  std::string error;
  EXPECT_EQ(OpenSdlAudio({22050, 4, 1}, note, error), nullptr);
  EXPECT_EQ(error, "no sound device plays samples of 4 bytes");
  EXPECT_EQ(OpenSdlAudio({22050, 2, 6}, note, error), nullptr);
  EXPECT_EQ(error, "no sound device plays 6 channels");
  const auto stream = OpenSdlAudio({22050, 2, 1}, note, error);
  if (stream == nullptr) GTEST_SKIP() << "no SDL audio driver: " << error;
  SDL_Delay(50);
  EXPECT_EQ(stream->underruns(), 0U);  // nothing queued yet: idle, not dry
  for (int tag = 1; tag <= 3; ++tag) ASSERT_TRUE(stream->queue(kBuffer, tag));
  EXPECT_FALSE(stream->queue(std::vector<std::uint8_t>(3, 0), 9));  // not whole frames
  EXPECT_FALSE(stream->queue({}, 9));
  EXPECT_TRUE(WaitUntil([&] { return told() == "123" && stream->underruns() > 0; })) << told();
  stream->pause();
  SDL_Delay(50);  // a callback under way ends
  ASSERT_TRUE(stream->queue(kBuffer, 4));
  SDL_Delay(100);
  EXPECT_EQ(told(), "123");
  stream->reset();
  EXPECT_EQ(told(), "1234");
  const std::uint64_t underruns = stream->underruns();
  stream->resume();
  SDL_Delay(100);
  EXPECT_EQ(stream->underruns(), underruns);
  std::string levels;
  for (int level : {3, 12, -1}) {
    stream->setLevel(level);
    levels += std::to_string(stream->level());
  }
  EXPECT_EQ(levels, "390");
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

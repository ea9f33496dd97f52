// SDL's own sound cases (the behaviours it shares with the headless backend are run against both
// in headless_audio_test.cpp): the formats no device plays, and the window backend muted, whose
// streams play by the wall clock as the runtime polls.
#include "platform/sdl/sdl_audio.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sdl/sdl_platform.h"

namespace lw::platform {
namespace {

TEST(SdlAudioTest, RefusesFormatsItCannotPlay) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const std::pair<AudioFormat, std::string> cases[] = {
      {{22050, 4, 1}, "no sound device plays samples of 4 bytes"},
      {{22050, 2, 6}, "no sound device plays 6 channels"},
  };
  for (const auto& [format, complaint] : cases) {
    std::string error;
    EXPECT_EQ(OpenSdlAudio(
                  format, [](int) {}, error),
              nullptr);
    EXPECT_EQ(error, complaint);
  }
}

// Muted, no device opens; buffers of 20 ms finish as the runtime polls, each no sooner than its
// end on the clock that started at the open; a second stream is refused; reset tells of the rest.
TEST(SdlAudioTest, MutedPlatformPlaysByTheWallClockAsItPolls) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  SdlPlatform platform({}, true);
  std::string finished;
  std::vector<std::uint32_t> finishedAt;
  std::string error;
  const std::uint32_t start = platform.milliseconds();
  std::unique_ptr<AudioStream> stream = platform.openAudio(
      {22050, 2, 1},
      [&](int tag) {
        finished += std::to_string(tag);
        finishedAt.push_back(platform.milliseconds() - start);
      },
      error);
  ASSERT_NE(stream, nullptr) << error;
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0U);
  const std::vector<std::uint8_t> buffer(882, 0);
  ASSERT_TRUE(stream->queue(buffer, 1));
  ASSERT_TRUE(stream->queue(buffer, 2));
  Message message;
  for (const std::uint32_t begun = SDL_GetTicks();
       finished != "12" && SDL_GetTicks() - begun < 3000; SDL_Delay(2)) {
    platform.pollMessage(message);
  }
  ASSERT_EQ(finished, "12");
  EXPECT_GE(finishedAt[0], 20U);
  EXPECT_GE(finishedAt[1], 40U);
  EXPECT_EQ(platform.openAudio(
                {22050, 2, 1}, [](int) {}, error),
            nullptr);
  ASSERT_TRUE(stream->queue(buffer, 3));
  stream->reset();
  EXPECT_EQ(finished, "123");
}

}  // namespace
}  // namespace lw::platform

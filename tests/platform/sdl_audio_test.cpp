// Sound through SDL on its dummy audio driver, which plays nowhere but calls back at the pace of
// a real device; and the window backend muted, whose streams play by the wall clock. Both run
// in real time, so waits are bounded generously and only order and lower bounds are checked.
#include "platform/sdl/sdl_audio.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sdl/sdl_platform.h"

namespace lw::platform {
namespace {

constexpr AudioFormat kMono16{22050, 2, 1};
constexpr Uint32 kPatience = 3000;         // milliseconds before a test gives up waiting
constexpr std::size_t kBufferBytes = 882;  // 441 frames: 20 ms

// The tags told as Finished, kept for the test's thread.
class FinishedTags {
 public:
  AudioStream::Finished callback() {
    return [this](int tag) {
      const std::lock_guard lock(mutex_);
      tags_ += (tags_.empty() ? "" : " ") + std::to_string(tag);
    };
  }
  std::string tags() {
    const std::lock_guard lock(mutex_);
    return tags_;
  }
  // Waits (calling `each` between looks) until the tags read `expected`; the tags then.
  template <typename Each>
  std::string waitFor(const std::string& expected, Each each) {
    for (const Uint32 start = SDL_GetTicks(); SDL_GetTicks() - start < kPatience; SDL_Delay(2)) {
      each();
      if (tags() == expected) break;
    }
    return tags();
  }
  std::string waitFor(const std::string& expected) {
    return waitFor(expected, [] {});
  }

 private:
  std::mutex mutex_;
  std::string tags_;
};

class SdlAudioTest : public ::testing::Test {
 protected:
  SdlAudioTest() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
  }
};

// Buffers finish in order, a dry device counts underruns, a paused one holds its buffers, and
// reset tells of each before it returns.
TEST_F(SdlAudioTest, PlaysBuffersInOrderThroughTheDevice) {
  FinishedTags finished;
  std::string error;
  std::unique_ptr<AudioStream> stream = OpenSdlAudio(kMono16, finished.callback(), error);
  if (stream == nullptr) GTEST_SKIP() << "no SDL audio driver: " << error;
  SDL_Delay(50);
  EXPECT_EQ(stream->underruns(), 0U);  // nothing queued yet: idle, not dry
  for (int tag = 1; tag <= 3; ++tag) {
    ASSERT_TRUE(stream->queue(std::vector<std::uint8_t>(kBufferBytes, 0x11), tag));
  }
  EXPECT_FALSE(stream->queue(std::vector<std::uint8_t>(3, 0), 9));  // not whole frames
  EXPECT_FALSE(stream->queue({}, 9));
  EXPECT_EQ(finished.waitFor("1 2 3"), "1 2 3");
  for (const Uint32 start = SDL_GetTicks();
       stream->underruns() == 0 && SDL_GetTicks() - start < kPatience;) {
    SDL_Delay(5);
  }
  EXPECT_GT(stream->underruns(), 0U);

  stream->pause();
  SDL_Delay(50);  // a callback under way ends
  ASSERT_TRUE(stream->queue(std::vector<std::uint8_t>(kBufferBytes, 0), 4));
  ASSERT_TRUE(stream->queue(std::vector<std::uint8_t>(kBufferBytes, 0), 5));
  SDL_Delay(100);
  EXPECT_EQ(finished.tags(), "1 2 3");
  stream->reset();
  EXPECT_EQ(finished.tags(), "1 2 3 4 5");
  stream->resume();
  ASSERT_TRUE(stream->queue(std::vector<std::uint8_t>(kBufferBytes, 0), 6));
  EXPECT_EQ(finished.waitFor("1 2 3 4 5 6"), "1 2 3 4 5 6");
}

TEST_F(SdlAudioTest, RefusesFormatsItCannotPlay) {
  std::string error;
  EXPECT_EQ(OpenSdlAudio(
                {22050, 4, 1}, [](int) {}, error),
            nullptr);
  EXPECT_EQ(error, "no sound device plays samples of 4 bytes");
  EXPECT_EQ(OpenSdlAudio(
                {22050, 2, 6}, [](int) {}, error),
            nullptr);
  EXPECT_EQ(error, "no sound device plays 6 channels");
}

// Muted, no device opens; buffers finish as the runtime polls, each no sooner than its 20 ms.
TEST_F(SdlAudioTest, MutedPlatformPlaysByTheWallClockAsItPolls) {
  SdlPlatform platform({}, true);
  FinishedTags finished;
  std::string error;
  // Taken before the stream opens: its clock starts at the open, no sooner.
  const std::uint32_t start = platform.milliseconds();
  std::unique_ptr<AudioStream> stream = platform.openAudio(kMono16, finished.callback(), error);
  ASSERT_NE(stream, nullptr) << error;
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0U);
  ASSERT_TRUE(stream->queue(std::vector<std::uint8_t>(kBufferBytes, 0), 1));
  ASSERT_TRUE(stream->queue(std::vector<std::uint8_t>(kBufferBytes, 0), 2));
  std::uint32_t firstAt = 0;
  Message message;
  const auto poll = [&] {
    platform.pollMessage(message);
    if (firstAt == 0 && !finished.tags().empty()) firstAt = platform.milliseconds();
  };
  EXPECT_EQ(finished.waitFor("1 2", poll), "1 2");
  EXPECT_GE(firstAt - start, 20U);
  EXPECT_GE(platform.milliseconds() - start, 40U);
  EXPECT_EQ(platform.openAudio(
                kMono16, [](int) {}, error),
            nullptr);
  ASSERT_TRUE(stream->queue(std::vector<std::uint8_t>(kBufferBytes, 0), 3));
  stream->reset();
  EXPECT_EQ(finished.tags(), "1 2 3");
}

}  // namespace
}  // namespace lw::platform

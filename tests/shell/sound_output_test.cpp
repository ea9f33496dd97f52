// The sound output's buffer protocol over the fake platform's audio stream: formats, the three
// buffers, the pending count from the clock, levels, and the sound error box.
#include "shell/sound/sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "support/shell_rig.h"

namespace lw {
namespace {

// Boxes that keep every request and give a scripted answer.
struct AnsweringBoxes final : BoxPresenter {
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    return answer;
  }
  std::vector<BoxRequest> shown;
  BoxAnswer answer = BoxAnswer::kOk;
};

// A box text with its line breaks as spaces.
std::string Flat(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

class SoundOutputTest : public ::testing::Test, protected test::ShellRig {
 protected:
  // Opens 22050 Hz 16-bit mono.
  void Open() {
    SoundOutput::Opened opened;
    ASSERT_EQ(output.SoundOpen(2, 2, 1, opened), 0);
  }
  // Gets, marks and queues one buffer: its first byte is `mark`.
  // Queues the next buffer marked `mark`: all of it, or its first `frames` frames.
  int Queue(std::uint8_t mark, std::optional<std::int32_t> frames = std::nullopt) {
    std::span<std::uint8_t> buffer;
    if (int result = output.SoundGetBuffer(buffer); result != 0) return result;
    buffer[0] = mark;
    return frames ? output.SoundQueueBuffer(*frames) : output.SoundQueueBuffer();
  }
  std::int32_t Pending() {
    std::int32_t frames = -1;
    EXPECT_EQ(output.SoundPending(frames), 0);
    return frames;
  }
  // The error lines of the reported failures, in order, as "Logic error at line N" texts say.
  std::string Reported() {
    std::string lines;
    for (const BoxRequest& box : reported.shown) {
      const std::string text = Flat(box.text);
      const std::size_t at = text.find("at line ");
      lines += (lines.empty() ? "" : " ") + text.substr(0, text.find(' ')) + ":" +
               text.substr(at + 8, 3);
    }
    return lines;
  }

  AnsweringBoxes soundBoxes;
  SoundOutput output{platform, soundBoxes, errors};
};

TEST_F(SoundOutputTest, OpensTheFormatAndSizesTheBuffers) {
  struct Case {
    int rateMultiple, bytes, channels;
    int samplesPerSecond;
    std::int32_t frames;
  };
  for (const Case& c : {Case{2, 2, 1, 22050, 8192}, Case{2, 1, 1, 22050, 16384},
                        Case{1, 2, 2, 11025, 4096}, Case{4, 1, 2, 44100, 8192}}) {
    SoundOutput::Opened opened;
    ASSERT_EQ(output.SoundOpen(c.rateMultiple, c.bytes, c.channels, opened), 0);
    const platform::AudioFormat& format = platform.audioOpens.back();
    EXPECT_EQ((std::vector<int>{format.samplesPerSecond, format.bytesPerSample, format.channels,
                                opened.framesPerBuffer, opened.buffers, opened.streams}),
              (std::vector<int>{c.samplesPerSecond, c.bytes, c.channels, c.frames, 2, 1}));
    // Open already: nothing happens.
    EXPECT_EQ(output.SoundOpen(1, 1, 1, opened), 0);
    ASSERT_EQ(output.SoundClose(), 0);
    EXPECT_FALSE(output.isOpen());
  }
  EXPECT_EQ(platform.audioOpens.size(), 4u);
}

TEST_F(SoundOutputTest, EverythingFailsWhileClosed) {
  std::span<std::uint8_t> buffer;
  std::int32_t frames = 0;
  int level = 0;
  EXPECT_EQ((std::vector<int>{output.SoundGetBuffer(buffer), output.SoundQueueBuffer(),
                              output.SoundPending(frames), output.SoundGetVolume(level),
                              output.SoundSetVolume(3), output.SoundReset()}),
            (std::vector<int>{1, 1, 1, 1, 1, 1}));
  EXPECT_TRUE(reported.shown.empty());
}

TEST_F(SoundOutputTest, BufferMisuseIsALogicError) {
  Open();
  std::span<std::uint8_t> buffer;
  EXPECT_EQ(output.SoundQueueBuffer(), 1);  // none handed out
  ASSERT_EQ(output.SoundGetBuffer(buffer), 0);
  EXPECT_EQ(buffer.size(), 16384u);
  std::span<std::uint8_t> second;
  EXPECT_EQ(output.SoundGetBuffer(second), 1);  // one handed out already
  EXPECT_TRUE(second.empty());
  ASSERT_EQ(output.SoundQueueBuffer(), 0);
  ASSERT_EQ(Queue(2), 0);
  ASSERT_EQ(Queue(3), 0);
  EXPECT_EQ(Queue(4), 1);  // three queued
  EXPECT_EQ(output.queuedBuffers(), 3);
  EXPECT_EQ(Reported(), "Logic:903 Logic:901 Logic:902");
}

TEST_F(SoundOutputTest, BuffersGoRoundAndPlayStartsAtTheStamp) {
  Open();
  platform.now = 1000;
  ASSERT_EQ(Queue(1), 0);
  ASSERT_EQ(Queue(2), 0);
  // The first buffer is written with the stream paused; later ones just queue.
  EXPECT_EQ(platform.audio->log(), "pause queue0 resume queue1");
  EXPECT_EQ(Pending(), 2 * 8192);
  platform.now = 1100;  // 2205 frames played
  EXPECT_EQ(Pending(), 2 * 8192 - 2205);
  platform.now = 2000;  // more than the buffer: counted as all but one frame
  EXPECT_EQ(Pending(), 8192 + 1);

  platform.now = 2500;
  ASSERT_TRUE(platform.audio->finishOldest());  // buffer 1 is current, stamped now
  EXPECT_EQ(output.queuedBuffers(), 1);
  EXPECT_EQ(Pending(), 8192);
  platform.now = 2600;
  EXPECT_EQ(Pending(), 8192 - 2205);

  // The next buffers handed out follow the current one round the three: 2, then 0.
  ASSERT_EQ(Queue(3), 0);
  ASSERT_EQ(Queue(4), 0);
  ASSERT_TRUE(platform.audio->finishOldest());
  ASSERT_TRUE(platform.audio->finishOldest());
  ASSERT_TRUE(platform.audio->finishOldest());
  EXPECT_EQ(output.queuedBuffers(), 0);
  EXPECT_EQ(Pending(), 0);
  // Queued again from empty, play starts paused and stamped once more.
  platform.now = 5000;
  ASSERT_EQ(Queue(5), 0);
  platform.now = 5050;
  EXPECT_EQ(Pending(), 8192 - 1102);
  const std::vector<std::uint8_t> written = platform.audio->written();
  std::string marks;
  for (std::size_t at = 0; at < written.size(); at += 16384) marks += char('0' + written[at]);
  EXPECT_EQ(marks, "12345");
  EXPECT_EQ(platform.audio->log(), "pause queue0 resume queue1 queue2 queue0 pause queue1 resume");
}

// Buffers queued partly full: the stream gets only their frames, pending counts them, and the
// clock runs out at the current buffer's last frame. Counts outside 1 .. 8192 are cut to it.
TEST_F(SoundOutputTest, PartBuffersCountTheirOwnFrames) {
  Open();
  platform.now = 1000;
  ASSERT_EQ(Queue(1, 2048), 0);
  ASSERT_EQ(Queue(2, 100), 0);
  EXPECT_EQ(platform.audio->written().size(), 2u * 2148);
  EXPECT_EQ(Pending(), 2148);
  platform.now = 1050;  // 1102 frames played
  EXPECT_EQ(Pending(), 2148 - 1102);
  platform.now = 3000;
  EXPECT_EQ(Pending(), 100 + 1);
  ASSERT_TRUE(platform.audio->finishOldest());
  EXPECT_EQ(Pending(), 100);
  ASSERT_EQ(Queue(3, 0), 0);
  ASSERT_EQ(Queue(4, 9000), 0);
  EXPECT_EQ(platform.audio->written().size(), 2u * (2148 + 1 + 8192));
  EXPECT_EQ(Pending(), 100 + 1 + 8192);
}

TEST_F(SoundOutputTest, ResetDropsTheQueueAndPauseStopsTheClock) {
  Open();
  ASSERT_EQ(Queue(1), 0);
  ASSERT_EQ(Queue(2), 0);
  platform.now = 100;
  output.Pause();
  platform.now = 5000;  // paused: no more frames play
  EXPECT_EQ(Pending(), 2 * 8192 - 2205);
  output.Resume();
  EXPECT_EQ(Pending(), 2 * 8192 - 2205);
  ASSERT_EQ(output.SoundReset(), 0);
  EXPECT_EQ(output.queuedBuffers(), 0);
  EXPECT_EQ(platform.audio->unfinished(), 0u);
  EXPECT_EQ(Pending(), 0);
  // The stream stays paused while the application is: the first buffer does not resume it.
  output.Pause();
  ASSERT_EQ(Queue(3), 0);
  EXPECT_EQ(platform.audio->log(),
            "pause queue0 resume queue1 pause resume reset pause pause queue2");
}

TEST_F(SoundOutputTest, LevelsAreClampedToNine) {
  Open();
  int level = -1;
  for (const auto& [set, expected] :
       std::vector<std::pair<int, int>>{{0, 0}, {5, 5}, {9, 9}, {12, 9}, {-3, 0}}) {
    ASSERT_EQ(output.SoundSetVolume(set), 0);
    ASSERT_EQ(output.SoundGetVolume(level), 0);
    EXPECT_EQ(level, expected) << set;
  }
}

TEST_F(SoundOutputTest, DeviceFailuresShowTheSoundErrorBox) {
  platform.refuseAudio = 1;
  platform.audioError = std::string(200, 'x');
  SoundOutput::Opened opened;
  EXPECT_EQ(output.SoundOpen(2, 2, 1, opened), 1);
  EXPECT_FALSE(output.isOpen());
  ASSERT_EQ(soundBoxes.shown.size(), 1u);
  const BoxRequest& box = soundBoxes.shown[0];
  EXPECT_EQ(box.caption, "Sound Error");
  EXPECT_EQ(box.buttons, BoxButtons::kOkCancel);
  EXPECT_EQ(box.icon, BoxIcon::kExclamation);
  // The reason is cut to 128 characters; the text is wrapped to 40 columns.
  EXPECT_EQ(Flat(box.text), Flat(WrapForBox("Sound Error 1:\n" + std::string(128, 'x') +
                                            " [1]\n\nSelect OK to continue, Cancel to abort.")));
  EXPECT_TRUE(std::all_of(box.text.begin(), box.text.end(), [](char c) { return c != 0; }));
  EXPECT_TRUE(reported.shown.empty());  // Ok: nothing reported

  // A refused buffer, answered with Cancel: place 7, and 102 at line 900.
  soundBoxes.answer = BoxAnswer::kCancel;
  ASSERT_EQ(output.SoundOpen(2, 2, 1, opened), 0);
  platform.audio->refuse = true;
  EXPECT_EQ(Queue(1), 1);
  EXPECT_EQ(output.queuedBuffers(), 0);
  ASSERT_EQ(soundBoxes.shown.size(), 2u);
  EXPECT_NE(Flat(soundBoxes.shown[1].text).find("[7]"), std::string::npos);
  EXPECT_EQ(Reported(), "Memory:900");
  // The buffer is no longer handed out.
  platform.audio->refuse = false;
  EXPECT_EQ(Queue(2), 0);
}

}  // namespace
}  // namespace lw

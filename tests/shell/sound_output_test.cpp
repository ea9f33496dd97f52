// The sound output's buffer protocol, as scripts (tests/support/shell_sound_script.h) and the
// traces they must give.
#include "shell/sound/sound_output.h"

#include <gtest/gtest.h>

#include <string>

#include "support/shell_sound_script.h"

namespace lw {
namespace {

class SoundOutputTest : public ::testing::Test, protected test::SoundScript {};

// Misuse; formats and buffer sizes; a second open while open changes nothing. Queue with none
// handed out is 903, a second get 901, a fourth buffer 902. The volume is clamped to 0 .. 9.
// Full buffers go round the three and play starts, stream paused, at the clock's stamp; pending
// counts down from it but never past the current buffer's last frame. Buffers queued partly
// full, counts outside 1 .. 8192 cut to it; reset; pause stopping the clock and keeping the
// stream paused when the first buffer comes.
TEST_F(SoundOutputTest, ScriptsAndTheirTraces) {
  const std::pair<const char*, const char*> cases[] = {
      {"get queue pend vol 3 reset reported", "gete1/0 queuee1 pende1 vole1e1 resete1 []"},
      {"open 2 2 1 open 1 1 1 close open 2 1 1 close open 1 2 2 close open 4 1 2",
       "open,22050,2,1,8192,2,1 open close open,22050,1,1,16384,2,1 close "
       "open,11025,2,2,4096,2,1 close open,44100,1,2,8192,2,1"},
      {"open 2 2 1 queue get get queue q q q queued reported vol 0 vol 5 vol 12 vol -3",
       "open,22050,2,1,8192,2,1 queuee1 get/16384 gete1/0 queue qe1 queued3/3 "
       "[Logic 903 Logic 901 Logic 902] vol0 vol5 vol9 vol0"},
      {"open 2 2 1 at 1000 q q log pend at 1100 pend at 2000 pend at 2500 fin queued "
       "pend at 2600 pend q q fin fin fin queued pend at 5000 q at 5050 pend marks log",
       "open,22050,2,1,8192,2,1 [pause queue0 resume queue1] 16384 14179 8193 queued1/1 8192 "
       "5987 queued0/0 0 7090 marks12345 "
       "[pause queue0 resume queue1 queue2 queue0 pause queue1 resume]"},
      {"open 2 2 1 at 1000 q 2048 q 100 bytes pend at 1050 pend at 3000 pend fin pend "
       "q 0 q 9000 bytes pend",
       "open,22050,2,1,8192,2,1 bytes4296 2148 1046 101 100 bytes20682 8293"},
      {"open 2 2 1 at 0 q q at 100 pause at 5000 pend resume pend reset queued pend pause q log",
       "open,22050,2,1,8192,2,1 14179 14179 reset queued0/0 0 "
       "[pause queue0 resume queue1 pause resume reset pause pause queue2]"},
  };
  for (const auto& [script, trace] : cases) {
    reported.shown.clear();
    EXPECT_EQ(run(script), trace) << script;
    run("close");
  }
}

TEST_F(SoundOutputTest, DeviceFailuresShowTheSoundErrorBox) {
  platform.refuseAudio = 1;
  platform.audioError = std::string(200, 'x');
  EXPECT_EQ(run("open 2 2 1 reported"), "opene1 []");  // answered Ok: no error reported
  EXPECT_FALSE(output.isOpen());
  ASSERT_EQ(soundBoxes.shown.size(), 1u);
  const BoxRequest& box = soundBoxes.shown[0];
  EXPECT_EQ(box.caption, "Sound Error");
  EXPECT_EQ(box.buttons, BoxButtons::kOkCancel);
  EXPECT_EQ(box.icon, BoxIcon::kExclamation);
  // The reason is cut to 128 characters; the text is wrapped to 40 columns.
  EXPECT_EQ(box.text, WrapForBox("Sound Error 1:\n" + std::string(128, 'x') +
                                 " [1]\n\nSelect OK to continue, Cancel to abort."));
  // A refused buffer, answered with Cancel: place 7, and 102 at line 900; it is handed back.
  soundBoxes.answer = BoxAnswer::kCancel;
  run("open 2 2 1");
  platform.audio->refuse = true;
  EXPECT_EQ(run("q queued reported"), "qe1 queued0/0 [Memory 900]");
  ASSERT_EQ(soundBoxes.shown.size(), 2u);
  EXPECT_NE(soundBoxes.shown[1].text.find("[7]"), std::string::npos);
  platform.audio->refuse = false;
  EXPECT_EQ(run("q"), "");
}

}  // namespace
}  // namespace lw

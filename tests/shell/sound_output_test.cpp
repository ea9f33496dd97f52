// The sound output's buffer protocol, as scripts and the traces they must give.
#include "shell/sound/sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/shell_rig.h"

namespace lw {
namespace {

std::string Result(int result) { return result == 0 ? "" : "e" + std::to_string(result); }

// Boxes that keep every request and give a set answer.
struct AnsweringBoxes final : BoxPresenter {
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    return answer;
  }
  std::vector<BoxRequest> shown;
  BoxAnswer answer = BoxAnswer::kOk;
};

// The sound output's buffer protocol over the fake platform's audio stream, driven by scripts
// whose results are noted in a trace: "open R B C" (its result; when it opened the device, the
// format and the Opened sizes), "close", "get" (result/bytes), "queue" (without a get), "q" or
// "q FRAMES" (get, mark, queue), "pend", "vol N" (set, then get), "reset", "pause", "resume",
// "at MS" (the clock), "fin" (the stream finishes its oldest buffer), "queued", "bytes" (written
// to the stream), "marks" (each written buffer's first byte), "log" (the stream's calls),
// "reported" (the logic errors, by number and line). Results that are not 0 show as "eN".
class SoundOutputTest : public ::testing::Test, protected test::ShellRig {
 protected:
  // Runs `script`; the trace of what it noted, separated by spaces.
  std::string run(const std::string& script) {
    std::istringstream in(script);
    std::string trace;
    int marks = 0;
    for (std::string step; in >> step;) {
      std::string noted = step;
      int a = 0, b = 0, c = 0;
      std::span<std::uint8_t> buffer;
      std::int32_t frames = 0;
      if (step == "open" && in >> a >> b >> c) {
        const std::size_t opens = platform.audioOpens.size();
        SoundOutput::Opened opened;
        const int result = output.SoundOpen(a, b, c, opened);
        noted += Result(result);
        const platform::AudioFormat& f = platform.audioOpens.back();
        if (result == 0 && platform.audioOpens.size() > opens)
          for (int n : {f.samplesPerSecond, f.bytesPerSample, f.channels, opened.framesPerBuffer,
                        opened.buffers, opened.streams})
            noted += "," + std::to_string(n);
      } else if (step == "close") {
        noted += Result(output.SoundClose());
        noted += output.isOpen() ? "!" : "";
      } else if (step == "get") {
        noted += Result(output.SoundGetBuffer(buffer));
        noted += "/" + std::to_string(buffer.size());
      } else if (step == "queue") {
        noted += Result(output.SoundQueueBuffer());
      } else if (step == "q") {
        const bool some = std::isdigit((in >> std::ws).peek()) && in >> frames;
        int result = output.SoundGetBuffer(buffer);
        if (result == 0) buffer[0] = static_cast<std::uint8_t>(++marks);
        if (result == 0)
          result = some ? output.SoundQueueBuffer(frames) : output.SoundQueueBuffer();
        noted = Result(result).empty() ? "" : "q" + Result(result);
      } else if (step == "pend") {
        const int result = output.SoundPending(frames);
        noted = result == 0 ? std::to_string(frames) : "pend" + Result(result);
      } else if (step == "vol" && in >> a) {
        const int set = output.SoundSetVolume(a);
        const int got = output.SoundGetVolume(b);
        noted += Result(set) + Result(got) + (set == 0 ? std::to_string(b) : "");
      } else if (step == "reset") {
        noted += Result(output.SoundReset());
      } else if (step == "pause" || step == "resume") {
        step == "pause" ? output.Pause() : output.Resume();
        noted = "";
      } else if (step == "at" && in >> platform.now) {
        noted = "";
      } else if (step == "fin") {
        noted = platform.audio->finishOldest() ? "" : "fin:none";
      } else if (step == "queued") {
        noted += std::to_string(output.queuedBuffers()) + "/" +
                 std::to_string(platform.audio->unfinished());
      } else if (step == "bytes") {
        noted += std::to_string(platform.audio->written().size());
      } else if (step == "marks") {
        const std::vector<std::uint8_t> written = platform.audio->written();
        for (std::size_t at = 0; at < written.size(); at += 16384)
          noted += std::to_string(written[at]);
      } else if (step == "log") {
        noted = "[" + platform.audio->log() + "]";
      } else if (step == "reported") {
        noted = "[";
        for (const BoxRequest& box : reported.shown) {
          std::string text = box.text;
          std::replace(text.begin(), text.end(), '\n', ' ');
          noted += (noted.size() > 1 ? " " : "") + text.substr(0, text.find(' ')) +
                   text.substr(text.find("at line ") + 7, 4);
        }
        noted += "]";
      } else {
        ADD_FAILURE() << "bad step " << step;
      }
      if (!noted.empty()) trace += (trace.empty() ? "" : " ") + noted;
    }
    return trace;
  }

  AnsweringBoxes soundBoxes;
  SoundOutput output{platform, soundBoxes, errors};
};

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

// A device that cannot open shows the sound error box, its reason cut to 128 characters and
// the text wrapped to 40 columns, answered Ok: no error reported. A refused buffer, answered
// with Cancel: place 7, and 102 at line 900; it is handed back.
TEST_F(SoundOutputTest, DeviceFailuresShowTheSoundErrorBox) {
  platform.refuseAudio = 1;
  platform.audioError = std::string(200, 'x');
  EXPECT_EQ(run("open 2 2 1 reported close"), "opene1 [] close");
  soundBoxes.answer = BoxAnswer::kCancel;
  run("open 2 2 1");
  platform.audio->refuse = true;
  EXPECT_EQ(run("q queued reported"), "qe1 queued0/0 [Memory 900]");
  platform.audio->refuse = false;
  EXPECT_EQ(run("q"), "");
  ASSERT_EQ(soundBoxes.shown.size(), 2u);
  const BoxRequest& box = soundBoxes.shown[0];
  EXPECT_EQ(std::tuple(box.caption, box.buttons, box.icon),
            std::tuple("Sound Error", BoxButtons::kOkCancel, BoxIcon::kExclamation));
  EXPECT_EQ(box.text, WrapForBox("Sound Error 1:\n" + std::string(128, 'x') +
                                 " [1]\n\nSelect OK to continue, Cancel to abort."));
  EXPECT_NE(soundBoxes.shown[1].text.find("[7]"), std::string::npos);
}

}  // namespace
}  // namespace lw

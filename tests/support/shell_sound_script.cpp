#include "support/shell_sound_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace lw::test {
namespace {

std::string Result(int result) { return result == 0 ? "" : "e" + std::to_string(result); }

}  // namespace

std::string FlatText(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

std::string SoundScript::run(const std::string& script) {
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
      if (result == 0) result = some ? output.SoundQueueBuffer(frames) : output.SoundQueueBuffer();
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
        const std::string text = FlatText(box.text);
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

}  // namespace lw::test

// The sound output's buffer protocol over the fake platform's audio stream, driven by scripts
// whose results are noted in a trace: "open R B C" (its result; when it opened the device, the
// format and the Opened sizes), "close", "get" (result/bytes), "queue" (without a get), "q" or
// "q FRAMES" (get, mark, queue), "pend", "vol N" (set, then get), "reset", "pause", "resume",
// "at MS" (the clock), "fin" (the stream finishes its oldest buffer), "queued", "bytes" (written
// to the stream), "marks" (each written buffer's first byte), "log" (the stream's calls),
// "reported" (the logic errors, by number and line). Results that are not 0 show as "eN".
#pragma once

#include <string>
#include <vector>

#include "shell/sound/sound_output.h"
#include "support/shell_rig.h"

namespace lw::test {

// Boxes that keep every request and give a set answer.
struct AnsweringBoxes final : BoxPresenter {
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    return answer;
  }
  std::vector<BoxRequest> shown;
  BoxAnswer answer = BoxAnswer::kOk;
};

// A box text with its line breaks as spaces.
std::string FlatText(std::string text);

struct SoundScript : ShellRig {
  // Runs `script`; the trace of what it noted, separated by spaces.
  std::string run(const std::string& script);

  AnsweringBoxes soundBoxes;
  SoundOutput output{platform, soundBoxes, errors};
};

}  // namespace lw::test

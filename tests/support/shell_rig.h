// What most shell tests stand on: the fake platform, a screen over it, and an error reporter
// whose boxes are recorded and answered with their default button.
#pragma once

#include <string>
#include <vector>

#include "shell/dialogs/boxes.h"
#include "shell/drawing/screen.h"
#include "shell/error_report.h"
#include "shell/files/platform_error.h"
#include "shell/message_texts.h"
#include "support/common_printers.h"
#include "support/shell_fake_platform.h"

namespace lw::test {

// Boxes that keep every request and answer with the box's default button.
struct RecordingBoxes final : BoxPresenter {
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    return DefaultAnswer(request.buttons);
  }
  std::vector<BoxRequest> shown;
};

struct ShellRig {
  // Presents the screen; the rectangles it sent, separated by spaces.
  std::string Presented() {
    platform.lastDirty.clear();
    screen.present();
    return Print(platform.lastDirty);
  }

  testing::FakePlatform platform;
  Screen screen{platform};
  MessageTexts texts{"Moss"};
  LastPlatformError lastError;
  RecordingBoxes reported;  // the boxes of reported errors
  ErrorReporter errors{reported, texts, lastError};
};

}  // namespace lw::test

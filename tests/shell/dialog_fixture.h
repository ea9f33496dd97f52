// Shared set-up of the dialog tests: a screen over the fake platform whose boxes are drawn (the
// platform answers none), a grey-ramp palette (entry i is grey level i, so ink is 0 and paper
// 255), a canvas filled with a known pattern, and helpers to queue input.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "fake_platform.h"
#include "shell/dialogs/boxes.h"
#include "shell/dialogs/window_boxes.h"
#include "shell/drawing/screen.h"
#include "shell/error_report.h"
#include "shell/files/platform_error.h"
#include "shell/message_texts.h"

namespace lw::test {

// Boxes that record each request and answer with the box's default button; the error reporter
// of the dialogs reports through them.
struct RecordingBoxes final : BoxPresenter {
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    return DefaultAnswer(request.buttons);
  }
  std::vector<BoxRequest> shown;
};

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() {
    platform_.boxAnswer = std::nullopt;
    Palette grey{};
    for (std::size_t i = 0; i < grey.size(); ++i) {
      const auto level = static_cast<std::uint8_t>(i);
      grey[i] = Rgb{level, level, level};
    }
    screen_.setPalette(grey);
    FillCanvas();
    screen_.present();
    boxes_.setCloseHandler([this] {
      ++closes_;
      shownWhileUp_ = platform_.shown;
    });
  }

  // Every canvas pixel a function of its place, in the middle of the palette, so that dialog
  // pixels (ink and paper) stand out and a restore can be checked exactly.
  void FillCanvas() {
    Surface& canvas = screen_.canvas();
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x)
        canvas.row(y)[x] =
            static_cast<std::uint8_t>(kPatternBase + (x * kPatternX + y) % kPatternSpan);
  }

  [[nodiscard]] std::vector<std::uint8_t> CanvasPixels() {
    const Surface& canvas = screen_.canvas();
    return {canvas.data(),
            canvas.data() + static_cast<std::size_t>(canvas.rowBytes()) * canvas.height()};
  }

  // The pixel at (h, v) of a presented canvas copy.
  [[nodiscard]] std::uint8_t ShownAt(const std::vector<std::uint8_t>& shown, int h, int v) {
    return shown.at(static_cast<std::size_t>(v) * screen_.canvas().rowBytes() + h);
  }

  void Press(platform::Key key, std::uint8_t character = 0, platform::Modifiers modifiers = {}) {
    platform_.pressKey(character, key, modifiers);
  }
  void Type(std::string_view text) {
    for (char c : text) platform_.pressKey(static_cast<std::uint8_t>(c));
  }
  void Mouse(platform::MessageKind kind, Point where) {
    platform::Message message;
    message.kind = kind;
    message.where = where;
    platform_.messages.push_back(message);
  }
  // True when the dialog used every press queued for it: only releases are left.
  [[nodiscard]] bool OnlyReleasesLeft() const {
    return std::all_of(platform_.messages.begin(), platform_.messages.end(),
                       [](const platform::Message& m) {
                         return m.kind == platform::MessageKind::kKeyUp ||
                                m.kind == platform::MessageKind::kButtonUp;
                       });
  }
  static Point Centre(const Rect& r) {
    return Point{static_cast<std::int16_t>((r.top + r.bottom) / 2),
                 static_cast<std::int16_t>((r.left + r.right) / 2)};
  }

  static constexpr int kPatternBase = 60;
  static constexpr int kPatternSpan = 120;
  static constexpr int kPatternX = 7;

  testing::FakePlatform platform_;
  Screen screen_{platform_};
  MessageTexts texts_;
  LastPlatformError lastError_;
  RecordingBoxes reported_;
  ErrorReporter errors_{reported_, texts_, lastError_};
  WindowBoxes boxes_{platform_, screen_, errors_};
  int closes_ = 0;
  std::vector<std::uint8_t> shownWhileUp_;  // the presented canvas when the window was closed
};

}  // namespace lw::test

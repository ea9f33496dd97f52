// Shared set-up of the dialog tests: the rig's screen, whose boxes are drawn (the platform
// answers none), a grey-ramp palette (entry i is grey level i, so ink is 0 and paper 255), and a
// canvas filled with a known pattern.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "shell/dialogs/window_boxes.h"
#include "support/shell_printers.h"
#include "support/shell_rig.h"

namespace lw::test {

class DialogTest : public ::testing::Test, protected ShellRig {
 protected:
  DialogTest() {
    platform.boxAnswer = std::nullopt;
    Palette grey{};
    for (std::size_t i = 0; i < grey.size(); ++i) {
      const auto level = static_cast<std::uint8_t>(i);
      grey[i] = Rgb{level, level, level};
    }
    screen.setPalette(grey);
    // Every canvas pixel a function of its place, in the middle of the palette, so that dialog
    // pixels (ink and paper) stand out and a restore can be checked exactly.
    Surface& canvas = screen.canvas();
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x)
        canvas.row(y)[x] = static_cast<std::uint8_t>(60 + (x * 7 + y) % 120);
    screen.present();
    boxes.setCloseHandler([this] {
      ++closes;
      shownWhileUp = platform.shown;
    });
  }

  [[nodiscard]] std::vector<std::uint8_t> CanvasPixels() {
    const Surface& canvas = screen.canvas();
    return {canvas.data(),
            canvas.data() + static_cast<std::size_t>(canvas.rowBytes()) * canvas.height()};
  }

  // The pixel at (h, v) of a presented canvas copy.
  [[nodiscard]] std::uint8_t ShownAt(const std::vector<std::uint8_t>& shown, int h, int v) {
    return shown.at(static_cast<std::size_t>(v) * screen.canvas().rowBytes() + h);
  }
  // A picture of `area` of a presented canvas copy: '#' ink, '.' paper, '?' the pattern.
  [[nodiscard]] std::string ShownPicture(const std::vector<std::uint8_t>& shown, const Rect& area) {
    return Picture(shown, screen.canvas().rowBytes(), area);
  }
  // The same of row `v` from `left` up to `right`.
  [[nodiscard]] std::string ShownRow(const std::vector<std::uint8_t>& shown, int v, int left,
                                     int right) {
    const auto at = [](int value) { return static_cast<std::int16_t>(value); };
    return ShownPicture(shown, Rect{at(v), at(left), at(v + 1), at(right)});
  }

  // True when the dialog used every press queued for it: only releases are left.
  [[nodiscard]] bool OnlyReleasesLeft() const {
    return std::all_of(platform.messages.begin(), platform.messages.end(),
                       [](const platform::Message& m) {
                         return m.kind == platform::MessageKind::kKeyUp ||
                                m.kind == platform::MessageKind::kButtonUp;
                       });
  }
  static Point Centre(const Rect& r) {
    return Point{static_cast<std::int16_t>((r.top + r.bottom) / 2),
                 static_cast<std::int16_t>((r.left + r.right) / 2)};
  }

  WindowBoxes boxes{platform, screen, errors};
  int closes = 0;
  std::vector<std::uint8_t> shownWhileUp;  // the presented canvas when the window was closed
};

}  // namespace lw::test

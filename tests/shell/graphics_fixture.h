// Shared set-up of the drawing tests: a screen over the fake platform, a Graphics that can be
// paused, recorded error boxes, and pictures of surfaces as text, rows separated by spaces
// ('.' white 255, '#' black 0, '1'..'9' those indexes, '?' any other).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "shell/drawing/graphics.h"
#include "shell/error_report.h"

namespace lw::test {

inline Surface WhiteSurface(int width, int height) {
  Surface surface(width, height);
  for (int y = 0; y < height; ++y) std::fill_n(surface.row(y), width, Port::kWhite);
  return surface;
}

inline std::string Picture(const Surface& surface, const Rect& area) {
  std::string text;
  for (int y = area.top; y < area.bottom; ++y) {
    if (y != area.top) text += ' ';
    for (int x = area.left; x < area.right; ++x) {
      const std::uint8_t value = surface.at(x, y);
      text += value == Port::kWhite   ? '.'
              : value == Port::kBlack ? '#'
              : value <= 9            ? static_cast<char>('0' + value)
                                      : '?';
    }
  }
  return text;
}
inline std::string Picture(const Surface& surface) { return Picture(surface, surface.rect()); }

inline std::string Describe(const Rect& r) {
  return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
         "," + std::to_string(r.right);
}

class GraphicsTest : public ::testing::Test {
 protected:
  GraphicsTest() {
    boxes_.setPolicy([this](const BoxRequest& request) {
      shownBoxes_.push_back(request);
      return BoxAnswer::kOk;
    });
  }

  // The port of window `index`, showing `bounds` of the screen canvas.
  Port WindowPort(int index, const Rect& bounds) {
    Port port;
    port.surface = &screen_.canvas();
    port.window = index;
    port.bounds = bounds;
    return port;
  }

  testing::FakePlatform platform_;
  Screen screen_{platform_};
  TerminalBoxes boxes_{nullptr};
  std::vector<BoxRequest> shownBoxes_;
  MessageTexts texts_;
  LastPlatformError lastError_;
  ErrorReporter errors_{boxes_, texts_, lastError_};
  bool paused_ = false;
  Graphics graphics_{screen_, platform_.blockFonts, errors_, [this] { return paused_; }};
};

}  // namespace lw::test

#include "shell/drawing/track_rect.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "graphics_fixture.h"

namespace lw::test {
namespace {

class TrackRectTest : public GraphicsTest {
 protected:
  static constexpr Rect kArea{20, 30, 40, 70};

  // The pointer follows a script on the fake clock (one millisecond per pump): the mouse is
  // inside the area during the spans of `insideUntil` that alternate from inside, and the button
  // goes up at `releaseAt`. The hook that runs at every pump moves it and notes whether the
  // frame shows (the canvas starts black; the inverted frame is white). The frame's removal
  // comes after the last pump; Track() checks it on the canvas.
  void Script(std::vector<std::uint32_t> insideUntil, std::uint32_t releaseAt) {
    const std::uint32_t start = platform.now;
    platform.button = true;
    WindowSystem::Hooks hooks;
    hooks.serviceSound = [=, this] {
      const std::uint32_t t = platform.now - start;
      bool inside = true;
      for (const std::uint32_t until : insideUntil) inside = t < until ? inside : !inside;
      const int offset = inside ? 5 : 50;
      platform.mouse = {static_cast<std::int16_t>(window->bounds.top + kArea.top + offset),
                        static_cast<std::int16_t>(window->bounds.left + kArea.left + offset)};
      platform.button = t < releaseAt;
      const bool lit = screen.canvas().at(window->bounds.left + kArea.left,
                                          window->bounds.top + kArea.top) == Port::kWhite;
      if (lit != shown.back()) shown.push_back(lit);
    };
    windows.setHooks(std::move(hooks));
  }

  // Tracks the area and checks what every press leaves: the canvas as it was, the normal pen,
  // no box, and at least 10 ticks (of 50/3 ms) gone.
  int Track() {
    const Surface before = screen.canvas();
    const std::uint32_t startTick = platform.now * 3 / 50;
    const int result = TrackRect(graphics, windows, kArea);
    EXPECT_GE(platform.now * 3 / 50 - startTick, 10u);
    EXPECT_EQ(Picture(screen.canvas()), Picture(before));
    EXPECT_EQ(window->port.penWidth, 1);
    EXPECT_EQ(window->port.penMode, Port::kPenCopy);
    EXPECT_TRUE(reported.shown.empty());
    return result;
  }

  WindowSystem windows{platform, screen, errors};
  RuntimeWindow* window = [this] {
    windows.setAppState(AppState::kActive);
    RuntimeWindow* created = windows.CreateRuntimeWindow("Stage");
    graphics.SetPort(created->port);
    return created;
  }();
  std::vector<bool> shown{false};  // each change of the frame, from none
};

TEST_F(TrackRectTest, TheFrameFollowsTheMouseAndTheReleaseDecides) {
  // Each run as the result, then the frame's changes from none: 1 shown, 0 gone.
  std::string trace;
  const auto run = [&](std::vector<std::uint32_t> insideUntil, std::uint32_t releaseAt) {
    shown = {false};
    Script(std::move(insideUntil), releaseAt);
    trace += std::to_string(Track()) + ":";
    for (const bool lit : shown) trace += lit ? '1' : '0';
    trace += " ";
  };
  run({20, 40}, 60);  // inside, outside from 20 ms, inside again from 40, released at 60
  run({20}, 40);      // off once it left
  run({0}, 0);        // a button already up counts as inside and still shows the frame
  // The area is in the window's own coordinates: with an origin, the mouse stays where the
  // area would be without it, and the frame is drawn elsewhere and goes.
  Graphics::SetOrigin(window->port, 25, 15);
  run({}, 30);
  EXPECT_EQ(trace, "1:0101 0:010 1:01 0:0 ");
}

}  // namespace
}  // namespace lw::test

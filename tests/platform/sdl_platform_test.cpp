// The SDL backend on SDL's dummy video driver (no real display may be reached: the dummy driver
// draws nowhere, and system boxes cannot appear), and without any display at all.
#include "platform/sdl/sdl_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "message_text.h"
#include "platform/png_image.h"
#include "platform/sdl/sdl_factory.h"
#include "support/temp_folder.h"

// Events are built with designated initializers naming only the fields they need; the others
// are zero.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lw::platform {
namespace {

constexpr int kMaxDrained = 1000;

// Points SDL at the video driver `driver`, or at none, and never at a real display (the dummy
// driver draws nowhere, and system boxes cannot appear). Each test sets the one it needs.
void UseVideoDriver(const char* driver) {
  driver != nullptr ? setenv("SDL_VIDEODRIVER", driver, 1) : unsetenv("SDL_VIDEODRIVER");
  setenv("SDL_RENDER_DRIVER", "software", 1);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
}

class SdlPlatformTest : public ::testing::Test {
 protected:
  SdlPlatformTest() { UseVideoDriver("dummy"); }
  WindowOptions windowed_{"Test \x8E", false, false, {}};
};

// Polls until a message of `kind` arrives: the messages seen on the way and it. SDL may end a
// poll before its queue is empty, so "nothing now" is asked about again a few times.
std::string PollUntil(Platform& platform, std::optional<MessageKind> kind) {
  std::string seen;
  Message message;
  std::optional<MessageKind> last;
  for (int i = 0; i < kMaxDrained && (!last || last != kind); ++i) {
    if (!platform.pollMessage(message)) continue;
    seen += (seen.empty() ? "" : ", ") + MessageText(message);
    last = message.kind;
  }
  return seen;
}

// The screenshot holds the indexes last presented, with their palette (which rectangles a
// present converts is the canvas converter's tests' business).
TEST_F(SdlPlatformTest, ScreenshotShowsThePresentedCanvas) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.openWindow(windowed_));
  constexpr int kRowBytes = kCanvasWidth + 16;
  std::vector<std::uint8_t> canvas(static_cast<std::size_t>(kRowBytes) * kCanvasHeight, 7);
  canvas[479 * kRowBytes + 639] = 9;
  Palette palette{};
  palette[7] = {1, 2, 3};
  platform.setPalette(palette);
  platform.present(canvas.data(), kRowBytes, {});
  test::TempFolder folder;
  const std::string shot = (folder.path() / "shot.png").string();
  ASSERT_EQ(platform.saveScreenshot(shot), std::nullopt);
  auto image = ReadPng(shot);
  ASSERT_TRUE(image) << image.error();
  EXPECT_EQ(image->palette, palette);
  EXPECT_EQ(std::to_string(image->width) + " x " + std::to_string(image->height) + ": " +
                std::to_string(image->pixels[0]) + " " + std::to_string(image->pixels.back()),
            "640 x 480: 7 9");
  const std::string nowhere = (folder.path() / "no/such/folder.png").string();
  EXPECT_EQ(platform.saveScreenshot(nowhere), nowhere + ": No such file or directory");
}

// With the window open the runtime draws its boxes itself. A sleep with nothing to come ends
// without a message, an event ends it with one; Alt+Enter switches the display mode inside the
// backend and tells only that.
TEST_F(SdlPlatformTest, SdlEventsArriveAsMessages) {
  auto made = MakeSdlPlatform(std::filesystem::temp_directory_path());
  ASSERT_TRUE(made.ok()) << made.error();
  Platform& platform = **made;
  ASSERT_TRUE(platform.openWindow(windowed_));
  EXPECT_EQ(platform.answerBox({"Quit", "Sure?", BoxButtons::kYesNo, BoxIcon::kQuestion}),
            std::nullopt);
  EXPECT_EQ(platform.answerFileDialog(FileDialogRequest{}), std::nullopt);
  PollUntil(platform, std::nullopt);
  Message message;
  EXPECT_FALSE(platform.waitMessageFor(message, 20));
  SDL_Event key{.key = {.type = SDL_KEYDOWN, .keysym = {.sym = SDLK_a, .mod = KMOD_LSHIFT}}};
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  ASSERT_TRUE(platform.waitMessageFor(message, 60000));
  EXPECT_EQ(MessageText(message), "down shift+A");
  SDL_Event altEnter{
      .key = {.type = SDL_KEYDOWN, .keysym = {.sym = SDLK_RETURN, .mod = KMOD_LALT}}};
  ASSERT_EQ(SDL_PushEvent(&altEnter), 1);
  const std::string seen = PollUntil(platform, MessageKind::kDisplayChanged);
  EXPECT_EQ(seen.substr(seen.size() - 7), "display") << seen;
  EXPECT_EQ(seen.find("down"), std::string::npos) << seen;
  EXPECT_FALSE(platform.keyDown(Key::kEscape));
}

// Without a display boxes are answered on standard error with the default button, and code that
// cannot see SDL learns from the factory why there is no window.
TEST(SdlPlatformNoDisplayTest, WindowFailsAndBoxesGoToStandardError) {
  UseVideoDriver(nullptr);
  SdlPlatform platform;
  EXPECT_FALSE(platform.displayAvailable());
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(platform.openWindow(WindowOptions{}));
  EXPECT_EQ(
      platform.answerBox({"Error", "Disc missing", BoxButtons::kAbortRetryIgnore, BoxIcon::kStop}),
      BoxAnswer::kAbort);
  Message message;
  platform.waitMessage(message);
  EXPECT_EQ(MessageText(message), "close");
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("cannot open the window: no display", 0), 0u) << said;
  EXPECT_NE(said.find("\n[Error]\nDisc missing\n  Abort / Retry / Ignore  -> Abort (no display: "
                      "the default answer)\n"),
            std::string::npos)
      << said;
  auto made = MakeSdlPlatform(std::filesystem::temp_directory_path());
  ASSERT_FALSE(made.ok());
  EXPECT_EQ(made.error().rfind("no display", 0), 0u) << made.error();
}

}  // namespace
}  // namespace lw::platform

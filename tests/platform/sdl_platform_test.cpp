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

namespace lw::platform {
namespace {

constexpr int kMaxDrained = 1000;

// Sets environment variables (null removes one) for a test's lifetime.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name);
      saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
      value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, old] : saved_) old ? setenv(name, old->c_str(), 1) : unsetenv(name);
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

class SdlPlatformTest : public ::testing::Test {
 protected:
  ScopedEnvironment environment_{{"SDL_VIDEODRIVER", "dummy"},
                                 {"SDL_RENDER_DRIVER", "software"},
                                 {"DISPLAY", nullptr},
                                 {"WAYLAND_DISPLAY", nullptr}};
  WindowOptions windowed_{"Test \x8E", false, false, {}};
};

// Polls until a message of `kind` arrives: the messages seen on the way and it. SDL may end a
// poll before its queue is empty, so "nothing now" is asked about again a few times.
std::string PollUntil(SdlPlatform& platform, std::optional<MessageKind> kind) {
  std::vector<Message> seen;
  Message message;
  for (int i = 0; i < kMaxDrained && (seen.empty() || seen.back().kind != kind); ++i) {
    if (platform.pollMessage(message)) seen.push_back(message);
  }
  return MessagesText(seen);
}

// The screenshot holds the indexes last presented, with their palette; after the first present
// only the dirty rectangles reach the window.
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
  std::fill(canvas.begin(), canvas.end(), 250);
  const Rect dirty{10, 20, 40, 80};
  platform.present(canvas.data(), kRowBytes, std::span(&dirty, 1));
  test::TempFolder folder;
  const std::string shot = (folder.path() / "shot.png").string();
  ASSERT_TRUE(platform.saveScreenshot(shot));
  auto image = ReadPng(shot);
  ASSERT_TRUE(image) << image.error();
  EXPECT_EQ(std::to_string(image->width) + " x " + std::to_string(image->height), "640 x 480");
  EXPECT_EQ(image->palette, palette);
  std::string pixels;
  for (const auto& [h, v] : {std::pair{0, 0}, {20, 10}, {79, 39}, {79, 40}, {639, 479}})
    pixels += std::to_string(image->pixels[v * kCanvasWidth + h]) + " ";
  EXPECT_EQ(pixels, "7 250 250 7 9 ");
  EXPECT_FALSE(platform.saveScreenshot((folder.path() / "no/such/folder.png").string()));
}

// Without a window the platform answers boxes itself, on standard error: the default button.
TEST_F(SdlPlatformTest, BoxesAreAnsweredOnlyBeforeTheWindowOpens) {
  auto made = MakeSdlPlatform(std::filesystem::temp_directory_path());
  ASSERT_TRUE(made.ok()) << made.error();
  Platform& platform = **made;
  BoxRequest request{"Question", "Play again?", BoxButtons::kYesNoCancel, BoxIcon::kQuestion};
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(platform.answerBox(request), BoxAnswer::kYes);
  request.buttons = BoxButtons::kYesNo;
  EXPECT_EQ(platform.answerBox(request), BoxAnswer::kYes);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Question]\nPlay again?\n  Yes / No / Cancel  -> Yes (no display: the default "
            "answer)\n[Question]\nPlay again?\n  Yes / No  -> Yes (no display: the default "
            "answer)\n");
  ASSERT_TRUE(platform.openWindow(windowed_));
  EXPECT_TRUE(platform.windowOpen());
  EXPECT_EQ(platform.answerBox(request), std::nullopt);
  EXPECT_EQ(platform.answerFileDialog(FileDialogRequest{}), std::nullopt);
}

// A sleep with nothing to come ends without a message, an event ends it with one; Alt+Enter
// switches the display mode inside the backend and tells only that.
TEST_F(SdlPlatformTest, SdlEventsArriveAsMessages) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.openWindow(windowed_));
  PollUntil(platform, std::nullopt);
  Message message;
  EXPECT_FALSE(platform.waitMessageFor(message, 20));
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.keysym.sym = SDLK_a;
  event.key.keysym.mod = KMOD_LSHIFT;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  ASSERT_TRUE(platform.waitMessageFor(message, 60000));
  EXPECT_EQ(MessageText(message), "down shift+A");
  event.key.keysym.sym = SDLK_RETURN;
  event.key.keysym.mod = KMOD_LALT;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  const std::string seen = PollUntil(platform, MessageKind::kDisplayChanged);
  EXPECT_EQ(seen.substr(seen.size() - 7), "display") << seen;
  EXPECT_EQ(seen.find("down"), std::string::npos) << seen;
  event.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  for (int i = 0; i < kMaxDrained && message.kind != MessageKind::kCloseRequest; ++i) {
    platform.waitMessage(message);
  }
  EXPECT_EQ(MessageText(message), "close");
  EXPECT_FALSE(platform.keyDown(Key::kEscape));
}

TEST_F(SdlPlatformTest, SharedLibrariesLoadThroughTheDynamicLoader) {
  SdlPlatform platform;
  std::unique_ptr<SharedLibrary> maths = platform.loadLibrary("libm.so.6");
  ASSERT_TRUE(maths);
  auto cosine = reinterpret_cast<double (*)(double)>(maths->symbol("cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(maths->symbol("no_such_symbol_here"), nullptr);
  EXPECT_EQ(maths->symbol(nullptr), nullptr);
  test::TempFolder folder;
  const std::string text = folder.writeFile("text.so", "not a shared object").string();
  for (const std::string& path : {std::string("/nonexistent/plugin.so"), std::string(), text})
    EXPECT_EQ(platform.loadLibrary(path), nullptr) << path;
}

// Fonts and text need no display; code that cannot see SDL learns from the factory why there
// is no window.
TEST(SdlPlatformNoDisplayTest, WindowFailsAndBoxesGoToStandardError) {
  ScopedEnvironment environment{
      {"SDL_VIDEODRIVER", nullptr}, {"DISPLAY", nullptr}, {"WAYLAND_DISPLAY", nullptr}};
  SdlPlatform platform;
  EXPECT_FALSE(platform.displayAvailable());
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(platform.openWindow(WindowOptions{}));
  EXPECT_FALSE(platform.windowOpen());
  const BoxRequest request{"Error", "Disc missing", BoxButtons::kAbortRetryIgnore, BoxIcon::kStop};
  EXPECT_EQ(platform.answerBox(request), BoxAnswer::kAbort);
  Message message;
  EXPECT_FALSE(platform.pollMessage(message));
  platform.waitMessage(message);
  EXPECT_EQ(MessageText(message), "close");
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("cannot open the window: no display", 0), 0u) << said;
  EXPECT_NE(said.find("Disc missing"), std::string::npos) << said;
  EXPECT_GT(platform.fonts().width(Face::kArial, 12, "text"), 0);
  auto made = MakeSdlPlatform(std::filesystem::temp_directory_path());
  ASSERT_FALSE(made.ok());
  EXPECT_EQ(made.error().rfind("no display", 0), 0u) << made.error();
}

}  // namespace
}  // namespace lw::platform

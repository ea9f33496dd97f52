#include "platform/sdl/sdl_platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/png_image.h"
#include "platform/sdl/sdl_factory.h"

namespace lw::platform {
namespace {

namespace fs = std::filesystem;

constexpr int kRowBytes = kCanvasWidth + 16;
constexpr int kMaxDrained = 1000;

// Sets (or, with nothing, removes) an environment variable for a test's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// No real display may be reached: SDL's dummy driver draws nowhere (the off-screen driver loads
// a GL library that leaks under the sanitizers) and system boxes cannot appear.
class SdlPlatformTest : public ::testing::Test {
 protected:
  ScopedEnv driver_{"SDL_VIDEODRIVER", "dummy"};
  ScopedEnv renderer_{"SDL_RENDER_DRIVER", "software"};
  ScopedEnv display_{"DISPLAY", std::nullopt};
  ScopedEnv wayland_{"WAYLAND_DISPLAY", std::nullopt};
  fs::path shot_ = fs::temp_directory_path() / ("lw_sdl_shot_" + std::to_string(getpid()) + ".png");

  ~SdlPlatformTest() override {
    std::error_code ignored;
    fs::remove(shot_, ignored);
  }

  static WindowOptions Windowed() {
    WindowOptions options;
    options.caption = "Test \x8E";
    options.fullscreen = false;
    return options;
  }

  // Drops the events that opening the window queued.
  static void Drain(SdlPlatform& platform) {
    Message message;
    for (int i = 0; i < kMaxDrained && platform.pollMessage(message); ++i) {
    }
  }
};

Palette Ramp() {
  Palette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3),
                  static_cast<std::uint8_t>(255 - i)};
  }
  return palette;
}

std::uint8_t PatternAt(int x, int y) { return static_cast<std::uint8_t>(x / 8 + y / 8); }

TEST_F(SdlPlatformTest, ScreenshotShowsThePresentedCanvas) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.displayAvailable()) << platform.displayProblem();
  ASSERT_TRUE(platform.openWindow(Windowed()));
  EXPECT_TRUE(platform.windowOpen());

  std::vector<std::uint8_t> canvas(static_cast<std::size_t>(kRowBytes) * kCanvasHeight);
  for (int y = 0; y < kCanvasHeight; ++y) {
    for (int x = 0; x < kCanvasWidth; ++x) canvas[y * kRowBytes + x] = PatternAt(x, y);
  }
  const Palette palette = Ramp();
  platform.setPalette(palette);
  platform.present(canvas.data(), kRowBytes, {});
  ASSERT_TRUE(platform.saveScreenshot(shot_.string()));
  auto first = ReadPng(shot_.string());
  ASSERT_TRUE(first) << first.error();
  EXPECT_EQ(first->width, kCanvasWidth);
  EXPECT_EQ(first->height, kCanvasHeight);
  EXPECT_EQ(first->palette, palette);
  for (const auto& [x, y] : {std::pair{0, 0}, {639, 479}, {100, 37}, {320, 240}}) {
    EXPECT_EQ(first->pixels[y * kCanvasWidth + x], PatternAt(x, y)) << x << "," << y;
  }

  // Only the dirty rectangle reaches the window (and so the screenshot).
  std::fill(canvas.begin(), canvas.end(), 250);
  const Rect dirty{10, 20, 40, 80};
  platform.present(canvas.data(), kRowBytes, std::span(&dirty, 1));
  ASSERT_TRUE(platform.saveScreenshot(shot_.string()));
  auto second = ReadPng(shot_.string());
  ASSERT_TRUE(second) << second.error();
  EXPECT_EQ(second->pixels[10 * kCanvasWidth + 20], 250);
  EXPECT_EQ(second->pixels[39 * kCanvasWidth + 79], 250);
  EXPECT_EQ(second->pixels[40 * kCanvasWidth + 79], PatternAt(79, 40));
  EXPECT_EQ(second->pixels[300 * kCanvasWidth + 300], PatternAt(300, 300));

  EXPECT_FALSE(platform.saveScreenshot("/nonexistent-folder/shot.png"));
}

TEST_F(SdlPlatformTest, TheFactoryMakesAPlatformThatOpensItsWindow) {
  auto made = MakeSdlPlatform(fs::temp_directory_path());
  ASSERT_TRUE(made.ok()) << made.error();
  Platform& platform = **made;
  ASSERT_TRUE(platform.openWindow(Windowed()));
  EXPECT_TRUE(platform.windowOpen());
}

TEST_F(SdlPlatformTest, BoxesAreAnsweredOnlyBeforeTheWindowOpens) {
  SdlPlatform platform;
  BoxRequest request;
  request.caption = "Question";
  request.text = "Play again?";
  request.buttons = BoxButtons::kYesNoCancel;
  ::testing::internal::CaptureStderr();
  const std::optional<BoxAnswer> answer = platform.answerBox(request);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, BoxAnswer::kYes);
  EXPECT_NE(said.find("Play again?"), std::string::npos) << said;
  EXPECT_NE(said.find("Cancel"), std::string::npos) << said;

  request.buttons = BoxButtons::kYesNo;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(platform.answerBox(request), BoxAnswer::kYes);
  const std::string yesNo = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(yesNo.find("  Yes / No  -> Yes"), std::string::npos) << yesNo;

  ASSERT_TRUE(platform.openWindow(Windowed()));
  EXPECT_EQ(platform.answerBox(request), std::nullopt);
  EXPECT_EQ(platform.answerFileDialog(FileDialogRequest{}), std::nullopt);
}

// Polls until a message of `kind` arrives, keeping the messages seen on the way. SDL may end
// a poll before the queue is empty, so "nothing now" is asked about again a few times.
std::vector<Message> PollUntil(SdlPlatform& platform, MessageKind kind) {
  std::vector<Message> seen;
  Message message;
  for (int i = 0; i < kMaxDrained; ++i) {
    if (!platform.pollMessage(message)) continue;
    seen.push_back(message);
    if (message.kind == kind) break;
  }
  return seen;
}

TEST_F(SdlPlatformTest, SdlEventsArriveAsMessages) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.openWindow(Windowed()));
  Drain(platform);

  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.keysym.sym = SDLK_a;
  key.key.keysym.mod = KMOD_LSHIFT;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  std::vector<Message> seen = PollUntil(platform, MessageKind::kKeyDown);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().kind, MessageKind::kKeyDown);
  EXPECT_EQ(seen.back().character, 'A');

  // Alt+Enter switches the display mode inside the backend and tells only that.
  SDL_Event altEnter = key;
  altEnter.key.keysym.sym = SDLK_RETURN;
  altEnter.key.keysym.mod = KMOD_LALT;
  ASSERT_EQ(SDL_PushEvent(&altEnter), 1);
  seen = PollUntil(platform, MessageKind::kDisplayChanged);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().kind, MessageKind::kDisplayChanged);
  for (const Message& m : seen) EXPECT_NE(m.kind, MessageKind::kKeyDown);

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  Message message;
  for (int i = 0; i < kMaxDrained && message.kind != MessageKind::kCloseRequest; ++i) {
    platform.waitMessage(message);
  }
  EXPECT_EQ(message.kind, MessageKind::kCloseRequest);
  EXPECT_FALSE(platform.keyDown(Key::kEscape));
}

TEST_F(SdlPlatformTest, SharedLibrariesLoadThroughTheDynamicLoader) {
  SdlPlatform platform;
  std::unique_ptr<SharedLibrary> maths = platform.loadLibrary("libm.so.6");
  ASSERT_TRUE(maths);
  using Cosine = double (*)(double);
  auto cosine = reinterpret_cast<Cosine>(maths->symbol("cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(maths->symbol("no_such_symbol_here"), nullptr);
  EXPECT_EQ(maths->symbol(nullptr), nullptr);

  EXPECT_EQ(platform.loadLibrary("/nonexistent/plugin.so"), nullptr);
  EXPECT_EQ(platform.loadLibrary(""), nullptr);
  const fs::path text =
      fs::temp_directory_path() / ("lw_not_a_library_" + std::to_string(getpid()));
  std::ofstream(text) << "not a shared object";
  EXPECT_EQ(platform.loadLibrary(text.string()), nullptr);
  fs::remove(text);
}

TEST(SdlPlatformNoDisplayTest, WindowFailsAndBoxesGoToStandardError) {
  ScopedEnv driver("SDL_VIDEODRIVER", std::nullopt);
  ScopedEnv display("DISPLAY", std::nullopt);
  ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  SdlPlatform platform;
  EXPECT_FALSE(platform.displayAvailable());
  EXPECT_NE(platform.displayProblem().find("no display"), std::string::npos);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(platform.openWindow(WindowOptions{}));
  EXPECT_FALSE(platform.windowOpen());
  BoxRequest request;
  request.caption = "Error";
  request.text = "Disc missing";
  request.buttons = BoxButtons::kAbortRetryIgnore;
  EXPECT_EQ(platform.answerBox(request), BoxAnswer::kAbort);
  Message message;
  EXPECT_FALSE(platform.pollMessage(message));
  platform.waitMessage(message);
  EXPECT_EQ(message.kind, MessageKind::kCloseRequest);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("cannot open the window: no display"), std::string::npos) << said;
  EXPECT_NE(said.find("Disc missing"), std::string::npos) << said;
  // Fonts and text need no display.
  EXPECT_GT(platform.fonts().width(Face::kArial, 12, "text"), 0);
  // Code that cannot see SDL learns why there is no window from the factory.
  auto made = MakeSdlPlatform(fs::temp_directory_path());
  ASSERT_FALSE(made.ok());
  EXPECT_NE(made.error().find("no display"), std::string::npos) << made.error();
}

}  // namespace
}  // namespace lw::platform

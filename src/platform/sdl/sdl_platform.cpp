#include "platform/sdl/sdl_platform.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/geometry.h"
#include "common/log.h"
#include "common/mac_roman.h"
#include "platform/png_image.h"
#include "platform/posix/pictures_screenshot.h"
#include "platform/posix/shared_library.h"
#include "platform/present_log.h"
#include "platform/sdl/sdl_boxes.h"
#include "platform/sdl/sdl_keys.h"

namespace lw::platform {
namespace {

constexpr std::uint32_t kSubsystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS;
constexpr int kBytesPerPixel = 4;
constexpr int kCanvasPitch = kCanvasWidth * kBytesPerPixel;
constexpr int kLargestWindowScale = 2;  // the window's size out of full screen: 1280 x 960
constexpr int kIconSide = 32;
constexpr std::size_t kIconBytes = std::size_t{kIconSide} * kIconSide * kBytesPerPixel;
constexpr char kNearestSampling[] = "0";
constexpr char kBell = '\a';

// True for SDL's drivers that show nothing, which SDL falls back to when no display answers.
bool IsInvisibleDriver(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// The windowed size: the canvas at the largest whole scale (1 or 2) that fits the display.
SDL_Point WindowedSize() {
  int scale = kLargestWindowScale;
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
    scale = std::clamp(std::min(usable.w / kCanvasWidth, usable.h / kCanvasHeight), 1,
                       kLargestWindowScale);
  }
  return {kCanvasWidth * scale, kCanvasHeight * scale};
}

Message MessageOf(MessageKind kind) {
  Message message;
  message.kind = kind;
  return message;
}

}  // namespace

SdlPlatform::Video::Video() {
  if (SDL_InitSubSystem(kSubsystems) != 0) {
    problem_ = std::string("no display (") + SDL_GetError() + ")";
    return;
  }
  // Unless asked for by name, an invisible driver means that no real display could be reached.
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (IsInvisibleDriver(SDL_GetCurrentVideoDriver()) && (asked == nullptr || *asked == '\0')) {
    SDL_QuitSubSystem(kSubsystems);
    problem_ = "no display (set DISPLAY or WAYLAND_DISPLAY to a running display)";
    return;
  }
  ready_ = true;
}

SdlPlatform::Video::~Video() {
  if (ready_) SDL_QuitSubSystem(kSubsystems);
}

SdlPlatform::SdlPlatform(const std::string& titleFolder, const SdlPlatformSettings& settings)
    : startTicks_(SDL_GetTicks()),
      fonts_(titleFolder),
      translator_(settings.pauseInBackground),
      settings_(settings) {
  playerSound_->level = std::clamp(settings.volumeLevel, kMinAudioLevel, kMaxAudioLevel);
}

SdlPlatform::~SdlPlatform() = default;

std::uint32_t SdlPlatform::milliseconds() { return SDL_GetTicks() - startTicks_; }

bool SdlPlatform::openWindow(const WindowOptions& options) {
  if (window_) return true;
  if (!video_.ready()) {
    std::fprintf(stderr, "cannot open the window: %s\n", displayProblem().c_str());
    return false;
  }
  if (!createWindow(options)) {
    std::fprintf(stderr, "cannot open the window: %s\n", SDL_GetError());
    texture_.reset();
    renderer_.reset();
    window_.reset();
    return false;
  }
  return true;
}

// Makes the window, its renderer and the canvas texture, and shows the canvas.
bool SdlPlatform::createWindow(const WindowOptions& options) {
  caption_ = options.caption;
  fullscreen_ = options.fullscreen;
  integerScale_ = options.integerScale;
  const SDL_Point size = WindowedSize();
  const std::uint32_t flags =
      SDL_WINDOW_RESIZABLE | (fullscreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  window_.reset(SDL_CreateWindow(MacRomanToUtf8(caption_).c_str(), SDL_WINDOWPOS_CENTERED,
                                 SDL_WINDOWPOS_CENTERED, size.x, size.y, flags));
  if (!window_) return false;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, kNearestSampling);
  renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
  if (!renderer_) return false;
  if (SDL_RenderSetLogicalSize(renderer_.get(), kCanvasWidth, kCanvasHeight) != 0 ||
      SDL_RenderSetIntegerScale(renderer_.get(), options.integerScale ? SDL_TRUE : SDL_FALSE) !=
          0) {
    return false;
  }
  texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888,
                                   SDL_TEXTUREACCESS_STREAMING, kCanvasWidth, kCanvasHeight));
  if (!texture_) return false;
  SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeNearest);
  setIcon(options.iconRgba);
  // Keys are read as keys; text input would only bring up input methods.
  SDL_StopTextInput();
  translator_.reset();
  SDL_UpdateTexture(texture_.get(), nullptr, converter_.pixels().data(), kCanvasPitch);
  showTexture();
  fitCursorsToWindow();
  SDL_RendererInfo renderer{};
  SDL_GetRendererInfo(renderer_.get(), &renderer);
  LW_LOG(kBoot, "window %d x %d%s, video driver %s, renderer %s", size.x, size.y,
         fullscreen_ ? " (full screen)" : "", SDL_GetCurrentVideoDriver(), renderer.name);
  return true;
}

void SdlPlatform::setIcon(std::span<const std::uint8_t> rgba) {
  if (rgba.empty()) return;
  if (rgba.size() != kIconBytes) {
    LW_LOG(kBoot, "window icon: %zu bytes, not %d x %d RGBA pixels; no icon", rgba.size(),
           kIconSide, kIconSide);
    return;
  }
  // SDL only reads the pixels; the surface never writes through this pointer.
  SdlSurfaceHandle icon{SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint8_t*>(rgba.data()), kIconSide, kIconSide, kBytesPerPixel * CHAR_BIT,
      kIconSide * kBytesPerPixel, SDL_PIXELFORMAT_RGBA32)};
  if (icon) SDL_SetWindowIcon(window_.get(), icon.get());
}

void SdlPlatform::setCaption(std::string_view caption) {
  caption_ = caption;
  if (window_) SDL_SetWindowTitle(window_.get(), MacRomanToUtf8(caption_).c_str());
}

void SdlPlatform::minimiseWindow() {
  if (!window_ || !fullscreen_) return;
  SDL_MinimizeWindow(window_.get());
  minimised_ = true;
}

// Only a window that minimiseWindow minimised is restored: restoring any other would also undo
// the player's own maximising.
void SdlPlatform::restoreWindow() {
  if (!window_) return;
  if (minimised_) SDL_RestoreWindow(window_.get());
  minimised_ = false;
  SDL_RaiseWindow(window_.get());
}

bool SdlPlatform::pollMessage(Message& out) {
  playMutedSound();
  if (takePending(out)) return true;
  if (!video_.ready()) return false;
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    if (handle(event, out)) return true;
  }
  return false;
}

void SdlPlatform::waitMessage(Message& out) {
  playMutedSound();
  if (takePending(out)) return;
  SDL_Event event;
  while (video_.ready() && SDL_WaitEvent(&event) != 0) {
    if (handle(event, out)) return;
  }
  // With no events to wait for the wait would never end: ask the runtime to close instead.
  LW_LOG(kInput, "cannot wait for input (%s): closing",
         video_.ready() ? SDL_GetError() : displayProblem().c_str());
  out = MessageOf(MessageKind::kCloseRequest);
}

bool SdlPlatform::waitMessageFor(Message& out, std::uint32_t timeout) {
  playMutedSound();
  if (takePending(out)) return true;
  if (!video_.ready()) {
    SDL_Delay(timeout);
    playMutedSound();
    return false;
  }
  // Events that give no message (a key the backend keeps, an unknown event) do not end the wait.
  const std::uint32_t start = SDL_GetTicks();
  for (std::uint32_t waited = 0; waited <= timeout; waited = SDL_GetTicks() - start) {
    SDL_Event event;
    const auto left = static_cast<int>(std::min<std::uint32_t>(timeout - waited, INT_MAX));
    const bool woken = SDL_WaitEventTimeout(&event, left) != 0;
    playMutedSound();
    if (!woken) return false;
    if (handle(event, out)) return true;
  }
  return false;
}

// Does what an event asks of the backend; true with `out` set when it gives a message.
bool SdlPlatform::handle(const SDL_Event& event, Message& out) {
  const EventMeaning meaning =
      translator_.translate(event, static_cast<std::uint16_t>(SDL_GetModState()));
  if (meaning.desktopKey) doDesktopKey(*meaning.desktopKey);
  if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
    fitCursorsToWindow();
  }
  if (meaning.repaint && texture_) showTexture();
  if (meaning.message) {
    out = *meaning.message;
    return true;
  }
  return takePending(out);
}

bool SdlPlatform::takePending(Message& out) {
  if (pending_.empty()) return false;
  out = pending_.front();
  pending_.pop_front();
  return true;
}

void SdlPlatform::doDesktopKey(DesktopKey key) {
  switch (key) {
    case DesktopKey::kToggleFullscreen: toggleFullscreen(); break;
    case DesktopKey::kScreenshot: saveScreenshotToPicturesKey(); break;
    case DesktopKey::kToggleMute: toggleMute(); break;
  }
}

// F11 or Alt+Enter: full screen to a window and back; the runtime hears that the display
// changed.
void SdlPlatform::toggleFullscreen() {
  if (!window_) return;
  const std::uint32_t mode = fullscreen_ ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (SDL_SetWindowFullscreen(window_.get(), mode) != 0) {
    LW_LOG(kPresent, "cannot switch the display mode: %s", SDL_GetError());
    return;
  }
  fullscreen_ = !fullscreen_;
  LW_LOG(kBoot, "display switched to %s", fullscreen_ ? "full screen" : "a window");
  pending_.push_back(MessageOf(MessageKind::kDisplayChanged));
}

// Ctrl+F12: the canvas as the window shows it, into a new file of the pictures folder. Said on
// standard error, as the player has no other place to hear of it.
void SdlPlatform::saveScreenshotToPicturesKey() {
  const Expected<std::string, std::string> saved = saveScreenshotToPictures();
  if (!saved) {
    std::fprintf(stderr, "%s: cannot save the screenshot: %s\n", settings_.program.c_str(),
                 saved.error().c_str());
    return;
  }
  std::fprintf(stderr, "%s: screenshot saved as %s\n", settings_.program.c_str(),
               saved.value().c_str());
}

Expected<std::string, std::string> SdlPlatform::saveScreenshotToPictures() {
  return SaveScreenshotToPicturesFolder(*this, settings_.program);
}

// Ctrl+Shift+M: the streams of the sound device go silent, or sound again. Muted from the start,
// there is no device to sound.
void SdlPlatform::toggleMute() {
  if (settings_.mute) {
    LW_LOG(kSound, "Ctrl+Shift+M: this run opened no sound device (muted from the start)");
    return;
  }
  playerSound_->muted = !playerSound_->muted;
  LW_LOG(kSound, "sound %s", playerSound_->muted ? "muted" : "on");
}

PlayerControls SdlPlatform::playerControls() {
  return PlayerControls{.fullscreen = fullscreen_,
                        .integerScale = integerScale_,
                        .muted = settings_.mute || playerSound_->muted,
                        .volumeLevel = playerSound_->level};
}

void SdlPlatform::setPlayerControls(const PlayerControls& controls) {
  const PlayerControls now = playerControls();
  if (controls.fullscreen != now.fullscreen) toggleFullscreen();
  if (controls.integerScale != now.integerScale) setIntegerScale(controls.integerScale);
  if (controls.muted != now.muted) toggleMute();
  playerSound_->level = std::clamp(controls.volumeLevel, kMinAudioLevel, kMaxAudioLevel);
}

// The input channel notes the player menu, so that a run in a window can be followed too.
void SdlPlatform::tellMenu(const MenuNote& note) {
  LW_LOG(kInput, "menu %s", MacRomanToUtf8(DescribeMenu(note)).c_str());
}

// Fit scaling fills as much of the window as the aspect allows; integer scaling only whole
// multiples of the canvas, with wider black bars.
void SdlPlatform::setIntegerScale(bool integer) {
  if (!renderer_) return;
  if (SDL_RenderSetIntegerScale(renderer_.get(), integer ? SDL_TRUE : SDL_FALSE) != 0) {
    LW_LOG(kPresent, "cannot change the scaling: %s", SDL_GetError());
    return;
  }
  integerScale_ = integer;
  LW_LOG(kBoot, "scaling switched to %s", integer ? "whole multiples" : "fit");
  fitCursorsToWindow();
  showTexture();
}

// The cursors take the whole part of the scale that the canvas is shown at.
void SdlPlatform::fitCursorsToWindow() {
  if (!renderer_) return;
  int width = 0;
  int height = 0;
  if (SDL_GetRendererOutputSize(renderer_.get(), &width, &height) != 0) return;
  cursors_.setScale(CanvasScale(width, height));
}

// Shows the texture on the window, scaled, with black bars around it.
void SdlPlatform::showTexture() {
  SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, SDL_ALPHA_OPAQUE);
  SDL_RenderClear(renderer_.get());
  SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, nullptr);
  SDL_RenderPresent(renderer_.get());
}

bool SdlPlatform::buttonDown() {
  return video_.ready() && (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) != 0;
}

Point SdlPlatform::mousePosition() {
  if (!renderer_) return {};
  int x = 0;
  int y = 0;
  SDL_GetMouseState(&x, &y);
  float logicalX = 0;
  float logicalY = 0;
  SDL_RenderWindowToLogical(renderer_.get(), x, y, &logicalX, &logicalY);
  const int h = std::clamp(static_cast<int>(std::floor(logicalX)), 0, kCanvasWidth - 1);
  const int v = std::clamp(static_cast<int>(std::floor(logicalY)), 0, kCanvasHeight - 1);
  return PointAt(v, h);
}

bool SdlPlatform::keyDown(Key key) {
  if (!video_.ready()) return false;
  int count = 0;
  const std::uint8_t* state = SDL_GetKeyboardState(&count);
  const std::span<const SDL_Scancode> codes = ScancodesOf(key);
  return std::any_of(codes.begin(), codes.end(),
                     [&](SDL_Scancode code) { return code < count && state[code] != 0; });
}

Modifiers SdlPlatform::modifiers() {
  if (!video_.ready()) return {};
  return ModifiersOf(static_cast<std::uint16_t>(SDL_GetModState()));
}

void SdlPlatform::setPalette(const Palette& palette) { converter_.setPalette(palette); }

void SdlPlatform::present(const std::uint8_t* canvas, int rowBytes, std::span<const Rect> dirty) {
  if ((canvas == nullptr || rowBytes < kCanvasWidth) && !saidBadCanvas_) {
    LW_LOG(kPresent, "no canvas of %d x %d pixels (rows of %d bytes); not shown", kCanvasWidth,
           kCanvasHeight, rowBytes);
    saidBadCanvas_ = true;
  }
  const std::vector<Rect> converted = converter_.convert(canvas, rowBytes, dirty);
  if (!texture_) return;
  LogPresent(converted);
  for (const Rect& r : converted) {
    const SDL_Rect area{r.left, r.top, r.width(), r.height()};
    const std::size_t first = static_cast<std::size_t>(r.top) * kCanvasWidth + r.left;
    SDL_UpdateTexture(texture_.get(), &area, &converter_.pixels()[first], kCanvasPitch);
  }
  showTexture();
}

std::optional<std::string> SdlPlatform::saveScreenshot(const std::string& path) {
  IndexedImage image;
  image.width = kCanvasWidth;
  image.height = kCanvasHeight;
  image.pixels = converter_.indexes();
  image.palette = converter_.presentedPalette();
  return WritePng(path, image);
}

void SdlPlatform::setCursor(const CursorImage* cursor) {
  if (video_.ready()) cursors_.show(cursor);
}

void SdlPlatform::showCursor(bool visible) {
  if (video_.ready()) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlPlatform::beep() {
  if (window_) SDL_FlashWindow(window_.get(), SDL_FLASH_BRIEFLY);
  if (isatty(STDERR_FILENO) != 0) {
    std::fputc(kBell, stderr);
    std::fflush(stderr);
  }
}

std::optional<BoxAnswer> SdlPlatform::answerBox(const BoxRequest& request) {
  // With the window open the runtime draws its boxes itself, so that they work full screen.
  if (window_) return std::nullopt;
  return ShowSystemBox(request, lastBoxShown_);
}

std::optional<std::string> SdlPlatform::answerFileDialog(const FileDialogRequest&) {
  return std::nullopt;
}

std::unique_ptr<AudioStream> SdlPlatform::openAudio(const AudioFormat& format,
                                                    AudioStream::Finished finished,
                                                    std::string& error) {
  if (settings_.mute) return mutedAudio_.open(format, std::move(finished), milliseconds(), error);
  return OpenSdlAudio(format, std::move(finished), error, playerSound_);
}

void SdlPlatform::playMutedSound() {
  if (settings_.mute) mutedAudio_.advanceTo(milliseconds());
}

std::unique_ptr<SharedLibrary> SdlPlatform::loadLibrary(const std::string& path) {
  return LoadSharedLibrary(path);
}

}  // namespace lw::platform

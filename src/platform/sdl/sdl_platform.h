// The platform of real play, over SDL2: one window showing the 640 x 480 canvas scaled with
// its aspect kept and nearest-neighbour sampling, full screen or in a window, its input as
// messages, the clock, the cursor (grown with the canvas), and boxes before the window exists.
// The player's keys (sdl_desktop_keys.h) are its own: F11 and Alt+Enter switch the display,
// Ctrl+F12 saves a screenshot into the pictures folder, Ctrl+Shift+M mutes.
//
// Sound goes to an SDL audio device (sdl_audio.h). Muted, the platform opens no device: its
// streams play by the wall clock and nobody hears them (headless_audio.h), so that the title
// keeps the pace its sound gives it. A muted stream moves on whenever the runtime polls or
// waits for messages, which it does at least once a tick while it runs; so its buffers finish
// on the runtime's own thread, at most a tick late, and not at all while the runtime waits
// paused (when its sound is paused too).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_audio.h"
#include "platform/platform.h"
#include "platform/sdl/canvas_converter.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_cursors.h"
#include "platform/sdl/sdl_events.h"
#include "platform/sdl/sdl_factory.h"
#include "platform/sdl/sdl_handles.h"

namespace lw::platform {

class SdlPlatform final : public Platform {
 public:
  // Starts SDL's video and events. Without a display the platform still works for everything
  // but the window: boxes go to standard error, and openWindow fails saying why.
  // `titleFolder` is where the title's own font file is looked for.
  explicit SdlPlatform(const std::string& titleFolder = {},
                       const SdlPlatformSettings& settings = {});
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // True when a window can be opened; displayProblem() says why not.
  [[nodiscard]] bool displayAvailable() const { return video_.ready(); }
  [[nodiscard]] const std::string& displayProblem() const { return video_.problem(); }

  std::uint32_t milliseconds() override;

  bool openWindow(const WindowOptions& options) override;
  bool windowOpen() const override { return window_ != nullptr; }
  void setCaption(std::string_view caption) override;
  void minimiseWindow() override;
  void restoreWindow() override;

  bool pollMessage(Message& out) override;
  void waitMessage(Message& out) override;
  bool waitMessageFor(Message& out, std::uint32_t timeout) override;

  bool buttonDown() override;
  Point mousePosition() override;
  bool keyDown(Key key) override;
  Modifiers modifiers() override;

  void setPalette(const Palette& palette) override;
  void present(const std::uint8_t* canvas, int rowBytes, std::span<const Rect> dirty) override;
  std::optional<std::string> saveScreenshot(const std::string& path) override;

  void setCursor(const CursorImage* cursor) override;
  void showCursor(bool visible) override;

  void beep() override;

  std::optional<BoxAnswer> answerBox(const BoxRequest& request) override;
  [[nodiscard]] bool lastBoxWasAnswered() const override { return lastBoxShown_; }
  std::optional<std::string> answerFileDialog(const FileDialogRequest& request) override;

  PlayerControls playerControls() override;
  void setPlayerControls(const PlayerControls& controls) override;
  Expected<std::string, std::string> saveScreenshotToPictures() override;
  void tellMenu(const MenuNote& note) override;

  FontRenderer& fonts() override { return fonts_; }
  const SystemInfo& system() override { return HostSystem(); }

  std::unique_ptr<SharedLibrary> loadLibrary(const std::string& path) override;

  std::unique_ptr<AudioStream> openAudio(const AudioFormat& format, AudioStream::Finished finished,
                                         std::string& error) override;

 private:
  // SDL's video and event subsystems, started for the platform's lifetime.
  class Video {
   public:
    Video();
    ~Video();
    Video(const Video&) = delete;
    Video& operator=(const Video&) = delete;
    [[nodiscard]] bool ready() const { return ready_; }
    [[nodiscard]] const std::string& problem() const { return problem_; }

   private:
    bool ready_ = false;
    std::string problem_;
  };

  bool createWindow(const WindowOptions& options);
  void setIcon(std::span<const std::uint8_t> rgba);
  bool handle(const SDL_Event& event, Message& out);
  bool takePending(Message& out);
  void doDesktopKey(DesktopKey key);
  void toggleFullscreen();
  void saveScreenshotToPicturesKey();
  void toggleMute();
  void setIntegerScale(bool integer);
  void fitCursorsToWindow();
  void showTexture();
  void playMutedSound();

  // Declared first so that SDL stops after everything made with it is gone.
  Video video_;
  std::uint32_t startTicks_ = 0;
  TtfFontRenderer fonts_;
  CanvasConverter converter_;
  std::string caption_;
  bool fullscreen_ = false;
  bool lastBoxShown_ = true;  // whether the last box before the window was shown to the player
  bool integerScale_ = false;
  bool minimised_ = false;      // by minimiseWindow, for the pause
  bool saidBadCanvas_ = false;  // a present without a usable canvas is reported once
  EventTranslator translator_;
  std::deque<Message> pending_;  // messages of the backend's own doing, told first
  SdlWindowHandle window_;
  SdlRendererHandle renderer_;
  SdlTextureHandle texture_;
  CursorCache cursors_;
  SdlPlatformSettings settings_;
  std::shared_ptr<PlayerSound> playerSound_ = std::make_shared<PlayerSound>();
  ClockedAudioDevice mutedAudio_;
};

}  // namespace lw::platform

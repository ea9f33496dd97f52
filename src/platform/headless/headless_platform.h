// The headless backend: the platform of test runs and of `titleplayer --headless`. It has no
// window and no display. Its clock is virtual and deterministic: it starts at 0 and moves one
// millisecond each time the runtime polls and finds no message due, so each pass of the
// runtime's message pump takes a millisecond, and a run with the same input script gives the
// same frames. While the runtime sleeps the clock jumps to the end of the sleep or to the next
// scripted action, whichever comes first. While it waits without end (it is paused) the clock
// jumps to the next scripted action; when the script has nothing more, the wait ends with a
// close request.
//
// Input comes from an input script (input_script.h). Mouse, button, key and modifier state
// follow the messages as they are delivered. Boxes and file dialogs are answered from the
// script's `answer` and `choose` actions, oldest first; without one (or with an answer that is
// not one of the box's buttons) a box takes its default button and a file dialog is cancelled.
// Every box and dialog is noted on the log, one line each, so that runs are easy to follow.
// Notes begin "headless: note: " and failures (a screenshot of the script that cannot be
// written) "headless: error: ", so that an author can tell what went wrong from what happened.
//
// The player's controls (the player menu's settings) start from the window's options, at full
// level and not muted; each change is noted. The sound level and mute apply to the capture. A
// screenshot into the pictures folder goes where the window backend's would (screenshot_place.h),
// named for "titleplayer". The runtime's menus are noted as they open and at each choice:
//   menu [CAPTION] ITEM/ITEM/... opened       menu [CAPTION] ITEM/ITEM/... -> ITEM
//
// The presented canvas is kept as 8-bit indexes with its palette, for screenshots and tests.
//
// Sound plays by the virtual clock (headless_audio.h): each time the clock moves the open stream
// hears the frames of the time passed. A buffer that ends during a jump of the clock finishes
// with the clock stopped at its own millisecond, and the jump then goes on, so that Finished
// sees the time the buffer ended. With a capture the platform records what was heard to a WAV
// file, kept up to date as streams close and completed when the platform ends.
#pragma once

#include <bitset>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "platform/headless/headless_audio.h"
#include "platform/headless/input_player.h"
#include "platform/headless/input_script.h"
#include "platform/platform.h"

namespace lw::platform {

class HeadlessPlatform final : public Platform {
 public:
  // `fonts` renders text as the window backend does. `log` takes the notes of the run; null
  // keeps quiet. `capture`, when given, records the sound heard.
  HeadlessPlatform(InputScript script, FontRenderer& fonts, std::FILE* log = stderr,
                   std::unique_ptr<WavCapture> capture = nullptr);

  std::uint32_t milliseconds() override;
  bool openWindow(const WindowOptions& options) override;
  bool windowOpen() const override { return open_; }
  void setCaption(std::string_view caption) override { options_.caption = std::string(caption); }
  void minimiseWindow() override { minimised_ = options_.fullscreen; }
  void restoreWindow() override { minimised_ = false; }

  bool pollMessage(Message& out) override;
  void waitMessage(Message& out) override;
  bool waitMessageFor(Message& out, std::uint32_t timeout) override;

  bool buttonDown() override { return button_; }
  Point mousePosition() override { return mouse_; }
  bool keyDown(Key key) override { return heldKeys_.test(static_cast<std::size_t>(key)); }
  Modifiers modifiers() override { return modifiers_; }

  void setPalette(const Palette& palette) override;
  void present(const std::uint8_t* canvas, int rowBytes, std::span<const Rect> dirty) override;
  std::optional<std::string> saveScreenshot(const std::string& path) override;

  void setCursor(const CursorImage* cursor) override;
  void showCursor(bool visible) override { cursorVisible_ = visible; }

  void beep() override { ++beeps_; }

  // A box takes the script's answers that are due before its next message, even when the
  // runtime has not polled since they fell due (a box of the start-up checks comes first).
  std::optional<BoxAnswer> answerBox(const BoxRequest& request) override;
  // Whether the last box was answered from the script, rather than by its default button.
  [[nodiscard]] bool lastBoxAnsweredByScript() const { return lastAnswerScripted_; }
  std::optional<std::string> answerFileDialog(const FileDialogRequest& request) override;

  PlayerControls playerControls() override;
  void setPlayerControls(const PlayerControls& controls) override;
  Expected<std::string, std::string> saveScreenshotToPictures() override;
  void tellMenu(const MenuNote& menu) override;

  FontRenderer& fonts() override { return fonts_; }
  const SystemInfo& system() override { return HostSystem(); }
  std::unique_ptr<SharedLibrary> loadLibrary(const std::string& path) override;

  std::unique_ptr<AudioStream> openAudio(const AudioFormat& format, AudioStream::Finished finished,
                                         std::string& error) override;
  // Brings the sound capture's file up to date; why it could not be written, if so.
  std::optional<std::string> flushAudioCapture() { return audio_.flushCapture(); }

  // True once every action of the script has been played, its trailing waits included: the
  // runtime ends a headless run then.
  [[nodiscard]] bool scriptFinished() const { return player_.finished(ticks()); }

  // What the run has done so far, for tests.
  [[nodiscard]] std::uint64_t elapsedMilliseconds() const { return milliseconds_; }
  [[nodiscard]] std::uint64_t ticks() const;
  [[nodiscard]] int presents() const { return presents_; }
  // Polls that found no message: a runtime that spins instead of sleeping makes many.
  [[nodiscard]] std::uint64_t emptyPolls() const { return emptyPolls_; }
  // The index at (h, v) of the presented canvas; nothing outside it.
  [[nodiscard]] std::optional<std::uint8_t> canvasPixel(int h, int v) const;
  [[nodiscard]] const Palette& palette() const { return palette_; }
  [[nodiscard]] int beeps() const { return beeps_; }
  [[nodiscard]] const std::vector<BoxRequest>& boxes() const { return boxes_; }
  [[nodiscard]] const std::vector<FileDialogRequest>& fileDialogs() const { return dialogs_; }
  // The options of openWindow (the caption as last set; the icon is a copy).
  [[nodiscard]] const WindowOptions& windowOptions() const { return options_; }
  [[nodiscard]] bool minimised() const { return minimised_; }
  // The cursor last set (a copy); null for the system arrow.
  [[nodiscard]] const CursorImage* cursor() const { return cursor_ ? &*cursor_ : nullptr; }
  [[nodiscard]] bool cursorVisible() const { return cursorVisible_; }

 private:
  static constexpr std::size_t kKeyCount = static_cast<std::size_t>(Key::kOther) + 1;

  void moveClockTo(std::uint64_t milliseconds);
  bool takeDue(Message& out);
  void takeDueAnswers();
  void deliver(const Message& message, Message& out);
  void carryOut(const InputAction& action);
  [[nodiscard]] std::optional<std::string> writeCanvas(const std::string& path) const;
  void note(const std::string& text) const;
  void logError(const std::string& text) const;
  void writeLog(std::string_view prefix, const std::string& text) const;

  InputPlayer player_;
  FontRenderer& fonts_;
  std::FILE* log_;
  std::uint64_t milliseconds_ = 0;
  std::uint64_t emptyPolls_ = 0;
  std::deque<Message> windowMessages_;  // the platform's own (the first paint), before the script's

  bool open_ = false;
  bool minimised_ = false;
  PlayerControls controls_{.fullscreen = true};
  WindowOptions options_;
  std::vector<std::uint8_t> icon_;

  bool button_ = false;
  Point mouse_;
  std::bitset<kKeyCount> heldKeys_;
  Modifiers modifiers_;

  std::vector<std::uint8_t> canvas_;  // kCanvasWidth x kCanvasHeight indexes
  Palette palette_{};
  bool wholeCanvasDue_ = false;  // a new palette: the next present takes the whole canvas
  int presents_ = 0;

  std::optional<CursorImage> cursor_;
  bool cursorVisible_ = true;
  int beeps_ = 0;

  std::deque<BoxAnswer> answers_;
  bool lastAnswerScripted_ = false;
  std::deque<std::string> choices_;
  std::vector<BoxRequest> boxes_;
  std::vector<FileDialogRequest> dialogs_;

  ClockedAudioDevice audio_;
};

// Reads the input script at `scriptPath` and makes the platform; the error is a ready message
// ("PATH:LINE: message"), and no platform is made.
Expected<std::unique_ptr<HeadlessPlatform>, std::string> MakeHeadlessPlatform(
    const std::string& scriptPath, FontRenderer& fonts, std::FILE* log = stderr);

}  // namespace lw::platform

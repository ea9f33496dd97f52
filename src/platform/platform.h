// The narrow interface between the runtime and the machine: one window showing the 640 x 480
// screen canvas, the input that reaches it, the clock, the cursor, the boxes and file dialogs
// that the platform answers itself, and shared libraries. Two backends implement it: SDL2 for
// real play and a headless one for tests, whose clock is virtual and whose input comes from an
// input script.
//
// The runtime draws everything itself into an 8-bit canvas; the platform only converts the
// canvas through the installed palette and shows it. Messages are the raw material of the
// runtime's window procedure, which turns them into event records.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/box_request.h"
#include "common/expected.h"
#include "common/geometry.h"
#include "common/palette.h"
#include "platform/audio_stream.h"
#include "platform/system_info.h"

namespace lw::platform {

// The size of the screen canvas that the runtime draws into; the window shows it scaled.
inline constexpr int kCanvasWidth = 640;
inline constexpr int kCanvasHeight = 480;

// Keys the runtime tells apart. Every other key that gives a character is kCharacter.
enum class Key : std::uint8_t {
  kNone,
  kCharacter,
  kEscape,
  kReturn,
  kBackspace,
  kTab,
  kDelete,
  kLeft,
  kRight,
  kUp,
  kDown,
  kF1,
  kF2,
  kF3,
  kF4,
  kF5,
  kF6,
  kF7,
  kF8,
  kF9,
  kF10,
  kF11,
  kF12,
  kOther,  // a key that gives no character (Shift alone, Home, ...)
};

struct Modifiers {
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
};

enum class MouseButton : std::uint8_t { kLeft, kRight, kMiddle };

enum class MessageKind : std::uint8_t {
  kKeyDown,         // key, character, repeat, modifiers
  kKeyUp,           // key, character, modifiers
  kButtonDown,      // button, where, modifiers
  kButtonUp,        // button, where
  kMouseMove,       // where
  kPaint,           // the window's contents were lost or first shown: repaint it
  kCloseRequest,    // the player closed the window
  kFocusLost,       // the player switched to another application (or minimised the window)
  kFocusGained,     // the player came back
  kDisplayChanged,  // the window changed size or mode
  kConsoleLine,     // text: a line for the message box to run (scripted input only)
};

struct Message {
  MessageKind kind = MessageKind::kPaint;
  Key key = Key::kNone;
  // The character the key gives with the Shift state and without Ctrl, in Mac Roman; 0 when
  // the key gives none. Return gives 13, Backspace 8, Tab 9, Escape 27.
  std::uint8_t character = 0;
  bool repeat = false;  // a key-down of a key that was already down (auto-repeat)
  MouseButton button = MouseButton::kLeft;
  Point where;  // screen canvas point of mouse messages
  Modifiers modifiers;
  std::string text;  // kConsoleLine: the line, in Mac Roman
};

// A cursor picture: 32 x 32 (or smaller) pixels, each transparent, black, white or inverting,
// with its hot spot.
struct CursorImage {
  enum class Pixel : std::uint8_t { kTransparent, kBlack, kWhite, kInvert };
  int width = 0;
  int height = 0;
  Point hotSpot;              // v, h within the picture
  std::vector<Pixel> pixels;  // row by row, width x height
};

// A file the player chose in a file dialog, or cancelled.
struct FileDialogRequest {
  bool save = false;
  std::string title;       // "Open" or "Save"
  std::string filterName;  // "Saved games (.RTD)"
  std::string pattern;     // "*.rtd"
  std::string folder;      // the folder shown first (a platform path)
};

// One line of text rendered for the runtime's drawing: one coverage byte per pixel (0 none,
// 255 full) and the pen's advance. The baseline lies `ascent` rows below the top.
struct TextImage {
  int width = 0;
  int height = 0;
  int ascent = 0;
  int advance = 0;
  std::vector<std::uint8_t> coverage;
};

// The two text faces the runtime draws with: the title's own display face (font number 16)
// and "Arial" (every other number).
enum class Face : std::uint8_t { kArial, kTitleFace };

// Renders text in the runtime's faces; both backends share the one implementation over
// SDL2_ttf, so that headless screenshots show what a window shows.
class FontRenderer {
 public:
  virtual ~FontRenderer() = default;
  // `text` is Mac Roman. `pixelHeight` is the character height in pixels.
  virtual TextImage render(Face face, int pixelHeight, std::string_view text) = 0;
  virtual int width(Face face, int pixelHeight, std::string_view text) = 0;
};

// A loaded shared library (plug-ins).
class SharedLibrary {
 public:
  virtual ~SharedLibrary() = default;
  // The address of an exported symbol, or null.
  virtual void* symbol(const char* name) = 0;
  // Closes the library now (its symbols go); false when the loader refuses. Symbols cannot be
  // looked up afterwards.
  virtual bool release() = 0;
};

// The player's own settings of play, which the player menu (F10) shows and changes while the
// title plays: the display, the scaling, and the sound the player hears over the title's level.
struct PlayerControls {
  bool fullscreen = false;
  bool integerScale = false;
  bool muted = false;
  int volumeLevel = 9;  // 0 (silent) .. 9 (the title's own level)

  friend bool operator==(const PlayerControls&, const PlayerControls&) = default;
};

// A menu of the runtime's own, told to the platform when it opens (nothing chosen) and at each
// choice, so that a headless run's log shows it as it shows boxes.
struct MenuNote {
  std::string caption;
  std::vector<std::string> items;  // as shown now, values included ("Mute: off")
  std::optional<int> chosen;       // the item chosen; nothing when the menu opens
};

// A menu note on one line, as the logs show it, in the runtime's text encoding:
//   [CAPTION] ITEM/ITEM/... opened       [CAPTION] ITEM/ITEM/... -> ITEM
[[nodiscard]] inline std::string DescribeMenu(const MenuNote& note) {
  std::string line = "[" + note.caption + "] ";
  for (std::size_t i = 0; i < note.items.size(); ++i) line += (i == 0 ? "" : "/") + note.items[i];
  const auto chosen = note.chosen ? static_cast<std::size_t>(*note.chosen) : note.items.size();
  return line + (chosen < note.items.size() ? " -> " + note.items[chosen] : " opened");
}

struct WindowOptions {
  std::string caption;
  bool fullscreen = true;
  bool integerScale = false;
  // The window's icon: 32 x 32 pixels, RGBA bytes row by row (empty for none).
  std::span<const std::uint8_t> iconRgba;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The clock in milliseconds since the platform started (wraps after 49 days).
  virtual std::uint32_t milliseconds() = 0;

  // Opens the window (shown, with the canvas black). False with a message on standard error
  // when no window can be made.
  virtual bool openWindow(const WindowOptions& options) = 0;
  virtual bool windowOpen() const = 0;
  virtual void setCaption(std::string_view caption) = 0;
  // While the title is paused its window gets out of the way of the application the player went
  // to: full screen it is minimised, as it would otherwise cover the desktop; a window on the
  // desktop stays as it is (the pause alone stops the title). restoreWindow undoes that and
  // brings the window to the front.
  virtual void minimiseWindow() = 0;
  virtual void restoreWindow() = 0;

  // The next pending message, without waiting; false when there is none.
  virtual bool pollMessage(Message& out) = 0;
  // Waits for the next message (the runtime is paused and has nothing else to do).
  virtual void waitMessage(Message& out) = 0;
  // Sleeps until the next message comes or `timeout` milliseconds pass, whichever is first; false
  // when none came. The runtime sleeps this way until its next tick, so that a title doing
  // nothing takes no processor time. A backend with nothing to wait on only polls.
  virtual bool waitMessageFor(Message& out, std::uint32_t timeout) {
    static_cast<void>(timeout);
    return pollMessage(out);
  }

  // Input state now.
  virtual bool buttonDown() = 0;      // the left button
  virtual Point mousePosition() = 0;  // screen canvas point
  virtual bool keyDown(Key key) = 0;  // kEscape and the like
  virtual Modifiers modifiers() = 0;

  // The palette that converts canvas indexes to colours; the next present converts the whole
  // canvas.
  virtual void setPalette(const Palette& palette) = 0;
  // Shows the canvas (kCanvasWidth x kCanvasHeight indexes, `rowBytes` apart); only the `dirty`
  // rectangles changed since the last present.
  virtual void present(const std::uint8_t* canvas, int rowBytes, std::span<const Rect> dirty) = 0;
  // Writes the last presented canvas, converted through its palette, as a PNG file; nothing
  // when it is written, else why not ("PATH: reason"), for the caller to report.
  virtual std::optional<std::string> saveScreenshot(const std::string& path) = 0;

  // The cursor shown over the window; null shows the system arrow.
  virtual void setCursor(const CursorImage* cursor) = 0;
  virtual void showCursor(bool visible) = 0;

  virtual void beep() = 0;

  // The platform's own answer to a box, when it gives one: the headless backend answers from
  // its input script (or takes the default button and says so); the window backend answers only
  // while no window is open (a system message box, or standard error without a display).
  // Nothing means that the runtime draws the box in its window.
  virtual std::optional<BoxAnswer> answerBox(const BoxRequest& request) = 0;
  // Whether the last box answerBox answered was put to someone (a person, or an input script),
  // rather than given its default button for want of a way to show it: a retry box answered
  // that way must not be asked again and again.
  [[nodiscard]] virtual bool lastBoxWasAnswered() const { return true; }
  // The same for file dialogs: nothing means the runtime draws the dialog; otherwise the chosen
  // platform path, or an empty string for cancel.
  virtual std::optional<std::string> answerFileDialog(const FileDialogRequest& request) = 0;

  // The player's settings now, and a change to them: only what differs from now is done (a
  // switch of the display, the scaling, the sound's level and mute).
  virtual PlayerControls playerControls() { return {}; }
  virtual void setPlayerControls(const PlayerControls& controls) { static_cast<void>(controls); }
  // Saves the last presented canvas as a new PNG file of the player's pictures folder (as
  // Ctrl+F12 does): the file's path, or why it could not be written.
  virtual Expected<std::string, std::string> saveScreenshotToPictures() {
    return Unexpected(std::string("this platform keeps no pictures"));
  }
  // Hears a menu of the runtime's own opening and each choice in it.
  virtual void tellMenu(const MenuNote& note) { static_cast<void>(note); }

  virtual FontRenderer& fonts() = 0;

  // What the operating system reports about memory, mounted filesystems and their labels.
  virtual const SystemInfo& system() = 0;

  // Loads a shared library; null when it cannot be loaded.
  virtual std::unique_ptr<SharedLibrary> loadLibrary(const std::string& path) = 0;

  // Opens the sound device with `format`; null with the reason in `error` when there is none.
  virtual std::unique_ptr<AudioStream> openAudio(const AudioFormat& format,
                                                 AudioStream::Finished finished,
                                                 std::string& error) {
    static_cast<void>(format);
    static_cast<void>(finished);
    error = "no sound device";
    return nullptr;
  }
};

}  // namespace lw::platform

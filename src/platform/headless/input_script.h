// Input scripts: what the player of a headless run does, one action a line. Blank lines are
// ignored; a '#' at the start of a line or after a blank starts a comment that runs to the end
// of the line. Words (actions, key names, answers) are read without regard to case; characters,
// texts and file names are taken as written, in UTF-8, and must have a Mac Roman form.
//
//   ACTION                 WHAT HAPPENS
//   wait N                 N ticks pass before the next actions are due
//   key K                  K is pressed and released
//   hold K N               K goes down, repeats after 30 ticks and every 3 ticks after that,
//                          and goes up N ticks later; the next actions are due then
//   click H V              the left button goes down and up at the canvas point (H, V)
//   press H V / release H V / move H V
//                          the left button goes down / goes up / the mouse moves there
//   focus out / focus in   the player switches to another application / comes back
//   answer BUTTON          the next box is answered with ok, cancel, yes, no, abort, retry or
//                          ignore
//   choose PATH            the next file dialog is answered with PATH (the rest of the line);
//   choose cancel          or cancelled
//   type TEXT              each character of the rest of the line is pressed and released
//   screenshot FILE        the canvas is written as a PNG file (the rest of the line)
//   console LINE           the message box runs LINE (the rest of the line, at most 255
//                          characters) after the input before it has been handled, and the
//                          run reports the outcome that the box shows
//   quit                   the player closes the window
//
// K is a single character ("A" gives 'A' with Shift held) or one of up, down, left, right, esc,
// return, backspace, tab, space, delete and f1..f12, after any of the prefixes ctrl+, alt+ and
// shift+ (ctrl+shift+f2). The prefixes also go before click and press (alt+click 10 20).
// `key f10` opens the runtime's player menu once the title has booted (press it after a wait);
// the keys and clicks after it drive the menu, and an `answer` before the key that chooses Quit
// answers its question.
//
// Every action is due at a moment of the virtual clock: those before the first wait at tick 0,
// the others at the moment of the last wait (or hold) before them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/box_request.h"
#include "common/expected.h"
#include "common/geometry.h"
#include "platform/platform.h"

namespace lw::platform {

// The longest wait or hold: a day of ticks.
inline constexpr std::uint32_t kMaxScriptTicks = 60 * 60 * 60 * 24;
// The longest console line: what the message box's input line holds.
inline constexpr std::size_t kMaxConsoleLine = 255;

enum class ActionKind : std::uint8_t {
  kWait,
  kKey,
  kHold,
  kClick,
  kPress,
  kRelease,
  kMove,
  kFocusOut,
  kFocusIn,
  kAnswer,
  kChoose,
  kType,
  kScreenshot,
  kConsole,
  kQuit,
};

// A key as its messages carry it.
struct ScriptKey {
  Key key = Key::kNone;
  std::uint8_t character = 0;  // Mac Roman; 0 for keys that give none
  Modifiers modifiers;
};

struct InputAction {
  ActionKind kind = ActionKind::kWait;
  std::size_t line = 0;               // the script line it came from
  std::uint32_t ticks = 0;            // wait, hold
  std::vector<ScriptKey> keys;        // key and hold: one; type: one per character
  Point where;                        // click, press, release, move
  Modifiers modifiers;                // click, press
  BoxAnswer answer = BoxAnswer::kOk;  // answer
  // choose: the path (empty for cancel); screenshot: the file; console: the line in Mac Roman
  std::string text;
};

struct InputScript {
  std::string name;  // the file name, for messages
  std::vector<InputAction> actions;
};

// Parses a script's text; `name` stands for its file in errors, which read "NAME:LINE: message".
Expected<InputScript, std::string> ParseInputScript(std::string_view text, std::string_view name);

// Reads and parses a script file; the error is a ready message ("PATH: reason" or
// "PATH:LINE: message").
Expected<InputScript, std::string> ReadInputScript(const std::string& path);

}  // namespace lw::platform

// The text-entry dialog through which a title asks the player for a line of text: a caption, a
// prompt, an edit field holding a first text, and the OK and Cancel buttons. Like the message
// boxes it is drawn by the runtime inside its window over whatever was there, reads the
// platform's raw messages (so a headless run answers it with its input script's `type` and
// `key` actions) and leaves the canvas as it was.
//
//   typing             edits the field; the first text starts selected, so the first character
//                      typed replaces it (only characters that a script text can hold: no
//                      control characters, at most 255 of them)
//   Backspace          deletes the last character (or the whole selected first text)
//   Right, click in the field   keeps the first text and puts the caret after it
//   Return, OK         answers with the field's text
//   Escape, Cancel     cancels
//
// Closing the window while the dialog is up cancels it and calls the canvas's close handler.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/geometry.h"
#include "shell/dialogs/dialog_canvas.h"

namespace lw {

struct TextDialogRequest {
  std::string caption;
  std::string prompt;   // wrapped for the dialog; a line feed starts a new line
  std::string initial;  // the field's first text (cut to the field's capacity)
};

// Where the parts of the dialog lie on the screen canvas: the caption bar, the prompt's lines,
// the edit field and, at the bottom right, OK and Cancel.
struct TextDialogLayout {
  static constexpr int kOkButton = 0;
  static constexpr int kCancelButton = 1;
  static constexpr int kWidth = 360;
  static constexpr int kMaxPromptLines = 8;
  static constexpr int kFieldHeight = 22;

  Rect frame;
  Rect caption;
  std::vector<std::string> lines;  // the prompt, at most kMaxPromptLines lines
  int textLeft = 0;
  int textTop = 0;  // top of the first prompt line; lines are kDialogLineHeight apart
  Rect field;
  std::array<Rect, 2> buttons;  // kOkButton, kCancelButton

  // The button under a canvas point, or -1.
  [[nodiscard]] int buttonAt(Point where) const;
};

[[nodiscard]] TextDialogLayout LayoutTextDialog(std::string_view prompt, const Rect& canvas);

// The edit field's text and whether its first text is still selected.
class TextField {
 public:
  static constexpr std::size_t kCapacity = 255;

  explicit TextField(std::string_view initial);

  // Adds a typed character (Mac Roman); control characters and characters past the capacity
  // are ignored. A selected first text is replaced.
  void type(std::uint8_t character);
  void backspace();
  // Keeps a selected first text: the caret goes after it.
  void deselect() { selected_ = false; }

  [[nodiscard]] const std::string& text() const { return text_; }
  [[nodiscard]] bool selected() const { return selected_ && !text_.empty(); }

 private:
  std::string text_;
  bool selected_ = true;
};

// Shows the dialog until the player answers: the field's text for OK, nothing for Cancel.
[[nodiscard]] std::optional<std::string> ShowTextDialog(DialogCanvas& canvas,
                                                        const TextDialogRequest& request);

}  // namespace lw

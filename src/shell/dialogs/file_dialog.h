// The open and save dialogs through which the player chooses a saved game, a movie, a star file
// or a text. A dialog first goes to the platform, which answers it itself when it can (the
// headless backend from its input script). Otherwise it is drawn by the runtime in its window,
// like the message boxes, and answered with the keyboard or the mouse:
//
//   Up, Down           move the highlight in the list (a file's name goes into the name field)
//   Return, Open/Save  open the highlighted folder or choose the highlighted file; after typing,
//                      use the typed name: a folder is opened, a pattern ("*.txt") filters the
//                      list, anything else is the file
//   Backspace          deletes the last typed character; with the name field empty, goes up
//   typing             edits the name field (its first text is replaced by the first key)
//   Escape, Cancel     cancels
//   click, double click  highlights an entry; two clicks within 20 ticks open it
//   click on the scroll bar  pages up (upper half) or down (lower half)
//
// The open dialog only takes a file that exists, matching the typed name's case loosely; the
// save dialog asks before replacing a file. Closing the window cancels the dialog and calls the
// boxes' close handler.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "shell/dialogs/file_dialog_view.h"
#include "shell/dialogs/window_boxes.h"
#include "shell/error_report.h"

namespace lw {

namespace errline {
inline constexpr std::int16_t kChosenPathWithoutFolder = 415;
}  // namespace errline

class FileDialogs {
 public:
  // Ticks (60ths of a second) within which a second click on an entry opens it.
  static constexpr std::uint32_t kDoubleClickTicks = 20;
  // The name field holds at most this many bytes.
  static constexpr std::size_t kMaxNameLength = 255;

  // `firstFolder` is the folder the first dialog shows (the title folder).
  FileDialogs(WindowBoxes& boxes, ErrorReporter& errors, std::filesystem::path firstFolder)
      : boxes_(boxes), errors_(errors), folder_(std::move(firstFolder)) {}

  // Lets the player choose an existing file of `type` (a four-character code, file_type::...).
  // 1 with the file's full platform path and its name (after the last '/'), 0 when cancelled.
  int OpenFileDialog(std::string& fullPath, std::string& name, std::uint32_t type);
  // Lets the player name a file of `type` to write, asking before an existing file is replaced;
  // results as OpenFileDialog.
  int SaveFileDialog(std::string& fullPath, std::string& name, std::uint32_t type);

  // The folder the next dialog shows first: the folder of the last file chosen.
  [[nodiscard]] const std::filesystem::path& folder() const { return folder_; }
  // Where a drawn dialog's parts lie (tests click them).
  [[nodiscard]] FileDialogLayout layout() {
    return LayoutFileDialog(boxes_.canvas().screen().rect());
  }

 private:
  int run(bool save, std::string& fullPath, std::string& name, std::uint32_t type);
  // Gives a chosen platform path to the caller and remembers its folder; a path without a folder
  // is reported (program code 0) and counts as cancelled.
  int deliver(const std::string& path, std::string& fullPath, std::string& name);

  WindowBoxes& boxes_;
  ErrorReporter& errors_;
  std::filesystem::path folder_;
};

}  // namespace lw

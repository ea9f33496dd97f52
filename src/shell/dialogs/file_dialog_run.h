// One drawn file dialog while it is up (internal to the file dialogs): the folder it shows, the
// highlight, the name field, and what each key and click does to them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "shell/dialogs/boxes.h"
#include "shell/dialogs/dialog_canvas.h"
#include "shell/dialogs/file_dialog_list.h"
#include "shell/dialogs/file_dialog_view.h"

namespace lw {

class FileDialogRun {
 public:
  // Shows the folder, title and pattern of `request`; the name field and the extension of typed
  // names come from `filter`.
  FileDialogRun(DialogCanvas& canvas, BoxPresenter& boxes,
                const platform::FileDialogRequest& request, FileTypeFilter filter);

  // Shows the dialog until the player chooses a file (its path) or cancels (nothing).
  [[nodiscard]] std::optional<std::filesystem::path> run();

 private:
  enum class Step : std::uint8_t { kContinue, kChosen, kCancelled };

  [[nodiscard]] FileDialogView view() const;
  Step handle(const platform::Message& message);
  Step key(const platform::Message& message);
  Step mouseDown(Point where);
  Step clickEntry(int index);
  // Return: the highlighted entry, or the typed name after typing.
  Step activate();
  Step useName();
  Step choose(std::filesystem::path target);
  // Shows a box over the dialog; false when the player closed the window meanwhile.
  bool tell(const std::string& text);
  // Asks Yes or No in a box over the dialog (Escape answers No): true for Yes; nothing when the
  // player closed the window meanwhile.
  [[nodiscard]] std::optional<bool> ask(const std::string& text);

  void enter(const std::filesystem::path& folder, std::string_view highlight = {});
  void goUp();
  void select(int index);
  void scrollTo(int top);
  void typeCharacter(std::uint8_t character);
  void backspace();

  DialogCanvas& canvas_;
  BoxPresenter& boxes_;
  bool save_;
  FileTypeFilter filter_;
  FileDialogLayout layout_;
  std::string title_;
  std::string pattern_;
  std::filesystem::path folder_;
  std::string folderText_;
  std::vector<FolderEntry> entries_;
  int top_ = 0;
  int selected_ = -1;
  std::string name_;
  bool nameSelected_ = true;  // the first key typed replaces the name field's first text
  bool nameTyped_ = false;    // Return uses the name field rather than the highlight
  PressTracker press_;
  int lastClicked_ = -1;
  std::uint32_t lastClickTicks_ = 0;
  std::filesystem::path chosen_;
};

}  // namespace lw

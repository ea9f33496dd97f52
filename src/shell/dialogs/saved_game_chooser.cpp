#include "shell/dialogs/saved_game_chooser.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <system_error>

#include "shell/dialogs/file_dialog.h"
#include "shell/dialogs/file_dialog_list.h"

namespace lw {
namespace {

namespace fs = std::filesystem;
using platform::Key;
using platform::Message;
using platform::MessageKind;
using L = SavedGameChooserLayout;

// Characters the name field takes: printable ASCII, which every file system can store, but for
// the path separators of the platform and of title paths.
constexpr std::uint8_t kFirstTyped = 32;
constexpr std::uint8_t kLastTyped = 126;
constexpr std::string_view kRefused = "/:";

// One drawn chooser while it is up.
class ChooserRun {
 public:
  ChooserRun(WindowBoxes& boxes, bool save, fs::path folder,
             const std::vector<SavedGameEntry>& entries, std::string_view suggestedName)
      : boxes_(boxes),
        canvas_(boxes.canvas()),
        save_(save),
        folder_(std::move(folder)),
        entries_(entries),
        layout_(LayoutSavedGameChooser(canvas_.screen().rect())),
        name_(suggestedName) {
    if (!save_ && !entries_.empty()) selected_ = 0;
  }

  std::optional<fs::path> run() {
    const DialogSession session(canvas_.screen(), layout_.frame);
    while (true) {
      const SavedGameChooserView view{
          save_ ? "Save" : "Open", entries_,      top_, selected_, save_, name_,
          nameSelected_,           press_.pressed};
      DrawSavedGameChooser(canvas_, layout_, view, session.colours());
      const Message message = canvas_.nextMessage();
      if (message.kind == MessageKind::kCloseRequest) {
        canvas_.notifyClose();
        return std::nullopt;
      }
      switch (handle(message)) {
        case Step::kChosen: return chosen_;
        case Step::kCancelled: return std::nullopt;
        case Step::kContinue: break;
      }
    }
  }

 private:
  enum class Step : std::uint8_t { kContinue, kChosen, kCancelled };

  Step handle(const Message& message) {
    switch (message.kind) {
      case MessageKind::kKeyDown: return key(message);
      case MessageKind::kButtonDown:
      case MessageKind::kButtonUp: {
        if (const std::optional<int> button = press_.feed(message, layout_.buttonAt(message.where)))
          return *button == L::kOkButton ? activate() : Step::kCancelled;
        const bool leftDown = message.kind == MessageKind::kButtonDown &&
                              message.button == platform::MouseButton::kLeft;
        return leftDown ? mouseDown(message.where) : Step::kContinue;
      }
      default: return Step::kContinue;
    }
  }

  Step key(const Message& message) {
    switch (message.key) {
      case Key::kEscape: return Step::kCancelled;
      case Key::kReturn: return activate();
      case Key::kUp: select(selected_ < 0 ? 0 : selected_ - 1); return Step::kContinue;
      case Key::kDown: select(selected_ + 1); return Step::kContinue;
      case Key::kBackspace: backspace(); return Step::kContinue;
      case Key::kCharacter:
        if (!message.modifiers.ctrl) typeCharacter(message.character);
        return Step::kContinue;
      default: return Step::kContinue;
    }
  }

  Step mouseDown(Point where) {
    if (const int row = layout_.rowAt(where); row >= 0) {
      if (top_ + row < static_cast<int>(entries_.size())) return clickEntry(top_ + row);
    } else if (layout_.scrollBar.contains(where)) {
      const int middle = (layout_.scrollBar.top + layout_.scrollBar.bottom) / 2;
      scrollTo(top_ + (where.v < middle ? -1 : 1) * L::kVisibleRows);
    } else if (save_ && layout_.nameField.contains(where)) {
      nameTyped_ = true;
    }
    return Step::kContinue;
  }

  // A second click on the same entry soon after the first chooses it.
  Step clickEntry(int index) {
    const std::uint32_t now = canvas_.ticks();
    const bool twice =
        index == lastClicked_ && now - lastClickTicks_ <= FileDialogs::kDoubleClickTicks;
    select(index);
    lastClicked_ = twice ? -1 : index;
    lastClickTicks_ = now;
    return twice ? activate() : Step::kContinue;
  }

  // Return: the typed name after typing (save mode), else the highlighted entry.
  Step activate() {
    if (save_ && (nameTyped_ || selected_ < 0)) return useName();
    if (selected_ < 0) {
      canvas_.platform().beep();
      return Step::kContinue;
    }
    return choose(entries_[static_cast<std::size_t>(selected_)].path);
  }

  Step useName() {
    if (name_.empty()) {
      canvas_.platform().beep();
      return Step::kContinue;
    }
    std::string fileName = name_;
    if (!MatchesPattern(fileName, kSavedGamePattern)) fileName += kSavedGameExtension;
    // A name that differs from a file's only in case means that file: the title would not tell
    // the two apart when it opens the game again.
    const std::string actual = FindNameIgnoringCase(folder_, fileName);
    return choose(folder_ / (actual.empty() ? fileName : actual));
  }

  Step choose(const fs::path& target) {
    std::error_code error;
    if (save_ && fs::exists(target, error)) {
      const std::uint32_t closes = canvas_.closeRequests();
      const bool replace = QuestionBox(boxes_, "Replace " + target.filename().string() + "?") == 1;
      if (canvas_.closeRequests() != closes) return Step::kCancelled;
      if (!replace) return Step::kContinue;
    }
    chosen_ = target;
    return Step::kChosen;
  }

  // Highlights an entry (kept within the list and scrolled into view); in save mode its file's
  // name goes into the name field.
  void select(int index) {
    if (entries_.empty()) return;
    selected_ = std::clamp(index, 0, static_cast<int>(entries_.size()) - 1);
    nameTyped_ = false;
    if (save_) {
      name_ = entries_[static_cast<std::size_t>(selected_)].path.stem().string();
      nameSelected_ = true;
    }
    if (selected_ < top_) scrollTo(selected_);
    if (selected_ >= top_ + L::kVisibleRows) scrollTo(selected_ - L::kVisibleRows + 1);
  }

  void scrollTo(int top) {
    const int last = std::max(0, static_cast<int>(entries_.size()) - L::kVisibleRows);
    top_ = std::clamp(top, 0, last);
  }

  void typeCharacter(std::uint8_t character) {
    if (!save_ || character < kFirstTyped || character > kLastTyped ||
        kRefused.find(static_cast<char>(character)) != std::string_view::npos)
      return;
    if (nameSelected_) name_.clear();
    nameSelected_ = false;
    nameTyped_ = true;
    if (name_.size() < FileDialogs::kMaxNameLength) name_.push_back(static_cast<char>(character));
  }

  void backspace() {
    if (!save_) return;
    if (nameSelected_)
      name_.clear();
    else if (!name_.empty())
      name_.pop_back();
    nameSelected_ = false;
    nameTyped_ = true;
  }

  WindowBoxes& boxes_;
  DialogCanvas& canvas_;
  bool save_;
  fs::path folder_;
  const std::vector<SavedGameEntry>& entries_;
  SavedGameChooserLayout layout_;
  int top_ = 0;
  int selected_ = -1;
  std::string name_;
  bool nameSelected_ = true;  // the first key typed replaces the suggested name
  bool nameTyped_ = false;    // Return uses the name field rather than the highlight
  PressTracker press_;
  int lastClicked_ = -1;
  std::uint32_t lastClickTicks_ = 0;
  fs::path chosen_;
};

}  // namespace

std::optional<fs::path> SavedGameChooser::ChooseToOpen(const fs::path& folder,
                                                       const SavedGameList& list) {
  return choose(false, folder, list, {});
}

std::optional<fs::path> SavedGameChooser::ChooseToSave(const fs::path& folder,
                                                       const SavedGameList& list,
                                                       std::string_view suggestedName) {
  return choose(true, folder, list, suggestedName);
}

std::optional<fs::path> SavedGameChooser::choose(bool save, const fs::path& folder,
                                                 const SavedGameList& list,
                                                 std::string_view suggestedName) {
  const DialogCanvas::Scope scope(boxes_.canvas());
  platform::FileDialogRequest request;
  request.save = save;
  request.title = save ? "Save" : "Open";
  request.filterName = "Saved games (.RTD)";
  request.pattern = kSavedGamePattern;
  request.folder = folder.string();
  if (const std::optional<std::string> answer =
          boxes_.canvas().platform().answerFileDialog(request)) {
    if (answer->empty()) return std::nullopt;
    const fs::path chosen(*answer);
    return chosen.is_relative() ? folder / chosen : chosen;
  }
  // Listed only now: reading the saved games pumps messages, and with them the clock of a
  // scripted run, which must not depend on what the folder holds.
  const std::vector<SavedGameEntry> entries = list();
  return ChooserRun(boxes_, save, folder, entries, suggestedName).run();
}

}  // namespace lw

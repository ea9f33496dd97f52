#include "shell/dialogs/file_dialog_run.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "shell/dialogs/file_dialog.h"

namespace lw {
namespace {

using platform::Key;
using platform::Message;
using platform::MessageKind;
namespace fs = std::filesystem;

constexpr std::string_view kParentEntry = "..";
// Characters the name field takes: printable ASCII, which every file system can store.
constexpr std::uint8_t kFirstTyped = 32;
constexpr std::uint8_t kLastTyped = 126;

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// An absolute, normal path without a trailing separator.
fs::path Normal(const fs::path& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) absolute = path;
  absolute = absolute.lexically_normal();
  if (absolute.has_relative_path() && !absolute.has_filename()) absolute = absolute.parent_path();
  return absolute;
}

}  // namespace

FileDialogRun::FileDialogRun(DialogCanvas& canvas, BoxPresenter& boxes,
                             const platform::FileDialogRequest& request, FileTypeFilter filter)
    : canvas_(canvas),
      boxes_(boxes),
      save_(request.save),
      filter_(std::move(filter)),
      layout_(LayoutFileDialog(canvas.screen().rect())),
      title_(request.title),
      pattern_(request.pattern),
      name_(filter_.initialName) {
  enter(request.folder);
}

std::optional<fs::path> FileDialogRun::run() {
  const DialogSession session(canvas_.screen(), layout_.frame);
  while (true) {
    DrawFileDialog(canvas_, layout_, view(), session.colours());
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

FileDialogView FileDialogRun::view() const {
  return FileDialogView{title_,    folderText_, entries_,      top_,
                        selected_, name_,       nameSelected_, press_.pressed};
}

FileDialogRun::Step FileDialogRun::handle(const Message& message) {
  switch (message.kind) {
    case MessageKind::kKeyDown: return key(message);
    case MessageKind::kButtonDown:
    case MessageKind::kButtonUp: {
      if (const std::optional<int> button = press_.feed(message, layout_.buttonAt(message.where)))
        return *button == FileDialogLayout::kOkButton ? activate() : Step::kCancelled;
      const bool leftDown = message.kind == MessageKind::kButtonDown &&
                            message.button == platform::MouseButton::kLeft;
      return leftDown ? mouseDown(message.where) : Step::kContinue;
    }
    default: return Step::kContinue;
  }
}

FileDialogRun::Step FileDialogRun::key(const Message& message) {
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

FileDialogRun::Step FileDialogRun::mouseDown(Point where) {
  if (const int row = layout_.rowAt(where); row >= 0) {
    if (top_ + row < static_cast<int>(entries_.size())) return clickEntry(top_ + row);
  } else if (layout_.scrollBar.contains(where)) {
    const int middle = (layout_.scrollBar.top + layout_.scrollBar.bottom) / 2;
    scrollTo(top_ + (where.v < middle ? -1 : 1) * FileDialogLayout::kVisibleRows);
  } else if (layout_.nameField.contains(where)) {
    nameTyped_ = true;
  }
  return Step::kContinue;
}

// A second click on the same entry soon after the first opens it.
FileDialogRun::Step FileDialogRun::clickEntry(int index) {
  const std::uint32_t now = canvas_.ticks();
  if (index == lastClicked_ && now - lastClickTicks_ <= FileDialogs::kDoubleClickTicks) {
    lastClicked_ = -1;
    select(index);
    return activate();
  }
  select(index);
  lastClicked_ = index;
  lastClickTicks_ = now;
  return Step::kContinue;
}

FileDialogRun::Step FileDialogRun::activate() {
  if (nameTyped_ || selected_ < 0) return useName();
  const FolderEntry entry = entries_[static_cast<std::size_t>(selected_)];
  if (!entry.folder) return choose(folder_ / entry.name);
  if (entry.name == kParentEntry)
    goUp();
  else
    enter(folder_ / entry.name);
  return Step::kContinue;
}

FileDialogRun::Step FileDialogRun::useName() {
  if (name_.empty()) {
    canvas_.platform().beep();
    return Step::kContinue;
  }
  if (IsPattern(name_)) {
    pattern_ = name_;
    enter(folder_);
    nameSelected_ = true;
    return Step::kContinue;
  }
  const fs::path target = Normal(folder_ / name_);
  // A folder is found without regard to the case of its name, as files are.
  fs::path folder = target;
  if (!IsFolder(folder) && target.has_filename()) {
    const std::string actual =
        FindNameIgnoringCase(target.parent_path(), target.filename().string());
    if (!actual.empty()) folder = target.parent_path() / actual;
  }
  if (IsFolder(folder)) {
    name_.clear();
    enter(folder);
    return Step::kContinue;
  }
  return choose(target);
}

FileDialogRun::Step FileDialogRun::choose(fs::path target) {
  std::string fileName = target.filename().string();
  if (!filter_.defaultExtension.empty() && fileName.find('.') == std::string::npos) {
    fileName += "." + filter_.defaultExtension;
    target.replace_filename(fileName);
  }
  const fs::path folder = target.parent_path();
  if (!IsFolder(folder))
    return tell(folder.string() + "\nFolder not found.") ? Step::kContinue : Step::kCancelled;
  // A name that differs from a file's only in case means that file, for saving too: the title
  // would not tell the two apart when it opens the file again.
  const std::string actual = FindNameIgnoringCase(folder, fileName);
  if (!actual.empty()) {
    target = folder / actual;
    fileName = actual;
  }
  if (!save_) {
    if (actual.empty() || !IsFile(target)) {
      const bool open = tell(fileName + "\nFile not found. Check the name and try again.");
      return open ? Step::kContinue : Step::kCancelled;
    }
    chosen_ = target;
    return Step::kChosen;
  }
  if (Exists(target)) {
    if (IsFolder(target)) {
      enter(target);
      return Step::kContinue;
    }
    const std::optional<bool> replace =
        ask(fileName + " already exists.\nDo you want to replace it?");
    if (!replace) return Step::kCancelled;
    if (!*replace) return Step::kContinue;
  }
  chosen_ = target;
  return Step::kChosen;
}

bool FileDialogRun::tell(const std::string& text) {
  const std::uint32_t closes = canvas_.closeRequests();
  BoxRequest request;
  request.caption = title_;
  request.text = WrapForBox(text);
  request.buttons = BoxButtons::kOk;
  request.icon = BoxIcon::kExclamation;
  static_cast<void>(boxes_.showBox(request));
  return canvas_.closeRequests() == closes;
}

std::optional<bool> FileDialogRun::ask(const std::string& text) {
  const std::uint32_t closes = canvas_.closeRequests();
  BoxRequest request;
  request.caption = title_;
  request.text = WrapForBox(text);
  request.buttons = BoxButtons::kYesNo;
  request.icon = BoxIcon::kExclamation;
  const BoxAnswer answer = boxes_.showBox(request);
  if (canvas_.closeRequests() != closes) return std::nullopt;
  return answer == BoxAnswer::kYes;
}

// Shows `folder`, highlighting the entry named `highlight` when there is one.
void FileDialogRun::enter(const fs::path& folder, std::string_view highlight) {
  folder_ = Normal(folder);
  folderText_ = folder_.string();
  entries_ = ListFolder(folder_, pattern_);
  top_ = 0;
  selected_ = -1;
  lastClicked_ = -1;
  const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const FolderEntry& e) {
    return e.folder && e.name == highlight;
  });
  if (!highlight.empty() && found != entries_.end())
    select(static_cast<int>(found - entries_.begin()));
}

void FileDialogRun::goUp() {
  if (!folder_.has_relative_path()) return;
  const std::string from = folder_.filename().string();
  enter(folder_.parent_path(), from);
}

// Highlights an entry (kept within the list and scrolled into view); a file's name goes into
// the name field.
void FileDialogRun::select(int index) {
  if (entries_.empty()) return;
  selected_ = std::clamp(index, 0, static_cast<int>(entries_.size()) - 1);
  nameTyped_ = false;
  const FolderEntry& entry = entries_[static_cast<std::size_t>(selected_)];
  if (!entry.folder) {
    name_ = entry.name;
    nameSelected_ = true;
  }
  if (selected_ < top_) scrollTo(selected_);
  if (selected_ >= top_ + FileDialogLayout::kVisibleRows)
    scrollTo(selected_ - FileDialogLayout::kVisibleRows + 1);
}

void FileDialogRun::scrollTo(int top) {
  const int last = std::max(0, static_cast<int>(entries_.size()) - FileDialogLayout::kVisibleRows);
  top_ = std::clamp(top, 0, last);
}

void FileDialogRun::typeCharacter(std::uint8_t character) {
  if (character < kFirstTyped || character > kLastTyped) return;
  if (nameSelected_) name_.clear();
  nameSelected_ = false;
  nameTyped_ = true;
  if (name_.size() < FileDialogs::kMaxNameLength) name_.push_back(static_cast<char>(character));
}

void FileDialogRun::backspace() {
  if (name_.empty()) {
    goUp();
    return;
  }
  if (nameSelected_)
    name_.clear();
  else
    name_.pop_back();
  nameSelected_ = false;
  nameTyped_ = true;
}

}  // namespace lw

#include "shell/dialogs/player_menu.h"

#include <algorithm>
#include <optional>
#include <string>

#include "shell/dialogs/player_menu_view.h"

namespace lw {
namespace {

using platform::Key;
using platform::Message;
using platform::MessageKind;
using platform::PlayerControls;

constexpr int kLowestLevel = 0;
constexpr int kHighestLevel = 9;
constexpr std::string_view kQuitQuestion = "Quit playing?";

// How a step of the menu leaves it.
enum class Step : std::uint8_t { kStay, kResume, kScreenshot, kQuit };

// One drawn menu while it is up.
class MenuRun {
 public:
  explicit MenuRun(WindowBoxes& boxes)
      : boxes_(boxes),
        canvas_(boxes.canvas()),
        platform_(canvas_.platform()),
        layout_(LayoutPlayerMenu(canvas_.screen().rect())),
        controls_(platform_.playerControls()) {}

  Step run() {
    const DialogSession session(canvas_.screen(), layout_.frame);
    tell(std::nullopt);
    while (true) {
      DrawPlayerMenu(canvas_, layout_, PlayerMenuView{controls_, highlighted_}, session.colours());
      const Message message = canvas_.nextMessage();
      if (message.kind == MessageKind::kCloseRequest) {
        canvas_.notifyClose();
        return Step::kResume;
      }
      if (const Step step = handle(message); step != Step::kStay) return step;
    }
  }

 private:
  Step handle(const Message& message) {
    if (message.kind == MessageKind::kKeyDown) return key(message);
    if (message.kind == MessageKind::kButtonDown || message.kind == MessageKind::kButtonUp) {
      const int under = layout_.rowAt(message.where);
      if (message.kind == MessageKind::kButtonDown && under >= 0) highlighted_ = under;
      if (const std::optional<int> clicked = press_.feed(message, under)) {
        if (*clicked == static_cast<int>(PlayerMenuItem::kSoundLevel)) {
          const Rect& row = layout_.rows[static_cast<std::size_t>(*clicked)];
          return changeLevel(message.where.h < (row.left + row.right) / 2 ? -1 : 1);
        }
        return choose(static_cast<PlayerMenuItem>(*clicked));
      }
    }
    return Step::kStay;
  }

  Step key(const Message& message) {
    switch (message.key) {
      case Key::kEscape:
      case Key::kF10: return choose(PlayerMenuItem::kResume);
      case Key::kReturn: return choose(highlightedItem());
      case Key::kUp: move(-1); return Step::kStay;
      case Key::kDown: move(1); return Step::kStay;
      case Key::kLeft:
      case Key::kRight: {
        const int step = message.key == Key::kLeft ? -1 : 1;
        if (highlightedItem() == PlayerMenuItem::kSoundLevel) return changeLevel(step);
        if (ItemSetting(highlightedItem(), controls_).empty()) return Step::kStay;
        return choose(highlightedItem());
      }
      case Key::kCharacter:
        if (message.character == ' ') return choose(highlightedItem());
        return Step::kStay;
      default: return Step::kStay;
    }
  }

  [[nodiscard]] PlayerMenuItem highlightedItem() const {
    return static_cast<PlayerMenuItem>(highlighted_);
  }

  void move(int step) {
    highlighted_ = (highlighted_ + step + kPlayerMenuItemCount) % kPlayerMenuItemCount;
  }

  // The level one step lower or higher, kept within 0..9.
  Step changeLevel(int step) {
    highlighted_ = static_cast<int>(PlayerMenuItem::kSoundLevel);
    tell(highlighted_);
    PlayerControls changed = controls_;
    changed.volumeLevel = std::clamp(controls_.volumeLevel + step, kLowestLevel, kHighestLevel);
    apply(changed);
    return Step::kStay;
  }

  Step choose(PlayerMenuItem item) {
    tell(static_cast<int>(item));
    PlayerControls changed = controls_;
    switch (item) {
      case PlayerMenuItem::kResume: return Step::kResume;
      case PlayerMenuItem::kSoundLevel:
        changed.volumeLevel =
            controls_.volumeLevel >= kHighestLevel ? kLowestLevel : controls_.volumeLevel + 1;
        break;
      case PlayerMenuItem::kMute: changed.muted = !controls_.muted; break;
      case PlayerMenuItem::kDisplay: changed.fullscreen = !controls_.fullscreen; break;
      case PlayerMenuItem::kScaling: changed.integerScale = !controls_.integerScale; break;
      case PlayerMenuItem::kScreenshot: return Step::kScreenshot;
      case PlayerMenuItem::kQuit: return confirmQuit();
    }
    apply(changed);
    return Step::kStay;
  }

  // The platform may refuse a change (a run muted from the start has no sound to bring back),
  // so the menu shows what it reports afterwards.
  void apply(const PlayerControls& changed) {
    platform_.setPlayerControls(changed);
    controls_ = platform_.playerControls();
  }

  Step confirmQuit() {
    const std::uint32_t closes = canvas_.closeRequests();
    const bool quit = QuestionBox(boxes_, kQuitQuestion) == 1;
    if (canvas_.closeRequests() != closes) return Step::kResume;
    return quit ? Step::kQuit : Step::kStay;
  }

  void tell(std::optional<int> chosen) {
    platform::MenuNote note{std::string(kPlayerMenuCaption), {}, chosen};
    for (int i = 0; i < kPlayerMenuItemCount; ++i)
      note.items.push_back(ItemText(static_cast<PlayerMenuItem>(i), controls_));
    platform_.tellMenu(note);
  }

  WindowBoxes& boxes_;
  DialogCanvas& canvas_;
  platform::Platform& platform_;
  PlayerMenuLayout layout_;
  PlayerControls controls_;
  int highlighted_ = 0;
  PressTracker press_;
};

}  // namespace

PlayerMenuOutcome PlayerMenu::Run() {
  const DialogCanvas::Scope scope(boxes_.canvas());
  const Step step = MenuRun(boxes_).run();
  if (step == Step::kScreenshot) {
    // Taken once the menu is gone, so that the picture is the title's. A failure is shown, as
    // the player has no other place to hear of it.
    const Expected<std::string, std::string> saved =
        boxes_.canvas().platform().saveScreenshotToPictures();
    if (!saved) InfoBox(boxes_, "The screenshot could not be saved: " + saved.error());
  }
  return step == Step::kQuit ? PlayerMenuOutcome::kQuit : PlayerMenuOutcome::kResume;
}

}  // namespace lw

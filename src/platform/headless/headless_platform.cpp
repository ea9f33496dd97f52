#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <array>

#include "common/mac_roman.h"
#include "platform/headless/audio_level.h"
#include "platform/png_image.h"
#include "platform/posix/pictures_screenshot.h"
#include "platform/posix/shared_library.h"
#include "platform/present_log.h"

namespace lw::platform {
namespace {

// The runtime's tick is a sixtieth of a second: 3 ticks every 50 milliseconds.
constexpr std::uint64_t kTicksPerStep = 3;
constexpr std::uint64_t kMillisecondsPerStep = 50;
constexpr std::size_t kCanvasBytes = static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight;
// The log's two kinds of line: what happened, for following a run, and what went wrong.
constexpr std::string_view kNotePrefix = "headless: note: ";
constexpr std::string_view kErrorPrefix = "headless: error: ";
// The program that screenshots into the pictures folder are named for.
constexpr std::string_view kProgram = "titleplayer";

// The first millisecond at which the tick count reaches `tick`.
std::uint64_t FirstMillisecondOf(std::uint64_t tick) {
  return (tick * kMillisecondsPerStep + kTicksPerStep - 1) / kTicksPerStep;
}

// A runtime text on one line of the log: UTF-8, its line breaks as spaces.
std::string OneLine(std::string_view macRoman) {
  std::string text = MacRomanToUtf8(macRoman);
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  return text;
}

// Copies one dirty rectangle, clipped to the canvas, into the kept canvas.
void CopyRect(const std::uint8_t* canvas, int rowBytes, Rect rect,
              std::vector<std::uint8_t>& kept) {
  const int top = std::max<int>(rect.top, 0);
  const int left = std::max<int>(rect.left, 0);
  const int bottom = std::min<int>(rect.bottom, kCanvasHeight);
  const int right = std::min<int>(rect.right, kCanvasWidth);
  for (int v = top; v < bottom && left < right; ++v) {
    const std::uint8_t* row = canvas + static_cast<std::ptrdiff_t>(v) * rowBytes;
    std::copy(row + left, row + right, kept.begin() + v * kCanvasWidth + left);
  }
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(InputScript script, FontRenderer& fonts, std::FILE* log,
                                   std::unique_ptr<WavCapture> capture)
    : player_(std::move(script.actions)),
      fonts_(fonts),
      log_(log),
      canvas_(kCanvasBytes, 0),
      audio_(std::move(capture)) {}

std::uint32_t HeadlessPlatform::milliseconds() {
  return static_cast<std::uint32_t>(milliseconds_);  // wraps, as a real clock would
}

std::uint64_t HeadlessPlatform::ticks() const {
  return milliseconds_ * kTicksPerStep / kMillisecondsPerStep;
}

bool HeadlessPlatform::openWindow(const WindowOptions& options) {
  options_ = options;
  controls_.fullscreen = options.fullscreen;
  controls_.integerScale = options.integerScale;
  icon_.assign(options.iconRgba.begin(), options.iconRgba.end());
  options_.iconRgba = icon_;
  open_ = true;
  // A real window's first paint.
  Message paint;
  paint.kind = MessageKind::kPaint;
  windowMessages_.push_back(paint);
  return true;
}

bool HeadlessPlatform::pollMessage(Message& out) {
  if (takeDue(out)) return true;
  moveClockTo(milliseconds_ + 1);
  ++emptyPolls_;
  return false;
}

// The clock jumps to the end of the sleep, or to the next scripted action when that comes
// first; like an empty poll, a sleep always moves it on.
bool HeadlessPlatform::waitMessageFor(Message& out, std::uint32_t timeout) {
  if (takeDue(out)) return true;
  std::uint64_t until = milliseconds_ + std::max<std::uint32_t>(timeout, 1);
  if (const std::optional<std::uint64_t> due = player_.nextDue()) {
    until = std::min(until, std::max(milliseconds_ + 1, FirstMillisecondOf(*due)));
  }
  moveClockTo(until);
  return takeDue(out);
}

void HeadlessPlatform::waitMessage(Message& out) {
  while (!takeDue(out)) {
    const std::optional<std::uint64_t> due = player_.nextDue();
    if (!due) {
      // Nothing will ever come: a paused run would otherwise never end.
      note("the input script is over while the runtime waits: closing");
      out = Message{};
      out.kind = MessageKind::kCloseRequest;
      return;
    }
    // Nothing is due now, so the next step lies ahead; the clock always moves on.
    moveClockTo(std::max(milliseconds_ + 1, FirstMillisecondOf(*due)));
  }
}

// Moves the clock on to `until`, playing the sound of the time passed. Each buffer that ends on
// the way finishes with the clock at the millisecond its last frame is heard.
void HeadlessPlatform::moveClockTo(std::uint64_t until) {
  for (std::optional<std::uint64_t> end = audio_.nextFinish(); end && *end < until;
       end = audio_.nextFinish()) {
    milliseconds_ = std::max(milliseconds_, *end);
    audio_.advanceTo(milliseconds_);
  }
  milliseconds_ = until;
  audio_.advanceTo(milliseconds_);
}

// The next message due now, carrying out the platform's own actions on the way.
bool HeadlessPlatform::takeDue(Message& out) {
  if (!windowMessages_.empty()) {
    deliver(windowMessages_.front(), out);
    windowMessages_.pop_front();
    return true;
  }
  while (std::optional<InputPlayer::Step> step = player_.next(ticks())) {
    if (step->message) {
      deliver(*step->message, out);
      return true;
    }
    carryOut(*step->action);
  }
  return false;
}

// Hands a message to the runtime, updating the input state as the message says.
void HeadlessPlatform::deliver(const Message& message, Message& out) {
  switch (message.kind) {
    case MessageKind::kKeyDown:
      heldKeys_.set(static_cast<std::size_t>(message.key));
      modifiers_ = message.modifiers;
      break;
    case MessageKind::kKeyUp:
      heldKeys_.reset(static_cast<std::size_t>(message.key));
      modifiers_ = {};
      break;
    case MessageKind::kButtonDown:
      button_ = true;
      mouse_ = message.where;
      modifiers_ = message.modifiers;
      break;
    case MessageKind::kButtonUp:
      button_ = false;
      mouse_ = message.where;
      modifiers_ = {};
      break;
    case MessageKind::kMouseMove: mouse_ = message.where; break;
    default: break;
  }
  out = message;
}

// Carries out a script action that is not a message.
void HeadlessPlatform::carryOut(const InputAction& action) {
  switch (action.kind) {
    case ActionKind::kAnswer: answers_.push_back(action.answer); break;
    case ActionKind::kChoose: choices_.push_back(action.text); break;
    case ActionKind::kScreenshot: {
      const std::string where = "line " + std::to_string(action.line) + ": ";
      if (const std::optional<std::string> error = writeCanvas(action.text)) {
        logError(where + "cannot write the screenshot " + *error);
      } else {
        note(where + "screenshot " + action.text);
      }
      break;
    }
    default: break;
  }
}

void HeadlessPlatform::setPalette(const Palette& palette) {
  palette_ = palette;
  wholeCanvasDue_ = true;
}

void HeadlessPlatform::present(const std::uint8_t* canvas, int rowBytes,
                               std::span<const Rect> dirty) {
  if (canvas == nullptr || rowBytes < kCanvasWidth) {
    logError("present of a canvas with rows of " + std::to_string(rowBytes) + " bytes ignored");
    return;
  }
  ++presents_;
  if (wholeCanvasDue_) {
    // A new palette changes every pixel's colour, so the window shows the whole canvas anew.
    const Rect whole{0, 0, kCanvasHeight, kCanvasWidth};
    CopyRect(canvas, rowBytes, whole, canvas_);
    LogPresent(std::span(&whole, 1));
    wholeCanvasDue_ = false;
    return;
  }
  for (const Rect& rect : dirty) CopyRect(canvas, rowBytes, rect, canvas_);
  LogPresent(dirty);
}

std::optional<std::string> HeadlessPlatform::saveScreenshot(const std::string& path) {
  return writeCanvas(path);
}

// Writes the kept canvas with its palette as a PNG file; the error message on failure.
std::optional<std::string> HeadlessPlatform::writeCanvas(const std::string& path) const {
  IndexedImage image;
  image.width = kCanvasWidth;
  image.height = kCanvasHeight;
  image.pixels = canvas_;
  image.palette = palette_;
  return WritePng(path, image);
}

std::optional<std::uint8_t> HeadlessPlatform::canvasPixel(int h, int v) const {
  if (h < 0 || h >= kCanvasWidth || v < 0 || v >= kCanvasHeight) return std::nullopt;
  return canvas_[static_cast<std::size_t>(v) * kCanvasWidth + static_cast<std::size_t>(h)];
}

void HeadlessPlatform::setCursor(const CursorImage* cursor) {
  if (cursor == nullptr) {
    cursor_.reset();
  } else {
    cursor_ = *cursor;
  }
}

// Carries out the platform's own actions that are due now, up to the first answer or the first
// message, which waits among the window's messages to be delivered in its turn.
void HeadlessPlatform::takeDueAnswers() {
  while (answers_.empty()) {
    const std::optional<InputPlayer::Step> step = player_.next(ticks());
    if (!step) return;
    if (step->message) {
      windowMessages_.push_back(*step->message);
      return;
    }
    carryOut(*step->action);
  }
}

std::optional<BoxAnswer> HeadlessPlatform::answerBox(const BoxRequest& request) {
  boxes_.push_back(request);
  takeDueAnswers();
  BoxAnswer answer = DefaultAnswer(request.buttons);
  std::string how;
  lastAnswerScripted_ = false;
  if (answers_.empty()) {
    how = " (no answer in the script: the default button)";
  } else if (!HasButton(request.buttons, answers_.front())) {
    how = " (the script's answer " + std::string(AnswerLabel(answers_.front())) +
          " is not one of its buttons: the default button)";
    answers_.pop_front();
  } else {
    answer = answers_.front();
    answers_.pop_front();
    lastAnswerScripted_ = true;
  }
  std::string choices;
  for (const BoxAnswer button : ButtonsOf(request.buttons))
    choices += std::string(choices.empty() ? "" : "/") + std::string(AnswerLabel(button));
  note("box [" + OneLine(request.caption) + "] \"" + OneLine(request.text) + "\" " + choices +
       " -> " + std::string(AnswerLabel(answer)) + how);
  return answer;
}

std::optional<std::string> HeadlessPlatform::answerFileDialog(const FileDialogRequest& request) {
  dialogs_.push_back(request);
  std::string path;
  std::string how;
  if (choices_.empty()) {
    how = " (no choice in the script)";
  } else {
    path = choices_.front();
    choices_.pop_front();
  }
  note("file dialog [" + OneLine(request.title) + "] " + request.pattern + " in '" +
       request.folder + "' -> " + (path.empty() ? std::string("cancel") : path) + how);
  return path;
}

PlayerControls HeadlessPlatform::playerControls() { return controls_; }

void HeadlessPlatform::setPlayerControls(const PlayerControls& controls) {
  if (controls == controls_) return;
  controls_ = controls;
  controls_.volumeLevel = std::clamp(controls.volumeLevel, kMinAudioLevel, kMaxAudioLevel);
  options_.fullscreen = controls_.fullscreen;
  options_.integerScale = controls_.integerScale;
  audio_.setPlayerLevel(controls_.muted ? kMinAudioLevel : controls_.volumeLevel);
  note(std::string("player controls: ") + (controls_.fullscreen ? "full screen" : "window") +
       ", scaling " + (controls_.integerScale ? "integer" : "fit") + ", sound level " +
       std::to_string(controls_.volumeLevel) + (controls_.muted ? ", muted" : ""));
}

Expected<std::string, std::string> HeadlessPlatform::saveScreenshotToPictures() {
  Expected<std::string, std::string> saved = SaveScreenshotToPicturesFolder(*this, kProgram);
  if (saved)
    note("screenshot into the pictures folder: " + saved.value());
  else
    logError("cannot save the screenshot into the pictures folder: " + saved.error());
  return saved;
}

void HeadlessPlatform::tellMenu(const MenuNote& menu) {
  note("menu " + OneLine(DescribeMenu(menu)));
}

std::unique_ptr<SharedLibrary> HeadlessPlatform::loadLibrary(const std::string& path) {
  return LoadSharedLibrary(path);
}

std::unique_ptr<AudioStream> HeadlessPlatform::openAudio(const AudioFormat& format,
                                                         AudioStream::Finished finished,
                                                         std::string& error) {
  return audio_.open(format, std::move(finished), milliseconds_, error);
}

void HeadlessPlatform::note(const std::string& text) const { writeLog(kNotePrefix, text); }

void HeadlessPlatform::logError(const std::string& text) const { writeLog(kErrorPrefix, text); }

void HeadlessPlatform::writeLog(std::string_view prefix, const std::string& text) const {
  if (log_ == nullptr) return;
  std::fprintf(log_, "%.*s%s\n", static_cast<int>(prefix.size()), prefix.data(), text.c_str());
  std::fflush(log_);
}

Expected<std::unique_ptr<HeadlessPlatform>, std::string> MakeHeadlessPlatform(
    const std::string& scriptPath, FontRenderer& fonts, std::FILE* log) {
  Expected<InputScript, std::string> script = ReadInputScript(scriptPath);
  if (!script) return Unexpected(script.error());
  return std::make_unique<HeadlessPlatform>(std::move(script.value()), fonts, log);
}

}  // namespace lw::platform

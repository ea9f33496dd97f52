#include "runtime/message_box_window.h"

#include "runtime/error_lines.h"
#include "script/console.h"
#include "shell/drawing/rect_ops.h"

namespace lw {
namespace {

constexpr std::uint8_t kReturn = 13;
constexpr std::uint8_t kBackspace = 8;

constexpr int kInputTextSize = 12;
constexpr Point kInputBaseline{15, 13};  // vertical first
constexpr int kOutputTextSize = 9;
constexpr Point kOutputBaseline{33, 13};
constexpr Point kRuleStart{21, 12};
constexpr Point kRuleEnd{21, 424};
constexpr std::uint8_t kRuleColour = 1;

}  // namespace

Rect MessageBoxBounds(const Rect& screen) {
  const int left = screen.left + (screen.width() - MessageBoxWindow::kWidth) / 2;
  return Rect{Coord16(screen.bottom - MessageBoxWindow::kTopAboveBottom), Coord16(left),
              Coord16(screen.bottom - MessageBoxWindow::kBottomAboveBottom),
              Coord16(left + MessageBoxWindow::kWidth)};
}

void MessageBoxWindow::attach(RuntimeWindow& window) {
  if (made_) {
    s_.errors.ReportError(kRuntimeProgramCode, errline::kMessageBoxMadeTwice);
    return;
  }
  made_ = true;
  window_ = &window;
  window.record.kind = window_kind::kMessageBox;
  drawingDepth_ = 0;
  place();
}

void MessageBoxWindow::handle(const WindowMessage& message) {
  using namespace window_message;
  if (window_ == nullptr) return;
  switch (message.code) {
    case kDraw: redraw(); break;
    case kKey: type(static_cast<std::uint8_t>(message.value)); break;
    case kClose: close(); break;
    case kBeginDrawing: beginDrawing(); break;
    case kEndDrawing: endDrawing(); break;
    case kRecentre: place(); break;
    default: break;  // codes the message box does not take
  }
}

void MessageBoxWindow::RedrawWhereCovered(std::span<const Rect> covered) {
  if (!shown()) return;
  for (const Rect& r : covered) {
    Rect common;
    if (SectRect(r, window_->bounds, common)) {
      redraw();
      return;
    }
  }
}

void MessageBoxWindow::show() {
  if (window_ == nullptr) return;
  s_.windows.ShowRuntimeWindow(*window_);  // posts the update that draws it
  s_.windows.setFrontWindow(window_);
}

void MessageBoxWindow::hide() {
  if (window_ == nullptr) return;
  s_.windows.HideRuntimeWindow(*window_);  // posts the updates of what lies beneath
  s_.windows.setFrontWindow(s_.windows.mainWindow());
}

void MessageBoxWindow::toggle() {
  if (shown()) {
    hide();
  } else {
    show();
  }
}

void MessageBoxWindow::setOutput(std::string_view text) {
  output_ = PString::truncated(text);
  redraw();
}

void MessageBoxWindow::place() {
  s_.windows.SetWindowBounds(MessageBoxBounds(s_.screen.rect()), *window_);
}

// Return runs the line, Backspace takes its last character back, anything else is added while
// the line has room; the box shows the change at once.
void MessageBoxWindow::type(std::uint8_t character) {
  if (character == kReturn) {
    runInput();
  } else if (character == kBackspace) {
    if (!input_.empty()) input_ = PString::truncated(input_.view().substr(0, input_.size() - 1));
  } else if (input_.size() < PString::kCapacity) {
    const char typed = static_cast<char>(character);
    input_.append(std::string_view(&typed, 1));
  }
  redraw();
}

// The outcome of the input line replaces the output line, and the input line starts again.
void MessageBoxWindow::runInput() {
  if (const std::optional<std::string> outcome = runLine(input_.view())) {
    output_ = PString::truncated(*outcome);
  }
  input_.clear();
}

std::optional<std::string> MessageBoxWindow::RunScriptedLine(std::string_view line) {
  std::optional<std::string> outcome = runLine(line);
  if (outcome) setOutput(*outcome);
  return outcome;
}

std::optional<std::string> MessageBoxWindow::runLine(std::string_view line) {
  Interpreter* in = s_.interpreter ? s_.interpreter() : nullptr;
  if (in == nullptr) return std::nullopt;
  return RunConsoleLine(*in, line);
}

void MessageBoxWindow::close() {
  s_.windows.DestroyRuntimeWindow(*window_);
  window_ = nullptr;
}

void MessageBoxWindow::beginDrawing() {
  if (drawingDepth_++ == 0) previousPort_ = &s_.graphics.currentPort();
  s_.graphics.SetPort(window_->port);
}

void MessageBoxWindow::endDrawing() {
  if (drawingDepth_ == 0) {
    s_.errors.ReportError(kRuntimeProgramCode, errline::kMessageBoxEndDrawingWithoutBegin);
    return;
  }
  if (--drawingDepth_ == 0 && previousPort_ != nullptr) {
    s_.graphics.SetPort(*previousPort_);
    previousPort_ = nullptr;
  }
}

void MessageBoxWindow::redraw() {
  if (!shown()) return;
  beginDrawing();
  draw();
  endDrawing();
}

// Erased to white, the input line, the rule beneath it, the output line.
void MessageBoxWindow::draw() {
  Graphics& g = s_.graphics;
  g.PenNormal();  // black on white, one-pixel pen
  g.PaintPortRect(Graphics::GetPortRect(window_->port));
  drawText(input_.view(), kInputTextSize, kInputBaseline);
  g.SetForeColor(kRuleColour);
  g.MoveTo(kRuleStart.h, kRuleStart.v);
  g.LineTo(kRuleEnd.h, kRuleEnd.v);
  g.SetForeColor(Port::kBlack);
  drawText(output_.view(), kOutputTextSize, kOutputBaseline);
}

void MessageBoxWindow::drawText(std::string_view text, int size, Point baseline) {
  s_.graphics.SetTextSize(size);
  s_.graphics.MoveTo(baseline.h, baseline.v);
  s_.graphics.DrawString(text);
}

}  // namespace lw

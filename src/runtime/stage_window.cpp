#include "runtime/stage_window.h"

#include <array>

#include "common/log.h"
#include "runtime/error_lines.h"
#include "runtime/handler_calls.h"
#include "runtime/message_box_window.h"
#include "script/error_codes.h"
#include "script/handler_call.h"

namespace lw {

Point StageOrigin(const Rect& screen) {
  const int width = screen.width();
  const int height = screen.height();
  return PointAt(screen.top + (kStageHeight - height) / 2, screen.left + (kStageWidth - width) / 2);
}

Point StageWindow::stageMouse() const {
  Point p = s_.windows.GetMouse(window_);
  p.h = Coord16(p.h - window_->port.originH + origin_.h);
  p.v = Coord16(p.v - window_->port.originV + origin_.v);
  return p;
}

Point StageWindow::stagePoint(Point screen) const {
  return PointAt(screen.v - window_->bounds.top + origin_.v,
                 screen.h - window_->bounds.left + origin_.h);
}

void StageWindow::attach(RuntimeWindow& window) {
  window_ = &window;
  window.record.kind = window_kind::kStage;
  drawingDepth_ = 0;
}

void StageWindow::makePortCurrent() {
  if (window_ != nullptr) s_.graphics.SetPort(window_->port);
}

void StageWindow::centre() { origin_ = StageOrigin(s_.screen.rect()); }

void StageWindow::handle(const WindowMessage& message) {
  using namespace window_message;
  if (window_ == nullptr) return;
  switch (message.code) {
    case kClick: click(message.value); break;
    case kDraw: draw(); break;
    case kKey: runUnlessErrorPending(KeyDownCall(static_cast<std::uint8_t>(message.value))); break;
    case kClose: close(); break;
    case kBeginDrawing: beginDrawing(); break;
    case kEndDrawing: endDrawing(); break;
    case kSetBounds:
      if (message.rect != nullptr) s_.windows.SetWindowBounds(*message.rect, *window_);
      break;
    case kNullTick: nullTick(); break;
    case kLoopPass: loopPass(); break;
    case kMenuState: runUnlessErrorPending(menuStateCall_); break;
    case kMenuSelect: menuSelect(message.item); break;
    case kKeyRepeat:
      runUnlessErrorPending(KeyRepeatCall(static_cast<std::uint8_t>(message.value)));
      break;
    case kRecentre: {
      centre();
      const Rect screen = s_.screen.rect();
      handle(WindowMessage(kSetBounds, screen));
      break;
    }
    default: break;  // codes the stage window does not take
  }
}

// The pass of the stage window: the pass's housekeeping clears any failure of the last pass,
// then boot() (first pass only, even when a failure is pending) and idle().
void StageWindow::loopPass() {
  s_.interpreter.beginPass();
  s_.compositor.ResetSuppress();
  s_.scripts.TrimCompiledScripts();
  beginDrawing();
  if (!bootDone_) {
    runCall(bootCall_);
    bootDone_ = true;
  }
  if (!s_.interpreter.errorPending()) runCall(idleCall_);
  endDrawing();
}

// A click at a point of the window: the title hears it in stage coordinates.
void StageWindow::click(std::int32_t packed) {
  const Point local = UnpackPoint(packed);
  const Point stage = PointAt(local.v + origin_.v, local.h + origin_.h);
  runUnlessErrorPending(MouseDownCall(PackPoint(stage)));
}

// Fills the four strips of the window around the stage with the port's pattern, and has the
// next frame composed whole: the stage itself belongs to the composition.
void StageWindow::draw() {
  Port& port = window_->port;
  s_.graphics.SetPort(port);
  const int width = window_->bounds.width();
  const int height = window_->bounds.height();
  const int stageTop = -origin_.v;
  const int stageLeft = -origin_.h;
  const int stageBottom = stageTop + kStageHeight;
  const int stageRight = stageLeft + kStageWidth;
  const auto rect = [&port](int top, int left, int bottom, int right) {
    return Rect{Coord16(top), Coord16(left), Coord16(bottom), Coord16(right)}.offset(port.originV,
                                                                                     port.originH);
  };
  const std::array<Rect, 4> strips = {
      rect(0, 0, stageTop, width),                     // above
      rect(stageBottom, 0, height, width),             // below
      rect(stageTop, 0, stageBottom, stageLeft),       // left
      rect(stageTop, stageRight, stageBottom, width),  // right
  };
  for (const Rect& strip : strips) {
    if (!strip.empty()) s_.graphics.FillPatternRect(strip);
  }
  s_.compositor.RequestRedraw(RedrawLevel::kScreen);
}

// Closes the title's files (the boot file with its own report) and the window.
void StageWindow::close() {
  if (bootFile_ != nullptr) {
    if (Failed(s_.library.StarClose(*bootFile_))) {
      s_.errors.ReportError(kRuntimeProgramCode, errline::kBootFileClose);
    }
    bootFile_ = nullptr;
  }
  // The run is ending: a file that does not close cleanly has nothing left to tell its holders.
  (void)s_.library.StarCloseAll();
  s_.windows.DestroyRuntimeWindow(*window_);
  window_ = nullptr;
}

void StageWindow::beginDrawing() {
  s_.graphics.SetPort(window_->port);
  if (drawingDepth_++ == 0) Graphics::SetOrigin(window_->port, origin_.h, origin_.v);
}

void StageWindow::endDrawing() {
  if (drawingDepth_ == 0) {
    s_.errors.ReportError(kRuntimeProgramCode, errline::kEndDrawingWithoutBegin);
    return;
  }
  if (--drawingDepth_ == 0) Graphics::SetOrigin(window_->port, 0, 0);
}

// The title decides what a menu item does. A title that cannot hear menu items (no system
// script, or one without menuselect()) would leave the player no way out but closing the window,
// so there the quit item quits.
void StageWindow::menuSelect(std::string_view item) {
  runUnlessErrorPending(MenuSelectCall(item));
  if (item == kQuitItem && !systemScriptHas(kMenuSelectHandler)) s_.windows.requestQuit();
}

bool StageWindow::systemScriptHas(std::string_view handler) {
  const SystemScriptHold hold(s_.host);
  return hold.script() != nullptr && HasHandler(*hold.script(), handler);
}

// A null tick is the composition's idle step, while the player does nothing.
void StageWindow::nullTick() {
  beginDrawing();
  ++nullTicks_;
  s_.compositor.IdleStep();
  endDrawing();
}

void StageWindow::runUnlessErrorPending(std::string_view text) {
  if (s_.interpreter.errorPending()) return;
  beginDrawing();
  runCall(text);
  endDrawing();
}

void StageWindow::runUnlessErrorPending(FixedHandlerCall& call) {
  if (s_.interpreter.errorPending()) return;
  beginDrawing();
  runCall(call);
  endDrawing();
}

void StageWindow::runCall(std::string_view text) {
  trace(text);
  logFailure(text, RunHandlerCall(s_.interpreter, s_.host, text));
}

void StageWindow::runCall(FixedHandlerCall& call) {
  trace(call.text());
  logFailure(call.text(), call.run(s_.interpreter, s_.host));
}

// idle() runs on every pass: the trace leaves it out.
void StageWindow::trace(std::string_view text) {
  if (s_.trace && text != kIdleCall) s_.trace(text);
}

// The interpreter has latched the first failure of the pass and reported it; the title is not
// told of it.
void StageWindow::logFailure(std::string_view text, ScriptError error) {
  if (error != ScriptError::None) {
    const std::string_view why = ScriptErrorMessage(static_cast<int>(error));
    LW_LOG(kScript, "%.*s failed: %.*s", static_cast<int>(text.size()), text.data(),
           static_cast<int>(why.size()), why.data());
  }
}

void SendWindowMessage(StageWindow& stage, MessageBoxWindow& messageBox, const WindowRecord& record,
                       const WindowMessage& message) {
  if (record.kind == window_kind::kStage) {
    stage.handle(message);
  } else if (record.kind == window_kind::kMessageBox) {
    messageBox.handle(message);
  }
}

}  // namespace lw

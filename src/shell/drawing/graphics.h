// The drawing primitives, in software on 8-bit surfaces: all of them draw on the current port,
// take rectangles in top, left, bottom, right order and coordinates in port coordinates (the
// port's drawing origin is subtracted), clip to the port's bounds, and do nothing while the
// application is paused. Drawing on a window's port marks the screen canvas changed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "common/geometry.h"
#include "platform/platform.h"
#include "shell/drawing/screen.h"
#include "shell/drawing/surface.h"
#include "shell/error_report.h"

namespace lw {

namespace errline {
inline constexpr std::int16_t kCopyWindowToSurface = 411;
}  // namespace errline

class Graphics {
 public:
  // `paused` tells whether the application is paused (drawing then does nothing).
  Graphics(Screen& screen, platform::FontRenderer& fonts, ErrorReporter& errors,
           std::function<bool()> paused);

  // Makes `port` the current port; every primitive below draws on it. The port is used in
  // place, so changes made through the primitives stay with it.
  void SetPort(Port& port);
  [[nodiscard]] Port& currentPort() { return *current_; }

  // Resets a port to the initial drawing state, keeping what it draws on.
  static void InitPort(Port& port);
  // The rectangle of a port in its own coordinates: the window's client area, or the surface.
  [[nodiscard]] static Rect GetPortRect(const Port& port);
  static void SetOrigin(Port& port, int h, int v);

  void SetForeColor(std::uint8_t index);
  void SetBackColor(std::uint8_t index);
  void SetPenWidth(int width);
  // 0 copy, 1 exclusive-or; other values are only stored.
  void SetPenMode(int mode);
  void SetPattern(const std::array<std::uint8_t, 8>& pattern);
  void PenNormal();
  void SetTextFont(int number);
  void SetTextSize(int size);
  void MoveTo(int h, int v);
  // A line from the pen position to (h, v) drawn with a square pen of the pen width; the pen
  // moves there.
  void LineTo(int h, int v);

  void PaintPortRect(const Rect& r);     // fill with the background colour
  void FillPatternRect(const Rect& r);   // fill with the pattern, aligned to r's corner
  void FramePortRect(const Rect& r);     // outline of the pen width inside r
  void FramePortRectDim(const Rect& r);  // the frame in every other pixel, then PenNormal
  // Draws at the pen position (the baseline), background transparent, and advances the pen.
  void DrawString(std::string_view text);
  [[nodiscard]] int StringWidth(std::string_view text);

  // Copies pixels between ports (surface to surface, surface to window, window to window); a
  // block the size of `to` taken from `from`'s top-left corner, clipped to both ports.
  void CopyBits(const Port& source, Port& destination, const Rect& from, const Rect& to);

  // The character a text shows: below 32 or above 122 become a space, 213 an apostrophe.
  [[nodiscard]] static char DisplayCharacter(std::uint8_t c);

 private:
  Screen& screen_;
  platform::FontRenderer& fonts_;
  ErrorReporter& errors_;
  std::function<bool()> paused_;
  Port* current_ = nullptr;
};

}  // namespace lw

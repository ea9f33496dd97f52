#include "shell/dialogs/dialog_canvas.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "shell/drawing/rect_ops.h"

namespace lw {
namespace {

// Perceived brightness of a colour, in thousandths of a channel step (0 .. 255000).
constexpr int kRedWeight = 299;
constexpr int kGreenWeight = 587;
constexpr int kBlueWeight = 114;
constexpr int kWeightTotal = kRedWeight + kGreenWeight + kBlueWeight;
// Ink and paper at least this far apart (100 of 255 steps) can be read.
constexpr int kReadableContrast = 100 * kWeightTotal;

constexpr std::uint8_t kBlackIndex = 0;
constexpr std::uint8_t kWhiteIndex = 255;
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

constexpr int kArialFontNumber = 0;
constexpr std::string_view kEllipsis = "...";

// Ticks are 60ths of a second: milliseconds x 3 / 50.
constexpr std::uint64_t kTicksPerUnit = 3;
constexpr std::uint64_t kMillisecondsPerUnit = 50;

int Brightness(const Rgb& colour) {
  return kRedWeight * colour.red + kGreenWeight * colour.green + kBlueWeight * colour.blue;
}

}  // namespace

DialogColours PickDialogColours(const Palette& palette) {
  DialogColours colours;
  for (std::size_t i = 1; i < palette.size(); ++i) {
    const int brightness = Brightness(palette[i]);
    if (brightness < Brightness(palette[colours.ink])) colours.ink = static_cast<std::uint8_t>(i);
    if (brightness > Brightness(palette[colours.paper]))
      colours.paper = static_cast<std::uint8_t>(i);
  }
  return colours;
}

bool Readable(const Palette& palette, DialogColours colours) {
  return Brightness(palette[colours.paper]) - Brightness(palette[colours.ink]) >= kReadableContrast;
}

DialogSession::DialogSession(Screen& screen, const Rect& area) : screen_(screen) {
  SectRect(area, screen.rect(), area_);
  const Surface& canvas = screen.canvas();
  const auto width = static_cast<std::size_t>(area_.width());
  saved_.reserve(width * static_cast<std::size_t>(area_.height()));
  for (int y = area_.top; y < area_.bottom; ++y)
    saved_.insert(saved_.end(), canvas.row(y) + area_.left, canvas.row(y) + area_.right);

  colours_ = PickDialogColours(screen.palette());
  if (!Readable(screen.palette(), colours_)) {
    replaced_ = screen.palette();
    Palette readable = *replaced_;
    readable[kBlackIndex] = kBlack;
    readable[kWhiteIndex] = kWhite;
    screen.setPalette(readable);
    colours_ = DialogColours{kBlackIndex, kWhiteIndex};
  }
}

DialogSession::~DialogSession() {
  Surface& canvas = screen_.canvas();
  const auto width = static_cast<std::size_t>(area_.width());
  const std::uint8_t* from = saved_.data();
  for (int y = area_.top; y < area_.bottom; ++y, from += width)
    std::memcpy(canvas.row(y) + area_.left, from, width);
  screen_.markDirty(area_);
  if (replaced_) screen_.setPalette(*replaced_);
  screen_.present();
}

DialogCanvas::DialogCanvas(platform::Platform& platform, Screen& screen, ErrorReporter& errors)
    : platform_(platform),
      screen_(screen),
      graphics_(screen, platform.fonts(), errors, [] { return false; }) {
  port_.surface = &screen.canvas();
  setClip(screen.rect());
}

void DialogCanvas::notifyClose() {
  ++closeRequests_;
  if (onClose_) onClose_();
}

DialogCanvas::Scope::Scope(DialogCanvas& canvas) : canvas_(canvas) {
  if (canvas_.depth_++ == 0 && canvas_.hooks_.before) canvas_.hooks_.before();
}

DialogCanvas::Scope::~Scope() {
  if (--canvas_.depth_ == 0 && canvas_.hooks_.after) canvas_.hooks_.after();
}

// The port draws within `clip`, with port coordinates equal to canvas coordinates.
void DialogCanvas::setClip(const Rect& clip) {
  port_.bounds = clip;
  Graphics::SetOrigin(port_, clip.left, clip.top);
  graphics_.SetPort(port_);
}

void DialogCanvas::usePen(std::uint8_t colour, int penWidth) {
  graphics_.PenNormal();
  graphics_.SetForeColor(colour);
  graphics_.SetPenWidth(penWidth);
}

void DialogCanvas::fill(const Rect& r, std::uint8_t colour) {
  graphics_.SetBackColor(colour);
  graphics_.PaintPortRect(r);
}

void DialogCanvas::frame(const Rect& r, std::uint8_t colour, int penWidth) {
  usePen(colour, penWidth);
  graphics_.FramePortRect(r);
}

void DialogCanvas::dottedFrame(const Rect& r, std::uint8_t colour) {
  usePen(colour, 1);
  graphics_.FramePortRectDim(r);
}

void DialogCanvas::line(Point from, Point to, std::uint8_t colour, int penWidth) {
  usePen(colour, penWidth);
  graphics_.MoveTo(from.h, from.v);
  graphics_.LineTo(to.h, to.v);
}

void DialogCanvas::text(int h, int baseline, std::string_view s, std::uint8_t colour, int size) {
  usePen(colour, 1);
  graphics_.SetTextFont(kArialFontNumber);
  graphics_.SetTextSize(size);
  graphics_.MoveTo(h, baseline);
  graphics_.DrawString(s);
}

int DialogCanvas::textWidth(std::string_view s, int size) {
  graphics_.SetTextFont(kArialFontNumber);
  graphics_.SetTextSize(size);
  return graphics_.StringWidth(s);
}

std::string DialogCanvas::fitText(std::string_view s, int width, bool keepEnd) {
  if (textWidth(s) <= width) return std::string(s);
  // The longest part of `s` that fits with the ellipsis: binary search on its length.
  auto shortened = [&](std::size_t keep) {
    return keepEnd ? std::string(kEllipsis).append(s.substr(s.size() - keep))
                   : std::string(s.substr(0, keep)).append(kEllipsis);
  };
  std::size_t low = 0;
  std::size_t high = s.size();
  while (low < high) {
    const std::size_t middle = (low + high + 1) / 2;
    if (textWidth(shortened(middle)) <= width)
      low = middle;
    else
      high = middle - 1;
  }
  return shortened(low);
}

platform::Message DialogCanvas::nextMessage() {
  screen_.present();
  platform::Message message;
  platform_.waitMessage(message);
  if (message.kind == platform::MessageKind::kPaint ||
      message.kind == platform::MessageKind::kDisplayChanged)
    screen_.markDirty(screen_.rect());
  return message;
}

std::uint32_t DialogCanvas::ticks() {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(platform_.milliseconds()) *
                                    kTicksPerUnit / kMillisecondsPerUnit);
}

std::optional<int> PressTracker::feed(const platform::Message& message, int under) {
  if (message.button != platform::MouseButton::kLeft) return std::nullopt;
  if (message.kind == platform::MessageKind::kButtonDown) {
    pressed = under;
  } else if (message.kind == platform::MessageKind::kButtonUp) {
    const int was = pressed;
    pressed = -1;
    if (was >= 0 && was == under) return was;
  }
  return std::nullopt;
}

}  // namespace lw

#include "platform/sdl/sdl_cursors.h"

#include <algorithm>

#include "common/log.h"
#include "platform/sdl/sdl_handles.h"

namespace lw::platform {
namespace {

constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kClear = 0x00000000;
constexpr int kBitsPerPixel = 32;
constexpr int kBytesPerPixel = 4;

using Pixel = CursorImage::Pixel;

bool SamePicture(const CursorImage& a, const CursorImage& b) {
  return a.width == b.width && a.height == b.height && a.hotSpot.v == b.hotSpot.v &&
         a.hotSpot.h == b.hotSpot.h && a.pixels == b.pixels;
}

// True when a pixel of the picture is inverting; outside the picture counts as not.
bool InvertsAt(const CursorImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return false;
  return image.pixels[static_cast<std::size_t>(y) * image.width + x] == Pixel::kInvert;
}

// True when one of the eight neighbours of a (transparent) pixel is inverting.
bool NextToInverting(const CursorImage& image, int x, int y) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (InvertsAt(image, x + dx, y + dy)) return true;
    }
  }
  return false;
}

std::uint32_t ColourOf(const CursorImage& image, int x, int y) {
  switch (image.pixels[static_cast<std::size_t>(y) * image.width + x]) {
    case Pixel::kBlack:
    case Pixel::kInvert: return kBlack;
    case Pixel::kWhite: return kWhite;
    case Pixel::kTransparent: return NextToInverting(image, x, y) ? kWhite : kClear;
  }
  return kClear;
}

}  // namespace

bool IsUsableCursor(const CursorImage& image) {
  return image.width > 0 && image.height > 0 && image.width <= kMaxCursorSide &&
         image.height <= kMaxCursorSide &&
         image.pixels.size() == static_cast<std::size_t>(image.width) * image.height;
}

std::vector<std::uint32_t> CursorPixels(const CursorImage& image) {
  std::vector<std::uint32_t> argb;
  if (!IsUsableCursor(image)) return argb;
  argb.reserve(image.pixels.size());
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) argb.push_back(ColourOf(image, x, y));
  }
  return argb;
}

int CanvasScale(int width, int height) {
  return std::max(1, std::min(width / kCanvasWidth, height / kCanvasHeight));
}

std::vector<std::uint32_t> ScalePixels(std::span<const std::uint32_t> pixels, int width, int height,
                                       int scale) {
  std::vector<std::uint32_t> scaled;
  if (width <= 0 || height <= 0 || scale <= 0 ||
      pixels.size() != static_cast<std::size_t>(width) * height) {
    return scaled;
  }
  scaled.reserve(pixels.size() * scale * scale);
  for (int y = 0; y < height * scale; ++y) {
    const auto row = pixels.subspan(static_cast<std::size_t>(y / scale) * width, width);
    for (int x = 0; x < width * scale; ++x) scaled.push_back(row[x / scale]);
  }
  return scaled;
}

int CursorScale(int width, int height, int scale) {
  const int largest = kMaxCursorSide / std::max({width, height, 1});
  return std::clamp(scale, 1, std::max(largest, 1));
}

void CursorCache::show(const CursorImage* image) {
  shown_ = image;
  SDL_Cursor* cursor = image != nullptr ? cursorFor(image, *image) : nullptr;
  if (cursor == nullptr) cursor = arrow();
  if (cursor != nullptr) SDL_SetCursor(cursor);
}

// Every cursor is made again at the new scale; the one shown is made from the copy kept of its
// picture, as the runtime's own may have changed since.
void CursorCache::setScale(int scale) {
  if (scale == scale_) return;
  scale_ = scale;
  const auto shown = cursors_.find(shown_);
  std::optional<CursorImage> picture;
  if (shown != cursors_.end()) picture = std::move(shown->second.picture);
  // Make the new cursor before the old ones go, so that SDL never shows a freed one.
  SDL_Cursor* cursor = nullptr;
  std::unordered_map<const CursorImage*, Entry> old;
  old.swap(cursors_);
  if (picture) cursor = cursorFor(shown_, *picture);
  if (cursor != nullptr) SDL_SetCursor(cursor);
}

// The cursor made from a picture (made on first use) under `key`, the runtime's address of it;
// null when it cannot be made.
SDL_Cursor* CursorCache::cursorFor(const CursorImage* key, const CursorImage& image) {
  const auto found = cursors_.find(key);
  if (found != cursors_.end() && SamePicture(found->second.picture, image)) {
    return found->second.cursor.get();
  }
  Entry entry{image, nullptr};
  if (!IsUsableCursor(image)) {
    LW_LOG(kPresent, "cursor: a %d x %d picture with %zu pixels cannot be a cursor", image.width,
           image.height, image.pixels.size());
  } else {
    const int scale = CursorScale(image.width, image.height, scale_);
    const int width = image.width * scale;
    const int height = image.height * scale;
    std::vector<std::uint32_t> argb =
        ScalePixels(CursorPixels(image), image.width, image.height, scale);
    SdlSurfaceHandle surface{
        SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), width, height, kBitsPerPixel,
                                           width * kBytesPerPixel, SDL_PIXELFORMAT_ARGB8888)};
    if (surface) {
      // The hot spot is the top left of its pixel, scaled.
      const int hotX = std::clamp<int>(image.hotSpot.h, 0, image.width - 1) * scale;
      const int hotY = std::clamp<int>(image.hotSpot.v, 0, image.height - 1) * scale;
      entry.cursor.reset(SDL_CreateColorCursor(surface.get(), hotX, hotY));
    }
    if (!entry.cursor) LW_LOG(kPresent, "cursor: cannot make a cursor: %s", SDL_GetError());
  }
  // Freeing a replaced cursor that is shown puts SDL's default cursor up until show() runs.
  SDL_Cursor* made = entry.cursor.get();
  cursors_.insert_or_assign(key, std::move(entry));
  return made;
}

// The system arrow, made on first use.
SDL_Cursor* CursorCache::arrow() {
  if (!arrow_) arrow_.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
  return arrow_ ? arrow_.get() : SDL_GetDefaultCursor();
}

}  // namespace lw::platform

// The scene view's own layer of the screen composition: the background picture of the view an
// open set shows (512 x 264, laid out with the screen's row length), the bytes a view picture
// record keeps behind its frame, and whether the view is shown at all. The view lies over the
// top of the stage: on a 640 x 480 screen, rows 48 to 311 and columns 64 to 575.
//
// A view picture is a frame record. Decoding it (DecodeViewBackground):
//   - the record is got from the set's star file (fatal site 5116 when it cannot be);
//   - the frame is decoded into a copy of the background, which replaces it only when the whole
//     frame decoded, so a damaged picture leaves the last view standing (reported at 5119);
//   - the bytes behind the frame are kept (trailingBytes) for the object kinds that read them;
//   - the record is released (fatal site 5117).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/geometry.h"
#include "media/fatal_site.h"
#include "media/scene_view.h"
#include "media/star_library.h"
#include "shell/drawing/surface.h"

namespace lw {

inline constexpr std::int16_t kSiteGetViewPicture = 5116;
inline constexpr std::int16_t kSiteReleaseViewPicture = 5117;
inline constexpr std::int16_t kSiteDecodeViewPicture = 5119;

class SceneViewLayer {
 public:
  // `rowBytes`: the screen buffer's row length; `origin`: the view's top-left on the screen.
  SceneViewLayer(int rowBytes, Point origin);

  [[nodiscard]] Surface& background() { return background_; }
  [[nodiscard]] const Surface& background() const { return background_; }
  // Where the view lies on the screen.
  [[nodiscard]] Rect rect() const { return rect_; }
  [[nodiscard]] bool shown() const { return shown_; }
  void setShown(bool shown) { shown_ = shown; }
  [[nodiscard]] std::span<const std::uint8_t> trailingBytes() const { return trailing_; }

  // Decodes picture `record` of `file` into the background (see above); the first fault, if any.
  FatalSite DecodeViewBackground(StarLibrary& library, StarFile& file, std::int32_t record);

 private:
  Surface background_;
  Rect rect_;
  bool shown_ = false;
  std::vector<std::uint8_t> trailing_;
};

}  // namespace lw

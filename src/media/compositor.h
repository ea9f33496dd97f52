// The screen composition of stage titles: what the window shows outside movies, built one frame
// at a time in an offscreen screen buffer of the window's size and copied to the window's
// canvas, changed rectangles only, at most once every frame interval.
//
// Buffers, all 8-bit palette indexes laid out with the screen buffer's row length:
//   BUFFER         SIZE         WHAT IT HOLDS
//   screen buffer  window size  the composed frame
//   backdrop       window size  what shows around the stage (colour 0, black)
//   stage layer    512 x 384    what the stage objects draw; it lies centred on the screen, so
//                               on a 640 x 480 screen stage point (0, 0) is screen (64, 48)
//   view background 512 x 264   the picture of an open set's scene view, over the top of the
//                               stage while the view is shown (scene_view_layer.h)
//
// A frame (ComposeFrame), in order:
//   1. both lists are cleared; the redraw level turns into a dirty rectangle (level 1 the view
//      rectangle: the scene view's while it is shown, else the stage's; level 2 the whole
//      screen) and falls back to 0;
//   2. the contributors add their display entries and dirty rectangles;
//   3. the display list is sorted by depth, largest first, equal depths in the order added;
//   4. overlapping dirty rectangles are merged;
//   5. each dirty rectangle is redrawn in the screen buffer: its part outside the stage from the
//      backdrop, its part inside the shown scene view from the view background, the rest of the
//      stage from the stage layer;
//   6. the entries that meet a dirty rectangle are flagged;
//   7. the flagged entries are drawn over the screen buffer in list order, each picture got
//      from its star file only while it is drawn: 2-D entries at their anchor over the whole
//      screen, view entries (while the scene view is shown) at their anchor moved by the view's
//      origin, scaled to their size, inside the view;
//   8. the frame waits until the frame interval has passed since the last frame's tick, and
//      notes the tick;
//   9. unless a caller suppresses it, every dirty rectangle is copied to the canvas and marked
//      changed there, and the copied hook hears them.
//
// Faults are logic errors (program code 110) reported through the error reporter, after which the
// frame goes on: a 200th dirty rectangle (line 5113; it is united with the last one, so it is
// still redrawn), a 100th display entry (line 5112; left out), buffers of different row
// lengths (line 602). A picture that cannot be got (line 5114), drawn (the sprite's own line) or
// released (line 5115) is reported with its own code. A failed flush of the idle step is
// reported at line 5118.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "common/geometry.h"
#include "media/dirty_rects.h"
#include "media/display_list.h"
#include "media/fatal_site.h"
#include "media/scene_view_layer.h"
#include "media/sprite.h"
#include "media/star_library.h"
#include "shell/drawing/screen.h"
#include "shell/drawing/surface.h"
#include "shell/error_report.h"

namespace lw {

class SpriteImage;

inline constexpr int kStageWidth = 512;
inline constexpr int kStageHeight = 384;
inline constexpr std::uint32_t kDefaultFrameInterval = 3;  // ticks: at most 20 frames a second

inline constexpr std::int16_t kSiteDisplayListFull = 5112;
inline constexpr std::int16_t kSiteDirtyListFull = 5113;
inline constexpr std::int16_t kSiteGetPicture = 5114;
inline constexpr std::int16_t kSiteReleasePicture = 5115;
inline constexpr std::int16_t kSiteIdleFlush = 5118;

// What the next frame redraws besides the dirty rectangles; a request only ever raises it.
enum class RedrawLevel : std::int16_t { kNone = 0, kView = 1, kScreen = 2 };

// The clock frames are paced by: the tick count, and a wait until it moves on (which keeps
// the window's messages flowing).
struct FrameClock {
  std::function<std::uint32_t()> tickCount;
  std::function<void()> waitNextTick;
};

struct CompositorParts {
  Screen& window;         // the canvas the window shows; its size is the screen's
  StarLibrary& library;   // the star files of the display entries' pictures
  ErrorReporter& errors;  // where faults are reported
  FrameClock clock;
  std::uint32_t frameInterval = kDefaultFrameInterval;
};

class Compositor {
 public:
  // Adds display entries and dirty rectangles to the frame being composed.
  using Contributor = std::function<void(Compositor&)>;
  // Hears the rectangles a frame has just copied to the canvas.
  using CopiedHook = std::function<void(std::span<const Rect>)>;

  explicit Compositor(CompositorParts parts);

  [[nodiscard]] Surface& stageLayer() { return stageLayer_; }
  [[nodiscard]] Surface& backdrop() { return backdrop_; }
  [[nodiscard]] const Surface& screenBuffer() const { return screenBuffer_; }
  [[nodiscard]] Rect screenRect() const { return screenBuffer_.rect(); }
  // Where the stage layer lies on the screen.
  [[nodiscard]] Rect stageRect() const { return stageRect_; }
  [[nodiscard]] SceneViewLayer& sceneView() { return sceneView_; }

  void RequestRedraw(RedrawLevel level);
  [[nodiscard]] RedrawLevel redrawLevel() const { return level_; }
  // The frame being composed redraws `r` too (screen coordinates). Fatal at the 200th.
  void AddDirtyRect(const Rect& r);
  // The frame being composed shows `entry` too. Fatal at the 100th.
  void AddDisplayEntry(const DisplayEntry& entry);

  void addContributor(Contributor contributor) { contributors_.push_back(std::move(contributor)); }
  void setCopiedHook(CopiedHook hook) { copiedHook_ = std::move(hook); }

  // One frame (see above).
  void ComposeFrame();
  // Waits until the frame interval has passed since the last frame, and notes the tick, as a
  // frame does (step 8): what stands in for a frame keeps its pace.
  void PaceFrame() { waitForFrameTime(); }
  // Draws `area` (stage coordinates) of `picture`, a picture of the whole stage, over the stage in
  // the screen buffer and copies it to the canvas as a frame's dirty rectangle is (step 9). What
  // covers the stage between frames (a puppet) shows this way.
  void ShowOverStage(const Surface& picture, const Rect& area);

  // While raised, frames are composed but not copied to the canvas (a visual effect shows the
  // composed picture its own way). Raises nest; a lower with none raised does nothing.
  void RaiseSuppress() { ++suppress_; }
  void LowerSuppress() { suppress_ = suppress_ > 0 ? suppress_ - 1 : 0; }
  [[nodiscard]] bool suppressed() const { return suppress_ > 0; }
  // Each main-loop pass starts unsuppressed, whatever a failed script left raised.
  void ResetSuppress() { suppress_ = 0; }

  // The owner word of the topmost picture that the last frame shows on an opaque pixel at `p`
  // (screen coordinates), if any: what the title's hit test finds under the mouse.
  [[nodiscard]] std::optional<std::uint32_t> OwnerAt(Point p);

  // The idle step of the main loop: the preload's work when it has some (the hook says whether
  // it did), else trimming and flushing the open star files (StarFlushAll).
  void IdleStep();
  void setPreloadHook(std::function<bool()> preload) { preload_ = std::move(preload); }

 private:
  void startFrame();
  void redrawBackground(const Rect& dirty);
  void redrawStage(const Rect& inside);
  void drawFlaggedEntries();
  void drawEntry(const DisplayEntry& entry);
  // Where an entry's picture is drawn on the screen, and the size of a view entry's.
  [[nodiscard]] Point screenAnchor(const DisplayEntry& entry) const;
  [[nodiscard]] const SpriteImage* decodedImage(StarFile& file, std::int32_t id,
                                                const RecordBlock& picture);
  [[nodiscard]] static SpriteSize viewSize(const DisplayEntry& entry);
  void waitForFrameTime();
  void copyToWindow();
  void report(FatalSite site);

  CompositorParts parts_;
  Surface screenBuffer_;
  Surface backdrop_;
  Surface stageLayer_;
  Rect stageRect_;
  SceneViewLayer sceneView_;
  RedrawLevel level_ = RedrawLevel::kNone;
  DirtyRects dirty_;
  DisplayList display_;
  std::vector<Contributor> contributors_;
  CopiedHook copiedHook_;
  std::function<bool()> preload_;
  std::optional<std::uint32_t> lastFrameTick_;
  int suppress_ = 0;
};

}  // namespace lw

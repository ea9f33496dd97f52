#include "media/compositor.h"

#include <array>

#include "media/buffer_copy.h"
#include "media/sprite.h"
#include "media/sprite_image.h"
#include "shell/drawing/rect_ops.h"
#include "shell/program_code.h"

namespace lw {
namespace {

// The stage's rectangle centred on a screen (integer division toward zero).
Rect CentredStage(const Rect& screen) {
  return MakeRect(screen.top + (screen.height() - kStageHeight) / 2,
                  screen.left + (screen.width() - kStageWidth) / 2, kStageHeight, kStageWidth);
}

// The parts of `area` around `hole` (which lies inside it): the rows above and below it across
// the whole width, and the columns left and right of it beside it. Some may be empty.
std::array<Rect, 4> PartsAround(const Rect& area, const Rect& hole) {
  return {
      Rect{area.top, area.left, hole.top, area.right},
      Rect{hole.bottom, area.left, area.bottom, area.right},
      Rect{hole.top, area.left, hole.bottom, hole.left},
      Rect{hole.top, hole.right, hole.bottom, area.right},
  };
}

// The screen buffer as the sprite drawer addresses it.
BitmapView ViewOf(Surface& surface) {
  return BitmapView{
      .memory = std::span(surface.data(),
                          static_cast<std::size_t>(surface.rowBytes()) * surface.height()),
      .row0 = 0,
      .stride = surface.rowBytes(),
      .width = surface.width(),
      .height = surface.height(),
  };
}

}  // namespace

Compositor::Compositor(CompositorParts parts)
    : parts_(std::move(parts)),
      screenBuffer_(parts_.window.rect().width(), parts_.window.rect().height()),
      backdrop_(screenBuffer_.width(), screenBuffer_.height(), screenBuffer_.rowBytes()),
      stageLayer_(kStageWidth, kStageHeight, screenBuffer_.rowBytes()),
      stageRect_(CentredStage(screenBuffer_.rect())),
      sceneView_(screenBuffer_.rowBytes(), PointAt(stageRect_.top, stageRect_.left)) {}

void Compositor::RequestRedraw(RedrawLevel level) {
  if (level > level_) level_ = level;
}

void Compositor::AddDirtyRect(const Rect& r) {
  if (!dirty_.add(r)) report(FatalSite{CodeNumber(ProgramCode::kLogic), kSiteDirtyListFull});
}

void Compositor::AddDisplayEntry(const DisplayEntry& entry) {
  if (!display_.add(entry)) {
    report(FatalSite{CodeNumber(ProgramCode::kLogic), kSiteDisplayListFull});
  }
}

void Compositor::ComposeFrame() {
  startFrame();
  for (const Contributor& contribute : contributors_) contribute(*this);
  display_.sortByDepth();
  dirty_.merge();
  for (const Rect& dirty : dirty_.rects()) redrawBackground(dirty);
  display_.flagMeeting(dirty_.rects());
  drawFlaggedEntries();
  waitForFrameTime();
  if (!suppressed()) copyToWindow();
}

void Compositor::ShowOverStage(const Surface& picture, const Rect& area) {
  Rect onScreen = area;
  OffsetRect(onScreen, stageRect_.left, stageRect_.top);
  Rect shown;
  if (!SectRect(onScreen, stageRect_, shown)) return;
  CopySurfaceRect(picture, PointAt(stageRect_.top, stageRect_.left), screenBuffer_, shown);
  if (suppressed()) return;
  report(CopyBufferRect(screenBuffer_, Point{}, parts_.window.canvas(), shown));
  parts_.window.markDirty(shown);
  if (copiedHook_) copiedHook_(std::span<const Rect>(&shown, 1));
}

void Compositor::IdleStep() {
  if (preload_ && preload_()) return;
  if (const ProgramCode flushed = parts_.library.StarFlushAll(); Failed(flushed)) {
    parts_.errors.ReportError(CodeNumber(flushed), kSiteIdleFlush);
  }
}

void Compositor::startFrame() {
  display_.clear();
  dirty_.clear();
  if (level_ == RedrawLevel::kView) {
    AddDirtyRect(sceneView_.shown() ? sceneView_.rect() : stageRect_);
  }
  if (level_ == RedrawLevel::kScreen) AddDirtyRect(screenRect());
  level_ = RedrawLevel::kNone;
}

// The backdrop goes only where the stage layer does not, so that no pixel is copied twice.
void Compositor::redrawBackground(const Rect& dirty) {
  Rect area;
  if (!SectRect(dirty, screenRect(), area)) return;
  Rect inside;
  if (!SectRect(area, stageRect_, inside)) {
    report(CopyBufferRect(backdrop_, Point{}, screenBuffer_, area));
    return;
  }
  for (const Rect& part : PartsAround(area, inside)) {
    if (!part.empty()) report(CopyBufferRect(backdrop_, Point{}, screenBuffer_, part));
  }
  redrawStage(inside);
}

// The shown scene view covers the top of the stage; the stage layer shows below it.
void Compositor::redrawStage(const Rect& inside) {
  const Point stageAt = PointAt(stageRect_.top, stageRect_.left);
  Rect view;
  if (!sceneView_.shown() || !SectRect(inside, sceneView_.rect(), view)) {
    report(CopyBufferRect(stageLayer_, stageAt, screenBuffer_, inside));
    return;
  }
  for (const Rect& part : PartsAround(inside, view)) {
    if (!part.empty()) report(CopyBufferRect(stageLayer_, stageAt, screenBuffer_, part));
  }
  const Rect viewRect = sceneView_.rect();
  report(CopyBufferRect(sceneView_.background(), PointAt(viewRect.top, viewRect.left),
                        screenBuffer_, view));
}

void Compositor::drawFlaggedEntries() {
  for (const DisplayEntry& entry : display_.entries()) {
    if (entry.drawFlag != 0 && (entry.twoDimensional() || sceneView_.shown())) drawEntry(entry);
  }
}

// A picture is got from its star file for the draw and released at once, so that the cache may
// drop it while it is not on the screen.
void Compositor::drawEntry(const DisplayEntry& entry) {
  StarLibrary& library = parts_.library;
  StarFile* file = library.FindBySerial(entry.fileSerial);
  RecordBlock* picture = nullptr;
  const ProgramCode got = file != nullptr ? library.StarGetResource(*file, entry.record, picture)
                                          : ProgramCode::kUndefined;
  if (Failed(got)) {
    report(FatalSite{CodeNumber(got), kSiteGetPicture});
    return;
  }
  const Point anchor = screenAnchor(entry);
  if (entry.twoDimensional()) {
    report(DrawSprite(*picture, anchor, ViewOf(screenBuffer_), screenRect(), entry.mirrored()));
  } else if (const SpriteImage* image = decodedImage(*file, entry.record, *picture)) {
    report(DrawSpriteImageScaled(*image, anchor, ViewOf(screenBuffer_), sceneView_.rect(),
                                 entry.mirrored(), viewSize(entry)));
  }
  if (const ProgramCode released = library.StarReleaseResource(*file, entry.record);
      Failed(released)) {
    report(FatalSite{CodeNumber(released), kSiteReleasePicture});
  }
}

// Scene view pictures are drawn every frame, mostly shrunk: their decoded form is kept with the
// cached record. A bad header is reported and draws nothing.
const SpriteImage* Compositor::decodedImage(StarFile& file, std::int32_t id,
                                            const RecordBlock& picture) {
  return KeptDecodedForm<SpriteImage>(
      parts_.library, file, id, picture,
      [this](const RecordBlock& record) -> std::unique_ptr<SpriteImage> {
        auto image = SpriteImage::Decode(record);
        if (!image.ok()) {
          report(image.error());
          return nullptr;
        }
        return std::move(*image);
      });
}

Point Compositor::screenAnchor(const DisplayEntry& entry) const {
  if (entry.twoDimensional()) return entry.anchor;
  const Rect view = sceneView_.rect();
  return PointAt(entry.anchor.v + view.top, entry.anchor.h + view.left);
}

SpriteSize Compositor::viewSize(const DisplayEntry& entry) {
  return SpriteSize{.rows = static_cast<std::int16_t>(entry.scale >> 16),
                    .columns = static_cast<std::int16_t>(entry.scale & 0xFFFF)};
}

// The entries are in drawing order, so the last one that covers the point is on top. A view
// entry counts only inside the shown view, where it was clipped when drawn.
std::optional<std::uint32_t> Compositor::OwnerAt(Point p) {
  const auto entries = display_.entries();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const DisplayEntry& entry = *it;
    if (!entry.bounds.contains(p)) continue;
    if (!entry.twoDimensional() && !(sceneView_.shown() && sceneView_.rect().contains(p))) continue;
    StarLibrary& library = parts_.library;
    StarFile* file = library.FindBySerial(entry.fileSerial);
    RecordBlock* picture = nullptr;
    if (file == nullptr || Failed(library.StarGetResource(*file, entry.record, picture))) continue;
    const SpriteSize size = viewSize(entry);
    const auto covers = SpriteCovers(*picture, screenAnchor(entry), entry.mirrored(),
                                     entry.twoDimensional() ? nullptr : &size, p);
    (void)library.StarReleaseResource(*file, entry.record);
    if (covers && covers.value()) return entry.owner;
  }
  return std::nullopt;
}

// Ticks count up and wrap; the difference of two counts is the time between them either way.
void Compositor::waitForFrameTime() {
  const FrameClock& clock = parts_.clock;
  if (lastFrameTick_) {
    while (clock.tickCount() - *lastFrameTick_ < parts_.frameInterval) clock.waitNextTick();
  }
  lastFrameTick_ = clock.tickCount();
}

void Compositor::copyToWindow() {
  Surface& canvas = parts_.window.canvas();
  for (const Rect& dirty : dirty_.rects()) {
    report(CopyBufferRect(screenBuffer_, Point{}, canvas, dirty));
    parts_.window.markDirty(dirty);
  }
  if (copiedHook_ && !dirty_.empty()) copiedHook_(dirty_.rects());
}

void Compositor::report(FatalSite site) {
  if (site.failed()) parts_.errors.ReportError(site.programCode, site.errorLine);
}

}  // namespace lw

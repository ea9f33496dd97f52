#include "objects/figure_display.h"

#include "media/star_file.h"

namespace lw {
namespace {

// A 2-D entry's depth must stay below 0, where the composition draws it over the whole screen.
constexpr std::int16_t kFlatDepth = -1;

bool SameRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

}  // namespace

Point FigureDisplay::stageOrigin() const {
  const Rect stage = compositor_.stageRect();
  return PointAt(stage.top, stage.left);
}

PlacementContext FigureDisplay::context() const {
  const Point origin = stageOrigin();
  return PlacementContext{
      .library = library_,
      .errors = errors_,
      .set = set_,
      .trig = trig_,
      .viewShown = set_.isVisible() && compositor_.sceneView().shown(),
      .screen = compositor_.screenRect().offset(-origin.v, -origin.h),
  };
}

void FigureDisplay::Contribute(Compositor& compositor) {
  const PlacementContext now = context();
  ContributeTable(compositor, actors_, now);
  ContributeTable(compositor, props_, now);
}

void FigureDisplay::ContributeTable(Compositor& compositor, FigureTable& table,
                                    const PlacementContext& context) {
  const Point origin = stageOrigin();
  for (std::size_t i = 0; i < table.count(); ++i) {
    Figure& figure = table.at(i);
    ShownPicture& shown = figure.shown;
    const auto placed = figure.visible ? PlaceFigure(context, figure, figure.frame)
                                       : std::optional<FigurePlacement>{};
    if (placed && placed->is3d) figure.dist = placed->depth;
    if (!placed) {
      if (shown.picture != 0) compositor.AddDirtyRect(shown.rect.offset(origin.v, origin.h));
      shown.picture = 0;
      continue;
    }
    const Rect onScreen = placed->rect.offset(origin.v, origin.h);
    DisplayEntry entry;
    entry.anchor = placed->is3d ? placed->anchor
                                : PointAt(placed->anchor.v + origin.v, placed->anchor.h + origin.h);
    entry.owner = figure.serial;
    entry.mode = placed->mirrored ? DisplayEntry::kMirrored : 0;
    entry.depth = placed->is3d ? placed->depth : std::min(placed->depth, kFlatDepth);
    entry.extraMode = static_cast<std::uint16_t>(placed->shade);
    entry.bounds = onScreen;
    entry.fileSerial = figure.group->serial();
    entry.record = static_cast<std::int32_t>(placed->picture);
    entry.scale = (static_cast<std::uint32_t>(placed->size.rows) << 16) |
                  static_cast<std::uint16_t>(placed->size.columns);
    compositor.AddDisplayEntry(entry);

    const bool changed = shown.flag || shown.picture != placed->picture ||
                         shown.point.v != placed->anchor.v || shown.point.h != placed->anchor.h ||
                         shown.rows != placed->size.rows || shown.columns != placed->size.columns ||
                         !SameRect(shown.rect, placed->rect);
    if (!changed) continue;
    if (shown.picture != 0) compositor.AddDirtyRect(shown.rect.offset(origin.v, origin.h));
    compositor.AddDirtyRect(onScreen);
    shown = ShownPicture{.picture = placed->picture,
                         .rect = placed->rect,
                         .point = placed->anchor,
                         .rows = placed->size.rows,
                         .columns = placed->size.columns,
                         .flag = false};
  }
}

}  // namespace lw

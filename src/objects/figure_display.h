// The figures' part of every composed frame: each visible actor, then each visible prop, in
// table order, is placed (its pose moving on a frame) and handed to the composition as a display
// entry whose owner is the figure's serial: a 3-D figure as a view entry at its depth, scaled,
// a 2-D one over the whole screen at its dist. When what a figure shows changed (picture,
// reference point, drawn size or rectangle, or its shown flag is set) the rectangle it showed
// before and the new one are redrawn; a figure no longer drawn has its old rectangle redrawn.
#pragma once

#include "media/compositor.h"
#include "media/scene_view.h"
#include "objects/figure_placement.h"
#include "objects/figure_table.h"
#include "objects/set_objects.h"

namespace lw {

class FigureDisplay {
 public:
  FigureDisplay(Compositor& compositor, FigureTable& actors, FigureTable& props,
                const SetObjects& set, const Trig& trig, StarLibrary& library,
                ErrorReporter& errors)
      : compositor_(compositor),
        actors_(actors),
        props_(props),
        set_(set),
        trig_(trig),
        library_(library),
        errors_(errors) {}

  // What placement reads now.
  [[nodiscard]] PlacementContext context() const;

  // The composition's contributor.
  void Contribute(Compositor& compositor);

 private:
  void ContributeTable(Compositor& compositor, FigureTable& table, const PlacementContext& context);
  [[nodiscard]] Point stageOrigin() const;

  Compositor& compositor_;
  FigureTable& actors_;
  FigureTable& props_;
  const SetObjects& set_;
  const Trig& trig_;
  StarLibrary& library_;
  ErrorReporter& errors_;
};

}  // namespace lw

// The title objects of one run: the stage, the set, the actors and casts, the props and shops,
// what draws the figures into every composed frame, the walks, balls and loops that move them,
// the track files with their sounds, and the puppet. They are made together at the runtime
// start, find the files scripts name through the title's file lookup, and are shut down
// together, figures first, at the runtime stop.
#pragma once

#include <memory>

#include "media/compositor.h"
#include "objects/figure_builtins.h"
#include "objects/figure_display.h"
#include "objects/figure_table.h"
#include "objects/motion.h"
#include "objects/puppet_objects.h"
#include "objects/set_objects.h"
#include "objects/stage_objects.h"
#include "objects/track_table.h"
#include "runtime/composed_stage_display.h"

namespace lw {

struct TitleObjectParts {
  StarLibrary& library;
  CompiledScriptCache& scripts;
  ErrorReporter& errors;
  Compositor& compositor;
  SoundChannels& channels;
  PuppetHost& puppetHost;
  LocateFile locate;
};

class TitleObjects {
 public:
  explicit TitleObjects(TitleObjectParts parts);
  TitleObjects(const TitleObjects&) = delete;
  TitleObjects& operator=(const TitleObjects&) = delete;

  [[nodiscard]] ComposedStageDisplay& display() { return display_; }
  [[nodiscard]] StageObjects& stage() { return stage_; }
  [[nodiscard]] SetObjects& set() { return set_; }
  [[nodiscard]] FigureTable& actors() { return actors_; }
  [[nodiscard]] FigureTable& props() { return props_; }
  [[nodiscard]] FigureDisplay& figureDisplay() { return figureDisplay_; }
  [[nodiscard]] HitBox& playerHitBox() { return playerHitBox_; }
  [[nodiscard]] Motion& motion() { return motion_; }
  [[nodiscard]] TrackTable& tracks() { return tracks_; }
  [[nodiscard]] PuppetObjects& puppet() { return puppet_; }

  // The runtime stop: every object lets go of its records and files, telling the title nothing.
  void ShutDown();

 private:
  ComposedStageDisplay display_;
  StageObjects stage_;
  SetObjects set_;
  FigureTable actors_;
  FigureTable props_;
  FigureDisplay figureDisplay_;
  HitBox playerHitBox_;
  Motion motion_;  // after the tables, whose hooks it installs
  TrackTable tracks_;
  PuppetObjects puppet_;
};

}  // namespace lw

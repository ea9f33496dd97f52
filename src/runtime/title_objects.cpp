#include "runtime/title_objects.h"

namespace lw {

// A set that opens puts the 3-D figures that belong to it on their stars; the set's preload is
// the composition's idle work while the player stands; the figures draw into every frame.
TitleObjects::TitleObjects(TitleObjectParts parts)
    : display_(parts.compositor),
      stage_(StageParts{
          .library = parts.library,
          .scripts = parts.scripts,
          .errors = parts.errors,
          .display = display_,
          .locate = parts.locate,
      }),
      set_(SetParts{
          .library = parts.library,
          .scripts = parts.scripts,
          .errors = parts.errors,
          .display = display_,
          .locate = parts.locate,
          .opened =
              [this] {
                actors_.SetOpened();
                props_.SetOpened();
              },
      }),
      actors_(kActorKind, FigureParts{.library = parts.library,
                                      .scripts = parts.scripts,
                                      .errors = parts.errors,
                                      .locate = parts.locate,
                                      .set = set_}),
      props_(kPropKind, FigureParts{.library = parts.library,
                                    .scripts = parts.scripts,
                                    .errors = parts.errors,
                                    .locate = parts.locate,
                                    .set = set_}),
      figureDisplay_(parts.compositor, actors_, props_, set_, display_.trig(), parts.library,
                     parts.errors),
      motion_(MotionParts{.actors = actors_,
                          .props = props_,
                          .set = set_,
                          .stage = stage_,
                          .errors = parts.errors,
                          .player = playerHitBox_}),
      tracks_(TrackParts{.library = parts.library,
                         .errors = parts.errors,
                         .locate = parts.locate,
                         .channels = parts.channels}),
      puppet_(PuppetParts{.library = parts.library,
                          .scripts = parts.scripts,
                          .errors = parts.errors,
                          .channels = parts.channels,
                          .host = parts.puppetHost,
                          .locate = parts.locate}) {
  parts.compositor.setPreloadHook([this] { return set_.PreloadStep(); });
  parts.compositor.addContributor(
      [this](Compositor& compositor) { figureDisplay_.Contribute(compositor); });
}

void TitleObjects::ShutDown() {
  puppet_.ShutDown();
  tracks_.ShutDown();
  motion_.StopAll();
  props_.ShutDown();
  actors_.ShutDown();
  set_.ShutDown();
  stage_.ShutDown();
}

}  // namespace lw

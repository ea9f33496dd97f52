// The scene of the figure benchmarks (figures_bench, motion_bench): an open set "Field" of 16 x 16
// empty cells with the player in column 0, row 8 facing east, a cast of 20 actors and a shop of 20
// props, all 3-D figures of that set standing on their stars in front of the camera, 150 to 930
// units deep, spread left and right. Each figure has one pose of two frames, each frame seen
// from eight angles, every picture a 40 x 80 sprite (a head and a body over transparent pixels,
// hot spot at the bottom centre), so that each is drawn scaled.
//
// The stars, besides each figure's own ("a0".."a19", "p0".."p19"): an even actor's star is
// joined by a path of 24 zigzag segments (4,608 units) to "b<i>" far to the east; an odd actor has
// a star "far<i>" some 3,000 units east of its own, with no path, for straight walks.
//
// The files are written into a scratch folder with the cast, shop and set record writers, and
// the title objects are wired over a compositor whose frame interval is 0 and whose clock never
// waits, with an interpreter for the system frame that the object calls need.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "authoring/storage_stack.h"
#include "media/compositor.h"
#include "media/sound_channels.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/system_info.h"
#include "runtime/title_objects.h"
#include "script/builtin_table.h"
#include "script/interpreter.h"
#include "script/script_frame.h"
#include "script/script_host.h"
#include "shell/drawing/screen.h"
#include "shell/sound/sound_output.h"

namespace lw::bench {

inline constexpr int kActorCount = 20;
inline constexpr int kPropCount = 20;

// The star an actor walks to from its own: "b<i>" along a path for even i, "far<i>" for odd.
[[nodiscard]] std::string FarStarOf(int actor);

class FigureScene {
 public:
  // Writes the title files into `folder` (made if missing), opens the set, the cast and the
  // shop, and makes every figure visible. Exits with a message when something fails.
  explicit FigureScene(std::filesystem::path folder);
  ~FigureScene();
  FigureScene(const FigureScene&) = delete;
  FigureScene& operator=(const FigureScene&) = delete;

  [[nodiscard]] Compositor& compositor() { return compositor_; }
  [[nodiscard]] TitleObjects& objects() { return *objects_; }
  [[nodiscard]] Interpreter& interpreter() { return interpreter_; }
  // A call in a frame of the system's own, as the runtime makes for its own steps.
  [[nodiscard]] BuiltinCall& systemCall() { return call_; }
  [[nodiscard]] Screen& window() { return window_; }

  // Shows or hides every figure.
  void SetFiguresVisible(bool visible);

 private:
  std::filesystem::path folder_;
  platform::EmptySystemInfo system_;
  authoring::StorageStack storage_;
  platform::TtfFontRenderer fonts_;
  platform::HeadlessPlatform platform_;
  Screen window_;
  Compositor compositor_;
  SoundOutput sound_;
  SoundChannels channels_;
  std::unique_ptr<TitleObjects> objects_;
  ScriptHost host_;
  Interpreter interpreter_;
  CompiledScript frameScript_;
  ScriptFrame frame_;
  BuiltinCall call_;
};

// Prints "<program>: <what>" on standard error and exits with status 1.
[[noreturn]] void Die(const std::string& what);

}  // namespace lw::bench

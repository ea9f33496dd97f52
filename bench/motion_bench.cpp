// The motion step against the frame it runs before: Motion::Step with every slot busy, in the
// scene of figures_scene.h (all 40 figures visible in the open set) -- 16 walks (8 along paths of
// 24 segments, 8 straight to stars 3,000 units away), 16 balls (many frames, bouncing), 32 loops
// (16 on actors, 16 on props, counts that do not run out) -- against one composition of the
// whole 640 x 480 screen (a screen redraw requested, then ComposeFrame) on a compositor with no
// display entries and its frame interval 0, the cheapest full frame, so the bound is strict.
//
// A walk that ends (its endwalk() sent) is started again at once toward the other end, so that
// all 16 walk in every step; the check costs a count of the slots after each step and is timed
// with the step. Balls and loops never end here: no figure has a hit box and the frame and tick
// counts are larger than any run. The balls soon fly on past the set's edge, where looking up
// the cell under a ball finds no scene. Only the motion step is timed, not the display step.
//
// Goal: a motion step under 1/10 of the full-screen composition.
//
// Checked once before timing: after a few hundred steps every walker and ball has moved and
// every loop has counted down. Rates are the median of 5 wall-clock runs on one thread, taking
// turns.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "authoring/storage_stack.h"
#include "figures_scene.h"
#include "media/compositor.h"
#include "objects/object_names.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/system_info.h"
#include "shell/drawing/screen.h"
#include "turn_timing.h"

namespace {

using namespace lw::bench;

constexpr double kMicro = 1e6;
constexpr int kWalkers = static_cast<int>(lw::kWalkSlots);
constexpr int kBallProps = static_cast<int>(lw::kBallSlots);
constexpr std::int32_t kNeverEnds = 1 << 30;  // ball frames and loop ticks
constexpr int kCheckSteps = 300;

std::string Actor(int i) { return "a" + std::to_string(i); }
std::string Prop(int i) { return "p" + std::to_string(i); }

void Check(lw::ScriptError error, const std::string& what) {
  if (error != lw::ScriptError::None) {
    Die("motion_bench: " + what + " failed with script error " +
        std::to_string(static_cast<int>(error)));
  }
}

// Starts actor i walking to the star at the other end from where it stands.
void StartWalk(FigureScene& scene, int i) {
  lw::FigureTable& actors = scene.objects().actors();
  const lw::Figure& actor = actors.at(*actors.Find(Actor(i)));
  const std::string far = FarStarOf(i);
  const std::string to = lw::SameObjectName(actor.star, far) ? Actor(i) : far;
  Check(scene.objects().motion().StartWalk(Actor(i), to), "walking " + Actor(i) + " to " + to);
}

void StartEverything(FigureScene& scene) {
  lw::Motion& motion = scene.objects().motion();
  for (int i = 0; i < kWalkers; ++i) StartWalk(scene, i);
  for (int i = 0; i < kBallProps; ++i) {
    Check(motion.StartBall(Prop(i), lw::BallRequest{.vx = 3,
                                                    .vy = static_cast<std::int16_t>(i % 5 - 2),
                                                    .vz = 14,
                                                    .spare = 0,
                                                    .bounce = true,
                                                    .frames = kNeverEnds}),
          "throwing " + Prop(i));
  }
  for (int i = 0; i < static_cast<int>(lw::kLoopSlots) / 2; ++i) {
    Check(motion.StartLoop(lw::LoopKind::kActor, Actor(i), "chime", kNeverEnds), "a loop");
    Check(motion.StartLoop(lw::LoopKind::kProp, Prop(i), "chime", kNeverEnds), "a loop");
  }
}

// One motion step; walks that ended start again.
void Step(FigureScene& scene) {
  lw::Motion& motion = scene.objects().motion();
  Check(motion.Step(scene.systemCall()), "the motion step");
  if (motion.walkCount() == kWalkers) return;
  scene.interpreter().beginPass();  // frees the text slots the endwalk() messages used
  for (int i = 0; i < kWalkers; ++i) {
    if (motion.walkOf(Actor(i)) == nullptr) StartWalk(scene, i);
  }
}

void CheckEverythingMoves(FigureScene& scene) {
  lw::TitleObjects& objects = scene.objects();
  std::vector<lw::Figure> before;
  for (int i = 0; i < kWalkers; ++i)
    before.push_back(objects.actors().at(*objects.actors().Find(Actor(i))));
  for (int i = 0; i < kBallProps; ++i)
    before.push_back(objects.props().at(*objects.props().Find(Prop(i))));
  for (int step = 0; step < kCheckSteps; ++step) Step(scene);
  const lw::Motion& motion = objects.motion();
  if (motion.walkCount() != kWalkers || motion.ballCount() != kBallProps ||
      motion.loopCount(lw::LoopKind::kActor) + motion.loopCount(lw::LoopKind::kProp) !=
          static_cast<int>(lw::kLoopSlots)) {
    Die("motion_bench: not every slot is busy after the check steps");
  }
  for (const lw::Figure& was : before) {
    lw::FigureTable& table = was.name[0] == 'a' ? objects.actors() : objects.props();
    const lw::Figure& now = table.at(*table.Find(was.name));
    if (now.x == was.x && now.y == was.y && now.z == was.z)
      Die("motion_bench: " + was.name + " did not move");
  }
  for (const lw::LoopSlot& loop : motion.loops()) {
    if (loop.ticksLeft != kNeverEnds - kCheckSteps) Die("motion_bench: a loop did not count down");
  }
}

// A compositor with no display entries over its own headless window, as compose_bench's.
struct BareCompositor {
  lw::platform::TtfFontRenderer fonts;
  lw::platform::HeadlessPlatform platform{lw::platform::InputScript{}, fonts, stderr};
  lw::Screen window{platform};
  lw::platform::EmptySystemInfo system;
  lw::authoring::StorageStack storage{system, ".", stderr};
  lw::Compositor compositor{lw::CompositorParts{
      .window = window,
      .library = storage.library,
      .errors = storage.errors,
      .clock = {.tickCount = [] { return std::uint32_t{0}; }, .waitNextTick = [] {}},
      .frameInterval = 0,
  }};
};

}  // namespace

int main() {
  FigureScene scene(std::filesystem::temp_directory_path() / "lw_motion_bench");
  StartEverything(scene);
  CheckEverythingMoves(scene);
  BareCompositor bare;

  const std::vector<Work> contestants{
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) Step(scene);
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          bare.compositor.RequestRedraw(lw::RedrawLevel::kScreen);
          bare.compositor.ComposeFrame();
        }
      },
  };
  std::vector<double> us = RatesOf(contestants);
  for (double& rate : us) rate = kMicro / rate;

  std::printf(
      "The motion step with every slot busy against a full-screen composition; in turns, median "
      "of %d runs of %.2f s\n",
      kRuns, kRunSeconds);
  std::printf("%-48s %10s\n", "work", "us");
  std::printf("%-48s %10.2f\n", "motion step: 16 walks, 16 balls, 32 loops", us[0]);
  std::printf("%-48s %10.2f\n", "full-screen composition, 640 x 480", us[1]);
  std::printf("step / composition: 1/%.0f (goal: under 1/10)\n", us[1] / us[0]);
  return 0;
}

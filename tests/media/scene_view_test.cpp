// The scene view's projection and camera against their definitions: literal cases worked out by
// hand, and random points against the same geometry in floating point.
#include "media/scene_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>

namespace lw {
namespace {

// Tables of 16384 x sin and cos, rounded: the geometry needs no more than that.
struct Tables {
  Tables() {
    for (int a = 0; a < kDirectionSteps; ++a) {
      const double turn = 2 * std::numbers::pi * a / kDirectionSteps;
      sine[a] = static_cast<std::int16_t>(std::lround(kTrigOne * std::sin(turn)));
      cosine[a] = static_cast<std::int16_t>(std::lround(kTrigOne * std::cos(turn)));
    }
  }
  TrigTable sine{};
  TrigTable cosine{};
  Trig trig{sine, cosine};
};

std::string Text(const ProjectedPoint& p) {
  return std::to_string(p.h) + "," + std::to_string(p.v) + " at " + std::to_string(p.depth);
}

TEST(SceneViewTest, ProjectionAndCameraOfWorkedCases) {
  const Tables t;
  const Camera east{1000, 1000, 100, 0};
  // Straight ahead at 256: the centre column, the horizon at the camera's height.
  EXPECT_EQ(Text(ProjectPoint(t.trig, east, 1256, 1000, 100)), "256,132 at 256");
  // 64 to the right and 64 up at 256: a quarter of the focal length off the centre each way.
  EXPECT_EQ(Text(ProjectPoint(t.trig, east, 1256, 1064, 164)), "320,68 at 256");
  EXPECT_EQ(Text(ProjectPoint(t.trig, east, 1512, 936, 36)), "224,164 at 512");
  EXPECT_LT(ProjectPoint(t.trig, east, 744, 1000, 100).depth, 1);
  EXPECT_LT(ProjectPoint(t.trig, east, 1000, 1300, 100).depth, 1);  // beside the camera
  EXPECT_EQ(Text(ProjectPoint(t.trig, {1000, 1000, 100, 64}, 1000, 1256, 100)), "256,132 at 256");

  // The camera 128 behind the centre of row 2, column 3 (896, 640).
  const auto behind = [&](int angle) {
    const Camera c = CameraBehind(t.trig, CellCentre(3), CellCentre(2), angle, 128, 90);
    return std::to_string(c.x) + "," + std::to_string(c.y) + "," + std::to_string(c.z) + "," +
           std::to_string(c.angle);
  };
  EXPECT_EQ(behind(0), "768,640,90,0");
  EXPECT_EQ(behind(64), "896,512,90,64");
  EXPECT_EQ(behind(128 + 256), "1024,640,90,128");
  EXPECT_EQ(behind(32), "806,550,90,32");  // 128 x 11585 / 16384 = 90 each way
}

TEST(SceneViewTest, RandomPointsProjectAsTheGeometrySays) {
  const Tables t;
  std::mt19937 random(5);
  std::uniform_int_distribution<int> coordinate(-3000, 3000);
  std::uniform_int_distribution<int> angle(0, 255);
  for (int i = 0; i < 500; ++i) {
    const Camera camera{coordinate(random), coordinate(random), coordinate(random) / 10,
                        angle(random)};
    const int x = coordinate(random), y = coordinate(random), z = coordinate(random) / 10;
    const double turn = 2 * std::numbers::pi * camera.angle / kDirectionSteps;
    const double dx = x - camera.x, dy = y - camera.y, dz = z - camera.z;
    const double depth = std::cos(turn) * dx + std::sin(turn) * dy;
    const ProjectedPoint p = ProjectPoint(t.trig, camera, x, y, z);
    if (depth < 64) {
      if (depth < 0) {
        EXPECT_LT(p.depth, 1);
      }
      continue;
    }
    const double lateral = std::cos(turn) * dy - std::sin(turn) * dx;
    EXPECT_NEAR(p.depth, depth, 1.5);
    EXPECT_NEAR(p.h, lateral * kFocalLength / depth + kViewCentreColumn,
                2 + std::abs(lateral) * kFocalLength / (depth * depth));
    EXPECT_NEAR(p.v, kHorizonRow - dz * kFocalLength / depth,
                2 + std::abs(dz) * kFocalLength / (depth * depth));
  }
}

}  // namespace
}  // namespace lw

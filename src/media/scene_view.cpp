#include "media/scene_view.h"

namespace lw {

ProjectedPoint ProjectPoint(const Trig& trig, const Camera& camera, std::int32_t x, std::int32_t y,
                            std::int32_t z) {
  const std::int64_t c = trig.cos(camera.angle);
  const std::int64_t s = trig.sin(camera.angle);
  const std::int64_t dx = std::int64_t{x} - camera.x;
  const std::int64_t dy = std::int64_t{y} - camera.y;
  const std::int64_t dz = std::int64_t{z} - camera.z;
  ProjectedPoint p;
  p.depth = static_cast<std::int32_t>((c * dx + s * dy) / kTrigOne);
  if (p.depth < 1) return p;
  const std::int64_t lateral = (c * dy - s * dx) / kTrigOne;
  p.h = static_cast<std::int32_t>(lateral * kFocalLength / p.depth + kViewCentreColumn);
  p.v = static_cast<std::int32_t>(kHorizonRow - dz * kFocalLength / p.depth);
  return p;
}

Camera CameraBehind(const Trig& trig, std::int32_t x, std::int32_t y, int angle,
                    std::int32_t setBack, std::int32_t height) {
  Camera camera;
  camera.angle = WrapDirection(angle);
  camera.x = static_cast<std::int32_t>(x - std::int64_t{setBack} * trig.cos(angle) / kTrigOne);
  camera.y = static_cast<std::int32_t>(y - std::int64_t{setBack} * trig.sin(angle) / kTrigOne);
  camera.z = height;
  return camera;
}

}  // namespace lw

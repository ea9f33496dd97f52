#include "media/buffer_copy.h"

#include <cstring>

#include "shell/drawing/rect_ops.h"
#include "shell/program_code.h"

namespace lw {
FatalSite CopyBufferRect(const Surface& from, Point fromAt, Surface& to, const Rect& area) {
  if (from.rowBytes() != to.rowBytes()) {
    return FatalSite{CodeNumber(ProgramCode::kLogic), kSiteCopyStrides};
  }
  CopySurfaceRect(from, fromAt, to, area);
  return FatalSite{};
}

void CopySurfaceRect(const Surface& from, Point fromAt, Surface& to, const Rect& area) {
  Rect source = from.rect();
  OffsetRect(source, fromAt.h, fromAt.v);
  Rect inTo;
  Rect copied;
  if (!SectRect(area, to.rect(), inTo) || !SectRect(inTo, source, copied)) return;
  const auto columns = static_cast<std::size_t>(copied.width());
  const auto outStride = static_cast<std::size_t>(to.rowBytes());
  const auto inStride = static_cast<std::size_t>(from.rowBytes());
  std::uint8_t* out = to.row(copied.top) + copied.left;
  const std::uint8_t* in = from.row(copied.top - fromAt.v) + (copied.left - fromAt.h);
  for (int v = copied.top; v < copied.bottom; ++v, out += outStride, in += inStride) {
    CopyRow(out, in, columns);
  }
}

}  // namespace lw

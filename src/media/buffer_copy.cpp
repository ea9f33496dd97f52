#include "media/buffer_copy.h"

#include <cstring>

#include "shell/drawing/rect_ops.h"
#include "shell/program_code.h"

namespace lw {

FatalSite CopyBufferRect(const Surface& from, Point fromAt, Surface& to, const Rect& area) {
  if (from.rowBytes() != to.rowBytes()) {
    return FatalSite{CodeNumber(ProgramCode::kLogic), kSiteCopyStrides};
  }
  Rect source = from.rect();
  OffsetRect(source, fromAt.h, fromAt.v);
  Rect inTo;
  Rect copied;
  if (!SectRect(area, to.rect(), inTo) || !SectRect(inTo, source, copied)) return FatalSite{};
  const auto columns = static_cast<std::size_t>(copied.width());
  for (int v = copied.top; v < copied.bottom; ++v) {
    std::memcpy(to.row(v) + copied.left, from.row(v - fromAt.v) + (copied.left - fromAt.h),
                columns);
  }
  return FatalSite{};
}

}  // namespace lw

#include "media/scene_view_layer.h"

#include <algorithm>

#include "media/bitmap.h"
#include "media/frame_codec.h"
#include "shell/program_code.h"

namespace lw {

SceneViewLayer::SceneViewLayer(int rowBytes, Point origin)
    : background_(kSceneViewWidth, kSceneViewHeight, rowBytes),
      rect_(MakeRect(origin.v, origin.h, kSceneViewHeight, kSceneViewWidth)) {}

FatalSite SceneViewLayer::DecodeViewBackground(StarLibrary& library, StarFile& file,
                                               std::int32_t record) {
  RecordBlock* picture = nullptr;
  if (const ProgramCode got = library.StarGetResource(file, record, picture); Failed(got)) {
    return FatalSite{CodeNumber(got), kSiteGetViewPicture};
  }
  FatalSite fault;
  const auto bytes = static_cast<std::size_t>(background_.rowBytes()) * background_.height();
  std::vector<std::uint8_t> scratch(background_.data(), background_.data() + bytes);
  const BitmapView view{.memory = scratch,
                        .row0 = 0,
                        .stride = background_.rowBytes(),
                        .width = background_.width(),
                        .height = background_.height()};
  const std::span<const std::uint8_t> frame = *picture;
  if (auto used = DecodeFrame(frame, view)) {
    std::copy(scratch.begin(), scratch.end(), background_.data());
    trailing_.assign(frame.begin() + static_cast<std::ptrdiff_t>(*used), frame.end());
  } else {
    fault = FatalSite{CodeNumber(ProgramCode::kLogic), kSiteDecodeViewPicture};
  }
  if (const ProgramCode released = library.StarReleaseResource(file, record); Failed(released)) {
    if (!fault.failed()) fault = FatalSite{CodeNumber(released), kSiteReleaseViewPicture};
  }
  return fault;
}

}  // namespace lw

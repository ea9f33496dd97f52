#include "support/storage_movie_files.h"

#include <gtest/gtest.h>

#include <utility>

#include "authoring/frame_encoder.h"
#include "platform/system_info.h"

namespace lw::test {
namespace {

constexpr std::uint16_t kPlainTransition = 16;
constexpr std::uint16_t kGreyStep = 257;  // colour i * 257: 0 black, 255 white

Bytes KeyFrame(const Rect& rect, std::uint8_t colour) {
  const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rect.width() * rect.height()),
                                         colour);
  auto frame = authoring::EncodeFrame({rect.width(), rect.height(), pixels});
  EXPECT_TRUE(frame.ok());
  return frame.ok() ? *frame : Bytes{};
}

}  // namespace

MovieFrame ColourFrame(const Rect& rect, std::uint8_t colour, std::uint16_t flags,
                       std::int32_t duration) {
  MovieFrame frame;
  frame.duration = duration;
  frame.transitionKind = kPlainTransition;
  frame.flags = flags;
  frame.picture = colour;
  frame.pictureRect = rect;
  frame.endAction = static_cast<std::int16_t>(MovieAction::kStop);
  return frame;
}

MovieHeader MovieOf(std::vector<MovieFrame> frames, const Rect& rect) {
  MovieHeader header;
  header.rect = rect;
  header.statusFrame1 = 0xFFFF;
  header.statusFrame2 = 0xFFFF;
  for (std::size_t i = 0; i < header.palette.size(); ++i) {
    const auto grey = static_cast<std::uint16_t>(i * kGreyStep);
    header.palette[i] = {grey, grey, grey};
  }
  header.frames = std::move(frames);
  return header;
}

void WriteMovieFile(const std::filesystem::path& path, std::vector<MovieSegment> segments,
                    const std::function<void(std::vector<Bytes>&)>& damage) {
  std::vector<Bytes> records;
  for (std::size_t s = 0; s < segments.size(); ++s) {
    MovieSegment& segment = segments[s];
    MovieHeader& header = segment.header;
    const auto base = static_cast<std::uint32_t>(records.size());
    header.soundCount = static_cast<std::uint16_t>(segment.sounds.size());
    header.themeCount = static_cast<std::uint16_t>(segment.themes.size());
    std::vector<Bytes> pictures;
    for (MovieFrame& frame : header.frames) {
      if (frame.picture == 0 || frame.pictureRect.empty()) continue;
      pictures.push_back(KeyFrame(frame.pictureRect, static_cast<std::uint8_t>(frame.picture)));
      frame.picture =
          static_cast<std::uint32_t>(header.soundCount + header.themeCount + pictures.size());
    }
    const std::size_t count = 1 + segment.sounds.size() + segment.themes.size() + pictures.size();
    header.nextSegment = s + 1 < segments.size() ? base + static_cast<std::uint32_t>(count) : 0;
    records.push_back(WriteMovieHeader(header));
    for (const auto* part : {&segment.sounds, &segment.themes, &pictures}) {
      records.insert(records.end(), part->begin(), part->end());
    }
  }
  if (damage) damage(records);
  platform::EmptySystemInfo system;
  authoring::StorageStack stack(system, path.parent_path(), nullptr);
  WriteStarFile(stack.files, TitlePath(path.filename().string()), records,
                static_cast<std::int32_t>(records.size()), kMovieFileType);
}

}  // namespace lw::test

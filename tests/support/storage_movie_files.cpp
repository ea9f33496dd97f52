#include "support/storage_movie_files.h"

#include <gtest/gtest.h>

#include <utility>

#include "authoring/frame_encoder.h"
#include "platform/system_info.h"

namespace lw::test {

MovieFrame ColourFrame(const Rect& rect, std::uint8_t colour, std::uint16_t flags,
                       std::int32_t duration) {
  MovieFrame frame;
  frame.duration = duration;
  frame.transitionKind = 16;  // a plain reveal
  frame.flags = flags;
  frame.picture = colour;
  frame.pictureRect = rect;
  return frame;
}

MovieHeader MovieOf(std::vector<MovieFrame> frames, const Rect& rect) {
  MovieHeader header;
  header.rect = rect;
  header.statusFrame1 = 0xFFFF;
  header.statusFrame2 = 0xFFFF;
  for (std::size_t i = 0; i < header.palette.size(); ++i) {
    const auto grey = static_cast<std::uint16_t>(i * 257);  // 0 black, 255 white
    header.palette[i] = {grey, grey, grey};
  }
  header.frames = std::move(frames);
  return header;
}

void WriteMovieFile(const std::filesystem::path& path, std::vector<MovieSegment> segments,
                    const std::function<void(std::vector<Bytes>&)>& damage) {
  std::vector<Bytes> records;
  for (std::size_t s = 0; s < segments.size(); ++s) {
    MovieHeader& header = segments[s].header;
    header.soundCount = static_cast<std::uint16_t>(segments[s].sounds.size());
    header.themeCount = static_cast<std::uint16_t>(segments[s].themes.size());
    std::vector<Bytes> pictures;
    for (MovieFrame& frame : header.frames) {
      if (frame.picture == 0 || frame.pictureRect.empty()) continue;
      const Rect& r = frame.pictureRect;
      auto key = authoring::EncodeFrame(
          {r.width(), r.height(),
           std::vector<std::uint8_t>(static_cast<std::size_t>(r.width() * r.height()),
                                     static_cast<std::uint8_t>(frame.picture))});
      ASSERT_TRUE(key.ok());
      pictures.push_back(*key);
      frame.picture =
          static_cast<std::uint32_t>(header.soundCount + header.themeCount + pictures.size());
    }
    const std::size_t next =
        records.size() + 1 + header.soundCount + header.themeCount + pictures.size();
    header.nextSegment = s + 1 < segments.size() ? static_cast<std::uint32_t>(next) : 0;
    records.push_back(WriteMovieHeader(header));
    for (const auto* part : {&segments[s].sounds, &segments[s].themes, &pictures})
      records.insert(records.end(), part->begin(), part->end());
  }
  if (damage) damage(records);
  platform::EmptySystemInfo system;
  authoring::StorageStack stack(system, path.parent_path(), nullptr);
  WriteStarFile(stack.files, TitlePath(path.filename().string()), records,
                static_cast<std::int32_t>(records.size()), kMovieFileType);
}

}  // namespace lw::test

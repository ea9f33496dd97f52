#include "support/storage_movie_files.h"

#include <gtest/gtest.h>

#include "authoring/frame_encoder.h"
#include "media/movie_format.h"
#include "platform/system_info.h"
#include "support/storage_scratch.h"

namespace lw::test {
namespace {

constexpr std::uint16_t kPlainTransition = 16;
constexpr std::uint16_t kGreyStep = 257;  // colour i * 257: 0 black, 255 white

Bytes SolidPicture(const SolidMovie& movie, std::uint8_t colour) {
  const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(movie.width * movie.height),
                                         colour);
  auto frame = authoring::EncodeFrame({movie.width, movie.height, pixels});
  EXPECT_TRUE(frame.ok());
  return frame.ok() ? *frame : Bytes{};
}

}  // namespace

void WriteSolidMovie(const std::filesystem::path& path, const SolidMovie& movie) {
  MovieHeader header;
  header.rect = {0, 0, movie.height, movie.width};
  header.origin = movie.origin;
  header.statusFrame1 = 0xFFFF;
  header.statusFrame2 = 0xFFFF;
  for (std::size_t i = 0; i < header.palette.size(); ++i) {
    const auto grey = static_cast<std::uint16_t>(i * kGreyStep);
    header.palette[i] = {grey, grey, grey};
  }
  std::vector<Bytes> records(1);
  for (const SolidFrame& solid : movie.frames) {
    MovieFrame frame;
    frame.duration = solid.ticks;
    frame.transitionKind = kPlainTransition;
    frame.flags = kFrameTimed;
    frame.picture = static_cast<std::uint32_t>(records.size());
    frame.pictureRect = header.rect;
    header.frames.push_back(frame);
    records.push_back(SolidPicture(movie, solid.colour));
  }
  records[0] = WriteMovieHeader(header);
  platform::EmptySystemInfo system;
  authoring::StorageStack stack(system, path.parent_path(), nullptr);
  WriteStarFile(stack.files, TitlePath(path.filename().string()), records,
                static_cast<std::int32_t>(records.size()), kMovieFileType);
}

}  // namespace lw::test

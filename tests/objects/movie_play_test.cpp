// Movies played by a headless title: pictures shown at the movie's origin, the marks that
// actionframe reads, end actions and a movie that is not there.
#include <gtest/gtest.h>

#include <vector>

#include "authoring/frame_encoder.h"
#include "media/movie_format.h"
#include "stage_title.h"

namespace lw::testing {
namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

// A key frame of the whole movie rectangle, all `colour`.
test::Bytes Picture(std::uint8_t colour) {
  const std::vector<std::uint8_t> pixels(kWidth * kHeight, colour);
  return authoring::EncodeFrame({kWidth, kHeight, pixels}).value();
}

MovieFrame Frame(std::uint32_t picture, std::int16_t endAction, std::uint16_t flags = 0) {
  MovieFrame frame;
  frame.duration = 2;
  frame.transitionKind = 16;  // plain
  frame.picture = picture;
  frame.flags = flags;
  frame.pictureRect = {0, 0, kHeight, kWidth};
  frame.endAction = endAction;
  frame.endArgument = 0;
  return frame;
}

class MoviePlayTest : public StageTitleTest {
 protected:
  // TEST.MOV: frame 0 (colour 5, timed) then frame 1 (colour 9, stops), shown at window point
  // (20, 10); frame 0 sets mark 1 (a mark is set only when the frame goes on to another).
  void WriteMovie() {
    MovieHeader header;
    header.rect = {0, 0, kHeight, kWidth};
    header.origin = {10, 20};
    header.statusFrame1 = 0;
    header.statusFrame2 = 0xFFFF;
    for (int i = 0; i < 256; ++i) header.palette[i] = {0, 0, 0};
    header.frames = {Frame(1, 2, kFrameTimed), Frame(2, 1)};
    WriteStageFile(title_, "TEST.MOV", {WriteMovieHeader(header), Picture(5), Picture(9)},
                   kMovieFileType);
  }
  std::string Shown(int h, int v) {
    return std::to_string(platform().canvasPixel(h, v).value_or(0xEE));
  }
};

TEST_F(MoviePlayTest, FramesShowAtTheOriginAndSetTheirMarks) {
  WriteMovie();
  TitleRun& run = Start();
  run.Expect({{"actionframe(1)", "False"},
              {"playmovie(\"TEST.MOV\")", "OK"},
              {"actionframe(1)", "True"},
              {"actionframe(2)", "False"}});
  EXPECT_EQ(Shown(20, 10) + " " + Shown(59, 39), "9 9");
  EXPECT_NE(Shown(60, 40), "9");
}

}  // namespace
}  // namespace lw::testing

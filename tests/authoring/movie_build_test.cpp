// Movie files built from a manifest: each frame picture decodes with the runtime's frame decoder
// into a movie-sized frame buffer to the pixels of its PNG, frames a player can jump to decode
// over any buffer, `info` shows every header value the manifest gave, and pictures that do not
// fit are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/movie_build.h"
#include "authoring/storage_stack.h"
#include "authoring/title_build.h"
#include "authoring/title_sources.h"
#include "built_library_file.h"
#include "media/frame_codec.h"
#include "media/movie_format.h"
#include "media/sound_record.h"
#include "platform/png_image.h"
#include "support/common_pictures.h"
#include "support/common_signals.h"
#include "support/temp_folder.h"

namespace lw::authoring {
namespace {

// Six frames at a movie rectangle of odd width away from (0, 0), then a second segment whose
// rectangle is its picture's size. Frame 4 is reached only from frame 3 and differs little from
// it: being landable is what must make it a key frame.
constexpr char kFlight[] = R"({"system": "s.lws", "palette": "back.png", "movies": [
 {"file": "FLIGHT.MOV", "segments": [
  {"rect": [10, 20, 70, 121], "origin": [100, 50], "shortest": 2, "quit": true,
   "status_frames": [1, 5],
   "sounds": [{"name": "whoosh", "audio": "tone.wav", "rate": 11025}],
   "theme": [{"name": "a", "audio": "tone.wav"}, {"name": "b", "audio": "tone.wav", "rate": 11025}],
   "playlist": [1, 2, 2], "playlist_loop": 1,
   "frames": [
    {"png": "back.png", "duration": 6, "flags": ["timed"], "sound": "whoosh"},
    {"png": "moved.png", "duration": 6, "transition": "wipe_right", "parameter": 4,
     "flags": ["timed"]},
    {"png": "patch.png", "at": [30, 41], "transition": 13, "parameter": 3},
    {"transition": "fade_out", "parameter": 8, "preload": [4, 5]},
    {"png": "moved.png", "flags": ["landable", "timed"], "end": {"play": "NEXT.MOV"}},
    {"png": "patch.png", "at": [11, 98], "flags": ["clicks_only", "wait_sound"],
     "sound": "WHOOSH", "end": {"call": "SIDE.MOV", "return": 5},
     "hotspots": [{"rect": [10, 20, 30, 60], "action": "stop"},
                  {"rect": [30, 20, 70, 121], "action": {"goto": 0}, "on_release": true},
                  {"rect": [0, 0, 5, 5], "action": {"call": "SIDE.MOV", "return": 5}},
                  {"rect": [0, 0, 5, 5], "action": "return"},
                  {"rect": [1, 1, 2, 2], "action": {"play": "A.MOV"}}]}]},
  {"frames": [{"png": "patch.png", "end": "return"}]}]}]})";

class MovieBuildTest : public ::testing::Test {
 protected:
  MovieBuildTest() {
    folder.writeFile("s.lws", "");
    picture("back.png", back);
    picture("moved.png", moved);
    picture("patch.png", patch);
    const PcmSound tone{22050, 1, kWavBits16, test::SampleSignal(22050, 1, 4410, [](double t, int) {
                          return 0.5 * test::Sine(440, t);
                        })};
    const auto wav = FormatWav(tone).value();
    folder.writeFile("tone.wav", {reinterpret_cast<const char*>(wav.data()), wav.size()});
  }

  void picture(const std::string& name, const test::Picture& p) const {
    ASSERT_FALSE(WritePng((folder.path() / name).string(),
                          {p.width, p.height, p.pixels, test::DistinctColours()}));
  }

  // The records of the manifest's first movie, or the errors, one a line.
  Expected<Records, std::string> build(const std::string& json) const {
    const ManifestReading reading = ReadTitleManifest(json, folder.path());
    std::vector<ManifestError> errors = reading.errors;
    if (errors.empty()) {
      auto sources = LoadTitleSources(reading.title, EmptyScript);
      if (!sources) return Unexpected{sources.error().front().problem};
      auto movieSources = LoadMovieSources(reading.title.movies);
      if (!movieSources) errors = movieSources.error();
      if (errors.empty()) errors = CheckMoviePictures(reading.title.movies.at(0), *movieSources);
      if (errors.empty())
        return BuildMovieRecords(reading.title.movies.at(0), *movieSources, sources->palette);
    }
    std::string text;
    for (const ManifestError& e : errors) text += e.where + ": " + e.problem + "\n";
    return Unexpected{text};
  }

  test::TempFolder folder;
  test::Picture back = test::Gradient(101, 60, 7);
  test::Picture moved = test::WithBlock(back, 30, 20);
  test::Picture patch = test::Shapes(23, 15);
};

// The movie's frame buffer as a player keeps it: rows of the movie width rounded up to 4.
struct PlayerBuffer {
  static constexpr std::uint8_t kPadding = 0xA5;
  Rect movie;
  std::int32_t stride;
  std::vector<std::uint8_t> memory;

  PlayerBuffer(const Rect& m, std::uint8_t fill)
      : movie(m),
        stride((m.width() + 3) & ~3),
        memory(static_cast<std::size_t>(stride * m.height()), fill) {
    for (int r = 0; r < m.height(); ++r) {
      for (int c = m.width(); c < stride; ++c)
        memory[static_cast<std::size_t>(r * stride + c)] = kPadding;
    }
  }
  // Decodes a picture record at its rectangle, as the record's header sizes it.
  void decode(const std::vector<std::uint8_t>& record, const Rect& at) {
    const BitmapView view{memory, (at.top - movie.top) * stride + at.left - movie.left, stride,
                          at.width(), at.height()};
    auto used = DecodeFrame(record, view);
    ASSERT_TRUE(used) << FrameErrorText(used.error());
    EXPECT_EQ(*used, record.size());
  }
  std::uint8_t at(int row, int column) const {
    return memory[static_cast<std::size_t>((row - movie.top) * stride + column - movie.left)];
  }
};

// What the frames show, painted from the PNGs' pixels by the test: picture p at (top, left).
void Paint(std::vector<std::uint8_t>& canvas, int width, const test::Picture& p, int top,
           int left) {
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x)
      canvas[static_cast<std::size_t>((top + y) * width + left + x)] = p.at(x, y);
  }
}

TEST_F(MovieBuildTest, PicturesDecodeIntoTheMovieFrameBufferAsTheirPngs) {
  auto records = build(kFlight);
  ASSERT_TRUE(records) << records.error();
  ASSERT_EQ(records->size(), 11u);
  auto header = ReadMovieHeader(records->at(0));
  ASSERT_TRUE(header) << header.error();
  const Rect movie{10, 20, 70, 121};
  // The title's palette, each 8-bit channel c stored as c x 257.
  EXPECT_EQ(header->palette[200], (Rgb16{200 * 257, 89 * 257, 55 * 257}));

  // Played in order: frames 0, 1, 2, 4, 5 (3 has no picture); the info test checks the records
  // and rectangles. Frames entered by a jump, a return or a landing (0, 4, 5) must also
  // decode over whatever the buffer holds.
  struct Step {
    std::size_t frame;
    Rect rect;
    const test::Picture* png;
    bool enteredByJump;
  };
  const Step steps[] = {{0, movie, &back, true},
                        {1, movie, &moved, false},
                        {2, {30, 41, 45, 64}, &patch, false},
                        {4, movie, &moved, true},
                        {5, {11, 98, 26, 121}, &patch, true}};
  PlayerBuffer player(movie, 0);
  std::vector<std::uint8_t> expected(101 * 60);
  for (const Step& step : steps) {
    const auto& record = records->at(header->frames[step.frame].picture);
    player.decode(record, step.rect);
    Paint(expected, 101, *step.png, step.rect.top - 10, step.rect.left - 20);
    for (int r = 0; r < 60; ++r) {
      for (int c = 0; c < 101; ++c)
        ASSERT_EQ(player.at(r + 10, c + 20), expected[static_cast<std::size_t>(r * 101 + c)])
            << "frame " << step.frame << " row " << r << " column " << c;
      for (int c = 101; c < player.stride; ++c)
        ASSERT_EQ(player.memory[static_cast<std::size_t>(r * player.stride + c)],
                  PlayerBuffer::kPadding);
    }
    if (!step.enteredByJump) continue;
    PlayerBuffer fresh(movie, 0x3C);
    fresh.decode(record, step.rect);
    for (int y = 0; y < step.png->height; ++y) {
      for (int x = 0; x < step.png->width; ++x)
        ASSERT_EQ(fresh.at(step.rect.top + y, step.rect.left + x), step.png->at(x, y))
            << "frame " << step.frame;
    }
  }
  // The second frame changes a block of the first: a difference, far smaller than a key frame.
  EXPECT_LT(records->at(5).size() * 4, records->at(4).size());
  // One (file, rate) is encoded once: the sound and the second theme part share their bytes.
  EXPECT_EQ(records->at(1), records->at(3));
}

TEST_F(MovieBuildTest, TheStarFileHoldsTheMovieAndInfoDescribesIt) {
  folder.writeFile("title.json", kFlight);
  const std::string path = (folder.path() / "out" / "FLIGHT.MOV").string();
  EXPECT_EQ(BuiltFileInfo(folder.path(), "FLIGHT.MOV"),
            path + ": movie file (type MOOV, creator LWRT)\n" +
                "movie: 2 segments\n"
                "  segment at record 0: rect [10, 20, 70, 121], origin [100, 50], 6 frames, "
                "shortest 2, status frames 1 5, quit, next segment 9\n"
                "    sound 1: record 1, 2205 samples at 11025 Hz, N bytes\n"
                "    theme part 1: record 2, 4410 samples at 22050 Hz, N bytes\n"
                "    theme part 2: record 3, 2205 samples at 11025 Hz, N bytes\n"
                "    playlist 1 2 2, loop 1\n"
                "    frame 0: 6 ticks, plain (0), timed, picture 4 [10, 20, 70, 121], "
                "sound 1, goto 1\n"
                "    frame 1: 6 ticks, wipe_right (4), timed, picture 5 [10, 20, 70, 121], "
                "goto 2\n"
                "    frame 2: 0 ticks, cell_dissolve (3), picture 6 [30, 41, 45, 64], "
                "goto 3\n"
                "    frame 3: 0 ticks, fade_out (8), palette only, preload 7..8, goto 4\n"
                "    frame 4: 0 ticks, plain (0), timed, landable, picture 7 "
                "[10, 20, 70, 121], play \"NEXT.MOV\"\n"
                "    frame 5: 0 ticks, plain (0), wait_sound, clicks_only, picture 8 "
                "[11, 98, 26, 121], sound 1, call \"SIDE.MOV\" return 5\n"
                "      hot spot [10, 20, 30, 60]: stop\n"
                "      hot spot [30, 20, 70, 121] on release: goto 0\n"
                "      hot spot [0, 0, 5, 5]: call \"SIDE.MOV\" return 5\n"
                "      hot spot [0, 0, 5, 5]: return\n"
                "      hot spot [1, 1, 2, 2]: play \"A.MOV\"\n"
                "  segment at record 9: rect [0, 0, 15, 23], origin [0, 0], 1 frame, "
                "shortest 0, status frames - -, next segment none\n"
                "    frame 0: 0 ticks, plain (0), picture 1 [0, 0, 15, 23], return\n");
}

TEST_F(MovieBuildTest, PicturesThatDoNotFitAreRefusedAtTheirPaths) {
  const std::string dir = folder.path().string();
  folder.writeFile("text.png", "not a picture");
  ASSERT_FALSE(WritePng(dir + "/big.png", {641, 2, std::vector<std::uint8_t>(641 * 2), {}}));
  const std::string frames = "$.movies[0].segments[0].frames";
  // The members of movie M.MOV behind its file name, and the errors.
  const std::pair<std::string, std::string> cases[] = {
      {R"("segments": [{"rect": [10, 20, 70, 121], "frames": [{"png": "patch.png",
          "at": [60, 100]}]}])",
       frames + "[0].png: expected a picture inside the movie rectangle [10, 20, 70, 121], not "
                "at [60, 100, 75, 123]\n"},
      {R"("segments": [{"rect": [10, 20, 70, 121], "frames": [{"png": "text.png"},
          {"png": "big.png"}, {"png": "none.png"}]}])",
       frames + "[0].png: expected a PNG file\n" + frames +
           "[1].png: expected an indexed PNG of 1..640 x 1..480, not 641 x 2\n" + frames +
           "[2].png: " + dir + "/none.png: No such file or directory\n"},
      {R"("palette": "none.clut", "segments": [{"frames": [{}, {"png": "back.png"}]}])",
       "$.movies[0].palette: " + dir + "/none.clut: No such file or directory\n"},
      {R"("segments": [{"frames": [{}, {"png": "back.png"}]}])",
       "$.movies[0].segments[0].rect: missing; expected the movie rectangle, since the first "
       "frame has no picture to take its size from\n"},
  };
  for (const auto& [members, errors] : cases) {
    auto built = build(R"({"system": "s.lws", "movies": [{"file": "M.MOV", )" + members + "}]}");
    ASSERT_FALSE(built) << members;
    EXPECT_EQ(built.error(), errors);
  }
}

}  // namespace
}  // namespace lw::authoring

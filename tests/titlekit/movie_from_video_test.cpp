// titlekit movie from-video as a program: a one-second test video made by ffmpeg becomes a movie
// whose frames, timing and sound `info` lists, and whose decoded pixels show the colours of
// ffmpeg's own decoding of the same frame; then one table of the options and of the failures, none
// of which leaves a scratch folder behind.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/bitmap.h"
#include "media/frame_codec.h"
#include "media/movie_format.h"
#include "support/common_program_run.h"

namespace lw::titlekit {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// A name with spaces and both quotes: the input must reach ffmpeg as one argument.
constexpr char kVideoName[] = "my clip 'one' \"take\".mp4";

class MovieFromVideoTest : public test::ProgramTest {
 protected:
  // titlekit runs through env, which sets its temporary folder (and, for one test, its PATH).
  MovieFromVideoTest() : ProgramTest("/usr/bin/env") {}

  // Runs titlekit with TMPDIR in the scratch folder and PATH as `path` (unchanged when empty).
  test::ProgramOutcome titlekit(std::vector<std::string> args, const std::string& path = "") const {
    std::vector<std::string> line = {"TMPDIR=" + folder("tmp")};
    if (!path.empty()) line.push_back("PATH=" + path);
    line.push_back(TITLEKIT_PATH);
    line.insert(line.end(), args.begin(), args.end());
    return run(line);
  }

  // Runs ffmpeg in the scratch folder, quietly; expects it to succeed.
  void ffmpeg(const std::string& args) const {
    const std::string command = "cd '" + folder("") + "' && ffmpeg -nostdin -v error -y " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  // The one-second test video: colour bars at 64 x 48, 10 frames a second, with a 440 Hz tone
  // unless `sound` is false.
  std::string video(bool sound = true) const {
    const std::string name = sound ? "clip.mp4" : "silent.mp4";
    ffmpeg("-f lavfi -i testsrc=size=64x48:rate=10 " +
           std::string(sound ? "-f lavfi -i sine=frequency=440:sample_rate=22050 " : "") +
           "-t 1 -pix_fmt yuv420p " + name);
    return file(name);
  }

  // Record `id` of `movie`, as `star get` gives it.
  std::vector<std::uint8_t> record(const std::string& movie, std::uint32_t id) const {
    const auto got = titlekit({"star", "get", movie, std::to_string(id), "-o", file("record")});
    EXPECT_EQ(got.status, 0) << got.err;
    return bytes("record");
  }
};

// The options and failures share the clip.
TEST_F(MovieFromVideoTest, TurnsAVideoIntoATimedMovieWithItsSoundAndRefusesBadRuns) {
  const std::string clip = video();
  const std::string in = file(kVideoName);
  fs::copy_file(clip, in);
  const std::string out = file("CLIP.MOV");
  // Ten frames are allowed when --max-frames is 10.
  const auto made = titlekit({"movie", "from-video", in, "-o", out, "--max-frames", "10"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, out + ": 10 frames of 64 x 48 at 10 fps, with sound\n");
  EXPECT_TRUE(fs::is_empty(folder("tmp"))) << "a scratch folder was left behind";

  const std::string info = titlekit({"info", out}).out;
  EXPECT_NE(info.find("sound 1: record 1, 22050 samples at 22050 Hz"), std::string::npos) << info;

  // Frames 0 and 1 decoded in turn (a difference frame builds on the frame before) against
  // ffmpeg's own decoding of frame 1.
  auto header = ReadMovieHeader(record(out, 0));
  ASSERT_TRUE(header) << header.error();
  ASSERT_EQ(header->frames.size(), 10u);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kWidth * kHeight), 0);
  for (std::size_t f = 0; f <= 1; ++f) {
    const auto frame = record(out, header->frames[f].picture);
    ASSERT_TRUE(DecodeFrame(frame, BitmapView{buffer, 0, kWidth, kWidth, kHeight}))
        << "frame " << f;
  }
  // ffmpeg's own frames 0 and 1, 3 bytes a pixel.
  ffmpeg("-i clip.mp4 -vf fps=10 -frames:v 2 -f rawvideo -pix_fmt rgb24 oracle.rgb");
  const std::vector<std::uint8_t> oracle = bytes("oracle.rgb");
  ASSERT_EQ(oracle.size(), 2u * kWidth * kHeight * 3);
  const int points[][2] = {{4, 4}, {20, 10}, {36, 20}, {60, 30}, {10, 44}, {50, 40}};
  for (const auto& [x, y] : points) {
    const std::size_t at = static_cast<std::size_t>(y * kWidth + x);
    const Rgb16& got = header->palette[buffer[at]];
    const int shown[3] = {got.red >> 8, got.green >> 8, got.blue >> 8};
    // 254 colours for the whole video: a few steps off at most; a wrong frame or index is far.
    for (std::size_t c = 0; c < 3; ++c) {
      EXPECT_LE(std::abs(shown[c] - oracle[(kWidth * kHeight + at) * 3 + c]), 20)
          << "at " << x << ", " << y;
    }
  }

  // One table for the options and the failures, each run checked for its status, its output and
  // whether it wrote the movie.
  const std::string text = write("notes.txt", "not a video at all\n");
  const std::string output = file("OUT.MOV");
  // Status; on success standard output and then each frame's ticks, else how standard error
  // starts; the arguments; PATH for titlekit (empty: as it is).
  struct Case {
    int status;
    std::string printed;
    std::vector<std::string> args;
    std::string path = "";
  };
  const std::string fps = "titlekit movie: --fps takes a whole number 1..30";
  const std::string movie = "titlekit movie: ";
  const std::vector<Case> cases = {
      // Frames end at the tick nearest k x 60 / 7: 9 17 26 34 43 51 60.
      {0,
       output + ": 7 frames of 16 x 12 at 7 fps, no sound\n9 8 9 8 9 8 9 ",
       {clip, "--fps", "7", "--size", "16x480", "--no-sound"}},
      {0,
       output + ": 5 frames of 32 x 24 at 5 fps, no sound\n12 12 12 12 12 ",
       {video(false), "--fps", "5", "--size", "32x32"}},
      {1, movie + file("missing.mp4") + ": no such file\n", {file("missing.mp4")}},
      {2, fps + ", not '0'\nusage: titlekit movie", {clip, "--fps", "0"}},
      {2, fps, {clip, "--fps", "31"}},
      {2, movie + "--size takes WxH, 2..640 x 2..480", {clip, "--size", "1x480"}},
      {1,
       movie + clip + ": more than 9 frames at 10 fps; lower --fps, raise --max-frames or " +
           "shorten the video\n",
       {clip, "--max-frames", "9"}},
      {1,
       movie + "ffmpeg failed with exit code 1:\nfile:" + text +
           ": Invalid data found when processing input\n",
       {text}},
      {1,
       movie + "ffmpeg not found; install it (apt-get install ffmpeg)\n",
       {clip},
       folder("empty")}};
  for (const Case& c : cases) {
    std::vector<std::string> args = {"movie", "from-video", "-o", output};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto got = titlekit(args, c.path);
    EXPECT_EQ(got.status, c.status) << c.printed << got.err;
    if (c.status != 0) {
      EXPECT_EQ(got.err.substr(0, c.printed.size()), c.printed);
      EXPECT_EQ(got.out, "") << c.printed;
      EXPECT_FALSE(fs::exists(output)) << c.printed;
      continue;
    }
    auto written = ReadMovieHeader(record(output, 0));
    ASSERT_TRUE(written) << written.error();
    std::string printed = got.out;
    for (const MovieFrame& frame : written->frames) printed += std::to_string(frame.duration) + " ";
    EXPECT_EQ(printed, c.printed);
    fs::remove(output);
  }
  EXPECT_TRUE(fs::is_empty(folder("tmp"))) << "a scratch folder was left behind";
}

}  // namespace
}  // namespace lw::titlekit

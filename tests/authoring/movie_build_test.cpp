// Movie files built from a manifest: each frame picture decodes with the runtime's frame decoder
// into a movie-sized frame buffer to the pixels of its PNG, frames a player can jump to decode
// over any buffer, `info` shows every header value the manifest gave, and bad entries and
// pictures that do not fit are refused at their JSON paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/movie_build.h"
#include "authoring/title_sources.h"
#include "authoring/wav_file.h"
#include "built_library_file.h"
#include "media/frame_codec.h"
#include "media/movie_format.h"
#include "platform/png_image.h"
#include "support/common_pictures.h"
#include "support/common_signals.h"
#include "support/temp_folder.h"

namespace lw::authoring {
namespace {

// Six frames at a movie rectangle of odd width away from (0, 0), then a second segment whose
// rectangle is its picture's size; values at the edges of their ranges (a parameter of 65535, a
// name of 31 characters). Frame 4 is reached only from frame 3 and differs little from
// it: being landable is what must make it a key frame.
constexpr char kFlight[] = R"({"system": "s.lws", "palette": "back.png", "movies": [
 {"file": "FLIGHT.MOV", "segments": [
  {"rect": [10, 20, 70, 121], "origin": [100, -50], "shortest": 2, "quit": true,
   "status_frames": [1, 5],
   "sounds": [{"name": "whoosh", "audio": "tone.wav", "rate": 11025}],
   "theme": [{"name": "a", "audio": "tone.wav"}, {"name": "b", "audio": "tone.wav", "rate": 11025}],
   "playlist": [1, 2, 2], "playlist_loop": 1,
   "frames": [
    {"png": "back.png", "duration": 6, "flags": ["timed"], "sound": "whoosh"},
    {"png": "moved.png", "duration": 6, "transition": "wipe_right", "parameter": 65535,
     "flags": ["timed"]},
    {"png": "patch.png", "at": [30, 41], "transition": 13, "parameter": 3},
    {"transition": "fade_out", "parameter": 8, "preload": [4, 5], "flags": ["preload_after"]},
    {"png": "moved.png", "flags": ["landable", "timed"],
     "end": {"play": "thirty-one characters long .MOV"}},
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

// The movie's frame buffer as a player keeps it: rows of the movie width, 101, rounded up to 4.
constexpr Rect kMovie{10, 20, 70, 121};
constexpr int kStride = 104;
using Buffer = std::vector<std::uint8_t>;

// Decodes a picture record at its rectangle `at` in the movie, as the record's header sizes it.
void Decode(Buffer& buffer, const std::vector<std::uint8_t>& record, const Rect& at) {
  const BitmapView view{buffer, (at.top - kMovie.top) * kStride + at.left - kMovie.left, kStride,
                        at.width(), at.height()};
  auto used = DecodeFrame(record, view);
  ASSERT_TRUE(used) << FrameErrorText(used.error());
  EXPECT_EQ(*used, record.size());
}

// What a frame shows, painted from its PNG's pixels by the test: picture p at `at`.
void Paint(Buffer& buffer, const test::Picture& p, const Rect& at) {
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      buffer[static_cast<std::size_t>((at.top - kMovie.top + y) * kStride + at.left - kMovie.left +
                                      x)] = p.at(x, y);
    }
  }
}

TEST_F(MovieBuildTest, PicturesDecodeIntoTheMovieFrameBufferAsTheirPngs) {
  auto records = build(kFlight);
  ASSERT_TRUE(records) << records.error();
  ASSERT_EQ(records->size(), 11u);
  auto header = ReadMovieHeader(records->at(0));
  ASSERT_TRUE(header) << header.error();
  // The title's palette, each 8-bit channel c stored as c x 257.
  EXPECT_EQ(header->palette[200], (Rgb16{200 * 257, 89 * 257, 55 * 257}));

  // Played in order: frames 0, 1, 2, 4, 5 (3 has no picture); the info test checks the records
  // and rectangles. Frames entered by a jump, a return or a landing (0, 4, 5) must also decode
  // over whatever the buffer holds, so must be key frames.
  const std::tuple<std::size_t, Rect, const test::Picture*, bool> steps[] = {
      {0, kMovie, &back, true},
      {1, kMovie, &moved, false},
      {2, {30, 41, 45, 64}, &patch, false},
      {4, kMovie, &moved, true},
      {5, {11, 98, 26, 121}, &patch, true}};
  Buffer played(kStride * 60, 0);
  Buffer expected = played;
  for (const auto& [frame, rect, png, enteredByJump] : steps) {
    const auto& record = records->at(header->frames[frame].picture);
    Decode(played, record, rect);
    Paint(expected, *png, rect);
    EXPECT_TRUE(played == expected) << "frame " << frame;
    if (!enteredByJump) continue;
    Buffer fresh(kStride * 60, 0x3C);
    Buffer freshExpected = fresh;
    Decode(fresh, record, rect);
    Paint(freshExpected, *png, rect);
    EXPECT_TRUE(fresh == freshExpected) << "frame " << frame << " over another buffer";
  }
  // The second frame changes a block of the first: a difference, far smaller than a key frame.
  EXPECT_LT(records->at(5).size() * 4, records->at(4).size());
  // One (file, rate) is encoded once: the sound and the second theme part share their bytes.
  EXPECT_EQ(records->at(1), records->at(3));
}

TEST_F(MovieBuildTest, TheStarFileHoldsTheMovieAndInfoDescribesIt) {
  folder.writeFile("title.json", kFlight);
  const std::string path = (folder.path() / "out" / "FLIGHT.MOV").string();
  EXPECT_EQ(
      BuiltFileInfo(folder.path(), "FLIGHT.MOV"),
      path + ": movie file (type MOOV, creator LWRT)\n" +
          "movie: 2 segments\n"
          "  segment at record 0: rect [10, 20, 70, 121], origin [100, -50], 6 frames, "
          "shortest 2, status frames 1 5, quit, next segment 9\n"
          "    sound 1: record 1, 2205 samples at 11025 Hz, N bytes\n"
          "    theme part 1: record 2, 4410 samples at 22050 Hz, N bytes\n"
          "    theme part 2: record 3, 2205 samples at 11025 Hz, N bytes\n"
          "    playlist 1 2 2, loop 1\n"
          "    frame 0: 6 ticks, plain (0), timed, picture 4 [10, 20, 70, 121], "
          "sound 1, goto 1\n"
          "    frame 1: 6 ticks, wipe_right (65535), timed, picture 5 [10, 20, 70, 121], "
          "goto 2\n"
          "    frame 2: 0 ticks, cell_dissolve (3), picture 6 [30, 41, 45, 64], "
          "goto 3\n"
          "    frame 3: 0 ticks, fade_out (8), preload_after, palette only, preload 7..8, goto 4\n"
          "    frame 4: 0 ticks, plain (0), timed, landable, picture 7 "
          "[10, 20, 70, 121], play \"thirty-one characters long .MOV\"\n"
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

// A title of movie M.MOV with `members` behind its file name.
std::string Movie(const std::string& members) {
  return R"({"system": "s.lws", "movies": [{"file": "M.MOV", )" + members + "}]}";
}

// The same with one segment whose members are `members`, with one frame unless `members` has
// frames.
std::string Segment(const std::string& members) {
  const std::string frames =
      members.find("\"frames\"") == std::string::npos ? R"("frames": [{}], )" : "";
  return Movie(R"("segments": [{)" + frames + members + "}]");
}

// The same with frames `frames`.
std::string Frames(const std::string& frames) {
  return Segment(R"("rect": [0, 0, 10, 10], "frames": )" + frames);
}

// Bad movies, each with every error it must report at its JSON path: the manifest's entries, then
// pictures that do not fit.
TEST_F(MovieBuildTest, BadMoviesAreRefusedWithEveryErrorAtItsPath) {
  const std::string dir = folder.path().string();
  folder.writeFile("text.png", "not a picture");
  ASSERT_FALSE(WritePng(dir + "/big.png", {641, 2, std::vector<std::uint8_t>(641 * 2), {}}));
  const std::string frames = "$.movies[0].segments[0].frames";
  const std::string frame0 = frames + "[0]", frame1 = frames + "[1]";
  const std::string segment = "$.movies[0].segments[0]";
  const std::string action =
      "expected \"stop\", \"return\", {\"goto\": FRAME}, {\"play\": MOVIE} or {\"call\": MOVIE, "
      "\"return\": FRAME}\n";
  const std::string preload =
      ".preload: expected [first, last]: two frame numbers of the segment, first <= last\n";
  const std::string transition =
      ".transition: expected a transition kind 0..18 or its name, such as \"plain\"\n";
  // Generic readers (true or false, unknown keys, names and rates of sounds) are tested with the
  // other manifests.
  const std::pair<std::string, std::string> cases[] = {
      {Movie(R"("segments": [])"),
       "$.movies[0].segments: expected an array of at least one segment\n"},
      {R"({"system": "s", "movies": [{"file": "M.MOV", "segments": [{"frames": []}]}],
           "stages": [{"file": "m.mov", "name": "s", "flats": [{"name": "f", "picture": "p"}]}]})",
       segment + ".frames: expected an array of 1 to 32767 frames\n" +
           "$.movies[0].file: expected a file name that no other output of the title has\n"},
      {Segment(R"("rect": [5, 0, 5, 10], "shortest": -1)"),
       segment +
           ".rect: expected [top, left, bottom, right]: four whole numbers -32768..32767 "
           "with top < bottom, left < right, at most 640 x 480\n" +
           segment + ".shortest: expected a whole number of ticks 0..2147483647\n"},
      {Segment(R"("status_frames": [0, 1], "theme": [{"name": "a", "audio": "a.wav"}],
                  "playlist": [1, 2])"),
       segment + ".playlist: expected an array of at most 64 theme part numbers 1..T, T the " +
           "segment's theme parts\n" + segment +
           ".status_frames: expected [a, b]: two frame numbers of the segment\n"},
      {Segment(R"("theme": [{"name": "a", "audio": "a.wav"}], "playlist": [1, 1],
                  "playlist_loop": 2)"),
       segment + ".playlist_loop: expected a playlist position 0..P-1, P the playlist's "
                 "length\n"},
      {Frames(R"([{"duration": 1.5, "transition": "swirl", "parameter": 65536, "flags": ["fast"],
                   "sound": "c"}])"),
       frame0 + ".duration: expected a whole number of ticks 0..2147483647\n" + frame0 +
           transition + frame0 + ".parameter: expected a whole number 0..65535\n" + frame0 +
           ".flags: expected an array of \"timed\", \"landable\", \"wait_sound\", " +
           "\"preload_after\" or \"clicks_only\"\n" + frame0 +
           ".sound: expected the name of one of the segment's sounds\n"},
      {Frames(R"([{"end": "loop"}, {"end": {"goto": 0, "play": "A.MOV"}},
                  {"end": {"call": "A.MOV"}}])"),
       frame0 + ".end: " + action + frame1 + ".end: " + action + frames + "[2].end: " + action},
      {Frames(R"([{"end": {"play": "thirty-two characters long . MOV"}},
                  {"end": {"call": "", "return": -1}}])"),
       frame0 + ".end.play: expected a movie name of 1 to 31 characters, not 32\n" + frame1 +
           ".end.call: expected a movie name of 1 to 31 characters, not 0\n" + frame1 +
           ".end.return: expected a frame of the segment, 0..1\n"},
      {Frames(
           R"([{"transition": 19, "preload": [1, 0]}, {"end": {"goto": 2}, "preload": [0, 2]}])"),
       frame0 + transition + frame0 + preload + frame1 +
           ".end.goto: expected a frame of the segment, 0..1\n" + frame1 + preload},
      {Frames(R"([{"hotspots": [{"action": "stop"}, {"rect": [0, 0, 1, 1]},
                  {"rect": [0, 5, 1, 5], "action": "stop"}, 4]}])"),
       frame0 + ".hotspots[0].rect: missing; expected [top, left, bottom, right]: four whole " +
           "numbers -32768..32767 with top < bottom and left < right\n" + frame0 +
           ".hotspots[1].action: missing; " + action + frame0 +
           ".hotspots[2].rect: expected [top, left, bottom, right]: four whole numbers " +
           "-32768..32767 with top < bottom and left < right\n" + frame0 +
           ".hotspots[3]: expected a hot spot (an object)\n"},
      {Movie(R"("segments": [{"rect": [10, 20, 70, 121], "frames": [{"png": "patch.png",
          "at": [60, 100]}]}])"),
       frames + "[0].png: expected a picture inside the movie rectangle [10, 20, 70, 121], not "
                "at [60, 100, 75, 123]\n"},
      {Movie(R"("segments": [{"rect": [10, 20, 70, 121], "frames": [{"png": "text.png"},
          {"png": "big.png"}, {"png": "none.png"}]}])"),
       frames + "[0].png: expected a PNG file\n" + frames +
           "[1].png: expected an indexed PNG of 1..640 x 1..480, not 641 x 2\n" + frames +
           "[2].png: " + dir + "/none.png: No such file or directory\n"},
      {Movie(R"("palette": "none.clut", "segments": [{"frames": [{}, {"png": "back.png"}]}])"),
       "$.movies[0].palette: " + dir + "/none.clut: No such file or directory\n"},
      {Movie(R"("segments": [{"frames": [{}, {"png": "back.png"}]}])"),
       "$.movies[0].segments[0].rect: missing; expected the movie rectangle, since the first "
       "frame has no picture to take its size from\n"},
  };
  for (const auto& [json, errors] : cases) {
    auto built = build(json);
    ASSERT_FALSE(built) << json;
    EXPECT_EQ(built.error(), errors);
  }
}

}  // namespace
}  // namespace lw::authoring

// The movies of the title manifest: values at the edges of their ranges, and a table of bad
// entries, each with every error it must report at its JSON path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/title_manifest.h"

namespace lw::authoring {
namespace {

// The errors of `json`, one a line.
std::string Errors(const std::string& json) {
  std::string text;
  for (const ManifestError& error : ReadTitleManifest(json, "in").errors)
    text += error.where + ": " + error.problem + "\n";
  return text;
}

// A title with one movie of one segment whose members are `members`, with one frame unless
// `members` has frames.
std::string Segment(const std::string& members) {
  const std::string frames =
      members.find("\"frames\"") == std::string::npos ? R"("frames": [{}], )" : "";
  return R"({"system": "s", "movies": [{"file": "M.MOV", "segments": [{)" + frames + members +
         "}]}]}";
}

// The same with frames `frames` and sounds a and b.
std::string Frames(const std::string& frames) {
  return Segment(R"("rect": [0, 0, 10, 10], "sounds": [{"name": "a", "audio": "a.wav"},
                    {"name": "b", "audio": "b.wav"}], "frames": )" +
                 frames);
}

// The values at the edges of their ranges, which the movie build test's title does not use; the
// build test checks through `info` that every value reaches the file.
TEST(MovieManifestTest, ReadsValuesAtTheEdgesOfTheirRanges) {
  const ManifestReading read = ReadTitleManifest(Segment(R"(
      "rect": [-5, 0, 475, 640], "origin": [64, -48], "frames": [
       {"transition": "iris_open", "parameter": 65535, "flags": ["timed", "landable",
        "wait_sound", "preload_after", "clicks_only"], "end": "stop", "hotspots": [
         {"rect": [-1, -2, 3, 4], "action": {"play": "thirty-one characters long .MOV"},
          "on_release": false}]},
       {"transition": 18, "end": {"call": "B.MOV", "return": 0}}])"),
                                                 "in");
  ASSERT_TRUE(read.errors.empty()) << read.errors.front().problem;
  const ManifestSegment& s = read.title.movies.at(0).segments.at(0);
  EXPECT_EQ((std::vector<int>{s.rect->top, s.rect->right, s.origin.h, s.origin.v}),
            (std::vector<int>{-5, 640, 64, -48}));
  const ManifestMovieFrame& f = s.frames.at(0);
  EXPECT_EQ(
      (std::vector<int>{f.transition, f.parameter, f.flags, static_cast<int>(f.end->kind),
                        s.frames.at(1).transition, s.frames.at(1).end->frame}),
      (std::vector<int>{3, 65535, 61, 1, 18, 0}));  // 61: the five named flags, not 2 (preload)
  EXPECT_EQ(f.hotSpots.at(0).action.movie, "thirty-one characters long .MOV");
  EXPECT_FALSE(f.hotSpots.at(0).onRelease);
}

TEST(MovieManifestTest, ReportsEveryErrorOfAMovieAtItsPath) {
  const std::string frame0 = "$.movies[0].segments[0].frames[0]";
  const std::string segment = "$.movies[0].segments[0]";
  const std::string action =
      "expected \"stop\", \"return\", {\"goto\": FRAME}, {\"play\": MOVIE} or {\"call\": MOVIE, "
      "\"return\": FRAME}\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"system": "s", "movies": {}})", "$.movies: expected an array of movies\n"},
      {R"({"system": "s", "movies": [{"file": "M.MOV"}]})",
       "$.movies[0].segments: missing; expected an array of at least one segment\n"},
      {R"({"system": "s", "movies": [{"file": "M.MOV", "segments": [], "speed": 1}]})",
       "$.movies[0].speed: unknown key; expected one of file, palette, segments\n"
       "$.movies[0].segments: expected an array of at least one segment\n"},
      {R"({"system": "s", "movies": [{"file": "M.MOV", "segments": [{"frames": []}]}],
           "stages": [{"file": "m.mov", "name": "s", "flats": [{"name": "f", "picture": "p"}]}]})",
       segment + ".frames: expected an array of 1 to 32767 frames\n" +
           "$.movies[0].file: expected a file name that no other output of the title has\n"},
      {Segment(R"("rect": [5, 0, 5, 10], "origin": [1], "quit": 1, "shortest": -1)"),
       segment +
           ".rect: expected [top, left, bottom, right]: four whole numbers -32768..32767 "
           "with top < bottom, left < right, at most 640 x 480\n" +
           segment + ".origin: expected [x, y]: two whole numbers -32768..32767\n" + segment +
           ".shortest: expected a whole number of ticks 0..2147483647\n" + segment +
           ".quit: expected true or false\n"},
      {Segment(R"("status_frames": [0, 1], "theme": [{"name": "a", "audio": "a.wav"}],
                  "playlist": [1, 2])"),
       segment + ".playlist: expected an array of at most 64 theme part numbers 1..T, T the " +
           "segment's theme parts\n" + segment +
           ".status_frames: expected [a, b]: two frame numbers of the segment\n"},
      {Segment(R"("theme": [{"name": "a", "audio": "a.wav"}], "playlist": [1, 1],
                  "playlist_loop": 2)"),
       segment + ".playlist_loop: expected a playlist position 0..P-1, P the playlist's "
                 "length\n"},
      {Segment(R"("sounds": [{"name": "a", "audio": "a.wav", "rate": 8000},
                             {"name": "A", "audio": "a.wav"}])"),
       segment + ".sounds[0].rate: expected 11025, 22050 or 44100\n" + segment +
           ".sounds[1].name: expected a name that no other sound here has (names ignore "
           "case)\n"},
      {Frames(R"([{"png": 3, "at": [0], "duration": 1.5, "transition": "swirl",
                   "parameter": 65536, "flags": ["fast"], "sound": "c", "jump": 1}])"),
       frame0 + ".jump: unknown key; expected one of png, at, duration, transition, parameter, " +
           "flags, sound, end, hotspots, preload\n" + frame0 +
           ".png: expected a PNG file name (text)\n" + frame0 +
           ".at: expected [top, left]: two whole numbers -32768..32767\n" + frame0 +
           ".duration: expected a whole number of ticks 0..2147483647\n" + frame0 +
           ".transition: expected a transition kind 0..18 or its name, such as \"plain\"\n" +
           frame0 + ".parameter: expected a whole number 0..65535\n" + frame0 +
           ".flags: expected an array of \"timed\", \"landable\", \"wait_sound\", " +
           "\"preload_after\" or \"clicks_only\"\n" + frame0 +
           ".sound: expected the name of one of the segment's sounds\n"},
      {Frames(R"([{"end": "loop"}, {"end": {"goto": 0, "play": "A.MOV"}},
                  {"end": {"call": "A.MOV"}}])"),
       frame0 + ".end: " + action + "$.movies[0].segments[0].frames[1].end: " + action +
           "$.movies[0].segments[0].frames[2].end: " + action},
      {Frames(R"([{"end": {"play": "thirty-two characters long . MOV"}},
                  {"end": {"call": "", "return": -1}}])"),
       frame0 + ".end.play: expected a movie name of 1 to 31 characters, not 32\n" +
           "$.movies[0].segments[0].frames[1].end.call: expected a movie name of 1 to 31 "
           "characters, not 0\n" +
           "$.movies[0].segments[0].frames[1].end.return: expected a frame of the segment, "
           "0..1\n"},
      {Frames(
           R"([{"transition": 19, "preload": [1, 0]}, {"end": {"goto": 2}, "preload": [0, 2]}])"),
       frame0 + ".transition: expected a transition kind 0..18 or its name, such as \"plain\"\n" +
           frame0 + ".preload: expected [first, last]: two frame numbers of the segment, " +
           "first <= last\n$.movies[0].segments[0].frames[1].end.goto: expected a frame of the " +
           "segment, 0..1\n$.movies[0].segments[0].frames[1].preload: expected [first, last]: " +
           "two frame numbers of the segment, first <= last\n"},
      {Frames(R"([{"hotspots": [{"action": "stop"}, {"rect": [0, 0, 1, 1]},
                  {"rect": [0, 5, 1, 5], "action": "stop", "on_release": "yes"}, 4]}])"),
       frame0 + ".hotspots[0].rect: missing; expected [top, left, bottom, right]: four whole " +
           "numbers -32768..32767 with top < bottom and left < right\n" + frame0 +
           ".hotspots[1].action: missing; " + action + frame0 +
           ".hotspots[2].rect: expected [top, left, bottom, right]: four whole numbers " +
           "-32768..32767 with top < bottom and left < right\n" + frame0 +
           ".hotspots[2].on_release: expected true or false\n" + frame0 +
           ".hotspots[3]: expected a hot spot (an object)\n"},
  };
  for (const auto& [json, errors] : cases) EXPECT_EQ(Errors(json), errors) << json;
}

}  // namespace
}  // namespace lw::authoring

// The movies of the title manifest: a movie with what it gives, defaults included, and a table
// of bad entries, each with every error it must report at its JSON path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/title_manifest.h"

namespace lw::authoring {
namespace {

std::string ActionTrace(const ManifestMovieAction& a) {
  return std::to_string(static_cast<int>(a.kind)) + "/" + std::to_string(a.frame) +
         (a.movie.empty() ? "" : "/" + a.movie);
}

std::string Trace(const std::vector<ManifestMovie>& movies) {
  std::string text;
  for (const ManifestMovie& movie : movies) {
    text += "movie " + movie.file + " palette " + movie.palette.path.string() + "\n";
    for (const ManifestSegment& s : movie.segments) {
      text += " segment rect " +
              (s.rect ? std::to_string(s.rect->top) + "," + std::to_string(s.rect->left) + "," +
                            std::to_string(s.rect->bottom) + "," + std::to_string(s.rect->right)
                      : std::string("-")) +
              " origin " + std::to_string(s.origin.h) + "," + std::to_string(s.origin.v) +
              " shortest " + std::to_string(s.shortest) + " quit " +
              std::to_string(s.quitWhileWaiting) + " status " + std::to_string(s.statusFrame1) +
              "," + std::to_string(s.statusFrame2) + " sounds " + std::to_string(s.sounds.size()) +
              " parts " + std::to_string(s.themeParts.size()) + " playlist";
      for (const std::uint16_t p : s.playlist) text += " " + std::to_string(p);
      text += " loop " + std::to_string(s.playlistLoop) + "\n";
      for (const ManifestMovieFrame& f : s.frames) {
        text +=
            "  frame " + f.png.path.string() + " at " +
            (f.at ? std::to_string(f.at->v) + "," + std::to_string(f.at->h) : "-") + " " +
            std::to_string(f.duration) + " ticks, transition " + std::to_string(f.transition) +
            "/" + std::to_string(f.parameter) + " flags " + std::to_string(f.flags) + " sound " +
            std::to_string(f.sound) + " end " + (f.end ? ActionTrace(*f.end) : "-") + " preload " +
            (f.preload ? std::to_string(f.preload->first) + ".." + std::to_string(f.preload->last)
                       : "-") +
            "\n";
        for (const ManifestHotSpot& h : f.hotSpots) {
          text += "   spot " + std::to_string(h.rect.top) + "," + std::to_string(h.rect.left) +
                  "," + std::to_string(h.rect.bottom) + "," + std::to_string(h.rect.right) +
                  (h.onRelease ? " release " : " ") + ActionTrace(h.action) + "\n";
        }
      }
    }
  }
  return text;
}

// The errors of `json`, one a line, or its movies when it has none.
std::string Read(const std::string& json) {
  const ManifestReading read = ReadTitleManifest(json, "in");
  std::string text;
  for (const ManifestError& error : read.errors) text += error.where + ": " + error.problem + "\n";
  return text.empty() ? Trace(read.title.movies) : text;
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

TEST(MovieManifestTest, ReadsMoviesWithTheirDefaults) {
  const std::string json = R"({"system": "s", "movies": [
    {"file": "INTRO.MOV", "palette": "p.png", "segments": [
      {"rect": [-5, 0, 475, 640], "origin": [64, -48], "shortest": 3, "quit": true,
       "status_frames": [2, 0], "sounds": [{"name": "a", "audio": "a.wav"}],
       "theme": [{"name": "x", "audio": "x.wav"}, {"name": "y", "audio": "y.wav", "rate": 11025}],
       "playlist": [2, 1, 2], "playlist_loop": 2,
       "frames": [
         {"png": "f.png", "at": [1, 2], "duration": 10, "transition": "iris_open",
          "parameter": 65535, "flags": ["timed", "landable", "wait_sound", "preload_after",
          "clicks_only"], "sound": "A", "end": {"goto": 2}, "preload": [1, 2]},
         {"end": "return", "hotspots": [
           {"rect": [0, 0, 1, 1], "action": "stop"},
           {"rect": [-1, -2, 3, 4], "action": {"play": "thirty-one characters long .MOV"},
            "on_release": true},
           {"rect": [0, 0, 1, 1], "action": {"call": "B.MOV", "return": 0}, "on_release": false}]},
         {"transition": 18, "end": "stop"}]},
      {"frames": [{"png": "g.png"}]}]}]})";
  EXPECT_EQ(Read(json),
            "movie INTRO.MOV palette in/p.png\n"
            " segment rect -5,0,475,640 origin 64,-48 shortest 3 quit 1 status 2,0 sounds 1 "
            "parts 2 playlist 2 1 2 loop 2\n"
            "  frame in/f.png at 1,2 10 ticks, transition 3/65535 flags 63 sound 1 end 2/2 "
            "preload 1..2\n"
            "  frame  at - 0 ticks, transition 16/0 flags 0 sound 0 end 5/0 preload -\n"
            "   spot 0,0,1,1 1/0\n"
            "   spot -1,-2,3,4 release 3/0/thirty-one characters long .MOV\n"
            "   spot 0,0,1,1 4/0/B.MOV\n"
            "  frame  at - 0 ticks, transition 18/0 flags 0 sound 0 end 1/0 preload -\n"
            " segment rect - origin 0,0 shortest 0 quit 0 status 65535,65535 sounds 0 parts 0 "
            "playlist loop 0\n"
            "  frame in/g.png at - 0 ticks, transition 16/0 flags 0 sound 0 end - preload -\n");
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
      {R"({"system": "s", "movies": [{"file": "M.MOV", "segments": []}]})",
       "$.movies[0].segments: expected an array of at least one segment\n"},
      {R"({"system": "s", "movies": [{"file": "M.MOV", "segments": [], "speed": 1}]})",
       "$.movies[0].speed: unknown key; expected one of file, palette, segments\n"
       "$.movies[0].segments: expected an array of at least one segment\n"},
      {R"({"system": "s", "movies": [{"file": "M.MOV", "segments": [{"frames": []}]}],
           "stages": [{"file": "m.mov", "name": "s", "flats": [{"name": "f", "picture": "p"}]}]})",
       segment + ".frames: expected an array of 1 to 32767 frames\n" +
           "$.movies[0].file: expected a file name that no other output of the title has\n"},
      {Segment(R"("rect": [0, 0, 481, 10])"),
       segment + ".rect: expected [top, left, bottom, right]: four whole numbers -32768..32767 "
                 "with top < bottom, left < right, at most 640 x 480\n"},
      {Segment(R"("rect": [5, 0, 5, 10], "origin": [1], "quit": 1, "shortest": -1)"),
       segment +
           ".rect: expected [top, left, bottom, right]: four whole numbers -32768..32767 "
           "with top < bottom, left < right, at most 640 x 480\n" +
           segment + ".origin: expected [x, y]: two whole numbers -32768..32767\n" + segment +
           ".shortest: expected a whole number of ticks 0..2147483647\n" + segment +
           ".quit: expected true or false\n"},
      {Segment(R"("status_frames": [0, 1])"),
       segment + ".status_frames: expected [a, b]: two frame numbers of the segment\n"},
      {Segment(R"("theme": [{"name": "a", "audio": "a.wav"}], "playlist": [1, 2])"),
       segment + ".playlist: expected an array of at most 64 theme part numbers 1..T, T the "
                 "segment's theme parts\n"},
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
      {Frames(R"([{"transition": 19}, {"end": {"goto": 2}}])"),
       frame0 + ".transition: expected a transition kind 0..18 or its name, such as \"plain\"\n" +
           "$.movies[0].segments[0].frames[1].end.goto: expected a frame of the segment, 0..1\n"},
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
      {Frames(R"([{"preload": [1, 0]}, {"preload": [0, 2]}])"),
       frame0 +
           ".preload: expected [first, last]: two frame numbers of the segment, first <= "
           "last\n" +
           "$.movies[0].segments[0].frames[1].preload: expected [first, last]: two frame "
           "numbers of the segment, first <= last\n"},
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
  for (const auto& [json, errors] : cases) EXPECT_EQ(Read(json), errors) << json;
}

}  // namespace
}  // namespace lw::authoring

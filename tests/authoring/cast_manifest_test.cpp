// The casts and shops of the title manifest: a good cast and shop with what they give, defaults
// included, and a table of bad entries, each with every error it must report at its JSON path.
#include <gtest/gtest.h>

#include <string>

#include "authoring/title_manifest.h"

namespace lw::authoring {
namespace {

std::string Trace(const std::vector<ManifestGroup>& groups) {
  const auto file = [](const SourceFile& f) { return " " + (f.named() ? f.path.string() : "-"); };
  std::string text;
  for (const ManifestGroup& group : groups) {
    text += (group.kind == GroupKind::kCast ? "cast " : "shop ") + group.file + " " + group.name +
            file(group.script) + "\n";
    for (const ManifestFigure& figure : group.figures) {
      text += " figure " + figure.name + file(figure.script) + " set=" + figure.set +
              " star=" + figure.star + "\n";
      for (const ManifestPose& pose : figure.poses) {
        text += "  pose " + pose.name + " frames";
        for (const std::uint16_t view : pose.frames) text += " " + std::to_string(view);
        text += "\n";
        for (const ManifestImage& i : pose.images) {
          text += "   image" + file(i.png) + " view " + std::to_string(i.view) + " angle " +
                  std::to_string(i.angle) + " hot " +
                  (i.hot ? std::to_string(i.hot->v) + "," + std::to_string(i.hot->h) : "-") +
                  " transparent " + std::to_string(i.transparent) +
                  (i.mirrored ? " mirrored" : "") + " size " + std::to_string(i.size) + "\n";
        }
      }
    }
  }
  return text;
}

// The errors of `json`, one a line, or its casts and shops when it has none.
std::string Read(const std::string& json) {
  const ManifestReading read = ReadTitleManifest(json, "in");
  std::string text;
  for (const ManifestError& error : read.errors) text += error.where + ": " + error.problem + "\n";
  return text.empty() ? Trace(read.title.casts) + Trace(read.title.shops) : text;
}

// A title with one cast whose actor has one pose, its image given by `image`.
std::string CastWithImage(const std::string& image) {
  return R"({"system": "s", "casts": [{"file": "C.CST", "name": "c", "actors": [
      {"name": "a", "poses": [{"name": "p", "frames": [0, 2], "images": [)" +
         image + "]}]}]}]}";
}

TEST(CastManifestTest, ReadsCastsAndShopsWithTheirDefaults) {
  const std::string json = R"({"system": "s",
    "casts": [{"file": "HEROES.CST", "name": "heroes", "script": "h.lws", "actors": [
      {"name": "robin", "script": "r.lws", "set": "garden", "star": "gate", "poses": [
        {"name": "walk", "frames": [0, 1, 0], "images": [
          {"png": "r0.png"},
          {"png": "r1.png", "view": 1, "angle": 255, "hot": [3, 4], "transparent": 9,
           "mirrored": true, "size": 128}]},
        {"name": "stand", "images": [{"png": "r0.png"}]}]}]}],
    "shops": [{"file": "PROPS.SHP", "name": "props", "props": [
      {"name": "lamp", "views": [{"name": "lit", "frames": [65534],
                                  "images": [{"png": "l.png", "view": 65534, "size": 32767}]}]}]}]})";
  EXPECT_EQ(Read(json),
            "cast HEROES.CST heroes in/h.lws\n"
            " figure robin in/r.lws set=garden star=gate\n"
            "  pose walk frames 0 1 0\n"
            "   image in/r0.png view 0 angle 0 hot - transparent 0 size 256\n"
            "   image in/r1.png view 1 angle 255 hot 3,4 transparent 9 mirrored size 128\n"
            "  pose stand frames 0\n"
            "   image in/r0.png view 0 angle 0 hot - transparent 0 size 256\n"
            "shop PROPS.SHP props -\n"
            " figure lamp - set= star=\n"
            "  pose lit frames 65534\n"
            "   image in/l.png view 65534 angle 0 hot - transparent 0 size 32767\n");
}

TEST(CastManifestTest, ReportsEveryErrorOfACastOrShopAtItsPath) {
  constexpr std::string_view kImage = "$.casts[0].actors[0].poses[0].images[0]";
  const auto at = [&](std::string_view rest) { return std::string(kImage) + std::string(rest); };
  const struct {
    std::string json;
    std::string errors;
  } cases[] = {
      {R"({"system": "s", "casts": {}})", "$.casts: expected an array of casts\n"},
      {R"({"system": "s", "shops": [{"file": "TOO_LONG_NAME.SHP", "name": "", "props": [],
          "actors": []}]})",
       "$.shops[0].actors: unknown key; expected one of file, name, script, props\n"
       "$.shops[0].file: expected an 8.3 file name such as HALL.STR (text)\n"
       "$.shops[0].name: expected a name of 1 to 15 characters (text), not 0\n"
       "$.shops[0].props: expected an array of at least one prop\n"},
      {R"({"system": "s", "casts": [{"file": "C.CST", "name": "c"}, 3]})",
       "$.casts[0].actors: missing; expected an array of at least one actor\n"
       "$.casts[1]: expected a cast (an object)\n"},
      {R"({"system": "s", "casts": [{"file": "C.CST", "name": "c", "actors": [
          {"name": "a", "set": "sixteen chars ok", "star": 5, "poses": []},
          {"name": "A", "poses": [{"name": "p", "images": []}, {"name": "P", "frames": [],
           "images": [{"png": "x.png"}]}, 7]}]}]})",
       "$.casts[0].actors[0].set: expected a name of 0 to 15 characters (text), not 16\n"
       "$.casts[0].actors[0].star: expected a name of 0 to 15 characters (text)\n"
       "$.casts[0].actors[0].poses: expected an array of at least one pose\n"
       "$.casts[0].actors[1].poses[0].images: expected an array of at least one image\n"
       "$.casts[0].actors[1].poses[1].frames: expected an array of 1 to 33 views, whole numbers "
       "0..65534\n"
       "$.casts[0].actors[1].poses[1].name: expected a name that no other pose here has (names "
       "ignore case)\n"
       "$.casts[0].actors[1].poses[2]: expected a pose (an object)\n"
       "$.casts[0].actors[1].name: expected a name that no other actor here has (names ignore "
       "case)\n"},
      {R"({"system": "s", "casts": [{"file": "C.CST", "name": "c", "actors": [{"name": "a",
          "poses": [{"name": "p", "frames": [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0], "images": [{"png": "x.png"}]},
          {"name": "q", "frames": [65535], "images": [{"png": "x.png"}]}]}]}]})",
       "$.casts[0].actors[0].poses[0].frames: expected an array of 1 to 33 views, whole numbers "
       "0..65534\n"
       "$.casts[0].actors[0].poses[1].frames: expected an array of 1 to 33 views, whole numbers "
       "0..65534\n"},
      {CastWithImage(R"({"png": "x.png", "view": 1})"),
       at(".view: expected a view that one of the frames shows, not 1\n")},
      {CastWithImage(R"({"png": "", "view": 65535, "angle": 256, "hot": [1], "transparent": -1,
          "mirrored": 1, "size": 0, "tint": 3})"),
       at(".tint: unknown key; expected one of png, view, angle, hot, transparent, mirrored, "
          "size\n") +
           at(".png: expected a PNG file name (text)\n") +
           at(".view: expected a whole number 0..65534\n") +
           at(".angle: expected a whole number 0..255\n") +
           at(".hot: expected [row, column]: two whole numbers 0..32767\n") +
           at(".transparent: expected a palette index 0..255\n") +
           at(".mirrored: expected true or false\n") +
           at(".size: expected a whole number 1..32767\n")},
      {CastWithImage(R"({"hot": [-1, 32768], "angle": 18446744073709551615, "size": 1.5})"),
       at(".png: missing; expected a PNG file name (text)\n") +
           at(".angle: expected a whole number 0..255\n") +
           at(".hot: expected [row, column]: two whole numbers 0..32767\n") +
           at(".size: expected a whole number 1..32767\n")},
      {R"({"system": "s", "stages": [{"file": "A.X", "name": "a", "flats": [
          {"name": "f", "picture": "f.png"}]}], "casts": [{"file": "a.x", "name": "c",
          "actors": [{"name": "a", "poses": [{"name": "p", "images": [{"png": "x.png"}]}]}]}],
          "shops": [{"file": "A.X", "name": "s", "props": [{"name": "p", "views": [
          {"name": "v", "images": [{"png": "x.png"}]}]}]}]})",
       "$.casts[0].file: expected a file name that no other output of the title has\n"
       "$.shops[0].file: expected a file name that no other output of the title has\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.json), c.errors) << c.json;
}

}  // namespace
}  // namespace lw::authoring

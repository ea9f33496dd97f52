// The title manifest: one JSON file that names every source of a title, read by `titlekit build`
// to make the boot file and the library files. File names in it are relative to the manifest's
// own folder. Each kind of library file has its own top-level array: "stages", "sets", "casts",
// "shops", "tracks", "movies" and "puppets".
//
//   PATH                               TYPE                 MEANING
//   $.system                           text, required       the system script (source .lws or
//                                                           compiled); becomes DIR/bootfile
//   $.name                             text                 the title's name, 1 to 63 characters
//                                                           (the output folder's name)
//   $.volume                           text                 the volume name of the title's disc;
//                                                           with $.probe
//   $.probe                            text                 the colon path on the disc of the
//                                                           file the player times at start-up
//   $.captions                         object               string table id -> caption of a
//                                                           start-up box
//                                      (these four are written to DIR/title.json, read by the
//                                      player as shell/startup/title_strings.h says)
//   $.palette                          text                 the title's palette: an indexed PNG
//                                                           (its palette) or a 2056-byte colour
//                                                           table; stored in every stage file as
//                                                           the stage's palette record
//   $.stages                           array                the stage files, one per entry
//   $.stages[i].file                   text, required       the stage file's name in DIR, 8.3
//                                                           (letters, digits, '_', '-'): HALL.STR
//   $.stages[i].name                   text, required       the stage's name, 1 to 15 characters
//   $.stages[i].script                 text                 the stage's script
//   $.stages[i].flats                  array, required      the flats in order, at least one
//   $.stages[i].flats[j].name          text, required       1 to 15 characters, unique in the stage
//   $.stages[i].flats[j].script        text                 the flat's script
//   $.stages[i].flats[j].picture       text, required       8-bit indexed PNG of 512 x 384; its
//                                                           indices are stored as they are
//   $.stages[i].flats[j].buttons       array                the flat's buttons in order
//   ...buttons[k].name                 text, required       1 to 15 characters, unique in the flat
//   ...buttons[k].rect                 array, required      [top, left, bottom, right] in stage
//                                                           pixels, bottom and right exclusive,
//                                                           0 <= top < bottom <= 384 and
//                                                           0 <= left < right <= 512; buttons may
//                                                           overlap
//   ...buttons[k].script               text                 the button's script
//   $.sets                             array                the set files, one per entry; they
//                                                           need $.palette for their shading
//   $.sets[i].file                     text, required       the set file's name in DIR, 8.3:
//                                                           GARDEN.SCN
//   $.sets[i].name                     text, required       the set's name, 1 to 15 characters
//   $.sets[i].script                   text                 the set's script
//   $.sets[i].floors                   object               floor number "0".."31" -> its script
//   $.sets[i].map                      array, required      the grid, rows of text, one
//                                                           character a cell (set_map.h)
//   $.sets[i].legend                   object, required     character -> {"wall": TEXTURE} or
//                                                           {"scene": NAME, "floor": 0..31,
//                                                           "script": FILE, "building": bool,
//                                                           "views": {FACING: PNG}}, each member
//                                                           of an open cell optional; a view is
//                                                           a hand-made 512 x 264 indexed PNG
//                                                           shown instead of the rendered one to
//                                                           a player standing there
//   $.sets[i].textures                 object, required     texture name -> 8-bit indexed PNG
//                                                           of 1..1024 x 1..1024, indices as
//                                                           they are
//   $.sets[i].start                    object, required     {"row": R, "column": C, "facing":
//                                                           "north", "east", "south" or "west"}
//   $.sets[i].camera                   object               {"setback": 0..1024 (64), "height":
//                                                           1..255 (100)}
//   $.sets[i].colours                  object               {"floor": 0..255 (0), "ceiling":
//                                                           0..255 (0)}: palette indices
//   $.sets[i].stars                    array                [{"name": TEXT, "at": [x, y, z]}]:
//                                                           the set's stars
//   $.sets[i].paths                    array                [{"from": STAR, "to": STAR, "via":
//                                                           [[x, y, z], ...]}]: paths actors
//                                                           walk, from star to star through the
//                                                           via points
//   $.casts                            array                the cast files, one per entry
//   $.casts[i].file                    text, required       the cast file's name in DIR, 8.3:
//                                                           HEROES.CST
//   $.casts[i].name                    text, required       the cast's name, 1 to 15 characters
//   $.casts[i].script                  text                 the cast's script
//   $.casts[i].actors                  array, required      the actors in order, at least one
//   ...actors[j].name                  text, required       1 to 15 characters, unique in the cast
//   ...actors[j].script                text                 the actor's script
//   ...actors[j].set                   text                 the set it belongs to, 0 to 15
//                                                           characters ("")
//   ...actors[j].star                  text                 the star it stands on, 0 to 15 ("")
//   ...actors[j].poses                 array, required      the poses in order, at least one; the
//                                                           first is the actor's initial pose
//   ...poses[k].name                   text, required       1 to 15 characters, unique in the actor
//   ...poses[k].frames                 array                the view shown in each frame, 1 to 33
//                                                           whole numbers 0..65534 ([0])
//   ...poses[k].images                 array, required      the pose's pictures, at least one
//   ...images[m].png                   text, required       8-bit indexed PNG of 1..512 x
//                                                           1..1024, indices as they are
//   ...images[m].view                  whole number         0..65534 (0): a view that one of the
//                                                           pose's frames shows
//   ...images[m].angle                 whole number         0..255 (0): the angle the picture is
//                                                           seen from
//   ...images[m].hot                   array                [row, column] inside the picture:
//                                                           the point on the anchor ([height - 1,
//                                                           width / 2], the bottom middle)
//   ...images[m].transparent           whole number         0..255 (0): the index drawn
//                                                           transparent
//   ...images[m].mirrored              true or false        drawn mirrored left to right (false)
//   ...images[m].size                  whole number         1..32767 (256): the size factor of
//                                                           the 3-D scaling
//   $.shops                            array                the shop files: as casts, with
//                                                           "props" for "actors" and "views" for
//                                                           "poses" (file PROPS.SHP)
//   $.tracks                           array                the track files (sound libraries),
//                                                           one per entry
//   $.tracks[i].file                   text, required       the track file's name in DIR, 8.3:
//                                                           HARBOUR.TRK
//   $.tracks[i].name                   text, required       the track's name, 1 to 15 characters
//   $.tracks[i].sounds                 array                the sounds in order (none)
//   ...sounds[j].name                  text, required       1 to 15 characters, unique among the
//                                                           track's sounds
//   ...sounds[j].audio                 text, required       a sound file: WAV, AIFF, FLAC,
//                                                           Ogg/Vorbis..., any rate and channels
//                                                           (mixed to mono)
//   ...sounds[j].rate                  whole number         11025, 22050 or 44100 (22050): the
//                                                           rate the sound is stored at
//   $.tracks[i].theme                  array                the parts of the track's theme, as
//                                                           sounds (none); unique among the parts
//   $.tracks[i].sequence               array                the order the theme plays its parts
//                                                           in: at most 64 whole numbers
//                                                           -32768..32767, each the 1-based
//                                                           number of a part ([]). Numbers are
//                                                           stored as given; the player skips
//                                                           those that name no part
//   $.movies                           array                the movie files, one per entry
//   $.movies[i].file                   text, required       the movie file's name in DIR, 8.3:
//                                                           INTRO.MOV
//   $.movies[i].palette                text                 an indexed PNG (its palette) or a
//                                                           colour table ($.palette; black when
//                                                           the title has none)
//   $.movies[i].segments               array, required      the segments in order, at least one
//   ...segments[j].rect                array                [top, left, bottom, right]: the
//                                                           movie rectangle, at most 640 x 480,
//                                                           sides -32768..32767 (the first frame
//                                                           picture's size at 0, 0)
//   ...segments[j].origin              array                [x, y], the window point where movie
//                                                           point (0, 0) shows ([0, 0])
//   ...segments[j].shortest            whole number         0..2^31-1 (0): the shortest frame
//                                                           duration, in ticks (60 a second)
//   ...segments[j].quit                true or false        a quit key stops the movie while a
//                                                           frame waits for a click (false)
//   ...segments[j].status_frames       array                [a, b]: the frames whose showing set
//                                                           bits 1 and 2 of the movie status
//                                                           (none)
//   ...segments[j].sounds              array                sounds as a track's, unique among
//                                                           the segment's: what frames play
//   ...segments[j].theme               array                theme parts, the same
//   ...segments[j].playlist            array                at most 64 part numbers 1..T ([])
//   ...segments[j].playlist_loop       whole number         0..P-1 (0): the playlist position
//                                                           that follows its last entry
//   ...segments[j].frames              array, required      1 to 32767 frames, numbered from 0
//   ...frames[k].png                   text                 an 8-bit indexed PNG in the movie
//                                                           palette's indices, inside the movie
//                                                           rectangle (none: the frame changes
//                                                           only the palette)
//   ...frames[k].at                    array                [top, left] of the picture in movie
//                                                           coordinates (the rectangle's corner)
//   ...frames[k].duration              whole number         0..2^31-1 ticks (0)
//   ...frames[k].transition            number or text       0..18 or its name (16, "plain"):
//                                                           barn_close, barn_open, iris_close,
//                                                           iris_open, scroll_down, scroll_up,
//                                                           scroll_right, scroll_left,
//                                                           wipe_down, wipe_up, wipe_right,
//                                                           wipe_left, venetian,
//                                                           cell_dissolve, strip_dissolve,
//                                                           column_dissolve, plain, fade_out,
//                                                           fade_in (frame_transitions.h)
//   ...frames[k].parameter             whole number         0..65535 (0): the transition's steps
//   ...frames[k].flags                 array                any of "timed", "landable",
//                                                           "wait_sound", "preload_after",
//                                                           "clicks_only" ([])
//   ...frames[k].sound                 text                 the name of a segment sound (none)
//   ...frames[k].end                   text or object       "stop", "return", {"goto": FRAME},
//                                                           {"play": MOVIE} or {"call": MOVIE,
//                                                           "return": FRAME}; MOVIE 1 to 31
//                                                           characters (the next frame; "stop"
//                                                           after the last)
//   ...frames[k].hotspots              array                [{"rect": [t, l, b, r], "action":
//                                                           as "end", "on_release": bool}] in
//                                                           movie coordinates
//   ...frames[k].preload               array                [first, last]: the frames whose
//                                                           pictures the frame preloads
//   $.puppets                          array                the puppet files (talking
//                                                           characters), one per entry
//   $.puppets[i].file                  text, required       the puppet file's name in DIR, 8.3:
//                                                           TALK.PUP
//   $.puppets[i].name                  text, required       the puppet file's name, 1 to 15
//                                                           characters
//   $.puppets[i].puppets               array, required      the puppets, at least one: [{"name":
//                                                           1 to 15 characters, unique,
//                                                           "script": FILE}]; the first is the
//                                                           one that gets openpuppet() and
//                                                           closepuppet()
//   $.puppets[i].palette               text                 an indexed PNG (its palette) or a
//                                                           colour table ($.palette; black when
//                                                           the title has none)
//   $.puppets[i].layers                array                at most 11 layers, each an array of
//                                                           at most 32 images; layer 0 is the
//                                                           background ([])
//   ...layers[k][m].png                text, required       8-bit indexed PNG of 1..512 x
//                                                           1..264, indices as they are
//   ...layers[k][m].hot                array                [row, column] inside the picture:
//                                                           the point placed at "at" ([0, 0])
//   ...layers[k][m].transparent        whole number         0..255: the index drawn transparent
//                                                           (none on layer 0, 0 on the others)
//   $.puppets[i].rest                  array                the picture every lip-sync frame
//                                                           starts from: [{"layer": K, "image":
//                                                           M, "at": [v, h]}], at most one entry
//                                                           a layer; other layers show nothing
//                                                           ([])
//   $.puppets[i].mouth                 object               {"layer": K, "at": [v, h],
//                                                           "images": [M0, M1, ...]}: the mouth
//                                                           image of each loudness band, the
//                                                           silent one first (none: frames
//                                                           show the rest picture alone)
//   $.puppets[i].band                  text                 a 512 x 120 indexed PNG drawn under
//                                                           the bevels (none)
//   $.puppets[i].lines                 array                the puppet's lines in order: sounds
//                                                           as a track's, unique among the
//                                                           lines, each with "subtitle": 0 to
//                                                           255 characters (none)
//   $.puppets[i].idle                  array                at most 4 lines said when nothing
//                                                           happens, stored as lines "idle 1"
//                                                           .. "idle 4" after the others:
//                                                           [{"audio": FILE, "subtitle": TEXT,
//                                                           "shortest": TICKS, "longest":
//                                                           TICKS}], ticks 0..2^31-1, shortest
//                                                           <= longest
//   $.puppets[i].player_lines          array                what the player's side says:
//                                                           [{"name": 1 to 15 characters,
//                                                           unique, "text": 0 to 255
//                                                           characters, "audio": FILE}] ([])
//
// Frames named by a movie's actions and preloads are frames of the same segment. A movie frame
// picture is stored as a frame record of the picture rectangle (movie_build.h).
//
// A picture file that several images of one cast or shop name with the same hot spot and
// transparent index is stored once and shared by them.
//
// Names are UTF-8 in the manifest and stored in Mac Roman; a name counts its Mac Roman bytes. An
// object without a script gets the empty script. Any other key is an error, so that a misspelt
// key is never silently ignored.
//
// Every error names the manifest, the JSON path and what was expected there:
//   title.json: $.stages[0].flats[2].picture: expected a PNG file name (text)
// All errors of a manifest, and of the files that it names, are collected before the build stops.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/set_map.h"
#include "common/expected.h"
#include "common/geometry.h"
#include "media/movie_format.h"
#include "shell/startup/title_strings.h"

namespace lw::authoring {

// A file that the manifest names: its path (the manifest's folder joined with the text) and the
// JSON path that named it, for the errors found in the file later.
struct SourceFile {
  std::filesystem::path path;
  std::string where;
  [[nodiscard]] bool named() const { return !path.empty(); }
};

struct ManifestButton {
  std::string name;  // Mac Roman
  Rect rect;
  SourceFile script;  // not named: the empty script
};

struct ManifestFlat {
  std::string name;
  SourceFile script;
  SourceFile picture;
  std::vector<ManifestButton> buttons;
};

struct ManifestStage {
  std::string file;  // the output's name in the title folder
  std::string name;
  SourceFile script;
  std::vector<ManifestFlat> flats;
  // The entry as canonical JSON, what the output depends on beside its files; set only when the
  // manifest has no errors.
  std::string entry;
};

using ManifestPoint = std::array<std::int16_t, 3>;

struct ManifestStar {
  std::string name;  // Mac Roman
  ManifestPoint at{};
};

// A path walked from star `from` to star `to` through the `via` points.
struct ManifestPath {
  std::string from;
  std::string to;
  std::vector<ManifestPoint> via;
};

struct ManifestSet {
  std::string file;
  std::string name;
  SourceFile script;
  std::map<int, SourceFile> floors;        // floors without a script are missing
  SetMap map;                              // parsed from the grid, the legend and the start
  std::map<char, SourceFile> cellScripts;  // legend characters of open cells with a script
  // Hand-made views of open cells: (legend character, view angle) -> a 512 x 264 indexed PNG
  // shown instead of the rendered view of a player standing there facing that way.
  std::map<std::pair<char, int>, SourceFile> cellViews;
  std::map<std::string, SourceFile> textures;
  std::int32_t cameraSetBack = 64;
  std::int32_t cameraHeight = 100;
  std::uint8_t floorColour = 0;
  std::uint8_t ceilingColour = 0;
  std::vector<ManifestStar> stars;
  std::vector<ManifestPath> paths;
  std::vector<char> cellSymbols;  // the map's character of each cell, row by row
  std::string entry;              // as for stages
};

// One picture of a pose (a prop's view).
struct ManifestImage {
  std::string where;  // its JSON path, for the errors found once its picture is read
  SourceFile png;
  std::uint16_t view = 0;
  std::uint16_t angle = 0;
  std::optional<Point> hot;  // (row v, column h); none: the bottom middle of the picture
  std::uint8_t transparent = 0;
  bool mirrored = false;
  std::int16_t size = 256;
};

// A pose of an actor, or a view of a prop.
struct ManifestPose {
  std::string name;
  std::vector<std::uint16_t> frames;  // the view shown in each frame
  std::vector<ManifestImage> images;
};

// An actor of a cast, or a prop of a shop.
struct ManifestFigure {
  std::string name;
  SourceFile script;
  std::string set;
  std::string star;
  std::vector<ManifestPose> poses;
};

// What a group file holds: a cast of actors and their poses, or a shop of props and their views.
enum class GroupKind : std::uint8_t { kCast, kShop };

// A cast or a shop entry.
struct ManifestGroup {
  GroupKind kind = GroupKind::kCast;
  std::string file;
  std::string name;
  SourceFile script;
  std::vector<ManifestFigure> figures;
  std::string entry;  // as for stages
};

// The rate a track's sound is stored at when its entry names none.
inline constexpr std::uint32_t kDefaultTrackSoundRate = 22050;

// A sound of a track, or a part of its theme.
struct ManifestSound {
  std::string name;
  SourceFile audio;
  std::uint32_t rate = kDefaultTrackSoundRate;
};

struct ManifestTrack {
  std::string file;
  std::string name;
  std::vector<ManifestSound> sounds;
  std::vector<ManifestSound> themeParts;
  std::vector<std::int16_t> sequence;
  std::string entry;  // as for stages
};

// What a movie frame does when it ends, or a hot spot when it is clicked.
struct ManifestMovieAction {
  MovieAction kind = MovieAction::kStop;
  std::int16_t frame = 0;  // go to: the frame; call: the frame to return to
  std::string movie;       // play, call: the movie file's name, Mac Roman
};

struct ManifestHotSpot {
  Rect rect;
  bool onRelease = false;
  ManifestMovieAction action;
};

// The frames of preloaded pictures, first to last.
struct ManifestPreload {
  std::int16_t first = 0;
  std::int16_t last = 0;
};

struct ManifestMovieFrame {
  std::string where;              // its JSON path, for the errors found with its picture
  SourceFile png;                 // not named: the frame changes only the palette
  std::optional<Point> at;        // (left h, top v); none: the movie's top left
  std::int32_t duration = 0;      // ticks
  std::uint16_t transition = 16;  // plain
  std::uint16_t parameter = 0;
  std::uint16_t flags = 0;                 // MovieFrameFlag, the preload flag from `preload`
  std::int32_t sound = 0;                  // 1-based number of a segment sound; 0 none
  std::optional<ManifestMovieAction> end;  // none: the next frame, or stop after the last
  std::vector<ManifestHotSpot> hotSpots;
  std::optional<ManifestPreload> preload;
};

// The "no frame" of the status frames: no movie has that many frames.
inline constexpr std::uint16_t kNoStatusFrame = 0xFFFF;

struct ManifestSegment {
  std::string where;
  std::optional<Rect> rect;  // none: the first frame picture's size at (0, 0)
  Point origin;
  std::int32_t shortest = 0;
  bool quitWhileWaiting = false;
  std::uint16_t statusFrame1 = kNoStatusFrame;
  std::uint16_t statusFrame2 = kNoStatusFrame;
  std::vector<ManifestSound> sounds;
  std::vector<ManifestSound> themeParts;
  std::vector<std::uint16_t> playlist;
  std::uint32_t playlistLoop = 0;
  std::vector<ManifestMovieFrame> frames;
};

struct ManifestMovie {
  std::string file;
  SourceFile palette;  // not named: the title's palette
  std::vector<ManifestSegment> segments;
  std::string entry;  // as for stages
};

// A picture of a puppet layer.
struct ManifestLayerImage {
  std::string where;  // its JSON path, for the errors found once its picture is read
  SourceFile png;
  Point hot;                                // (row v, column h)
  std::optional<std::uint8_t> transparent;  // none: every pixel drawn
};

// Image `image` of layer `layer`, its hot spot placed at `at` (picture coordinates).
struct ManifestPlacement {
  std::size_t layer = 0;
  std::size_t image = 0;
  Point at;
};

// The mouth: the image of layer `layer` shown at `at` for each loudness band, silence first.
struct ManifestMouth {
  std::size_t layer = 0;
  Point at;
  std::vector<std::size_t> images;
};

// The subtitle of a line that has none.
inline constexpr std::string_view kNoSubtitle = "*";

// A line a puppet says, or a line of the player's side (whose `text` is what the player picks).
struct ManifestPuppetLine {
  ManifestSound sound;                      // the line's name, audio and rate
  std::string text{kNoSubtitle};            // Mac Roman: the subtitle, or the player's words
  std::uint32_t shortest = 0, longest = 0;  // idle lines: ticks between two plays
};

// A puppet of a puppet file.
struct ManifestPuppet {
  std::string name;
  SourceFile script;
};

struct ManifestPuppetFile {
  std::string file;
  std::string name;
  std::vector<ManifestPuppet> puppets;
  SourceFile palette;  // not named: the title's palette
  std::vector<std::vector<ManifestLayerImage>> layers;
  std::vector<ManifestPlacement> rest;
  std::optional<ManifestMouth> mouth;
  SourceFile band;
  std::vector<ManifestPuppetLine> lines;  // the spoken lines, then the idle lines
  std::size_t idleLines = 0;              // how many of `lines` are idle lines, at their end
  std::vector<ManifestPuppetLine> playerLines;
  std::string entry;  // as for stages
};

struct TitleManifest {
  // Set when the manifest has a name, volume, probe or captions: the title's strings.
  std::optional<TitleStrings> strings;
  SourceFile system;
  SourceFile palette;  // not named: stage files carry no palette
  std::vector<ManifestStage> stages;
  std::vector<ManifestSet> sets;
  std::vector<ManifestGroup> casts;
  std::vector<ManifestGroup> shops;
  std::vector<ManifestTrack> tracks;
  std::vector<ManifestMovie> movies;
  std::vector<ManifestPuppetFile> puppets;
};

// What a named file is to the build: a script, a flat picture, a set's texture or view, the
// picture of a cast's or shop's sprite, or a track's sound.
enum class SourceKind : std::uint8_t { kScript, kPicture, kTexture, kSprite, kSound };
using SourceVisit = std::function<void(const SourceFile&, SourceKind)>;

// Every file a stage, set, cast, shop or track entry names, in one fixed order: what the build
// loads, and what its output's stamp hashes.
void ForEachSourceFile(const ManifestStage& stage, const SourceVisit& visit);
void ForEachSourceFile(const ManifestSet& set, const SourceVisit& visit);
void ForEachSourceFile(const ManifestGroup& group, const SourceVisit& visit);
void ForEachSourceFile(const ManifestTrack& track, const SourceVisit& visit);
// A movie's palette (as kPicture), frame pictures (kPicture) and sounds, which the movie
// builder loads itself (movie_sources.h).
void ForEachSourceFile(const ManifestMovie& movie, const SourceVisit& visit);
// A puppet file's scripts, palette (kPicture), layer and band pictures (kSprite) and sounds,
// which the puppet builder loads itself (puppet_sources.h).
void ForEachSourceFile(const ManifestPuppetFile& puppets, const SourceVisit& visit);

// One error: the JSON path and what was expected there.
struct ManifestError {
  std::string where;
  std::string problem;
};

// The line of an error: "MANIFEST: $.path: problem".
[[nodiscard]] std::string FormatManifestError(std::string_view manifest,
                                              const ManifestError& error);

// The name of the boot file in the title folder; no stage file may take it.
inline constexpr std::string_view kBootFileName = "bootfile";

// A manifest as far as it could be read, and every error found in it. With errors, the parts
// that were read still name their files, so that those files can be checked too and the author
// learns of every problem at once.
struct ManifestReading {
  TitleManifest title;
  std::vector<ManifestError> errors;
};

// Reads manifest text. `folder` is the manifest's folder, which file names are relative to.
[[nodiscard]] ManifestReading ReadTitleManifest(std::string_view text,
                                                const std::filesystem::path& folder);

}  // namespace lw::authoring

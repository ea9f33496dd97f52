// Writes the seed inputs of movie_play_fuzz into a folder: valid movies in its input layout
// (a record count, four player actions, then u16-length-prefixed records; see
// movie_play_fuzz.cpp), so that mutations start from headers that read, pictures that decode,
// sounds that play and hot spots that the actions click.
//   movie_seed DIR
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "authoring/frame_encoder.h"
#include "authoring/sound_encoder.h"
#include "media/movie_format.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using lw::MovieAction;
using lw::MovieFrame;
using lw::MovieHeader;
using lw::MovieHotSpot;
using lw::Rect;

constexpr std::int16_t kWidth = 64;
constexpr std::int16_t kHeight = 48;
constexpr Rect kWhole{0, 0, kHeight, kWidth};

// Action bytes of the input layout: (wait << 2 | kind, argument).
struct Action {
  std::uint8_t what = 3;  // nothing
  std::uint8_t argument = 0;
};
Action Click(std::uint8_t wait, int h, int v) {
  return {static_cast<std::uint8_t>(wait << 2), static_cast<std::uint8_t>(h / 4 | (v / 3) << 4)};
}
Action Held(std::uint8_t wait, int h, int v) {
  return {static_cast<std::uint8_t>(wait << 2 | 2),
          static_cast<std::uint8_t>(h / 4 | (v / 3) << 4)};
}
Action Key(std::uint8_t wait, std::uint8_t index) {
  return {static_cast<std::uint8_t>(wait << 2 | 1), index};
}

Bytes KeyFrame(const Rect& rect, std::uint8_t colour) {
  const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rect.width() * rect.height()),
                                         colour);
  return lw::authoring::EncodeFrame({rect.width(), rect.height(), pixels}).value();
}

// `samples` ticks' worth of a square wave at 22050 Hz.
Bytes Tone(int ticks) {
  std::vector<float> targets(static_cast<std::size_t>(22050 * ticks / 60));
  for (std::size_t i = 0; i < targets.size(); ++i) targets[i] = (i / 50) % 2 != 0 ? 100.0F : 30.0F;
  return lw::authoring::BuildSoundRecord(targets, lw::kSoundCodecs[1]);
}

MovieFrame Frame(const Rect& rect, std::uint16_t flags, std::int32_t duration = 2) {
  MovieFrame frame;
  frame.duration = duration;
  frame.transitionKind = 16;
  frame.flags = flags;
  frame.pictureRect = rect;
  frame.endAction = static_cast<std::int16_t>(MovieAction::kStop);
  return frame;
}

MovieHeader Header(std::vector<MovieFrame> frames) {
  MovieHeader header;
  header.rect = kWhole;
  header.statusFrame1 = 0xFFFF;
  header.statusFrame2 = 0xFFFF;
  for (std::size_t i = 0; i < header.palette.size(); ++i) {
    const auto grey = static_cast<std::uint16_t>(i * 257);
    header.palette[i] = {grey, grey, grey};
  }
  header.frames = std::move(frames);
  return header;
}

// A segment: its header, sounds and theme parts; each frame with a picture rectangle gets a key
// frame of colour 10 + its index, stored behind them.
std::vector<Bytes> Segment(MovieHeader header, const std::vector<Bytes>& sounds,
                           const std::vector<Bytes>& themes, std::uint32_t nextSegment = 0) {
  header.soundCount = static_cast<std::uint16_t>(sounds.size());
  header.themeCount = static_cast<std::uint16_t>(themes.size());
  header.nextSegment = nextSegment;
  std::vector<Bytes> pictures;
  for (std::size_t i = 0; i < header.frames.size(); ++i) {
    MovieFrame& frame = header.frames[i];
    if (frame.pictureRect.empty()) continue;
    pictures.push_back(KeyFrame(frame.pictureRect, static_cast<std::uint8_t>(10 + i)));
    frame.picture = static_cast<std::uint32_t>(sounds.size() + themes.size() + pictures.size());
  }
  std::vector<Bytes> records{lw::WriteMovieHeader(header)};
  for (const std::vector<Bytes>* part : {&sounds, &themes, &std::as_const(pictures)})
    records.insert(records.end(), part->begin(), part->end());
  return records;
}

void WriteSeed(const std::filesystem::path& folder, const std::string& name,
               const std::vector<Bytes>& records, std::vector<Action> actions) {
  actions.resize(4);
  Bytes input{static_cast<std::uint8_t>(records.size())};
  for (const Action& action : actions) input.insert(input.end(), {action.what, action.argument});
  for (const Bytes& record : records) {
    input.push_back(static_cast<std::uint8_t>(record.size() & 0xFF));
    input.push_back(static_cast<std::uint8_t>(record.size() >> 8));
    input.insert(input.end(), record.begin(), record.end());
  }
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(input.data()),
             static_cast<std::streamsize>(input.size()));
}

MovieFrame WithEnd(MovieFrame frame, MovieAction action, std::int16_t argument = 0,
                   std::string movie = "") {
  frame.endAction = static_cast<std::int16_t>(action);
  frame.endArgument = argument;
  frame.movie = std::move(movie);
  return frame;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: movie_seed DIR\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  constexpr auto kTimed = lw::kFrameTimed;

  // Timed frames of every transition kind, a palette-only one among them, and marks.
  {
    std::vector<MovieFrame> frames;
    for (std::uint16_t kind = 0; kind <= 18; ++kind) {
      MovieFrame frame = Frame(kind == 17 ? Rect{} : Rect{std::int16_t(kind), 0, kHeight, 32},
                               kTimed | (kind % 5 == 0 ? lw::kFrameLandable : 0), 3);
      frame.transitionKind = kind;
      frame.transitionParameter = kind;
      frames.push_back(frame);
    }
    MovieHeader header = Header(frames);
    header.statusFrame1 = 2;
    header.statusFrame2 = 5;
    WriteSeed(folder, "transitions", Segment(header, {}, {}), {Key(20, 2), Key(10, 2)});
  }
  // A frame waiting on its hot spots: go to, a held spot, call, play and return, then frames that
  // end by going back, calling and returning.
  {
    MovieFrame menu = Frame(kWhole, 0);
    menu.hotSpots = {
        MovieHotSpot{static_cast<std::int16_t>(MovieAction::kGoTo), {0, 0, 12, 16}, 1, ""},
        MovieHotSpot{-static_cast<std::int16_t>(MovieAction::kGoTo), {12, 0, 24, 16}, 2, ""},
        MovieHotSpot{static_cast<std::int16_t>(MovieAction::kCall), {24, 0, 36, 16}, 3, "FUZZ.MOV"},
        MovieHotSpot{static_cast<std::int16_t>(MovieAction::kReturn), {36, 0, 48, 16}, 0, ""},
        MovieHotSpot{static_cast<std::int16_t>(MovieAction::kPlay), {0, 32, 12, 48}, 0, "FUZZ.MOV"},
        MovieHotSpot{static_cast<std::int16_t>(MovieAction::kStop), {0, 48, 12, 64}, 0, ""},
    };
    MovieHeader header =
        Header({menu, WithEnd(Frame({8, 8, 40, 56}, kTimed), MovieAction::kGoTo, 0),
                WithEnd(Frame({0, 0, 24, 24}, 0, 4), MovieAction::kCall, 0, "FUZZ.MOV"),
                WithEnd(Frame({24, 24, 48, 64}, 0, 4), MovieAction::kReturn)});
    header.quitWhileWaiting = true;
    WriteSeed(folder, "hotspots", Segment(header, {}, {}),
              {Click(10, 2, 2), Held(10, 2, 14), Click(10, 2, 26), Click(10, 2, 38)});
  }
  // Sounds: a frame waiting for its sound, one loaded on demand, a looping theme playlist and
  // preloads before and after drawing.
  {
    MovieFrame voiced = Frame(kWhole, kTimed | lw::kFrameWaitsForSound);
    voiced.sound = 1;
    MovieFrame onDemand = Frame({0, 0, 16, 16}, kTimed | lw::kFramePreloads);
    onDemand.sound = -2;
    onDemand.preloadFirst = 1;
    onDemand.preloadLast = 3;
    MovieFrame after =
        Frame({16, 16, 32, 32}, kTimed | lw::kFramePreloads | lw::kFramePreloadsAfter);
    after.preloadFirst = 3;
    after.preloadLast = 4;
    MovieHeader header = Header({voiced, onDemand, after, Frame({}, 0, 30)});
    header.playlist = {1, 2, 1};
    header.playlistLoop = 1;
    WriteSeed(folder, "sounds", Segment(header, {Tone(20), Tone(5)}, {Tone(10), Tone(15)}),
              {Key(30, 2), Key(5, 4), Key(5, 2)});
  }
  // Two segments, the second with a theme of its own and a click-wait frame that stops.
  {
    const std::vector<Bytes> first =
        Segment(Header({Frame(kWhole, kTimed), Frame({4, 4, 20, 20}, kTimed)}), {}, {},
                /*nextSegment=*/3);
    MovieHeader second = Header({Frame({10, 10, 30, 50}, kTimed, 5), Frame({}, 0)});
    second.rect = {0, 0, 40, 60};
    second.origin = {4, 8};
    second.playlist = {1};
    std::vector<Bytes> records = first;
    const std::vector<Bytes> rest = Segment(second, {}, {Tone(8)});
    records.insert(records.end(), rest.begin(), rest.end());
    WriteSeed(folder, "segments", records, {Click(40, 20, 20)});
  }
  // Frames that go to each other forever, one timed and one waiting its duration: only the
  // window's closing ends it.
  {
    MovieHeader header = Header({WithEnd(Frame(kWhole, kTimed, 1), MovieAction::kGoTo, 1),
                                 WithEnd(Frame({0, 0, 8, 8}, 0, 1), MovieAction::kGoTo, 0)});
    header.shortestDuration = 1;
    WriteSeed(folder, "loop", Segment(header, {}, {}), {Key(30, 1)});
  }
  return 0;
}

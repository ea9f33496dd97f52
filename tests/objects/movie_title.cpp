#include "movie_title.h"

#include <utility>

#include "authoring/frame_encoder.h"

namespace lw::testing {
namespace {

constexpr std::int16_t kMovieWidth = 64;
constexpr std::int16_t kMovieHeight = 48;
// The movie is played by a console line this many ticks in, after the stage's own presents.
constexpr std::uint32_t kPlayTick = 5;

test::Bytes KeyFrame(const Rect& rect, std::uint8_t colour) {
  const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rect.width() * rect.height()),
                                         colour);
  return authoring::EncodeFrame({rect.width(), rect.height(), pixels}).value();
}

std::string Print(const Rect& r) {
  return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
         "," + std::to_string(r.right);
}

}  // namespace

MovieFrame ColourFrame(const Rect& rect, std::uint8_t colour, std::uint16_t flags,
                       std::int32_t duration) {
  MovieFrame frame;
  frame.duration = duration;
  frame.transitionKind = 16;
  frame.flags = flags;
  frame.picture = colour;
  frame.pictureRect = rect;
  frame.endAction = static_cast<std::int16_t>(MovieAction::kStop);
  return frame;
}

MovieHeader MovieOf(std::vector<MovieFrame> frames) {
  MovieHeader header;
  header.rect = {0, 0, kMovieHeight, kMovieWidth};
  header.statusFrame1 = 0xFFFF;
  header.statusFrame2 = 0xFFFF;
  for (std::size_t i = 0; i < header.palette.size(); ++i) {
    const auto grey = static_cast<std::uint16_t>(i * 257);
    header.palette[i] = {grey, grey, grey};
  }
  header.frames = std::move(frames);
  return header;
}

void MovieTitleTest::WriteMovie(std::string_view name, std::vector<MovieSegment> segments,
                                const std::function<void(std::vector<test::Bytes>&)>& damage) {
  std::vector<test::Bytes> records;
  for (std::size_t s = 0; s < segments.size(); ++s) {
    MovieSegment& segment = segments[s];
    MovieHeader& header = segment.header;
    const auto base = static_cast<std::uint32_t>(records.size());
    header.soundCount = static_cast<std::uint16_t>(segment.sounds.size());
    header.themeCount = static_cast<std::uint16_t>(segment.themes.size());
    std::vector<test::Bytes> pictures;
    for (MovieFrame& frame : header.frames) {
      if (frame.picture == 0 || frame.pictureRect.empty()) continue;
      pictures.push_back(KeyFrame(frame.pictureRect, static_cast<std::uint8_t>(frame.picture)));
      frame.picture =
          static_cast<std::uint32_t>(header.soundCount + header.themeCount + pictures.size());
    }
    const std::size_t count = 1 + segment.sounds.size() + segment.themes.size() + pictures.size();
    header.nextSegment = s + 1 < segments.size() ? base + static_cast<std::uint32_t>(count) : 0;
    records.push_back(WriteMovieHeader(header));
    for (const auto* part : {&segment.sounds, &segment.themes, &pictures}) {
      records.insert(records.end(), part->begin(), part->end());
    }
  }
  if (damage) damage(records);
  WriteStageFile(title_, name, records, kMovieFileType);
}

std::string MovieTitleTest::Play(std::string_view name, std::string_view input) {
  std::string presents;
  const std::string script = "wait " + std::to_string(kPlayTick) + "\nconsole playmovie(\"" +
                             std::string(name) + "\")\n" + std::string(input);
  TitleRun& run = Start(script, [&](RuntimeOptions& options) {
    options.presentTrace = [&](std::uint32_t tick, const PresentedRect& copied) {
      if (tick < kPlayTick) return;
      presents += (presents.empty() ? "" : " ") + Print(copied.rect);
      const SoundItem* theme = runtime().channels().Playing(SoundChannels::kThemeChannel);
      if (theme != nullptr) presents += " theme=" + std::to_string(theme->recordId);
    };
  });
  return presents + " | " + run.Boxes();
}

int MovieTitleTest::Shown(int h, int v) { return platform().canvasPixel(h, v).value_or(-1); }

}  // namespace lw::testing

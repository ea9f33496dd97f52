// The puppet's drawing: lip-sync steps of its picture, the subtitle strip below them, and the
// bevel band. Everything is drawn in the puppet's own 512 x 384 picture of the stage and then
// shown through the host.
//
//   AREA            STAGE ROWS   WHAT IS DRAWN THERE
//   picture         0 .. 263     the layers of the frame shown: the background (layer 0) as
//                                decoded once over colour 0 and kept while the frames show it
//                                at the same point, then layers 1 to 10 drawn over it
//   subtitle strip  224 .. 263   while a subtitle shows: colour 0, the text centred in up to two
//                                lines in the bevel text colour (setting 3)
//   band            264 .. 383   the band picture (colour 0 without one), then bevel i in rows
//                                264 + 24 i .. 287 + 24 i: a frame inset by 2 and the text from
//                                column 12, in setting 3's colour, setting 4's when clicked
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/sprite.h"
#include "objects/object_error_lines.h"
#include "objects/puppet_objects.h"
#include "shell/drawing/rect_ops.h"

namespace lw {
namespace {

constexpr std::int16_t kSubtitleTop = 224;
constexpr std::int16_t kBevelTextLeft = 12;
constexpr std::int16_t kBevelBaseline = 17;
constexpr std::int16_t kSubtitleLineRows = 16;
constexpr std::uint8_t kEmptyColour = 0;
constexpr std::uint8_t kInvert = 0xFF;

BitmapView ViewOf(Surface& s) {
  return BitmapView{
      .memory = {s.data(),
                 static_cast<std::size_t>(s.rowBytes()) * static_cast<std::size_t>(s.height())},
      .row0 = 0,
      .stride = s.rowBytes(),
      .width = s.width(),
      .height = s.height(),
  };
}

void Fill(Surface& s, const Rect& r, std::uint8_t colour) {
  for (int v = r.top; v < r.bottom; ++v) {
    std::memset(s.row(v) + r.left, colour, static_cast<std::size_t>(r.width()));
  }
}

// The smallest rectangle holding both; an empty one adds nothing.
Rect Unite(const Rect& a, const Rect& b) {
  if (b.empty()) return a;
  if (a.empty()) return b;
  return Rect{std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.bottom, b.bottom),
              std::max(a.right, b.right)};
}

Rect BandRect() {
  return Rect{kPuppetPictureHeight, 0, kPuppetPictureHeight + kBevelBandHeight,
              kPuppetPictureWidth};
}

// Breaks `text` at spaces into lines no wider than `width`; a word wider than that stands alone.
std::vector<std::string> WrapWords(std::string_view text, int width,
                                   const std::function<int(std::string_view)>& measure) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t space = text.find(' ', at);
    const std::string_view word =
        text.substr(at, space == std::string_view::npos ? std::string_view::npos : space - at);
    at = space == std::string_view::npos ? text.size() : space + 1;
    if (word.empty()) continue;
    const std::string longer = line.empty() ? std::string(word) : line + " " + std::string(word);
    if (!line.empty() && measure(longer) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

Rect PuppetObjects::PictureArea() const {
  return Rect{0, 0, subtitleShown_ ? kSubtitleTop : kPuppetPictureHeight, kPuppetPictureWidth};
}

PuppetText PuppetObjects::TextStyle(std::uint8_t colour) const {
  return PuppetText{.font = params_[4], .size = params_[5], .colour = colour};
}

void PuppetObjects::Show(const Rect& area) { p_.host.Show(stage_, area); }

void PuppetObjects::DrawStep(const std::vector<LipSyncFrame>& frames, int from, int to) {
  const Rect area = PictureArea();
  Rect changed;
  if (from < 0) {
    changed = area;
  } else {
    for (int i = from + 1; i <= to; ++i) changed = Unite(changed, frames[i].changed);
  }
  Rect clip;
  if (!SectRect(changed, area, clip)) return;
  const LipSyncFrame& frame = frames[static_cast<std::size_t>(to)];
  const BitmapView view = ViewOf(stage_);
  for (std::size_t k = 0; k < kPuppetLayers; ++k) {
    const LayerPlacement& placed = frame.layers[k];
    const bool hasImage =
        placed.image >= 0 && static_cast<std::size_t>(placed.image) < images_[k].size();
    if (k == 0 && grab_) {
      for (int v = clip.top; v < clip.bottom; ++v) {
        std::memcpy(stage_.row(v) + clip.left, grabbed_.row(v) + clip.left,
                    static_cast<std::size_t>(clip.width()));
      }
      continue;
    }
    if (!hasImage) {
      if (k == 0) Fill(stage_, clip, kEmptyColour);
      continue;
    }
    if (k == 0) {
      const Surface& background = Background(placed);
      for (int v = clip.top; v < clip.bottom; ++v) {
        std::memcpy(stage_.row(v) + clip.left, background.row(v) + clip.left,
                    static_cast<std::size_t>(clip.width()));
      }
      continue;
    }
    const RecordBlock& image = *images_[k][static_cast<std::size_t>(placed.image)];
    if (const FatalSite drawn = DrawSprite(image, placed.at, view, clip, false); drawn.failed()) {
      Report(drawn.programCode, errline::kPuppetPictureDraw);
    }
  }
  Show(clip);
  baseShown_ = false;
}

// A lip-sync step changes a small part of the picture, but a sprite is decoded from its first
// row down to the part drawn; the background is decoded once instead.
const Surface& PuppetObjects::Background(const LayerPlacement& placed) {
  if (backgroundOf_ && backgroundOf_->image == placed.image && backgroundOf_->at == placed.at) {
    return background_;
  }
  Fill(background_, background_.rect(), kEmptyColour);
  const RecordBlock& image = *images_[0][static_cast<std::size_t>(placed.image)];
  if (const FatalSite drawn =
          DrawSprite(image, placed.at, ViewOf(background_), background_.rect(), false);
      drawn.failed()) {
    Report(drawn.programCode, errline::kPuppetPictureDraw);
  }
  backgroundOf_ = placed;
  return background_;
}

// The base line's first frame over the whole picture, once: it stays until something else
// draws there.
void PuppetObjects::DrawBasePicture() {
  if (baseShown_ || header_.lines.empty()) return;
  std::optional<std::size_t> line = base_.empty() ? std::nullopt : FindLine(base_);
  std::vector<LipSyncFrame> frames;
  if (!LoadFrames(line.value_or(0), frames) || frames.empty()) return;
  DrawStep(frames, -1, 0);
  baseShown_ = true;
}

void PuppetObjects::DrawSubtitleStrip(std::string_view text) {
  const Rect strip{kSubtitleTop, 0, kPuppetPictureHeight, kPuppetPictureWidth};
  Fill(stage_, strip, kEmptyColour);
  const PuppetText style = TextStyle(static_cast<std::uint8_t>(params_[2]));
  const auto measure = [&](std::string_view line) { return p_.host.TextWidth(line, style); };
  std::vector<std::string> lines =
      WrapWords(text, kPuppetPictureWidth - 2 * kBevelTextLeft, measure);
  if (lines.size() > 2) lines.resize(2);
  const int first =
      strip.top + (strip.height() - kSubtitleLineRows * static_cast<int>(lines.size())) / 2;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int left = (kPuppetPictureWidth - measure(lines[i])) / 2;
    const Point at{static_cast<std::int16_t>(first + kSubtitleLineRows * (i + 1) - 4),
                   static_cast<std::int16_t>(std::max(0, left))};
    p_.host.DrawText(stage_, strip, at, lines[i], style);
  }
  subtitleShown_ = true;
  Show(strip);
}

void PuppetObjects::DrawBand(const std::vector<Bevel>& bevels, int clicked) {
  const Rect band = BandRect();
  bool drawn = false;
  if (open_ && header_.bandId != 0) {
    const auto id = static_cast<std::int32_t>(header_.bandId);
    RecordBlock* picture = nullptr;
    if (const ProgramCode got = p_.library.StarGetResource(*file_, id, picture); Failed(got)) {
      Report(CodeNumber(got), errline::kPuppetImageLoad);
    } else {
      Fill(stage_, band, kEmptyColour);
      const FatalSite site =
          DrawSprite(*picture, Point{band.top, band.left}, ViewOf(stage_), band, false);
      if (site.failed()) Report(site.programCode, errline::kPuppetPictureDraw);
      (void)p_.library.StarReleaseResource(*file_, id);
      drawn = true;
    }
  }
  if (!drawn) Fill(stage_, band, kEmptyColour);
  for (std::size_t i = 0; i < bevels.size(); ++i) {
    DrawBevel(bevels, i,
              static_cast<std::uint8_t>(static_cast<int>(i) == clicked ? params_[3] : params_[2]));
  }
  Show(band);
}

void PuppetObjects::DrawBevel(const std::vector<Bevel>& bevels, std::size_t i,
                              std::uint8_t colour) {
  const Rect row = BevelRow(i);
  const Rect frame = row.inset(2);
  Fill(stage_, Rect{frame.top, frame.left, static_cast<std::int16_t>(frame.top + 1), frame.right},
       colour);
  Fill(stage_,
       Rect{static_cast<std::int16_t>(frame.bottom - 1), frame.left, frame.bottom, frame.right},
       colour);
  Fill(stage_, Rect{frame.top, frame.left, frame.bottom, static_cast<std::int16_t>(frame.left + 1)},
       colour);
  Fill(stage_,
       Rect{frame.top, static_cast<std::int16_t>(frame.right - 1), frame.bottom, frame.right},
       colour);
  const Point at{static_cast<std::int16_t>(row.top + kBevelBaseline), kBevelTextLeft};
  p_.host.DrawText(stage_, frame.inset(1), at, bevels[i].text, TextStyle(colour));
}

void PuppetObjects::ShowBevel(const std::vector<Bevel>& bevels, std::size_t i,
                              std::uint8_t colour) {
  DrawBevel(bevels, i, colour);
  Show(BevelRow(i));
}

void PuppetObjects::InvertRow(std::size_t row) {
  const Rect r = BevelRow(row);
  for (int v = r.top; v < r.bottom; ++v) {
    std::uint8_t* pixels = stage_.row(v);
    for (int h = r.left; h < r.right; ++h) pixels[h] ^= kInvert;
  }
  Show(r);
}

Rect PuppetObjects::BevelRow(std::size_t i) {
  const auto top = static_cast<std::int16_t>(kPuppetPictureHeight + kBevelRowHeight * i);
  return Rect{top, 0, static_cast<std::int16_t>(top + kBevelRowHeight), kPuppetPictureWidth};
}

}  // namespace lw

// The picture and sound codecs against memcpy and libavcodec, on pictures and sound made here:
//   - frame decoding of four 640x480 clips of 60 frames: every frame a key frame, a 96x96 object
//     moving 3 px per frame over a still background, and the background panned by 1 px per frame
//     sideways and upwards (each clip a key frame, then difference frames). The clips are decoded
//     in order, over and over, into one bitmap;
//   - memcpy of the clips' pictures (width x height bytes per frame) into the same bitmap, the
//     bound of any decoder;
//   - libavcodec's QuickTime Animation codec (qtrle, 8-bit grey: the palette indices as grey
//     levels) on the same pictures with the same key frames: its single-threaded decoding, timed
//     in this process like ours, and the size of its packets;
//   - sprite drawing of a 128x128 textured disc with transparency, plain and scaled;
//   - sound record decoding of 22050 Hz music-like sound.
// Every output is checked against the source once before it is timed. Rates are the median of 5
// wall-clock runs on one thread. Built without LW_BENCH_LIBAVCODEC, it prints our figures alone.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "authoring/frame_encoder.h"
#include "authoring/sound_encoder.h"
#include "authoring/sprite_encoder.h"
#include "media/frame_codec.h"
#include "media/sound_record.h"
#include "media/sprite.h"

#ifdef LW_BENCH_LIBAVCODEC
extern "C" {
#include <libavcodec/avcodec.h>
}
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr std::size_t kFrameBytes = std::size_t{kWidth} * kHeight;
constexpr int kClipFrames = 60;
constexpr int kRuns = 5;
constexpr double kRunSeconds = 0.25;  // a timed run repeats its work for about this long
constexpr double kMega = 1e6;

// --- pictures ---------------------------------------------------------------------------------

// The scene's palette ranges, as indices (they are grey levels for qtrle).
constexpr int kSkyFirst = 32;
constexpr int kSkyLevels = 64;
constexpr int kGroundFirst = 96;
constexpr int kGroundLevels = 32;
constexpr int kSunIndex = 250;
constexpr int kWallFirst = 140;
constexpr int kWindowIndex = 200;
constexpr int kPanelIndex = 8;
constexpr int kPanelBorderIndex = 15;
constexpr int kButtonFirst = 20;
constexpr std::uint8_t kTransparent = 0;  // never painted by the scene or the discs' fill
constexpr int kOutlineIndex = 1;
constexpr int kDiscFirst = 160;
constexpr int kDiscLevels = 32;

struct Picture {
  int width = 0;
  int height = 0;
  Bytes pixels;

  std::uint8_t& at(int x, int y) {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  [[nodiscard]] std::uint8_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  [[nodiscard]] const std::uint8_t* row(int y) const {
    return pixels.data() + static_cast<std::ptrdiff_t>(y) * width;
  }
};

Picture BlankPicture(int width, int height) {
  return {width, height, Bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))};
}

constexpr int kNoiseLevels = 256;

// Smooth random texture: random levels 0 .. kNoiseLevels - 1 on a grid of `cell` pixels,
// interpolated bilinearly between grid points.
class ValueNoise {
 public:
  ValueNoise(int width, int height, int cell, unsigned seed)
      : cell_(cell), columns_(GridPoints(width, cell)) {
    std::mt19937 random(seed);
    levels_.resize(static_cast<std::size_t>(columns_) *
                   static_cast<std::size_t>(GridPoints(height, cell)));
    for (auto& level : levels_) level = static_cast<int>(random() % kNoiseLevels);
  }

  [[nodiscard]] int at(int x, int y) const {
    const int gx = x / cell_, gy = y / cell_;
    const int fx = x % cell_, fy = y % cell_;
    const int top = Lerp(grid(gx, gy), grid(gx + 1, gy), fx);
    const int bottom = Lerp(grid(gx, gy + 1), grid(gx + 1, gy + 1), fx);
    return Lerp(top, bottom, fy);
  }

 private:
  // Grid points along `length` pixels: one per cell begun, and the one closing the last cell.
  static int GridPoints(int length, int cell) { return length / cell + 2; }

  [[nodiscard]] int grid(int gx, int gy) const {
    return levels_[static_cast<std::size_t>(gy) * static_cast<std::size_t>(columns_) +
                   static_cast<std::size_t>(gx)];
  }
  [[nodiscard]] int Lerp(int a, int b, int fraction) const {
    return a + (b - a) * fraction / cell_;
  }

  int cell_;
  int columns_;
  std::vector<int> levels_;
};

// The 4x4 ordered dither threshold (0..15) of a pixel.
int BayerThreshold(int x, int y) {
  static constexpr std::array<int, 16> kBayer{0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
  constexpr int kSide = 4;
  return kBayer[static_cast<std::size_t>((y % kSide) * kSide + x % kSide)];
}

void FillRect(Picture& picture, int left, int top, int right, int bottom, std::uint8_t index) {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) picture.at(x, y) = index;
  }
}

// A sky dithered from one end of its ramp to the other, with a flat sun.
void PaintSky(Picture& scene, int skyRows) {
  constexpr int kDitherSteps = 16;
  for (int y = 0; y < skyRows; ++y) {
    const int scaled = y * kSkyLevels * kDitherSteps / skyRows;
    for (int x = 0; x < scene.width; ++x) {
      const int level = scaled / kDitherSteps + (scaled % kDitherSteps > BayerThreshold(x, y));
      scene.at(x, y) = static_cast<std::uint8_t>(kSkyFirst + std::min(level, kSkyLevels - 1));
    }
  }
  const int sunX = scene.width * 3 / 4, sunY = skyRows / 3, sunRadius = skyRows / 6;
  for (int y = sunY - sunRadius; y <= sunY + sunRadius; ++y) {
    for (int x = sunX - sunRadius; x <= sunX + sunRadius; ++x) {
      const int dx = x - sunX, dy = y - sunY;
      if (dx * dx + dy * dy <= sunRadius * sunRadius) scene.at(x, y) = kSunIndex;
    }
  }
}

// Rolling hills of a two-octave noise texture with a little grain, below a wavy ridge line.
void PaintGround(Picture& scene, int skyRows, int groundEnd, unsigned seed) {
  constexpr int kCoarseCell = 32, kFineCell = 6, kGrain = 3, kRidgeAmplitude = 24;
  constexpr double kRidgePeriod = 180.0;
  const ValueNoise coarse(scene.width, scene.height, kCoarseCell, seed);
  const ValueNoise fine(scene.width, scene.height, kFineCell, seed + 1);
  std::mt19937 random(seed + 2);
  for (int x = 0; x < scene.width; ++x) {
    const double phase = 2 * std::numbers::pi * x / kRidgePeriod;
    const int ridge =
        skyRows - kRidgeAmplitude + static_cast<int>(kRidgeAmplitude * (std::sin(phase) + 1) / 2);
    for (int y = ridge; y < groundEnd; ++y) {
      const int texture = (3 * coarse.at(x, y) + fine.at(x, y)) / 4;
      const int level =
          texture * kGroundLevels / kNoiseLevels + static_cast<int>(random() % kGrain);
      scene.at(x, y) = static_cast<std::uint8_t>(kGroundFirst + std::min(level, kGroundLevels - 1));
    }
  }
}

// Flat-walled houses with a grid of windows, standing on the hills.
void PaintHouses(Picture& scene, int baseRow, unsigned seed) {
  constexpr int kHouseSpacing = 150, kMinWidth = 60, kWidthRange = 50, kMinHeight = 70,
                kHeightRange = 60, kWindow = 10, kWindowGap = 8, kShades = 12;
  std::mt19937 random(seed);
  for (int left = 20; left + kMinWidth + kWidthRange < scene.width; left += kHouseSpacing) {
    const int width = kMinWidth + static_cast<int>(random() % kWidthRange);
    const int height = kMinHeight + static_cast<int>(random() % kHeightRange);
    const auto wall = static_cast<std::uint8_t>(kWallFirst + random() % kShades);
    FillRect(scene, left, baseRow - height, left + width, baseRow, wall);
    for (int y = baseRow - height + kWindowGap; y + kWindow < baseRow; y += kWindow + kWindowGap) {
      for (int x = left + kWindowGap; x + kWindow < left + width; x += kWindow + kWindowGap) {
        FillRect(scene, x, y, x + kWindow, y + kWindow, kWindowIndex);
      }
    }
  }
}

// A flat control panel along the bottom with a border and shaded buttons.
void PaintPanel(Picture& scene, int top) {
  constexpr int kBorder = 2, kButtonWidth = 72, kButtonGap = 16, kButtonMargin = 12;
  FillRect(scene, 0, top, scene.width, scene.height, kPanelBorderIndex);
  FillRect(scene, kBorder, top + kBorder, scene.width - kBorder, scene.height - kBorder,
           kPanelIndex);
  const int buttonTop = top + kButtonMargin, buttonBottom = scene.height - kButtonMargin;
  for (int x = kButtonGap; x + kButtonWidth < scene.width; x += kButtonWidth + kButtonGap) {
    for (int y = buttonTop; y < buttonBottom; ++y) {
      const auto shade = static_cast<std::uint8_t>(kButtonFirst + (y - buttonTop) / 4);
      FillRect(scene, x, y, x + kButtonWidth, y + 1, shade);
    }
  }
}

// The background of every clip: sky, sun, hills, houses and a panel from the bottom of the
// first frame down; larger than a frame so that the pans have somewhere to go.
Picture PaintScene(int width, int height) {
  constexpr unsigned kSeed = 1995;
  constexpr int kPanelRows = 64;
  Picture scene = BlankPicture(width, height);
  const int skyRows = kHeight * 2 / 5;
  const int panelTop = kHeight - kPanelRows;
  PaintSky(scene, skyRows);
  PaintGround(scene, skyRows, panelTop, kSeed);
  PaintHouses(scene, skyRows + skyRows / 2, kSeed + 3);
  PaintPanel(scene, panelTop);
  return scene;
}

// A shaded disc with a noise texture and a dark outline, transparent around it.
Picture PaintDisc(int size, unsigned seed) {
  constexpr int kOutline = 2, kCell = 5;
  Picture disc = BlankPicture(size, size);
  const ValueNoise texture(size, size, kCell, seed);
  const double centre = (size - 1) / 2.0, radius = size / 2.0 - 1;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double distance = std::hypot(x - centre, y - centre);
      if (distance > radius) continue;
      if (distance > radius - kOutline) {
        disc.at(x, y) = kOutlineIndex;
        continue;
      }
      const int shade = static_cast<int>((1 - distance / radius) * kDiscLevels / 2);
      const int level = shade + texture.at(x, y) * kDiscLevels / 2 / kNoiseLevels;
      disc.at(x, y) = static_cast<std::uint8_t>(kDiscFirst + std::min(level, kDiscLevels - 1));
    }
  }
  return disc;
}

// The part of `scene` at (left, top), frame-sized.
Picture Window(const Picture& scene, int left, int top) {
  Picture frame = BlankPicture(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    std::memcpy(&frame.at(0, y), scene.row(top + y) + left, kWidth);
  }
  return frame;
}

// Draws the opaque pixels of `sprite` with its top left corner at (left, top).
void Overlay(Picture& frame, const Picture& sprite, int left, int top) {
  for (int y = 0; y < sprite.height; ++y) {
    for (int x = 0; x < sprite.width; ++x) {
      if (sprite.at(x, y) != kTransparent) frame.at(left + x, top + y) = sprite.at(x, y);
    }
  }
}

// --- clips ------------------------------------------------------------------------------------

struct Clip {
  const char* name;
  bool keyFramesOnly;
  std::vector<Picture> frames;
  std::vector<Bytes> records;

  [[nodiscard]] std::size_t recordBytes() const {
    std::size_t total = 0;
    for (const auto& record : records) total += record.size();
    return total;
  }
};

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "codec_bench: %s\n", what.c_str());
  std::exit(1);
}

lw::authoring::FramePixels PixelsOf(const Picture& picture) {
  return {picture.width, picture.height, picture.pixels};
}

// Encodes the clip's frames: a key frame first, then difference frames (or only key frames).
void EncodeClip(Clip& clip) {
  for (std::size_t i = 0; i < clip.frames.size(); ++i) {
    const auto current = PixelsOf(clip.frames[i]);
    const bool key = clip.keyFramesOnly || i == 0;
    const auto previous = key ? current : PixelsOf(clip.frames[i - 1]);
    auto record = lw::authoring::EncodeFrame(current, key ? nullptr : &previous);
    if (!record.ok()) Die(std::string(clip.name) + ": " + record.error());
    clip.records.push_back(std::move(record).value());
  }
}

std::vector<Clip> MakeClips() {
  constexpr int kObjectSize = 96, kObjectStep = 3, kObjectLeft = 40, kObjectTop = 230;
  const Picture scene = PaintScene(kWidth + kClipFrames, kHeight + kClipFrames);
  const Picture object = PaintDisc(kObjectSize, 7);
  std::vector<Clip> clips{{"key", true, {}, {}},
                          {"object", false, {}, {}},
                          {"pan-h", false, {}, {}},
                          {"pan-v", false, {}, {}}};
  for (int i = 0; i < kClipFrames; ++i) {
    Picture moving = Window(scene, 0, 0);
    Overlay(moving, object, kObjectLeft + kObjectStep * i, kObjectTop);
    clips[0].frames.push_back(moving);
    clips[1].frames.push_back(std::move(moving));
    clips[2].frames.push_back(Window(scene, i, 0));
    clips[3].frames.push_back(Window(scene, 0, i));
  }
  for (auto& clip : clips) EncodeClip(clip);
  return clips;
}

// --- timing -----------------------------------------------------------------------------------

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

using Pass = std::function<void()>;

// How many times per second each pass runs. A warm-up pass sizes each contestant's runs to about
// kRunSeconds; then the contestants take turns, one run each, kRuns times, so that a change in
// the machine's load falls on all of them alike. Each rate is the median of its runs.
std::vector<double> PassesPerSecond(const std::vector<Pass>& contestants) {
  constexpr double kShortest = 1e-9;
  std::vector<int> passes;
  for (const Pass& pass : contestants) {
    passes.push_back(
        std::max(1, static_cast<int>(kRunSeconds / std::max(Seconds(pass), kShortest))));
  }
  std::vector<std::vector<double>> rates(contestants.size());
  for (int run = 0; run < kRuns; ++run) {
    for (std::size_t c = 0; c < contestants.size(); ++c) {
      const double seconds = Seconds([&] {
        for (int i = 0; i < passes[c]; ++i) contestants[c]();
      });
      rates[c].push_back(passes[c] / seconds);
    }
  }
  std::vector<double> medians;
  for (auto& runs : rates) {
    std::sort(runs.begin(), runs.end());
    medians.push_back(runs[runs.size() / 2]);
  }
  return medians;
}

double PassesPerSecond(const Pass& pass) { return PassesPerSecond(std::vector{pass}).front(); }

// A frame-sized 8-bit bitmap, rows top to bottom.
struct Bitmap {
  Bytes memory = Bytes(kFrameBytes);

  [[nodiscard]] lw::BitmapView view() { return {memory, 0, kWidth, kWidth, kHeight}; }
};

void DecodeInto(const Bytes& record, Bitmap& bitmap, const char* clip) {
  if (auto used = lw::DecodeFrame(record, bitmap.view()); !used.ok()) {
    Die(std::string(clip) + ": " + std::string(lw::FrameErrorText(used.error())));
  }
}

// Decodes the clip once and compares every frame with its picture.
void CheckClip(const Clip& clip) {
  Bitmap bitmap;
  for (std::size_t i = 0; i < clip.records.size(); ++i) {
    DecodeInto(clip.records[i], bitmap, clip.name);
    if (bitmap.memory != clip.frames[i].pixels) {
      Die(std::string(clip.name) + ": frame " + std::to_string(i) + " decodes wrong");
    }
  }
}

// One pass of ours: the clip decoded in order into the bitmap.
Pass DecodePass(const Clip& clip, Bitmap& bitmap) {
  return [&clip, &bitmap] {
    for (const auto& record : clip.records) DecodeInto(record, bitmap, clip.name);
  };
}

// One pass of the bound: the clip's pictures copied into the bitmap.
Pass MemcpyPass(const Clip& clip, Bitmap& bitmap) {
  return [&clip, &bitmap] {
    for (const auto& frame : clip.frames) {
      std::memcpy(bitmap.memory.data(), frame.pixels.data(), kFrameBytes);
    }
  };
}

// --- qtrle -------------------------------------------------------------------------------------

#ifdef LW_BENCH_LIBAVCODEC

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFree>;
using AvFrame = std::unique_ptr<AVFrame, FrameFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;

constexpr AVRational kFrameTime{1, 30};

CodecContext OpenCodec(const AVCodec* codec, int gop, int codedBits) {
  if (codec == nullptr) Die("libavcodec has no qtrle codec");
  CodecContext context(avcodec_alloc_context3(codec));
  context->width = kWidth;
  context->height = kHeight;
  context->pix_fmt = AV_PIX_FMT_GRAY8;
  context->time_base = kFrameTime;
  context->gop_size = gop;
  context->bits_per_coded_sample = codedBits;
  context->thread_count = 1;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) Die("libavcodec cannot open qtrle");
  return context;
}

// Moves the packets the encoder has ready into `packets`.
void TakePackets(AVCodecContext* encoder, std::vector<Packet>& packets) {
  for (;;) {
    Packet packet(av_packet_alloc());
    if (avcodec_receive_packet(encoder, packet.get()) < 0) return;
    packets.push_back(std::move(packet));
  }
}

// Codes the clip's pictures as 8-bit grey qtrle: every frame a key frame for the key clip,
// otherwise one key frame and then difference frames. Gives the packets and the bits per pixel
// the decoder is told (grey, as a QuickTime file would say).
std::vector<Packet> EncodeQtrle(const Clip& clip, int& codedBits) {
  const int gop = clip.keyFramesOnly ? 1 : kClipFrames;
  CodecContext encoder = OpenCodec(avcodec_find_encoder(AV_CODEC_ID_QTRLE), gop, 0);
  codedBits = encoder->bits_per_coded_sample;
  AvFrame frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_GRAY8;
  frame->width = kWidth;
  frame->height = kHeight;
  if (av_frame_get_buffer(frame.get(), 0) < 0) Die("libavcodec: no frame buffer");
  std::vector<Packet> packets;
  for (std::size_t i = 0; i < clip.frames.size(); ++i) {
    if (av_frame_make_writable(frame.get()) < 0) Die("libavcodec: frame not writable");
    for (int y = 0; y < kHeight; ++y) {
      std::memcpy(frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0],
                  clip.frames[i].row(y), kWidth);
    }
    frame->pts = static_cast<std::int64_t>(i);
    if (avcodec_send_frame(encoder.get(), frame.get()) < 0) Die("qtrle encoding failed");
    TakePackets(encoder.get(), packets);
  }
  avcodec_send_frame(encoder.get(), nullptr);
  TakePackets(encoder.get(), packets);
  if (packets.size() != clip.frames.size()) Die("qtrle gave the wrong number of packets");
  return packets;
}

// Decodes one packet into `frame` (which the caller unreferences when done with it).
void DecodePacket(AVCodecContext* decoder, const AVPacket* packet, AVFrame* frame) {
  if (avcodec_send_packet(decoder, packet) < 0 || avcodec_receive_frame(decoder, frame) < 0) {
    Die("qtrle decoding failed");
  }
}

// Compares each decoded frame with its picture. qtrle codes grey as QuickTime does, as indices
// into a descending grey ramp (index 255 - v for the grey level v), and decodes the indices.
void CheckQtrle(const Clip& clip, AVCodecContext* decoder, const std::vector<Packet>& packets) {
  constexpr int kWhite = 255;
  AvFrame frame(av_frame_alloc());
  for (std::size_t i = 0; i < packets.size(); ++i) {
    DecodePacket(decoder, packets[i].get(), frame.get());
    for (int y = 0; y < kHeight; ++y) {
      const std::uint8_t* row =
          frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
      for (int x = 0; x < kWidth; ++x) {
        if (row[x] != kWhite - clip.frames[i].at(x, y)) {
          Die(std::string(clip.name) + ": qtrle frame " + std::to_string(i) + " decodes wrong");
        }
      }
    }
    av_frame_unref(frame.get());
  }
}

// libavcodec's qtrle decoder, one thread, fed the clip's packets from memory as ours is fed its
// records: decoded in order, each frame released before the next so that the decoder rebuilds
// the next frame in place.
class QtrlePeer {
 public:
  explicit QtrlePeer(const Clip& clip) {
    int codedBits = 0;
    packets_ = EncodeQtrle(clip, codedBits);
    decoder_ = OpenCodec(avcodec_find_decoder(AV_CODEC_ID_QTRLE), 0, codedBits);
    CheckQtrle(clip, decoder_.get(), packets_);
  }

  [[nodiscard]] Pass pass() {
    return [this] {
      for (const auto& packet : packets_) {
        DecodePacket(decoder_.get(), packet.get(), frame_.get());
        av_frame_unref(frame_.get());
      }
    };
  }

  [[nodiscard]] std::size_t packetBytes() const {
    std::size_t bytes = 0;
    for (const auto& packet : packets_) bytes += static_cast<std::size_t>(packet->size);
    return bytes;
  }

 private:
  std::vector<Packet> packets_;
  CodecContext decoder_;
  AvFrame frame_{av_frame_alloc()};
};

constexpr bool kHaveQtrle = true;

#else

// Without libavcodec there is no peer (PreparePeer makes none); this only stands in for its type.
class QtrlePeer {
 public:
  explicit QtrlePeer(const Clip&) {}
  [[nodiscard]] Pass pass() {
    return [] {};
  }
  [[nodiscard]] std::size_t packetBytes() const { return 0; }
};

constexpr bool kHaveQtrle = false;

#endif

// The clip coded by the peer and checked, when there is one.
std::unique_ptr<QtrlePeer> PreparePeer(const Clip& clip) {
  return kHaveQtrle ? std::make_unique<QtrlePeer>(clip) : nullptr;
}

// --- sprites ----------------------------------------------------------------------------------

constexpr int kSpriteSize = 128;
constexpr int kShrunkSize = 96;    // drawn scaled down, as at a distance
constexpr int kGrownSize = 192;    // drawn scaled up, as close by
constexpr int kSpriteDraws = 100;  // per timed pass, each at a new place
constexpr lw::Rect kScreen{0, 0, kHeight, kWidth};

// What drawing `sprite` scaled to `size` at (left, top) over `background` must give: output
// pixel (x, y) shows source pixel (x W / size, y H / size) where that is opaque.
Bytes ExpectedDraw(const Picture& background, const Picture& sprite, int size, int left, int top) {
  Picture result = background;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::uint8_t pixel = sprite.at(x * sprite.width / size, y * sprite.height / size);
      if (pixel != kTransparent) result.at(left + x, top + y) = pixel;
    }
  }
  return result.pixels;
}

lw::FatalSite Draw(const Bytes& record, int size, int left, int top, Bitmap& bitmap) {
  const lw::Point anchor{static_cast<std::int16_t>(top), static_cast<std::int16_t>(left)};
  if (size == kSpriteSize) return lw::DrawSprite(record, anchor, bitmap.view(), kScreen, false);
  const auto side = static_cast<std::int16_t>(size);
  return lw::DrawSpriteScaled(record, anchor, bitmap.view(), kScreen, false, {side, side});
}

// Sprites drawn per second at `size` pixels square, each at a new place on the screen.
double SpriteRate(const Bytes& record, const Picture& sprite, const Picture& background, int size) {
  constexpr int kCheckLeft = 101, kCheckTop = 57, kStepX = 37, kStepY = 23;
  Bitmap bitmap;
  bitmap.memory = background.pixels;
  if (Draw(record, size, kCheckLeft, kCheckTop, bitmap).failed() ||
      bitmap.memory != ExpectedDraw(background, sprite, size, kCheckLeft, kCheckTop)) {
    Die("the sprite drawn at " + std::to_string(size) + " pixels is wrong");
  }
  const double passes = PassesPerSecond([&] {
    for (int i = 0; i < kSpriteDraws; ++i) {
      const int left = i * kStepX % (kWidth - size), top = i * kStepY % (kHeight - size);
      if (Draw(record, size, left, top, bitmap).failed()) Die("sprite drawing failed");
    }
  });
  return kSpriteDraws * passes;
}

// --- sound ------------------------------------------------------------------------------------

constexpr std::uint32_t kSoundRate = 22050;
constexpr int kSoundSeconds = 20;

// Music-like sound: a melody of notes with four harmonics and a decaying envelope, a bass line,
// and a little noise.
lw::authoring::PcmSound MakeMusic() {
  constexpr std::array<double, 8> kMelody{261.6, 293.7, 329.6, 392.0, 440.0, 392.0, 329.6, 293.7};
  constexpr std::array<double, 4> kHarmonics{1.0, 0.5, 0.3, 0.15};
  constexpr double kNoteSeconds = 0.25, kDecay = 6.0, kBassRatio = 0.25, kBassLevel = 0.2,
                   kMelodyLevel = 0.3, kNoiseLevel = 0.03, kFullScale = 32767;
  lw::authoring::PcmSound sound;
  sound.sampleRate = kSoundRate;
  std::mt19937 random(11);
  std::normal_distribution<double> noise(0, kNoiseLevel);
  const int samples = kSoundSeconds * static_cast<int>(kSoundRate);
  for (int i = 0; i < samples; ++i) {
    const double t = static_cast<double>(i) / kSoundRate;
    const auto note = static_cast<std::size_t>(t / kNoteSeconds);
    const double frequency = kMelody[note % kMelody.size()];
    const double envelope = std::exp(-kDecay * std::fmod(t, kNoteSeconds));
    double value = 0;
    for (std::size_t h = 0; h < kHarmonics.size(); ++h) {
      value += kHarmonics[h] * std::sin(2 * std::numbers::pi * frequency * (h + 1) * t);
    }
    value = kMelodyLevel * envelope * value +
            kBassLevel * std::sin(2 * std::numbers::pi * frequency * kBassRatio * t) +
            noise(random);
    sound.samples.push_back(static_cast<std::int16_t>(std::clamp(value, -1.0, 1.0) * kFullScale));
  }
  return sound;
}

// Decodes the whole record block by block, as the mixer does, into one block buffer.
void DecodeBlocks(const Bytes& record, const lw::SoundRecordInfo& info,
                  std::array<std::uint8_t, lw::kMaxSoundBlockSize>& block,
                  const std::function<void(std::span<const std::uint8_t>)>& take) {
  lw::SoundBlockDecoder decoder(record, info);
  while (!decoder.finished()) {
    if (decoder.decodeNext(block).failed()) Die("sound block decoding failed");
    take(std::span<const std::uint8_t>(block.data(), info.codec.blockSize));
  }
}

struct SoundResult {
  double realtime = 0;  // seconds of sound per second of decoding
  double snrDb = 0;
  std::size_t recordBytes = 0;
};

// Checks the block decoder against the whole-record decoder and the source, then times it.
SoundResult RunSound() {
  const auto music = MakeMusic();
  auto record = lw::authoring::EncodeSound(music, kSoundRate);
  if (!record.ok()) Die(record.error());
  auto info = lw::ReadSoundRecord(*record);
  auto whole = lw::DecodeSoundRecord(*record);
  auto targets = lw::authoring::SoundTargets(music, kSoundRate);
  if (!info.ok() || !whole.ok() || !targets.ok() || whole->size() != targets->size()) {
    Die("the sound record does not decode to the sound's length");
  }
  std::array<std::uint8_t, lw::kMaxSoundBlockSize> block{};
  Bytes blocks;
  DecodeBlocks(*record, *info, block,
               [&](auto samples) { blocks.insert(blocks.end(), samples.begin(), samples.end()); });
  if (!std::equal(whole->begin(), whole->end(), blocks.begin())) {
    Die("block decoding differs from whole-record decoding");
  }
  double signal = 0, error = 0;
  for (std::size_t i = 0; i < whole->size(); ++i) {
    const double target = (*targets)[i];
    const double decoded = (*whole)[i] - double{lw::kSoundSampleBias};
    signal += (target - lw::authoring::kSilenceValue) * (target - lw::authoring::kSilenceValue);
    error += (decoded - target) * (decoded - target);
  }
  constexpr double kDecibels = 10;
  constexpr double kMinSnrDb = 20;  // far below what the encoder reaches, far above garbage
  const double snr = kDecibels * std::log10(signal / error);
  if (snr < kMinSnrDb)
    Die("the sound decodes with a signal-to-noise ratio of only " + std::to_string(snr) + " dB");
  std::uint64_t checksum = 0;
  const double rate = PassesPerSecond([&] {
    DecodeBlocks(*record, *info, block, [&](auto samples) { checksum += samples.back(); });
  });
  if (checksum == 0) Die("the sound decoded to nothing");
  return {rate * kSoundSeconds, snr, record->size()};
}

struct ClipResult {
  double ours = 0;   // frames per second
  double bound = 0;  // memcpy's frames per second
  double peer = 0;   // qtrle's frames per second, 0 without it
  std::size_t peerBytes = 0;
};

// Checks our decoding and the peer's, then times ours, memcpy and the peer in turns.
ClipResult RunClip(const Clip& clip) {
  CheckClip(clip);
  const std::unique_ptr<QtrlePeer> peer = PreparePeer(clip);
  Bitmap bitmap;
  std::vector<Pass> contestants{DecodePass(clip, bitmap), MemcpyPass(clip, bitmap)};
  if (peer) contestants.push_back(peer->pass());
  const std::vector<double> rates = PassesPerSecond(contestants);
  return {kClipFrames * rates[0], kClipFrames * rates[1], peer ? kClipFrames * rates[2] : 0,
          peer ? peer->packetBytes() : 0};
}

void PrintDecodeRow(const Clip& clip, const ClipResult& result) {
  std::printf("%-8s %10.0f %10.0f %10.0f %8.2f", clip.name, result.ours,
              result.ours * kFrameBytes / kMega, result.bound, result.bound / result.ours);
  if (kHaveQtrle) {
    std::printf(" %10.0f %8.2f\n", result.peer, result.ours / result.peer);
  } else {
    std::printf(" %10s %8s\n", "-", "-");
  }
}

void PrintSizeRow(const Clip& clip, const ClipResult& result) {
  const double ours = static_cast<double>(clip.recordBytes());
  const double raw = double{kFrameBytes} * kClipFrames;
  std::printf("%-8s %12.0f %8.2f", clip.name, ours, raw / ours);
  if (kHaveQtrle) {
    const double theirs = static_cast<double>(result.peerBytes);
    std::printf(" %12.0f %8.2f %8.2f\n", theirs, raw / theirs, ours / theirs);
  } else {
    std::printf(" %12s %8s %8s\n", "-", "-", "-");
  }
}

}  // namespace

int main() {
  const std::vector<Clip> clips = MakeClips();
  std::printf(
      "Frame decoding: %dx%d clips of %d frames decoded over and over; ours, memcpy and "
      "qtrle in turns, median of %d runs of %.2f s each\n",
      kWidth, kHeight, kClipFrames, kRuns, kRunSeconds);
  std::printf("x memcpy: our time over memcpy's; ours/qt: our speed over qtrle's (%s)\n",
              kHaveQtrle ? "libavcodec, one thread, same frames and key frames"
                         : "not built with libavcodec, so no qtrle figures");
  std::printf("%-8s %10s %10s %10s %8s %10s %8s\n", "clip", "ours fps", "ours MB/s", "memcpy fps",
              "x memcpy", "qtrle fps", "ours/qt");
  std::vector<ClipResult> results;
  for (const auto& clip : clips) {
    results.push_back(RunClip(clip));
    PrintDecodeRow(clip, results.back());
  }

  std::printf(
      "\nCompressed size of the %d frames (ratio: raw bytes over coded bytes; qtrle: its "
      "packets)\n",
      kClipFrames);
  std::printf("%-8s %12s %8s %12s %8s %8s\n", "clip", "ours bytes", "ratio", "qtrle bytes", "ratio",
              "ours/qt");
  for (std::size_t i = 0; i < clips.size(); ++i) PrintSizeRow(clips[i], results[i]);

  const Picture sprite = PaintDisc(kSpriteSize, 3);
  auto record = lw::authoring::EncodeSprite(
      {kSpriteSize, kSpriteSize, sprite.pixels, lw::Point{}, kTransparent});
  if (!record.ok()) Die(record.error());
  const Picture background = clips[1].frames[0];
  std::printf(
      "\nSprite drawing: a %dx%d textured disc with transparency (%zu bytes) at "
      "changing places; median of %d runs\n",
      kSpriteSize, kSpriteSize, record->size(), kRuns);
  std::printf("%-8s %12s %14s\n", "size", "sprites/s", "per 60 Hz frame");
  constexpr std::array<int, 3> kSizes{kSpriteSize, kShrunkSize, kGrownSize};
  for (int size : kSizes) {
    const double rate = SpriteRate(*record, sprite, background, size);
    constexpr double kFramesPerSecond = 60;
    std::printf("%3dx%-4d %12.0f %14.0f\n", size, size, rate, rate / kFramesPerSecond);
  }

  const SoundResult sound = RunSound();
  std::printf(
      "\nSound decoding: %d s of %u Hz music (%zu bytes, %.1f dB against the 7-bit "
      "target), block by block; median of %d runs\n",
      kSoundSeconds, kSoundRate, sound.recordBytes, sound.snrDb, kRuns);
  std::printf("realtime factor %.0f (seconds of sound per second of decoding)\n", sound.realtime);
  return 0;
}

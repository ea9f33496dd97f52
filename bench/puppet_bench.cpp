// One lip-sync step of a talking puppet against the copy it is built on. A step unites the
// rectangles its frames change, draws the puppet's layers there (a textured background, a body,
// the eyes and the beak, the last three with transparent pixels) and shows the result over the
// stage: into the compositor's screen buffer and on to the window's canvas. Two lines are
// spoken, each through PuppetObjects::Speak on a puppet file written here with the puppet record
// writers and opened as a title opens it, over a compositor on the headless platform:
//
//   "whole"  61 frames, each changing the whole 512 x 264 picture: every step is a full one;
//            the bound is memcpy of 512 x 264, row by row.
//   "beak"   601 frames, each after the first changing only the 48 x 40 beak; the first step of
//            a line draws the whole picture, so a beak step is (line - one whole step) / 600;
//            the bound is memcpy of 48 x 40.
//
// The sound output is closed, so a line keeps its pace by the host's ticks, and the bench's host
// advances 2 ticks (one lip-sync frame) each time the line waits: a spoken line is its steps
// back to back, with reading its frame record once.
//
// Goals: a whole-picture step within 4 x the plain copy (its floor is 3 copies: the background
// layer, the screen buffer, the canvas); a beak step under 1/10 of a whole-picture step.
//
// Each line is checked once before it is timed: it shows one step per frame, no error is
// reported, and afterwards the canvas shows the last frame's picture (painted independently
// here from the layer pixels) over the stage. Rates are the median of 5 wall-clock runs on one
// thread, the contestants taking turns.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "authoring/sound_encoder.h"
#include "authoring/sprite_encoder.h"
#include "authoring/star_output.h"
#include "authoring/storage_stack.h"
#include "media/compositor.h"
#include "media/sound_channels.h"
#include "objects/puppet_objects.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/system_info.h"
#include "script/handler_call.h"
#include "script/interpreter.h"
#include "script/script_frame.h"
#include "script/script_host.h"
#include "shell/drawing/screen.h"
#include "shell/sound/sound_output.h"
#include "turn_timing.h"

namespace {

using namespace lw::bench;
using Pixels = std::vector<std::uint8_t>;

constexpr double kMicro = 1e6;
constexpr int kWholeFrames = 61;
constexpr int kBeakFrames = 601;
constexpr std::uint32_t kTicksPerFrame = 2;
constexpr std::uint32_t kTicksPerSecond = 60;
constexpr std::uint8_t kClear = 0;  // the transparent index of the body, eyes and beak

// A layer image: its pixels, its size and where its top-left corner (its hot spot) lands.
struct Image {
  int width = 0;
  int height = 0;
  lw::Point at;
  Pixels pixels;
};

constexpr lw::Rect kBody{30, 156, 250, 356};
constexpr lw::Rect kEyes{70, 196, 110, 316};
constexpr lw::Rect kBeak{120, 232, 160, 280};

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "puppet_bench: %s\n", what.c_str());
  std::exit(1);
}

Image Painted(const lw::Rect& r, const std::function<std::uint8_t(int h, int v)>& paint) {
  Image image{r.width(), r.height(), lw::PointAt(r.top, r.left), {}};
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  for (int v = 0; v < image.height; ++v) {
    for (int h = 0; h < image.width; ++h)
      image.pixels[static_cast<std::size_t>(v) * image.width + h] = paint(h, v);
  }
  return image;
}

bool InEllipse(int h, int v, int width, int height) {
  const double dh = (h + 0.5) / width * 2 - 1, dv = (v + 0.5) / height * 2 - 1;
  return dh * dh + dv * dv <= 1.0;
}

// The background: bands with noise, as a painted scene would be.
Image Background() {
  std::uint32_t noise = 12345;
  return Painted({0, 0, lw::kPuppetPictureHeight, lw::kPuppetPictureWidth}, [&](int h, int v) {
    noise = noise * 1103515245 + 12345;
    return static_cast<std::uint8_t>(16 + ((h / 37 + v / 23) % 5) * 40 + (noise >> 29));
  });
}

Image Body() {
  return Painted(kBody, [](int h, int v) {
    return InEllipse(h, v, kBody.width(), kBody.height())
               ? static_cast<std::uint8_t>(60 + (h / 6 + v / 9) % 8)
               : kClear;
  });
}

// Two round eyes, open (pupils) or shut (a lid colour).
Image Eyes(bool open) {
  return Painted(kEyes, [open](int h, int v) -> std::uint8_t {
    const int half = kEyes.width() / 2;
    if (!InEllipse(h % half, v, half, kEyes.height())) return kClear;
    if (!open) return 90;
    return InEllipse(h % half - half / 4, v - kEyes.height() / 4, half / 2, kEyes.height() / 2)
               ? 1
               : 250;
  });
}

// The beak opened `opening` rows of 8 (0 closed .. 2 open): an upper and a lower part.
Image Beak(int opening) {
  return Painted(kBeak, [opening](int h, int v) -> std::uint8_t {
    const int gap = 12 + 8 * opening;
    const int middle = kBeak.width() / 2;
    const int spread = std::abs(h - middle);
    if (v < gap && spread < (gap - v) * middle / gap) return 200;
    if (v >= gap && v < kBeak.height() && spread < (kBeak.height() - v) * middle / 12) return 210;
    return kClear;
  });
}

std::vector<std::uint8_t> SpriteOf(const Image& image, bool opaque) {
  auto sprite =
      lw::authoring::EncodeSprite({.width = image.width,
                                   .height = image.height,
                                   .pixels = image.pixels,
                                   .hotSpot = {},
                                   .transparent = opaque ? std::nullopt : std::optional(kClear)});
  if (!sprite) Die(sprite.error());
  return *sprite;
}

// A silent sound record that lasts exactly `ticks` at 11025 Hz.
std::vector<std::uint8_t> SilenceOf(std::uint32_t ticks) {
  const lw::SoundCodec& codec = lw::kSoundCodecs[0];
  const std::size_t samples = (ticks * codec.sampleRate + kTicksPerSecond - 1) / kTicksPerSecond;
  const std::vector<float> targets(samples, static_cast<float>(lw::authoring::kSilenceValue));
  return lw::authoring::BuildSoundRecord(targets, codec);
}

// The layers: 0 the background, 1 the body, 2 the eyes (open, shut), 3 the beak (3 openings).
struct Owl {
  std::vector<std::vector<Image>> layers{
      {Background()}, {Body()}, {Eyes(true), Eyes(false)}, {Beak(0), Beak(1), Beak(2)}};

  // The frame with the eyes and the beak chosen, changing `changed`.
  [[nodiscard]] lw::LipSyncFrame Frame(int eyes, int beak, lw::Rect changed) const {
    lw::LipSyncFrame frame;
    frame.changed = changed;
    const int chosen[] = {0, 0, eyes, beak};
    for (std::size_t k = 0; k < layers.size(); ++k) {
      frame.layers[k] = {static_cast<std::int16_t>(chosen[k]), layers[k][0].at};
    }
    return frame;
  }

  // What the frame shows, painted layer by layer over the transparent index.
  [[nodiscard]] Pixels Picture(const lw::LipSyncFrame& frame) const {
    Pixels picture(static_cast<std::size_t>(lw::kPuppetPictureWidth) * lw::kPuppetPictureHeight);
    for (std::size_t k = 0; k < layers.size(); ++k) {
      const Image& image = layers[k][static_cast<std::size_t>(frame.layers[k].image)];
      for (int v = 0; v < image.height; ++v) {
        for (int h = 0; h < image.width; ++h) {
          const std::uint8_t pixel = image.pixels[static_cast<std::size_t>(v) * image.width + h];
          if (k > 0 && pixel == kClear) continue;
          picture[static_cast<std::size_t>(v + image.at.v) * lw::kPuppetPictureWidth + h +
                  image.at.h] = pixel;
        }
      }
    }
    return picture;
  }
};

// The puppet file: records 0 to 3, the layer images, then per line its sound and its frames.
std::vector<std::vector<std::uint8_t>> PuppetRecords(
    const Owl& owl, const std::vector<std::vector<lw::LipSyncFrame>>& lines) {
  std::vector<std::vector<std::uint8_t>> records(4);
  const auto add = [&records](std::vector<std::uint8_t> record) {
    records.push_back(std::move(record));
    return static_cast<std::uint32_t>(records.size() - 1);
  };
  lw::PuppetLayers layers;
  for (std::size_t k = 0; k < owl.layers.size(); ++k) {
    for (const Image& image : owl.layers[k]) layers[k].push_back(add(SpriteOf(image, k == 0)));
  }
  lw::PuppetHeader header;
  header.name = "Bench owl";
  const char* names[] = {"whole", "beak"};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto count = static_cast<std::int16_t>(lines[i].size());
    const std::uint32_t sound = add(SilenceOf(kTicksPerFrame * (lines[i].size() - 1)));
    const std::uint32_t frames = add(lw::WriteLipSyncFrames(lines[i]));
    header.lines.push_back({count, sound, frames, "*", names[i]});
  }
  records[lw::kPuppetHeaderRecord] = lw::WritePuppetHeader(header);
  records[lw::kPlayerLinesRecord] = lw::WritePlayerLines({});
  records[lw::kPuppetListRecord] = lw::WritePuppetList({});
  records[lw::kPuppetLayersRecord] = lw::WritePuppetLayers(layers);
  return records;
}

// The run's side as the bench needs it: the picture goes over the stage through the compositor,
// as the runtime's host does; the clock moves a lip-sync frame each time the puppet waits; there
// is no input and no text.
class BenchHost final : public lw::PuppetHost {
 public:
  explicit BenchHost(lw::Compositor& compositor) : compositor_(compositor) {}

  void GrabSceneView(lw::Surface&) override {}
  void Show(const lw::Surface& stage, const lw::Rect& area) override {
    compositor_.ShowOverStage(stage, area);
    ++shown;
  }
  void GiveBack() override {}
  void PaceFrame() override {}
  std::uint32_t Ticks() override { return ticks_; }
  void SleepTick() override { ticks_ += kTicksPerFrame; }
  std::optional<lw::PuppetInput> NextInput(bool) override { return std::nullopt; }
  bool ButtonDown() override { return false; }
  lw::Point Mouse() override { return {}; }
  bool Closing() override { return false; }
  double PlayedSeconds() override { return 0; }
  double QueuedSeconds() override { return 0; }
  void SetSoundLevel(int) override {}
  std::uint32_t Random(std::uint32_t) override { return 0; }
  void DrawText(lw::Surface&, const lw::Rect&, lw::Point, std::string_view,
                const lw::PuppetText&) override {}
  int TextWidth(std::string_view, const lw::PuppetText&) override { return 0; }
  lw::ColourTable CurrentPalette() override { return {}; }

  std::int64_t shown = 0;  // Show calls: one per step drawn

 private:
  lw::Compositor& compositor_;
  std::uint32_t ticks_ = 0;
};

// Speaks a line once and checks it: one step per frame, no error, and the canvas showing
// `expected` over the stage.
void CheckLine(lw::PuppetObjects& puppet, BenchHost& host, lw::Screen& window,
               const lw::Rect& stage, lw::ErrorReporter& errors, const char* line, int frames,
               const Pixels& expected) {
  host.shown = 0;
  puppet.Speak(line);
  if (host.shown != frames) {
    Die(std::string(line) + ": " + std::to_string(host.shown) + " steps shown for " +
        std::to_string(frames) + " frames");
  }
  if (errors.reportCount() != 0) Die(std::string(line) + ": an error was reported");
  for (int v = 0; v < lw::kPuppetPictureHeight; ++v) {
    if (std::memcmp(window.canvas().row(stage.top + v) + stage.left,
                    expected.data() + static_cast<std::size_t>(v) * lw::kPuppetPictureWidth,
                    lw::kPuppetPictureWidth) != 0) {
      Die(std::string(line) + ": the canvas does not show the last frame at row " +
          std::to_string(v));
    }
  }
}

// memcpy of `area` of the picture, row by row, into a screen-sized buffer at the stage.
Work PlainCopy(const lw::Rect& area, const Pixels& from, lw::Surface& to, const lw::Rect& stage) {
  return [area, &from, &to, stage](std::int64_t count) {
    const auto columns = static_cast<std::size_t>(area.width());
    for (std::int64_t i = 0; i < count; ++i) {
      for (int v = area.top; v < area.bottom; ++v) {
        std::memcpy(to.row(stage.top + v) + stage.left + area.left,
                    from.data() + static_cast<std::size_t>(v) * lw::kPuppetPictureWidth + area.left,
                    columns);
      }
      Touch(to.data());
    }
  };
}

}  // namespace

int main() {
  const Owl owl;
  const lw::Rect whole{0, 0, lw::kPuppetPictureHeight, lw::kPuppetPictureWidth};
  std::vector<lw::LipSyncFrame> wholeLine, beakLine;
  for (int i = 0; i < kWholeFrames; ++i) wholeLine.push_back(owl.Frame(i / 7 % 2, i % 3, whole));
  for (int i = 0; i < kBeakFrames; ++i) beakLine.push_back(owl.Frame(0, i % 3, kBeak));

  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "lw_puppet_bench";
  std::filesystem::create_directories(folder);
  lw::platform::EmptySystemInfo system;
  lw::authoring::StorageStack storage{system, folder, stderr};
  if (auto failed = lw::authoring::ReplaceStarFile(storage.library, folder / "BENCH.PUP",
                                                   {lw::kPuppetFileType},
                                                   PuppetRecords(owl, {wholeLine, beakLine}))) {
    Die(*failed);
  }

  lw::platform::TtfFontRenderer fonts;
  lw::platform::HeadlessPlatform platform{lw::platform::InputScript{}, fonts, stderr};
  lw::Screen window{platform};
  lw::Compositor compositor{lw::CompositorParts{
      .window = window,
      .library = storage.library,
      .errors = storage.errors,
      .clock = {.tickCount = [] { return std::uint32_t{0}; }, .waitNextTick = [] {}},
      .frameInterval = 0,
  }};
  lw::SoundOutput sound{platform, storage.boxes, storage.errors};
  lw::SoundChannels channels{storage.library, storage.errors, sound};  // never opened: silent
  BenchHost host{compositor};
  lw::PuppetObjects puppet{lw::PuppetParts{
      .library = storage.library,
      .scripts = storage.scripts,
      .errors = storage.errors,
      .channels = channels,
      .host = host,
      .locate =
          [&folder](std::string_view name, std::string& path) {
            path = (folder / name).string();
            return lw::ScriptError::None;
          },
  }};
  // The call openpuppetfile is made in; the file has no puppet scripts to run.
  lw::ScriptHost scriptHost;
  lw::Interpreter interpreter{scriptHost};
  lw::CompiledScript frameScript;
  lw::ScriptFrame frame = lw::SystemFrame(frameScript);
  lw::BuiltinCall call{interpreter, frame, nullptr, 0, nullptr};
  interpreter.beginPass();
  if (puppet.OpenPuppetFile(call, "BENCH.PUP") != lw::ScriptError::None || !puppet.isVisible())
    Die("the puppet file did not open");

  const lw::Rect stage = compositor.stageRect();
  const Pixels wholeLast = owl.Picture(wholeLine.back());
  const Pixels beakLast = owl.Picture(beakLine.back());
  CheckLine(puppet, host, window, stage, storage.errors, "whole", kWholeFrames, wholeLast);
  CheckLine(puppet, host, window, stage, storage.errors, "beak", kBeakFrames, beakLast);

  lw::Surface target(compositor.screenRect().width(), compositor.screenRect().height());
  const std::vector<Work> contestants{
      [&puppet](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) puppet.Speak("whole");
      },
      PlainCopy(whole, wholeLast, target, stage),
      [&puppet](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) puppet.Speak("beak");
      },
      PlainCopy(kBeak, beakLast, target, stage),
  };
  std::vector<double> us = RatesOf(contestants);
  for (double& rate : us) rate = kMicro / rate;
  const double wholeStep = us[0] / kWholeFrames;
  const double beakStep = (us[2] - wholeStep) / (kBeakFrames - 1);
  if (storage.errors.reportCount() != 0) Die("the timed lines reported an error");

  std::printf(
      "A puppet's lip-sync step against a plain copy of its area; all four in turns, median of "
      "%d runs of %.2f s\n",
      kRuns, kRunSeconds);
  std::printf(
      "step: PuppetObjects::Speak's steps drawn and shown through Compositor::ShowOverStage; "
      "copy: memcpy of the area row by row\n");
  std::printf("%-28s %10s %10s %10s %8s\n", "step", "step us", "copy us", "x copy", "goal");
  std::printf("%-28s %10.1f %10.1f %10.2f %8s\n", "whole picture, 512 x 264", wholeStep, us[1],
              wholeStep / us[1], "<= 4");
  std::printf("%-28s %10.2f %10.3f %10.2f %8s\n", "beak, 48 x 40", beakStep, us[3],
              beakStep / us[3], "");
  std::printf("beak step / whole-picture step: 1/%.0f (goal: under 1/10)\n", wholeStep / beakStep);
  puppet.ShutDown();
  std::filesystem::remove_all(folder);
  return 0;
}

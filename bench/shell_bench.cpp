// The runtime shell's two hot paths against the bounds they are built on:
//   - main loop passes on the headless platform with an empty input script, for three titles
//     made here in a scratch folder: a system script without handlers, one with empty boot()
//     and idle(), and one whose idle() makes a few assignments. The bound is one bare message
//     pump with nothing to do (WindowSystem::PumpMessages on the same runtime); a pass pumps
//     twice (once itself, once to take an event), runs the windows' loop pass and looks at the
//     event queue;
//   - presenting: CanvasConverter::convert (the window backend's palette conversion of the 8-bit
//     canvas into 32-bit pixels) of the whole 640 x 480 canvas and of 64 x 48 and 8 x 8 dirty
//     rectangles, against memcpy of the same pixels as 8-bit source bytes and as 32-bit output
//     bytes (row by row for the rectangles, between canvas-wide rows), and the whole path
//     Screen::present() on the headless platform (mark the rectangle dirty, present, which
//     copies it into the platform's kept canvas).
// Every contestant's effect is checked once before it is timed: the idle() counter equals the
// passes run, no error box came up, converted pixels equal the palette's colour of their index,
// and pixels outside a dirty rectangle are left alone. Rates are the median of 5 wall-clock
// runs on one thread, the contestants of a table taking turns.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "media/star_library.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/canvas_converter.h"
#include "runtime/runtime.h"
#include "script/tokenizer.h"
#include "shell/dialogs/boxes.h"
#include "shell/drawing/screen.h"
#include "turn_timing.h"

namespace {

using lw::platform::kCanvasHeight;
using lw::platform::kCanvasWidth;

using namespace lw::bench;

constexpr double kMicro = 1e6;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "shell_bench: %s\n", what.c_str());
  std::exit(1);
}

// --- titles -----------------------------------------------------------------------------------

// A scratch folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lw_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Die("no scratch folder");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes a boot file at `path`, as `titlekit bootfile` makes it: an empty record 0 and the
// compiled `source` (LF line ends here, CR in the script) as record 1, the system script.
void WriteBootFile(const std::filesystem::path& path, std::string_view source) {
  std::string text(source);
  std::replace(text.begin(), text.end(), '\n', '\r');
  auto script = lw::CompileScriptText(text);
  if (!script.ok()) Die("a bench script does not compile");
  lw::TerminalBoxes boxes(nullptr);
  lw::MessageTexts texts;
  lw::LastPlatformError lastError;
  lw::platform::EmptySystemInfo system;
  lw::VolumeMap volumes(".", system);
  lw::FileAccess files(volumes, boxes, texts, lastError);
  lw::ErrorReporter errors(boxes, texts, lastError);
  lw::StampCounter stamps;
  lw::StarLibrary library(files, errors, stamps, [] { return std::uint64_t{1} << 32; });
  lw::StarFile* file = nullptr;
  std::int32_t id = 0;
  const std::vector<std::uint8_t> bytes = script->ToBytes();
  if (lw::Failed(lw::StarFile::Create(files, path.string(), 2, lw::FourCharCode("STAR"),
                                      lw::FourCharCode("LWRT"))) ||
      lw::Failed(library.StarOpen(path.string(), file)) ||
      lw::Failed(library.StarAddResource(*file, {}, id)) ||
      lw::Failed(library.StarAddResource(*file, bytes, id)) || id != 1 ||
      lw::Failed(library.StarClose(*file))) {
    Die("the boot file " + path.string() + " cannot be written");
  }
}

// The titles whose passes are timed.
constexpr std::string_view kNoHandlers = "";
constexpr std::string_view kEmptyHandlers =
    "code boot()\n"
    "endcode\n"
    "code idle()\n"
    "endcode\n";
// idle() counts its runs in `idles`, which the check reads, and makes a few more assignments.
constexpr std::string_view kWorkingIdle =
    "code boot()\n"
    "\tglobal idles, a, b, c\n"
    "\tidles = 0\n"
    "\ta = 0\n"
    "endcode\n"
    "code idle()\n"
    "\tglobal idles, a, b, c\n"
    "\tidles = idles + 1\n"
    "\ta = a + 3\n"
    "\tb = a * 2\n"
    "\tc = b - a\n"
    "endcode\n";

struct TitleCase {
  const char* name;
  std::string_view source;
};

constexpr std::array<TitleCase, 3> kTitles{{
    {"pass, no handlers", kNoHandlers},
    {"pass, empty boot() idle()", kEmptyHandlers},
    {"pass, idle() 4 assignments", kWorkingIdle},
}};

// One title begun on a headless platform with an empty input script, ready to be stepped.
class SteppedTitle {
 public:
  SteppedTitle(const std::filesystem::path& folder, lw::platform::FontRenderer& fonts)
      : platform_(lw::platform::InputScript{}, fonts, stderr) {
    lw::RuntimeOptions options;
    options.titleFolder = folder;
    options.trace = [this](std::string_view call) { calls_.emplace_back(call); };
    runtime_ = std::make_unique<lw::Runtime>(platform_, std::move(options));
    if (!runtime_->Begin()) Die("the title in " + folder.string() + " opens no window");
  }
  ~SteppedTitle() { runtime_->End(); }
  SteppedTitle(const SteppedTitle&) = delete;
  SteppedTitle& operator=(const SteppedTitle&) = delete;

  [[nodiscard]] lw::Runtime& runtime() { return *runtime_; }
  [[nodiscard]] const lw::platform::HeadlessPlatform& platform() const { return platform_; }
  [[nodiscard]] const std::vector<std::string>& calls() const { return calls_; }

  // The number in global `name`.
  [[nodiscard]] std::int32_t global(std::string_view name) {
    lw::Interpreter& in = *runtime_->interpreter();
    int index = 0;
    lw::Value value;
    if (lw::Failed(in.globals().find(name, nullptr, index)) ||
        lw::Failed(in.globals().get(index, in.strings(), value))) {
      Die("the title has no global " + std::string(name));
    }
    return value.payload;
  }

 private:
  lw::platform::HeadlessPlatform platform_;
  std::vector<std::string> calls_;  // every handler call but idle()
  std::unique_ptr<lw::Runtime> runtime_;
};

constexpr int kCheckPasses = 100;
// A pass pumps the messages itself, then again when it looks for an event.
constexpr int kPumpsPerPass = 2;

// Runs a few passes of each title and checks what they did: boot() ran once, idle() once a
// pass (where the title counts), no error box came up and no failure is pending.
void CheckTitles(std::vector<std::unique_ptr<SteppedTitle>>& titles) {
  for (std::size_t t = 0; t < titles.size(); ++t) {
    SteppedTitle& title = *titles[t];
    for (int pass = 0; pass < kCheckPasses; ++pass) title.runtime().loop().Pass();
    const std::string name = kTitles[t].name;
    if (title.calls() != std::vector<std::string>{"boot()"})
      Die(name + ": boot() did not run once");
    if (!title.platform().boxes().empty()) Die(name + ": a box came up");
    if (title.runtime().interpreter()->errorPending()) Die(name + ": a handler failed");
    if (kTitles[t].source == kWorkingIdle && title.global("idles") != kCheckPasses) {
      Die(name + ": idle() did not run once a pass");
    }
  }
}

void RunLoopTable(const ScratchFolder& scratch) {
  lw::platform::TtfFontRenderer fonts;
  std::vector<std::unique_ptr<SteppedTitle>> titles;
  for (std::size_t t = 0; t < kTitles.size(); ++t) {
    const std::filesystem::path folder = scratch.path() / ("title" + std::to_string(t));
    std::filesystem::create_directories(folder);
    WriteBootFile(folder / "bootfile", kTitles[t].source);
    titles.push_back(std::make_unique<SteppedTitle>(folder, fonts));
  }
  CheckTitles(titles);

  lw::WindowSystem& pumpOnly = titles.front()->runtime().windows();
  std::vector<Work> contestants{[&pumpOnly](std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) pumpOnly.PumpMessages();
  }};
  std::int64_t workingPasses = kCheckPasses;  // the passes of the title whose idle() counts
  for (std::size_t t = 0; t < titles.size(); ++t) {
    const bool counted = kTitles[t].source == kWorkingIdle;
    contestants.push_back(
        [&loop = titles[t]->runtime().loop(), counted, &workingPasses](std::int64_t count) {
          for (std::int64_t i = 0; i < count; ++i) loop.Pass();
          if (counted) workingPasses += count;
        });
  }
  const std::vector<double> rates = RatesOf(contestants);
  for (std::size_t t = 0; t < titles.size(); ++t) {
    if (titles[t]->runtime().interpreter()->errorPending() ||
        !titles[t]->platform().boxes().empty()) {
      Die(std::string(kTitles[t].name) + ": a handler failed while timed");
    }
    if (kTitles[t].source == kWorkingIdle && titles[t]->global("idles") != workingPasses) {
      Die(std::string(kTitles[t].name) + ": idle() did not run once a pass while timed");
    }
  }

  std::printf(
      "Main loop passes, headless, empty input script; all in turns, median of %d runs of "
      "%.2f s\n",
      kRuns, kRunSeconds);
  std::printf(
      "x pump: time of one pass over one bare pump's; adds: a pass's time beyond its %d pumps\n",
      kPumpsPerPass);
  std::printf("%-30s %12s %10s %8s %10s\n", "", "per second", "us each", "x pump", "adds us");
  const double pump = kMicro / rates[0];
  std::printf("%-30s %12.0f %10.3f %8s %10s\n", "bare PumpMessages (bound)", rates[0], pump, "1.00",
              "-");
  for (std::size_t t = 0; t < titles.size(); ++t) {
    const double pass = kMicro / rates[t + 1];
    std::printf("%-30s %12.0f %10.3f %8.2f %10.3f\n", kTitles[t].name, rates[t + 1], pass,
                pass / pump, pass - kPumpsPerPass * pump);
  }
}

// --- presenting -------------------------------------------------------------------------------

constexpr std::size_t kCanvasPixels = std::size_t{kCanvasWidth} * kCanvasHeight;
constexpr std::uint32_t kOpaque = 0xFF000000;
constexpr int kRedShift = 16;
constexpr int kGreenShift = 8;

// The colour the window backend shows for `colour`: ARGB8888, opaque.
std::uint32_t Argb(const lw::Rgb& colour) {
  return kOpaque | (std::uint32_t{colour.red} << kRedShift) |
         (std::uint32_t{colour.green} << kGreenShift) | colour.blue;
}

// A palette whose colours all differ, so that a wrong index shows.
lw::Palette TestPalette() {
  constexpr int kGreenStep = 7, kBlueStep = 13, kFullLevel = 255;
  lw::Palette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * kGreenStep),
                  static_cast<std::uint8_t>(kFullLevel - i * kBlueStep)};
  }
  return palette;
}

// Fills the canvas with a pattern of every index.
void PaintCanvas(lw::Surface& canvas) {
  constexpr int kRowStep = 3;
  for (int y = 0; y < canvas.height(); ++y) {
    std::uint8_t* row = canvas.row(y);
    for (int x = 0; x < canvas.width(); ++x) row[x] = static_cast<std::uint8_t>(x + kRowStep * y);
  }
}

// Changes every pixel of `r` on the canvas (each index moves on by one).
void Repaint(lw::Surface& canvas, const lw::Rect& r) {
  for (int y = r.top; y < r.bottom; ++y) {
    std::uint8_t* row = canvas.row(y);
    for (int x = r.left; x < r.right; ++x) ++row[x];
  }
}

struct Spot {
  int h;
  int v;
};

// The corners of `r`, its middle, and the pixels just outside its top left and bottom right
// corners (when they are on the canvas).
std::vector<Spot> SpotsOf(const lw::Rect& r) {
  std::vector<Spot> spots{{r.left, r.top},
                          {r.right - 1, r.top},
                          {r.left, r.bottom - 1},
                          {r.right - 1, r.bottom - 1},
                          {(r.left + r.right) / 2, (r.top + r.bottom) / 2}};
  if (r.left > 0) spots.push_back({r.left - 1, r.top});
  if (r.bottom < kCanvasHeight) spots.push_back({r.right - 1, r.bottom});
  return spots;
}

std::uint8_t IndexAt(const lw::Surface& canvas, const Spot& spot) {
  return canvas.row(spot.v)[spot.h];
}

// Whether the converter shows `canvas` as of `before` outside `r` and as of now inside it.
bool ConverterShows(const lw::platform::CanvasConverter& converter, const lw::Surface& canvas,
                    const lw::Surface& before, const lw::Rect& r, const lw::Palette& palette) {
  for (const Spot& spot : SpotsOf(r)) {
    const bool inside =
        r.contains({static_cast<std::int16_t>(spot.v), static_cast<std::int16_t>(spot.h)});
    const std::uint8_t index = IndexAt(inside ? canvas : before, spot);
    const std::size_t at = static_cast<std::size_t>(spot.v) * kCanvasWidth + spot.h;
    if (converter.pixels()[at] != Argb(palette[index]) || converter.indexes()[at] != index) {
      return false;
    }
  }
  return true;
}

// The same for the headless platform's kept canvas.
bool PlatformShows(const lw::platform::HeadlessPlatform& platform, const lw::Surface& canvas,
                   const lw::Surface& before, const lw::Rect& r) {
  for (const Spot& spot : SpotsOf(r)) {
    const bool inside =
        r.contains({static_cast<std::int16_t>(spot.v), static_cast<std::int16_t>(spot.h)});
    if (platform.canvasPixel(spot.h, spot.v) != IndexAt(inside ? canvas : before, spot)) {
      return false;
    }
  }
  return true;
}

struct RectCase {
  const char* name;
  lw::Rect rect;
};

// Dirty rectangles away from the canvas's edges and its 64-byte lines, as drawing leaves them.
constexpr std::array<RectCase, 3> kRects{{
    {"640x480 (whole)", {0, 0, kCanvasHeight, kCanvasWidth}},
    {"64x48", {101, 203, 101 + 48, 203 + 64}},
    {"8x8", {250, 317, 250 + 8, 317 + 8}},
}};

// Copies rectangle `r` row by row between two canvas-wide images of `pixelBytes` per pixel.
void CopyRows(const std::uint8_t* from, std::uint8_t* to, const lw::Rect& r,
              std::size_t pixelBytes) {
  const std::size_t rowBytes = kCanvasWidth * pixelBytes;
  const std::size_t width = static_cast<std::size_t>(r.right - r.left) * pixelBytes;
  const std::size_t left = static_cast<std::size_t>(r.left) * pixelBytes;
  for (int y = r.top; y < r.bottom; ++y) {
    const std::size_t at = static_cast<std::size_t>(y) * rowBytes + left;
    std::memcpy(to + at, from + at, width);
  }
}

// The whole canvas as one copy; a rectangle row by row.
Work MemcpyWork(const lw::Rect& r, std::size_t pixelBytes, const std::vector<std::uint8_t>& from,
                std::vector<std::uint8_t>& to) {
  const bool whole = r.left == 0 && r.right == kCanvasWidth;
  return [&r, pixelBytes, whole, &from, &to](std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
      if (whole) {
        std::memcpy(to.data(), from.data(), from.size());
      } else {
        CopyRows(from.data(), to.data(), r, pixelBytes);
      }
      Touch(to.data());
    }
  };
}

struct PresentResult {
  double convert = 0;  // microseconds per present
  double bytes8 = 0;   // memcpy of the 8-bit pixels
  double bytes32 = 0;  // memcpy of the 32-bit pixels
  double screen = 0;   // Screen::present on the headless platform
};

// Checks each contestant on `r` once, then times them in turns.
PresentResult RunPresent(const lw::Rect& r, const std::string& name) {
  const lw::Palette palette = TestPalette();
  lw::Surface canvas(kCanvasWidth, kCanvasHeight);
  PaintCanvas(canvas);

  // The converter: its first conversion takes the whole canvas whatever is dirty.
  lw::platform::CanvasConverter converter;
  converter.setPalette(palette);
  const std::array<lw::Rect, 1> dirty{r};
  const lw::Rect whole = kRects[0].rect;
  const lw::Surface painted = canvas;
  if (converter.convert(canvas.data(), canvas.rowBytes(), dirty).size() != 1 ||
      !ConverterShows(converter, canvas, canvas, whole, palette)) {
    Die(name + ": the first conversion does not show the whole canvas");
  }
  Repaint(canvas, r);
  const std::vector<lw::Rect> converted =
      converter.convert(canvas.data(), canvas.rowBytes(), dirty);
  if (converted.size() != 1 || converted.front().top != r.top || converted.front().left != r.left ||
      converted.front().bottom != r.bottom || converted.front().right != r.right ||
      !ConverterShows(converter, canvas, painted, r, palette)) {
    Die(name + ": the conversion of the dirty rectangle is wrong");
  }

  // The headless platform behind a screen: the palette makes the first present whole.
  lw::platform::TtfFontRenderer fonts;
  lw::platform::HeadlessPlatform platform(lw::platform::InputScript{}, fonts, stderr);
  lw::Screen screen(platform);
  screen.setPalette(palette);
  PaintCanvas(screen.canvas());
  screen.present();
  if (!PlatformShows(platform, screen.canvas(), screen.canvas(), whole)) {
    Die(name + ": the first present does not show the whole canvas");
  }
  const lw::Surface presented = screen.canvas();
  Repaint(screen.canvas(), r);
  screen.markDirty(r);
  screen.present();
  if (!PlatformShows(platform, screen.canvas(), presented, r)) {
    Die(name + ": the present of the dirty rectangle is wrong");
  }

  const std::vector<std::uint8_t> from8(canvas.data(), canvas.data() + kCanvasPixels);
  std::vector<std::uint8_t> to8(kCanvasPixels);
  std::vector<std::uint8_t> from32(kCanvasPixels * sizeof(std::uint32_t));
  std::memcpy(from32.data(), converter.pixels().data(), from32.size());
  std::vector<std::uint8_t> to32(from32.size());
  const std::vector<Work> contestants{
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          converter.convert(canvas.data(), canvas.rowBytes(), dirty);
        }
      },
      MemcpyWork(r, 1, from8, to8),
      MemcpyWork(r, sizeof(std::uint32_t), from32, to32),
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          screen.markDirty(r);
          screen.present();
        }
      },
  };
  const std::vector<double> rates = RatesOf(contestants);
  if (!ConverterShows(converter, canvas, painted, r, palette)) {
    Die(name + ": the timed conversions changed what is shown");
  }
  return {kMicro / rates[0], kMicro / rates[1], kMicro / rates[2], kMicro / rates[3]};
}

void RunPresentTable() {
  std::printf(
      "\nPresenting, microseconds per present; all four in turns, median of %d runs of %.2f s\n",
      kRuns, kRunSeconds);
  std::printf(
      "convert: CanvasConverter::convert (8-bit canvas to ARGB8888 through the palette); "
      "memcpy 8/32: the rectangle's 8-bit source / 32-bit output bytes, row by row; "
      "Screen::present: markDirty + present on the headless platform\n");
  std::printf("%-16s %9s %9s %9s %9s %9s %9s %9s\n", "rectangle", "convert", "Mpx/s", "memcpy 8",
              "memcpy 32", "x mcpy32", "Screen", "x mcpy8");
  for (const RectCase& c : kRects) {
    const PresentResult result = RunPresent(c.rect, c.name);
    const double pixels =
        static_cast<double>(c.rect.right - c.rect.left) * (c.rect.bottom - c.rect.top);
    std::printf("%-16s %9.3f %9.0f %9.3f %9.3f %9.2f %9.3f %9.2f\n", c.name, result.convert,
                pixels / result.convert, result.bytes8, result.bytes32,
                result.convert / result.bytes32, result.screen, result.screen / result.bytes8);
  }
}

}  // namespace

int main() {
  const ScratchFolder scratch;
  RunLoopTable(scratch);
  RunPresentTable();
  return 0;
}

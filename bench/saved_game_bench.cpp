// Saving and opening a game against the disc's own cost. A title made here in a scratch folder
// runs headless with a stage (one flat), an open set, a cast of 100 actors, a shop of 100 props
// (every figure of the set, on its own star) and 1,000 globals set by console lines, a third of
// them texts; then, taking turns:
//
//   save   SavedGames::Write: the records gathered from the running state and the thumbnail of
//          the screen, written through PATH.saving, synced, renamed over PATH, folder synced;
//   open   SavedGames::Open of that file: every record read and checked, the running game
//          closed (cast, shop, set, stage) and rebuilt from the records;
//   bound  the saved file's bytes written to another file with one write() and fsync()
//          (open, write, fsync, close), the least a crash-safe save can cost;
//
// and, to show how much of a save is not the disc, SavedGames::Records alone (the state gathered
// into records, without the thumbnail).
//
// Checked once before timing: after a save, a change and an open, countactors(), countprops()
// and countglobals() give 100, 100 and 1,000 or more, and a number and a text global have the
// values they had at saving. Each time is the median of 15 single operations, one of each in
// turn, wall clock on one thread; the disc's sync dominates save and bound, so the figures depend
// on the file system under the temporary folder.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/boot_file.h"
#include "authoring/frame_encoder.h"
#include "authoring/sprite_encoder.h"
#include "authoring/star_output.h"
#include "authoring/storage_stack.h"
#include "media/scene_view.h"
#include "objects/cast_file.h"
#include "objects/set_file.h"
#include "objects/stage_file.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/system_info.h"
#include "runtime/runtime.h"
#include "runtime/saved_game.h"
#include "script/console.h"
#include "script/handler_call.h"
#include "script/interpreter.h"
#include "script/script_frame.h"
#include "turn_timing.h"

namespace {

using Records = std::vector<std::vector<std::uint8_t>>;

constexpr int kActors = 100;
constexpr int kProps = 100;
constexpr int kGlobals = 1000;
constexpr int kTurns = 15;
constexpr double kMilli = 1e3;
constexpr std::string_view kIdentity = "Bench";
constexpr char kSetName[] = "Field";
constexpr int kGridCells = 4;
constexpr int kEast = 3;
constexpr int kMovePictures = 6;  // the pictures of the set's one move
constexpr int kSpriteSide = 16;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "saved_game_bench: %s\n", what.c_str());
  std::exit(1);
}

// --- the title --------------------------------------------------------------------------------

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

std::string Numbered(std::string_view stem, int i) { return std::string(stem) + std::to_string(i); }

// Figure k (actors 0..99, then props) stands in cell k mod 16, spread inside it.
lw::StarPoint StarSpot(int k) {
  const int cell = k % (kGridCells * kGridCells);
  const int within = k / (kGridCells * kGridCells);
  return lw::StarPoint{
      static_cast<std::int16_t>((cell % kGridCells) * lw::kCellSize + 10 + within * 8),
      static_cast<std::int16_t>((cell / kGridCells) * lw::kCellSize + 10 + within * 8), 0};
}

std::vector<std::uint8_t> Sprite() {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kSpriteSide) * kSpriteSide, 40);
  auto sprite = lw::authoring::EncodeSprite({.width = kSpriteSide,
                                             .height = kSpriteSide,
                                             .pixels = pixels,
                                             .hotSpot = lw::PointAt(kSpriteSide - 1, 0),
                                             .transparent = 0});
  if (!sprite) Die(sprite.error());
  return *sprite;
}

// A cast or shop of `count` figures of the set, named and standing on stem0, stem1 ...; all
// share one picture.
Records GroupRecords(std::string_view groupName, std::string_view stem, int count) {
  Records records(1);
  const auto add = [&records](std::vector<std::uint8_t> record) {
    records.push_back(std::move(record));
    return static_cast<std::uint32_t>(records.size() - 1);
  };
  const std::uint32_t emptyScript = add(lw::CompiledScript().ToBytes());
  const std::uint32_t picture = add(Sprite());
  lw::GroupHeader header{.scriptId = emptyScript, .name = std::string(groupName), .figures = {}};
  for (int i = 0; i < count; ++i) {
    const lw::PoseRecord pose{.frames = {1},
                              .pictures = {lw::PictureEntry{.recordId = picture,
                                                            .flags = 0,
                                                            .view = 0,
                                                            .bottom = kSpriteSide,
                                                            .right = kSpriteSide,
                                                            .hotV = kSpriteSide - 1,
                                                            .hotH = 0,
                                                            .angle = 0,
                                                            .sizeFactor = 256}}};
    const std::uint32_t poseId = add(lw::WritePoseRecord(pose));
    const std::string name = Numbered(stem, i);
    header.figures.push_back(
        add(lw::WriteFigureRecord(lw::FigureRecord{.scriptId = emptyScript,
                                                   .name = name,
                                                   .set = kSetName,
                                                   .star = name,
                                                   .poses = {{poseId, "stand"}}})));
  }
  records[0] = lw::WriteGroupHeader(header);
  return records;
}

std::vector<std::uint8_t> Frame(int width, int height, std::uint8_t colour) {
  auto frame = lw::authoring::EncodeFrame(
      {width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, colour)});
  if (!frame) Die(frame.error());
  return *frame;
}

// Records: 0 the header, 1 the empty script, 2 the picture, 3 the (empty) button record.
Records StageRecords() {
  lw::StageHeader header;
  header.name = "Yard";
  header.scriptId = 1;
  header.flats.push_back({.scriptId = 1, .pictureId = 2, .buttonRecordId = 3, .name = "Gate"});
  return {lw::WriteStageHeader(header), lw::CompiledScript().ToBytes(),
          Frame(lw::kStageFileWidth, lw::kStageFileHeight, 20), lw::WriteButtonRecord({})};
}

// Records: 0 the header, 1 the move table, 2 the star record, 3 the (empty) set script, 4..9 the
// pictures of the one move, east from the start.
Records SetRecords() {
  Records records{{}, {}, {}, lw::CompiledScript().ToBytes()};
  for (int k = 0; k < kMovePictures; ++k)
    records.push_back(Frame(lw::kSceneViewWidth, lw::kSceneViewHeight, 100));
  std::vector<lw::StarLink> stars;
  for (int i = 0; i < kActors; ++i) stars.push_back({StarSpot(i), Numbered("a", i), 0, {}, ""});
  for (int i = 0; i < kProps; ++i)
    stars.push_back({StarSpot(kActors + i), Numbered("p", i), 0, {}, ""});

  lw::SetHeader header;
  header.moveCount = 1;
  header.cameraSetBack = 64;
  header.cameraHeight = 40;
  header.check28 = 1;
  header.moveTableId = 1;
  header.starRecordId = 2;
  header.width = kGridCells;
  header.height = kGridCells;
  header.startDirection = kEast;
  header.scriptId = 3;
  header.name = kSetName;
  header.floorScriptIds.fill(3);
  for (int row = 0; row < kGridCells; ++row) {
    for (int column = 0; column < kGridCells; ++column) {
      header.scenes.push_back({static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column),
                               false, false, 0,
                               "r" + std::to_string(row) + "c" + std::to_string(column), 0});
    }
  }
  records[0] = lw::WriteSetHeader(header);
  records[1] = lw::WriteMoveTable(std::vector<lw::MoveEntry>{{0, 0, kEast, 1, 0, kEast, 4}});
  records[2] = lw::WriteStarRecord(stars);
  return records;
}

// The title's files: the boot file (an empty system script), the stage, the set, the cast and
// the shop.
void WriteTitle(const std::filesystem::path& folder) {
  lw::platform::EmptySystemInfo system;
  lw::authoring::StorageStack storage{system, folder, stderr};
  const auto write = [&](std::string_view name, std::string_view type, const Records& records) {
    if (auto failed =
            lw::authoring::ReplaceStarFile(storage.library, folder / name, {type}, records))
      Die(*failed);
  };
  write("bootfile", lw::authoring::kBootFileType, {{}, lw::CompiledScript().ToBytes()});
  write("YARD.STG", lw::kStageFileType, StageRecords());
  write("FIELD.SCN", lw::kSetFileType, SetRecords());
  write("CREW.CST", lw::kCastFileType, GroupRecords("Crew", "a", kActors));
  write("GOODS.SHP", lw::kShopFileType, GroupRecords("Goods", "p", kProps));
}

// The title begun on the headless platform, driven by console lines as the message box runs
// them.
class BenchTitle {
 public:
  explicit BenchTitle(const std::filesystem::path& folder)
      : platform_(lw::platform::InputScript{}, fonts_, stderr),
        frame_(lw::SystemFrame(frameScript_)) {
    lw::RuntimeOptions options;
    options.titleFolder = folder;
    runtime_ = std::make_unique<lw::Runtime>(platform_, std::move(options));
    if (!runtime_->Begin()) Die("the title opens no window");
  }
  ~BenchTitle() { runtime_->End(); }
  BenchTitle(const BenchTitle&) = delete;
  BenchTitle& operator=(const BenchTitle&) = delete;

  std::string Eval(std::string_view line) {
    lw::Interpreter& in = *runtime_->interpreter();
    in.beginPass();
    return lw::RunConsoleLine(in, line);
  }
  void Run(std::string_view line) {
    if (const std::string outcome = Eval(line); outcome != "OK")
      Die(std::string(line) + " gave " + outcome);
  }

  void Save(const std::filesystem::path& path) {
    if (const std::string failed = runtime_->savedGames()->Write(path.string(), kIdentity);
        !failed.empty())
      Die("saving failed: " + failed);
  }
  void Open(const std::filesystem::path& path) {
    lw::Interpreter& in = *runtime_->interpreter();
    in.beginPass();
    // The call of a frame of the system's own, which carries the close messages.
    lw::BuiltinCall call{in, frame_, nullptr, 0, nullptr};
    if (runtime_->savedGames()->Open(call, path.string(), kIdentity) != lw::OpenOutcome::kOpened)
      Die("opening " + path.string() + " failed");
  }
  // The records of the running state, as a save gathers them before writing.
  [[nodiscard]] Records StateRecords() const { return runtime_->savedGames()->Records(kIdentity); }
  [[nodiscard]] bool quiet() const { return platform_.boxes().empty(); }

 private:
  lw::platform::TtfFontRenderer fonts_;
  lw::platform::HeadlessPlatform platform_;
  std::unique_ptr<lw::Runtime> runtime_;
  lw::CompiledScript frameScript_;
  lw::ScriptFrame frame_;
};

// Opens the stage, the set, the cast and the shop, and sets the globals g0 .. g999: numbers,
// and every third a text.
void Play(BenchTitle& title) {
  for (const std::string_view line : {"openstagefile(\"yard.stg\")", "opensetfile(\"field.scn\")",
                                      "opencastfile(\"crew.cst\")", "openshopfile(\"goods.shp\")"})
    title.Run(line);
  for (int i = 0; i < kGlobals; ++i) {
    const std::string name = Numbered("g", i);
    title.Run("global " + name);
    title.Run(
        name + " = " +
        (i % 3 == 0 ? "\"text of global " + std::to_string(i) + "\"" : std::to_string(i * 7)));
  }
}

// Saves, changes, opens, and checks that the saved state came back.
void CheckSaveAndOpen(BenchTitle& title, const std::filesystem::path& game) {
  title.Save(game);
  title.Run("g500 = 1");
  title.Run("g501 = 2");
  title.Run("closeshopfile(\"goods\")");
  title.Open(game);
  const std::string seen = title.Eval("countactors()") + " " + title.Eval("countprops()") + " " +
                           title.Eval("g500") + " " + title.Eval("g501") + " " +
                           title.Eval("currentstage()") + " " + title.Eval("currentset()");
  if (seen != "100 100 3500 \"text of global 501\" \"Yard\" \"Field\"")
    Die("after a save and an open the title shows " + seen);
  const int globals = std::stoi(title.Eval("countglobals()"));
  if (globals < kGlobals) Die("only " + std::to_string(globals) + " globals after opening");
  if (!title.quiet()) Die("a box came up");
}

std::vector<std::uint8_t> BytesOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bound: `bytes` into `path` with one write() and one fsync().
void WriteAndSync(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) Die("cannot create " + path.string());
  if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
      ::fsync(fd) != 0)
    Die("cannot write " + path.string());
  ::close(fd);
}

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * kMilli;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  const ScratchFolder scratch;
  const std::filesystem::path folder = scratch.path() / "title";
  std::filesystem::create_directories(folder);
  // The runtime keeps saved games under the data folder: the scratch one, not the user's.
  ::setenv("XDG_DATA_HOME", (scratch.path() / "data").c_str(), 1);
  WriteTitle(folder);
  const std::filesystem::path game = scratch.path() / "game.rtd";
  const std::filesystem::path copy = scratch.path() / "copy.bin";

  BenchTitle title(folder);
  Play(title);
  CheckSaveAndOpen(title, game);
  const std::vector<std::uint8_t> bytes = BytesOf(game);

  const std::vector<std::function<void()>> contestants{
      [&] { title.Save(game); },
      [&] { title.Open(game); },
      [&] { WriteAndSync(copy, bytes); },
      [&] { lw::bench::Touch(title.StateRecords().data()); },
  };
  std::vector<std::vector<double>> times(contestants.size());
  for (int turn = 0; turn < kTurns; ++turn) {
    for (std::size_t c = 0; c < contestants.size(); ++c)
      times[c].push_back(Milliseconds(contestants[c]));
  }
  if (BytesOf(game).size() != bytes.size()) Die("the saved game changed size while timed");
  CheckSaveAndOpen(title, game);
  const double save = Median(times[0]), open = Median(times[1]), bound = Median(times[2]),
               records = Median(times[3]);

  std::printf(
      "Saving and opening a game of 100 actors, 100 props and 1,000 globals against one write() "
      "and fsync() of its bytes; in turns, median of %d\n",
      kTurns);
  std::printf("%-52s %10s\n", "work", "ms");
  std::printf("%-52s %10.3f\n", "save: SavedGames::Write (sync, rename, folder sync)", save);
  std::printf("%-52s %10.3f\n", "open: SavedGames::Open (read, check, close, rebuild)", open);
  std::printf("%-52s %10.3f\n", "bound: one write() + fsync() of the same bytes", bound);
  std::printf("%-52s %10.3f\n", "  of save: SavedGames::Records (state, no thumbnail)", records);
  std::printf("saved game file: %zu bytes\n", bytes.size());
  std::printf("save / bound: %.2f\n", save / bound);
  return 0;
}

// Fuzzes the movie player with arbitrary movie files played by a headless title. The input is
// split into the records of a movie file and a few player actions:
//
//   OFFSET  SIZE  DESCRIPTION
//   0       1     record count N (at most kMaxRecords are taken)
//   1       8     four player actions, 2 bytes each (see ActionLine)
//   9       ...   N records: u16 length (little-endian), then that many bytes; a record cut
//                 short by the end of the input keeps the bytes there are
//
// Record 0 is thus the first segment's header (media/movie_format.h). The records are written as
// the movie file FUZZ.MOV of a title folder made once per process, whose system script does
// nothing; a headless run boots it, plays the movie by a console line at tick 2, performs the
// actions, and closes the window kQuitWait ticks after them (the run's end tick stops only the
// main loop, not a movie that is playing).
// A run must return with no sanitizer error; a movie that keeps the player busy without the
// virtual clock moving on shows as a libFuzzer timeout. fuzz/movie_seed.cpp writes the seeds.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "authoring/boot_file.h"
#include "authoring/storage_stack.h"
#include "media/movie_format.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/input_script.h"
#include "runtime/runtime.h"
#include "script/tokenizer.h"

namespace {

constexpr std::size_t kMaxRecords = 32;
constexpr std::size_t kActionCount = 4;
constexpr std::size_t kPrefixBytes = 1 + 2 * kActionCount;
constexpr std::uint32_t kPlayTick = 2;
constexpr std::uint32_t kQuitWait = 60;
constexpr std::uint32_t kEndTick = 600;
constexpr char kMovieName[] = "FUZZ.MOV";

class NoFonts final : public lw::platform::FontRenderer {
 public:
  lw::platform::TextImage render(lw::platform::Face, int, std::string_view) override { return {}; }
  int width(lw::platform::Face, int, std::string_view) override { return 0; }
};

// The title folder with its boot file, and the storage that writes the movie into it.
struct FuzzTitle {
  FuzzTitle() : folder(MakeFolder()), stack(system, folder, nullptr) {
    auto script = lw::CompileScriptText("code boot()\rendcode\r");
    if (!script) std::abort();
    const lw::authoring::Records boot =
        lw::authoring::BootFileRecords(lw::authoring::LoadedScript{std::move(script).value(), {}});
    if (lw::Failed(lw::authoring::WriteStarRecords(stack.library, (folder / "bootfile").string(),
                                                   {lw::authoring::kBootFileType}, boot))) {
      std::abort();
    }
  }
  ~FuzzTitle() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  static std::filesystem::path MakeFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "lw-movie-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }

  void WriteMovie(const std::vector<std::vector<std::uint8_t>>& records) {
    const std::string path = "appl:" + std::string(kMovieName);
    const auto capacity = static_cast<std::int32_t>(std::max<std::size_t>(1, records.size()));
    if (lw::Failed(lw::StarFile::Create(stack.files, path, capacity,
                                        lw::FourCharCode(lw::kMovieFileType),
                                        lw::FourCharCode("LWRT")))) {
      std::abort();
    }
    std::unique_ptr<lw::StarFile> file;
    if (lw::Failed(lw::StarFile::Open(stack.files, path, 0, file))) std::abort();
    for (const auto& record : records) {
      std::int32_t id = 0;
      if (lw::Failed(file->AppendRecord(record, id))) std::abort();
    }
    if (lw::Failed(file->Flush())) std::abort();
  }

  std::filesystem::path folder;
  lw::platform::EmptySystemInfo system;
  lw::authoring::StorageStack stack;
};

// One action of the input script from its two bytes. The first byte's low 2 bits choose a click,
// a key, a click held for 12 ticks (what a hot spot of negative kind needs) or nothing; its upper
// 6 bits are ticks waited before it. The second byte is the point (low 4 bits: h / 4, high 4
// bits: v / 3, covering a 64 x 48 movie at the window's corner) or indexes kKeys.
std::string ActionLine(std::uint8_t what, std::uint8_t argument) {
  static constexpr const char* kKeys[] = {"ctrl+q", "ctrl+.", "ctrl+t", "ctrl+3",
                                          "ctrl+0", "a",      "space",  "esc"};
  const std::string point =
      std::to_string((argument & 15) * 4 + 2) + " " + std::to_string((argument >> 4) * 3 + 1);
  std::string line = "wait " + std::to_string(what >> 2) + "\n";
  switch (what & 3) {
    case 0: return line + "click " + point + "\n";
    case 1: return line + "key " + kKeys[argument & 7] + "\n";
    case 2: return line + "press " + point + "\nwait 12\nrelease " + point + "\n";
    default: return line;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzTitle title;
  if (size < kPrefixBytes) return 0;

  std::string input = "wait " + std::to_string(kPlayTick) + "\nconsole playmovie(\"" +
                      std::string(kMovieName) + "\")\n";
  for (std::size_t i = 0; i < kActionCount; ++i)
    input += ActionLine(data[1 + 2 * i], data[2 + 2 * i]);
  input += "wait " + std::to_string(kQuitWait) + "\nquit\n";

  std::vector<std::vector<std::uint8_t>> records;
  const std::size_t count = std::min<std::size_t>(data[0], kMaxRecords);
  std::size_t at = kPrefixBytes;
  while (records.size() < count && at + 2 <= size) {
    const std::size_t length = data[at] | std::size_t{data[at + 1]} << 8;
    at += 2;
    const std::size_t kept = std::min(length, size - at);
    records.emplace_back(data + at, data + at + kept);
    at += kept;
  }
  title.WriteMovie(records);

  auto script = lw::platform::ParseInputScript(input, "input");
  if (!script) std::abort();  // the actions above always parse
  NoFonts fonts;
  lw::platform::HeadlessPlatform platform(std::move(script).value(), fonts, nullptr);
  lw::RuntimeOptions options;
  options.titleFolder = title.folder;
  options.endTick = kEndTick;
  options.inputFinished = [&platform] { return platform.scriptFinished(); };
  lw::Runtime runtime(platform, std::move(options));
  static_cast<void>(runtime.Run());
  return 0;
}

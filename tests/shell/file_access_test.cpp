// The file layer over a scratch title folder: reads in pieces, the disc boxes and their answers,
// the platform error each operation leaves, bad paths, the directory search, and the free-memory
// figure. Boxes are traced as "caption: disc ... error (code N)". Then the volume map, and the
// fatal reports that file failures and other errors end in.
#include "shell/files/file_access.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "platform/posix/system_info.h"
#include "shell/dialogs/boxes.h"
#include "shell/error_report.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"
#include "support/shell_rig.h"
#include "support/temp_folder.h"

namespace lw::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Bytes 0, 1, 2 ... wrapping at 251, so that a misplaced piece shows.
std::string Pattern(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}
std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }
std::string Repeat(const std::string& text, int times) {
  std::string repeated;
  while (times-- > 0) repeated += text;
  return repeated;
}

class FileAccessTest : public ::testing::Test, protected ShellRig {
 protected:
  FileAccessTest() {
    boxes_.setPolicy([this](const BoxRequest& request) {
      std::string text = request.text;
      std::replace(text.begin(), text.end(), '\n', ' ');
      const std::size_t from = text.find("disc ");
      shown_ += request.caption + ": " + text.substr(from, text.find(')') + 1 - from) + "|";
      EXPECT_EQ(request.buttons, BoxButtons::kAbortRetryIgnore);
      EXPECT_EQ(request.icon, BoxIcon::kExclamation);
      return answer_ ? answer_() : BoxAnswer::kAbort;
    });
  }
  ~FileAccessTest() override {
    for (FileHandle handle : opened_) ::close(handle);
  }

  // Writes `content` to `name` in the title folder and opens it, failing the test when it cannot.
  FileHandle open(std::string_view name, const std::string& content) {
    folder_.writeFile(name, content);
    FileHandle handle = kNoFile;
    EXPECT_EQ(files_.FileOpen("appl:" + std::string(name), handle), ProgramCode::kOk) << name;
    if (handle != kNoFile) opened_.push_back(handle);
    return handle;
  }

  test::TempFolder folder_;
  platform::PosixSystemInfo noMounts_{
      {.mountTable = folder_.path() / "none", .labelDirectory = folder_.path() / "none"}};
  VolumeMap volumes_{folder_.path(), noMounts_};
  TerminalBoxes boxes_{nullptr};
  FileAccess files_{volumes_, boxes_, texts, lastError};
  std::string shown_;
  std::function<BoxAnswer()> answer_;
  std::vector<FileHandle> opened_;
};

TEST_F(FileAccessTest, ReadsInPiecesPumpingBeforeEach) {
  const std::string content = Pattern(25000);
  const FileHandle handle = open("DATA.STR", content);
  // The pump sees the position where each piece starts.
  std::vector<off_t> positions;
  files_.setMessagePump([&] { positions.push_back(::lseek(handle, 0, SEEK_CUR)); });
  Bytes buffer(content.size());
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kOk);
  EXPECT_EQ(Text(buffer), content);
  EXPECT_EQ(positions, (std::vector<off_t>{0, 0, 10000, 20000, 25000}));
  // Positioned reads and writes leave the position alone.
  ASSERT_EQ(files_.FileSeek(handle, 7), ProgramCode::kOk);
  buffer.resize(24000);
  EXPECT_EQ(files_.FileReadAt(handle, 1000, buffer), ProgramCode::kOk);
  EXPECT_EQ(Text(buffer), content.substr(1000));
  EXPECT_EQ(files_.FileWriteAt(handle, 3, Bytes{'x', 'y'}), ProgramCode::kOk);
  Bytes head(6);
  EXPECT_EQ(files_.FileReadAt(handle, 0, head), ProgramCode::kOk);
  EXPECT_EQ(Text(head), content.substr(0, 3) + "xy" + content[5]);
  EXPECT_EQ(::lseek(handle, 0, SEEK_CUR), 7);
  // A read goes on from the current position; one past the end asks like any short read.
  Bytes tail(18);
  EXPECT_EQ(files_.FileRead(handle, tail), ProgramCode::kOk);
  EXPECT_EQ(Text(tail), content.substr(7, 18));
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(files_.FileReadAt(handle, 24995, tail), ProgramCode::kFile);
  EXPECT_EQ(shown_, "Disc Read Error: disc read error (code 23)|");
}

TEST_F(FileAccessTest, AShortReadAsksAbortRetryOrIgnore) {
  const std::string content = Pattern(14000);
  const FileHandle handle = open("GROW.BIN", content.substr(0, 12345));
  Bytes buffer(25000, 0xEE);
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kFile);
  EXPECT_EQ(lastError.get(), platform_error::kDataError);
  // Ignore gives success at once and leaves the rest of the buffer untouched.
  ASSERT_EQ(files_.FileSeek(handle, 0), ProgramCode::kOk);
  std::fill(buffer.begin(), buffer.end(), 0xEE);
  answer_ = [] { return BoxAnswer::kIgnore; };
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kOk);
  EXPECT_EQ(Text(buffer), content.substr(0, 12345) + std::string(25000 - 12345, '\xEE'));
  // Retry: the player puts the disc right, and the missing bytes appear while the box is up.
  ASSERT_EQ(files_.FileSeek(handle, 0), ProgramCode::kOk);
  answer_ = [&] {
    std::ofstream(folder_.path() / "GROW.BIN", std::ios::binary | std::ios::app)
        .write(content.data() + 12345, 14000 - 12345);
    return BoxAnswer::kRetry;
  };
  buffer.assign(content.size(), 0xEE);
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kOk);
  EXPECT_EQ(Text(buffer), content);
  EXPECT_EQ(shown_, Repeat("Disc Read Error: disc read error (code 23)|", 3));
}

TEST_F(FileAccessTest, ABadHandleFailsReadsQuietlyAndAsksAboutSeeks) {
  Bytes buffer(16);
  EXPECT_EQ(files_.FileRead(kNoFile, buffer), ProgramCode::kFile);
  EXPECT_EQ(lastError.get(), platform_error::kInvalidHandle);
  EXPECT_TRUE(shown_.empty());
  int attempts = 0;
  answer_ = [&] { return ++attempts < 3 ? BoxAnswer::kRetry : BoxAnswer::kIgnore; };
  EXPECT_EQ(files_.FileSeek(kNoFile, 10), ProgramCode::kOk);  // ignored at last
  EXPECT_EQ(shown_, Repeat("Disc Seek Error: disc seek error (code 6)|", 3));
}

// Each operation leaves the platform error of its own failure, or none.
TEST_F(FileAccessTest, OperationsAndThePlatformErrorTheyLeave) {
  std::filesystem::permissions(folder_.writeFile("ro.str", "abc"),
                               std::filesystem::perms::owner_read);
  folder_.makeFolder("movies");
  FileHandle handle = kNoFile;
  std::uint32_t size = 99;
  const std::string bytes = Pattern(70000);
  const std::string nul("appl:a\0b", 8);
  const std::pair<std::function<ProgramCode()>, std::int32_t> steps[] = {
      {[&] { return files_.FileCreate("appl:New Game.RTD", handle); }, platform_error::kNone},
      {[&] { return files_.FileSize(handle, size); }, platform_error::kNone},  // empty: 107
      {[&] { return files_.FileWrite(handle, Bytes(bytes.begin(), bytes.end())); }, 0},
      {[&] { return files_.FileSize(handle, size); }, platform_error::kNone},
      {[&] { return files_.FileClose(handle); }, platform_error::kNone},
      {[&] { return files_.FileClose(handle); }, platform_error::kInvalidHandle},
      {[&] { return files_.FileDelete("appl:NEW GAME.rtd"); }, platform_error::kNone},
      {[&] { return files_.FileExists("appl:new game.rtd"); }, platform_error::kFileNotFound},
      {[&] { return files_.FileDelete("appl:new game.rtd"); }, platform_error::kFileNotFound},
      {[&] { return files_.FileOpen("appl:movies", handle); }, platform_error::kAccessDenied},
      {[&] { return files_.FileOpen("", handle); }, platform_error::kFileNotFound},
      {[&] { return files_.FileOpen(nul, handle); }, platform_error::kFileNotFound},
      {[&] { return files_.FileOpen("appl:" + std::string(5000, 'x'), handle); },
       platform_error::kPathNotFound},
      {[&] { return files_.FileOpen("NOVOLUME:movies:a.mov", handle); },
       platform_error::kFileNotFound},
      {[&] { return files_.FindFirst(std::string_view("appl:\0", 6)); },
       platform_error::kFileNotFound},
      {[&] { return files_.FileOpen("appl:ro.str", handle); }, platform_error::kNone},
  };
  std::string codes;
  for (const auto& [step, error] : steps) {
    codes += std::to_string(CodeNumber(step())) + " ";
    EXPECT_EQ(lastError.get(), error) << codes;
  }
  EXPECT_EQ(codes, "0 107 0 0 0 107 0 107 107 107 107 107 107 107 107 0 ");
  EXPECT_EQ(size, 70000u);
  opened_.push_back(handle);
  FileHandle stale = 5;
  EXPECT_EQ(files_.FileOpen("", stale), ProgramCode::kFile);
  EXPECT_EQ(stale, kNoFile);
  if (::geteuid() != 0) {  // root may write anyway: the file fell back to read-only
    EXPECT_EQ(files_.FileWrite(handle, Bytes{1}), ProgramCode::kFile);
    EXPECT_EQ(lastError.get(), platform_error::kInvalidHandle);
  }
}

TEST_F(FileAccessTest, DirectorySearchListsSortedNamesThenEnds) {
  folder_.writeFile("saves/b.rtd", "b");
  folder_.writeFile("saves/A.rtd", "a");
  folder_.makeFolder("saves/sub");
  std::string name;
  EXPECT_EQ(files_.FindNext(name), ProgramCode::kFile);  // no search yet
  ASSERT_EQ(files_.FindFirst("appl:SAVES:"), ProgramCode::kOk);
  std::string names;
  while (files_.FindNext(name) == ProgramCode::kOk) names += name + " ";
  EXPECT_EQ(names, "A.rtd b.rtd sub ");
  EXPECT_EQ(files_.FindNext(name), ProgramCode::kFile);
  ASSERT_EQ(files_.FindFirst("appl:saves:sub:"), ProgramCode::kFile);  // empty folder
  EXPECT_EQ(files_.FindNext(name), ProgramCode::kFile);
  EXPECT_EQ(files_.FindFirst("appl:missing:"), ProgramCode::kFile);
  EXPECT_EQ(lastError.get(), platform_error::kFileNotFound);
}

// Free memory without a MemAvailable line was once 0, and no title booted.
TEST(MemoryStatusTest, AvailableOrFreePlusCacheOrNoLimit) {
  test::TempFolder folder;
  constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();
  const std::pair<std::string, std::uint64_t> cases[] = {
      {"MemTotal:  8000 kB\nMemFree:  100 kB\nMemAvailable:    2048 kB\nCached: 5 kB\n", 2048},
      {"MemTotal:  8000 kB\nMemFree:  100 kB\nBuffers: 20 kB\nCached: 300 kB\n", 420},
      {"MemFree:  100 kB\nSwapCached: 7 kB\n", 100},
      {"MemAvailable: lots kB\nMemFree: 64 kB\n", 64},
      {"MemTotal:  8000 kB\n", kNoLimit},
      {"MemFree: 18014398509481983 kB\nCached: 18014398509481983 kB\n", kNoLimit},
      {"", kNoLimit},  // no file at all
  };
  for (const auto& [meminfo, kib] : cases) {
    const auto path =
        meminfo.empty() ? folder.path() / "missing" : folder.writeFile("meminfo", meminfo);
    const platform::PosixSystemInfo system({.meminfo = path});
    EXPECT_EQ(MemoryStatus(system).FreeMemory(), kib == kNoLimit ? kNoLimit : kib * 1024)
        << meminfo;
  }
}

// Colon paths to Linux paths over a fixture machine: a title folder inside `root/games`, and a
// mount table, label folder and removable media folders of its own, read by the posix system
// information as they would be from /proc and /dev.
namespace fs = std::filesystem;

class VolumeMapTest : public ::testing::Test {
 protected:
  // A device node stand-in and a label link to it, as udev makes them; gives the device path.
  std::string addLabel(std::string_view linkName, std::string_view device) {
    const fs::path node = temp_.writeFile(fs::path("devices") / device, "");
    fs::create_symlink(fs::path("../devices") / device, temp_.makeFolder("labels") / linkName);
    return node.string();
  }
  [[nodiscard]] std::string under(std::string_view relative) const {
    return (temp_.path() / relative).string();
  }

  test::TempFolder temp_;
  fs::path title_ = temp_.makeFolder("games/title");
  platform::PosixSystemInfo system_{{.mountTable = temp_.path() / "mounts",
                                     .labelDirectory = temp_.path() / "labels",
                                     .mediaRoots = {temp_.path() / "media", temp_.path() / "mnt"}}};
  VolumeMap map_{title_, system_};
};

TEST_F(VolumeMapTest, TitleFolderCaseOfElementsAndPlainPaths) {
  for (const char* name : {"Movies/Intro.MOV", "BootFile", "intro.mov", "INTRO.MOV", "Intro.mov"})
    temp_.writeFile(fs::path("games/title") / name, "");
  // The mount table file does not even exist.
  const std::pair<std::string_view, std::string> cases[] = {
      {"appl:bootfile", under("games/title/BootFile")},
      {"APPL:MOVIES:INTRO.MOV", under("games/title/Movies/Intro.MOV")},
      // Elements with no entry are kept as written (a file about to be created).
      {"Appl:movies:New.rtd", under("games/title/Movies/New.rtd")},
      // An exact entry wins, else the first match in sorted order.
      {"appl:Intro.mov", under("games/title/Intro.mov")},
      {"appl:intro.MOV", under("games/title/INTRO.MOV")},
      {"appl:", title_.string()},
      {"appl:/etc", under("games/title/etc")},  // a leading "/" cannot leave the title folder
      // No volume, or a drive letter: unchanged.
      {"c:\\data\\x.str", "c:\\data\\x.str"},
      // An unknown volume is relative to the current folder.
      {"MOSS:Movies:a.mov", "Movies/a.mov"},
      {":a::b:", "a/b"},
  };
  for (const auto& [colonPath, mapped] : cases) EXPECT_EQ(map_.MapPath(colonPath), mapped);
  EXPECT_FALSE(map_.FindVolume("MOSS"));
}

// The rules in order: a --volume root (the latest addition of a name), a mount folder of the
// volume's name below a media folder, a label, a folder beside the title folder.
TEST_F(VolumeMapTest, VolumesByOptionMountFolderLabelOrFolderBesideTheTitle) {
  temp_.makeFolder("media/player/Moss CD");
  const std::string disc = addLabel("MOSS\\x20DISC", "sr0");
  addLabel("OTHER", "sr1");
  temp_.writeFile("mounts", "proc /proc proc rw 0 0\n/dev/sr0 " +
                                under("media/player/Moss\\040CD") + " iso9660 ro 0 0\n/dev/sdc1 " +
                                under("media") + " ext4 rw 0 0\n" +
                                "/dev/sdb1 /elsewhere/MOSS2 vfat rw 0 0\ngarbage-line\n\n" +
                                under("devices/sdz") + " /unrelated ext4 rw 0 0\n" + disc + " " +
                                under("somewhere/cdrom") + " iso9660 ro 0 0\n");
  temp_.makeFolder("games/Moss");
  temp_.writeFile("games/notafolder", "");
  map_.addVolume("moss", temp_.makeFolder("first"));
  map_.addVolume("Moss", temp_.path() / "second");
  const std::pair<std::string_view, std::optional<std::string>> cases[] = {
      {"MOSS", under("second")},
      {"moss cd", under("media/player/Moss CD")},
      {"MOSS2", std::nullopt},  // not below a media folder
      {"media", std::nullopt},  // a media folder itself is no volume
      {"moss disc", under("somewhere/cdrom")},
      {"OTHER", std::nullopt},  // labelled, but not mounted
      {"games", std::nullopt},
      {"notafolder", std::nullopt},
  };
  for (const auto& [name, root] : cases) {
    const auto found = map_.FindVolume(name);
    EXPECT_EQ(found ? std::optional(found->string()) : std::nullopt, root) << name;
  }
  // Beside the title folder, with or without a trailing separator on it.
  VolumeMap plain(title_.string() + "/", system_);
  EXPECT_EQ(plain.MapPath("MOSS:MOVIES:A.MOV"), under("games/Moss/MOVIES/A.MOV"));
}

// The fatal reporter: which text a failure gets, the boot file's own site, the error a report
// takes with it, Cancel, and the wrapping of box texts; and the title's name in the texts.
constexpr std::string_view kRest = ".  Select Ok to continue, or Cancel to quit Moss.";

// Reports go to the rig's recorded boxes, which answer Ok.
class ErrorReportTest : public ::testing::Test, protected ShellRig {};

TEST_F(ErrorReportTest, OnlyTheOwnersBootLineNamesTheBootFileAndAReportTakesItsError) {
  TempFolder folder;
  const platform::EmptySystemInfo system;
  VolumeMap volumes(folder.path(), system);
  FileAccess files(volumes, reported, texts, lastError);
  FileHandle handle = kNoFile;
  const auto missBootFile = [&] {
    ASSERT_EQ(files.FileOpen("appl:bootfile", handle), ProgramCode::kFile);
    errors.ReportError(CodeNumber(ProgramCode::kOk), 5200);
  };
  bool restored = false;
  errors.setRestoreOnCancel([&] { restored = true; });
  missBootFile();  // no line is the boot file's yet
  errors.setBootFileLine(5200);
  missBootFile();
  // No file call since: the next failure has no platform cause.
  errors.ReportError(CodeNumber(ProgramCode::kMemory), 5200);
  EXPECT_FALSE(restored);
  // Each box: the text with the rest of the question, wrapped, Ok and Cancel and the stop icon.
  std::string expected;
  for (const char* text :
       {"Moss cannot find a file.  Be sure the Moss CD is in your computer's CD-ROM drive (Error "
        "line 5200, code 2)",
        "Moss can't find the file \"BootFile\" in the Moss directory on your hard drive.  Check "
        "your installation and re-install if necessary (Error line 5200, code 2)",
        "Memory error at line 5200 (code 0)"}) {
    expected += Print(BoxRequest{"Fatal Error", WrapForBox(text + std::string(kRest)),
                                 BoxButtons::kOkCancel, BoxIcon::kStop}) +
                " ";
  }
  EXPECT_EQ(Print(reported.shown, " ") + " ", expected);
}

TEST_F(ErrorReportTest, ThePlatformErrorChoosesTheTextBeforeTheProgramCode) {
  const struct {
    std::int16_t programCode;
    std::int16_t line;
    std::int32_t platformError;
    std::string_view start;
  } cases[] = {
      {102, 358, 0, "Memory error at line 358 (code 0)"},
      {111, -3, 0, "Bad file type at line -3 (code 0)"},
      {106, 5208, 0, "Bad star file version at line 5208 (code 0)"},
      // Codes without a text of their own, and platform errors without one, are undefined.
      {100, 7, platform_error::kGenericFailure, "Undefined error at line 7 (code 31)"},
      {4242, 7, 0, "Undefined error at line "},
      // Any site but the boot file's that misses a file blames the disc.
      {0, 4711, platform_error::kFileNotFound, "Moss cannot find a file.  Be "},
      {107, 401, platform_error::kNotReady, "Drive not ready error."},
      {107, 1, platform_error::kInvalidParameter, "Invalid parameter.  The system is"},
  };
  for (const auto& c : cases) {
    const std::string message = errors.ComposeMessage(c.programCode, c.line, c.platformError);
    EXPECT_EQ(message.substr(0, c.start.size()), c.start) << c.programCode;
    EXPECT_TRUE(message.ends_with(kRest)) << message;
  }
  errors.setUnder32BitExtension(true);
  EXPECT_EQ(errors.ComposeMessage(107, 1, platform_error::kInvalidParameter).substr(0, 30),
            "Invalid parameter.  Win32s is ");
  // A field the text does not use is left as written.
  EXPECT_EQ(FormatMessageText("line %d, code %ld; %d", 5200, 2), "line 5200, code 2; %d");
}

TEST_F(ErrorReportTest, CancelRestoresTheDisplayShowsTheExitTextAndEnds) {
  const auto cancel = [this] {
    TerminalBoxes boxes(stderr);
    boxes.setPolicy([](const BoxRequest& request) {
      return request.buttons == BoxButtons::kOkCancel ? BoxAnswer::kCancel : BoxAnswer::kOk;
    });
    ErrorReporter reporter(boxes, texts, lastError);
    reporter.setRestoreOnCancel([] { std::fputs("display restored\n", stderr); });
    reporter.ReportError(102, 358);
  };
  EXPECT_EXIT(cancel(), ::testing::ExitedWithCode(EXIT_FAILURE),
              "Memory error at line 358(.|\n)*display restored(.|\n)*Exiting due to a fatal error");
}

TEST(WrapForBoxTest, BreaksAtTheLastSpaceOfAFullLine) {
  const std::string x40(40, 'x'), a30(30, 'a'), a34(34, 'a'), b20(20, 'b'), c20(20, 'c');
  const std::pair<std::string, std::string> cases[] = {
      {x40, x40},
      {x40 + "yz", x40 + "\nyz"},  // no space in the line: cut at 40
      // The spaces after the break are skipped.
      {"aaaa bbbb cccc dddd eeee ffff gggg hhhh   iiii jjjj",
       "aaaa bbbb cccc dddd eeee ffff gggg hhhh\niiii jjjj"},
      {a30 + " " + b20 + " " + c20, a30 + "\n" + b20 + "\n" + c20},
      // The last space of the line is the break, even after another space.
      {a34 + "  bbbbbb", a34 + " \nbbbbbb"},
      {"first line\n" + x40 + " tail", "first line\n" + x40 + "\ntail"},
  };
  for (const auto& [text, wrapped] : cases) EXPECT_EQ(WrapForBox(text), wrapped) << text;
}

// The error reporter's tests show the name going into each place of a text; these pin the
// name being taken literally.
TEST(MessageTextsTest, TheTitleNameGoesWhereverATextNamesItAndIsTakenLiterally) {
  EXPECT_EQ(MessageTexts("Orrin").text(122), "Orrin:MOVIES:INTRO.MOV");
  EXPECT_EQ(MessageTexts("Orrin").text(2) + MessageTexts("Orrin").text(-1), "");
  // A name that looks like the placeholder is not expanded again.
  EXPECT_EQ(MessageTexts("{title}x").text(157).substr(0, 25), "{title}x has run out of m");
  EXPECT_EQ(MessageTexts("").text(157).substr(0, 20), " has run out of memo");
  // Fields are filled before the name goes in, so a name holding a field stays as it is.
  const std::string read = MessageTexts("%d").format(144, 23);
  EXPECT_EQ(read.substr(0, 35), "%d has encountered a disc read erro");
  EXPECT_NE(read.find("(code 23)"), std::string::npos);
}

}  // namespace
}  // namespace lw::test

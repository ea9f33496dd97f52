#include "shell/files/file_access.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <limits>
#include <vector>

#include "platform/posix/system_info.h"
#include "support/temp_folder.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Bytes 0, 1, 2 ... wrapping at 251, so that a misplaced piece shows.
std::string Pattern(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}
std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }
std::function<BoxAnswer(const BoxRequest&)> Always(BoxAnswer answer) {
  return [answer](const BoxRequest&) { return answer; };
}

class FileAccessTest : public ::testing::Test {
 protected:
  FileAccessTest() {
    boxes_.setPolicy([this](const BoxRequest& request) {
      shown_.push_back(request);
      return policy_ ? policy_(request) : DefaultAnswer(request.buttons);
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
  MessageTexts texts_{"Moss"};
  LastPlatformError lastError_;
  FileAccess files_{volumes_, boxes_, texts_, lastError_};
  std::vector<BoxRequest> shown_;
  TerminalBoxes::Policy policy_;
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
  // A read goes on from the current position.
  EXPECT_EQ(files_.FileSeek(handle, 24990), ProgramCode::kOk);
  Bytes tail(10);
  EXPECT_EQ(files_.FileRead(handle, tail), ProgramCode::kOk);
  EXPECT_EQ(Text(tail), content.substr(24990));

  // Positioned reads and writes leave the position alone.
  ASSERT_EQ(files_.FileSeek(handle, 7), ProgramCode::kOk);
  int pumps = 0;
  files_.setMessagePump([&] { ++pumps; });
  buffer.resize(24000);
  EXPECT_EQ(files_.FileReadAt(handle, 1000, buffer), ProgramCode::kOk);
  EXPECT_EQ(Text(buffer), content.substr(1000));
  EXPECT_EQ(pumps, 5) << "pumped first, before each of the 3 pieces and at the end";
  EXPECT_EQ(files_.FileWriteAt(handle, 3, Bytes{'x', 'y'}), ProgramCode::kOk);
  EXPECT_EQ(::lseek(handle, 0, SEEK_CUR), 7);
  Bytes head(6);
  EXPECT_EQ(files_.FileReadAt(handle, 0, head), ProgramCode::kOk);
  EXPECT_EQ(Text(head), content.substr(0, 3) + "xy" + content[5]);
  EXPECT_TRUE(shown_.empty());
  // A positioned read past the end asks like any short read.
  policy_ = Always(BoxAnswer::kAbort);
  EXPECT_EQ(files_.FileReadAt(handle, 24995, tail), ProgramCode::kFile);
  EXPECT_EQ(shown_.size(), 1u);
}

TEST_F(FileAccessTest, AShortReadAsksAbortRetryOrIgnore) {
  const std::string content = Pattern(14000);
  const FileHandle handle = open("GROW.BIN", content.substr(0, 12345));
  Bytes buffer(25000, 0xEE);
  policy_ = Always(BoxAnswer::kAbort);
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kFile);
  EXPECT_EQ(lastError_.get(), platform_error::kDataError);
  // Ignore gives success at once and leaves the rest of the buffer untouched.
  ASSERT_EQ(files_.FileSeek(handle, 0), ProgramCode::kOk);
  std::fill(buffer.begin(), buffer.end(), 0xEE);
  policy_ = Always(BoxAnswer::kIgnore);
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kOk);
  EXPECT_EQ(Text(buffer), content.substr(0, 12345) + std::string(25000 - 12345, '\xEE'));
  EXPECT_EQ(shown_.size(), 2u);

  // Retry: the player puts the disc right, and the missing bytes appear while the box is up.
  ASSERT_EQ(files_.FileSeek(handle, 0), ProgramCode::kOk);
  policy_ = [&](const BoxRequest& request) {
    std::ofstream(folder_.path() / "GROW.BIN", std::ios::binary | std::ios::app)
        .write(content.data() + 12345, 14000 - 12345);
    return request.buttons == BoxButtons::kAbortRetryIgnore ? BoxAnswer::kRetry : BoxAnswer::kOk;
  };
  buffer.assign(content.size(), 0xEE);
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kOk);
  EXPECT_EQ(Text(buffer), content);
  ASSERT_EQ(shown_.size(), 3u);
  EXPECT_EQ(shown_[2].caption, "Disc Read Error");
  EXPECT_EQ(shown_[2].icon, BoxIcon::kExclamation);
  EXPECT_EQ(shown_[2].text, WrapForBox(FormatMessageText(texts_.text(text_id::kDiscReadError),
                                                         platform_error::kDataError)));
}

TEST_F(FileAccessTest, ABadHandleFailsReadsQuietlyAndAsksAboutSeeks) {
  Bytes buffer(16);
  EXPECT_EQ(files_.FileRead(kNoFile, buffer), ProgramCode::kFile);
  EXPECT_EQ(lastError_.get(), platform_error::kInvalidHandle);
  EXPECT_TRUE(shown_.empty());

  int attempts = 0;
  policy_ = [&](const BoxRequest& request) {
    EXPECT_EQ(request.caption, "Disc Seek Error");
    return ++attempts < 3 ? BoxAnswer::kRetry : BoxAnswer::kAbort;
  };
  EXPECT_EQ(files_.FileSeek(kNoFile, 10), ProgramCode::kFile);
  EXPECT_EQ(attempts, 3);
  EXPECT_NE(shown_[0].text.find("(code 6)"), std::string::npos);
  policy_ = Always(BoxAnswer::kIgnore);
  EXPECT_EQ(files_.FileSeek(kNoFile, 10), ProgramCode::kOk);
}

TEST_F(FileAccessTest, CreateWriteSizeFlushAndDelete) {
  FileHandle handle = kNoFile;
  ASSERT_EQ(files_.FileCreate("appl:New Game.RTD", handle), ProgramCode::kOk);
  std::uint32_t size = 99;
  EXPECT_EQ(files_.FileSize(handle, size), ProgramCode::kFile);  // empty
  EXPECT_EQ(size, 0u);
  const std::string bytes = Pattern(70000);
  EXPECT_EQ(files_.FileWrite(handle, Bytes(bytes.begin(), bytes.end())), ProgramCode::kOk);
  EXPECT_EQ(files_.FileFlush(handle), ProgramCode::kOk);
  EXPECT_EQ(files_.FileSize(handle, size), ProgramCode::kOk);
  EXPECT_EQ(size, 70000u);
  EXPECT_EQ(files_.FileClose(handle), ProgramCode::kOk);
  EXPECT_EQ(files_.FileClose(handle), ProgramCode::kFile);

  EXPECT_EQ(files_.FileExists("appl:new game.rtd"), ProgramCode::kOk);
  EXPECT_EQ(files_.FileDelete("appl:NEW GAME.rtd"), ProgramCode::kOk);
  EXPECT_EQ(files_.FileExists("appl:new game.rtd"), ProgramCode::kFile);
  EXPECT_EQ(lastError_.get(), platform_error::kFileNotFound);
  EXPECT_EQ(files_.FileDelete("appl:new game.rtd"), ProgramCode::kFile);
  EXPECT_EQ(files_.FileExists("appl:"), ProgramCode::kOk);
  EXPECT_EQ(lastError_.get(), platform_error::kNone) << "the latest operation's error, or none";
}

TEST_F(FileAccessTest, OpenFallsBackToReadOnlyAndRefusesFolders) {
  std::filesystem::permissions(folder_.writeFile("ro.str", "abc"),
                               std::filesystem::perms::owner_read);
  FileHandle handle = kNoFile;
  ASSERT_EQ(files_.FileOpen("appl:ro.str", handle), ProgramCode::kOk);
  opened_.push_back(handle);
  if (::geteuid() != 0) {  // root may write anyway
    EXPECT_EQ(files_.FileWrite(handle, Bytes{1}), ProgramCode::kFile);
    EXPECT_EQ(lastError_.get(), platform_error::kInvalidHandle);
  }
  folder_.makeFolder("movies");
  EXPECT_EQ(files_.FileOpen("appl:movies", handle), ProgramCode::kFile);
  EXPECT_EQ(handle, kNoFile);
  EXPECT_EQ(lastError_.get(), platform_error::kAccessDenied);
}

TEST_F(FileAccessTest, BadPathsFailCleanly) {
  FileHandle handle = kNoFile;
  EXPECT_EQ(files_.FileOpen("", handle), ProgramCode::kFile);
  EXPECT_EQ(files_.FileOpen(std::string_view("appl:a\0b", 8), handle), ProgramCode::kFile);
  EXPECT_EQ(files_.FileCreate(std::string_view("appl:a\0b", 8), handle), ProgramCode::kFile);
  EXPECT_EQ(files_.FileOpen("appl:" + std::string(300, 'x'), handle), ProgramCode::kFile);
  EXPECT_EQ(lastError_.get(), platform_error::kPathNotFound);
  EXPECT_EQ(files_.FileOpen("appl:" + std::string(5000, 'x'), handle), ProgramCode::kFile);
  EXPECT_EQ(files_.FileOpen("NOVOLUME:movies:a.mov", handle), ProgramCode::kFile);
  EXPECT_EQ(handle, kNoFile);
  EXPECT_EQ(files_.FindFirst(std::string_view("appl:\0", 6)), ProgramCode::kFile);
}

TEST_F(FileAccessTest, DirectorySearchListsSortedNamesThenEnds) {
  folder_.writeFile("saves/b.rtd", "b");
  folder_.writeFile("saves/A.rtd", "a");
  folder_.makeFolder("saves/sub");
  std::string name;
  EXPECT_EQ(files_.FindNext(name), ProgramCode::kFile);  // no search yet

  ASSERT_EQ(files_.FindFirst("appl:SAVES:"), ProgramCode::kOk);
  std::vector<std::string> names;
  while (files_.FindNext(name) == ProgramCode::kOk) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"A.rtd", "b.rtd", "sub"}));
  EXPECT_EQ(files_.FindNext(name), ProgramCode::kFile);

  // A new search replaces one not read to its end.
  ASSERT_EQ(files_.FindFirst("appl:saves:"), ProgramCode::kOk);
  ASSERT_EQ(files_.FindNext(name), ProgramCode::kOk);
  ASSERT_EQ(files_.FindFirst("appl:saves:sub:"), ProgramCode::kFile);  // empty folder
  EXPECT_EQ(files_.FindNext(name), ProgramCode::kFile);
  EXPECT_EQ(files_.FindFirst("appl:missing:"), ProgramCode::kFile);
  EXPECT_EQ(lastError_.get(), platform_error::kFileNotFound);
}

// The figure from /proc/meminfo as the machine writes it: MemAvailable, else (old kernels, some
// containers) MemFree with the buffers and page cache, else no limit.
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
  };
  for (const auto& [meminfo, kib] : cases) {
    const platform::PosixSystemInfo system({.meminfo = folder.writeFile("meminfo", meminfo)});
    MemoryStatus status(system);
    EXPECT_EQ(status.FreeMemory(), kib == kNoLimit ? kNoLimit : kib * 1024) << meminfo;
    status.overrideAvailable(12345);
    EXPECT_EQ(status.FreeMemory(), 12345u);
  }
  const platform::PosixSystemInfo missing({.meminfo = folder.path() / "missing"});
  EXPECT_EQ(MemoryStatus(missing).FreeMemory(), kNoLimit);
}

}  // namespace
}  // namespace lw

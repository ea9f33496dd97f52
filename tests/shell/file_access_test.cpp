#include "shell/file_access.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <numeric>
#include <vector>

#include "temp_folder.h"

namespace lw {
namespace {

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

  // Opens a file of the title folder, failing the test when it cannot.
  FileHandle open(std::string_view colonPath) {
    FileHandle handle = kNoFile;
    EXPECT_EQ(files_.FileOpen(colonPath, handle), ProgramCode::kOk) << colonPath;
    if (handle != kNoFile) opened_.push_back(handle);
    return handle;
  }

  // Bytes 0, 1, 2 ... wrapping at 251, so that a misplaced piece shows.
  static std::string Pattern(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i % 251);
    return bytes;
  }

  test::TempFolder folder_;
  VolumeMap volumes_{folder_.path(),
                     MountSources{folder_.path() / "no-mounts", folder_.path() / "no-labels", {}}};
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
  folder_.writeFile("DATA.STR", content);
  const FileHandle handle = open("appl:data.str");
  // The pump sees the position where each piece starts.
  std::vector<off_t> positions;
  files_.setMessagePump([&] { positions.push_back(::lseek(handle, 0, SEEK_CUR)); });

  std::vector<std::uint8_t> buffer(content.size());
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kOk);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), content);
  EXPECT_EQ(positions, (std::vector<off_t>{0, 0, 10000, 20000, 25000}));
  EXPECT_TRUE(shown_.empty());

  // A read goes on from the current position.
  EXPECT_EQ(files_.FileSeek(handle, 24990), ProgramCode::kOk);
  std::vector<std::uint8_t> tail(10);
  EXPECT_EQ(files_.FileRead(handle, tail), ProgramCode::kOk);
  EXPECT_EQ(std::string(tail.begin(), tail.end()), content.substr(24990));
}

TEST_F(FileAccessTest, PositionedReadsAndWritesLeaveThePositionAlone) {
  const std::string content = Pattern(25000);
  folder_.writeFile("at.bin", content);
  const FileHandle handle = open("appl:at.bin");
  ASSERT_EQ(files_.FileSeek(handle, 7), ProgramCode::kOk);
  int pumps = 0;
  files_.setMessagePump([&] { ++pumps; });

  std::vector<std::uint8_t> buffer(24000);
  EXPECT_EQ(files_.FileReadAt(handle, 1000, buffer), ProgramCode::kOk);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), content.substr(1000));
  EXPECT_EQ(pumps, 5) << "pumped first, before each of the 3 pieces and at the end";
  const std::vector<std::uint8_t> patch = {'x', 'y'};
  EXPECT_EQ(files_.FileWriteAt(handle, 3, patch), ProgramCode::kOk);
  EXPECT_EQ(::lseek(handle, 0, SEEK_CUR), 7);

  // A positioned read past the end asks like any short read; Retry reads what appeared.
  policy_ = [](const BoxRequest&) { return BoxAnswer::kAbort; };
  std::vector<std::uint8_t> past(10);
  EXPECT_EQ(files_.FileReadAt(handle, 24995, past), ProgramCode::kFile);
  EXPECT_EQ(shown_.size(), 1u);
  std::vector<std::uint8_t> head(6);
  EXPECT_EQ(files_.FileReadAt(handle, 0, head), ProgramCode::kOk);
  EXPECT_EQ(std::string(head.begin(), head.end()), content.substr(0, 3) + "xy" + content[5]);
}

TEST_F(FileAccessTest, RetryAfterAShortReadReadsTheMissingBytes) {
  const std::string content = Pattern(14000);
  const auto path = folder_.writeFile("grow.bin", content.substr(0, 12345));
  const FileHandle handle = open("APPL:GROW.BIN");
  // The player puts the disc right: the missing bytes appear while the box is up.
  policy_ = [&](const BoxRequest& request) {
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(content.data() + 12345, 14000 - 12345);
    return request.buttons == BoxButtons::kAbortRetryIgnore ? BoxAnswer::kRetry : BoxAnswer::kOk;
  };
  std::vector<std::uint8_t> buffer(content.size(), 0xEE);
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kOk);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), content);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "Disc Read Error");
  EXPECT_EQ(shown_[0].icon, BoxIcon::kExclamation);
  EXPECT_EQ(shown_[0].text, WrapForBox(FormatMessageText(texts_.text(text_id::kDiscReadError),
                                                         platform_error::kDataError)));
}

TEST_F(FileAccessTest, AbortAndIgnoreAfterAShortRead) {
  folder_.writeFile("short.bin", Pattern(15000));
  const FileHandle handle = open("appl:short.bin");
  std::vector<std::uint8_t> buffer(30000, 0xEE);

  policy_ = [](const BoxRequest&) { return BoxAnswer::kAbort; };
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kFile);
  EXPECT_EQ(lastError_.get(), platform_error::kDataError);

  // Ignore gives success at once and leaves the pieces after the short one untouched.
  ASSERT_EQ(files_.FileSeek(handle, 0), ProgramCode::kOk);
  std::fill(buffer.begin(), buffer.end(), 0xEE);
  policy_ = [](const BoxRequest&) { return BoxAnswer::kIgnore; };
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kOk);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 15000), Pattern(15000));
  EXPECT_TRUE(
      std::all_of(buffer.begin() + 15000, buffer.end(), [](std::uint8_t b) { return b == 0xEE; }));
  EXPECT_EQ(shown_.size(), 2u);
}

TEST_F(FileAccessTest, FailedReadOfABadHandleGivesTheFileCodeWithoutABox) {
  std::vector<std::uint8_t> buffer(16);
  EXPECT_EQ(files_.FileRead(kNoFile, buffer), ProgramCode::kFile);
  EXPECT_EQ(lastError_.get(), platform_error::kInvalidHandle);
  EXPECT_TRUE(shown_.empty());
}

TEST_F(FileAccessTest, SeekFailureAsksAndRetries) {
  int attempts = 0;
  policy_ = [&](const BoxRequest& request) {
    EXPECT_EQ(request.caption, "Disc Seek Error");
    return ++attempts < 3 ? BoxAnswer::kRetry : BoxAnswer::kAbort;
  };
  EXPECT_EQ(files_.FileSeek(kNoFile, 10), ProgramCode::kFile);
  EXPECT_EQ(attempts, 3);
  EXPECT_NE(shown_[0].text.find("(code 6)"), std::string::npos);
  policy_ = [](const BoxRequest&) { return BoxAnswer::kIgnore; };
  EXPECT_EQ(files_.FileSeek(kNoFile, 10), ProgramCode::kOk);
}

TEST_F(FileAccessTest, CreateWriteSizeFlushAndDelete) {
  FileHandle handle = kNoFile;
  ASSERT_EQ(files_.FileCreate("appl:New Game.RTD", handle), ProgramCode::kOk);
  std::uint32_t size = 99;
  EXPECT_EQ(files_.FileSize(handle, size), ProgramCode::kFile);  // empty
  EXPECT_EQ(size, 0u);
  const std::string bytes = Pattern(70000);
  EXPECT_EQ(files_.FileWrite(handle, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                               bytes.size())),
            ProgramCode::kOk);
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
}

TEST_F(FileAccessTest, OpenFallsBackToReadOnlyAndRefusesFolders) {
  const auto path = folder_.writeFile("ro.str", "abc");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  FileHandle handle = open("appl:ro.str");
  if (::geteuid() != 0) {  // root may write anyway
    const std::uint8_t byte = 1;
    EXPECT_EQ(files_.FileWrite(handle, std::span(&byte, 1)), ProgramCode::kFile);
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

TEST(MemoryStatusTest, ReadsMemAvailable) {
  test::TempFolder folder;
  const auto path = folder.writeFile(
      "meminfo", "MemTotal:  8000 kB\nMemFree:  100 kB\nMemAvailable:    2048 kB\n");
  MemoryStatus status(path.string());
  EXPECT_EQ(status.FreeMemory(), 2048u * 1024u);
  status.overrideAvailable(12345);
  EXPECT_EQ(status.FreeMemory(), 12345u);
  EXPECT_EQ(MemoryStatus((folder.path() / "missing").string()).FreeMemory(), 0u);
  EXPECT_EQ(MemoryStatus(folder.writeFile("bad", "MemAvailable: lots kB\n").string()).FreeMemory(),
            0u);
}

}  // namespace
}  // namespace lw

// The file layer over volumes that are ISO 9660 disc images, made in the test with xorriso (the
// tests skip without it): reads, seeks, sizes, existence and listings with names of any case,
// Rock Ridge, Joliet and plain ISO names, writes refused as on a read-only disc, the places an
// image is found as a volume, and damaged images failing with 107 and a platform error.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/system_info.h"
#include "shell/files/disc_image.h"
#include "shell/files/file_access.h"
#include "shell/files/volume_map.h"
#include "support/shell_rig.h"
#include "support/temp_folder.h"

namespace lw::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Bytes 0, 1, 2 ... wrapping at 251, so that a misplaced piece shows.
std::string Pattern(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}
std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

enum class Names { kRockRidge, kJoliet, kPlainIso };

class DiscImageTest : public ::testing::Test, protected ShellRig {
 protected:
  void SetUp() override {
    if (std::system("command -v xorriso >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xorriso";
    boxes_.setPolicy([this](const BoxRequest& request) {
      shown_ += request.caption + "|";
      return BoxAnswer::kAbort;
    });
    temp_.writeFile("files/BootFile", Pattern(25000));
    temp_.writeFile("files/Movies/Intro.Mov", "intro");
    temp_.writeFile("files/lower.txt", "small");
  }
  ~DiscImageTest() override {
    for (FileHandle handle : opened_) ::close(handle);
  }

  // Makes an image of the files folder at `relative`, labelled `label`; gives its path.
  fs::path makeImage(const std::string& relative, const std::string& label, Names names) {
    const fs::path image = temp_.path() / relative;
    fs::create_directories(image.parent_path());
    fs::remove(image);
    const std::string files = (temp_.path() / "files").string();
    std::string command;
    switch (names) {
      case Names::kRockRidge:
        command = "xorriso -as mkisofs -quiet -V " + label + " -o '" + image.string() + "' '" +
                  files + "'";
        break;
      case Names::kJoliet:
        command = "xorriso -as mkisofs -quiet -J -V " + label + " -o '" + image.string() + "' '" +
                  files + "'";
        break;
      case Names::kPlainIso:
        // "stdio:" lets the image lie below /dev (the scratch folder is in /dev/shm).
        command = "xorriso -report_about SORRY -outdev 'stdio:" + image.string() +
                  "' -rockridge off -volid " + label + " -map '" + files + "' /";
        break;
    }
    EXPECT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
    return image;
  }
  ProgramCode open(std::string_view path, FileHandle& handle) {
    const ProgramCode code = files_.FileOpen(path, handle);
    if (code == ProgramCode::kOk) opened_.push_back(handle);
    return code;
  }
  // The whole content of `path`, or "<107: N>" with the platform error of a failure.
  std::string content(std::string_view path) {
    FileHandle handle = kNoFile;
    std::uint32_t size = 0;
    if (open(path, handle) != ProgramCode::kOk || files_.FileSize(handle, size) != ProgramCode::kOk)
      return "<107: " + std::to_string(lastError.get()) + ">";
    Bytes bytes(size);
    if (files_.FileRead(handle, bytes) != ProgramCode::kOk)
      return "<107: " + std::to_string(lastError.get()) + ">";
    return Text(bytes);
  }
  // The names a search of `folder` gives, joined with spaces, or "<107: N>".
  std::string listing(std::string_view folder) {
    if (files_.FindFirst(folder) != ProgramCode::kOk)
      return "<107: " + std::to_string(lastError.get()) + ">";
    std::string names;
    for (std::string name; files_.FindNext(name) == ProgramCode::kOk;)
      names += (names.empty() ? "" : " ") + name;
    return names;
  }

  TempFolder temp_;
  fs::path title_ = temp_.makeFolder("games/title");
  platform::PosixSystemInfo noMounts_{
      {.mountTable = temp_.path() / "none", .labelDirectory = temp_.path() / "none"}};
  VolumeMap volumes_{title_, noMounts_};
  TerminalBoxes boxes_{nullptr};
  FileAccess files_{volumes_, boxes_, texts, lastError};
  std::string shown_;
  std::vector<FileHandle> opened_;
};

TEST_F(DiscImageTest, FilesReadFromAnImageVolumeWhateverTheCaseOfTheirNames) {
  const std::string boot = Pattern(25000);
  for (const Names names : {Names::kRockRidge, Names::kJoliet, Names::kPlainIso}) {
    volumes_.addVolume("moss", makeImage("discs/moss.iso", "MOSS", names));
    const std::pair<std::string_view, std::string> cases[] = {
        {"MOSS:BootFile", boot},
        {"moss:BOOTFILE", boot},
        {"Moss:movies:INTRO.MOV", "intro"},
        {"MOSS:Lower.TXT", "small"},
        {"MOSS:Missing", "<107: 2>"},
        {"MOSS:BootFile:Inside", "<107: 3>"},  // a file where a folder must be
        {"MOSS:Movies", "<107: 5>"},           // a folder is no file to read
    };
    for (const auto& [path, expected] : cases) {
      const std::string got = content(path);
      EXPECT_TRUE(got == expected)
          << path << " names " << static_cast<int>(names) << " gives " << got.substr(0, 20);
    }
  }
  // Listings show the image's own names in sorted order: plain ISO names are upper case, without
  // their ";1" version and the "." of a name without an extension.
  EXPECT_EQ(listing("moss:"), "BOOTFILE LOWER.TXT MOVIES");
  EXPECT_EQ(listing("MOSS:movies:"), "INTRO.MOV");
  volumes_.addVolume("moss", makeImage("discs/moss.iso", "MOSS", Names::kRockRidge));
  EXPECT_EQ(listing("moss:"), "BootFile Movies lower.txt");
  EXPECT_EQ(listing("MOSS:MOVIES"), "Intro.Mov");
  EXPECT_EQ(listing("MOSS:Nowhere:"), "<107: 2>");
  EXPECT_EQ(listing("MOSS:lower.txt:"), "<107: 3>");
  for (const char* present : {"MOSS:bootfile", "moss:Movies", "MOSS:", "moss:movies:intro.mov"})
    EXPECT_EQ(files_.FileExists(present), ProgramCode::kOk) << present;
  EXPECT_EQ(files_.FileExists("MOSS:Movies:Outro.mov"), ProgramCode::kFile);
  EXPECT_EQ(lastError.get(), platform_error::kFileNotFound);
  EXPECT_EQ(shown_, "");
}

TEST_F(DiscImageTest, ReadsSeeksAndSizesInsideTheImage) {
  const std::string boot = Pattern(25000);
  volumes_.addVolume("MOSS", makeImage("moss.iso", "MOSS", Names::kRockRidge));
  FileHandle handle = kNoFile;
  ASSERT_EQ(open("MOSS:bootfile", handle), ProgramCode::kOk);
  std::uint32_t size = 0;
  EXPECT_EQ(files_.FileSize(handle, size), ProgramCode::kOk);
  EXPECT_EQ(size, 25000U);
  // Pieces of 10000 bytes, each after a pump; reads go on from the position.
  int pumps = 0;
  files_.setMessagePump([&] { ++pumps; });
  Bytes buffer(24000);
  EXPECT_EQ(files_.FileRead(handle, buffer), ProgramCode::kOk);
  EXPECT_EQ(Text(buffer), boot.substr(0, 24000));
  EXPECT_EQ(pumps, 5);
  Bytes tail(500);
  EXPECT_EQ(files_.FileRead(handle, tail), ProgramCode::kOk);
  EXPECT_EQ(Text(tail), boot.substr(24000, 500));
  ASSERT_EQ(files_.FileSeek(handle, 70), ProgramCode::kOk);
  EXPECT_EQ(files_.FileReadAt(handle, 20000, tail), ProgramCode::kOk);
  EXPECT_EQ(Text(tail), boot.substr(20000, 500));
  Bytes head(30);
  EXPECT_EQ(files_.FileRead(handle, head), ProgramCode::kOk);  // the positioned read kept 70
  EXPECT_EQ(Text(head), boot.substr(70, 30));
  // Past the end of the file, not into the image's next bytes: the disc read box, then 107.
  EXPECT_EQ(files_.FileReadAt(handle, 24800, tail), ProgramCode::kFile);
  EXPECT_EQ(lastError.get(), platform_error::kDataError);
  EXPECT_EQ(shown_, "Disc Read Error|");
  // Two files open at once keep their own positions.
  FileHandle other = kNoFile;
  ASSERT_EQ(open("MOSS:Lower.txt", other), ProgramCode::kOk);
  EXPECT_NE(other, handle);
  Bytes two(2);
  EXPECT_EQ(files_.FileRead(other, two), ProgramCode::kOk);
  EXPECT_EQ(Text(two), "sm");
  EXPECT_EQ(files_.FileRead(handle, two), ProgramCode::kOk);
  EXPECT_EQ(Text(two), boot.substr(100, 2));
  EXPECT_EQ(files_.FileFlush(other), ProgramCode::kOk);
  EXPECT_EQ(files_.FileClose(other), ProgramCode::kOk);
  opened_.pop_back();
}

TEST_F(DiscImageTest, WritingCreatingAndDeletingAreRefusedAsOnAReadOnlyDisc) {
  volumes_.addVolume("MOSS", makeImage("moss.iso", "MOSS", Names::kRockRidge));
  FileHandle handle = kNoFile;
  ASSERT_EQ(open("MOSS:lower.txt", handle), ProgramCode::kOk);
  const Bytes bytes{'x', 'y'};
  FileHandle created = kNoFile;
  const std::pair<const char*, std::function<ProgramCode()>> refused[] = {
      {"write", [&] { return files_.FileWrite(handle, bytes); }},
      {"write at", [&] { return files_.FileWriteAt(handle, 1, bytes); }},
      {"create", [&] { return files_.FileCreate("MOSS:NEW.TXT", created); }},
      {"create over", [&] { return files_.FileCreate("MOSS:lower.txt", created); }},
      {"delete", [&] { return files_.FileDelete("moss:Lower.txt"); }},
  };
  for (const auto& [what, operation] : refused) {
    lastError.clear();
    EXPECT_EQ(operation(), ProgramCode::kFile) << what;
    EXPECT_EQ(lastError.get(), platform_error::kWriteProtected) << what;
  }
  EXPECT_EQ(created, kNoFile);
  EXPECT_EQ(content("MOSS:lower.txt"), "small");
}

// The places an image is found: --volume, the title folder itself, NAME.iso beside the title
// folder, an image beside it by label; a folder of the name beside the title comes first.
TEST_F(DiscImageTest, AnImageIsFoundByOptionBesideTheTitleByNameOrByLabel) {
  makeImage("games/Moss.ISO", "OTHERLABEL", Names::kRockRidge);
  makeImage("games/zz-second.iso", "SECOND_DISC", Names::kPlainIso);
  temp_.writeFile("games/notanimage.iso", "not an image");
  temp_.writeFile("games/Folder/lower.txt", "from the folder");
  makeImage("games/folder.iso", "FOLDER", Names::kRockRidge);
  const std::pair<std::string_view, std::string> cases[] = {
      {"moss:lower.txt", "small"},         // Moss.ISO by its name
      {"OTHERLABEL:lower.txt", "small"},   // the same image by its label
      {"second_disc:LOWER.TXT", "small"},  // by label
      {"FOLDER:lower.txt", "from the folder"},
      {"notanimage:lower.txt", "<107: 2>"},  // no image: relative to the current folder
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(content(path), expected) << path;
  EXPECT_EQ(volumes_.FindVolume("otherlabel"), temp_.path() / "games/Moss.ISO");
  // The title folder given as an image.
  VolumeMap onImage(makeImage("title.iso", "TITLE", Names::kJoliet), noMounts_);
  FileAccess files(onImage, boxes_, texts, lastError);
  FileHandle handle = kNoFile;
  ASSERT_EQ(files.FileOpen("appl:movies:intro.mov", handle), ProgramCode::kOk);
  Bytes intro(5);
  EXPECT_EQ(files.FileRead(handle, intro), ProgramCode::kOk);
  EXPECT_EQ(Text(intro), "intro");
  EXPECT_EQ(files.FileClose(handle), ProgramCode::kOk);
}

// Damage: an image cut short inside a file's data or before its folders, folder records
// overwritten, and a volume file that is no image at all. Each gives 107 and a platform error.
TEST_F(DiscImageTest, DamagedImagesGiveFileErrorsNeverACrash) {
  const fs::path good = makeImage("good.iso", "MOSS", Names::kRockRidge);
  std::string bytes;
  {
    std::ifstream in(good, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::size_t bootAt = bytes.find(Pattern(300));
  ASSERT_NE(bootAt, std::string::npos);
  // The root folder's extent, from the primary volume descriptor's root record (bytes 156 on of
  // block 16; the extent's little-endian block number at 2).
  const std::size_t rootRecord = 16 * 2048 + 156;
  const std::size_t rootAt = 2048 * (static_cast<std::uint8_t>(bytes[rootRecord + 2]) |
                                     static_cast<std::uint8_t>(bytes[rootRecord + 3]) << 8);
  std::string scrambled = bytes;
  std::fill_n(scrambled.begin() + static_cast<std::ptrdiff_t>(rootAt), 2048, '\x7f');
  const std::pair<std::string, std::string> damaged[] = {
      {"cut-in-file.iso", bytes.substr(0, bootAt + 1000)},
      {"cut-before-folders.iso", bytes.substr(0, 17 * 2048)},
      {"cut-before-descriptors.iso", bytes.substr(0, 4000)},
      {"scrambled-folder.iso", scrambled},
      {"noise.iso", Pattern(200000)},
  };
  for (const auto& [name, image] : damaged) {
    temp_.writeFile(name, image);
    volumes_.addVolume("MOSS", temp_.path() / name);
    lastError.clear();
    const std::string read = content("MOSS:BootFile");
    EXPECT_EQ(read, "<107: 23>") << name;
    EXPECT_EQ(listing("MOSS:").substr(0, 5), name == "cut-in-file.iso" ? "BootF" : "<107:") << name;
    FileHandle handle = kNoFile;
    EXPECT_EQ(files_.FileCreate("MOSS:NEW", handle), ProgramCode::kFile) << name;
    EXPECT_EQ(lastError.get(), platform_error::kWriteProtected) << name;
  }
  EXPECT_EQ(shown_, "");
}

TEST(DiscImageNames, VersionsAndTheDotOfANameWithoutExtensionAreNotShown) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"BOOTFILE.;1", "BOOTFILE"}, {"INTRO.MOV;1", "INTRO.MOV"}, {"README", "README"},
      {"Intro.Mov", "Intro.Mov"},  {"A.B.;12", "A.B"},           {".", "."},
  };
  for (const auto& [raw, shown] : cases) EXPECT_EQ(ShownImageName(raw), shown) << raw;
}

}  // namespace
}  // namespace lw::test

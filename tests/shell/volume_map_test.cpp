#include "shell/files/volume_map.h"

#include <gtest/gtest.h>

#include "platform/posix/system_info.h"
#include "support/temp_folder.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

// A fixture machine: a title folder inside `root/games`, mount roots and a label folder of
// its own, and a mount table that the test writes.
class VolumeMapTest : public ::testing::Test {
 protected:
  void writeMountTable(std::string_view text) { temp_.writeFile("mounts", text); }
  // A device node stand-in and a label link to it, as udev makes them; gives the device path.
  std::string addLabel(std::string_view linkName, std::string_view device) {
    const fs::path node = temp_.writeFile(fs::path("devices") / device, "");
    fs::create_symlink(fs::path("../devices") / device, temp_.makeFolder("labels") / linkName);
    return node.string();
  }

  test::TempFolder temp_;
  fs::path title_ = temp_.makeFolder("games/title");
  platform::PosixSystemInfo system_{{.meminfo = temp_.path() / "meminfo",
                                     .mountTable = temp_.path() / "mounts",
                                     .labelDirectory = temp_.path() / "labels",
                                     .mediaRoots = {temp_.path() / "media", temp_.path() / "mnt"}}};
};

TEST_F(VolumeMapTest, TitleFolderCaseOfElementsAndPlainPaths) {
  temp_.writeFile("games/title/Movies/Intro.MOV", "");
  temp_.writeFile("games/title/BootFile", "");
  const VolumeMap map(title_, system_);  // the mount table file does not even exist
  const std::pair<std::string_view, std::string> cases[] = {
      {"appl:bootfile", (title_ / "BootFile").string()},
      {"APPL:MOVIES:INTRO.MOV", (title_ / "Movies/Intro.MOV").string()},
      // Elements with no entry are kept as written (a file about to be created).
      {"Appl:movies:New.rtd", (title_ / "Movies/New.rtd").string()},
      {"appl:", title_.string()},
      {"appl:/etc", (title_ / "etc").string()},  // a leading "/" cannot leave the title folder
      // No volume, or a drive letter: unchanged.
      {"c:\\data\\x.str", "c:\\data\\x.str"},
      {"Plain/Name.TXT", "Plain/Name.TXT"},
      {"", ""},
      // An unknown volume is relative to the current folder.
      {"MOSS:Movies:a.mov", "Movies/a.mov"},
      {":a::b:", "a/b"},
  };
  for (const auto& [colonPath, mapped] : cases) EXPECT_EQ(map.MapPath(colonPath), mapped);
  EXPECT_FALSE(map.FindVolume("MOSS"));
  EXPECT_FALSE(map.FindVolume(""));
}

TEST_F(VolumeMapTest, ExactEntryWinsThenSortedOrder) {
  for (const char* name : {"intro.mov", "INTRO.MOV", "Intro.mov"})
    temp_.writeFile(fs::path("games/title") / name, "");
  EXPECT_EQ(JoinMatchingCase(title_, "Intro.mov"), title_ / "Intro.mov");
  EXPECT_EQ(JoinMatchingCase(title_, "intro.MOV"), title_ / "INTRO.MOV");
  EXPECT_EQ(JoinMatchingCase(temp_.path() / "nowhere", "X"), temp_.path() / "nowhere" / "X");
}

TEST_F(VolumeMapTest, VolumeOptionWinsAndLaterAdditionsWin) {
  temp_.writeFile("second/MOVIES/A.MOV", "");
  temp_.makeFolder("games/moss");  // would match beside the title folder
  VolumeMap map(title_, system_);
  map.addVolume("moss", temp_.makeFolder("first"));
  map.addVolume("Moss", temp_.path() / "second");
  EXPECT_EQ(map.MapPath("MOSS:movies:a.mov"), (temp_.path() / "second/MOVIES/A.MOV").string());
}

TEST_F(VolumeMapTest, MountedUnderAMountRootByDirectoryName) {
  const fs::path cd = temp_.makeFolder("media/player/Moss CD");
  temp_.writeFile("media/player/Moss CD/MOVIES/A.MOV", "");
  writeMountTable("proc /proc proc rw 0 0\n/dev/sr0 " +
                  (temp_.path() / "media/player/Moss\\040CD").string() + " iso9660 ro 0 0\n" +
                  "/dev/sdc1 " + (temp_.path() / "media").string() + " ext4 rw 0 0\n" +
                  "/dev/sdb1 /elsewhere/MOSS2 vfat rw 0 0\ngarbage-line\n\n");
  const VolumeMap map(title_, system_);
  EXPECT_EQ(map.MapPath("moss cd:Movies:a.mov"), (cd / "MOVIES/A.MOV").string());
  EXPECT_FALSE(map.FindVolume("MOSS2"));  // not under a mount root
  EXPECT_FALSE(map.FindVolume("media"));  // a mount root itself is no volume
}

TEST_F(VolumeMapTest, MountedByLabel) {
  const std::string disc = addLabel("MOSS\\x20DISC", "sr0");
  addLabel("OTHER", "sr1");
  const fs::path mounted = temp_.makeFolder("somewhere/cdrom");
  writeMountTable((temp_.path() / "devices/sdz").string() + " /unrelated ext4 rw 0 0\n" + disc +
                  " " + mounted.string() + " iso9660 ro 0 0\n");
  const VolumeMap map(title_, system_);
  EXPECT_EQ(map.FindVolume("moss disc"), mounted);
  EXPECT_FALSE(map.FindVolume("OTHER"));  // labelled, but not mounted
}

TEST_F(VolumeMapTest, FolderBesideTheTitleFolder) {
  const fs::path beside = temp_.makeFolder("games/Moss");
  temp_.writeFile("games/Moss/movies/a.mov", "");
  temp_.writeFile("games/notafolder", "");
  VolumeMap map(title_, system_);
  EXPECT_EQ(map.MapPath("MOSS:MOVIES:A.MOV"), (beside / "movies/a.mov").string());
  EXPECT_FALSE(map.FindVolume("notafolder"));
  map.setTitleFolder(title_.string() + "/");  // a trailing separator changes nothing
  EXPECT_EQ(map.FindVolume("moss"), beside);
}

}  // namespace
}  // namespace lw

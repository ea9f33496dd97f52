#include "shell/volume_map.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

// A fixture machine: a title folder inside `root/games`, mount roots and a label folder of
// its own, and a mount table that the test writes.
class VolumeMapTest : public ::testing::Test {
 protected:
  VolumeMapTest() {
    title_ = temp_.makeFolder("games/title");
    temp_.makeFolder("labels");
    temp_.makeFolder("devices");
    sources_ = {temp_.path() / "mounts",
                temp_.path() / "labels",
                {temp_.path() / "media", temp_.path() / "mnt"}};
  }

  void writeMountTable(std::string_view text) { temp_.writeFile("mounts", text); }
  // A device node stand-in and a label link to it, as udev makes them.
  void addLabel(std::string_view linkName, std::string_view device) {
    temp_.writeFile(fs::path("devices") / device, "");
    fs::create_symlink(fs::path("../devices") / device, temp_.path() / "labels" / linkName);
  }
  std::string dev(std::string_view device) const {
    return (temp_.path() / "devices" / device).string();
  }

  test::TempFolder temp_;
  fs::path title_;
  MountSources sources_;
};

TEST_F(VolumeMapTest, TitleFolderAndCaseOfElements) {
  temp_.writeFile("games/title/Movies/Intro.MOV", "");
  temp_.writeFile("games/title/BootFile", "");
  const VolumeMap map(title_, sources_);
  EXPECT_EQ(map.MapPath("appl:bootfile"), (title_ / "BootFile").string());
  EXPECT_EQ(map.MapPath("APPL:MOVIES:INTRO.MOV"), (title_ / "Movies/Intro.MOV").string());
  // Elements with no entry are kept as written (a file about to be created).
  EXPECT_EQ(map.MapPath("Appl:movies:New.rtd"), (title_ / "Movies/New.rtd").string());
  EXPECT_EQ(map.MapPath("appl:"), title_.string());
  // A leading "/" in an element cannot leave the title folder.
  EXPECT_EQ(map.MapPath("appl:/etc"), (title_ / "etc").string());
}

TEST_F(VolumeMapTest, ExactEntryWinsThenSortedOrder) {
  temp_.writeFile("games/title/intro.mov", "");
  temp_.writeFile("games/title/INTRO.MOV", "");
  temp_.writeFile("games/title/Intro.mov", "");
  EXPECT_EQ(JoinMatchingCase(title_, "Intro.mov"), title_ / "Intro.mov");
  EXPECT_EQ(JoinMatchingCase(title_, "intro.MOV"), title_ / "INTRO.MOV");
  EXPECT_EQ(JoinMatchingCase(temp_.path() / "nowhere", "X"), temp_.path() / "nowhere" / "X");
}

TEST_F(VolumeMapTest, PathsWithoutAVolumeOrWithADriveLetterStayUnchanged) {
  const VolumeMap map(title_, sources_);
  EXPECT_EQ(map.MapPath("c:\\data\\x.str"), "c:\\data\\x.str");
  EXPECT_EQ(map.MapPath("Plain/Name.TXT"), "Plain/Name.TXT");
  EXPECT_EQ(map.MapPath(""), "");
}

TEST_F(VolumeMapTest, UnknownVolumeIsRelative) {
  const VolumeMap map(title_, sources_);  // the mount table file does not even exist
  EXPECT_EQ(map.MapPath("MOSS:Movies:a.mov"), "Movies/a.mov");
  EXPECT_EQ(map.MapPath(":a::b:"), "a/b");
  EXPECT_FALSE(map.FindVolume("MOSS"));
  EXPECT_FALSE(map.FindVolume(""));
}

TEST_F(VolumeMapTest, VolumeOptionWinsAndLaterAdditionsWin) {
  const fs::path first = temp_.makeFolder("first");
  const fs::path second = temp_.makeFolder("second");
  temp_.writeFile("second/MOVIES/A.MOV", "");
  temp_.makeFolder("games/moss");  // would match beside the title folder
  VolumeMap map(title_, sources_);
  map.addVolume("moss", first);
  map.addVolume("Moss", second);
  EXPECT_EQ(map.MapPath("MOSS:movies:a.mov"), (second / "MOVIES/A.MOV").string());
}

TEST_F(VolumeMapTest, MountedUnderAMountRootByDirectoryName) {
  const fs::path cd = temp_.makeFolder("media/player/Moss CD");
  temp_.writeFile("media/player/Moss CD/MOVIES/A.MOV", "");
  writeMountTable(
      "proc /proc proc rw 0 0\n"
      "/dev/sr0 " +
      (temp_.path() / "media/player/Moss\\040CD").string() +
      " iso9660 ro 0 0\n"
      "/dev/sdb1 /elsewhere/MOSS2 vfat rw 0 0\n"
      "garbage-line\n\n");
  const VolumeMap map(title_, sources_);
  EXPECT_EQ(map.MapPath("moss cd:Movies:a.mov"), (cd / "MOVIES/A.MOV").string());
  EXPECT_FALSE(map.FindVolume("MOSS2"));  // not under a mount root
  EXPECT_FALSE(map.FindVolume("media"));  // a mount root itself is no volume
}

TEST_F(VolumeMapTest, MountedByLabel) {
  addLabel("MOSS\\x20DISC", "sr0");
  addLabel("OTHER", "sr1");
  const fs::path mounted = temp_.makeFolder("somewhere/cdrom");
  writeMountTable(dev("sdz") + " /unrelated ext4 rw 0 0\n" + dev("sr0") + " " + mounted.string() +
                  " iso9660 ro 0 0\n");
  const VolumeMap map(title_, sources_);
  EXPECT_EQ(map.FindVolume("moss disc"), mounted);
  EXPECT_FALSE(map.FindVolume("OTHER"));  // labelled, but not mounted
}

TEST_F(VolumeMapTest, FolderBesideTheTitleFolder) {
  const fs::path beside = temp_.makeFolder("games/Moss");
  temp_.writeFile("games/Moss/movies/a.mov", "");
  temp_.writeFile("games/notafolder", "");
  VolumeMap map(title_, sources_);
  EXPECT_EQ(map.MapPath("MOSS:MOVIES:A.MOV"), (beside / "movies/a.mov").string());
  EXPECT_FALSE(map.FindVolume("notafolder"));
  map.setTitleFolder(title_.string() + "/");  // a trailing separator changes nothing
  EXPECT_EQ(map.FindVolume("moss"), beside);
}

}  // namespace
}  // namespace lw

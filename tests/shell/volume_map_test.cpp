// Colon paths to Linux paths over a fixture machine: a title folder inside `root/games`, and a
// mount table, label folder and removable media folders of its own, read by the posix system
// information as they would be from /proc and /dev.
#include "shell/files/volume_map.h"

#include <gtest/gtest.h>

#include "platform/posix/system_info.h"
#include "support/temp_folder.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

class VolumeMapTest : public ::testing::Test {
 protected:
  void writeMountTable(std::string_view text) { temp_.writeFile("mounts", text); }
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
      {"Plain/Name.TXT", "Plain/Name.TXT"},
      {"", ""},
      // An unknown volume is relative to the current folder.
      {"MOSS:Movies:a.mov", "Movies/a.mov"},
      {":a::b:", "a/b"},
  };
  for (const auto& [colonPath, mapped] : cases) EXPECT_EQ(map_.MapPath(colonPath), mapped);
  EXPECT_FALSE(map_.FindVolume("MOSS"));
  EXPECT_FALSE(map_.FindVolume(""));
}

// The rules in order: a --volume root (the latest addition of a name), a mount folder of the
// volume's name below a media folder, a label, a folder beside the title folder.
TEST_F(VolumeMapTest, VolumesByOptionMountFolderLabelOrFolderBesideTheTitle) {
  temp_.makeFolder("media/player/Moss CD");
  const std::string disc = addLabel("MOSS\\x20DISC", "sr0");
  addLabel("OTHER", "sr1");
  writeMountTable("proc /proc proc rw 0 0\n/dev/sr0 " + under("media/player/Moss\\040CD") +
                  " iso9660 ro 0 0\n/dev/sdc1 " + under("media") + " ext4 rw 0 0\n" +
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

}  // namespace
}  // namespace lw

// The thumbnail record of saved games and the listing of a title's saved-game folder.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "runtime/saved_game_summary.h"
#include "runtime/saved_game_thumbnail.h"
#include "support/storage_scratch.h"

namespace lw::test {
namespace {

namespace fs = std::filesystem;

// The bytes of a thumbnail record: tag, sizes, then `rgb` as given.
Bytes ThumbnailRecord(std::string_view tag, int width, int height, const Bytes& rgb) {
  Bytes record(tag.begin(), tag.end());
  for (const int size : {width, height}) {
    record.push_back(static_cast<std::uint8_t>(size & 0xFF));
    record.push_back(static_cast<std::uint8_t>(size >> 8));
  }
  record.insert(record.end(), rgb.begin(), rgb.end());
  return record;
}

std::string Print(const ThumbnailPicture& p) {
  std::string text = std::to_string(p.width) + "x" + std::to_string(p.height);
  for (const Rgb& c : p.pixels)
    text +=
        " " + std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
  return text;
}

TEST(SavedGameThumbnailTest, EncodingAveragesEachBlockAndDecodesBack) {
  // Two 4 x 4 blocks: the left half black and half (255, 100, 3), the right all (7, 8, 9).
  Surface screen(8, 4);
  Palette palette{};
  palette[2] = Rgb{255, 100, 3};
  palette[3] = Rgb{7, 8, 9};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) screen.row(y)[x] = x >= 4 ? 3 : (x + y) % 2 == 0 ? 2 : 0;
  const Bytes record = EncodeThumbnail(screen, palette);
  // Means rounded: 2040 / 16 = 127.5 -> 128, 800 / 16 = 50, 24 / 16 = 1.5 -> 2.
  EXPECT_EQ(record, (Bytes{'T', 'H', 'M', 'B', 2, 0, 1, 0, 128, 50, 2, 7, 8, 9}));
  const std::optional<ThumbnailPicture> picture = DecodeThumbnail(record);
  ASSERT_TRUE(picture);
  EXPECT_EQ(Print(*picture), "2x1 128,50,2 7,8,9");

  const Bytes full = EncodeThumbnail(Surface(640, 480), palette);
  EXPECT_EQ(full.size(), 8u + 160u * 120u * 3u);
  EXPECT_EQ(Print(*DecodeThumbnail(full)).substr(0, 12), "160x120 0,0,");
}

TEST(SavedGameThumbnailTest, DamagedRecordsHaveNoPicture) {
  const Bytes twoPixels(6, 1);
  struct Case {
    const char* what;
    Bytes record;
  };
  const std::vector<Case> cases = {
      {"empty", {}},
      {"header cut short", Bytes{'T', 'H', 'M', 'B', 2, 0, 1}},
      {"wrong tag", ThumbnailRecord("THMb", 2, 1, twoPixels)},
      {"zero width", ThumbnailRecord("THMB", 0, 1, {})},
      {"zero height", ThumbnailRecord("THMB", 2, 0, {})},
      {"pixels short", ThumbnailRecord("THMB", 2, 1, Bytes(5, 1))},
      {"pixels long", ThumbnailRecord("THMB", 2, 1, Bytes(7, 1))},
      {"too wide", ThumbnailRecord("THMB", 641, 1, Bytes(641 * 3, 1))},
      {"too high", ThumbnailRecord("THMB", 1, 481, Bytes(481 * 3, 1))},
  };
  for (const Case& c : cases) EXPECT_FALSE(DecodeThumbnail(c.record)) << c.what;
  EXPECT_EQ(Print(*DecodeThumbnail(ThumbnailRecord("THMB", 2, 1, twoPixels))), "2x1 1,1,1 1,1,1");
  EXPECT_TRUE(DecodeThumbnail(ThumbnailRecord("THMB", 640, 480, Bytes(640 * 480 * 3, 0))));
}

// Sets an environment variable for one test and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
    ::tzset();
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
    ::tzset();
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SavedGamesFolderTest, LiesUnderTheDataHomeAndIsCreated) {
  TempFolder home;
  const ScopedEnv homeVar("HOME", home.path().c_str());
  {
    const ScopedEnv xdg("XDG_DATA_HOME", (home.path() / "data").c_str());
    auto folder = SavedGamesFolder("Moss");
    ASSERT_TRUE(folder) << folder.error();
    EXPECT_EQ(*folder, home.path() / "data/loomwork/saves/Moss");
    EXPECT_TRUE(fs::is_directory(*folder));
    EXPECT_EQ(SavedGamesFolder("a/b:c").value(), home.path() / "data/loomwork/saves/a_b_c");
    EXPECT_FALSE(SavedGamesFolder(".."));
    EXPECT_FALSE(SavedGamesFolder(""));
  }
  const ScopedEnv relative("XDG_DATA_HOME", "relative/data");
  EXPECT_EQ(SavedGamesFolder("Moss").value(), home.path() / ".local/share/loomwork/saves/Moss");
}

// The identity record: a length byte, the text, padding to 256 bytes.
Bytes IdentityRecord(std::string_view text, std::size_t size = kIdentityFieldSize) {
  Bytes record(size, 0);
  record[0] = static_cast<std::uint8_t>(text.size());
  std::copy(text.begin(), text.end(), record.begin() + 1);
  return record;
}

void SetWritten(const fs::path& path, std::time_t when) {
  const timeval times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(::utimes(path.c_str(), times), 0) << path;
}

TEST(ListSavedGamesTest, ListsGoodSavesNewestFirstAndSkipsTheRest) {
  const ScopedEnv utc("TZ", "UTC");
  ScratchStorage<> storage;
  const fs::path folder = storage.folder.path();
  FileAccess& files = storage.stack.files;
  const Bytes picture = ThumbnailRecord("THMB", 1, 2, Bytes{10, 20, 30, 40, 50, 60});
  const Bytes game{1, 2, 3};
  WriteStarFile(files, (folder / "old.rtd").string(), {IdentityRecord("At the well")}, 1, "RTDO");
  WriteStarFile(files, (folder / "New.RTD").string(),
                {IdentityRecord("In the \xA5 tower"), game, picture}, 1, "RTDO");
  // Its last record is a picture cut short: listed without one.
  WriteStarFile(files, (folder / "cut.rtd").string(),
                {IdentityRecord(""), Bytes(picture.begin(), picture.end() - 1)}, 1, "RTDO");
  WriteStarFile(files, (folder / "short.rtd").string(), {IdentityRecord("x", 255)}, 1, "RTDO");
  WriteStarFile(files, (folder / "empty.rtd").string(), {}, 1, "RTDO");
  WriteStarFile(files, (folder / "movie.rtd").string(), {IdentityRecord("movie")}, 1, "STAR");
  WriteStarFile(files, (folder / "game.txt").string(), {IdentityRecord("text")}, 1, "RTDO");
  storage.folder.writeFile("junk.rtd", std::string(2000, '\x7F'));
  storage.folder.writeFile("nothing.rtd", "");
  storage.folder.makeFolder("folder.rtd");
  SetWritten(folder / "old.rtd", 1796634300);  // 2026-12-07 09:05 UTC
  SetWritten(folder / "New.RTD", 1796729400);  // 2026-12-08 11:30 UTC
  SetWritten(folder / "cut.rtd", 1796634300);

  std::string listing;
  for (const SavedGameEntry& e : ListSavedGames(files, folder))
    listing += e.path.lexically_relative(folder).string() + "|" + e.identity + "|" + e.date + "|" +
               Print(e.thumbnail) + "\n";
  EXPECT_EQ(listing,
            "New.RTD|In the \xA5 tower|2026-12-08 11:30|1x2 10,20,30 40,50,60\n"
            "cut.rtd||2026-12-07 09:05|0x0\n"
            "old.rtd|At the well|2026-12-07 09:05|0x0\n");
  EXPECT_TRUE(storage.boxTexts.empty());  // damaged files are passed over without asking
  EXPECT_TRUE(ListSavedGames(files, folder / "missing").empty());
}

}  // namespace
}  // namespace lw::test

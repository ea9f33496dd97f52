#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/fonts/ttf_fonts.h"

namespace lw::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::uint8_t kInked = 128;  // coverage from which a pixel counts as ink
const char* const kSystemSerif = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
const char* const kSystemMono = "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf";

// The first and one past the last row that hold ink; {0, 0} for an image without any.
std::pair<int, int> InkRows(const TextImage& image) {
  int first = image.height;
  int last = -1;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.coverage[static_cast<std::size_t>(y) * image.width + x] >= kInked) {
        first = std::min(first, y);
        last = std::max(last, y);
      }
    }
  }
  return last < 0 ? std::make_pair(0, 0) : std::make_pair(first, last + 1);
}

// A folder of its own under the temporary folder, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder()
      : path_(fs::temp_directory_path() /
              ("lw_fonts_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  void touch(const std::string& name) const { std::ofstream(path_ / name) << "x"; }
  void copy(const char* from, const std::string& name) const { fs::copy_file(from, path_ / name); }
  [[nodiscard]] std::string path() const { return path_.string(); }

 private:
  fs::path path_;
};

TEST(FontRendererTest, CharacterHeightFollowsThePixelSize) {
  TtfFontRenderer fonts;
  for (const int size : {12, 18}) {
    // From the top of a capital to the bottom of a descender spans about the character height.
    const TextImage image = fonts.render(Face::kArial, size, "Hg");
    const auto [top, bottom] = InkRows(image);
    EXPECT_GE(bottom - top, size * 3 / 4) << size;
    EXPECT_LE(bottom - top, size + size / 4) << size;
    EXPECT_GT(image.ascent, top) << size;
    EXPECT_LE(image.ascent, image.height) << size;
    EXPECT_EQ(image.advance, fonts.width(Face::kArial, size, "Hg")) << size;
    EXPECT_EQ(image.coverage.size(), static_cast<std::size_t>(image.width) * image.height);
  }
  EXPECT_GT(fonts.width(Face::kArial, 18, "Hg"), fonts.width(Face::kArial, 12, "Hg"));
}

TEST(FontRendererTest, CoverageIsAntiAliased) {
  TtfFontRenderer fonts;
  const TextImage image = fonts.render(Face::kArial, 14, "Ow");
  const auto partial = std::count_if(image.coverage.begin(), image.coverage.end(),
                                     [](std::uint8_t c) { return c > 0 && c < 255; });
  const auto full = std::count(image.coverage.begin(), image.coverage.end(), 255);
  EXPECT_GT(partial, 0);
  EXPECT_GT(full, 0);
}

TEST(FontRendererTest, TitleFaceFallsBackToTheMonospacedFace) {
  TtfFontRenderer fonts;
  EXPECT_EQ(fonts.width(Face::kTitleFace, 16, "iiii"), fonts.width(Face::kTitleFace, 16, "MMMM"));
  EXPECT_NE(fonts.width(Face::kArial, 16, "iiii"), fonts.width(Face::kArial, 16, "MMMM"));
  EXPECT_NE(fonts.render(Face::kTitleFace, 16, "Title").coverage,
            fonts.render(Face::kArial, 16, "Title").coverage);
}

TEST(FontRendererTest, TitleFolderFontIsTheTitleFace) {
  ScratchFolder folder;
  folder.copy(kSystemSerif, "Orrin Digital.TTF");
  TtfFontRenderer fonts(folder.path());
  // A proportional face now, unlike the monospaced substitute.
  EXPECT_NE(fonts.width(Face::kTitleFace, 16, "iiii"), fonts.width(Face::kTitleFace, 16, "MMMM"));
  TtfFontRenderer plain;
  EXPECT_NE(fonts.render(Face::kTitleFace, 16, "Title").coverage,
            plain.render(Face::kTitleFace, 16, "Title").coverage);
  EXPECT_EQ(fonts.render(Face::kArial, 16, "Title").coverage,
            plain.render(Face::kArial, 16, "Title").coverage);
}

TEST(FontRendererTest, FindsTheTitleFaceFileByItsFoldedName) {
  ScratchFolder folder;
  EXPECT_EQ(FindTitleFaceFile(folder.path()), "");
  folder.touch("notes.txt");
  folder.touch("orrindigital.ttf.bak");
  folder.touch("Other.ttf");
  fs::create_directory(fs::path(folder.path()) / "orrindigital.otf");
  EXPECT_EQ(FindTitleFaceFile(folder.path()), "");
  folder.touch("Orrin Digital b.otf");
  folder.touch("ORRIN_digital-c.ttf");
  folder.touch("orrin-digital-a.ttf");
  // Sorted by name as stored: upper case sorts before lower case.
  EXPECT_EQ(fs::path(FindTitleFaceFile(folder.path())).filename(), "ORRIN_digital-c.ttf");
  EXPECT_EQ(FindTitleFaceFile(folder.path() + "/missing"), "");
  EXPECT_EQ(FindTitleFaceFile(""), "");
}

TEST(FontRendererTest, MacRomanTextRendersItsAccentedLetters) {
  TtfFontRenderer fonts;
  const TextImage accented = fonts.render(Face::kArial, 18, "\x8E");
  const TextImage plain = fonts.render(Face::kArial, 18, "e");
  ASSERT_GT(accented.width, 0);
  // The accent adds ink above the letter.
  EXPECT_LT(InkRows(accented).first, InkRows(plain).first);
  EXPECT_EQ(InkRows(accented).second, InkRows(plain).second);
}

TEST(FontRendererTest, EmptyTextAndOddSizes) {
  TtfFontRenderer fonts;
  const TextImage empty = fonts.render(Face::kArial, 12, "");
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.height, 0);
  EXPECT_EQ(empty.advance, 0);
  EXPECT_TRUE(empty.coverage.empty());
  EXPECT_EQ(fonts.width(Face::kTitleFace, 12, ""), 0);
  // Sizes outside 1..255 take the nearest one.
  EXPECT_EQ(fonts.width(Face::kArial, 0, "Wide text"), fonts.width(Face::kArial, 1, "Wide text"));
  EXPECT_EQ(fonts.width(Face::kArial, -40, "Wide text"), fonts.width(Face::kArial, 1, "Wide text"));
  EXPECT_EQ(fonts.width(Face::kArial, 5000, "W"), fonts.width(Face::kArial, 255, "W"));
  EXPECT_GT(fonts.width(Face::kArial, 255, "W"), fonts.width(Face::kArial, 100, "W"));
}

TEST(FontRendererTest, UnopenableFilesFallBackAndThenDrawNothing) {
  ScratchFolder folder;
  folder.touch("broken.ttf");
  const std::string broken = folder.path() + "/broken.ttf";

  TtfFontRenderer fallback(FontFiles{{broken, kSystemMono}, {kSystemMono}});
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(fallback.width(Face::kArial, 16, "iiii"), fallback.width(Face::kArial, 16, "MMMM"));
  EXPECT_GT(fallback.width(Face::kArial, 16, "MMMM"), 0);
  std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("broken.ttf"), std::string::npos);

  TtfFontRenderer none(FontFiles{{broken}, {folder.path() + "/missing.ttf"}});
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(none.width(Face::kArial, 16, "text"), 0);
  EXPECT_EQ(none.render(Face::kTitleFace, 20, "text").width, 0);
  EXPECT_EQ(none.render(Face::kArial, 30, "text").coverage.size(), 0U);
  said = ::testing::internal::GetCapturedStderr();
  const std::string notice = "no font file opens";
  const auto first = said.find(notice);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(said.find(notice, first + 1), std::string::npos) << said;
}

}  // namespace
}  // namespace lw::platform

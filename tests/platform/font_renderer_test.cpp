// The text faces over SDL2_ttf: sizes, anti-aliasing, the title face and its fallback, Mac Roman
// text, and font files that do not open.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "common/log.h"
#include "platform/fonts/ttf_fonts.h"
#include "support/temp_folder.h"

namespace lw::platform {
namespace {

namespace fs = std::filesystem;

const char* const kSystemSerif = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
const char* const kSystemMono = "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf";

// The first and one past the last row with a pixel of at least half coverage; {0, 0} for none.
std::pair<int, int> InkRows(const TextImage& image) {
  int first = image.height;
  int last = -1;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.coverage[static_cast<std::size_t>(y) * image.width + x] >= 128) {
        first = std::min(first, y);
        last = std::max(last, y);
      }
    }
  }
  return last < 0 ? std::make_pair(0, 0) : std::make_pair(first, last + 1);
}

// From the top of a capital to the bottom of a descender spans about the character height;
// edges are anti-aliased.
TEST(FontRendererTest, CharacterHeightFollowsThePixelSize) {
  TtfFontRenderer fonts;
  for (const int size : {12, 18}) {
    const TextImage image = fonts.render(Face::kArial, size, "Hg");
    const auto [top, bottom] = InkRows(image);
    EXPECT_GE(bottom - top, size * 3 / 4) << size;
    EXPECT_LE(bottom - top, size + size / 4) << size;
    EXPECT_GT(image.ascent, top) << size;
    EXPECT_LE(image.ascent, image.height) << size;
    EXPECT_EQ(image.advance, fonts.width(Face::kArial, size, "Hg")) << size;
    EXPECT_EQ(image.coverage.size(), static_cast<std::size_t>(image.width) * image.height);
    EXPECT_TRUE(std::count(image.coverage.begin(), image.coverage.end(), 255) > 0 &&
                std::count_if(image.coverage.begin(), image.coverage.end(),
                              [](std::uint8_t c) { return c > 0 && c < 255; }) > 0);
  }
  EXPECT_GT(fonts.width(Face::kArial, 18, "Hg"), fonts.width(Face::kArial, 12, "Hg"));
}

// Without a font of its own the title face is the monospaced one; a font in the title folder
// is a proportional face, and Arial does not change.
TEST(FontRendererTest, TheTitleFaceComesFromTheTitleFolderOrFallsBack) {
  test::TempFolder folder;
  fs::copy_file(kSystemSerif, folder.path() / "Orrin Digital.TTF");
  TtfFontRenderer plain;
  TtfFontRenderer own(folder.path().string());
  const auto monospaced = [](TtfFontRenderer& fonts, Face face) {
    return fonts.width(face, 16, "iiii") == fonts.width(face, 16, "MMMM");
  };
  EXPECT_TRUE(monospaced(plain, Face::kTitleFace));
  EXPECT_FALSE(monospaced(plain, Face::kArial));
  EXPECT_FALSE(monospaced(own, Face::kTitleFace));
  EXPECT_NE(plain.render(Face::kTitleFace, 16, "Title").coverage,
            plain.render(Face::kArial, 16, "Title").coverage);
  EXPECT_NE(own.render(Face::kTitleFace, 16, "Title").coverage,
            plain.render(Face::kTitleFace, 16, "Title").coverage);
  EXPECT_EQ(own.render(Face::kArial, 16, "Title").coverage,
            plain.render(Face::kArial, 16, "Title").coverage);
}

// Only *.ttf and *.otf files whose name starts "orrindigital", case, spaces, '-' and '_' aside,
// count; sorted by name as stored, so upper case comes before lower case.
TEST(FontRendererTest, FindsTheTitleFaceFileByItsFoldedName) {
  test::TempFolder folder;
  const std::string path = folder.path().string();
  EXPECT_EQ(FindTitleFaceFile(path), "");
  for (const char* name : {"notes.txt", "orrindigital.ttf.bak", "Other.ttf"})
    folder.writeFile(name, "x");
  folder.makeFolder("orrindigital.otf");
  EXPECT_EQ(FindTitleFaceFile(path), "");
  for (const char* name : {"Orrin Digital b.otf", "ORRIN_digital-c.ttf", "orrin-digital-a.ttf"})
    folder.writeFile(name, "x");
  EXPECT_EQ(fs::path(FindTitleFaceFile(path)).filename(), "ORRIN_digital-c.ttf");
  EXPECT_EQ(FindTitleFaceFile(path + "/missing"), "");
  EXPECT_EQ(FindTitleFaceFile(""), "");
}

// The accent of Mac Roman's e acute adds ink above the letter. Empty text is an empty image;
// sizes outside 1..255 take the nearest one.
TEST(FontRendererTest, MacRomanTextEmptyTextAndOddSizes) {
  TtfFontRenderer fonts;
  const TextImage accented = fonts.render(Face::kArial, 18, "\x8E");
  const TextImage plain = fonts.render(Face::kArial, 18, "e");
  EXPECT_LT(InkRows(accented).first, InkRows(plain).first);
  EXPECT_EQ(InkRows(accented).second, InkRows(plain).second);
  const TextImage empty = fonts.render(Face::kArial, 12, "");
  EXPECT_EQ(empty.width + empty.height + empty.advance + fonts.width(Face::kTitleFace, 12, ""), 0);
  EXPECT_TRUE(empty.coverage.empty());
  const int one = fonts.width(Face::kArial, 1, "Wide text");
  EXPECT_EQ(fonts.width(Face::kArial, 0, "Wide text"), one);
  EXPECT_EQ(fonts.width(Face::kArial, -40, "Wide text"), one);
  EXPECT_EQ(fonts.width(Face::kArial, 5000, "W"), fonts.width(Face::kArial, 255, "W"));
  EXPECT_GT(fonts.width(Face::kArial, 255, "W"), fonts.width(Face::kArial, 100, "W"));
}

// Files that do not open are noted on the files channel, and only when it is on; a face without
// any file that opens draws nothing, noted once.
TEST(FontRendererTest, UnopenableFilesFallBackAndThenDrawNothing) {
  test::TempFolder folder;
  const std::string broken = folder.writeFile("broken.ttf", "x").string();
  const auto logged = [](LogChannels channels, const std::function<void()>& work) {
    SetLogChannels(channels);
    ::testing::internal::CaptureStderr();
    work();
    SetLogChannels(0);
    return ::testing::internal::GetCapturedStderr();
  };
  TtfFontRenderer fallback(FontFiles{{broken, kSystemMono}, {kSystemMono}});
  const auto monospaced = [&] {
    EXPECT_GT(fallback.width(Face::kArial, 16, "MMMM"), 0);
    EXPECT_EQ(fallback.width(Face::kArial, 16, "iiii"), fallback.width(Face::kArial, 16, "MMMM"));
  };
  EXPECT_EQ(logged(0, monospaced), "") << "quiet by default";
  TtfFontRenderer none(FontFiles{{broken}, {(folder.path() / "missing.ttf").string()}});
  const std::string said = logged(LogBit(LogChannel::kFiles), [&] {
    EXPECT_EQ(none.width(Face::kArial, 16, "text"), 0);
    EXPECT_EQ(none.render(Face::kTitleFace, 20, "text").width, 0);
    EXPECT_EQ(none.render(Face::kArial, 30, "text").coverage.size(), 0U);
  });
  EXPECT_EQ(said.rfind("[files] fonts: cannot open " + broken, 0), 0u) << said;
  const std::string notice = "[files] fonts: no font file opens for the";
  const auto first = said.find(notice);
  ASSERT_NE(first, std::string::npos) << said;
  EXPECT_EQ(said.find(notice, first + 1), std::string::npos) << said;
}

}  // namespace
}  // namespace lw::platform

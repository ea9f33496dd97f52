// The text faces over SDL2_ttf: sizes, anti-aliasing, the title face and its fallback, Mac Roman
// text, and font files that do not open.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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
// edges are anti-aliased. Sizes outside 1..255 take the nearest one. The accent of Mac Roman's
// e acute adds ink above the letter; empty text is an empty image.
TEST(FontRendererTest, SizesAntiAliasingAndMacRomanText) {
  TtfFontRenderer fonts;
  const TextImage image = fonts.render(Face::kArial, 18, "Hg");
  const auto [top, bottom] = InkRows(image);
  EXPECT_TRUE(bottom - top >= 18 * 3 / 4 && bottom - top <= 18 + 18 / 4) << top << "-" << bottom;
  EXPECT_TRUE(std::count(image.coverage.begin(), image.coverage.end(), 255) > 0 &&
              std::count_if(image.coverage.begin(), image.coverage.end(),
                            [](std::uint8_t c) { return c > 0 && c < 255; }) > 0);
  EXPECT_EQ(fonts.width(Face::kArial, -40, "Wide text"), fonts.width(Face::kArial, 1, "Wide text"));
  EXPECT_EQ(fonts.width(Face::kArial, 5000, "W"), fonts.width(Face::kArial, 255, "W"));
  const TextImage accented = fonts.render(Face::kArial, 18, "\x8E");
  const TextImage plain = fonts.render(Face::kArial, 18, "e");
  EXPECT_LT(InkRows(accented).first, InkRows(plain).first);
  EXPECT_EQ(InkRows(accented).second, InkRows(plain).second);
  const TextImage empty = fonts.render(Face::kArial, 12, "");
  EXPECT_EQ(empty.width + empty.height + empty.advance + fonts.width(Face::kTitleFace, 12, ""), 0);
}

// The title face's file is the first *.ttf or *.otf in the title folder whose name starts
// "orrindigital", case, spaces, '-' and '_' aside, sorted by name as stored (upper case first).
// Without one the title face is the monospaced face; with one it is proportional, and Arial does
// not change.
TEST(FontRendererTest, TheTitleFaceComesFromTheTitleFolderOrFallsBack) {
  test::TempFolder folder;
  const std::string path = folder.path().string();
  for (const char* name : {"notes.txt", "orrindigital.ttf.bak", "Other.ttf"})
    folder.writeFile(name, "x");
  folder.makeFolder("orrindigital.otf");
  EXPECT_EQ(FindTitleFaceFile(path), "");
  for (const char* name : {"Orrin Digital b.otf", "orrin-digital-a.ttf"})
    folder.writeFile(name, "x");
  fs::copy_file(kSystemSerif, folder.path() / "ORRIN_digital-c.ttf");
  EXPECT_EQ(fs::path(FindTitleFaceFile(path)).filename(), "ORRIN_digital-c.ttf");
  EXPECT_EQ(FindTitleFaceFile(path + "/missing") + FindTitleFaceFile(""), "");
  TtfFontRenderer plain;
  TtfFontRenderer own(path);
  const auto monospaced = [](TtfFontRenderer& fonts, Face face) {
    return fonts.width(face, 16, "iiii") == fonts.width(face, 16, "MMMM");
  };
  EXPECT_TRUE(monospaced(plain, Face::kTitleFace));
  EXPECT_FALSE(monospaced(plain, Face::kArial));
  EXPECT_FALSE(monospaced(own, Face::kTitleFace));
  EXPECT_EQ(own.render(Face::kArial, 16, "Title").coverage,
            plain.render(Face::kArial, 16, "Title").coverage);
}

// Files that do not open are noted on the files channel; a face without any file that opens draws
// nothing, noted once.
TEST(FontRendererTest, UnopenableFilesAreNotedAndDrawNothing) {
  test::TempFolder folder;
  const std::string broken = folder.writeFile("broken.ttf", "x").string();
  TtfFontRenderer none(FontFiles{{broken}, {(folder.path() / "missing.ttf").string()}});
  SetLogChannels(LogBit(LogChannel::kFiles));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(none.width(Face::kArial, 16, "text") + none.render(Face::kTitleFace, 20, "text").width,
            0);
  EXPECT_EQ(none.render(Face::kArial, 30, "text").coverage.size(), 0U);
  SetLogChannels(0);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("[files] fonts: cannot open " + broken, 0), 0u) << said;
  const std::string notice = "[files] fonts: no font file opens for the";
  const auto first = said.find(notice);
  ASSERT_NE(first, std::string::npos) << said;
  EXPECT_EQ(said.find(notice, first + 1), std::string::npos) << said;
}

}  // namespace
}  // namespace lw::platform

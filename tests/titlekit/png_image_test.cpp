// PNG pictures: indexed pictures keep their indices and palette, true-colour and grey pictures
// map to a given palette, and broken files give messages.
#include "platform/png_image.h"
#include "authoring/palette_files.h"

#include <png.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "support/temp_folder.h"

namespace lw::titlekit {
namespace {

using namespace lw::authoring;

Palette TestPalette() {
  Palette palette{};
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3),
                  static_cast<std::uint8_t>(255 - i)};
  }
  return palette;
}

IndexedImage Pattern(std::int32_t width, std::int32_t height) {
  IndexedImage image;
  image.width = width;
  image.height = height;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x)
      image.pixels.push_back(static_cast<std::uint8_t>(x * 7 + y * 13));
  }
  image.palette = TestPalette();
  return image;
}

// Writes a PNG through libpng's simplified writer: `format` is one of PNG_FORMAT_*, and a
// colour-mapped format takes `colourMap` (RGB triples).
bool WriteTestPng(const std::string& path, std::uint32_t width, std::uint32_t height,
                  std::uint32_t format, const std::vector<std::uint8_t>& pixels,
                  const std::vector<std::uint8_t>& colourMap = {}) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = format;
  image.colormap_entries = static_cast<png_uint_32>(colourMap.size() / 3);
  return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0,
                                 colourMap.empty() ? nullptr : colourMap.data()) != 0;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PngImageTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return (folder_.path() / name).string(); }

 private:
  test::TempFolder folder_;
};

TEST_F(PngImageTest, IndexedPicturesRoundTrip) {
  for (auto [width, height] : {std::pair{1, 1}, std::pair{17, 5}, std::pair{320, 200}}) {
    const IndexedImage image = Pattern(width, height);
    const std::string path = file("picture.png");
    ASSERT_EQ(WritePng(path, image), std::nullopt);
    auto read = ReadPng(path);
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(read->width, width);
    EXPECT_EQ(read->height, height);
    EXPECT_EQ(read->pixels, image.pixels);
    EXPECT_EQ(read->palette, image.palette);
  }
}

TEST_F(PngImageTest, SmallPalettesKeepIndicesAndLeaveTheRestBlack) {
  // Five colours: the simplified writer stores them as a palette picture of 4-bit depth.
  const std::vector<std::uint8_t> colourMap = {10, 20,  30,  40,  50,  60,  70, 80,
                                               90, 100, 110, 120, 250, 240, 230};
  const std::vector<std::uint8_t> indices = {0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 2, 2};
  const std::string path = file("small.png");
  ASSERT_TRUE(WriteTestPng(path, 4, 3, PNG_FORMAT_RGB_COLORMAP, indices, colourMap));
  auto read = ReadPng(path);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ(read->pixels, indices);
  EXPECT_EQ(read->palette[1], (Rgb{40, 50, 60}));
  EXPECT_EQ(read->palette[4], (Rgb{250, 240, 230}));
  EXPECT_EQ(read->palette[5], (Rgb{0, 0, 0}));
  EXPECT_EQ(read->palette[255], (Rgb{0, 0, 0}));
}

TEST_F(PngImageTest, TrueColourAndGreyMapToTheNearestColourOfThePalette) {
  Palette palette{};
  palette[0] = {0, 0, 0};
  palette[1] = {255, 0, 0};
  palette[2] = {0, 255, 0};
  palette[3] = {128, 128, 128};
  palette[4] = {255, 255, 255};
  palette[5] = {255, 255, 255};  // a duplicate: the lower index wins
  // RGBA: near red, exact green, a grey, transparent, white, near black.
  const std::vector<std::uint8_t> rgba = {250, 10, 5, 255, 0,   255, 0,   255, 120, 130, 125, 255,
                                          7,   7,  7, 0,   255, 255, 255, 255, 3,   2,   1,   255};
  const std::string path = file("rgba.png");
  ASSERT_TRUE(WriteTestPng(path, 3, 2, PNG_FORMAT_RGBA, rgba));

  auto mapped = ReadPng(path, &palette, std::uint8_t{9});
  ASSERT_TRUE(mapped.ok()) << mapped.error();
  EXPECT_EQ(mapped->pixels, (std::vector<std::uint8_t>{1, 2, 3, 9, 4, 0}));
  EXPECT_EQ(mapped->palette, palette);
  auto opaque = ReadPng(path, &palette);
  ASSERT_TRUE(opaque.ok()) << opaque.error();
  EXPECT_EQ(opaque->pixels[3], 0);  // without a transparent index the colour counts
  EXPECT_TRUE(opaque->hasTransparentPixels);
  // An opaque pixel never takes the transparent index, even when its colour is the nearest.
  auto reserved = ReadPng(path, &palette, std::uint8_t{1});
  ASSERT_TRUE(reserved.ok()) << reserved.error();
  EXPECT_EQ(reserved->pixels, (std::vector<std::uint8_t>{3, 2, 3, 1, 4, 0}));

  const std::vector<std::uint8_t> grey = {0, 100, 140, 255};
  const std::string greyPath = file("grey.png");
  ASSERT_TRUE(WriteTestPng(greyPath, 2, 2, PNG_FORMAT_GRAY, grey));
  auto greyMapped = ReadPng(greyPath, &palette);
  ASSERT_TRUE(greyMapped.ok()) << greyMapped.error();
  EXPECT_EQ(greyMapped->pixels, (std::vector<std::uint8_t>{0, 3, 3, 4}));
  EXPECT_FALSE(greyMapped->hasTransparentPixels);

  auto refused = ReadPng(path);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error(), path + ": a true-colour picture needs --palette");
}

TEST_F(PngImageTest, BrokenFilesGiveMessages) {
  const std::string missing = file("missing.png");
  auto notThere = ReadPng(missing);
  ASSERT_FALSE(notThere.ok());
  EXPECT_EQ(notThere.error(), missing + ": No such file or directory");

  const std::string text = file("text.png");
  std::ofstream(text) << "not a picture at all";
  auto notPng = ReadPng(text);
  ASSERT_FALSE(notPng.ok());
  EXPECT_EQ(notPng.error(), text + ": not a PNG file");

  const std::string good = file("good.png");
  ASSERT_EQ(WritePng(good, Pattern(64, 64)), std::nullopt);
  const std::string bytes = ReadBytes(good);
  // Cut off at every few bytes, and with a damaged byte at every few positions: each read
  // fails with a message naming the file, or (a damaged ancillary byte) succeeds.
  for (std::size_t length = 0; length < bytes.size(); length += 7) {
    const std::string cut = file("cut.png");
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, length);
    auto read = ReadPng(cut);
    ASSERT_FALSE(read.ok()) << length;
    EXPECT_EQ(read.error().rfind(cut + ": ", 0), 0u) << read.error();
  }
  for (std::size_t at = 8; at < bytes.size(); at += 5) {
    std::string damaged = bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
    const std::string path = file("damaged.png");
    std::ofstream(path, std::ios::binary) << damaged;
    auto read = ReadPng(path);
    if (!read.ok()) {
      EXPECT_EQ(read.error().rfind(path + ": ", 0), 0u) << read.error();
    }
  }
}

TEST_F(PngImageTest, PalettesComeFromIndexedPicturesAndColourTableFiles) {
  const IndexedImage image = Pattern(3, 3);
  ASSERT_EQ(WritePng(file("indexed.png"), image), std::nullopt);
  auto palette = ReadPngPalette(file("indexed.png"));
  ASSERT_TRUE(palette.ok()) << palette.error();
  EXPECT_EQ(*palette, image.palette);
  ASSERT_TRUE(WriteTestPng(file("grey.png"), 1, 1, PNG_FORMAT_GRAY, {5}));
  auto none = ReadPngPalette(file("grey.png"));
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.error(), file("grey.png") + ": not an indexed picture, so it has no palette");

  const std::vector<std::uint8_t> table = EncodeColourTable(image.palette);
  std::ofstream(file("good.clut"), std::ios::binary)
      .write(reinterpret_cast<const char*>(table.data()),
             static_cast<std::streamsize>(table.size()));
  auto read = ReadColourTableFile(file("good.clut"));
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ(*read, image.palette);
  std::ofstream(file("long.clut"), std::ios::binary) << std::string(5000, '\0');
  auto tooLong = ReadColourTableFile(file("long.clut"));
  ASSERT_FALSE(tooLong.ok());
  EXPECT_EQ(tooLong.error(), file("long.clut") + ": longer than a colour table (2056 bytes)");
  std::ofstream(file("short.clut"), std::ios::binary) << std::string(100, '\0');
  EXPECT_EQ(ReadColourTableFile(file("short.clut")).error(),
            file("short.clut") + ": a colour table is 2056 bytes, not 100");
  EXPECT_FALSE(ReadColourTableFile(file("missing.clut")).ok());

  const Palette grey = GreyRamp();
  EXPECT_EQ(grey[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(grey[137], (Rgb{137, 137, 137}));
  EXPECT_EQ(grey[255], (Rgb{255, 255, 255}));
}

TEST_F(PngImageTest, WritingRefusesPicturesThatCannotBeStored) {
  IndexedImage empty;
  EXPECT_NE(WritePng(file("empty.png"), empty), std::nullopt);
  IndexedImage mismatched = Pattern(4, 4);
  mismatched.pixels.pop_back();
  EXPECT_EQ(WritePng(file("short.png"), mismatched),
            file("short.png") + ": the picture's pixels do not match its size");
  EXPECT_NE(WritePng(file("no/such/folder.png"), Pattern(2, 2)), std::nullopt);
}

}  // namespace
}  // namespace lw::titlekit

// Picture files as the authoring commands read them: PNG pictures (indexed ones keep their
// indices and palette, true-colour and grey ones map to a given palette, broken files give
// messages naming them) and colour-table files.
#include "platform/png_image.h"

#include <png.h>

#include <gtest/gtest.h>

#include <utility>

#include "authoring/palette_files.h"
#include "support/common_pictures.h"
#include "support/common_scratch_files.h"

namespace lw::authoring {
namespace {

IndexedImage Indexed(const test::Picture& picture) {
  return {picture.width, picture.height, picture.pixels, test::DistinctColours()};
}

class PngImageTest : public test::ScratchFilesTest {
 protected:
  // Writes a PNG through libpng's simplified writer: `format` is one of PNG_FORMAT_*, and a
  // colour-mapped format takes `colourMap` (RGB triples).
  std::string writeTestPng(const std::string& name, std::uint32_t width, std::uint32_t height,
                           std::uint32_t format, const std::vector<std::uint8_t>& pixels,
                           const std::vector<std::uint8_t>& colourMap = {}) const {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    image.colormap_entries = static_cast<png_uint_32>(colourMap.size() / 3);
    EXPECT_NE(png_image_write_to_file(&image, file(name).c_str(), 0, pixels.data(), 0,
                                      colourMap.empty() ? nullptr : colourMap.data()),
              0);
    return file(name);
  }
};

// Indexed pictures keep their indices and palette; the titlekit tests write and read many.
TEST_F(PngImageTest, IndexedPicturesRoundTrip) {
  // Five colours: the simplified writer stores them as a palette picture of 4-bit depth; the
  // indices stay and the entries behind the fifth are black.
  const std::vector<std::uint8_t> indices = {0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 2, 2};
  const std::string small =
      writeTestPng("small.png", 4, 3, PNG_FORMAT_RGB_COLORMAP, indices,
                   {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 250, 240, 230});
  auto read = ReadPng(small);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ(read->pixels, indices);
  EXPECT_EQ(
      std::vector<Rgb>(read->palette.begin() + 1, read->palette.begin() + 6),
      (std::vector<Rgb>{{40, 50, 60}, {70, 80, 90}, {100, 110, 120}, {250, 240, 230}, {0, 0, 0}}));
}

TEST_F(PngImageTest, TrueColourAndGreyMapToTheNearestColourOfThePalette) {
  // Black, red, green, grey, white, and white again: the lower index wins.
  const Palette palette{
      {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {128, 128, 128}, {255, 255, 255}, {255, 255, 255}}};
  // RGBA: near red, exact green, a grey, transparent, white, near black.
  const std::string rgba = writeTestPng("rgba.png", 3, 2, PNG_FORMAT_RGBA,
                                        {250, 10, 5, 255, 0,   255, 0,   255, 120, 130, 125, 255,
                                         7,   7,  7, 0,   255, 255, 255, 255, 3,   2,   1,   255});
  const std::string grey = writeTestPng("grey.png", 2, 2, PNG_FORMAT_GRAY, {0, 100, 140, 255});
  // Without a transparent index the colour counts; an opaque pixel never takes the transparent
  // index, even when its colour is the nearest. Each mapping: its indices, and whether there
  // were transparent pixels.
  std::string mapped;
  for (const auto& [path, transparent] :
       {std::pair<std::string, std::optional<std::uint8_t>>{rgba, 9},
        {rgba, std::nullopt},
        {rgba, 1},
        {grey, std::nullopt}}) {
    auto image = ReadPng(path, &palette, transparent);
    ASSERT_TRUE(image.ok()) << image.error();
    EXPECT_EQ(image->palette, palette);
    for (std::uint8_t pixel : image->pixels) mapped += std::to_string(pixel);
    mapped += image->hasTransparentPixels ? " transparent; " : "; ";
  }
  EXPECT_EQ(mapped, "123940 transparent; 123040 transparent; 323140 transparent; 0334; ");
}

TEST_F(PngImageTest, BrokenFilesAndPicturesGiveMessages) {
  const std::string missing = file("missing.png"), notPng = write("text.png", "not a picture");
  const std::string good = file("good.png");
  const std::string longer = write("long.clut", std::string(2057, '\0'));
  const std::string shorter = write("short.clut", std::string(100, '\0'));
  ASSERT_EQ(WritePng(good, Indexed(test::Shapes(64, 64))), std::nullopt);
  const std::string grey = writeTestPng("grey.png", 1, 1, PNG_FORMAT_GRAY, {5});
  IndexedImage cut = Indexed(test::Shapes(4, 4));
  cut.pixels.pop_back();
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {ReadPng(missing).error(), missing + ": No such file or directory"},
      {ReadPng(notPng).error(), notPng + ": not a PNG file"},
      {ReadPng(grey).error(), grey + ": a true-colour picture needs --palette"},
      {ReadPngPalette(grey).error(), grey + ": not an indexed picture, so it has no palette"},
      {WritePng(file("short.png"), cut),
       file("short.png") + ": the picture's pixels do not match its size"},
      {WritePng(file("empty.png"), IndexedImage{}),
       file("empty.png") + ": a PNG must be 1 to 32767 pixels a side"},
      // Colour-table files hold exactly one palette; a good one is read by the titlekit tests.
      {ReadColourTableFile(longer).error(), longer + ": longer than a colour table (2056 bytes)"},
      {ReadColourTableFile(shorter).error(), shorter + ": a colour table is 2056 bytes, not 100"},
  };
  for (const auto& [message, expected] : cases) EXPECT_EQ(message, expected);
  // Cut off at every few bytes, and with a damaged byte at every few positions: each read
  // fails with a message naming the file, or (a damaged ancillary byte) succeeds.
  const std::string bytes = text("good.png");
  for (std::size_t length = 0; length < bytes.size(); length += 7) {
    auto read = ReadPng(write("cut.png", bytes.substr(0, length)));
    ASSERT_FALSE(read.ok()) << length;
    EXPECT_EQ(read.error().rfind(file("cut.png") + ": ", 0), 0u) << read.error();
  }
  for (std::size_t at = 8; at < bytes.size(); at += 5) {
    std::string damaged = bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
    auto read = ReadPng(write("damaged.png", damaged));
    EXPECT_TRUE(read.ok() || read.error().rfind(file("damaged.png") + ": ", 0) == 0);
  }
}

}  // namespace
}  // namespace lw::authoring

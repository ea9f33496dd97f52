// PPM pictures as ffmpeg writes them, and the broken ones a reader must refuse.
#include "authoring/ppm_picture.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace lw::authoring {
namespace {

using namespace std::string_view_literals;

Expected<RgbPicture, std::string> Read(std::string_view bytes) {
  return ReadPpm({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

TEST(PpmPictureTest, ReadsTheHeaderAndThePixelsAndRefusesWhatItCannotRead) {
  // Two pixels in one row; a comment in the header; a byte behind the pixels.
  const auto picture = Read("P6\n# made by hand\n2 1\n255\n\x01\x02\x03\xFF\x0A\x20!"sv);
  ASSERT_TRUE(picture) << picture.error();
  EXPECT_EQ((std::vector<int>{picture->width, picture->height}), (std::vector<int>{2, 1}));
  EXPECT_EQ(picture->rgb, (std::vector<std::uint8_t>{1, 2, 3, 0xFF, 0x0A, 0x20}));

  const std::pair<std::string_view, std::string> cases[] = {
      {"", "not a binary PPM picture"},
      {"P3\n1 1\n255\n0 0 0\n", "not a binary PPM picture"},
      {"P6\n1\n255\n", "a PPM picture with a broken header"},
      {"P6\n1 1\n255", "a PPM picture with a broken header"},
      {"P6 1 1 65535\n\0\0\0\0\0\0", "a PPM picture of 65535 levels, not 255"},
      {"P6\n641 1\n255\n", "a PPM picture of 641 x 1, not 1..640 x 1..480"},
      {"P6\n0 1\n255\n", "a PPM picture of 0 x 1, not 1..640 x 1..480"},
      {"P6\n9999999 1\n255\n", "a PPM picture with a broken header"},
      {"P6\n2 2\n255\n\1\2\3", "a PPM picture cut short"},
  };
  for (const auto& [bytes, error] : cases) {
    const auto refused = Read(bytes);
    ASSERT_FALSE(refused) << bytes;
    EXPECT_EQ(refused.error(), error) << bytes;
  }
}

}  // namespace
}  // namespace lw::authoring

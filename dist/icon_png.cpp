// lw_icon_png: writes the program icon (resources/icon.txt, as embedded in the programs) as an
// RGBA PNG file, each pixel repeated SCALE times across and down, for the desktop's icon theme.
// Usage: lw_icon_png SCALE OUT.png
#include <png.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string_view>
#include <system_error>
#include <vector>

#include "resources/program_resources.h"

namespace {

constexpr int kIconSide = 32;
constexpr int kBytesPerPixel = 4;  // red, green, blue, alpha
constexpr int kLargestScale = 16;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The icon's rows at `scale`, each pixel repeated.
std::vector<std::uint8_t> ScaledIcon(std::span<const std::uint8_t> rgba, int scale) {
  const int side = kIconSide * scale;
  std::vector<std::uint8_t> scaled;
  scaled.reserve(static_cast<std::size_t>(side) * side * kBytesPerPixel);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const std::size_t from =
          (static_cast<std::size_t>(y / scale) * kIconSide + x / scale) * kBytesPerPixel;
      scaled.insert(scaled.end(), rgba.begin() + from, rgba.begin() + from + kBytesPerPixel);
    }
  }
  return scaled;
}

bool WriteRgbaPng(const char* path, const std::vector<std::uint8_t>& pixels, int side) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "wb"));
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < side; ++y) {
    png_write_row(png, &pixels[static_cast<std::size_t>(y) * side * kBytesPerPixel]);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(file.get()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int scale = 0;
  const std::string_view scaleText = argc == 3 ? argv[1] : "";
  const auto [end, error] =
      std::from_chars(scaleText.data(), scaleText.data() + scaleText.size(), scale);
  if (argc != 3 || error != std::errc() || end != scaleText.data() + scaleText.size() ||
      scale < 1 || scale > kLargestScale) {
    std::fprintf(stderr, "usage: lw_icon_png SCALE OUT.png (SCALE 1 to %d)\n", kLargestScale);
    return 2;
  }
  const std::span<const std::uint8_t> icon = lw::ProgramIconRgba();
  if (icon.size() != std::size_t{kIconSide} * kIconSide * kBytesPerPixel) {
    std::fprintf(stderr, "lw_icon_png: the embedded icon is not %d x %d pixels\n", kIconSide,
                 kIconSide);
    return 1;
  }
  if (!WriteRgbaPng(argv[2], ScaledIcon(icon, scale), kIconSide * scale)) {
    std::fprintf(stderr, "lw_icon_png: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}

// PNG reading and writing through libpng's classic interface. libpng reports errors by
// longjmp; every call that can fail runs inside one function that sets the jump point and
// keeps all its changing state in the PngSession it is given (never in its own locals), and
// that holds no C++ object whose destructor a jump would skip.
#include "platform/png_image.h"

#include <png.h>

#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace lw {
namespace {

constexpr std::size_t kSignatureBytes = 8;
// Pictures of a title are at most a few thousand pixels a side; the formats store sizes as i16.
constexpr std::uint32_t kMaxSide = 32767;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;
constexpr int kIndexBitDepth = 8;
constexpr int kRgbaChannels = 4;
constexpr std::uint8_t kOpaque = 0xFF;
constexpr std::uint8_t kHalfAlpha = 0x80;  // alpha below this counts as transparent
constexpr std::size_t kMessageBytes = 200;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// What one libpng read or write works on. Its members change between the jump point and a
// possible jump, which is why they live here and not in the jumping function's locals.
struct PngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::array<char, kMessageBytes> message{};
};

// libpng's error callback: keeps the message and jumps back to the session's jump point.
[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
  auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
  std::snprintf(session->message.data(), session->message.size(), "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The decoded form of a PNG before its colours are resolved: either palette indices or RGBA.
struct RawPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool indexed = false;
  std::vector<std::uint8_t> bytes;  // 1 byte (indexed) or 4 bytes (RGBA) per pixel
  Palette palette{};
};

// Reads the header and sets up the transformations to 8-bit indices or 8-bit RGBA.
void SetUpReading(PngSession& s, RawPicture& picture) {
  png_set_sig_bytes(s.png, kSignatureBytes);
  png_set_user_limits(s.png, kMaxSide, kMaxSide);
  png_read_info(s.png, s.info);
  picture.width = png_get_image_width(s.png, s.info);
  picture.height = png_get_image_height(s.png, s.info);
  const int colourType = png_get_color_type(s.png, s.info);
  picture.indexed = colourType == PNG_COLOR_TYPE_PALETTE;
  if (picture.indexed) {
    png_set_packing(s.png);
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(s.png, s.info, &entries, &count) != 0) {
      for (int i = 0; i < count && i < static_cast<int>(kPaletteEntries); ++i)
        picture.palette[i] = {entries[i].red, entries[i].green, entries[i].blue};
    }
  } else {
    png_set_strip_16(s.png);
    png_set_expand(s.png);  // grey below 8 bits to 8, a tRNS chunk to alpha
    png_set_gray_to_rgb(s.png);
    png_set_add_alpha(s.png, kOpaque, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
}

// Reads the whole picture through `rows`, which point into storage the caller has sized; false
// after a libpng error, with the message in the session.
bool ReadRows(PngSession& s, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_read_image(s.png, rows.data());
  png_read_end(s.png, nullptr);
  return true;
}

// Reads the header; false after a libpng error.
bool ReadHeader(PngSession& s, RawPicture& picture) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  SetUpReading(s, picture);
  return true;
}

// Destroys a read session's libpng structures.
struct ReadSessionGuard {
  PngSession& session;
  ~ReadSessionGuard() { png_destroy_read_struct(&session.png, &session.info, nullptr); }
};

Expected<RawPicture, std::string> ReadRawPicture(const std::string& path) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return Unexpected{path + ": " + std::strerror(errno)};
  std::array<png_byte, kSignatureBytes> signature{};
  if (std::fread(signature.data(), 1, signature.size(), file.get()) != signature.size() ||
      png_sig_cmp(signature.data(), 0, signature.size()) != 0) {
    return Unexpected{path + ": not a PNG file"};
  }
  PngSession session;
  ReadSessionGuard guard{session};
  session.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &session, OnPngError, OnPngWarning);
  if (session.png != nullptr) session.info = png_create_info_struct(session.png);
  if (session.info == nullptr) return Unexpected{path + ": out of memory"};
  png_init_io(session.png, file.get());

  RawPicture picture;
  if (!ReadHeader(session, picture)) return Unexpected{path + ": " + session.message.data()};
  if (std::uint64_t{picture.width} * picture.height > kMaxPixels)
    return Unexpected{path + ": picture too large"};
  const std::size_t rowBytes = png_get_rowbytes(session.png, session.info);
  const std::size_t pixelBytes = picture.indexed ? 1 : kRgbaChannels;
  if (rowBytes != picture.width * pixelBytes) return Unexpected{path + ": unsupported PNG layout"};
  picture.bytes.resize(rowBytes * picture.height);
  std::vector<png_bytep> rows(picture.height);
  for (std::uint32_t y = 0; y < picture.height; ++y) rows[y] = picture.bytes.data() + y * rowBytes;
  if (!ReadRows(session, rows)) return Unexpected{path + ": " + session.message.data()};
  return picture;
}

// Maps RGBA pixels to indices of `palette`, remembering each colour's answer; tells whether any
// pixel was transparent.
std::vector<std::uint8_t> MapToPalette(const std::vector<std::uint8_t>& rgba,
                                       const Palette& palette,
                                       std::optional<std::uint8_t> transparentIndex,
                                       bool& sawTransparent) {
  constexpr int kGreenShift = 8;
  constexpr int kRedShift = 16;
  std::unordered_map<std::uint32_t, std::uint8_t> known;
  std::vector<std::uint8_t> indices(rgba.size() / kRgbaChannels);
  for (std::size_t i = 0; i < indices.size(); ++i) {
    const std::uint8_t* p = &rgba[i * kRgbaChannels];
    if (p[3] < kHalfAlpha) {
      sawTransparent = true;
      if (transparentIndex) {
        indices[i] = *transparentIndex;
        continue;
      }
    }
    const std::uint32_t key =
        (std::uint32_t{p[0]} << kRedShift) | (std::uint32_t{p[1]} << kGreenShift) | p[2];
    auto [entry, added] = known.try_emplace(key, 0);
    if (added) entry->second = NearestColour(palette, Rgb{p[0], p[1], p[2]}, transparentIndex);
    indices[i] = entry->second;
  }
  return indices;
}

// Writes the header, palette and rows; false after a libpng error.
bool WriteAll(PngSession& s, const IndexedImage& image, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_set_IHDR(s.png, s.info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), kIndexBitDepth, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::array<png_color, kPaletteEntries> entries{};
  for (std::size_t i = 0; i < kPaletteEntries; ++i)
    entries[i] = {image.palette[i].red, image.palette[i].green, image.palette[i].blue};
  png_set_PLTE(s.png, s.info, entries.data(), static_cast<int>(entries.size()));
  png_write_info(s.png, s.info);
  png_write_image(s.png, rows.data());
  png_write_end(s.png, nullptr);
  return true;
}

// Destroys a write session's libpng structures.
struct WriteSessionGuard {
  PngSession& session;
  ~WriteSessionGuard() { png_destroy_write_struct(&session.png, &session.info); }
};

}  // namespace

Expected<IndexedImage, std::string> ReadPng(const std::string& path, const Palette* mapTo,
                                            std::optional<std::uint8_t> transparentIndex) {
  auto raw = ReadRawPicture(path);
  if (!raw) return Unexpected{raw.error()};
  if (!raw->indexed && mapTo == nullptr)
    return Unexpected{path + ": a true-colour picture needs --palette"};
  IndexedImage image;
  image.width = static_cast<std::int32_t>(raw->width);
  image.height = static_cast<std::int32_t>(raw->height);
  if (raw->indexed) {
    image.pixels = std::move(raw->bytes);
    image.palette = raw->palette;
  } else {
    image.pixels = MapToPalette(raw->bytes, *mapTo, transparentIndex, image.hasTransparentPixels);
    image.palette = *mapTo;
  }
  return image;
}

Expected<Palette, std::string> ReadPngPalette(const std::string& path) {
  auto raw = ReadRawPicture(path);
  if (!raw) return Unexpected{raw.error()};
  if (!raw->indexed) return Unexpected{path + ": not an indexed picture, so it has no palette"};
  return raw->palette;
}

std::optional<std::string> WritePng(const std::string& path, const IndexedImage& image) {
  if (image.width <= 0 || image.height <= 0 || static_cast<std::uint32_t>(image.width) > kMaxSide ||
      static_cast<std::uint32_t>(image.height) > kMaxSide) {
    return path + ": a PNG must be 1 to " + std::to_string(kMaxSide) + " pixels a side";
  }
  const std::size_t width = static_cast<std::size_t>(image.width);
  if (image.pixels.size() != width * static_cast<std::size_t>(image.height))
    return path + ": the picture's pixels do not match its size";
  FileHandle file(std::fopen(path.c_str(), "wb"));
  if (!file) return path + ": " + std::strerror(errno);
  PngSession session;
  WriteSessionGuard guard{session};
  session.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &session, OnPngError, OnPngWarning);
  if (session.png != nullptr) session.info = png_create_info_struct(session.png);
  if (session.info == nullptr) return path + ": out of memory";
  png_init_io(session.png, file.get());
  // libpng takes row pointers to non-const bytes but only reads them when writing.
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (std::size_t y = 0; y < rows.size(); ++y)
    rows[y] = const_cast<png_bytep>(image.pixels.data() + y * width);
  if (!WriteAll(session, image, rows)) return path + ": " + session.message.data();
  if (std::fflush(file.get()) != 0 || std::ferror(file.get()) != 0) return path + ": write error";
  return std::nullopt;
}

}  // namespace lw

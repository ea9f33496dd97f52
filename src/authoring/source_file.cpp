#include "authoring/source_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/png_image.h"

namespace lw::authoring {
namespace {

// Larger files are refused rather than read: no source of a title comes near this size.
constexpr std::uintmax_t kMaxSourceBytes = std::uintmax_t{64} << 20;

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1A\n";
constexpr std::string_view kHeaderChunk = "IHDR";
constexpr std::size_t kPngHeaderBytes = 26;
constexpr std::size_t kChunkTypeOffset = 12;
constexpr std::size_t kWidthOffset = 16;

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

std::optional<std::string> ReadSourceFile(const std::filesystem::path& path, std::string& problem) {
  const std::string name = path.string();
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    problem = name + ": is a directory";
    return std::nullopt;
  }
  if (std::filesystem::is_regular_file(path, error) &&
      std::filesystem::file_size(path, error) > kMaxSourceBytes) {
    problem = name + ": file too large (over 64 MiB)";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    problem = name + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    problem = name + ": read error";
    return std::nullopt;
  }
  return bytes;
}

bool IsPngFile(std::string_view bytes) { return bytes.starts_with(kPngSignature); }

std::optional<PngHeader> ReadPngHeader(std::string_view bytes) {
  if (bytes.size() < kPngHeaderBytes || !IsPngFile(bytes) ||
      bytes.substr(kChunkTypeOffset, kHeaderChunk.size()) != kHeaderChunk) {
    return std::nullopt;
  }
  return PngHeader{.width = BigEndian32(bytes, kWidthOffset),
                   .height = BigEndian32(bytes, kWidthOffset + 4),
                   .depth = static_cast<std::uint8_t>(bytes[kWidthOffset + 8]),
                   .colourType = static_cast<std::uint8_t>(bytes[kWidthOffset + 9])};
}

Expected<ColourTable, std::string> ReadPaletteSource(const std::filesystem::path& path,
                                                     std::string_view bytes) {
  std::vector<std::uint8_t> stored(bytes.begin(), bytes.end());
  if (IsPngFile(bytes)) {
    auto palette = ReadPngPalette(path.string());
    if (!palette) return Unexpected{palette.error()};
    stored = EncodeColourTable(*palette);
  }
  auto table = DecodeColourTable16(stored);
  if (!table) return Unexpected{"expected an indexed PNG or a colour table: " + table.error()};
  return *table;
}

}  // namespace lw::authoring

#include "authoring/palette_files.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace lw::authoring {

Expected<Palette, std::string> ReadColourTableFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Unexpected{path + ": " + std::strerror(errno)};
  // One byte more than a table is enough to tell that a file is too long.
  std::vector<std::uint8_t> bytes(kColourTableBytes + 1);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return Unexpected{path + ": read error"};
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (bytes.size() > kColourTableBytes)
    return Unexpected{path + ": longer than a colour table (" + std::to_string(kColourTableBytes) +
                      " bytes)"};
  auto palette = DecodeColourTable(bytes);
  if (!palette) return Unexpected{path + ": " + palette.error()};
  return *palette;
}

Palette GreyRamp() {
  Palette palette{};
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    const auto level = static_cast<std::uint8_t>(i);
    palette[i] = {level, level, level};
  }
  return palette;
}

}  // namespace lw::authoring

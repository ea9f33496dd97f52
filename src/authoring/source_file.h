// Reading the source files a title manifest names, with the refusals every builder shares.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "authoring/build_stamps.h"
#include "authoring/title_manifest.h"
#include "common/expected.h"
#include "shell/drawing/colour_table.h"

namespace lw::authoring {

// The bytes of a source file; nothing, with `problem` saying why ("PATH: is a directory",
// "PATH: file too large (over 64 MiB)", "PATH: <system error>" or "PATH: read error").
[[nodiscard]] std::optional<std::string> ReadSourceFile(const std::filesystem::path& path,
                                                        std::string& problem);

// What a PNG file's header says of its picture, read from its first 26 bytes (the signature and
// the IHDR chunk): the loaders check a picture's size and kind before decoding it.
struct PngHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t depth = 0;
  std::uint8_t colourType = 0;
};
inline constexpr std::uint8_t kIndexedColourType = 3;

// Whether the bytes begin with the PNG signature.
[[nodiscard]] bool IsPngFile(std::string_view bytes);
// The header of a PNG file; nothing when the bytes do not begin as one does.
[[nodiscard]] std::optional<PngHeader> ReadPngHeader(std::string_view bytes);
// A palette source: the palette of the indexed PNG at `path` (whose bytes are `bytes`), or a
// stored colour table; the problem as a manifest error says it.
[[nodiscard]] Expected<ColourTable, std::string> ReadPaletteSource(
    const std::filesystem::path& path, std::string_view bytes);

[[nodiscard]] inline std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// What the source loaders share: each file read once for each `Use` (one file may serve as a
// picture and as a palette), the bytes of every file read hashed into `hashes` (the build
// stamps), and the problems gathered as manifest errors at the place that names the file.
template <typename Use>
class SourceReading {
 public:
  explicit SourceReading(std::map<std::filesystem::path, std::uint64_t>& hashes)
      : hashes_(hashes) {}

  // False when `file` has been tried for `use` before.
  bool firstTime(Use use, const SourceFile& file) { return tried_.insert({use, file.path}).second; }

  void fail(const SourceFile& file, std::string problem) {
    errors_.push_back({file.where, std::move(problem)});
  }

  // The file's bytes, their hash noted; nothing (with the error noted) when it cannot be read.
  std::optional<std::string> read(const SourceFile& file) {
    std::string problem;
    std::optional<std::string> bytes = ReadSourceFile(file.path, problem);
    if (!bytes) {
      fail(file, std::move(problem));
      return std::nullopt;
    }
    InputHash hash;
    hash.add(*bytes);
    hashes_[file.path] = hash.value();
    return bytes;
  }

  [[nodiscard]] std::vector<ManifestError>& errors() { return errors_; }

 private:
  std::map<std::filesystem::path, std::uint64_t>& hashes_;
  std::vector<ManifestError> errors_;
  std::set<std::pair<Use, std::filesystem::path>> tried_;
};

}  // namespace lw::authoring

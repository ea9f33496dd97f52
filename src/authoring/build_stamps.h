// Build stamps: what `titlekit build` remembers between runs so that it rewrites only the
// outputs whose inputs changed. The stamp file lies in the title folder beside the outputs:
//
//   LINE        CONTENTS
//   first       "titlekit-build 1"
//   each other  HASH, one space, NAME: HASH is 16 lower-case hexadecimal digits, the input hash
//               of the output NAME (a file name in the title folder) when it was last written
//
// The input hash of an output is FNV-1a (64 bits) over everything the output is made from: the
// builder's format tag, the output's manifest entry as canonical JSON, and the name and bytes of
// each source file, each part preceded by its length so that no two inputs run together the
// same way. An output is rewritten when its hash differs from its stamp or the file is gone.
//
// The stamp file is only a cache: a missing or garbled one, or a line that does not parse,
// means those outputs are built again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lw::authoring {

inline constexpr std::string_view kBuildStampFile = ".titlekit-build";

class InputHash {
 public:
  void add(std::span<const std::uint8_t> bytes);
  void add(std::string_view text);
  [[nodiscard]] std::uint64_t value() const { return hash_; }

 private:
  void mix(std::uint8_t byte);
  std::uint64_t hash_ = 0xCBF29CE484222325;  // the FNV-1a 64 offset basis
};

using BuildStamps = std::map<std::string, std::uint64_t>;

// Reads the stamp file of `folder`; no stamps when it is missing or garbled.
[[nodiscard]] BuildStamps ReadBuildStamps(const std::filesystem::path& folder);

// Writes the stamp file of `folder` through a temporary file; the message "PATH: reason" on
// failure.
std::optional<std::string> WriteBuildStamps(const std::filesystem::path& folder,
                                            const BuildStamps& stamps);

}  // namespace lw::authoring

#include "authoring/build_stamps.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "authoring/star_output.h"

namespace lw::authoring {
namespace {

constexpr std::string_view kHeaderLine = "titlekit-build 1";
constexpr std::uint64_t kFnvPrime = 0x100000001B3;
constexpr std::size_t kHashDigits = 16;
constexpr int kHexBase = 16;

}  // namespace

void InputHash::mix(std::uint8_t byte) {
  hash_ ^= byte;
  hash_ *= kFnvPrime;
}

void InputHash::add(std::span<const std::uint8_t> bytes) {
  std::uint64_t length = bytes.size();
  for (int i = 0; i < 8; ++i, length >>= 8) mix(static_cast<std::uint8_t>(length));
  for (std::uint8_t byte : bytes) mix(byte);
}

void InputHash::add(std::string_view text) {
  add({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

BuildStamps ReadBuildStamps(const std::filesystem::path& folder) {
  std::ifstream in(folder / kBuildStampFile);
  std::string line;
  if (!std::getline(in, line) || line != kHeaderLine) return {};
  BuildStamps stamps;
  while (std::getline(in, line)) {
    if (line.size() <= kHashDigits + 1 || line[kHashDigits] != ' ') continue;
    std::uint64_t hash = 0;
    const char* end = line.data() + kHashDigits;
    const auto parsed = std::from_chars(line.data(), end, hash, kHexBase);
    if (parsed.ec != std::errc() || parsed.ptr != end) continue;
    stamps[line.substr(kHashDigits + 1)] = hash;
  }
  return stamps;
}

std::optional<std::string> WriteBuildStamps(const std::filesystem::path& folder,
                                            const BuildStamps& stamps) {
  const std::filesystem::path path = folder / kBuildStampFile;
  const std::filesystem::path temporary = path.string() + std::string(kPartialSuffix);
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << kHeaderLine << '\n';
    for (const auto& [name, hash] : stamps) {
      char digits[kHashDigits + 1] = {};
      std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
      out << digits << ' ' << name << '\n';
    }
    out.close();
    if (!out) return temporary.string() + ": write error";
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (!error) return std::nullopt;
  std::filesystem::remove(temporary, error);
  return path.string() + ": could not be replaced";
}

}  // namespace lw::authoring

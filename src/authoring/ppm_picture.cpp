#include "authoring/ppm_picture.h"

#include <optional>

namespace lw::authoring {
namespace {

constexpr std::int32_t kMaxWidth = 640;
constexpr std::int32_t kMaxHeight = 480;
constexpr int kMaxValue = 255;
constexpr int kMaxDigits = 6;  // no field that fits has more

bool IsSpace(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Reads the header's decimal fields in order, skipping whitespace and comments before each.
class HeaderReader {
 public:
  explicit HeaderReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool magic() {
    if (bytes_.size() < 2 || bytes_[0] != 'P' || bytes_[1] != '6') return false;
    at_ = 2;
    return true;
  }

  std::optional<int> number() {
    skipSpaceAndComments();
    int value = 0;
    int digits = 0;
    while (at_ < bytes_.size() && bytes_[at_] >= '0' && bytes_[at_] <= '9') {
      if (++digits > kMaxDigits) return std::nullopt;
      value = value * 10 + (bytes_[at_++] - '0');
    }
    if (digits == 0) return std::nullopt;
    return value;
  }

  // The offset of the pixels: behind the one whitespace byte that ends the header.
  std::optional<std::size_t> pixelStart() {
    if (at_ >= bytes_.size() || !IsSpace(bytes_[at_])) return std::nullopt;
    return at_ + 1;
  }

 private:
  void skipSpaceAndComments() {
    while (at_ < bytes_.size()) {
      if (IsSpace(bytes_[at_])) {
        ++at_;
      } else if (bytes_[at_] == '#') {
        while (at_ < bytes_.size() && bytes_[at_] != '\n') ++at_;
      } else {
        return;
      }
    }
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

}  // namespace

Expected<RgbPicture, std::string> ReadPpm(std::span<const std::uint8_t> bytes) {
  HeaderReader header(bytes);
  if (!header.magic()) return Unexpected{std::string("not a binary PPM picture")};
  const auto width = header.number();
  const auto height = header.number();
  const auto maxValue = header.number();
  const auto start = header.pixelStart();
  if (!width || !height || !maxValue || !start)
    return Unexpected{std::string("a PPM picture with a broken header")};
  if (*maxValue != kMaxValue)
    return Unexpected{"a PPM picture of " + std::to_string(*maxValue) + " levels, not 255"};
  if (*width < 1 || *width > kMaxWidth || *height < 1 || *height > kMaxHeight) {
    return Unexpected{"a PPM picture of " + std::to_string(*width) + " x " +
                      std::to_string(*height) + ", not 1..640 x 1..480"};
  }
  const auto size = static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height) * 3;
  if (bytes.size() - *start < size) return Unexpected{std::string("a PPM picture cut short")};
  const auto pixels = bytes.subspan(*start, size);
  return RgbPicture{*width, *height, {pixels.begin(), pixels.end()}};
}

}  // namespace lw::authoring

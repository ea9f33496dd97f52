// Length-prefixed strings: a length byte and up to Capacity characters, the form of every name,
// path, message and script text. PString holds up to 255 characters; names hold up to 15.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lw {

template <std::size_t Capacity>
class BoundedString {
  static_assert(Capacity <= 255, "a length byte cannot count further");

 public:
  static constexpr std::size_t kCapacity = Capacity;

  BoundedString() = default;

  // Builds from text that is known to fit; longer text is cut at the capacity.
  static BoundedString truncated(std::string_view text) {
    BoundedString s;
    s.length_ = static_cast<std::uint8_t>(std::min(text.size(), Capacity));
    std::copy_n(text.data(), s.length_, s.chars_.data());
    return s;
  }

  // Replaces the contents; false (and unchanged) when the text does not fit.
  constexpr bool assign(std::string_view text) {
    if (text.size() > Capacity) return false;
    length_ = static_cast<std::uint8_t>(text.size());
    std::copy_n(text.data(), length_, chars_.data());
    return true;
  }

  // Appends; false (and unchanged) when the result would not fit.
  constexpr bool append(std::string_view text) {
    if (text.size() > Capacity - length_) return false;
    std::copy_n(text.data(), text.size(), chars_.data() + length_);
    length_ = static_cast<std::uint8_t>(length_ + text.size());
    return true;
  }

  constexpr void clear() { length_ = 0; }
  [[nodiscard]] constexpr std::size_t size() const { return length_; }
  [[nodiscard]] constexpr bool empty() const { return length_ == 0; }
  [[nodiscard]] constexpr std::string_view view() const { return {chars_.data(), length_}; }
  [[nodiscard]] std::string str() const { return std::string(view()); }
  [[nodiscard]] constexpr char operator[](std::size_t i) const { return chars_[i]; }

 private:
  std::uint8_t length_ = 0;
  std::array<char, Capacity> chars_;  // only the first length_ are meaningful; not cleared, as
                                      // texts are made and dropped on every statement
};

using PString = BoundedString<255>;  // any text value
using Name15 = BoundedString<15>;    // object and variable names in 16-byte fields
using Title17 = BoundedString<17>;   // script titles kept for error context

}  // namespace lw

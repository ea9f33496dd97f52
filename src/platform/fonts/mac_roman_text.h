// Text of the titles is Mac Roman; the libraries that draw or print it want UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace lw::platform {

// The UTF-8 form of a Mac Roman text (bytes below 0x80 are ASCII in both and pass unchanged).
[[nodiscard]] std::string Utf8FromMacRoman(std::string_view macRoman);

}  // namespace lw::platform

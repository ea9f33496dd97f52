#include "objects/stored_name.h"

#include <algorithm>

namespace lw {

bool ReadTextField(ByteReader& in, std::size_t fieldBytes, std::string& out) {
  const std::span<const std::uint8_t> field = in.bytes(fieldBytes);
  if (field.empty() || field[0] >= fieldBytes) return false;
  out.assign(reinterpret_cast<const char*>(field.data()) + 1, field[0]);
  return true;
}

void WriteTextField(ByteWriter& out, std::size_t fieldBytes, std::string_view text) {
  const std::size_t length = std::min(text.size(), fieldBytes - 1);
  out.u8(static_cast<std::uint8_t>(length));
  out.bytes({reinterpret_cast<const std::uint8_t*>(text.data()), length});
  out.zeros(fieldBytes - 1 - length);
}

}  // namespace lw

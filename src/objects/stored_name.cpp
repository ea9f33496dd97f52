#include "objects/stored_name.h"

#include <algorithm>

namespace lw {

bool ReadStoredName(ByteReader& in, std::string& out) {
  const std::span<const std::uint8_t> field = in.bytes(kStoredNameBytes);
  if (field.empty()) return false;
  if (field[0] > kMaxStoredNameLength) return false;
  out.assign(reinterpret_cast<const char*>(field.data()) + 1, field[0]);
  return true;
}

void WriteStoredName(ByteWriter& out, const std::string& name) {
  const std::size_t length = std::min(name.size(), kMaxStoredNameLength);
  out.u8(static_cast<std::uint8_t>(length));
  out.bytes({reinterpret_cast<const std::uint8_t*>(name.data()), length});
  out.zeros(kStoredNameBytes - 1 - length);
}

}  // namespace lw

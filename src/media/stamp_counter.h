// The system's single source of fresh 32-bit numbers: star-file serial numbers, cache use
// stamps and object serials all come from one counter, which is incremented before each draw.
#pragma once

#include <cstdint>

namespace lw {

class StampCounter {
 public:
  std::uint32_t next() { return ++value_; }
  [[nodiscard]] std::uint32_t current() const { return value_; }

 private:
  std::uint32_t value_ = 0;
};

}  // namespace lw

#include "script/stack_room.h"

#include <pthread.h>

namespace lw {
namespace {

// Room kept below the threshold for the deepest stretch between two checks. Sanitizers make
// frames several times larger.
// g++ announces AddressSanitizer with a macro, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define LW_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LW_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef LW_ADDRESS_SANITIZER
constexpr std::size_t kReserve = 256 * 1024;
#else
constexpr std::size_t kReserve = 64 * 1024;
#endif

std::uintptr_t Here() { return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)); }

}  // namespace

StackGauge::StackGauge() { measure(); }

void StackGauge::measure() {
  pthread_attr_t attr;
  void* base = nullptr;
  std::size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    pthread_attr_getstack(&attr, &base, &size);
    pthread_attr_destroy(&attr);
  }
  if (base == nullptr || size <= kReserve) {
    // Unknown stack: assume a conservative 512 KiB below here.
    limitTo(512 * 1024);
    return;
  }
  low_ = reinterpret_cast<std::uintptr_t>(base) + kReserve;
}

void StackGauge::limitTo(std::size_t bytes) {
  std::uintptr_t here = Here();
  low_ = here > bytes ? here - bytes : 0;
}

}  // namespace lw

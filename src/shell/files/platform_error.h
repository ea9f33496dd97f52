// The platform error numbers that choose the texts of fatal and disc boxes, and how the Linux
// errno values map onto them. The file layer records the mapped number after every failed call,
// the way the thread's last error works on the platform these titles were made for, and the
// error reporter reads it first.
#pragma once

#include <cstdint>

namespace lw {

namespace platform_error {
inline constexpr std::int32_t kNone = 0;
inline constexpr std::int32_t kFileNotFound = 2;
inline constexpr std::int32_t kPathNotFound = 3;
inline constexpr std::int32_t kTooManyOpenFiles = 4;
inline constexpr std::int32_t kAccessDenied = 5;
inline constexpr std::int32_t kInvalidHandle = 6;
inline constexpr std::int32_t kNotEnoughMemory = 8;
inline constexpr std::int32_t kOutOfMemory = 14;
inline constexpr std::int32_t kNoMoreFiles = 18;  // a directory search has no further entry
inline constexpr std::int32_t kWriteProtected = 19;
inline constexpr std::int32_t kNotReady = 21;
inline constexpr std::int32_t kDataError = 23;
inline constexpr std::int32_t kSeekError = 25;
inline constexpr std::int32_t kSectorNotFound = 27;
inline constexpr std::int32_t kSharingViolation = 32;
inline constexpr std::int32_t kDiskFull = 39;
inline constexpr std::int32_t kInvalidParameter = 87;
inline constexpr std::int32_t kDiskChange = 107;
inline constexpr std::int32_t kFileExists = 80;
inline constexpr std::int32_t kGenericFailure =
    31;  // "a device attached to the system is not functioning"
}  // namespace platform_error

// The platform error number for an errno value (the table is in the .cpp); 0 for 0.
[[nodiscard]] std::int32_t PlatformErrorFromErrno(int errnoValue);

// The last platform error of the process: written by the file layer after each failed call,
// read by the reporters. One per runtime, owned by whoever owns the file layer.
class LastPlatformError {
 public:
  void set(std::int32_t value) { value_ = value; }
  void setFromErrno(int errnoValue) { value_ = PlatformErrorFromErrno(errnoValue); }
  [[nodiscard]] std::int32_t get() const { return value_; }

 private:
  std::int32_t value_ = platform_error::kNone;
};

}  // namespace lw

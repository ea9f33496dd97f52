// The platform error numbers that choose the texts of fatal and disc boxes, and how the Linux
// errno values map onto them. The file layer records the mapped number after every failed call,
// the way the thread's last error works on the platform these titles were made for, and the
// error reporter reads it first.
#pragma once

#include <cstdint>
#include <utility>

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

// The last platform error of the process: the file layer clears it when an operation starts and
// sets it when a call fails, so it always belongs to the latest file operation; the reporters
// read it. One per runtime, owned by whoever owns the file layer.
class LastPlatformError {
 public:
  void set(std::int32_t value) { value_ = value; }
  void setFromErrno(int errnoValue) { value_ = PlatformErrorFromErrno(errnoValue); }
  void clear() { value_ = platform_error::kNone; }
  [[nodiscard]] std::int32_t get() const { return value_; }
  // The error, cleared: a report takes the error it names, so that a later failure that is no
  // file call's does not inherit it.
  std::int32_t take() { return std::exchange(value_, platform_error::kNone); }

 private:
  std::int32_t value_ = platform_error::kNone;
};

// A stretch of file calls whose misses are answers, not failures: is there a plug-in folder,
// which of these paths holds the file, has the listing ended. The last platform error is put
// back as it was when the stretch ends, so that none of those misses is taken for the cause of
// a later failure.
class PlatformErrorProbe {
 public:
  explicit PlatformErrorProbe(LastPlatformError& error) : error_(error), before_(error.get()) {}
  ~PlatformErrorProbe() { error_.set(before_); }
  PlatformErrorProbe(const PlatformErrorProbe&) = delete;
  PlatformErrorProbe& operator=(const PlatformErrorProbe&) = delete;

 private:
  LastPlatformError& error_;
  std::int32_t before_;
};

}  // namespace lw

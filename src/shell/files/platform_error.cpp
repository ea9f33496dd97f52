#include "shell/files/platform_error.h"

#include <array>
#include <cerrno>

namespace lw {
namespace {

struct ErrnoMapping {
  int errnoValue;
  std::int32_t platformError;
};

// errno -> platform error number. The numbers are those the fatal and disc boxes choose their
// texts by; several errno values share one number where the player's remedy is the same.
//   ENOENT                      2  file not found
//   ENOTDIR, ENAMETOOLONG, ELOOP 3 path not found (a folder on the way is missing or unusable)
//   EMFILE, ENFILE              4  too many open files
//   EACCES, EPERM, EISDIR       5  access denied (a folder opened or deleted as a file)
//   EBADF                       6  invalid handle
//   ENOMEM                      8  not enough memory
//   EROFS                      19  write protected
//   ENXIO, ENODEV, ENOMEDIUM   21  not ready (no disc in the drive)
//   EIO                        23  data error (a dirty or damaged disc)
//   ESPIPE                     25  seek error
//   EBUSY, ETXTBSY             32  sharing violation
//   ENOSPC, EDQUOT             39  disk full
//   EEXIST                     80  file exists
//   EINVAL                     87  invalid parameter
//   anything else              31  generic failure
constexpr std::array<ErrnoMapping, 23> kErrnoTable = {{
    {ENOENT, platform_error::kFileNotFound},
    {ENOTDIR, platform_error::kPathNotFound},
    {ENAMETOOLONG, platform_error::kPathNotFound},
    {ELOOP, platform_error::kPathNotFound},
    {EMFILE, platform_error::kTooManyOpenFiles},
    {ENFILE, platform_error::kTooManyOpenFiles},
    {EACCES, platform_error::kAccessDenied},
    {EPERM, platform_error::kAccessDenied},
    {EISDIR, platform_error::kAccessDenied},
    {EBADF, platform_error::kInvalidHandle},
    {ENOMEM, platform_error::kNotEnoughMemory},
    {EROFS, platform_error::kWriteProtected},
    {ENXIO, platform_error::kNotReady},
    {ENODEV, platform_error::kNotReady},
    {ENOMEDIUM, platform_error::kNotReady},
    {EIO, platform_error::kDataError},
    {ESPIPE, platform_error::kSeekError},
    {EBUSY, platform_error::kSharingViolation},
    {ETXTBSY, platform_error::kSharingViolation},
    {ENOSPC, platform_error::kDiskFull},
    {EDQUOT, platform_error::kDiskFull},
    {EEXIST, platform_error::kFileExists},
    {EINVAL, platform_error::kInvalidParameter},
}};

}  // namespace

std::int32_t PlatformErrorFromErrno(int errnoValue) {
  if (errnoValue == 0) return platform_error::kNone;
  for (const ErrnoMapping& mapping : kErrnoTable)
    if (mapping.errnoValue == errnoValue) return mapping.platformError;
  return platform_error::kGenericFailure;
}

}  // namespace lw

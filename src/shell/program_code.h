// The 16-bit result codes of the resource and platform layers. 0 is success; every operation
// of the file layer, the star files and the resource cache gives one of these, and callers pass
// a failure up unchanged until one of them reports it through ReportError.
#pragma once

#include <cstdint>

namespace lw {

enum class [[nodiscard]] ProgramCode : std::int16_t{
    kOk = 0,
    kUndefined = 100,     // bad record id, or a record block that does not match its index entry
    kBadStarSize = 101,   // the star file's header disagrees with the file (size, tables, index)
    kMemory = 102,        // no memory for a record; a file copy asked to run the wrong way
    kHandleCache = 103,   // release or replace of a record that is not cached
    kPackUseCount = 104,  // a lock count below 0, replace of an unlocked record, close while locked
    kText = 105,
    kBadStarVersion = 106,  // the version field is not 0x00010000
    kFile = 107,            // any failure of the file layer
    kLockUseCount = 108,
    kVisualEffect = 109,
    kLogic = 110,
    kBadFileType = 111,
};

[[nodiscard]] constexpr bool Failed(ProgramCode code) { return code != ProgramCode::kOk; }
[[nodiscard]] constexpr std::int16_t CodeNumber(ProgramCode code) {
  return static_cast<std::int16_t>(code);
}

}  // namespace lw

// Returns a failure code from the enclosing function; the caller passes it up unchanged.
#define LW_TRY_CODE(expr)                                                                      \
  do {                                                                                         \
    if (::lw::ProgramCode lw_try_code = (expr); ::lw::Failed(lw_try_code)) return lw_try_code; \
  } while (0)

// ScriptFrame: one level of a script chain (an object's own script, then its containers').
// The frames of one chain lie one after another in memory; the last has `last` set.
#pragma once

#include <cstdint>

#include "script/bounded_string.h"
#include "script/error_codes.h"

namespace lw {

class CompiledScript;

struct ScriptFrame {
  bool last = true;
  std::uint32_t starSerial = 0;    // serial of the star file that holds the script
  std::int32_t recordId = 0;       // record id of the script
  std::int32_t statementPos = 0;   // token index of the statement being run, for error reports
  const void* starFile = nullptr;  // the open star file (owned by the storage layer)
  CompiledScript* script = nullptr;
  ScriptError errorCode = ScriptError::None;  // the last failure in this frame
  int cacheHandle = -1;                       // compiled-script cache handle to release afterwards
  Name15 me;                                  // what `me` yields
  Title17 title;  // "Actor Script: " and the like, for the error context
  Name15 target;  // what `target` yields
};

// Titles of frames that the runtime itself makes.
inline constexpr std::string_view kBootMessageTitle = "Boot Message: ";
inline constexpr std::string_view kMsgBoxMessageTitle = "Msg Box Message: ";
inline constexpr std::string_view kSystemName = "System";

}  // namespace lw

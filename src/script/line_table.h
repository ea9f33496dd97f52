// Line tables: which source line each token of a compiled script came from, so that an error
// report can name a line rather than a token position. titlekit stores one beside the scripts
// it compiles, in a record of its own, and leaves the scripts' records as they are; a star file
// without one plays the same, its reports naming token positions.
//
// Stored form, one record (little-endian):
//
//   OFFSET  SIZE   DESCRIPTION
//   0       4      magic "LWLT"
//   4       u16    version, 1
//   6       u16    script count S
//   8       ...    S script entries, one after another:
//     +0    u32    record id of the script
//     +4    u32    token count of the script, end token included; a table whose count differs
//                  from the script's was made for another version of it and is not used
//     +8    u32    run count R (1 or more)
//     +12   8 x R  runs: u32 first token index, u32 source line (1 or more); the first run starts
//                  at token 0, first tokens ascend strictly and stay below the token count
//
// A token's line is the line of the last run that starts at or before it.
//
// Where a reader finds it: the star file's last record (the highest id handed out), recognised
// by its magic. Every count and index is checked against the bytes and against each other
// before use; a record that fails any check is no line table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"

namespace lw {

// Lines of one script: a run of tokens from `firstToken` on came from source line `line`.
struct LineRun {
  std::uint32_t firstToken = 0;
  std::uint32_t line = 0;
};

struct ScriptLines {
  std::int32_t recordId = 0;
  std::uint32_t tokenCount = 0;
  std::vector<LineRun> runs;
};

// The lines of a script's tokens (one entry per token, end token included) as runs.
[[nodiscard]] ScriptLines MakeScriptLines(std::int32_t recordId,
                                          std::span<const std::uint32_t> tokenLines);

class LineTable {
 public:
  // Reads a stored table; the reason when the bytes are not one.
  static Expected<LineTable, std::string> Decode(std::span<const std::uint8_t> bytes);

  // Whether the bytes begin with the magic, so are meant to be a line table.
  [[nodiscard]] static bool HasMagic(std::span<const std::uint8_t> bytes);

  explicit LineTable(std::vector<ScriptLines> scripts) : scripts_(std::move(scripts)) {}

  [[nodiscard]] std::vector<std::uint8_t> Encode() const;

  // The source line of `token` in the script of record `recordId` with `tokenCount` tokens;
  // nothing when the table has no entry for that script, or a stale one, or the token is out
  // of range.
  [[nodiscard]] std::optional<int> lineOf(std::int32_t recordId, std::size_t tokenCount,
                                          std::int64_t token) const;

  [[nodiscard]] const std::vector<ScriptLines>& scripts() const { return scripts_; }

 private:
  std::vector<ScriptLines> scripts_;
};

}  // namespace lw

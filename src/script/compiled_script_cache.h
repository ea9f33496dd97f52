// The compiled-script cache. A script runs from the cache's own copy of its star-file record,
// so that the interpreter can write its run-time caches into the tokens, and so that the next
// message to the same object finds the script at once. Entries are keyed by (star file, record
// id) and held by use counts while a script chain runs; idle copies are trimmed one per main-loop
// pass beyond 128 and purged least recently used under memory pressure; the entries of a closed
// star file turn stale and leave at the next trim.
//
// The cache also answers which source line a cached script's token came from, from the line
// table of the script's star file (line_table.h). A file's table is read the first time a line
// is asked for and kept, parsed, until the file closes; a file without one (or with a corrupt
// one) is remembered as having none.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "media/star_library.h"
#include "script/compiled_script.h"
#include "script/line_table.h"
#include "shell/error_report.h"

namespace lw {

// Error lines of the compiled-script cache's fatal reports.
namespace errline {
inline constexpr std::int16_t kScriptRecordLoad = 4300;
inline constexpr std::int16_t kScriptMemory = 4301;
inline constexpr std::int16_t kScriptRecordRelease = 4302;
inline constexpr std::int16_t kScriptRecordInvalid = 4303;
inline constexpr std::int16_t kScriptReleaseUnknown = 4304;
inline constexpr std::int16_t kScriptReleaseTooOften = 4305;
inline constexpr std::int16_t kScriptTrimInUse = 4306;
inline constexpr std::int16_t kScriptShutDownInUse = 4307;
}  // namespace errline

class CompiledScriptCache {
 public:
  static constexpr std::size_t kMaxIdleScripts = 128;
  static constexpr std::int64_t kReserveBeyondRecord = 20000;

  // Installs the close and memory hooks in `library`, which must outlive the cache.
  CompiledScriptCache(StarLibrary& library, ErrorReporter& errors);
  // Removes the hooks; an entry still in use is a fatal error.
  ~CompiledScriptCache();

  CompiledScriptCache(const CompiledScriptCache&) = delete;
  CompiledScriptCache& operator=(const CompiledScriptCache&) = delete;

  // The cached copy of the script in record `recordId` of `file`, with one use counted. A record
  // that cannot be loaded or is not a valid compiled script is reported and gives null.
  CompiledScript* GetCompiledScript(StarFile& file, std::int32_t recordId);
  // Drops one use; a script that is not cached or is not in use is a fatal error.
  void ReleaseCompiledScript(CompiledScript* script);

  // Once per main-loop pass, when no script runs: removes the first stale entry, then the
  // least recently used idle one when more than 128 remain.
  void TrimCompiledScripts();

  // The source line of token `token` of a cached script, when its star file has a line table
  // that covers it; nothing for a script that is not cached or whose file has gone.
  std::optional<int> sourceLineOf(const CompiledScript& script, int token);

  [[nodiscard]] std::size_t size() const { return entries_.size(); }
  // The use count of a cached script, -1 when it is not cached.
  [[nodiscard]] int useCount(const CompiledScript* script) const;

 private:
  struct Entry {
    StarFile* file = nullptr;
    std::int32_t recordId = 0;  // -1 once the file has gone
    std::uint32_t useStamp = 0;
    std::unique_ptr<CompiledScript> script;
    std::size_t bytes = 0;  // size of the record the copy was made from
    std::int16_t useCount = 0;
    bool stale = false;
  };

  // A star file's line table, read at its first use; null when the file has none.
  struct FileLines {
    StarFile* file = nullptr;
    std::optional<LineTable> table;
  };

  ProgramCode ForgetStarFile(StarFile& file);
  const LineTable* linesOf(StarFile& file);
  std::optional<LineTable> ReadLineTable(StarFile& file);
  ProgramCode PurgeCompiledScripts(std::int64_t& missing);
  void removeEntry(std::size_t index);

  StarLibrary& library_;
  ErrorReporter& errors_;
  std::vector<Entry> entries_;
  std::vector<FileLines> lines_;
  std::uint32_t useCounter_ = 0;
};

}  // namespace lw

#include "script/compiled_script_cache.h"

#include <algorithm>
#include <limits>

namespace lw {

namespace {
constexpr std::int16_t kLogic = CodeNumber(ProgramCode::kLogic);
// A last record longer than this is some title data, not a line table, and is not read for one.
constexpr std::uint32_t kMaxLineTableBytes = 4u << 20;
}  // namespace

CompiledScriptCache::CompiledScriptCache(StarLibrary& library, ErrorReporter& errors)
    : library_(library), errors_(errors) {
  library_.setCloseHook([this](StarFile& file) { return ForgetStarFile(file); });
  library_.setMemoryHook([this](std::int64_t& missing) { return PurgeCompiledScripts(missing); });
}

CompiledScriptCache::~CompiledScriptCache() {
  library_.setCloseHook(nullptr);
  library_.setMemoryHook(nullptr);
  for (const Entry& entry : entries_) {
    if (entry.useCount != 0) {
      errors_.ReportError(kLogic, errline::kScriptShutDownInUse);
      break;
    }
  }
}

CompiledScript* CompiledScriptCache::GetCompiledScript(StarFile& file, std::int32_t recordId) {
  for (Entry& entry : entries_) {
    if (entry.file == &file && entry.recordId == recordId && !entry.stale) {
      ++entry.useCount;
      entry.useStamp = ++useCounter_;
      return entry.script.get();
    }
  }

  RecordBlock* record = nullptr;
  if (ProgramCode code = library_.StarGetResource(file, recordId, record); Failed(code)) {
    errors_.ReportError(CodeNumber(code), errline::kScriptRecordLoad);
    return nullptr;
  }
  const std::size_t bytes = record->size();
  ProgramCode reserveCode = ProgramCode::kOk;
  if (!library_.ReserveMemory(static_cast<std::int64_t>(bytes) + kReserveBeyondRecord,
                              &reserveCode)) {
    // The record is still locked: give it back before reporting.
    (void)library_.StarReleaseResource(file, recordId);
    errors_.ReportError(CodeNumber(Failed(reserveCode) ? reserveCode : ProgramCode::kMemory),
                        errline::kScriptMemory);
    return nullptr;
  }
  auto parsed = CompiledScript::FromBytes(*record);
  if (ProgramCode code = library_.StarReleaseResource(file, recordId); Failed(code)) {
    errors_.ReportError(CodeNumber(code), errline::kScriptRecordRelease);
    return nullptr;
  }
  if (!parsed) {
    errors_.ReportError(kLogic, errline::kScriptRecordInvalid);
    return nullptr;
  }

  Entry entry;
  entry.file = &file;
  entry.recordId = recordId;
  entry.useStamp = ++useCounter_;
  entry.script = std::make_unique<CompiledScript>(std::move(parsed).value());
  entry.script->decode();  // a cached script is run again and again: run it from its decoded form
  entry.bytes = bytes;
  entry.useCount = 1;
  entries_.push_back(std::move(entry));
  return entries_.back().script.get();
}

void CompiledScriptCache::ReleaseCompiledScript(CompiledScript* script) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [script](const Entry& e) { return e.script.get() == script; });
  if (it == entries_.end()) {
    errors_.ReportError(kLogic, errline::kScriptReleaseUnknown);
    return;
  }
  if (it->useCount <= 0) {
    errors_.ReportError(kLogic, errline::kScriptReleaseTooOften);
    return;
  }
  --it->useCount;
}

void CompiledScriptCache::TrimCompiledScripts() {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].stale) {
      removeEntry(i);
      break;
    }
    if (entries_[i].useCount != 0) {
      errors_.ReportError(kLogic, errline::kScriptTrimInUse);
      return;
    }
  }
  if (entries_.size() <= kMaxIdleScripts) return;
  std::size_t oldest = entries_.size();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].useCount != 0) continue;
    if (oldest == entries_.size() || entries_[i].useStamp < entries_[oldest].useStamp) oldest = i;
  }
  if (oldest != entries_.size()) removeEntry(oldest);
}

int CompiledScriptCache::useCount(const CompiledScript* script) const {
  for (const Entry& entry : entries_)
    if (entry.script.get() == script) return entry.useCount;
  return -1;
}

std::optional<int> CompiledScriptCache::sourceLineOf(const CompiledScript& script, int token) {
  const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                  [&script](const Entry& e) { return e.script.get() == &script; });
  if (entry == entries_.end() || entry->file == nullptr) return std::nullopt;
  const std::int32_t recordId = entry->recordId;
  // Reading the table may purge idle entries, so nothing of `entry` is used after it.
  const LineTable* table = linesOf(*entry->file);
  if (table == nullptr) return std::nullopt;
  return table->lineOf(recordId, script.tokenCount(), token);
}

const LineTable* CompiledScriptCache::linesOf(StarFile& file) {
  for (const FileLines& known : lines_)
    if (known.file == &file) return known.table ? &*known.table : nullptr;
  // A parked file's records are not for reading; it is asked again once it is back in use.
  if (file.parked) return nullptr;
  lines_.push_back({&file, ReadLineTable(file)});
  return lines_.back().table ? &*lines_.back().table : nullptr;
}

// The file's last record, when it is a well-formed line table. Any failure to read it, or a record
// that is not one, means the file has none: the reports then name token positions.
std::optional<LineTable> CompiledScriptCache::ReadLineTable(StarFile& file) {
  const std::uint32_t nextId = file.header().nextId;
  if (nextId == 0 || nextId > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
    return std::nullopt;
  const auto lastId = static_cast<std::int32_t>(nextId - 1);
  std::uint32_t length = 0;
  if (Failed(file.RecordLength(lastId, length)) || length > kMaxLineTableBytes) {
    return std::nullopt;
  }
  RecordBlock* record = nullptr;
  if (Failed(library_.StarGetResource(file, lastId, record))) return std::nullopt;
  std::optional<LineTable> table;
  if (LineTable::HasMagic(*record)) {
    if (auto decoded = LineTable::Decode(*record)) table = std::move(decoded).value();
  }
  (void)library_.StarReleaseResource(file, lastId);  // a read-only use: nothing to write back
  return table;
}

ProgramCode CompiledScriptCache::ForgetStarFile(StarFile& file) {
  std::erase_if(lines_, [&file](const FileLines& known) { return known.file == &file; });
  for (Entry& entry : entries_) {
    if (entry.file != &file) continue;
    entry.stale = true;
    entry.recordId = -1;
    entry.file = nullptr;  // the file object is about to be freed
  }
  return ProgramCode::kOk;
}

ProgramCode CompiledScriptCache::PurgeCompiledScripts(std::int64_t& missing) {
  while (missing > 0) {
    std::size_t oldest = entries_.size();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].useCount != 0) continue;
      if (oldest == entries_.size() || entries_[i].useStamp < entries_[oldest].useStamp) oldest = i;
    }
    if (oldest == entries_.size()) break;
    missing -= static_cast<std::int64_t>(entries_[oldest].bytes);
    removeEntry(oldest);
  }
  return ProgramCode::kOk;
}

void CompiledScriptCache::removeEntry(std::size_t index) {
  if (index + 1 != entries_.size()) entries_[index] = std::move(entries_.back());
  entries_.pop_back();
}

}  // namespace lw

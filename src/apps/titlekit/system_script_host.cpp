#include "apps/titlekit/system_script_host.h"

#include <charconv>
#include <filesystem>

#include "apps/titlekit/script_files.h"

namespace lw::titlekit {

std::optional<RecordName> ParseRecordName(std::string_view name) {
  const std::size_t hash = name.rfind('#');
  if (hash == std::string_view::npos || hash == 0) return std::nullopt;
  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::path(name), ec)) return std::nullopt;
  const std::string_view digits = name.substr(hash + 1);
  RecordName record{std::string(name.substr(0, hash)), 0};
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), record.id);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      record.id < 0) {
    return std::nullopt;
  }
  return record;
}

SystemScriptHost::~SystemScriptHost() {
  if (file_ != nullptr) (void)storage_->library.StarClose(*file_);
}

Expected<std::unique_ptr<SystemScriptHost>, std::string> SystemScriptHost::Open(
    const std::string& name) {
  auto host = std::make_unique<SystemScriptHost>();
  const std::optional<RecordName> record = ParseRecordName(name);
  if (!record) {
    auto loaded = LoadScriptFile(name);
    if (!loaded) return Unexpected{loaded.error()};
    host->loaded_ = std::move(loaded).value();
    return host;
  }

  host->storage_ = std::make_unique<Storage>();
  StarLibrary& library = host->storage_->library;
  if (ProgramCode code = library.StarOpen(record->file, host->file_); Failed(code)) {
    host->file_ = nullptr;
    return Unexpected{record->file + ": error " + std::to_string(CodeNumber(code))};
  }
  host->recordId_ = record->id;
  // Check the record here, so that a wrong id or a record that holds no script is a plain
  // message rather than a fatal box from the cache.
  RecordBlock* block = nullptr;
  if (ProgramCode code = library.StarGetResource(*host->file_, record->id, block); Failed(code)) {
    return Unexpected{name + ": error " + std::to_string(CodeNumber(code))};
  }
  auto valid = CompiledScript::FromBytes(*block);
  (void)library.StarReleaseResource(*host->file_, record->id);
  if (!valid) return Unexpected{name + ": " + valid.error()};
  return host;
}

CompiledScript* SystemScriptHost::acquireSystemScript() {
  if (loaded_) return &*loaded_;
  if (file_ == nullptr) return nullptr;
  return storage_->scripts.GetCompiledScript(*file_, recordId_);
}

void SystemScriptHost::releaseSystemScript(CompiledScript* script) {
  if (file_ != nullptr && script != nullptr) storage_->scripts.ReleaseCompiledScript(script);
}

void SystemScriptHost::reportFatal(std::int16_t programCode, std::int16_t errorLine) {
  if (storage_) {
    storage_->errors.ReportError(programCode, errorLine);
  } else {
    ScriptHost::reportFatal(programCode, errorLine);
  }
}

}  // namespace lw::titlekit

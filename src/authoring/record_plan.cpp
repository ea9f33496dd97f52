#include "authoring/record_plan.h"

namespace lw::authoring {

std::uint32_t RecordPlan::add(std::vector<std::uint8_t> bytes) {
  records_.push_back(std::move(bytes));
  return static_cast<std::uint32_t>(records_.size() - 1);
}

std::uint32_t RecordPlan::script(const SourceFile& file) {
  const auto known = scriptIds_.find(file.path);
  if (known != scriptIds_.end()) return known->second;
  static const LoadedScript kEmpty{CompiledScript(), {1}};  // the end token, on line 1
  const LoadedScript& script = file.named() ? sources_.scripts.at(file.path) : kEmpty;
  const std::uint32_t id = add(script.script.ToBytes());
  scriptIds_.emplace(file.path, id);
  if (!script.tokenLines.empty())
    lines_.push_back(MakeScriptLines(static_cast<std::int32_t>(id), script.tokenLines));
  return id;
}

Records RecordPlan::take(std::vector<std::uint8_t> header) {
  records_[0] = std::move(header);
  if (!lines_.empty()) records_.push_back(LineTable(std::move(lines_)).Encode());
  return std::move(records_);
}

}  // namespace lw::authoring

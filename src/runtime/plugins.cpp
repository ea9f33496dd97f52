#include "runtime/plugins.h"

#include <string>
#include <utility>

#include "runtime/error_lines.h"
#include "script/fold.h"

namespace lw {
namespace {

// Whether a folder entry is named like a plug-in: its name ends with ".so" in any case.
bool NamedLikePlugin(std::string_view name) {
  return name.size() > kPluginSuffix.size() &&
         FoldEqual(name.substr(name.size() - kPluginSuffix.size()), kPluginSuffix);
}

}  // namespace

LwParameterBlock EmptyParameterBlock(std::int16_t code) {
  LwParameterBlock block{};
  block.code = code;
  for (LwValue& argument : block.arguments) argument.type = LW_TYPE_NONE;
  block.result.type = LW_TYPE_NONE;
  return block;
}

PluginHost::PluginHost(PluginHostParts parts)
    : load_(std::move(parts.load)),
      files_(parts.files),
      errors_(parts.errors),
      services_(std::move(parts.services)) {}

PluginHost::~PluginHost() = default;

// The names are read in full before any plug-in opens, because the folder search is the
// runtime's only one and a plug-in's open call may start another (through a file dialog).
void PluginHost::LoadAll(std::string_view folder) {
  std::vector<std::string> names;
  {
    // No plug-in folder, and the end of its listing, are answers rather than failures.
    const PlatformErrorProbe probe(files_.lastError());
    if (Failed(files_.FindFirst(folder))) return;
    for (std::string name; !Failed(files_.FindNext(name));) names.push_back(name);
  }
  for (const std::string& name : names) {
    if (NamedLikePlugin(name)) LoadPlugin(folder, name);
  }
}

bool PluginHost::LoadPlugin(std::string_view folder, std::string_view name) {
  std::string colonPath(folder);
  colonPath.append(name);
  Plugin plugin;
  plugin.library = load_(files_.MapPath(colonPath));
  if (!plugin.library) return false;
  plugin.entry = reinterpret_cast<LwPlugProc>(plugin.library->symbol(kPluginEntryName));
  if (plugin.entry == nullptr) return false;

  LwParameterBlock block = EmptyParameterBlock(LW_CALL_OPEN);
  if (CallPlugin(plugin, block) != LW_RESULT_OK || block.result.type != LW_TYPE_TEXT ||
      block.result.value.text == nullptr) {
    if (!plugin.library->release()) {
      errors_.ReportError(kRuntimeProgramCode, errline::kPluginReleaseUnnamed);
    }
    return false;
  }
  const unsigned char* text = block.result.value.text;
  plugin.name = Name15::truncated({reinterpret_cast<const char*>(text + 1), text[0]});
  plugins_.push_back(std::move(plugin));
  return true;
}

void PluginHost::CloseAll() {
  for (Plugin& plugin : plugins_) {
    LwParameterBlock block = EmptyParameterBlock(LW_CALL_CLOSE);
    if (CallPlugin(plugin, block) != LW_RESULT_OK || block.result.type != LW_TYPE_NONE) {
      errors_.ReportError(kRuntimeProgramCode, errline::kPluginClose);
    }
    if (!plugin.library->release()) {
      errors_.ReportError(kRuntimeProgramCode, errline::kPluginRelease);
    }
  }
  plugins_.clear();
}

const Plugin* PluginHost::FindPlugin(std::string_view name) const {
  for (const Plugin& plugin : plugins_) {
    if (FoldEqual(plugin.name.view(), name)) return &plugin;
  }
  return nullptr;
}

std::int16_t PluginHost::CallPlugin(const Plugin& plugin, LwParameterBlock& block) {
  const ServiceScope scope(services_);
  return plugin.entry(&block, &LwRuntimeServiceEntry);
}

}  // namespace lw

// Plug-ins: shared objects in the title's plug-in folder (path slot 0 followed by "plugins:")
// that export "PlugProc" with the C interface of loomwork/plugin.h.
//
// At runtime start every file of the folder whose name ends in ".so" (any case) is loaded, in
// the sorted order of the folder listing, and opened (code 0): a plug-in that answers 0 with a
// text result is kept under that name (its first 15 characters). Any other file, a library that
// will not load or lacks PlugProc, and a plug-in that gives no name are skipped without a
// message; a skipped library is released at once. At runtime stop every plug-in is closed
// (code 1) in the same order: a non-zero answer or a result is reported (program code 0, error
// line 4801), and the library is released. Scripts call a plug-in by name (code 2) through the
// built-ins plugin and pluginfx; a plug-in reaches the runtime's services (plugin_services.h)
// during each call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "loomwork/plugin.h"
#include "platform/platform.h"
#include "runtime/plugin_services.h"
#include "script/bounded_string.h"
#include "shell/error_report.h"
#include "shell/files/file_access.h"

namespace lw {

namespace errline {
inline constexpr std::int16_t kPluginReleaseUnnamed = 4800;  // a plug-in that gave no name
inline constexpr std::int16_t kPluginClose = 4801;
inline constexpr std::int16_t kPluginRelease = 4802;
}  // namespace errline

// The folder of the plug-ins, after path slot 0.
inline constexpr std::string_view kPluginFolder = "plugins:";
// The file names of plug-ins end with this (any case).
inline constexpr std::string_view kPluginSuffix = ".so";
// The entry point every plug-in exports.
inline constexpr const char* kPluginEntryName = "PlugProc";

// One loaded plug-in.
struct Plugin {
  Name15 name;
  std::unique_ptr<platform::SharedLibrary> library;
  LwPlugProc entry = nullptr;
};

// Loads a shared object by its platform path; null when it cannot be loaded.
using LibraryLoader =
    std::function<std::unique_ptr<platform::SharedLibrary>(const std::string& path)>;

struct PluginHostParts {
  LibraryLoader load;
  FileAccess& files;
  ErrorReporter& errors;
  PluginServiceContext services;
};

class PluginHost {
 public:
  explicit PluginHost(PluginHostParts parts);
  // Releases any plug-ins still loaded without calling them (CloseAll is the orderly end).
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Loads and opens the plug-ins of `folder` (a colon path ending with ':'); a folder that
  // cannot be listed holds none.
  void LoadAll(std::string_view folder);
  // Closes every plug-in in load order and releases it.
  void CloseAll();

  // The first plug-in whose name equals `name`, ignoring the case of A..Z; null when none.
  [[nodiscard]] const Plugin* FindPlugin(std::string_view name) const;
  // Calls the plug-in with `block` and the service entry; its answer.
  std::int16_t CallPlugin(const Plugin& plugin, LwParameterBlock& block);

  [[nodiscard]] const std::vector<Plugin>& plugins() const { return plugins_; }
  [[nodiscard]] PluginServices& services() { return services_; }

 private:
  // Loads the file `name` of `folder` and asks its name; false (and released) when it is not
  // a plug-in.
  bool LoadPlugin(std::string_view folder, std::string_view name);

  LibraryLoader load_;
  FileAccess& files_;
  ErrorReporter& errors_;
  PluginServices services_;
  std::vector<Plugin> plugins_;
};

// A parameter block with every slot none, for `code`.
[[nodiscard]] LwParameterBlock EmptyParameterBlock(std::int16_t code);

}  // namespace lw

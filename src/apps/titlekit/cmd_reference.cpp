// titlekit reference [-o FILE]: the reference of every built-in that a title's run answers, as
// Markdown (docs/builtins.md is its output). titlekit help builtin NAME: one built-in's entry.
// Both read the catalogue of the run's built-ins, which titlekit describes without running any.
#include <iostream>
#include <string>
#include <vector>

#include "apps/titlekit/command_line.h"
#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "authoring/builtin_reference.h"
#include "runtime/runtime_builtins.h"

namespace lw::titlekit {
namespace {

BuiltinTable Catalog() {
  BuiltinTable catalog;
  DescribeAllBuiltins(catalog);
  return catalog;
}

}  // namespace

int RunReferenceCommand(Arguments args) {
  auto line = SplitCommandLine(args);
  if (!line || !line->input.empty()) {
    std::cerr << "titlekit reference: "
              << (line ? "unexpected argument '" + line->input + "'" : line.error()) << '\n';
    return kExitUsage;
  }
  std::string output;
  for (const auto& [option, value] : line->options) {
    if (option != "-o") {
      std::cerr << "titlekit reference: unknown option '" << option << "'\n";
      return kExitUsage;
    }
    output = std::string(value);
  }
  const std::string markdown = authoring::BuiltinReferenceMarkdown(Catalog());
  if (output.empty()) {
    std::cout << markdown;
    return kExitOk;
  }
  if (auto failure = WriteWholeFile(output, AsBytes(markdown))) {
    std::cerr << *failure << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

int RunBuiltinHelp(std::string_view name) {
  const BuiltinTable catalog = Catalog();
  if (auto entry = authoring::BuiltinEntryText(catalog, name)) {
    std::cout << *entry;
    return kExitOk;
  }
  std::cerr << "titlekit: ";
  std::cerr << "no built-in is named '" << name << "'";
  const std::vector<std::string_view> like = authoring::BuiltinNamesLike(catalog, name);
  for (std::size_t i = 0; i < like.size(); ++i) {
    std::cerr << (i == 0 ? "; did you mean " : ", ") << like[i];
  }
  std::cerr << (like.empty() ? "" : "?") << "\n(titlekit reference lists every built-in)\n";
  return kExitFailure;
}

}  // namespace lw::titlekit

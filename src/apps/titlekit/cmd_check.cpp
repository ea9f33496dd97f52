// titlekit check FILE...: checks script files without running them and prints every finding
// with its place and the source line; exit status 1 when any file has an error (warnings alone
// pass). A summary line follows when there was anything to say.
#include <iostream>
#include <string>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_check_report.h"

namespace lw::titlekit {
namespace {

std::string Counted(int n, std::string_view what) {
  return std::to_string(n) + " " + std::string(what) + (n == 1 ? "" : "s");
}

}  // namespace

int RunCheckCommand(Arguments args) {
  if (args.empty()) {
    std::cerr << "titlekit check: missing FILE\n";
    return kExitUsage;
  }
  CheckCounts total;
  for (std::string_view path : args) {
    if (path.starts_with('-')) {
      std::cerr << "titlekit check: unknown option '" << path << "'\n";
      return kExitUsage;
    }
  }
  for (std::string_view path : args) {
    const CheckCounts counts = CheckScriptFile(std::string(path), std::cout);
    total.errors += counts.errors;
    total.warnings += counts.warnings;
  }
  if (total.errors + total.warnings > 0) {
    std::cout << Counted(total.errors, "error") << ", " << Counted(total.warnings, "warning")
              << '\n';
  }
  return total.errors > 0 ? kExitFailure : kExitOk;
}

}  // namespace lw::titlekit

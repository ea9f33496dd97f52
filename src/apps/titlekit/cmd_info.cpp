// titlekit info FILE: prints what a library file holds (library_info.h).
#include <iostream>
#include <string>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/storage.h"
#include "authoring/library_info.h"

namespace lw::titlekit {

int RunInfoCommand(Arguments args) {
  if (args.size() != 1) {
    std::cerr << "titlekit info: expected one FILE\n";
    return kExitUsage;
  }
  Storage storage;
  auto description = authoring::DescribeLibraryFile(storage.library, std::string(args[0]));
  if (!description) {
    std::cerr << description.error() << '\n';
    return kExitFailure;
  }
  std::cout << *description;
  return kExitOk;
}

}  // namespace lw::titlekit

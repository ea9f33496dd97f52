#include "apps/titlekit/command_line.h"

#include <algorithm>

namespace lw::titlekit {

Expected<CommandLine, std::string> SplitCommandLine(Arguments args,
                                                    std::span<const std::string_view> flags) {
  CommandLine line;
  bool haveInput = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
      line.flags.push_back(arg);
    } else if (arg.starts_with('-')) {
      if (i + 1 == args.size()) return Unexpected{std::string(arg) + " needs a value"};
      line.options.emplace_back(arg, args[++i]);
    } else if (!haveInput) {
      line.input = std::string(arg);
      haveInput = true;
    } else {
      return Unexpected{"unexpected argument '" + std::string(arg) + "'"};
    }
  }
  return line;
}

}  // namespace lw::titlekit

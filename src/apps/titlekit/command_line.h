// The command line of the subcommands that turn one input file into one output: the input name,
// options that take a value (-o OUT among them) and flags, in any order.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "apps/titlekit/commands.h"
#include "common/expected.h"

namespace lw::titlekit {

struct CommandLine {
  std::string input;                                                   // empty when none was given
  std::vector<std::pair<std::string_view, std::string_view>> options;  // in the order given
  std::vector<std::string_view> flags;
};

// Splits `args`; `flags` names the options that take no value. The error is a complaint such as
// "-o needs a value" or "unexpected argument 'x'".
Expected<CommandLine, std::string> SplitCommandLine(Arguments args,
                                                    std::span<const std::string_view> flags = {});

}  // namespace lw::titlekit

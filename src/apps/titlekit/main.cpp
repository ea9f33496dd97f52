// titlekit: the authoring and inspection tool. Picks the subcommand and prints help and usage.
#include <array>
#include <iostream>
#include <span>
#include <string_view>
#include <vector>

#include "apps/titlekit/commands.h"

namespace lw::titlekit {
namespace {

struct Command {
  std::string_view name;
  std::string_view usage;
  std::string_view summary;
  int (*run)(Arguments);
};

constexpr std::array<Command, 4> kCommands = {{
    {"compile", "titlekit compile SRC [-o OUT]",
     "compile a script into OUT, or print a dump of its tokens and string pool", RunCompileCommand},
    {"eval", "titlekit eval [--script FILE] [LINE ...]",
     "run lines as the message box does (standard input when no LINE is given)", RunEvalCommand},
    {"run", "titlekit run FILE CALL [--command]",
     "run a handler call such as main() in FILE's script (or record FILE.str#ID) and print its "
     "outcome",
     RunRunCommand},
    {"star",
     "titlekit star new FILE [--records N] [--type CODE] [--creator CODE] | info FILE | ls FILE |\n"
     "       get FILE ID [-o OUT] | add FILE INPUT | put FILE ID INPUT | check FILE",
     "create a star file, print its header or records, read, append or rewrite a record, or check "
     "it",
     RunStarCommand},
}};

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

bool IsHelpOption(std::string_view arg) { return arg == "--help" || arg == "-h"; }
bool IsHelpWord(std::string_view arg) { return arg == "help" || IsHelpOption(arg); }

void PrintUsage(const Command& command) {
  std::cout << "usage: " << command.usage << "\n  " << command.summary << '\n';
}

void PrintHelp(std::ostream& out) {
  out << "usage: titlekit COMMAND [ARGS]\n\n"
         "Script files are UTF-8 source (any line ends) or compiled scripts.\n\ncommands:\n";
  for (const Command& command : kCommands) {
    out << "  " << command.usage << "\n      " << command.summary << '\n';
  }
  out << "  titlekit help [COMMAND]\n      show this text, or one command's usage\n";
}

// `titlekit help` and `titlekit help COMMAND`.
int RunHelp(Arguments args) {
  if (args.empty()) {
    PrintHelp(std::cout);
    return kExitOk;
  }
  const Command* command = args.size() == 1 ? FindCommand(args[0]) : nullptr;
  if (command == nullptr) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  PrintUsage(*command);
  return kExitOk;
}

int Main(Arguments args) {
  if (args.empty()) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  if (IsHelpWord(args[0])) return RunHelp(args.subspan(1));
  const Command* command = FindCommand(args[0]);
  if (command == nullptr) {
    std::cerr << "titlekit: unknown command '" << args[0] << "'\n\n";
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  if (args.size() == 2 && IsHelpOption(args[1])) {
    PrintUsage(*command);
    return kExitOk;
  }
  const int status = command->run(args.subspan(1));
  if (status == kExitUsage) std::cerr << "usage: " << command->usage << '\n';
  return status;
}

}  // namespace
}  // namespace lw::titlekit

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return lw::titlekit::Main(args);
}

// titlekit: the authoring and inspection tool. Picks the subcommand and prints help and usage.
#include <array>
#include <iostream>
#include <span>
#include <sstream>
#include <string_view>
#include <vector>

#include "apps/manual/help_to_manual.h"
#include "apps/titlekit/commands.h"

namespace lw::titlekit {
namespace {

struct Command {
  std::string_view name;
  std::string_view usage;
  std::string_view summary;
  int (*run)(Arguments);
};

constexpr std::array<Command, 14> kCommands = {{
    {"compile", "titlekit compile SRC [-o OUT] [--no-check]",
     "check and compile a script into OUT, or print a dump of its tokens and string pool",
     RunCompileCommand},
    {"check", "titlekit check FILE...",
     "check scripts without running them: blocks, declarations, built-in calls, statements",
     RunCheckCommand},
    {"eval", "titlekit eval [--script FILE | --title DIR] [--seed N] [LINE ...]",
     "run lines as the message box does (standard input when no LINE is given)", RunEvalCommand},
    {"run", "titlekit run FILE CALL [--command]",
     "run a handler call such as main() in FILE's script (or record FILE.str#ID) and print its "
     "outcome",
     RunRunCommand},
    {"bootfile", "titlekit bootfile SYSTEM [-o OUT]",
     "make a boot file (./bootfile unless -o) whose record 1 is the compiled system script SYSTEM",
     RunBootfileCommand},
    {"build", "titlekit build MANIFEST -o DIR",
     "build a title's boot file and library files (stages, sets, casts, shops, tracks, movies) "
     "into DIR from its JSON manifest, rewriting only what changed",
     RunBuildCommand},
    {"info", "titlekit info FILE",
     "print what a library file holds: its kind, then what a stage, set, cast, shop, track or "
     "movie file holds, or a boot file's system script",
     RunInfoCommand},
    {"star",
     "titlekit star new FILE [--records N] [--type CODE] [--creator CODE] | info FILE | ls FILE |\n"
     "       get FILE ID [-o OUT] | add FILE INPUT | put FILE ID INPUT | check FILE",
     "create a star file, print its header or records, read, append or rewrite a record, or check "
     "it",
     RunStarCommand},
    {"frame",
     "titlekit frame encode IN.png [--prev PREV.png] [--palette FILE] [--smallest] -o OUT |\n"
     "       decode IN [--onto PREV.png] [--palette FILE] -o OUT.png",
     "encode a picture as a key frame (or a difference frame against PREV), or decode a frame",
     RunFrameCommand},
    {"sprite",
     "titlekit sprite encode IN.png --hotspot V,H [--transparent INDEX] [--palette FILE] -o OUT |\n"
     "       decode IN [--palette FILE] [--background INDEX] -o OUT.png",
     "encode a picture as a sprite record, or draw a sprite record into a picture",
     RunSpriteCommand},
    {"sound", "titlekit sound encode IN [--rate 11025|22050|44100] -o OUT | decode IN -o OUT.wav",
     "encode a sound file (WAV, AIFF, FLAC, Ogg) as a sound record, or decode a record into an "
     "8-bit WAV file",
     RunSoundCommand},
    {"movie",
     "titlekit movie from-video IN -o OUT.mov [--fps N] [--size WxH] [--no-sound]\n"
     "       [--max-frames N]",
     "make a movie file of a video that ffmpeg reads: its frames at N a second (10, 1..30) fitted "
     "into WxH (640x480) in one palette, its sound at 22050 Hz; more than 3000 frames are refused",
     RunMovieCommand},
    {"palette", "titlekit palette from-png IN.png -o OUT | to-png IN -o OUT.png",
     "write a picture's palette as a 2056-byte colour table, or a colour table as a picture",
     RunPaletteCommand},
    {"reference", "titlekit reference [-o FILE]",
     "write the reference of every built-in as Markdown, to standard output unless -o",
     RunReferenceCommand},
}};

#ifdef LW_VERSION
constexpr std::string_view kVersion = LW_VERSION;
#else
constexpr std::string_view kVersion = "0";
#endif

constexpr int kManualSection = 1;  // commands

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
         "Builds and inspects titles: their scripts, pictures, sounds and library files.\n"
         "Script files are UTF-8 source (any line ends) or compiled scripts.\n\ncommands:\n";
  for (const Command& command : kCommands) {
    out << "  " << command.usage << "\n      " << command.summary << '\n';
  }
  out << "  titlekit help [COMMAND]\n      show this text, or one command's usage\n"
         "  titlekit help builtin NAME\n"
         "      show a built-in's call, parameters, result, errors and description\n"
         "  titlekit --version\n      show the version\n";
}

// `titlekit help`, `titlekit help COMMAND` and `titlekit help builtin NAME`.
int RunHelp(Arguments args) {
  if (args.empty()) {
    PrintHelp(std::cout);
    return kExitOk;
  }
  if (args.size() == 2 && args[0] == "builtin") return RunBuiltinHelp(args[1]);
  const Command* command = args.size() == 1 ? FindCommand(args[0]) : nullptr;
  if (command == nullptr) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  PrintUsage(*command);
  return kExitOk;
}

// The manual page, made from the text of `titlekit help` (the hidden option --help-man).
void PrintManualPage() {
  std::ostringstream help;
  PrintHelp(help);
  std::cout << HelpToManual({"titlekit", kManualSection, kVersion}, help.str());
}

int Main(Arguments args) {
  if (args.empty()) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  if (IsHelpWord(args[0])) return RunHelp(args.subspan(1));
  if (args.size() == 1 && args[0] == "--help-man") {
    PrintManualPage();
    return kExitOk;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::cout << "titlekit " << kVersion << '\n';
    return kExitOk;
  }
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

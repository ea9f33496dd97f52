// The titlekit subcommands. Each takes the arguments after its name, prints its results to
// standard output and its complaints to standard error, and gives the process exit status.
#pragma once

#include <span>
#include <string_view>

namespace lw::titlekit {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command ran and failed (bad file, failed run)
inline constexpr int kExitUsage = 2;    // wrong arguments: the caller prints the usage text

using Arguments = std::span<const std::string_view>;

// titlekit compile SRC [-o OUT] [--no-check]
int RunCompileCommand(Arguments args);
// titlekit check FILE...
int RunCheckCommand(Arguments args);
// titlekit eval [--script FILE | --title DIR] [--seed N] [LINE ...]
int RunEvalCommand(Arguments args);
// titlekit run FILE CALL [--command]
int RunRunCommand(Arguments args);
// titlekit bootfile SYSTEM [-o OUT]
int RunBootfileCommand(Arguments args);
// titlekit build MANIFEST -o DIR
int RunBuildCommand(Arguments args);
// titlekit info FILE
int RunInfoCommand(Arguments args);
// titlekit star new|info|ls|get|add|put|check FILE ...
int RunStarCommand(Arguments args);
// titlekit frame encode|decode ...
int RunFrameCommand(Arguments args);
// titlekit sprite encode|decode ...
int RunSpriteCommand(Arguments args);
// titlekit sound encode|decode ...
int RunSoundCommand(Arguments args);
// titlekit movie from-video IN -o OUT.mov [--fps N] [--size WxH] [--no-sound] [--max-frames N]
int RunMovieCommand(Arguments args);
// titlekit palette from-png|to-png ...
int RunPaletteCommand(Arguments args);
// titlekit reference [-o FILE]
int RunReferenceCommand(Arguments args);
// titlekit help builtin NAME
int RunBuiltinHelp(std::string_view name);

}  // namespace lw::titlekit

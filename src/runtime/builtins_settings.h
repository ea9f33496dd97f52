// The runtime built-ins of settings and status: the properties path, result, framerate,
// wavevolume, menuvisible and keyaborts; the functions frame, freemem, findfile, actionframe
// and cacheinfo; and the commands error, debugger and exportclut.
//
// ScriptSettings holds the values that the Runtime keeps for the title's scripts. Its start
// values are the ones the title boot gives (a Runtime boots once):
// - movie wait (framerate): 3 ticks, kept within 0..60, read by the movie player;
// - wave volume: 9, the output's full level, until a title chooses another (0..9, the scale of
//   the sound output): wavevolume sets the output's level and reads it back while the output is
//   open, and keeps the value for when it is not;
// - menu bar shown: false. This platform has no menu bar, so the flag is only kept: a title reads
//   back what it set and nothing on the screen changes;
// - movie status word: 0; the movie player sets its bits, actionframe reads bits 1 and 2;
// - frame counter: 0; the display step of the motion layer advances it, frame reads it;
// - open-set marker: false; the set layer sets it while a set file is open, and cacheinfo
//   answers only then.
#pragma once

#include <cstdint>

#include "media/star_library.h"
#include "runtime/path_slots.h"
#include "script/builtin_table.h"
#include "shell/files/file_access.h"
#include "shell/sound/sound_output.h"

namespace lw {

struct ScriptSettings {
  static constexpr std::int32_t kMovieWaitAtBoot = 3;
  static constexpr std::int32_t kMovieWaitMax = 60;
  static constexpr std::int32_t kWaveVolumeMax = 9;
  static constexpr std::int32_t kWaveVolumeAtBoot = kWaveVolumeMax;

  std::int32_t movieWait = kMovieWaitAtBoot;
  std::int32_t waveVolume = kWaveVolumeAtBoot;
  bool menuVisible = false;
  std::uint16_t movieStatus = 0;
  std::uint32_t frameCounter = 0;
  bool setOpen = false;
};

// What the settings built-ins work with: the path slots (path, findfile), the settings above,
// the free-memory figure (freemem), the files (findfile), the open star files (cacheinfo) and
// the sound output (wavevolume).
// The result text and keyaborts are the interpreter's own.
struct SettingsServices {
  PathSlots& pathSlots;
  ScriptSettings& settings;
  MemoryStatus& memory;
  FileAccess& files;
  const StarLibrary& library;
  SoundOutput& sound;
};

// Wires the built-ins above; `services` must outlive the table.
void WireSettingsBuiltins(BuiltinTable& table, SettingsServices& services);
// Records their signatures alone.
void DescribeSettingsBuiltins(BuiltinTable& catalog);

}  // namespace lw

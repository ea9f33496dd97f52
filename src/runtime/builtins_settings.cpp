#include "runtime/builtins_settings.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

#include "script/interpreter.h"

namespace lw {
namespace {

// Path slot 0 belongs to the boot file; scripts reach slots 1..8.
constexpr std::int32_t kFirstTitleSlot = 1;
constexpr std::int32_t kLastTitleSlot = PathSlots::kCount - 1;

// The movie status bits that actionframe may ask about.
constexpr std::int32_t kFirstActionBit = 1;
constexpr std::int32_t kSecondActionBit = 2;

constexpr std::int32_t kLargestNumber = std::numeric_limits<std::int32_t>::max();

// A count or byte total as a script number, capped at the largest one.
std::int32_t CappedNumber(std::uint64_t n) {
  return static_cast<std::int32_t>(std::min<std::uint64_t>(n, kLargestNumber));
}

constexpr bool IsTitleSlot(std::int32_t slot) {
  return slot >= kFirstTitleSlot && slot <= kLastTitleSlot;
}

// path(n): the folder path of slot n.
ScriptError PathRead(BuiltinCall& c, SettingsServices& s) {
  Value n;
  std::int32_t slot = 0;
  LW_TRY(c.args(n));
  LW_TRY(BuiltinCall::number(n, slot));
  if (!IsTitleSlot(slot)) return ScriptError::NoSuchObject;
  return c.returnText(s.pathSlots.get(slot));
}

// path(n, t): makes t the folder path of slot n.
ScriptError PathWrite(BuiltinCall& c, SettingsServices& s) {
  Value v[2];
  std::int32_t slot = 0;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::number(v[0], slot));
  if (!v[1].isText()) return ScriptError::BadArgumentType;
  if (!IsTitleSlot(slot)) return ScriptError::NoSuchObject;
  PString path;
  LW_TRY(c.text(v[1], path));
  s.pathSlots.set(slot, path.view());
  return ScriptError::None;
}

// result(): the result text.
ScriptError ResultRead(BuiltinCall& c, SettingsServices& /*s*/) {
  return c.returnText(c.in.resultText.view());
}

// result(t): sets the result text.
ScriptError ResultWrite(BuiltinCall& c, SettingsServices& /*s*/) {
  Value t;
  LW_TRY(c.args(t));
  return c.text(t, c.in.resultText);
}

// framerate(): the movie wait in ticks.
ScriptError FrameRateRead(BuiltinCall& c, SettingsServices& s) {
  *c.result = Value::Number(s.settings.movieWait);
  return ScriptError::None;
}

// framerate(n): sets the movie wait, clamped to 0..60.
ScriptError FrameRateWrite(BuiltinCall& c, SettingsServices& s) {
  Value n;
  std::int32_t wait = 0;
  LW_TRY(c.args(n));
  LW_TRY(BuiltinCall::number(n, wait));
  s.settings.movieWait = std::clamp(wait, 0, ScriptSettings::kMovieWaitMax);
  return ScriptError::None;
}

// wavevolume(): the sound output level, 0..9.
ScriptError WaveVolumeRead(BuiltinCall& c, SettingsServices& s) {
  int level = 0;
  if (s.sound.isOpen() && s.sound.SoundGetVolume(level) == 0) s.settings.waveVolume = level;
  *c.result = Value::Number(s.settings.waveVolume);
  return ScriptError::None;
}

// wavevolume(n): sets the sound output level; n outside 0..9 is no level at all.
ScriptError WaveVolumeWrite(BuiltinCall& c, SettingsServices& s) {
  Value n;
  std::int32_t level = 0;
  LW_TRY(c.args(n));
  LW_TRY(BuiltinCall::number(n, level));
  if (level < 0 || level > ScriptSettings::kWaveVolumeMax) return ScriptError::NoSuchObject;
  s.settings.waveVolume = level;
  if (s.sound.isOpen()) (void)s.sound.SoundSetVolume(level);
  return ScriptError::None;
}

// menuvisible(): whether the title asked for the menu bar.
ScriptError MenuVisibleRead(BuiltinCall& c, SettingsServices& s) {
  *c.result = Value::Logic(s.settings.menuVisible);
  return ScriptError::None;
}

// menuvisible(v): keeps the title's wish; there is no menu bar to show or hide.
ScriptError MenuVisibleWrite(BuiltinCall& c, SettingsServices& s) {
  Value v;
  LW_TRY(c.args(v));
  return BuiltinCall::logic(v, s.settings.menuVisible);
}

// keyaborts(): whether Escape stops a running handler.
ScriptError KeyAbortsRead(BuiltinCall& c, SettingsServices& /*s*/) {
  *c.result = Value::Logic(c.in.keyaborts);
  return ScriptError::None;
}

// keyaborts(v): sets whether Escape stops a running handler.
ScriptError KeyAbortsWrite(BuiltinCall& c, SettingsServices& /*s*/) {
  Value v;
  LW_TRY(c.args(v));
  return BuiltinCall::logic(v, c.in.keyaborts);
}

// frame(): the frame counter (its 32 bits as a signed number).
ScriptError FrameCount(BuiltinCall& c, SettingsServices& s) {
  *c.result = Value::Number(static_cast<std::int32_t>(s.settings.frameCounter));
  return ScriptError::None;
}

// freemem(): the bytes of memory free for the title.
ScriptError FreeMem(BuiltinCall& c, SettingsServices& s) {
  *c.result = Value::Number(CappedNumber(s.memory.FreeMemory()));
  return ScriptError::None;
}

// findfile(t): whether a path slot 1..8 followed by t names an existing file, slot 1 first.
ScriptError FindFile(BuiltinCall& c, SettingsServices& s) {
  Value t;
  PString name;
  LW_TRY(c.args(t));
  LW_TRY(c.text(t, name));
  bool found = false;
  for (std::int32_t slot = kFirstTitleSlot; slot <= kLastTitleSlot && !found; ++slot) {
    const std::string path = s.pathSlots.get(slot) + name.str();
    found = !Failed(s.files.FileExists(path));
  }
  *c.result = Value::Logic(found);
  return ScriptError::None;
}

// actionframe(n): whether bit n (1 or 2) of the movie status word is set.
ScriptError ActionFrame(BuiltinCall& c, SettingsServices& s) {
  Value n;
  std::int32_t bit = 0;
  LW_TRY(c.args(n));
  LW_TRY(BuiltinCall::number(n, bit));
  if (bit != kFirstActionBit && bit != kSecondActionBit) return ScriptError::BadArgumentType;
  *c.result = Value::Logic((s.settings.movieStatus & bit) != 0);
  return ScriptError::None;
}

// What cacheinfo(n) reports, over every open star file and its resource cache.
namespace cache_figure {
constexpr std::int32_t kOpenFiles = 1;
constexpr std::int32_t kLockedBytes = 2;
constexpr std::int32_t kUnlockedBytes = 3;
constexpr std::int32_t kLockedRecords = 4;
constexpr std::int32_t kUnlockedRecords = 5;
}  // namespace cache_figure

// Figure `which` (cache_figure) of the library, or nothing for any other number. Sums beyond
// the largest script number are given as that number.
std::optional<std::int32_t> CacheFigure(const StarLibrary& library, std::int32_t which) {
  std::uint64_t lockedBytes = 0;
  std::uint64_t unlockedBytes = 0;
  std::uint64_t lockedRecords = 0;
  std::uint64_t unlockedRecords = 0;
  for (const StarFile* file : library.openFiles()) {
    for (const CachedRecord& entry : file->cache) {
      const std::uint64_t bytes = entry.block ? entry.block->size() : 0;
      if (entry.lockCount > 0) {
        lockedBytes += bytes;
        ++lockedRecords;
      } else {
        unlockedBytes += bytes;
        ++unlockedRecords;
      }
    }
  }
  switch (which) {
    case cache_figure::kOpenFiles: return CappedNumber(library.openFiles().size());
    case cache_figure::kLockedBytes: return CappedNumber(lockedBytes);
    case cache_figure::kUnlockedBytes: return CappedNumber(unlockedBytes);
    case cache_figure::kLockedRecords: return CappedNumber(lockedRecords);
    case cache_figure::kUnlockedRecords: return CappedNumber(unlockedRecords);
    default: return std::nullopt;
  }
}

// cacheinfo(n): a figure of the resource cache; asked only while a set is open, and the open
// set is checked before n.
ScriptError CacheInfo(BuiltinCall& c, SettingsServices& s) {
  Value n;
  std::int32_t which = 0;
  LW_TRY(c.args(n));
  if (!s.settings.setOpen) return ScriptError::SceneLibOpenClose;
  LW_TRY(BuiltinCall::number(n, which));
  const std::optional<std::int32_t> figure = CacheFigure(s.library, which);
  if (!figure) return ScriptError::BadArgumentType;
  *c.result = Value::Number(*figure);
  return ScriptError::None;
}

// error(): fails on purpose, so that a title can stop a handler with a known code.
ScriptError UserError(BuiltinCall& /*c*/, SettingsServices& /*s*/) {
  return ScriptError::RuntimeUserError;
}

// debugger(), exportclut(): accepted and ignored; the tools they served do not exist here.
ScriptError Nothing(BuiltinCall& /*c*/, SettingsServices& /*s*/) { return ScriptError::None; }

using enum BuiltinKind;

constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kNoSlot = ScriptError::StringLibraryExhausted;

constexpr BuiltinEntry<SettingsServices> kSettingsBuiltins[] = {
    {"path",
     kPropertyRead,
     PathRead,
     {"n: number",
      "text",
      {kType, ScriptError::NoSuchObject, kNoSlot},
      "The folder path of path slot n (1..8), searched for the files that scripts name."}},
    {"path",
     kPropertyWrite,
     PathWrite,
     {"n: number, t: text",
      "",
      {kType, ScriptError::NoSuchObject},
      "Sets path slot n (1..8) to the folder path t, written with colons (\"appl:movies:\")."}},
    {"result",
     kPropertyRead,
     ResultRead,
     {"", "text", {kNoSlot}, "The result text, which result(t) and some built-ins set."}},
    {"result", kPropertyWrite, ResultWrite, {"t: text", "", {kType}, "Sets the result text to t."}},
    {"framerate",
     kPropertyRead,
     FrameRateRead,
     {"", "number", {}, "The wait between the frames of a movie, in ticks (3 at start)."}},
    {"framerate",
     kPropertyWrite,
     FrameRateWrite,
     {"n: number",
      "",
      {kType},
      "Sets the wait between the frames of a movie to n ticks, kept within 0..60."}},
    {"wavevolume",
     kPropertyRead,
     WaveVolumeRead,
     {"",
      "number",
      {},
      "The sound volume, read as wavevolume(): 0 (silent) to 9 (full, the start value)."}},
    {"wavevolume",
     kPropertyWrite,
     WaveVolumeWrite,
     {"n: number",
      "",
      {kType, ScriptError::NoSuchObject},
      "Sets the sound volume, written as wavevolume(n) with n from 0 (silent) to 9 (full)."}},
    {"menuvisible",
     kPropertyRead,
     MenuVisibleRead,
     {"", "logic", {}, "Whether the title asked for the menu bar (false at start)."}},
    {"menuvisible",
     kPropertyWrite,
     MenuVisibleWrite,
     {"v: logic",
      "",
      {kType},
      "Keeps whether the title wants the menu bar; this platform has none, so nothing shows."}},
    {"keyaborts",
     kPropertyRead,
     KeyAbortsRead,
     {"", "logic", {}, "Whether pressing Escape stops the running handler."}},
    {"keyaborts",
     kPropertyWrite,
     KeyAbortsWrite,
     {"v: logic",
      "",
      {kType},
      "Sets whether pressing Escape stops the running handler with an error."}},
    {"frame",
     kFunction,
     FrameCount,
     {"", "number", {}, "The frame counter, one more for every picture the stage has shown."}},
    {"freemem",
     kFunction,
     FreeMem,
     {"", "number", {}, "The bytes of memory free for the title, at most 2147483647."}},
    {"findfile",
     kFunction,
     FindFile,
     {"t: text",
      "logic",
      {kType},
      "Whether the file t is in the folder of any path slot 1..8 (see path)."}},
    {"actionframe",
     kFunction,
     ActionFrame,
     {"n: number",
      "logic",
      {kType},
      "Whether the movie playing has set its action mark n (1 or 2; any other n is an error)."}},
    {"cacheinfo",
     kFunction,
     CacheInfo,
     {"n: number",
      "number",
      {ScriptError::SceneLibOpenClose, kType},
      "A figure of the resource cache while a set is open: n = 1 open library files, 2 locked "
      "bytes, 3 unlocked bytes, 4 locked resources, 5 unlocked ones."}},
    {"error",
     kCommand,
     UserError,
     {"",
      "",
      {ScriptError::RuntimeUserError},
      "Always fails, so that a title can stop its handlers with a known error."}},
    {"debugger",
     kCommand,
     Nothing,
     {"", "", {}, "Does nothing: this player has no script debugger to stop in."}},
    {"exportclut",
     kCommand,
     Nothing,
     {"", "", {}, "Does nothing: this player has no palette export."}},
};

}  // namespace

void WireSettingsBuiltins(BuiltinTable& table, SettingsServices& services) {
  table.wire<kSettingsBuiltins>(services);
}
void DescribeSettingsBuiltins(BuiltinTable& catalog) { catalog.describe<kSettingsBuiltins>(); }

}  // namespace lw

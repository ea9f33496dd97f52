#include "objects/track_builtins.h"

#include <algorithm>
#include <array>

#include "objects/builtin_arguments.h"

namespace lw {
namespace {

constexpr std::int32_t kMaxLevel = 255;
constexpr char kNone[] = "None";
constexpr int kEffect1 = 1;
constexpr int kEffect2 = 2;
constexpr std::int32_t kTrackFileAnswer = 2;  // currenttheme(2): the track rather than the part

ScriptError Number(BuiltinCall& c, std::int32_t n) {
  *c.result = Value::Number(n);
  return ScriptError::None;
}
ScriptError Logic(BuiltinCall& c, bool b) {
  *c.result = Value::Logic(b);
  return ScriptError::None;
}

std::uint16_t Level(std::int32_t n) {
  return static_cast<std::uint16_t>(std::clamp(n, std::int32_t{0}, kMaxLevel));
}

ScriptError FindSound(BuiltinCall& c, TrackServices& s, const Value& v, SoundItem*& item) {
  PString name;
  LW_TRY(c.text(v, name));
  item = s.tracks.FindSound(name.view());
  return item != nullptr ? ScriptError::None : ScriptError::NoSuchObject;
}

ScriptError SoundArgument(BuiltinCall& c, TrackServices& s, SoundItem*& item) {
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v));
  return FindSound(c, s, v, item);
}

ScriptError TrackArgument(BuiltinCall& c, TrackServices& s, Track*& track) {
  PString name;
  LW_TRY(TextArgument(c, name));
  track = s.tracks.FindTrack(name.view());
  return track != nullptr ? ScriptError::None : ScriptError::NoSuchObject;
}

// A write form: the sound's name, a comma, then a value of the type `check` wants.
ScriptError SoundAndValue(BuiltinCall& c, TrackServices& s, ScriptError (*check)(const Value&),
                          SoundItem*& item, Value& value) {
  std::array<Value, 2> v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(check(v[1]));
  value = v[1];
  return FindSound(c, s, v[0], item);
}

// A track's name, then a number.
ScriptError TrackAndNumber(BuiltinCall& c, TrackServices& s, Track*& track, std::int32_t& n) {
  std::array<Value, 2> v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedNumber(v[1]));
  PString name;
  LW_TRY(c.text(v[0], name));
  track = s.tracks.FindTrack(name.view());
  if (track == nullptr) return ScriptError::NoSuchObject;
  return BuiltinCall::number(v[1], n);
}

ScriptError NeedLogic(const Value& v) {
  return v.isLogic() ? ScriptError::None : ScriptError::BadArgumentType;
}

std::int32_t Int(const Value& v) {
  std::int32_t n = 0;
  (void)BuiltinCall::number(v, n);
  return n;
}

// ---- files -------------------------------------------------------------------------------------

ScriptError OpenTrackFile(BuiltinCall& c, TrackServices& s) {
  PString name;
  LW_TRY(TextArgument(c, name));
  return s.tracks.Open(name.view());
}
ScriptError CloseTrackFile(BuiltinCall& c, TrackServices& s) {
  PString name;
  LW_TRY(TextArgument(c, name));
  return s.tracks.Close(name.view());
}

// ---- playing and halting -----------------------------------------------------------------------

ScriptError PlayTheme(BuiltinCall& c, TrackServices& s) {
  Track* track = nullptr;
  LW_TRY(TrackArgument(c, s, track));
  if (!track->theme.items.empty()) s.channels.PlayPlaylist(track->theme);
  return ScriptError::None;
}

template <EffectMode kMode>
ScriptError PlayEffect(BuiltinCall& c, TrackServices& s) {
  SoundItem* item = nullptr;
  LW_TRY(SoundArgument(c, s, item));
  s.channels.PlayEffect(*item, kMode);
  return ScriptError::None;
}

ScriptError VoiceSound(BuiltinCall& c, TrackServices& s) {
  SoundItem* item = nullptr;
  LW_TRY(SoundArgument(c, s, item));
  s.channels.PlayVoice(*item);
  return ScriptError::None;
}

ScriptError HaltSound(BuiltinCall&, TrackServices& s) {
  s.channels.Stop(true, true, false, false);
  return ScriptError::None;
}
ScriptError HaltTheme(BuiltinCall&, TrackServices& s) {
  s.channels.Stop(false, false, true, false);
  return ScriptError::None;
}
ScriptError HaltVoice(BuiltinCall&, TrackServices& s) {
  s.channels.Stop(false, false, false, true);
  return ScriptError::None;
}

// ---- properties --------------------------------------------------------------------------------

// soundvol and soundpan: a level of the sound, 0..255.
template <std::uint16_t SoundItem::*kLevel>
ScriptError LevelRead(BuiltinCall& c, TrackServices& s) {
  SoundItem* item = nullptr;
  LW_TRY(SoundArgument(c, s, item));
  return Number(c, item->*kLevel);
}
template <std::uint16_t SoundItem::*kLevel>
ScriptError LevelWrite(BuiltinCall& c, TrackServices& s) {
  SoundItem* item = nullptr;
  Value v;
  LW_TRY(SoundAndValue(c, s, NeedNumber, item, v));
  item->*kLevel = Level(Int(v));
  return ScriptError::None;
}
ScriptError SoundLoopRead(BuiltinCall& c, TrackServices& s) {
  SoundItem* item = nullptr;
  LW_TRY(SoundArgument(c, s, item));
  return Logic(c, item->loop);
}
ScriptError SoundLoopWrite(BuiltinCall& c, TrackServices& s) {
  SoundItem* item = nullptr;
  Value v;
  LW_TRY(SoundAndValue(c, s, NeedLogic, item, v));
  bool loop = false;
  LW_TRY(BuiltinCall::logic(v, loop));
  item->loop = loop;
  return ScriptError::None;
}
ScriptError ThemeVolRead(BuiltinCall& c, TrackServices& s) {
  Track* track = nullptr;
  LW_TRY(TrackArgument(c, s, track));
  return Number(c, track->themeParts.empty() ? 0 : track->themeParts.front().volume);
}
ScriptError ThemeVolWrite(BuiltinCall& c, TrackServices& s) {
  Track* track = nullptr;
  std::int32_t n = 0;
  LW_TRY(TrackAndNumber(c, s, track, n));
  const std::uint16_t volume = Level(n);
  for (SoundItem& part : track->themeParts) part.volume = volume;
  for (SoundItem& step : track->theme.items) step.volume = volume;
  return ScriptError::None;
}

// ---- counting, indexing, state -----------------------------------------------------------------

ScriptError IndexArg(std::int32_t n, std::size_t count, std::size_t& index) {
  if (n < 1 || static_cast<std::size_t>(n) > count) return ScriptError::NoSuchObject;
  index = static_cast<std::size_t>(n - 1);
  return ScriptError::None;
}

ScriptError CountTracks(BuiltinCall& c, TrackServices& s) {
  return Number(c, static_cast<std::int32_t>(s.tracks.count()));
}
ScriptError IndexToTrack(BuiltinCall& c, TrackServices& s) {
  std::int32_t n = 0;
  LW_TRY(NumberArgument(c, n));
  std::size_t i = 0;
  LW_TRY(IndexArg(n, s.tracks.count(), i));
  return c.returnText(s.tracks.at(i).name);
}
ScriptError CountSounds(BuiltinCall& c, TrackServices& s) {
  Track* track = nullptr;
  LW_TRY(TrackArgument(c, s, track));
  return Number(c, static_cast<std::int32_t>(track->sounds.size()));
}
ScriptError IndexToSound(BuiltinCall& c, TrackServices& s) {
  Track* track = nullptr;
  std::int32_t n = 0;
  LW_TRY(TrackAndNumber(c, s, track, n));
  std::size_t i = 0;
  LW_TRY(IndexArg(n, track->sounds.size(), i));
  return c.returnText(track->sounds[i].name);
}
ScriptError SoundRate(BuiltinCall& c, TrackServices& s) {
  SoundItem* item = nullptr;
  LW_TRY(SoundArgument(c, s, item));
  return Number(c, static_cast<std::int32_t>(item->info.codec.sampleRate));
}
ScriptError SoundDone(BuiltinCall& c, TrackServices& s) {
  return Logic(c, !s.channels.Busy(kEffect1) && !s.channels.Busy(kEffect2));
}
ScriptError VoiceDone(BuiltinCall& c, TrackServices& s) {
  return Logic(c, !s.channels.Busy(SoundChannels::kVoiceChannel));
}

// The name of what plays on a channel, "None" when it is idle.
ScriptError NameOn(BuiltinCall& c, const SoundItem* playing) {
  return c.returnText(playing != nullptr ? std::string_view(playing->name) : kNone);
}
ScriptError CurrentSound(BuiltinCall& c, TrackServices& s) {
  const SoundItem* playing = s.channels.Playing(kEffect1);
  return NameOn(c, playing != nullptr ? playing : s.channels.Playing(kEffect2));
}
ScriptError CurrentVoice(BuiltinCall& c, TrackServices& s) {
  return NameOn(c, s.channels.Playing(SoundChannels::kVoiceChannel));
}
ScriptError CurrentTheme(BuiltinCall& c, TrackServices& s) {
  std::int32_t n = 0;
  LW_TRY(NumberArgument(c, n));
  const SoundItem* playing = s.channels.Playing(SoundChannels::kThemeChannel);
  if (playing == nullptr || n != kTrackFileAnswer) return NameOn(c, playing);
  const Track* track = s.tracks.TrackOfFile(playing->fileSerial);
  return c.returnText(track != nullptr ? std::string_view(track->name) : kNone);
}

using enum BuiltinKind;
constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kNoSuch = ScriptError::NoSuchObject;
constexpr ScriptError kComma = ScriptError::ExpectedComma;

// clang-format off
constexpr BuiltinEntry<TrackServices> kTrackBuiltins[] = {
    {"opentrackfile", kCommand, OpenTrackFile,
     {"file: text", "", {kType, ScriptError::WrongTypeOfFile},
      "Opens a track file: its sounds and theme parts are loaded."}},
    {"closetrackfile", kCommand, CloseTrackFile,
     {"track: text", "", {kType, kNoSuch},
      "Closes a track file; its sounds stop where they play."}},
    {"playtheme", kCommand, PlayTheme,
     {"track: text", "", {kType, kNoSuch},
      "Plays the track's theme on the theme channel from its first part, over and over."}},
    {"singlesound", kCommand, PlayEffect<EffectMode::kSingle>,
     {"sound: text", "", {kType, kNoSuch},
      "Plays a sound on an effect channel; if it plays there already, it starts again."}},
    {"dualsound", kCommand, PlayEffect<EffectMode::kSingle>,
     {"sound: text", "", {kType, kNoSuch}, "The same as singlesound."}},
    {"multiplesound", kCommand, PlayEffect<EffectMode::kMultiple>,
     {"sound: text", "", {kType, kNoSuch},
      "Plays a sound on an effect channel, over itself if it plays already."}},
    {"bothsound", kCommand, PlayEffect<EffectMode::kBoth>,
     {"sound: text", "", {kType, kNoSuch}, "Plays a sound on the effect channels together."}},
    {"voicesound", kCommand, VoiceSound,
     {"sound: text", "", {kType, kNoSuch}, "Plays a sound on the voice channel."}},
    {"haltsound", kCommand, HaltSound,
     {"", "", {}, "Stops both effect channels."}},
    {"halttheme", kCommand, HaltTheme,
     {"", "", {}, "Stops the theme."}},
    {"haltvoice", kCommand, HaltVoice,
     {"", "", {}, "Stops the voice channel."}},
    {"soundvol", kPropertyRead, LevelRead<&SoundItem::volume>,
     {"sound: text", "number", {kType, kNoSuch}, "The sound's volume, 0 to 255."}},
    {"soundvol", kPropertyWrite, LevelWrite<&SoundItem::volume>,
     {"sound: text, volume: number", "", {kType, kNoSuch, kComma},
      "Sets the sound's volume, clamped to 0..255; heard the next time it plays."}},
    {"soundpan", kPropertyRead, LevelRead<&SoundItem::pan>,
     {"sound: text", "number", {kType, kNoSuch}, "The sound's pan: 0 left, 128 centre, 255 right."}},
    {"soundpan", kPropertyWrite, LevelWrite<&SoundItem::pan>,
     {"sound: text, pan: number", "", {kType, kNoSuch, kComma},
      "Sets the sound's pan, clamped to 0..255."}},
    {"soundloop", kPropertyRead, SoundLoopRead,
     {"sound: text", "logic", {kType, kNoSuch}, "Whether the sound repeats."}},
    {"soundloop", kPropertyWrite, SoundLoopWrite,
     {"sound: text, loop: logic", "", {kType, kNoSuch, kComma}, "Sets whether the sound repeats."}},
    {"themevol", kPropertyRead, ThemeVolRead,
     {"track: text", "number", {kType, kNoSuch},
      "The volume of the track's theme; 0 when it has none."}},
    {"themevol", kPropertyWrite, ThemeVolWrite,
     {"track: text, volume: number", "", {kType, kNoSuch, kComma},
      "Sets the volume of every part of the track's theme, clamped to 0..255."}},
    {"counttracks", kFunction, CountTracks,
     {"", "number", {}, "How many track files are open."}},
    {"indextotrack", kFunction, IndexToTrack,
     {"n: number", "text", {kType, kNoSuch}, "The name of the n-th open track."}},
    {"countsounds", kFunction, CountSounds,
     {"track: text", "number", {kType, kNoSuch}, "How many sounds the track has."}},
    {"indextosound", kFunction, IndexToSound,
     {"track: text, n: number", "text", {kType, kNoSuch}, "The name of the track's n-th sound."}},
    {"soundrate", kFunction, SoundRate,
     {"sound: text", "number", {kType, kNoSuch}, "The sound's sample rate: 11025, 22050 or 44100."}},
    {"sounddone", kFunction, SoundDone,
     {"", "logic", {}, "Whether both effect channels are quiet."}},
    {"voicedone", kFunction, VoiceDone,
     {"", "logic", {}, "Whether the voice channel is quiet."}},
    {"currentsound", kFunction, CurrentSound,
     {"", "text", {}, "The sound an effect channel plays, or \"None\"."}},
    {"currentvoice", kFunction, CurrentVoice,
     {"", "text", {}, "The sound the voice channel plays, or \"None\"."}},
    {"currenttheme", kFunction, CurrentTheme,
     {"n: number", "text", {kType},
      "The theme part playing, or with 2 its track; \"None\" when no theme plays."}},
};
// clang-format on

}  // namespace

void WireTrackBuiltins(BuiltinTable& table, TrackServices& services) {
  table.wire<kTrackBuiltins>(services);
}
void DescribeTrackBuiltins(BuiltinTable& catalog) { catalog.describe<kTrackBuiltins>(); }

}  // namespace lw

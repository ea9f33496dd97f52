// The built-ins of track files and sounds: opening and closing track files, playing sounds on
// the four channels, halting them, each sound's volume, pan and loop setting, a theme's volume,
// and counting, indexing and asking what plays.
//
//   BUILT-IN                         CHANNEL / EFFECT
//   voicesound s                     0
//   singlesound s, dualsound s       1 or 2, single: a sound already playing there restarts
//   multiplesound s                  1 or 2, multiple: the sound may overlap itself
//   bothsound s                      1 or 2, both
//   playtheme t                      3: the track's theme from its first step; nothing without
//   haltvoice / haltsound /          0 / 1 and 2 / 3
//   halttheme
//
//   PROPERTY      READ                                  WRITE
//   soundvol s    0..255                                s, n: clamped to 0..255
//   soundpan s    0..255 (128 the centre)               s, n: clamped to 0..255
//   soundloop s   logic                                 s, logic
//   themevol t    the first theme part's; 0 without     t, n: clamped, set on every part and
//                                                       step of the track's theme
// A sound or track that no open track file has is "No such object.".
#pragma once

#include "media/sound_channels.h"
#include "objects/track_table.h"
#include "script/builtin_table.h"

namespace lw {

struct TrackServices {
  TrackTable& tracks;
  SoundChannels& channels;
};

void WireTrackBuiltins(BuiltinTable& table, TrackServices& services);
void DescribeTrackBuiltins(BuiltinTable& catalog);

}  // namespace lw

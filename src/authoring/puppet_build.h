// Makes the records of one puppet file (objects/puppet_file.h) from its manifest entry and its
// read sources. Records are handed out in the order the builder meets them (record_plan.h):
//
//   RECORD           CONTENTS
//   0                the puppet header: the palette (the entry's, else the title's, else black),
//                    the idle intervals, the band picture's record (0 when none), the file's
//                    name and one entry per line: the spoken lines in order, then "idle 1" ..
//                    "idle 4"; record 1 is marked used when there are player lines
//   1                the player lines (written with count 0 when there are none)
//   2                the puppet list
//   3                the layers: each layer's image records
//   next ...         the puppets' scripts in order; then the layer images, layer by layer, each a
//                    sprite picture (sprite_encoder.h) with its hot spot and transparent index;
//                    then the band picture (hot spot [0, 0], every pixel drawn)
//   next ...         for each line: its sound record (sound_encoder.h, at the line's rate), then
//                    its lip-sync frame record
//   next ...         the player lines' sound records
//   last             the line table of every script that came from source (line_table.h)
//
// A sound file named again at the same rate shares its first record; a script file named again
// shares its first record, and puppets without a script share one empty compiled script.
//
// Lip-sync frames are derived from the loudness of each line's sound (puppet_lip_sync.h):
//
//   STEP                 RULE
//   samples              the sound mixed to mono and converted to 22050 Hz as values in [-1, 1]
//                        (the encoder's first three steps), so that every line is measured alike
//   frame i              covers ticks [2i, 2i + 2) of the line: samples [735 i, 735 i + 735)
//   frame count          ceil(samples / 735), at least 1, at most 32767 (a longer line fails)
//   loudness             the RMS of the frame's samples (full scale 1)
//   band                 0 when the loudness is below 0.02; else 1 + floor(loudness / the
//                        line's loudest frame x (B - 1)), at most B - 1; B = the mouth's images
//   layers               every layer as "rest" places it (image -1 on layers it does not name);
//                        the mouth's layer shows the mouth image of the frame's band at "at"
//   changed rectangle    frame 0: the whole picture [0, 0, 264, 512]; frame i > 0: the union of
//                        the rectangles the mouth images of frames i - 1 and i cover where they
//                        are placed (clipped to the picture) when those images differ, else the
//                        empty [0, 0, 0, 0]
//
// Without a mouth every frame shows the rest picture and changes nothing after frame 0.
#pragma once

#include <span>
#include <string>

#include "authoring/puppet_sources.h"
#include "authoring/star_output.h"
#include "authoring/title_manifest.h"

namespace lw::authoring {

// The puppet file's records (a checked entry); "FILE: $.path: reason" when a sound or a picture
// cannot be encoded. `titlePalette` is the title's colour table record, empty when it has none.
[[nodiscard]] Expected<Records, std::string> BuildPuppetRecords(
    const ManifestPuppetFile& puppets, const PuppetSources& sources,
    std::span<const std::uint8_t> titlePalette);

}  // namespace lw::authoring

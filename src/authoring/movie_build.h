// Makes the records of one movie file (media/movie_format.h) from its manifest entry and its
// read sources. Segments are laid out one after another, each at the base record B where the
// one before it ends (the first at 0):
//
//   RECORD           CONTENTS
//   B                the segment header; `nextSegment` is the next segment's B (0 after the last)
//   B+1 .. B+S       the segment's sounds in manifest order, sound records (sound_encoder.h)
//   B+S+1 .. B+S+T   its theme parts, the same
//   next ...         one frame record (frame_codec.h) per frame with a picture, in frame order
//
// Frame pictures. A frame's picture rectangle is in movie coordinates, the coordinates of the
// movie rectangle: its top left is the frame's "at" and its size the PNG's. Its record decodes
// into the movie's frame buffer thus:
//
//   BUFFER (8-bit, movie width x height, any row stride)   RECORD
//   row 0                                                  the movie rectangle's top row
//   pixel (row r - movie top, column c - movie left)       movie point (c, r)
//   first row decoded, top-down                            picture top - movie top
//   first column of every row                              picture left - movie left
//   rows N x width W                                       picture height x picture width
//
// so a player decodes it into a view of the buffer whose row 0 starts at that first row and
// column, with the buffer's own row stride (the movie width rounded up to 4, say) as the
// view's stride. A frame without a picture has an empty rectangle and record 0.
//
// A picture is a difference against the buffer as the frame before it left it when the player
// can only have come from there: the frame is not a segment's first, not landable (a late player
// lands on it after skipping frames), not the return frame of a call, every action that leads
// to it belongs to the frame before it, and every pixel of its rectangle was drawn by the frames
// before it since the last frame entered otherwise. Even then the key frame is stored when it is
// no larger. Any other picture is a key frame.
//
// A frame without an end action goes to the next frame; the last frame stops. Preload ranges
// become the records of the pictures of their frames (first > last when none has a picture).
#pragma once

#include <span>
#include <string>
#include <vector>

#include "authoring/movie_sources.h"
#include "authoring/star_output.h"
#include "authoring/title_manifest.h"

namespace lw::authoring {

// What can be known only once the pictures are read: a segment without a rectangle needs a
// picture on its first frame, and every picture lies inside its segment's movie rectangle.
[[nodiscard]] std::vector<ManifestError> CheckMoviePictures(const ManifestMovie& movie,
                                                            const MovieSources& sources);

// The movie file's records (a checked movie); "FILE: $.path: reason" when a sound or a picture
// cannot be encoded. `titlePalette` is the title's colour table record, empty when it has none:
// the palette of a movie that names none.
[[nodiscard]] Expected<Records, std::string> BuildMovieRecords(
    const ManifestMovie& movie, const MovieSources& sources,
    std::span<const std::uint8_t> titlePalette);

}  // namespace lw::authoring

// The frame encoder: makes the frame records that media/frame_codec.h decodes (that header
// describes the record). Each row gets the cheapest row operation found: left unchanged, copied
// from a neighbour row, sent literally, or rebuilt as a delta row against one of the neighbour
// rows, whose sub-operations are chosen by a shortest-path search over the row's columns with
// the exact byte cost of every sub-operation (bit runs included) and, by default, an estimate of
// the time the decoder spends on it: bit runs are small but decode some 30 to 100 times slower
// than literal pixels, copies and fills, so they are used only where they save enough bytes.
//
// The records decode the same way into any bitmap of at least the frame's rows and width, with
// any row stride: copies back in memory (kind 7) stay inside the current row and a repeat of
// the pixel to the left (kind 4) never starts a row, so nothing depends on what lies between
// rows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"

namespace lw::authoring {

// A picture as the encoder reads it: `height` rows of `width` palette indices, row by row.
struct FramePixels {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::span<const std::uint8_t> pixels;  // width x height bytes
};

// What the encoder weighs: bytes against decoding time, or bytes alone.
enum class EncodeGoal : std::uint8_t {
  kBalanced,  // small records that decode fast: a few more bytes where that saves much time
  kSmallest,  // the fewest bytes, however long they take to decode
};

// Encodes `picture` as a frame record. Without `previous` it is a key frame, which rebuilds the
// picture over whatever the bitmap holds (no row is left alone, skipped or built from rows below,
// which still hold old content). With `previous`, a picture of the same size, it is a difference
// frame that turns `previous` into `picture`. Fails, with a message, when a size does not fit
// the record's 16-bit fields or does not match the pixels.
Expected<std::vector<std::uint8_t>, std::string> EncodeFrame(
    const FramePixels& picture, const FramePixels* previous = nullptr,
    EncodeGoal goal = EncodeGoal::kBalanced);

}  // namespace lw::authoring

// Casts and shops of the figure tests, described as an author would: a group with its script and
// its figures, each with its script, set, star and poses, each pose with its frames and
// pictures. GroupRecords lays them out as the records of a cast or shop file, which a test may
// damage before writing them. Record ids, in order: 0 the header; then for each figure its
// record, its script, and for each pose its pose record followed by its pictures; then the
// group script.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objects/cast_file.h"
#include "support/storage_scratch.h"

namespace lw::testing {

// A picture: rows x columns palette indexes, 0 transparent.
struct PictureSpec {
  int rows = 0;
  int columns = 0;
  std::vector<std::uint8_t> pixels;
  int hotV = 0;
  int hotH = 0;
  std::uint16_t view = 0;
  std::uint16_t angle = 0;
  std::int16_t size = 256;
  bool mirrored = false;
};
struct PoseSpec {
  std::string name;
  std::vector<std::uint16_t> frames;  // 1 + the view shown in each frame
  std::vector<PictureSpec> pictures;
};
struct FigureSpec {
  std::string name;
  std::string script;
  std::string set;
  std::string star;
  std::vector<PoseSpec> poses;
};
struct GroupSpec {
  std::string name;
  std::string script;
  std::vector<FigureSpec> figures;
};

std::vector<test::Bytes> GroupRecords(const GroupSpec& group);

// A picture of one colour with its hot spot at the bottom centre.
PictureSpec Block(int rows, int columns, std::uint8_t colour, std::uint16_t angle = 0);
// A picture shaped as a right triangle (row r holds columns 0..r) in two colours, with a
// transparent hole, so that a mirrored or shifted drawing shows.
PictureSpec Wedge(int size, std::uint16_t angle = 0);

// The figures' scripts log open and close events as "openactor:NAME" and the like.
std::string FigureLogScript(std::string_view kind);

}  // namespace lw::testing

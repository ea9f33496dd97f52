// A set's map as authors write it: rows of text, one character a cell, and a legend that says
// what each character stands for: a wall with its texture, or an open floor cell with its scene
// name and floor. Rows and columns count from 0, row 0 at the top (north), column 0 at the left
// (west). Cells outside the grid count as walls.
//
// The moves of a set follow from the map: from every open cell, facing each of the four
// directions, the player may step forward or back into an open neighbour and may always turn a
// quarter left or right.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/expected.h"

namespace lw::authoring {

// The directions a player stands in, as view angles.
inline constexpr int kEast = 0;
inline constexpr int kSouth = 64;
inline constexpr int kWest = 128;
inline constexpr int kNorth = 192;
inline constexpr int kQuarterTurn = 64;

// The largest map: 127 cells of 256 units keep every world coordinate within 16 bits.
inline constexpr int kMaxSetCells = 127;
inline constexpr int kMaxFloor = 31;
inline constexpr std::size_t kMaxSceneName = 15;  // a scene name is stored in 16 bytes

struct SetMapCell {
  bool wall = false;
  std::string texture;  // walls: the name of the wall's texture
  std::string scene;    // open cells: the scene's name; empty in a legend for "r<row>c<column>"
  int floor = 0;        // open cells: 0..31
  bool building = false;
};

// Legend entries: a wall with its texture; an open cell with its scene (empty for a generated
// name), floor and building flag.
[[nodiscard]] inline SetMapCell WallCell(std::string texture) {
  return SetMapCell{true, std::move(texture), "", 0, false};
}
[[nodiscard]] inline SetMapCell OpenCell(std::string scene = "", int floor = 0,
                                         bool building = false) {
  return SetMapCell{false, "", std::move(scene), floor, building};
}

struct SetMap {
  int rows = 0;
  int columns = 0;
  std::vector<SetMapCell> cells;  // rows x columns, row by row
  int startRow = 0;
  int startColumn = 0;
  int startDirection = kEast;  // an angle: 0, 64, 128 or 192
};

struct SetStart {
  int row = 0;
  int column = 0;
  std::string_view direction;  // "north", "east", "south" or "west"
};

// Builds the map from its rows and legend. Fails with a message naming the row and column for an
// unknown character, on rows of different lengths, a map larger than 127 x 127, a wall without a
// texture, a floor outside 0..31, a scene name that is too long or used twice, and a start that
// is outside the map, on a wall or faces an unknown direction.
Expected<SetMap, std::string> ParseSetMap(std::span<const std::string> grid,
                                          const std::map<char, SetMapCell>& legend,
                                          const SetStart& start);

// Whether (row, column) is an open cell of the map; cells outside the grid (or beyond the cells a
// malformed map holds) are walls.
[[nodiscard]] bool IsOpen(const SetMap& map, int row, int column);

// The cell at (row, column), which must be inside the map.
[[nodiscard]] const SetMapCell& CellAt(const SetMap& map, int row, int column);

// "east", "south", "west" or "north" for the angles 0, 64, 128 and 192; "" for any other.
[[nodiscard]] std::string_view DirectionName(int angle);

struct SetMove {
  int fromRow = 0;
  int fromColumn = 0;
  int fromDirection = kEast;  // an angle
  int toRow = 0;
  int toColumn = 0;
  int toDirection = kEast;
  bool operator==(const SetMove&) const = default;
};

// Every move of the map: open cells row by row, each facing east, south, west and north, and for
// each the forward move, the backward move (when that cell is open), the left and the right turn.
[[nodiscard]] std::vector<SetMove> AllowedMoves(const SetMap& map);

}  // namespace lw::authoring

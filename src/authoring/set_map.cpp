#include "authoring/set_map.h"

#include <array>
#include <cstddef>

namespace lw::authoring {
namespace {

struct NamedDirection {
  std::string_view name;
  int angle;
};

// The directions in the order a position's moves are listed.
constexpr std::array<NamedDirection, 4> kDirections{{
    {"east", kEast},
    {"south", kSouth},
    {"west", kWest},
    {"north", kNorth},
}};

std::string At(int row, int column) {
  return "row " + std::to_string(row) + ", column " + std::to_string(column);
}

// The cell one step along `angle` from (row, column), or against it when `sign` is -1.
void StepAlong(int angle, int sign, int& row, int& column) {
  if (angle == kEast) column += sign;
  if (angle == kSouth) row += sign;
  if (angle == kWest) column -= sign;
  if (angle == kNorth) row -= sign;
}

// Checks what a legend entry says about a cell, at the cell where it is first used.
std::string CheckCell(const SetMapCell& cell, int row, int column) {
  if (cell.wall) return cell.texture.empty() ? At(row, column) + ": a wall needs a texture" : "";
  if (cell.floor < 0 || cell.floor > kMaxFloor)
    return At(row, column) + ": floor " + std::to_string(cell.floor) + " is outside 0..31";
  return "";
}

// The cells of the grid, each from its legend entry, with generated scene names filled in.
Expected<std::vector<SetMapCell>, std::string> ReadCells(std::span<const std::string> grid,
                                                         const std::map<char, SetMapCell>& legend) {
  std::vector<SetMapCell> cells;
  std::map<std::string, std::string> sceneAt;  // scene name -> where it stands
  for (std::size_t r = 0; r < grid.size(); ++r) {
    for (std::size_t c = 0; c < grid[r].size(); ++c) {
      const int row = static_cast<int>(r);
      const int column = static_cast<int>(c);
      const auto entry = legend.find(grid[r][c]);
      if (entry == legend.end())
        return Unexpected(At(row, column) + ": '" + std::string(1, grid[r][c]) +
                          "' is not in the legend");
      SetMapCell cell = entry->second;
      if (std::string error = CheckCell(cell, row, column); !error.empty())
        return Unexpected(error);
      if (!cell.wall) {
        if (cell.scene.empty())
          cell.scene = "r" + std::to_string(row) + "c" + std::to_string(column);
        if (cell.scene.size() > kMaxSceneName)
          return Unexpected(At(row, column) + ": scene name \"" + cell.scene +
                            "\" is longer than 15 characters");
        const auto [previous, added] = sceneAt.emplace(cell.scene, At(row, column));
        if (!added)
          return Unexpected(At(row, column) + ": scene \"" + cell.scene + "\" is already at " +
                            previous->second);
      }
      cells.push_back(std::move(cell));
    }
  }
  return cells;
}

// Checks the grid's shape: at least one cell, rows of one length, within the largest map.
std::string CheckShape(std::span<const std::string> grid) {
  if (grid.empty() || grid[0].empty()) return "the map has no cells";
  for (std::size_t r = 1; r < grid.size(); ++r) {
    if (grid[r].size() != grid[0].size())
      return "row " + std::to_string(r) + " has " + std::to_string(grid[r].size()) +
             " cells, row 0 has " + std::to_string(grid[0].size());
  }
  if (grid.size() > kMaxSetCells || grid[0].size() > kMaxSetCells)
    return "the map is " + std::to_string(grid.size()) + " x " + std::to_string(grid[0].size()) +
           " cells, more than 127 x 127";
  return "";
}

}  // namespace

Expected<SetMap, std::string> ParseSetMap(std::span<const std::string> grid,
                                          const std::map<char, SetMapCell>& legend,
                                          const SetStart& start) {
  if (std::string error = CheckShape(grid); !error.empty()) return Unexpected(error);
  auto cells = ReadCells(grid, legend);
  if (!cells) return Unexpected(cells.error());
  SetMap map;
  map.rows = static_cast<int>(grid.size());
  map.columns = static_cast<int>(grid[0].size());
  map.cells = std::move(cells.value());

  const std::string where = "the start (" + At(start.row, start.column) + ")";
  if (start.row < 0 || start.row >= map.rows || start.column < 0 || start.column >= map.columns)
    return Unexpected(where + " is outside the " + std::to_string(map.rows) + " x " +
                      std::to_string(map.columns) + " map");
  if (!IsOpen(map, start.row, start.column)) return Unexpected(where + " is on a wall");
  map.startRow = start.row;
  map.startColumn = start.column;
  for (const NamedDirection& direction : kDirections) {
    if (direction.name == start.direction) {
      map.startDirection = direction.angle;
      return map;
    }
  }
  return Unexpected("the start direction \"" + std::string(start.direction) +
                    "\" is not north, east, south or west");
}

bool IsOpen(const SetMap& map, int row, int column) {
  if (row < 0 || row >= map.rows || column < 0 || column >= map.columns) return false;
  const auto index = static_cast<std::size_t>(row) * static_cast<std::size_t>(map.columns) +
                     static_cast<std::size_t>(column);
  return index < map.cells.size() && !map.cells[index].wall;
}

const SetMapCell& CellAt(const SetMap& map, int row, int column) {
  return map.cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(map.columns) +
                   static_cast<std::size_t>(column)];
}

std::string_view DirectionName(int angle) {
  for (const NamedDirection& direction : kDirections) {
    if (direction.angle == angle) return direction.name;
  }
  return "";
}

std::vector<SetMove> AllowedMoves(const SetMap& map) {
  std::vector<SetMove> moves;
  for (int row = 0; row < map.rows; ++row) {
    for (int column = 0; column < map.columns; ++column) {
      if (!IsOpen(map, row, column)) continue;
      for (const NamedDirection& direction : kDirections) {
        const int angle = direction.angle;
        const SetMove stay{row, column, angle, row, column, angle};
        for (const int sign : {1, -1}) {
          SetMove step = stay;
          StepAlong(angle, sign, step.toRow, step.toColumn);
          if (IsOpen(map, step.toRow, step.toColumn)) moves.push_back(step);
        }
        SetMove left = stay;
        left.toDirection = (angle + 3 * kQuarterTurn) % 256;
        moves.push_back(left);
        SetMove right = stay;
        right.toDirection = (angle + kQuarterTurn) % 256;
        moves.push_back(right);
      }
    }
  }
  return moves;
}

}  // namespace lw::authoring

// Figures: the actors of casts and the props of shops, the title's animated things. Both kinds
// are kept the same way, in a table of figure records, each shown in one pose (a prop's is
// called a view) whose frames cycle, each frame seen from several angles. A figure is either
// two-dimensional, placed by a point on the stage, or three-dimensional, placed by x, y and z in
// the current set and drawn into its scene view through the camera.
//
// A figure record in memory, with the default each field takes when a cast or shop is opened:
//   FIELD          WHAT IT IS                                            DEFAULT
//   visible        actorvisible / propvisible                            false
//   group          the star file of the cast or shop
//   recordId       the figure record in that file, kept loaded
//   scriptId       the figure's script
//   is3d           placed in 3-D                                         false; true on a star
//   pointV, H      2-D position (stage coordinates)                      0
//   deg            facing, 0..255 (0 +x, 64 +y)                          0
//   x, y, z        3-D position                                          0, or the star's
//   extra          an actor: two words copied with a star; a prop: its   0
//                  cell (x / 256, y / 256) when placed by a star or ball
//   turn           actorturn, an actor's turning step a tick             16
//   frame          index into the pose's frame sequence                  0
//   speed          walking step a tick                                   4
//   dist           a 2-D figure's depth; a 3-D one's last projected one  -1
//   scale          per mille                                             1000
//   serial         object serial, fresh from the stamp counter
//   shown          what was last drawn: picture, rectangle, reference point, size
//   value, zclip   stored as given                                       0
//   hitV, hitH     actorhitbox: half-sizes up and across, for balls      0
//   name, set, star, pose, owner (15 characters at most)                 owner "None"
#pragma once

#include <cstdint>
#include <string>

#include "common/geometry.h"
#include "objects/cast_file.h"
#include "objects/object_kinds.h"

namespace lw {

class StarFile;

enum class FigureKind : std::uint8_t { kActor, kProp };

// What sets a kind apart: its object kinds (figure and group), its group files' star type, and
// whether it turns and has a hit box (actors) or not (props).
struct FigureKindInfo {
  FigureKind kind;
  ObjectKind figure;
  ObjectKind group;
  std::string_view fileType;
  bool turns;
};

inline constexpr FigureKindInfo kActorKind{FigureKind::kActor, ObjectKind::kActor,
                                           ObjectKind::kCast, kCastFileType, true};
inline constexpr FigureKindInfo kPropKind{FigureKind::kProp, ObjectKind::kProp, ObjectKind::kShop,
                                          kShopFileType, false};

inline constexpr std::int16_t kDefaultTurn = 16;
inline constexpr std::int16_t kDefaultSpeed = 4;
inline constexpr std::int32_t kDefaultScale = 1000;
inline constexpr char kNoOwner[] = "None";

// What a figure showed in the last frame that drew it.
struct ShownPicture {
  std::uint32_t picture = 0;  // record id; 0 when not shown
  Rect rect;
  Point point;
  std::int16_t rows = 0;
  std::int16_t columns = 0;
  bool flag = false;  // a redraw is due whatever changed
};

struct Figure {
  bool visible = false;
  StarFile* group = nullptr;
  std::uint32_t recordId = 0;
  std::uint32_t scriptId = 0;
  FigureRecord record;  // the poses, read from the kept record
  bool is3d = false;
  std::int16_t pointV = 0;
  std::int16_t pointH = 0;
  std::int16_t deg = 0;
  std::int16_t x = 0, y = 0, z = 0;
  std::int16_t extra[2] = {0, 0};
  std::int16_t turn = kDefaultTurn;
  std::int16_t frame = 0;
  std::int16_t speed = kDefaultSpeed;
  std::int16_t dist = -1;
  std::int32_t scale = kDefaultScale;
  std::uint32_t serial = 0;
  ShownPicture shown;
  std::int32_t value = 0;
  std::int16_t zclip = 0;
  std::int16_t hitV = 0;
  std::int16_t hitH = 0;
  std::string name;
  std::string set;
  std::string star;
  std::string pose;
  std::string owner = kNoOwner;
};

// Half-sizes of a box round a point: up and down, and across in x and y (actorhitbox, and the
// player's, which balls hit).
struct HitBox {
  std::int16_t vertical = 0;
  std::int16_t horizontal = 0;
};

// A cast or a shop: an open group file.
struct FigureGroup {
  StarFile* file = nullptr;
  std::uint32_t scriptId = 0;
  std::string name;
};

}  // namespace lw

// The set: the single set library a title has open (a set file, type 'SCDO', read through
// set_file.h): its scenes on a grid of cells, the player standing in one of them facing one of
// four directions, the camera behind the player, and the moves the player makes. Record 0, the
// move table and the star record stay loaded and locked while the set is open.
//
// Directions, by their code:   1 north (view angle 192), 2 south (64), 3 east (0), 4 west (128).
//
// A position has a view when the move table holds a move from it: its view is the first of the
// move's five pictures. A move (forward, backward, a quarter turn) is animated over five display
// steps, picture k of the move at step k: the player stands at the cell centre moved k x 64
// units toward the target, or faces the view angle turned k x 16 units, and the camera stands
// the set's set-back behind. After step 4 the target is the player's position.
//
// Re-entrancy: the handlers of the open and close messages may open and close sets. Each opening
// counts a generation; after each handler the operation checks that its set is still open, the
// same generation, and (where it matters) the player on the same position, and stops with
// success when it is not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "media/scene_view.h"
#include "media/star_library.h"
#include "objects/event_message.h"
#include "objects/library_open.h"
#include "objects/saved_game_header.h"
#include "objects/set_display.h"
#include "objects/set_file.h"
#include "script/builtin_table.h"
#include "script/compiled_script_cache.h"
#include "shell/error_report.h"

namespace lw {

class ScriptChain;

// The floors 0..31 a set's scenes stand on, as an int for the arithmetic of scripts.
inline constexpr int kFloorCount = static_cast<int>(kMaxFloors);

struct SetParts {
  StarLibrary& library;
  CompiledScriptCache& scripts;
  ErrorReporter& errors;
  SetDisplay& display;
  LocateFile locate;
  // Told when a set has opened and placed the player, before its open messages go out.
  std::function<void()> opened;
};

// A cell and a direction code (1..4).
struct SetPosition {
  int column = 0;
  int row = 0;
  int direction = 0;

  friend bool operator==(const SetPosition&, const SetPosition&) = default;
};

// What a move of the player is.
enum class SetMoveWord : std::uint8_t { kLeft, kRight, kStraight, kBackwards };

// A point of the set (x, y, z in set units).
struct SetPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t z = 0;
};

class SetObjects {
 public:
  explicit SetObjects(SetParts parts) : p_(std::move(parts)) {}
  ~SetObjects() { ShutDown(); }
  SetObjects(const SetObjects&) = delete;
  SetObjects& operator=(const SetObjects&) = delete;

  [[nodiscard]] bool isOpen() const { return open_; }
  [[nodiscard]] bool isVisible() const { return open_ && visible_; }
  [[nodiscard]] const SetHeader& header() const { return header_; }
  [[nodiscard]] const SetPosition& position() const { return position_; }
  [[nodiscard]] int viewAngle() const { return viewAngle_; }
  [[nodiscard]] bool moving() const { return move_.has_value(); }
  [[nodiscard]] const SetPoint& player() const { return player_; }
  [[nodiscard]] const Camera& camera() const { return camera_; }
  // The scene under the player (the one whose messages were last sent), if the grid has one.
  [[nodiscard]] std::optional<std::size_t> currentScene() const;
  [[nodiscard]] std::optional<std::size_t> findScene(std::string_view name) const;
  [[nodiscard]] std::optional<std::size_t> sceneAt(int row, int column) const;
  // Whether a thrown ball meets a wall in the cell: a scene marked as a building, or a cell with
  // no scene at all (a wall of the map, or outside the grid). False without a set.
  [[nodiscard]] bool isSolidCell(int row, int column) const;
  // Whether the set is open and shown and `p` (stage coordinates) lies in the scene view.
  [[nodiscard]] bool shows(Point p) const;

  ScriptError OpenSetFile(BuiltinCall& c, std::string_view fileName);
  ScriptError CloseSetFile(BuiltinCall& c);
  void SetVisible(bool visible);
  // currentscene written with a scene name: the player jumps there, keeping the direction.
  ScriptError JumpToScene(BuiltinCall& c, std::size_t scene);
  // currentscene written with a movement word: the move starts when the move table allows it.
  ScriptError StartMove(BuiltinCall& c, SetMoveWord word);
  // currentdir or currentdeg written: the player turns in place to face direction `code`.
  ScriptError TurnTo(BuiltinCall& c, int code);
  void SetCameraHeight(std::int32_t height);
  // scenescript: whether the scene's script holds a handler, written back into the header.
  ScriptError UpdateSceneScriptFlag(std::size_t scene);

  // One step of a move's animation (the display step runs it while a move is under way); the
  // last one sends openscene() to the scene reached.
  ScriptError ViewUpdateStep(BuiltinCall& c);

  // The messages: sendtoset, sendtofloor, sendtoscene (and their fx twins with `result`).
  ScriptError SendToSet(BuiltinCall& c, Value* result);
  ScriptError SendToFloor(BuiltinCall& c, Value* result);
  ScriptError SendToScene(BuiltinCall& c, Value* result);

  // A star of the open set by name: the first link entry whose first name matches, or one with
  // a path whose second name matches.
  [[nodiscard]] std::optional<SetPoint> FindStar(std::string_view name) const;
  // The path of a walk from star `from` to star `to`: the first link with a path whose first
  // name is `from` and second `to` gives it as stored, one the other way round gives it
  // reversed (points in the opposite order, each segment's length moved to its new end). With
  // `resume` the path is found by `to` alone, at either end. Nothing when there is none or its
  // record does not read (reported).
  [[nodiscard]] std::optional<SetPath> FindPath(std::string_view from, std::string_view to,
                                                bool resume) const;

  // The idle step's preload while the player stands: the pictures of the moves that start where
  // the player stands are got and released one a call, so that the resource cache holds them
  // when a move begins. True when it loaded one (the idle step then does nothing else).
  bool PreloadStep();

  // Saved games: the set's state (the caller fills in the player's hit box), and the set opened
  // again from a saved state without a message: `file`'s records loaded, its scripts warmed, the
  // camera height and visibility restored and the player placed at the saved position, facing
  // the saved way. False when the set is open or the file does not make a set (reported; the
  // file is parked).
  [[nodiscard]] SavedSet Saved() const;
  bool Restore(StarFile& file, const SavedSet& saved);

  // The runtime stop: releases the records and parks the file without telling the title.
  void ShutDown();

 private:
  struct Mark {
    std::uint64_t generation = 0;
    SetPosition position;
  };
  struct Move {
    SetPosition target;
    std::uint32_t firstPicture = 0;
    int step = 0;
  };

  [[nodiscard]] Mark mark() const { return {generation_, position_}; }
  [[nodiscard]] bool sameSet(const Mark& m) const { return open_ && generation_ == m.generation; }
  [[nodiscard]] bool sameSetAndPlace(const Mark& m) const {
    return sameSet(m) && position_ == m.position;
  }

  bool LoadRecords(StarFile& file);
  void WarmScripts();
  // The move from `from` to `to`, if the table holds one.
  [[nodiscard]] const MoveEntry* findMove(const SetPosition& from, const SetPosition& to) const;
  // Places the player (negative fields keep the current ones) when the place has a view.
  void PlacePlayer(SetPosition place);
  // Draws picture first + step, places player and camera for the step, composes a frame.
  void DrawStep(const SetPosition& from, const SetPosition& to, std::uint32_t firstPicture,
                int step);
  void Release();
  // The pictures of the moves from where the player now stands, for PreloadStep.
  void QueuePreload();

  ScriptError SendSetEvent(BuiltinCall& c, ObjectEvent event);
  ScriptError SendFloorEvent(BuiltinCall& c, ObjectEvent event);
  ScriptError SendSceneEvent(BuiltinCall& c, ObjectEvent event);
  ScriptError AddSetFrame(ScriptChain& chain, std::string_view target);

  SetParts p_;
  bool open_ = false;
  bool visible_ = false;
  StarFile* file_ = nullptr;
  SetHeader header_;
  std::vector<MoveEntry> moves_;
  std::unordered_map<std::uint32_t, std::size_t> sceneIndex_;  // (row, column) -> scene
  std::vector<StarLink> stars_;
  SetPosition position_;
  SetPosition previous_;
  int viewAngle_ = 0;
  SetPoint player_;
  Camera camera_;
  int sceneColumn_ = 0;
  int sceneRow_ = 0;
  std::optional<Move> move_;
  std::vector<std::int32_t> preload_;
  std::uint64_t generation_ = 0;
};

// A walk's destination written as a point: three integers separated by commas ("512, 640,
// -10"; digits, minus signs and blanks); nothing for any other text.
[[nodiscard]] std::optional<SetPoint> ParseCustomDestination(std::string_view text);

// The view angle of direction code 1..4 (north 192, south 64, east 0, west 128).
[[nodiscard]] int DirectionAngle(int code);
// The direction code an angle's low 8 bits pick: 225..31 east, 32..96 south, 97..159 west,
// 160..224 north.
[[nodiscard]] int DirectionOfAngle(std::int32_t angle);

}  // namespace lw

#include "objects/set_builtins.h"

#include <array>
#include <string_view>

#include "common/geometry.h"
#include "objects/builtin_arguments.h"
#include "objects/object_names.h"
#include "script/interpreter.h"

namespace lw {
namespace {

constexpr std::array<std::string_view, 4> kDirectionNames = {"north", "south", "east", "west"};
constexpr std::array<std::string_view, 4> kMoveWords = {"left", "right", "strait", "backwards"};

ScriptError NeedOpen(const SetObjects& s) {
  return s.isOpen() ? ScriptError::None : ScriptError::SceneLibOpenClose;
}

// The one argument that names a scene of the open set, found.
ScriptError SceneArgument(BuiltinCall& c, const SetObjects& s, std::size_t& scene) {
  PString name;
  LW_TRY(TextArgument(c, name));
  LW_TRY(NeedOpen(s));
  const auto found = s.findScene(name.view());
  if (!found) return ScriptError::NoSuchObject;
  scene = *found;
  return ScriptError::None;
}

// Part n of a point: 1 x, 2 y, 3 z, 4 (x, y) packed.
ScriptError PointPart(BuiltinCall& c, const SetPoint& p, std::int32_t n) {
  switch (n) {
    case 1: *c.result = Value::Number(p.x); break;
    case 2: *c.result = Value::Number(p.y); break;
    case 3: *c.result = Value::Number(p.z); break;
    case 4: *c.result = Value::Number(PackPoint(PointAt(Wrap16(p.y), Wrap16(p.x)))); break;
    default: return ScriptError::BadArgumentType;
  }
  return ScriptError::None;
}

ScriptError OpenSetFile(BuiltinCall& c, SetObjects& s) {
  PString name;
  LW_TRY(TextArgument(c, name));
  return s.OpenSetFile(c, name.view());
}
ScriptError CloseSetFile(BuiltinCall& c, SetObjects& s) { return s.CloseSetFile(c); }

ScriptError SetScript(BuiltinCall& c, SetObjects& s) {
  LW_TRY(NeedOpen(s));
  c.in.resultText.clear();
  return ScriptError::None;
}
ScriptError FloorScript(BuiltinCall& c, SetObjects& s) {
  std::int32_t n = 0;
  LW_TRY(NumberArgument(c, n));
  LW_TRY(NeedOpen(s));
  if (n < 0 || n >= kFloorCount) return ScriptError::BadArgumentType;
  c.in.resultText.clear();
  return ScriptError::None;
}
ScriptError SceneScript(BuiltinCall& c, SetObjects& s) {
  std::size_t scene = 0;
  LW_TRY(SceneArgument(c, s, scene));
  c.in.resultText.clear();
  return s.UpdateSceneScriptFlag(scene);
}

ScriptError SendToSet(BuiltinCall& c, SetObjects& s) { return s.SendToSet(c, nullptr); }
ScriptError SendToSetFx(BuiltinCall& c, SetObjects& s) { return s.SendToSet(c, c.result); }
ScriptError SendToFloor(BuiltinCall& c, SetObjects& s) { return s.SendToFloor(c, nullptr); }
ScriptError SendToFloorFx(BuiltinCall& c, SetObjects& s) { return s.SendToFloor(c, c.result); }
ScriptError SendToScene(BuiltinCall& c, SetObjects& s) { return s.SendToScene(c, nullptr); }
ScriptError SendToSceneFx(BuiltinCall& c, SetObjects& s) { return s.SendToScene(c, c.result); }

ScriptError SetVisibleRead(BuiltinCall& c, SetObjects& s) {
  *c.result = Value::Logic(s.isVisible());
  return ScriptError::None;
}
ScriptError SetVisibleWrite(BuiltinCall& c, SetObjects& s) {
  Value v;
  bool shown = false;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::logic(v, shown));
  LW_TRY(NeedOpen(s));
  s.SetVisible(shown);
  return ScriptError::None;
}

ScriptError CurrentSceneRead(BuiltinCall& c, SetObjects& s) {
  if (!s.isOpen()) return c.returnText("None");
  const auto scene = s.currentScene();
  return c.returnText(scene ? std::string_view(s.header().scenes[*scene].name) : "none");
}
ScriptError CurrentSceneWrite(BuiltinCall& c, SetObjects& s) {
  PString text;
  LW_TRY(TextArgument(c, text));
  LW_TRY(NeedOpen(s));
  for (std::size_t i = 0; i < kMoveWords.size(); ++i) {
    if (SameObjectName(kMoveWords[i], text.view())) {
      return s.StartMove(c, static_cast<SetMoveWord>(i));
    }
  }
  const auto scene = s.findScene(text.view());
  if (!scene) return ScriptError::NoSuchObject;
  return s.JumpToScene(c, *scene);
}

ScriptError CurrentDirRead(BuiltinCall& c, SetObjects& s) {
  if (!s.isOpen()) return c.returnText("nowhere");
  if (s.viewAngle() % 64 != 0) return c.returnText("turning");
  if (s.moving()) return c.returnText("moving");
  return c.returnText(kDirectionNames[static_cast<std::size_t>(s.position().direction - 1)]);
}
ScriptError CurrentDirWrite(BuiltinCall& c, SetObjects& s) {
  PString text;
  LW_TRY(TextArgument(c, text));
  LW_TRY(NeedOpen(s));
  for (std::size_t i = 0; i < kDirectionNames.size(); ++i) {
    if (SameObjectName(kDirectionNames[i], text.view())) {
      return s.TurnTo(c, static_cast<int>(i) + 1);
    }
  }
  return ScriptError::NoSuchObject;
}

ScriptError CurrentDegRead(BuiltinCall& c, SetObjects& s) {
  *c.result = Value::Number(s.isOpen() ? s.viewAngle() : -1);
  return ScriptError::None;
}
ScriptError CurrentDegWrite(BuiltinCall& c, SetObjects& s) {
  std::int32_t angle = 0;
  LW_TRY(NumberArgument(c, angle));
  LW_TRY(NeedOpen(s));
  return s.TurnTo(c, DirectionOfAngle(angle));
}

ScriptError CameraHiRead(BuiltinCall& c, SetObjects& s) {
  LW_TRY(NeedOpen(s));
  *c.result = Value::Number(s.header().cameraHeight);
  return ScriptError::None;
}
ScriptError CameraHiWrite(BuiltinCall& c, SetObjects& s) {
  std::int32_t height = 0;
  LW_TRY(NumberArgument(c, height));
  LW_TRY(NeedOpen(s));
  s.SetCameraHeight(height);
  return ScriptError::None;
}

ScriptError CurrentSet(BuiltinCall& c, SetObjects& s) {
  return c.returnText(s.isOpen() ? std::string_view(s.header().name) : "None");
}
ScriptError SetWidth(BuiltinCall& c, SetObjects& s) {
  LW_TRY(NeedOpen(s));
  *c.result = Value::Number(s.header().width);
  return ScriptError::None;
}
ScriptError SetHeight(BuiltinCall& c, SetObjects& s) {
  LW_TRY(NeedOpen(s));
  *c.result = Value::Number(s.header().height);
  return ScriptError::None;
}
ScriptError CountScenes(BuiltinCall& c, SetObjects& s) {
  LW_TRY(NeedOpen(s));
  *c.result = Value::Number(static_cast<std::int32_t>(s.header().scenes.size()));
  return ScriptError::None;
}
ScriptError IndexToScene(BuiltinCall& c, SetObjects& s) {
  std::int32_t n = 0;
  LW_TRY(NumberArgument(c, n));
  LW_TRY(NeedOpen(s));
  if (n < 1 || static_cast<std::size_t>(n) > s.header().scenes.size()) {
    return ScriptError::NoSuchObject;
  }
  return c.returnText(s.header().scenes[static_cast<std::size_t>(n - 1)].name);
}
ScriptError RowColToScene(BuiltinCall& c, SetObjects& s) {
  Value v[2];
  std::int32_t row = 0;
  std::int32_t column = 0;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::number(v[0], row));
  LW_TRY(BuiltinCall::number(v[1], column));
  LW_TRY(NeedOpen(s));
  const auto scene = s.sceneAt(row, column);
  return c.returnText(scene ? std::string_view(s.header().scenes[*scene].name) : "none");
}

// scenerow, scenecol, scenefloor, scenebuild: one field of a scene's entry.
template <std::int32_t (*Field)(const SceneEntry&)>
ScriptError SceneField(BuiltinCall& c, SetObjects& s) {
  std::size_t scene = 0;
  LW_TRY(SceneArgument(c, s, scene));
  *c.result = Value::Number(Field(s.header().scenes[scene]));
  return ScriptError::None;
}
std::int32_t RowOf(const SceneEntry& e) { return e.row; }
std::int32_t ColumnOf(const SceneEntry& e) { return e.column; }
std::int32_t FloorOf(const SceneEntry& e) { return e.floor; }
ScriptError SceneBuild(BuiltinCall& c, SetObjects& s) {
  std::size_t scene = 0;
  LW_TRY(SceneArgument(c, s, scene));
  *c.result = Value::Logic(s.header().scenes[scene].building);
  return ScriptError::None;
}

ScriptError SceneXyz(BuiltinCall& c, SetObjects& s) {
  Value v[2];
  std::int32_t n = 0;
  PString name;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedNumber(v[1]));
  LW_TRY(c.text(v[0], name));
  LW_TRY(BuiltinCall::number(v[1], n));
  LW_TRY(NeedOpen(s));
  const auto scene = s.findScene(name.view());
  if (!scene) return ScriptError::NoSuchObject;
  const SceneEntry& e = s.header().scenes[*scene];
  return PointPart(c, SetPoint{CellCentre(e.column), CellCentre(e.row), 0}, n);
}

ScriptError StarXyz(BuiltinCall& c, SetObjects& s) {
  Value v[2];
  std::int32_t n = 0;
  PString name;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedNumber(v[1]));
  LW_TRY(c.text(v[0], name));
  LW_TRY(BuiltinCall::number(v[1], n));
  const auto star = s.FindStar(name.view());
  if (!star) return ScriptError::NoSuchObject;
  return PointPart(c, *star, n);
}

ScriptError CameraXyz(BuiltinCall& c, SetObjects& s) {
  std::int32_t n = 0;
  LW_TRY(NumberArgument(c, n));
  LW_TRY(NeedOpen(s));
  const Camera& camera = s.camera();
  return PointPart(c, SetPoint{camera.x, camera.y, camera.z}, n);
}
ScriptError PlayerXyz(BuiltinCall& c, SetObjects& s) {
  std::int32_t n = 0;
  LW_TRY(NumberArgument(c, n));
  LW_TRY(NeedOpen(s));
  return PointPart(c, s.player(), n);
}
ScriptError PointInSet(BuiltinCall& c, SetObjects& s) {
  std::int32_t packed = 0;
  LW_TRY(NumberArgument(c, packed));
  *c.result = Value::Logic(s.shows(UnpackPoint(packed)));
  return ScriptError::None;
}

using enum BuiltinKind;
constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kClosed = ScriptError::SceneLibOpenClose;
constexpr ScriptError kNoSuch = ScriptError::NoSuchObject;

constexpr BuiltinEntry<SetObjects> kSetBuiltins[] = {
    {"opensetfile",
     kCommand,
     OpenSetFile,
     {"file: text",
      "",
      {kType, kClosed, ScriptError::WrongTypeOfFile},
      "Opens a set file, places the player at its start and sends openset(), openfloor() and "
      "openscene()."}},
    {"closesetfile",
     kCommand,
     CloseSetFile,
     {"", "", {kClosed}, "Sends closeset(), closefloor() and closescene(), then closes the set."}},
    {"setscript",
     kCommand,
     SetScript,
     {"", "", {kClosed}, "Checks that a set is open and empties the result text."}},
    {"floorscript",
     kCommand,
     FloorScript,
     {"n: number", "", {kType, kClosed}, "Checks floor n (0 to 31) and empties the result text."}},
    {"scenescript",
     kCommand,
     SceneScript,
     {"scene: text",
      "",
      {kType, kClosed, kNoSuch},
      "Notes in the set whether the scene's own script holds a handler; empties the result text."}},
    {"sendtoset",
     kCommand,
     SendToSet,
     {"call: call", "", {kClosed}, "Runs the handler call in the set's script."}},
    {"sendtosetfx",
     kFunction,
     SendToSetFx,
     {"call: call", "any", {kClosed}, "The value of the handler call run in the set's script."}},
    {"sendtofloor",
     kCommand,
     SendToFloor,
     {"n: number, call: call",
      "",
      {kType, kClosed, kNoSuch},
      "Runs the handler call along floor n's script, then the set's."}},
    {"sendtofloorfx",
     kFunction,
     SendToFloorFx,
     {"n: number, call: call",
      "any",
      {kType, kClosed, kNoSuch},
      "The value of the handler call run along floor n's script, then the set's."}},
    {"sendtoscene",
     kCommand,
     SendToScene,
     {"scene: text, call: call",
      "",
      {kType, kClosed, kNoSuch},
      "Runs the handler call along the scene's script, its floor's and the set's."}},
    {"sendtoscenefx",
     kFunction,
     SendToSceneFx,
     {"scene: text, call: call",
      "any",
      {kType, kClosed, kNoSuch},
      "The value of the handler call run along the scene's, its floor's and the set's scripts."}},
    {"setvisible",
     kPropertyRead,
     SetVisibleRead,
     {"", "logic", {}, "Whether an open set shows its scene view."}},
    {"setvisible",
     kPropertyWrite,
     SetVisibleWrite,
     {"shown: logic", "", {kType, kClosed}, "Shows or hides the scene view."}},
    {"currentscene",
     kPropertyRead,
     CurrentSceneRead,
     {"", "text", {}, "The scene under the player; \"None\" without a set."}},
    {"currentscene",
     kPropertyWrite,
     CurrentSceneWrite,
     {"where: text",
      "",
      {kType, kClosed, kNoSuch},
      "A scene name: the player jumps there. \"left\", \"right\": a quarter turn; \"strait\", "
      "\"backwards\": a cell forward or back, when the set allows it."}},
    {"currentdir",
     kPropertyRead,
     CurrentDirRead,
     {"",
      "text",
      {},
      "\"north\", \"south\", \"east\" or \"west\"; \"moving\" or \"turning\" inside a move; "
      "\"nowhere\" without a set."}},
    {"currentdir",
     kPropertyWrite,
     CurrentDirWrite,
     {"direction: text",
      "",
      {kType, kClosed, kNoSuch},
      "Turns the player to face the direction named."}},
    {"currentdeg",
     kPropertyRead,
     CurrentDegRead,
     {"", "number", {}, "The view angle, 256 a turn, 0 east and 64 south; -1 without a set."}},
    {"currentdeg",
     kPropertyWrite,
     CurrentDegWrite,
     {"angle: number",
      "",
      {kType, kClosed},
      "Turns the player to the direction nearest the angle."}},
    {"camerahi", kPropertyRead, CameraHiRead, {"", "number", {kClosed}, "The camera's height."}},
    {"camerahi",
     kPropertyWrite,
     CameraHiWrite,
     {"height: number", "", {kType, kClosed}, "Sets the camera's height."}},
    {"currentset",
     kFunction,
     CurrentSet,
     {"", "text", {}, "The open set's name; \"None\" without a set."}},
    {"setwidth", kFunction, SetWidth, {"", "number", {kClosed}, "The set's width in cells."}},
    {"setheight", kFunction, SetHeight, {"", "number", {kClosed}, "The set's height in cells."}},
    {"countscenes",
     kFunction,
     CountScenes,
     {"", "number", {kClosed}, "The number of the set's scenes."}},
    {"indextoscene",
     kFunction,
     IndexToScene,
     {"n: number", "text", {kType, kClosed, kNoSuch}, "The name of scene n, counted from 1."}},
    {"rowcoltoscene",
     kFunction,
     RowColToScene,
     {"row: number, column: number",
      "text",
      {kType, kClosed},
      "The scene at the cell; \"none\" when it has none."}},
    {"scenerow",
     kFunction,
     SceneField<RowOf>,
     {"scene: text", "number", {kType, kClosed, kNoSuch}, "The scene's row."}},
    {"scenecol",
     kFunction,
     SceneField<ColumnOf>,
     {"scene: text", "number", {kType, kClosed, kNoSuch}, "The scene's column."}},
    {"scenefloor",
     kFunction,
     SceneField<FloorOf>,
     {"scene: text", "number", {kType, kClosed, kNoSuch}, "The scene's floor, 0 to 31."}},
    {"scenebuild",
     kFunction,
     SceneBuild,
     {"scene: text", "logic", {kType, kClosed, kNoSuch}, "Whether the scene's cell is solid."}},
    {"scenexyz",
     kFunction,
     SceneXyz,
     {"scene: text, n: number",
      "number",
      {kType, kClosed, kNoSuch},
      "The scene's centre: 1 x, 2 y, 3 z (0), 4 the point (x, y)."}},
    {"starxyz",
     kFunction,
     StarXyz,
     {"star: text, n: number",
      "number",
      {kType, kNoSuch},
      "Where the star stands: 1 x, 2 y, 3 z, 4 the point (x, y)."}},
    {"cameraxyz",
     kFunction,
     CameraXyz,
     {"n: number",
      "number",
      {kType, kClosed},
      "Where the camera stands: 1 x, 2 y, 3 z, 4 the point (x, y)."}},
    {"playerxyz",
     kFunction,
     PlayerXyz,
     {"n: number",
      "number",
      {kType, kClosed},
      "Where the player stands: 1 x, 2 y, 3 z, 4 the point (x, y)."}},
    {"pointinset",
     kFunction,
     PointInSet,
     {"p: point",
      "logic",
      {kType},
      "Whether a set shows and stage point p lies in its scene view."}},
};

}  // namespace

void WireSetBuiltins(BuiltinTable& table, SetObjects& set) { table.wire<kSetBuiltins>(set); }
void DescribeSetBuiltins(BuiltinTable& catalog) { catalog.describe<kSetBuiltins>(); }

}  // namespace lw

#include "objects/figure_builtins.h"

#include <algorithm>
#include <array>

#include "objects/builtin_arguments.h"
#include "objects/object_names.h"
#include "script/interpreter.h"

namespace lw {
namespace {

constexpr std::int32_t kSlowest = 1;
constexpr std::int32_t kFastest = 256;
constexpr std::int32_t kDirectionMask = 0xFF;
constexpr char kPlayer[] = "player";

enum class Arg : std::uint8_t { kNumber, kText, kLogic };

ScriptError CheckType(const Value& v, Arg type) {
  switch (type) {
    case Arg::kNumber: return NeedNumber(v);
    case Arg::kText: return NeedText(v);
    case Arg::kLogic: return v.isLogic() ? ScriptError::None : ScriptError::BadArgumentType;
  }
  return ScriptError::BadArgumentType;
}

// A property's arguments: the figure's name, then values of the types given. Every type is
// checked before any text is read; then the figure is found.
template <std::size_t N>
ScriptError FigureArgs(BuiltinCall& c, FigureServices& s, const std::array<Arg, N>& types,
                       std::array<Value, N>& values, Figure*& figure) {
  std::array<Value, N + 1> all;
  LW_TRY(c.args(all));
  LW_TRY(NeedText(all[0]));
  for (std::size_t i = 0; i < N; ++i) LW_TRY(CheckType(all[i + 1], types[i]));
  std::copy(all.begin() + 1, all.end(), values.begin());
  PString name;
  LW_TRY(c.text(all[0], name));
  const auto found = s.table.Find(name.view());
  if (!found) return ScriptError::NoSuchObject;
  figure = &s.table.at(*found);
  return ScriptError::None;
}

ScriptError FigureOnly(BuiltinCall& c, FigureServices& s, Figure*& figure) {
  std::array<Value, 0> none;
  return FigureArgs<0>(c, s, {}, none, figure);
}

ScriptError Number(BuiltinCall& c, std::int32_t n) {
  *c.result = Value::Number(n);
  return ScriptError::None;
}

std::int32_t Int(const Value& v) {
  std::int32_t n = 0;
  (void)BuiltinCall::number(v, n);
  return n;
}

// A text value read into a name that a figure stores (15 characters at most).
ScriptError StoredText(BuiltinCall& c, const Value& v, std::string& out) {
  PString text;
  LW_TRY(c.text(v, text));
  Name15 name;
  LW_TRY(StoreObjectName(text.view(), name));
  out = std::string(text.view());
  return ScriptError::None;
}

// ---- group files, instances, warming -------------------------------------------------------

ScriptError OpenGroupFile(BuiltinCall& c, FigureServices& s) {
  PString name;
  LW_TRY(TextArgument(c, name));
  return s.table.OpenGroupFile(c, name.view());
}
ScriptError CloseGroupFile(BuiltinCall& c, FigureServices& s) {
  PString name;
  LW_TRY(TextArgument(c, name));
  return s.table.CloseGroupFile(c, name.view());
}

ScriptError Instance(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 2> v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedText(v[1]));
  PString source;
  PString name;
  LW_TRY(c.text(v[0], source));
  LW_TRY(c.text(v[1], name));
  return s.table.Instance(source.view(), name.view());
}

ScriptError WarmFigure(BuiltinCall& c, FigureServices& s) {
  Figure* figure = nullptr;
  LW_TRY(FigureOnly(c, s, figure));
  s.table.Warm(*figure);
  return ScriptError::None;
}

ScriptError WarmGroup(BuiltinCall& c, FigureServices& s) {
  PString name;
  LW_TRY(TextArgument(c, name));
  const auto group = s.table.FindGroup(name.view());
  if (!group) return ScriptError::NoSuchObject;
  const StarFile* file = s.table.groupAt(*group).file;
  for (std::size_t i = 0; i < s.table.count(); ++i) {
    if (s.table.at(i).group == file) s.table.Warm(s.table.at(i));
  }
  return ScriptError::None;
}

// ---- counting, indexing, scripts, messages -----------------------------------------------------

ScriptError CountFigures(BuiltinCall& c, FigureServices& s) {
  return Number(c, static_cast<std::int32_t>(s.table.count()));
}
ScriptError CountGroups(BuiltinCall& c, FigureServices& s) {
  return Number(c, static_cast<std::int32_t>(s.table.groupCount()));
}

ScriptError IndexArg(BuiltinCall& c, std::size_t count, std::size_t& index) {
  Value v;
  std::int32_t n = 0;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::number(v, n));
  if (n < 1 || static_cast<std::size_t>(n) > count) return ScriptError::NoSuchObject;
  index = static_cast<std::size_t>(n - 1);
  return ScriptError::None;
}

// The figure's name; its group's name is left in the result text.
ScriptError IndexToFigure(BuiltinCall& c, FigureServices& s) {
  std::size_t i = 0;
  LW_TRY(IndexArg(c, s.table.count(), i));
  const Figure& figure = s.table.at(i);
  c.in.resultText = PString::truncated(s.table.GroupOf(figure).name);
  return c.returnText(figure.name);
}
ScriptError IndexToGroup(BuiltinCall& c, FigureServices& s) {
  std::size_t i = 0;
  LW_TRY(IndexArg(c, s.table.groupCount(), i));
  return c.returnText(s.table.groupAt(i).name);
}

ScriptError FigureScript(BuiltinCall& c, FigureServices& s) {
  Figure* figure = nullptr;
  LW_TRY(FigureOnly(c, s, figure));
  c.in.resultText.clear();
  return ScriptError::None;
}
ScriptError GroupScript(BuiltinCall& c, FigureServices& s) {
  PString name;
  LW_TRY(TextArgument(c, name));
  if (!s.table.FindGroup(name.view())) return ScriptError::NoSuchObject;
  c.in.resultText.clear();
  return ScriptError::None;
}

ScriptError SendToFigure(BuiltinCall& c, FigureServices& s) {
  return s.table.SendToFigure(c, nullptr);
}
ScriptError SendToFigureFx(BuiltinCall& c, FigureServices& s) {
  return s.table.SendToFigure(c, c.result);
}
ScriptError SendToGroup(BuiltinCall& c, FigureServices& s) {
  return s.table.SendToGroup(c, nullptr);
}
ScriptError SendToGroupFx(BuiltinCall& c, FigureServices& s) {
  return s.table.SendToGroup(c, c.result);
}

ScriptError PointInFigure(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* figure = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kNumber}, v, figure));
  *c.result = Value::Logic(figure->visible &&
                           FigureCovers(s.display.context(), *figure, UnpackPoint(Int(v[0]))));
  return ScriptError::None;
}

// ---- properties --------------------------------------------------------------------------------

ScriptError VisibleRead(BuiltinCall& c, FigureServices& s) {
  Figure* f = nullptr;
  LW_TRY(FigureOnly(c, s, f));
  *c.result = Value::Logic(f->visible);
  return ScriptError::None;
}
ScriptError VisibleWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kLogic}, v, f));
  f->visible = v[0].payload != 0;
  return ScriptError::None;
}

ScriptError DegRead(BuiltinCall& c, FigureServices& s) {
  Figure* f = nullptr;
  LW_TRY(FigureOnly(c, s, f));
  return Number(c, f->deg);
}
ScriptError DegWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kNumber}, v, f));
  f->deg = static_cast<std::int16_t>(Int(v[0]) & kDirectionMask);
  return ScriptError::None;
}

ScriptError XyzRead(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kNumber}, v, f));
  switch (Int(v[0])) {
    case 1: return Number(c, f->x);
    case 2: return Number(c, f->y);
    case 3: return Number(c, f->z);
    case 4: return Number(c, PackPoint(Point{f->y, f->x}));
    default: return ScriptError::BadArgumentType;
  }
}
ScriptError XyzWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 3> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<3>(c, s, {Arg::kNumber, Arg::kNumber, Arg::kNumber}, v, f));
  s.table.Placed(*f);
  f->x = Wrap16(Int(v[0]));
  f->y = Wrap16(Int(v[1]));
  f->z = Wrap16(Int(v[2]));
  f->is3d = true;
  return ScriptError::None;
}

ScriptError XyRead(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kNumber}, v, f));
  switch (Int(v[0])) {
    case 1: return Number(c, f->pointH);
    case 2: return Number(c, f->pointV);
    case 3: return Number(c, PackPoint(Point{f->pointV, f->pointH}));
    default: return ScriptError::BadArgumentType;
  }
}
ScriptError XyWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 2> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<2>(c, s, {Arg::kNumber, Arg::kNumber}, v, f));
  s.table.Placed(*f);
  f->pointH = Wrap16(Int(v[0]));
  f->pointV = Wrap16(Int(v[1]));
  if (f->dist >= 0) f->dist = -1;
  f->is3d = false;
  return ScriptError::None;
}

ScriptError Is3dRead(BuiltinCall& c, FigureServices& s) {
  Figure* f = nullptr;
  LW_TRY(FigureOnly(c, s, f));
  *c.result = Value::Logic(f->is3d);
  return ScriptError::None;
}
ScriptError Is3dWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kLogic}, v, f));
  f->is3d = v[0].payload != 0;
  if (!f->is3d && f->dist >= 0) f->dist = -1;
  return ScriptError::None;
}

// A text field of the figure, read.
template <std::string Figure::*Field>
ScriptError TextRead(BuiltinCall& c, FigureServices& s) {
  Figure* f = nullptr;
  LW_TRY(FigureOnly(c, s, f));
  return c.returnText(f->*Field);
}

ScriptError OwnerWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kText}, v, f));
  return StoredText(c, v[0], f->owner);
}

// actorstar and actorset: the walk or ball stops, the name is stored, and the figure stands on
// its star when its set is open and has it; it is 3-D either way.
template <std::string Figure::*Field>
ScriptError PlaceWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kText}, v, f));
  std::string name;
  LW_TRY(StoredText(c, v[0], name));
  s.table.Placed(*f);
  f->*Field = std::move(name);
  s.table.PlaceOnStar(*f);
  f->is3d = true;
  return ScriptError::None;
}

ScriptError PoseWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kText}, v, f));
  PString name;
  LW_TRY(c.text(v[0], name));
  const auto& poses = f->record.poses;
  const auto pose = std::find_if(poses.begin(), poses.end(), [&](const PoseEntry& p) {
    return SameObjectName(p.name, name.view());
  });
  if (pose == poses.end()) return ScriptError::NoSuchObject;
  f->pose = pose->name;
  f->frame = 0;
  return ScriptError::None;
}

ScriptError DistRead(BuiltinCall& c, FigureServices& s) {
  Figure* f = nullptr;
  LW_TRY(FigureOnly(c, s, f));
  if (!f->is3d) return Number(c, f->dist);
  std::int16_t frame = f->frame;
  const auto placed = PlaceFigure(s.display.context(), *f, frame);
  return Number(c, placed ? placed->depth : kNotDrawnDistance);
}
ScriptError DistWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kNumber}, v, f));
  if (!f->is3d && Int(v[0]) < 0) f->dist = Wrap16(Int(v[0]));
  return ScriptError::None;
}

// A number field of the figure, read.
template <typename T, T Figure::*Field>
ScriptError NumberRead(BuiltinCall& c, FigureServices& s) {
  Figure* f = nullptr;
  LW_TRY(FigureOnly(c, s, f));
  return Number(c, f->*Field);
}

// A number field written after `adjust` (a clamp) has had its say.
template <typename T, T Figure::*Field, std::int32_t (*Adjust)(std::int32_t)>
ScriptError NumberWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 1> v;
  Figure* f = nullptr;
  LW_TRY(FigureArgs<1>(c, s, {Arg::kNumber}, v, f));
  f->*Field = static_cast<T>(Adjust(Int(v[0])));
  return ScriptError::None;
}
std::int32_t AsGiven(std::int32_t n) { return n; }
std::int32_t AsGiven16(std::int32_t n) { return Wrap16(n); }
std::int32_t SpeedClamp(std::int32_t n) { return std::clamp(n, kSlowest, kFastest); }
std::int32_t AtLeastOne(std::int32_t n) { return Wrap16(std::max(n, 1)); }
std::int32_t AtLeastZero(std::int32_t n) { return std::max(n, 0); }

// actorhitbox: the first argument may be "player", which is no actor.
ScriptError HitBoxRead(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 2> v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedNumber(v[1]));
  PString name;
  LW_TRY(c.text(v[0], name));
  HitBox box = s.player;
  if (!SameObjectName(name.view(), kPlayer)) {
    const auto found = s.table.Find(name.view());
    if (!found) return ScriptError::NoSuchObject;
    box = HitBox{s.table.at(*found).hitV, s.table.at(*found).hitH};
  }
  switch (Int(v[1])) {
    case 1: return Number(c, box.vertical);
    case 2: return Number(c, box.horizontal);
    default: return ScriptError::BadArgumentType;
  }
}
ScriptError HitBoxWrite(BuiltinCall& c, FigureServices& s) {
  std::array<Value, 3> v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedNumber(v[1]));
  LW_TRY(NeedNumber(v[2]));
  PString name;
  LW_TRY(c.text(v[0], name));
  const HitBox box{Wrap16(Int(v[1])), Wrap16(Int(v[2]))};
  if (SameObjectName(name.view(), kPlayer)) {
    s.player = box;
    return ScriptError::None;
  }
  const auto found = s.table.Find(name.view());
  if (!found) return ScriptError::NoSuchObject;
  s.table.at(*found).hitV = box.vertical;
  s.table.at(*found).hitH = box.horizontal;
  return ScriptError::None;
}

using enum BuiltinKind;
constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kNoSuch = ScriptError::NoSuchObject;
constexpr ScriptError kLong = ScriptError::StringLengthTooBig;
constexpr ScriptError kComma = ScriptError::ExpectedComma;

using F = Figure;

// The two kinds' tables share their handlers; the rows differ in names and words.
#define LW_FIGURE_ROWS(actor, cast, poseword)                                                     \
  {"open" cast "file",                                                                            \
   kCommand,                                                                                      \
   OpenGroupFile,                                                                                 \
   {"file: text",                                                                                 \
    "",                                                                                           \
    {kType, ScriptError::WrongTypeOfFile},                                                        \
    "Opens a " cast " file and sends open" cast "() and open" actor "() to each of its " actor    \
    "s."}},                                                                                       \
      {"close" cast "file",                                                                       \
       kCommand,                                                                                  \
       CloseGroupFile,                                                                            \
       {cast ": text",                                                                            \
        "",                                                                                       \
        {kType, kNoSuch},                                                                         \
        "Sends close" cast "() and close" actor "(), then closes the " cast " and its " actor     \
        "s."}},                                                                                   \
      {actor "instance",                                                                          \
       kCommand,                                                                                  \
       Instance,                                                                                  \
       {"source: text, name: text",                                                               \
        "",                                                                                       \
        {kType, kNoSuch, kLong},                                                                  \
        "Makes a copy of the " actor " under a new name; nothing if the name is taken."}},        \
      {actor "warm",                                                                              \
       kCommand,                                                                                  \
       WarmFigure,                                                                                \
       {actor ": text", "", {kType, kNoSuch}, "Loads the " actor "'s pictures ahead of use."}},   \
      {cast "warm",                                                                               \
       kCommand,                                                                                  \
       WarmGroup,                                                                                 \
       {cast ": text",                                                                            \
        "",                                                                                       \
        {kType, kNoSuch},                                                                         \
        "Loads the pictures of every " actor " of the " cast " ahead of use."}},                  \
      {"count" actor "s",                                                                         \
       kFunction,                                                                                 \
       CountFigures,                                                                              \
       {"", "number", {}, "The number of " actor "s."}},                                          \
      {"indexto" actor,                                                                           \
       kFunction,                                                                                 \
       IndexToFigure,                                                                             \
       {"n: number",                                                                              \
        "text",                                                                                   \
        {kType, kNoSuch},                                                                         \
        "The name of " actor " n, counted from 1; its " cast " is left in result."}},             \
      {"count" cast "s", kFunction, CountGroups, {"", "number", {}, "The number of " cast "s."}}, \
      {"indexto" cast,                                                                            \
       kFunction,                                                                                 \
       IndexToGroup,                                                                              \
       {"n: number", "text", {kType, kNoSuch}, "The name of " cast " n, counted from 1."}},       \
      {actor "script",                                                                            \
       kCommand,                                                                                  \
       FigureScript,                                                                              \
       {actor ": text", "", {kType, kNoSuch}, "Checks the " actor " and empties result."}},       \
      {cast "script",                                                                             \
       kCommand,                                                                                  \
       GroupScript,                                                                               \
       {cast ": text", "", {kType, kNoSuch}, "Checks the " cast " and empties result."}},         \
      {"sendto" actor,                                                                            \
       kCommand,                                                                                  \
       SendToFigure,                                                                              \
       {actor ": text, call: call",                                                               \
        "",                                                                                       \
        {kType, kNoSuch, kComma},                                                                 \
        "Runs the handler call along the " actor "'s script, then its " cast "'s."}},             \
      {"sendto" actor "fx",                                                                       \
       kFunction,                                                                                 \
       SendToFigureFx,                                                                            \
       {actor ": text, call: call",                                                               \
        "any",                                                                                    \
        {kType, kNoSuch, kComma},                                                                 \
        "The value of the handler call run along the " actor "'s and its " cast "'s scripts."}},  \
      {"sendto" cast,                                                                             \
       kCommand,                                                                                  \
       SendToGroup,                                                                               \
       {cast ": text, call: call",                                                                \
        "",                                                                                       \
        {kType, kNoSuch, kComma},                                                                 \
        "Runs the handler call in the " cast "'s script."}},                                      \
      {"sendto" cast "fx",                                                                        \
       kFunction,                                                                                 \
       SendToGroupFx,                                                                             \
       {cast ": text, call: call",                                                                \
        "any",                                                                                    \
        {kType, kNoSuch, kComma},                                                                 \
        "The value of the handler call run in the " cast "'s script."}},                          \
      {"pointin" actor,                                                                           \
       kFunction,                                                                                 \
       PointInFigure,                                                                             \
       {actor ": text, p: point",                                                                 \
        "logic",                                                                                  \
        {kType, kNoSuch},                                                                         \
        "Whether stage point p lies on a pixel that the " actor " shows now."}},                  \
      {actor "visible",                                                                           \
       kPropertyRead,                                                                             \
       VisibleRead,                                                                               \
       {actor ": text", "logic", {kType, kNoSuch}, "Whether the " actor " is shown."}},           \
      {actor "visible",                                                                           \
       kPropertyWrite,                                                                            \
       VisibleWrite,                                                                              \
       {actor ": text, shown: logic", "", {kType, kNoSuch}, "Shows or hides the " actor "."}},    \
      {actor "deg",                                                                               \
       kPropertyRead,                                                                             \
       DegRead,                                                                                   \
       {actor ": text", "number", {kType, kNoSuch}, "Where the " actor " faces, 0 to 255."}},     \
      {actor "deg",                                                                               \
       kPropertyWrite,                                                                            \
       DegWrite,                                                                                  \
       {actor ": text, angle: number",                                                            \
        "",                                                                                       \
        {kType, kNoSuch},                                                                         \
        "Turns the " actor " to the angle's low 8 bits."}},                                       \
      {actor "xyz",                                                                               \
       kPropertyRead,                                                                             \
       XyzRead,                                                                                   \
       {actor ": text, n: number",                                                                \
        "number",                                                                                 \
        {kType, kNoSuch},                                                                         \
        "Where the " actor " stands in the set: 1 x, 2 y, 3 z, 4 the point (x, y)."}},            \
      {actor "xyz",                                                                               \
       kPropertyWrite,                                                                            \
       XyzWrite,                                                                                  \
       {actor ": text, x: number, y: number, z: number",                                          \
        "",                                                                                       \
        {kType, kNoSuch},                                                                         \
        "Places the " actor " in the set (3-D), stopping its movement."}},                        \
      {actor "xy",                                                                                \
       kPropertyRead,                                                                             \
       XyRead,                                                                                    \
       {actor ": text, n: number",                                                                \
        "number",                                                                                 \
        {kType, kNoSuch},                                                                         \
        "Where the " actor " stands on the stage: 1 x, 2 y, 3 the point."}},                      \
      {actor "xy",                                                                                \
       kPropertyWrite,                                                                            \
       XyWrite,                                                                                   \
       {actor ": text, x: number, y: number",                                                     \
        "",                                                                                       \
        {kType, kNoSuch},                                                                         \
        "Places the " actor " on the stage (2-D), stopping its movement."}},                      \
      {actor "is3d",                                                                              \
       kPropertyRead,                                                                             \
       Is3dRead,                                                                                  \
       {actor ": text", "logic", {kType, kNoSuch}, "Whether the " actor " stands in the set."}},  \
      {actor "is3d",                                                                              \
       kPropertyWrite,                                                                            \
       Is3dWrite,                                                                                 \
       {actor ": text, in3d: logic",                                                              \
        "",                                                                                       \
        {kType, kNoSuch},                                                                         \
        "Puts the " actor " in the set or on the stage."}},                                       \
      {actor "star",                                                                              \
       kPropertyRead,                                                                             \
       TextRead<&F::star>,                                                                        \
       {actor ": text", "text", {kType, kNoSuch}, "The star the " actor " stands on."}},          \
      {actor "star",                                                                              \
       kPropertyWrite,                                                                            \
       PlaceWrite<&F::star>,                                                                      \
       {actor ": text, star: text",                                                               \
        "",                                                                                       \
        {kType, kNoSuch, kLong},                                                                  \
        "Puts the " actor " on a star of its set (3-D), stopping its movement."}},                \
      {actor "set",                                                                               \
       kPropertyRead,                                                                             \
       TextRead<&F::set>,                                                                         \
       {actor ": text", "text", {kType, kNoSuch}, "The set the " actor " belongs to."}},          \
      {actor "set",                                                                               \
       kPropertyWrite,                                                                            \
       PlaceWrite<&F::set>,                                                                       \
       {actor ": text, set: text",                                                                \
        "",                                                                                       \
        {kType, kNoSuch, kLong},                                                                  \
        "Moves the " actor " to a set, on its star there (3-D), stopping its movement."}},        \
      {actor "dist",                                                                              \
       kPropertyRead,                                                                             \
       DistRead,                                                                                  \
       {actor ": text",                                                                           \
        "number",                                                                                 \
        {kType, kNoSuch},                                                                         \
        "3-D: the " actor "'s depth from the camera, 32000 when not shown; 2-D: its order."}},    \
      {actor "dist",                                                                              \
       kPropertyWrite,                                                                            \
       DistWrite,                                                                                 \
       {actor ": text, order: number",                                                            \
        "",                                                                                       \
        {kType, kNoSuch},                                                                         \
        "A 2-D " actor "'s drawing order, negative values only."}},                               \
      {poseword,                                                                                  \
       kPropertyRead,                                                                             \
       TextRead<&F::pose>,                                                                        \
       {actor ": text", "text", {kType, kNoSuch}, "The " actor "'s current pose."}},              \
      {poseword,                                                                                  \
       kPropertyWrite,                                                                            \
       PoseWrite,                                                                                 \
       {actor ": text, pose: text",                                                               \
        "",                                                                                       \
        {kType, kNoSuch},                                                                         \
        "Shows one of the " actor "'s poses from its first frame."}},                             \
      {actor "speed",                                                                             \
       kPropertyRead,                                                                             \
       (NumberRead<std::int16_t, &F::speed>),                                                     \
       {actor ": text", "number", {kType, kNoSuch}, "The " actor "'s step a tick."}},             \
      {actor "speed",                                                                             \
       kPropertyWrite,                                                                            \
       (NumberWrite<std::int16_t, &F::speed, SpeedClamp>),                                        \
       {actor ": text, step: number", "", {kType, kNoSuch}, "Sets the step, 1 to 256."}},         \
      {actor "scale",                                                                             \
       kPropertyRead,                                                                             \
       (NumberRead<std::int32_t, &F::scale>),                                                     \
       {actor ": text",                                                                           \
        "number",                                                                                 \
        {kType, kNoSuch},                                                                         \
        "The " actor "'s size in the set, per mille."}},                                          \
      {actor "scale",                                                                             \
       kPropertyWrite,                                                                            \
       (NumberWrite<std::int32_t, &F::scale, AtLeastZero>),                                       \
       {actor ": text, size: number", "", {kType, kNoSuch}, "Sets the size, 0 or more."}},        \
      {actor "owner",                                                                             \
       kPropertyRead,                                                                             \
       TextRead<&F::owner>,                                                                       \
       {actor ": text", "text", {kType, kNoSuch}, "The " actor "'s owner, \"None\" at first."}},  \
      {actor "owner",                                                                             \
       kPropertyWrite,                                                                            \
       OwnerWrite,                                                                                \
       {actor ": text, owner: text", "", {kType, kNoSuch, kLong}, "Sets the owner."}},            \
      {actor "value",                                                                             \
       kPropertyRead,                                                                             \
       (NumberRead<std::int32_t, &F::value>),                                                     \
       {actor ": text",                                                                           \
        "number",                                                                                 \
        {kType, kNoSuch},                                                                         \
        "A number the title keeps with the " actor "."}},                                         \
      {actor "value",                                                                             \
       kPropertyWrite,                                                                            \
       (NumberWrite<std::int32_t, &F::value, AsGiven>),                                           \
       {actor ": text, value: number", "", {kType, kNoSuch}, "Sets the number."}},                \
      {actor "zclip",                                                                             \
       kPropertyRead,                                                                             \
       (NumberRead<std::int16_t, &F::zclip>),                                                     \
       {actor ": text",                                                                           \
        "number",                                                                                 \
        {kType, kNoSuch},                                                                         \
        "How far the " actor " is seen beyond its depth."}},                                      \
  {                                                                                               \
    actor "zclip", kPropertyWrite, (NumberWrite<std::int16_t, &F::zclip, AsGiven16>), {           \
      actor ": text, reach: number", "", {kType, kNoSuch}, "Sets the reach."                      \
    }                                                                                             \
  }

// clang-format off
constexpr BuiltinEntry<FigureServices> kActorBuiltins[] = {
    LW_FIGURE_ROWS("actor", "cast", "actorpose"),
    {"actorturn", kPropertyRead, (NumberRead<std::int16_t, &F::turn>),
     {"actor: text", "number", {kType, kNoSuch}, "The actor's turning step a tick."}},
    {"actorturn", kPropertyWrite, (NumberWrite<std::int16_t, &F::turn, AtLeastOne>),
     {"actor: text, step: number", "", {kType, kNoSuch}, "Sets the turning step, 1 or more."}},
    {"actorhitbox", kPropertyRead, HitBoxRead,
     {"actor: text, n: number", "number", {kType, kNoSuch},
      "The hit box a ball meets: 1 its half-height, 2 its half-width; \"player\" the player's."}},
    {"actorhitbox", kPropertyWrite, HitBoxWrite,
     {"actor: text, up: number, across: number", "", {kType, kNoSuch},
      "Sets the hit box's half-height and half-width; \"player\" the player's."}},
};

constexpr BuiltinEntry<FigureServices> kPropBuiltins[] = {
    LW_FIGURE_ROWS("prop", "shop", "propview"),
};
// clang-format on

#undef LW_FIGURE_ROWS

}  // namespace

void WireActorBuiltins(BuiltinTable& table, FigureServices& actors) {
  table.wire<kActorBuiltins>(actors);
}
void WirePropBuiltins(BuiltinTable& table, FigureServices& props) {
  table.wire<kPropBuiltins>(props);
}
void DescribeFigureBuiltins(BuiltinTable& catalog) {
  catalog.describe<kActorBuiltins>();
  catalog.describe<kPropBuiltins>();
}

}  // namespace lw

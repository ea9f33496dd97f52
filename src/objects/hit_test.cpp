#include "objects/hit_test.h"

#include <string_view>
#include <vector>

#include "common/geometry.h"
#include "objects/object_kinds.h"
#include "script/interpreter.h"

namespace lw {
namespace {

constexpr std::string_view kNothingHit = "none";

// What a step found: the kind's name and the object's name, or nothing.
struct Hit {
  std::string_view kind;
  std::string name;
};

// The stage step: the last button of the current flat that holds p, else the flat.
ScriptError HitStage(StageObjects& stage, Point p, std::optional<Hit>& hit) {
  if (!stage.shows(p)) return ScriptError::None;
  std::vector<ButtonEntry> buttons;
  LW_TRY(stage.LoadButtons(stage.currentFlat(), buttons));
  for (auto button = buttons.rbegin(); button != buttons.rend(); ++button) {
    if (button->rect.contains(p)) {
      hit = Hit{KindInfo(ObjectKind::kButton).name, button->name};
      return ScriptError::None;
    }
  }
  hit = Hit{KindInfo(ObjectKind::kFlat).name, stage.flat(stage.currentFlat()).name};
  return ScriptError::None;
}

// The sprite step: the figure whose picture is on top at p.
void HitSprite(const HitTestServices& s, Point p, std::optional<Hit>& hit) {
  const auto serial = s.spriteAt ? s.spriteAt(p) : std::nullopt;
  if (!serial) return;
  if (const auto actor = s.actors.FindSerial(*serial)) {
    hit = Hit{KindInfo(ObjectKind::kActor).name, s.actors.at(*actor).name};
  } else if (const auto prop = s.props.FindSerial(*serial)) {
    hit = Hit{KindInfo(ObjectKind::kProp).name, s.props.at(*prop).name};
  }
}

// The set step: the scene under the player, when the scene view shows and holds p.
void HitSet(const SetObjects& set, Point p, std::optional<Hit>& hit) {
  if (!set.shows(p)) return;
  const auto scene = set.currentScene();
  hit = Hit{KindInfo(ObjectKind::kScene).name,
            scene ? set.header().scenes[*scene].name : std::string()};
}

// The puppet step: while it shows, the puppet covers the stage and what the last frame drew
// there.
void HitPuppet(const PuppetObjects& puppet, Point p, std::optional<Hit>& hit) {
  if (!puppet.shows(p)) return;
  hit = Hit{KindInfo(ObjectKind::kPuppet).name,
            puppet.puppets().empty() ? std::string() : puppet.puppets().front().name};
}

// hittest(p): the name of what lies under p; its kind in the result text.
ScriptError HitTest(BuiltinCall& c, HitTestServices& s) {
  Value v;
  std::int32_t packed = 0;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::number(v, packed));
  std::optional<Hit> hit;
  HitPuppet(s.puppet, UnpackPoint(packed), hit);
  if (!hit) HitSprite(s, UnpackPoint(packed), hit);
  if (!hit) HitSet(s.set, UnpackPoint(packed), hit);
  if (!hit) LW_TRY(HitStage(s.stage, UnpackPoint(packed), hit));
  if (!hit) hit = Hit{kNothingHit, {}};
  c.in.resultText = PString::truncated(hit->kind);
  return c.returnText(hit->name);
}

constexpr BuiltinEntry<HitTestServices> kHitTestBuiltins[] = {
    {"hittest",
     BuiltinKind::kFunction,
     HitTest,
     {"p: point",
      "text",
      {ScriptError::BadArgumentType},
      "The name of what shows at stage point p, its kind (\"puppet\", \"actor\", \"prop\", "
      "\"scene\", \"button\", \"flat\" or \"none\") in the result text."}},
};

}  // namespace

void WireHitTestBuiltins(BuiltinTable& table, HitTestServices& services) {
  table.wire<kHitTestBuiltins>(services);
}
void DescribeHitTestBuiltins(BuiltinTable& catalog) { catalog.describe<kHitTestBuiltins>(); }

}  // namespace lw

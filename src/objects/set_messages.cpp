// The messages of the set's objects: sendtoset, sendtofloor and sendtoscene with their chains,
// and the open and close events of the set, the floor under the player and the scene there.
//
//   MESSAGE TO          FRAME 1 (me; target)          FRAME 2 (me; target)   FRAME 3
//   set                 set (set; set)                -                      -
//   floor n             floor (n + 1; n + 1)          set (set; n + 1)       -
//   scene X on floor n  scene, if X has its own       floor (n; X)           set (set; X)
//                       script (X; X)
#include <string>

#include "objects/builtin_arguments.h"
#include "objects/script_chain.h"
#include "objects/set_objects.h"

namespace lw {

ScriptError SetObjects::AddSetFrame(ScriptChain& chain, std::string_view target) {
  return chain.add(*file_, header_.scriptId, ObjectKind::kSet, header_.name, target);
}

ScriptError SetObjects::SendToSet(BuiltinCall& c, Value* result) {
  if (!open_) return ScriptError::SceneLibOpenClose;
  ScriptChain chain(p_.scripts);
  LW_TRY(AddSetFrame(chain, header_.name));
  int callLength = 0;
  const ScriptError e = chain.run(c, c.pos, result, callLength);
  c.used = callLength;
  return e;
}

ScriptError SetObjects::SendToFloor(BuiltinCall& c, Value* result) {
  if (!open_) return ScriptError::SceneLibOpenClose;
  std::int32_t floor = 0;
  LW_TRY(NumberArgument(c, floor));
  if (floor < 0 || floor >= kFloorCount) return ScriptError::NoSuchObject;
  LW_TRY(ExpectCommaAfterNames(c));
  const std::string name = std::to_string(floor + 1);
  ScriptChain chain(p_.scripts);
  LW_TRY(chain.add(*file_, header_.floorScriptIds[static_cast<std::size_t>(floor)],
                   ObjectKind::kFloor, name, name));
  LW_TRY(AddSetFrame(chain, name));
  return DeliverAfterNames(c, chain, result);
}

ScriptError SetObjects::SendToScene(BuiltinCall& c, Value* result) {
  if (!open_) return ScriptError::SceneLibOpenClose;
  PString name;
  LW_TRY(TextArgument(c, name));
  const auto scene = findScene(name.view());
  if (!scene) return ScriptError::NoSuchObject;
  LW_TRY(ExpectCommaAfterNames(c));
  const SceneEntry& entry = header_.scenes[*scene];
  ScriptChain chain(p_.scripts);
  if (entry.hasOwnScript) {
    LW_TRY(chain.add(*file_, entry.scriptId, ObjectKind::kScene, entry.name, entry.name));
  }
  const auto floor = static_cast<std::size_t>(std::clamp<int>(entry.floor, 0, kFloorCount - 1));
  LW_TRY(chain.add(*file_, header_.floorScriptIds[floor], ObjectKind::kFloor,
                   std::to_string(entry.floor), entry.name));
  LW_TRY(AddSetFrame(chain, entry.name));
  return DeliverAfterNames(c, chain, result);
}

ScriptError SetObjects::SendSetEvent(BuiltinCall& c, ObjectEvent event) {
  return SendEventMessage(c.in, ObjectKind::kSet, event, {},
                          [this](BuiltinCall& call) { return SendToSet(call, nullptr); });
}

// The floor and scene events go to the scene under the player; a cell without a scene has none.
ScriptError SetObjects::SendFloorEvent(BuiltinCall& c, ObjectEvent event) {
  const auto scene = currentScene();
  if (!scene) return ScriptError::None;
  return SendEventMessage(c.in, ObjectKind::kFloor, event,
                          std::to_string(header_.scenes[*scene].floor),
                          [this](BuiltinCall& call) { return SendToFloor(call, nullptr); });
}

ScriptError SetObjects::SendSceneEvent(BuiltinCall& c, ObjectEvent event) {
  const auto scene = currentScene();
  if (!scene) return ScriptError::None;
  return SendEventMessage(c.in, ObjectKind::kScene, event, header_.scenes[*scene].name,
                          [this](BuiltinCall& call) { return SendToScene(call, nullptr); });
}

}  // namespace lw

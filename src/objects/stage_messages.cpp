// The messages of the stage's objects: sendtostage, sendtoflat and sendtobutton with their
// chains, and the open and close events of the stage and its flats.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "objects/object_names.h"
#include "objects/script_chain.h"
#include "objects/stage_objects.h"

namespace lw {
namespace {

// Reads the name arguments of a sendto: texts all, checked before any is read.
template <std::size_t N>
ScriptError ReadNames(BuiltinCall& c, std::array<PString, N>& names) {
  std::array<Value, N> values;
  LW_TRY(c.args(values));
  for (const Value& v : values) LW_TRY(NeedText(v));
  for (std::size_t i = 0; i < N; ++i) LW_TRY(c.text(values[i], names[i]));
  return ScriptError::None;
}

}  // namespace

ScriptError StageObjects::AddStageFrame(ScriptChain& chain, std::string_view target) {
  return chain.add(*file_, header_.scriptId, ObjectKind::kStage, header_.name, target);
}

ScriptError StageObjects::AddFlatFrames(ScriptChain& chain, std::size_t flat,
                                        std::string_view target) {
  const FlatEntry& entry = header_.flats[flat];
  LW_TRY(chain.add(*file_, entry.scriptId, ObjectKind::kFlat, entry.name, target));
  return AddStageFrame(chain, target);
}

// sendtostage(call): the call follows '(' directly.
ScriptError StageObjects::SendToStage(BuiltinCall& c, Value* result) {
  if (!open_) return ScriptError::StageLibOpenClose;
  ScriptChain chain(p_.scripts);
  LW_TRY(AddStageFrame(chain, header_.name));
  int callLength = 0;
  const ScriptError e = chain.run(c, c.pos, result, callLength);
  c.used = callLength;
  return e;
}

ScriptError StageObjects::SendToFlat(BuiltinCall& c, Value* result) {
  if (!open_) return ScriptError::StageLibOpenClose;
  std::array<PString, 1> names;
  LW_TRY(ReadNames(c, names));
  const auto flat = findFlat(names[0].view());
  if (!flat) return ScriptError::NoSuchObject;
  LW_TRY(ExpectCommaAfterNames(c));
  ScriptChain chain(p_.scripts);
  LW_TRY(AddFlatFrames(chain, *flat, header_.flats[*flat].name));
  return DeliverAfterNames(c, chain, result);
}

// The flat named need not be the current one.
ScriptError StageObjects::SendToButton(BuiltinCall& c, Value* result) {
  if (!open_) return ScriptError::StageLibOpenClose;
  std::array<PString, 2> names;
  LW_TRY(ReadNames(c, names));
  const auto flat = findFlat(names[0].view());
  if (!flat) return ScriptError::NoSuchObject;
  std::vector<ButtonEntry> buttons;
  LW_TRY(LoadButtons(*flat, buttons));
  const auto button = std::find_if(buttons.begin(), buttons.end(), [&](const ButtonEntry& b) {
    return SameObjectName(b.name, names[1].view());
  });
  if (button == buttons.end()) return ScriptError::NoSuchObject;
  LW_TRY(ExpectCommaAfterNames(c));
  ScriptChain chain(p_.scripts);
  LW_TRY(chain.add(*file_, button->scriptId, ObjectKind::kButton, button->name, button->name));
  LW_TRY(AddFlatFrames(chain, *flat, button->name));
  return DeliverAfterNames(c, chain, result);
}

ScriptError StageObjects::SendStageEvent(BuiltinCall& c, ObjectEvent event) {
  return SendEventMessage(c.in, ObjectKind::kStage, event, {},
                          [this](BuiltinCall& message) { return SendToStage(message, nullptr); });
}

ScriptError StageObjects::SendFlatEvent(BuiltinCall& c, ObjectEvent event) {
  const std::string flat = header_.flats[current_].name;
  return SendEventMessage(c.in, ObjectKind::kFlat, event, flat,
                          [this](BuiltinCall& message) { return SendToFlat(message, nullptr); });
}

}  // namespace lw

#include "objects/event_message.h"

#include <string>

#include "script/handler_call.h"
#include "script/tokenizer.h"

namespace lw {

std::string ComposeEventText(ObjectKind kind, ObjectEvent event, std::string_view name) {
  const ObjectKindInfo& info = KindInfo(kind);
  const std::string_view stored = event == ObjectEvent::kOpen ? info.openText : info.closeText;
  switch (info.form) {
    case EventForm::kQuotedName: return QuotedNameMessage(name, stored);
    case EventForm::kNumber: return std::string(name) + std::string(stored);
    case EventForm::kCallAlone: return std::string(stored);
    case EventForm::kNone: break;
  }
  return {};
}

ScriptError SendEventMessage(Interpreter& in, ObjectKind kind, ObjectEvent event,
                             std::string_view name, const SendCommand& send) {
  return SendMessageText(in, kind, ComposeEventText(kind, event, name), send);
}

std::string QuotedNameMessage(std::string_view name, std::string_view stored) {
  return "\"" + std::string(name) + std::string(stored);
}

ScriptError SendMessageText(Interpreter& in, ObjectKind kind, std::string_view text,
                            const SendCommand& send) {
  auto message = CompileScriptText(text);
  if (!message) return ScriptError::TokenizationError;
  ScriptFrame frame = SystemFrame(*message, KindInfo(kind).messageTitle);
  BuiltinCall call{in, frame, nullptr, 0, nullptr};
  return send(call);
}

}  // namespace lw

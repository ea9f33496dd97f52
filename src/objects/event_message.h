// Event messages: what the runtime itself tells an object when it opens or closes. The message
// is script text (object_kinds.h composes it), compiled and run as the arguments of the kind's
// sendto command, in a frame of the system's own: its title is the kind's message title and its
// me and target are "System". So a missing event handler is silently done, and a failing one
// is reported as a failure of that message.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "objects/object_kinds.h"
#include "script/builtin_table.h"
#include "script/interpreter.h"

namespace lw {

// Whether the runtime tells an object of its coming or its going.
enum class ObjectEvent : std::uint8_t { kOpen, kClose };

// The script text of an event message to the object `name` (a floor's number as text; ignored
// for the single kinds): the arguments that the kind's sendto command takes.
[[nodiscard]] std::string ComposeEventText(ObjectKind kind, ObjectEvent event,
                                           std::string_view name = {});

// The kind's sendto command, run on the composed arguments.
using SendCommand = std::function<ScriptError(BuiltinCall&)>;

// Sends the event message `event` to the object `name` of `kind` through `send`. A text that
// does not compile (a name holding a double quote) gives TokenizationError.
ScriptError SendEventMessage(Interpreter& in, ObjectKind kind, ObjectEvent event,
                             std::string_view name, const SendCommand& send);

// Sends a message the runtime composed itself (the arguments of `kind`'s sendto command, such
// as `"robin", endwalk()`) through `send`, in the kind's message frame.
ScriptError SendMessageText(Interpreter& in, ObjectKind kind, std::string_view text,
                            const SendCommand& send);

// The text of a message to a named object: its name in double quotes, then `stored`, which
// closes the quote (", endwalk()").
[[nodiscard]] std::string QuotedNameMessage(std::string_view name, std::string_view stored);

}  // namespace lw

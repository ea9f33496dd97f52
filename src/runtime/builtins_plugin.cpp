#include "runtime/builtins_plugin.h"

#include <array>
#include <cstring>
#include <string_view>

#include "script/interpreter.h"

namespace lw {
namespace {

constexpr std::size_t kMaxPluginArguments = 4;

// The script values of one call: the name and the arguments, texts already read.
struct PluginCallValues {
  std::array<Value, kMaxPluginArguments + 1> values{};
  std::array<PString, kMaxPluginArguments + 1> texts{};
  std::size_t count = 0;
};

// Evaluates the name and up to four arguments after it, each after a comma. Every text is read
// at once, so that no string slot stays taken whatever fails next. The call must end after the
// last argument: a fifth argument or a missing comma is caught before the plug-in runs.
ScriptError ReadPluginCall(BuiltinCall& c, PluginCallValues& call) {
  const Token* tokens = c.frame.script->tokenData();
  int p = c.pos;
  for (;;) {
    int used = 0;
    Value& value = call.values[call.count];
    LW_TRY(c.in.evaluateExpression(c.frame, p, c.locals, value, used));
    p += used;
    if (value.isText()) LW_TRY(c.text(value, call.texts[call.count]));
    ++call.count;
    if (tokens[p].code != tok::kComma || call.count == call.values.size()) break;
    ++p;
  }
  c.used = p - c.pos;
  return tokens[p].code == tok::kCloseParen ? ScriptError::None : ScriptError::ExpectedParen;
}

// Fills argument slot `slot` from a script value: a number, or a text copied into `buffer`.
ScriptError FillArgument(const Value& value, const PString& text,
                         std::array<unsigned char, LW_TEXT_BUFFER_SIZE>& buffer, LwValue& slot) {
  if (value.isNumber()) {
    slot.type = LW_TYPE_NUMBER;
    slot.value.number = value.payload;
    return ScriptError::None;
  }
  if (!value.isText()) return ScriptError::BadArgumentType;
  buffer[0] = static_cast<unsigned char>(text.size());
  std::memcpy(buffer.data() + 1, text.view().data(), text.size());
  slot.type = LW_TYPE_TEXT;
  slot.value.text = buffer.data();
  return ScriptError::None;
}

// Reads the call, finds the plug-in and calls it with code 2; `block` holds its answer.
ScriptError CallFromScript(
    BuiltinCall& c, PluginHost& host, LwParameterBlock& block,
    std::array<std::array<unsigned char, LW_TEXT_BUFFER_SIZE>, kMaxPluginArguments>& buffers) {
  PluginCallValues call;
  LW_TRY(ReadPluginCall(c, call));
  if (!call.values[0].isText()) return ScriptError::BadArgumentType;
  block = EmptyParameterBlock(LW_CALL_SCRIPT);
  for (std::size_t i = 1; i < call.count; ++i) {
    LW_TRY(FillArgument(call.values[i], call.texts[i], buffers[i - 1], block.arguments[i - 1]));
  }
  const Plugin* plugin = host.FindPlugin(call.texts[0].view());
  if (plugin == nullptr) return ScriptError::NoSuchObject;
  return static_cast<ScriptError>(host.CallPlugin(*plugin, block));
}

// Whether a plug-in's result is a value a script can take.
bool GaveValue(const LwValue& result) {
  return result.type == LW_TYPE_NUMBER || result.type == LW_TYPE_TEXT;
}

// plugin(name, ...): a call whose plug-in gives no value.
ScriptError PluginCommand(BuiltinCall& c, PluginCallServices& s) {
  LwParameterBlock block{};
  std::array<std::array<unsigned char, LW_TEXT_BUFFER_SIZE>, kMaxPluginArguments> buffers{};
  LW_TRY(CallFromScript(c, s.plugins, block, buffers));
  return GaveValue(block.result) ? ScriptError::FunctionsMustReturnValue : ScriptError::None;
}

// pluginfx(name, ...): the number or text the plug-in gives back.
ScriptError PluginFunction(BuiltinCall& c, PluginCallServices& s) {
  LwParameterBlock block{};
  std::array<std::array<unsigned char, LW_TEXT_BUFFER_SIZE>, kMaxPluginArguments> buffers{};
  LW_TRY(CallFromScript(c, s.plugins, block, buffers));
  const LwValue& result = block.result;
  if (result.type == LW_TYPE_NUMBER) {
    *c.result = Value::Number(result.value.number);
    return ScriptError::None;
  }
  if (result.type != LW_TYPE_TEXT) return ScriptError::CommandsCantReturnValue;
  const unsigned char* text = result.value.text;
  if (text == nullptr) return c.returnText({});
  return c.returnText({reinterpret_cast<const char*>(text + 1), text[0]});
}

using enum BuiltinKind;

constexpr std::string_view kPluginParams =
    "name: text, a1?: number|text, a2?: number|text, a3?: number|text, a4?: number|text";
constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kNoPlugin = ScriptError::NoSuchObject;

constexpr BuiltinEntry<PluginCallServices> kPluginBuiltins[] = {
    {"plugin",
     kCommand,
     PluginCommand,
     {kPluginParams,
      "",
      {kType, kNoPlugin, ScriptError::FunctionsMustReturnValue},
      "Calls the loaded plug-in named name with up to four arguments; a code the plug-in gives "
      "back is the error."}},
    {"pluginfx",
     kFunction,
     PluginFunction,
     {kPluginParams,
      "any",
      {kType, kNoPlugin, ScriptError::CommandsCantReturnValue, ScriptError::StringLibraryExhausted},
      "The number or text that the plug-in named name gives back for up to four arguments; a "
      "code it gives back is the error."}},
};

}  // namespace

void WirePluginBuiltins(BuiltinTable& table, PluginCallServices& services) {
  table.wire<kPluginBuiltins>(services);
}
void DescribePluginBuiltins(BuiltinTable& catalog) { catalog.describe<kPluginBuiltins>(); }

}  // namespace lw

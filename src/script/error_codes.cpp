#include "script/error_codes.h"

#include <array>

namespace lw {
namespace {

// Strings 1101..1155, in code order.
constexpr std::array<std::string_view, kLastScriptError> kMessages = {
    "Bad name.",
    "Expected paren '(' or ')'.",
    "Expression too complex.",
    "No such handler.",
    "Commands can't return a value.",
    "Functions must return a value.",
    "Too many walks.",
    "Too many balls.",
    "No such variable.",
    "No such object.",
    "Stage lib open/close error.",
    "No such actor read property.",
    "No such prop read property.",
    "Bad argument type.",
    "No such visual effect.",
    "Expected equal sign '='.",
    "No such stage write property.",
    "No such actor write property.",
    "No such prop write property.",
    "Can't set actor frame.",
    "Can't set actor direction.",
    "Bad direction name.",
    "No such command.",
    "Expected end quote '\"'.",
    "Expected operator '+', '&', etc.",
    "String length too big.",
    "Expected return '\\r'.",
    "Expected comma ','.",
    "Bad 'if' count balance.",
    "Bad 'for' count balance.",
    "Bad 'switch' count balance.",
    "Expected 'to'.",
    "Expected 'step'.",
    "No such star.",
    "Too many loops.",
    "Expected period '.'.",
    "Expected 'endwhile'.",
    "Tokenization error.",
    "Sound lib open/close error.",
    "Scene lib open/close error.",
    "Not enough memory error.",
    "Can't find file error.",
    "Resource not found.",
    "Too much recursion.",
    "A puppet is already open.",
    "Puppet bevel full.",
    "Runtime user error.",
    "Wrong type of file.",
    "File already open.",
    "Set lib open/close error.",
    "Plug-in returned error.",
    "Must use 8.3 filenames.",
    "Programmer keyboard abort.",
    "String library exhausted.",
    "Divide by zero.",
};

}  // namespace

std::string_view ScriptErrorString(int stringId) {
  int code = stringId - kFirstScriptErrorString;
  if (code < 1 || code > kLastScriptError) return {};
  return kMessages[static_cast<std::size_t>(code - 1)];
}

std::string_view ScriptErrorMessage(int code) {
  return ScriptErrorString(kFirstScriptErrorString + code);
}

}  // namespace lw

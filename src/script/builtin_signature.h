// What a built-in takes and gives, written once beside its entry in its group's table and
// checked while compiling. `titlekit check` reads it to check calls, and the reference of the
// built-ins (docs/builtins.md, `titlekit help builtin NAME`) is made from it.
//
//   {"drawstring", kCommand, DrawString,
//    {"t: text, p: point, font: number, size: number", "",
//     {ScriptError::BadArgumentType}, "Draws t at stage point p in a font and size."}},
//
// Parameters are "name: type" separated by commas; a name ending in '?' is optional and every
// parameter after it must be optional too. Types:
//
//   TYPE          WHAT THE ARGUMENT IS
//   number        a number
//   text          a text
//   logic         true or false
//   point         a number that packs x (high 16 bits) and y (low 16 bits), see makepoint
//   any           a value of any type
//   number|text   a number or a text
//   effect        a visual effect name written as it is (wipeleft), not an expression
//   call          a handler call written as it is (hello(1, 2)), not an expression
//
// The result is one of the value types (number, text, logic, point, any), or empty for a
// command or a property write, which give none.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "script/error_codes.h"

namespace lw {

enum class ArgType : std::uint8_t {
  kNumber,
  kText,
  kLogic,
  kPoint,
  kAny,
  kNumberOrText,
  kEffect,
  kCall,
};

struct BuiltinParam {
  std::string_view name;
  ArgType type = ArgType::kAny;
  bool optional = false;
};

inline constexpr int kMaxBuiltinParams = 7;
inline constexpr int kMaxBuiltinErrors = 6;

// A parameter list read from its text; `valid` is false when the text breaks the rules above.
struct BuiltinParams {
  std::array<BuiltinParam, kMaxBuiltinParams> items{};
  int count = 0;
  int required = 0;  // the parameters before the first optional one
  bool valid = true;
};

namespace signature_detail {

constexpr std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

constexpr bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

inline constexpr std::array<std::pair<std::string_view, ArgType>, 8> kTypeNames = {{
    {"number", ArgType::kNumber},
    {"text", ArgType::kText},
    {"logic", ArgType::kLogic},
    {"point", ArgType::kPoint},
    {"any", ArgType::kAny},
    {"number|text", ArgType::kNumberOrText},
    {"effect", ArgType::kEffect},
    {"call", ArgType::kCall},
}};

}  // namespace signature_detail

// The name of a type as signatures write it.
constexpr std::string_view ArgTypeName(ArgType type) {
  for (const auto& [name, t] : signature_detail::kTypeNames) {
    if (t == type) return name;
  }
  return {};
}

constexpr BuiltinParams ParseBuiltinParams(std::string_view text) {
  using namespace signature_detail;
  BuiltinParams out;
  text = Trim(text);
  if (text.empty()) return out;
  bool sawOptional = false;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view item = Trim(text.substr(0, comma));
    const std::size_t colon = item.find(':');
    if (colon == std::string_view::npos || out.count == kMaxBuiltinParams) {
      out.valid = false;
      return out;
    }
    std::string_view name = Trim(item.substr(0, colon));
    const std::string_view typeName = Trim(item.substr(colon + 1));
    BuiltinParam param;
    param.optional = name.ends_with('?');
    if (param.optional) name.remove_suffix(1);
    bool known = false;
    for (const auto& [spelling, type] : kTypeNames) {
      if (spelling == typeName) {
        param.type = type;
        known = true;
      }
    }
    bool nameOk = !name.empty();
    for (char c : name) nameOk = nameOk && IsNameCharacter(c);
    if (!known || !nameOk || (sawOptional && !param.optional)) {
      out.valid = false;
      return out;
    }
    sawOptional = sawOptional || param.optional;
    param.name = name;
    out.items[static_cast<std::size_t>(out.count++)] = param;
    if (!param.optional) ++out.required;
    if (comma == std::string_view::npos) return out;
    text = text.substr(comma + 1);
  }
}

// Whether a result text names a value type (or is empty: no result).
constexpr bool IsResultType(std::string_view result) {
  return result.empty() || result == "number" || result == "text" || result == "logic" ||
         result == "point" || result == "any";
}

struct BuiltinSignature {
  std::string_view params;                              // "t: text, p: point"
  std::string_view result;                              // "number", ... or empty
  std::array<ScriptError, kMaxBuiltinErrors> errors{};  // the list ends at the first None
  std::string_view summary;                             // one line, a sentence

  [[nodiscard]] constexpr BuiltinParams parameters() const { return ParseBuiltinParams(params); }

  // The rules above, and a summary that is one line ending in a period.
  [[nodiscard]] constexpr bool wellFormed(bool givesResult) const {
    if (!parameters().valid || !IsResultType(result) || result.empty() == givesResult) {
      return false;
    }
    if (summary.empty() || !summary.ends_with('.') ||
        summary.find('\n') != std::string_view::npos) {
      return false;
    }
    bool ended = false;
    for (ScriptError e : errors) {
      if (e == ScriptError::None) ended = true;
      if (ended && e != ScriptError::None) return false;
    }
    return true;
  }
};

}  // namespace lw

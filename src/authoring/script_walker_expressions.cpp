// Expressions, built-in calls and handler calls, read as the expression evaluator reads them:
// an operand, then (operator, operand) pairs until a token that is not an operator. Operators
// apply level by level (* / first, then + -, @, comparisons, = and not-equal, and, or), so the
// kinds are combined in that order too. The fill of the 40-entry expression stack is followed
// from the statement's start, which is the least it can be when the statement runs.

#include <algorithm>

#include "authoring/script_walker.h"
#include "script/event_names.h"
#include "script/fold.h"
#include "script/interpreter.h"
#include "script/keywords.h"

namespace lw::authoring {
namespace {

constexpr int kStackSize = Interpreter::kExpressionStackSize;
// Parentheses, unary operators and call arguments nest; deeper nesting than this is refused so
// that no script can exhaust the checker's own stack.
constexpr int kMaxNesting = 100;

constexpr bool InBand(std::uint16_t code, std::uint16_t first, std::uint16_t last) {
  return code >= first && code <= last;
}

// Tokens with which an operand can begin (others after an operator mean it has none).
constexpr bool StartsOperand(std::uint16_t code) {
  switch (code) {
    case tok::kString:
    case tok::kNumber:
    case tok::kName:
    case tok::kOpenParen:
    case tok::kTrue:
    case tok::kFalse:
    case tok::kNot:
    case tok::kMinus:
    case tok::kMe:
    case tok::kTarget: return true;
    default:
      return InBand(code, tok::kFirstCommand, tok::kLastFunction) ||
             InBand(code, tok::kFirstEffect, tok::kLastEffect);
  }
}

std::string KindName(Kind kind) {
  switch (kind) {
    case Kind::kNumber: return "a number";
    case Kind::kText: return "a text";
    case Kind::kLogic: return "a truth value";
    case Kind::kUnknown: break;
  }
  return "a value";
}

// What an operator takes (kUnknown: any kind) and gives.
struct OperatorKinds {
  Kind operands;
  Kind result;
  std::string_view plural;  // "numbers"
};
OperatorKinds KindsOf(std::uint16_t op) {
  switch (tok::OperatorLevel(op)) {
    case 0:
    case 1: return {Kind::kNumber, Kind::kNumber, "numbers"};
    case 2: return {Kind::kText, Kind::kText, "texts"};
    case 3: return {Kind::kNumber, Kind::kLogic, "numbers"};
    case 4: return {Kind::kUnknown, Kind::kLogic, ""};
    default: return {Kind::kLogic, Kind::kLogic, "truth values"};
  }
}

// Whether an argument of a known kind can be what a parameter's type asks.
bool Accepts(ArgType type, Kind kind) {
  if (kind == Kind::kUnknown) return true;
  switch (type) {
    case ArgType::kNumber:
    case ArgType::kPoint: return kind == Kind::kNumber;
    case ArgType::kText: return kind == Kind::kText;
    case ArgType::kLogic: return kind == Kind::kLogic;
    case ArgType::kNumberOrText: return kind != Kind::kLogic;
    default: return true;
  }
}

// What a parameter of a value type asks for, as messages name it.
std::string WantedName(ArgType type) {
  switch (type) {
    case ArgType::kText: return "a text";
    case ArgType::kLogic: return "a truth value";
    case ArgType::kNumberOrText: return "a number or a text";
    default: return "a number";
  }
}

Kind ResultKind(std::string_view result) {
  if (result == "number" || result == "point") return Kind::kNumber;
  if (result == "text") return Kind::kText;
  if (result == "logic") return Kind::kLogic;
  return Kind::kUnknown;
}

bool Fits(const BuiltinSignature* signature, std::size_t count) {
  if (signature == nullptr) return false;
  const BuiltinParams params = signature->parameters();
  return static_cast<int>(count) >= params.required && static_cast<int>(count) <= params.count;
}

std::string Arguments(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " argument" : " arguments");
}

}  // namespace

std::string KeywordSpelling(std::uint16_t code) {
  switch (code) {  // the Mac Roman operator bytes, shown as the characters they stand for
    case tok::kNotEqual: return "≠";
    case tok::kGreaterEqual: return "≥";
    case tok::kLessEqual: return "≤";
    default: break;
  }
  for (const Keyword& keyword : kKeywordTable) {
    if (keyword.code == code) return std::string(keyword.name);
  }
  return "token " + std::to_string(code);
}

std::string FoldedName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = static_cast<char>(Fold(c));
  return folded;
}

void ScriptWalker::error(int token, std::string text) {
  diagnostics_.push_back({.token = token, .severity = Severity::kError, .text = std::move(text)});
}

void ScriptWalker::warning(int token, std::string text) {
  diagnostics_.push_back({.token = token, .severity = Severity::kWarning, .text = std::move(text)});
}

// A token as messages name it.
std::string ScriptWalker::describe(int token) const {
  switch (code(token)) {
    case tok::kEnd: return "the end of the script";
    case tok::kLineEnd: return "the end of the line";
    case tok::kNumber: return "the number " + std::to_string(tokens_[token].value);
    case tok::kString: return "a text";
    case tok::kName: return "'" + std::string(textOf(token)) + "'";
    default: return "'" + KeywordSpelling(code(token)) + "'";
  }
}

int ScriptWalker::endOfLine(int token) const {
  while (code(token) != tok::kLineEnd && code(token) != tok::kEnd) ++token;
  return token;
}

std::optional<ScriptWalker::Operand> ScriptWalker::expression(int token, int base, int depth) {
  const auto tooComplex = [this](int at) {
    error(at, "expression too complex: more than " + std::to_string(kStackSize - 1) +
                  " values and operators, counting those of the enclosing expressions");
    return std::nullopt;
  };
  std::optional<Operand> first = operand(token, base, depth);
  if (!first) return std::nullopt;
  std::vector<Kind> kinds = {first->kind};
  std::vector<int> operators;
  int fill = base + 1;
  if (fill >= kStackSize) return tooComplex(token);
  int p = first->end;
  while (tok::IsOperator(code(p))) {
    const int op = p;
    if (fill + 1 >= kStackSize) return tooComplex(op);
    ++fill;
    if (!StartsOperand(code(op + 1))) {
      std::string text = "'" + KeywordSpelling(code(op)) + "' has no operand after it";
      if (code(op) == tok::kDivide) text += " (the language has no comments: '/' is division)";
      error(op, std::move(text));
      return std::nullopt;
    }
    std::optional<Operand> next = operand(op + 1, fill, depth);
    if (!next) return std::nullopt;
    if (fill + 1 >= kStackSize) return tooComplex(op + 1);
    ++fill;
    kinds.push_back(next->kind);
    operators.push_back(op);
    p = next->end;
  }
  std::optional<Kind> kind = reduce(kinds, operators);
  if (!kind) return std::nullopt;
  return Operand{p, *kind};
}

// Combines the kinds of the operands as the operators would combine the values; an operator
// given a kind it refuses is reported.
std::optional<Kind> ScriptWalker::reduce(const std::vector<Kind>& operandKinds,
                                         const std::vector<int>& operatorTokens) {
  std::vector<Kind> kinds = operandKinds;
  std::vector<int> ops = operatorTokens;
  for (int level = 0; level < tok::kOperatorLevels; ++level) {
    std::size_t i = 0;
    while (i < ops.size()) {
      const std::uint16_t op = code(ops[i]);
      if (tok::OperatorLevel(op) != level) {
        ++i;
        continue;
      }
      const OperatorKinds wants = KindsOf(op);
      for (Kind side : {kinds[i], kinds[i + 1]}) {
        if (wants.operands != Kind::kUnknown && side != Kind::kUnknown && side != wants.operands) {
          error(ops[i], "'" + KeywordSpelling(op) + "' needs " + std::string(wants.plural) +
                            ", not " + KindName(side));
          return std::nullopt;
        }
      }
      kinds[i] = wants.result;
      kinds.erase(kinds.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      ops.erase(ops.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  return kinds.front();
}

std::optional<ScriptWalker::Operand> ScriptWalker::operand(int token, int base, int depth) {
  if (depth > kMaxNesting) {
    error(token,
          "expression nested too deeply: at most " + std::to_string(kMaxNesting) + " levels");
    return std::nullopt;
  }
  const std::uint16_t c = code(token);
  switch (c) {
    case tok::kOpenParen: {
      std::optional<Operand> inner = expression(token + 1, base, depth + 1);
      if (!inner) return std::nullopt;
      if (code(inner->end) == tok::kCloseParen) return Operand{inner->end + 1, inner->kind};
      if (code(inner->end) == tok::kLineEnd || code(inner->end) == tok::kEnd) {
        error(token, "'(' is not closed: add ')'");
      } else {
        error(inner->end, "expected an operator or ')', found " + describe(inner->end));
      }
      return std::nullopt;
    }
    case tok::kString: return Operand{token + 1, Kind::kText};
    case tok::kNumber: return Operand{token + 1, Kind::kNumber};
    case tok::kTrue:
    case tok::kFalse: return Operand{token + 1, Kind::kLogic};
    case tok::kMe:
    case tok::kTarget: return Operand{token + 1, Kind::kText};
    case tok::kNot:
    case tok::kMinus: {
      const Kind wanted = c == tok::kNot ? Kind::kLogic : Kind::kNumber;
      const std::string word = KeywordSpelling(c);
      if (!StartsOperand(code(token + 1))) {
        error(token, "'" + word + "' has no operand after it");
        return std::nullopt;
      }
      std::optional<Operand> inner = operand(token + 1, base, depth + 1);
      if (!inner) return std::nullopt;
      if (inner->kind != Kind::kUnknown && inner->kind != wanted) {
        error(token, "'" + word + "' needs " + KindName(wanted) + ", not " + KindName(inner->kind));
        return std::nullopt;
      }
      return Operand{inner->end, wanted};
    }
    case tok::kName:
      if (code(token + 1) == tok::kOpenParen) return handlerCall(token, base, depth + 1);
      useVariable(token);
      return Operand{token + 1, Kind::kUnknown};
    case tok::kLineEnd:
    case tok::kEnd:
      error(token, "expected a value before the end of the line");
      return std::nullopt;
    default: break;
  }
  if (InBand(c, tok::kFirstProperty, tok::kLastProperty)) {
    return builtinCall(token, BuiltinKind::kPropertyRead, base, depth + 1);
  }
  if (InBand(c, tok::kFirstFunction, tok::kLastFunction)) {
    return builtinCall(token, BuiltinKind::kFunction, base, depth + 1);
  }
  const std::string name = KeywordSpelling(c);
  if (InBand(c, tok::kFirstCommand, tok::kLastCommand)) {
    error(token, "'" + name + "' is a command: it gives no value, so it can only be a statement");
  } else if (InBand(c, tok::kFirstEffect, tok::kLastEffect)) {
    error(token, "'" + name +
                     "' is a visual effect name: it can only be the first argument of "
                     "visualeffect");
  } else {
    error(token, "expected a value, found " + describe(token));
  }
  return std::nullopt;
}

// A signature that lists its parameters; rows that declare none are not checked.
const BuiltinSignature* ScriptWalker::declared(BuiltinKind kind, std::uint16_t code) const {
  const BuiltinSignature* signature = catalog_.signature(kind, code);
  return signature != nullptr && !signature->summary.empty() ? signature : nullptr;
}

// KEYWORD ( arguments ): a command or property write (statement), a function or property read
// (operand).
std::optional<ScriptWalker::Operand> ScriptWalker::builtinCall(int token, BuiltinKind kind,
                                                               int base, int depth) {
  const std::uint16_t c = code(token);
  const std::string name = KeywordSpelling(c);
  const BuiltinSignature* signature = declared(kind, c);
  if (code(token + 1) != tok::kOpenParen) {
    error(token, "'" + name + "' needs parentheses: " + builtinUsage(c, signature));
    return std::nullopt;
  }
  std::optional<BuiltinParams> params;
  if (signature != nullptr) params = signature->parameters();
  std::vector<Argument> args;
  int end = 0;
  const CallForm form{
      .name = name, .params = params ? &*params : nullptr, .effectsAllowed = signature == nullptr};
  if (!arguments(token, base, depth, form, args, end)) return std::nullopt;
  if (signature != nullptr && !checkArguments(token, kind, *signature, args)) return std::nullopt;
  return Operand{end, signature != nullptr ? ResultKind(signature->result) : Kind::kUnknown};
}

// The arguments after the '(' that follows `token`, up to and including the ')'. Effect and
// call parameters take the token forms they need.
bool ScriptWalker::arguments(int token, int base, int depth, const CallForm& form,
                             std::vector<Argument>& args, int& end) {
  int p = token + 2;
  if (code(p) == tok::kCloseParen) {
    end = p + 1;
    return true;
  }
  const std::string quoted = "'" + std::string(form.name) + "'";
  while (true) {
    const std::size_t i = args.size();
    ArgType type = form.params != nullptr && static_cast<int>(i) < form.params->count
                       ? form.params->items[i].type
                       : ArgType::kAny;
    if (form.effectsAllowed && InBand(code(p), tok::kFirstEffect, tok::kLastEffect)) {
      type = ArgType::kEffect;
    }
    const std::string which = "argument " + std::to_string(i + 1) + " of " + quoted;
    if (type == ArgType::kEffect) {
      if (!InBand(code(p), tok::kFirstEffect, tok::kLastEffect)) {
        error(p, which + " must be a visual effect name such as wipeleft, found " + describe(p));
        return false;
      }
      args.push_back({p, Kind::kUnknown});
      ++p;
    } else if (type == ArgType::kCall) {
      if (code(p) != tok::kName || code(p + 1) != tok::kOpenParen) {
        error(p, which + " must be a handler call such as hello(1), found " + describe(p));
        return false;
      }
      std::optional<Operand> call = handlerCall(p, base, depth + 1, false);
      if (!call) return false;
      args.push_back({p, Kind::kUnknown});
      p = call->end;
    } else {
      std::optional<Operand> value = expression(p, base, depth + 1);
      if (!value) return false;
      args.push_back({p, value->kind});
      p = value->end;
    }
    if (code(p) == tok::kCloseParen) {
      end = p + 1;
      return true;
    }
    if (code(p) == tok::kComma) {
      ++p;
      continue;
    }
    if (code(p) == tok::kLineEnd || code(p) == tok::kEnd) {
      error(token + 1, "the '(' of " + quoted + " is not closed: add ')'");
    } else {
      error(p, "expected ',' or ')' after " + which + ", found " + describe(p));
    }
    return false;
  }
}

// The number and kinds of a built-in's arguments against its signature. A property called in
// the form of its other use (a write inside an expression, a read as a statement) is named so.
bool ScriptWalker::checkArguments(int token, BuiltinKind kind, const BuiltinSignature& signature,
                                  const std::vector<Argument>& args) {
  const std::uint16_t c = code(token);
  const std::string name = KeywordSpelling(c);
  const BuiltinParams params = signature.parameters();
  const int count = static_cast<int>(args.size());
  if (count < params.required || count > params.count) {
    const BuiltinSignature* read = declared(BuiltinKind::kPropertyRead, c);
    const BuiltinSignature* write = declared(BuiltinKind::kPropertyWrite, c);
    if (kind == BuiltinKind::kPropertyRead && Fits(write, args.size())) {
      error(token, "'" + name + "' with " + Arguments(args.size()) +
                       " sets the property and gives no value: read it with " +
                       builtinUsage(c, read));
    } else if (kind == BuiltinKind::kPropertyWrite && Fits(read, args.size())) {
      error(token, "'" + name + "' with " + Arguments(args.size()) +
                       " reads the property: use its value (x = " + builtinUsage(c, read) +
                       ") or set it with " + builtinUsage(c, write));
    } else {
      error(token, std::string(count < params.required ? "too few" : "too many") +
                       " arguments to '" + name + "': " + builtinUsage(c, &signature));
    }
    return false;
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    const ArgType type = params.items[i].type;
    if (!Accepts(type, args[i].kind)) {
      error(args[i].token, "argument " + std::to_string(i + 1) + " of '" + name + "' must be " +
                               WantedName(type) + ", not " + KindName(args[i].kind));
      return false;
    }
  }
  return true;
}

// How a built-in is written: "makepoint(x, y)", optional parameters in brackets; "name(...)"
// when its signature is not known.
std::string ScriptWalker::builtinUsage(std::uint16_t code,
                                       const BuiltinSignature* signature) const {
  std::string usage = KeywordSpelling(code) + "(";
  if (signature == nullptr) return usage + "...)";
  const BuiltinParams params = signature->parameters();
  for (int i = 0; i < params.count; ++i) {
    const BuiltinParam& param = params.items[static_cast<std::size_t>(i)];
    if (i > 0) usage += ", ";
    usage += param.optional ? "[" + std::string(param.name) + "]" : std::string(param.name);
  }
  return usage + ")";
}

// NAME ( arguments ): a handler call, which must be on one line. A handler of this script is
// the one that runs (the script is the first of its chain), so its parameter count is checked.
std::optional<ScriptWalker::Operand> ScriptWalker::handlerCall(int token, int base, int depth,
                                                               bool sameScript) {
  const std::string name(textOf(token));
  int open = 0;
  int p = token + 1;
  for (; code(p) != tok::kLineEnd && code(p) != tok::kEnd; ++p) {
    if (code(p) == tok::kOpenParen) ++open;
    if (code(p) == tok::kCloseParen && --open < 1) break;
  }
  if (code(p) != tok::kCloseParen) {
    error(token, "the call of " + name +
                     " is not closed on its line: add ')' (a handler call must be on one line)");
    return std::nullopt;
  }
  std::vector<Argument> args;
  int end = 0;
  if (!arguments(token, base, depth, CallForm{.name = name}, args, end)) return std::nullopt;
  const std::string folded = FoldedName(name);
  const auto header = handlers_.find(folded);
  // A missing event handler is no fault; any other must come from a script further along the
  // chain, which a system script does not have.
  if (sameScript && header == handlers_.end() && !IsEventHandlerName(name) &&
      missingHandlersReported_.insert(folded).second) {
    warning(token, "no handler " + name +
                       " in this script: the call fails unless a script further along the chain "
                       "defines it");
  }
  if (sameScript && header != handlers_.end() && header->second.parameters >= 0 &&
      header->second.parameters != static_cast<int>(args.size())) {
    error(token,
          std::string(static_cast<int>(args.size()) < header->second.parameters ? "too few"
                                                                                : "too many") +
              " arguments to handler " + name + ": " + header->second.spelled);
    return std::nullopt;
  }
  return Operand{end, Kind::kUnknown};
}

}  // namespace lw::authoring

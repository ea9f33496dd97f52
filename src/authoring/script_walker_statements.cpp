// Handlers, blocks and statements, read as the statement loop of a handler run reads them: each
// statement by its first token, each followed by a line end; `code` NAME ( params ) opens a
// handler and `endcode` ends it; text between handlers never runs.

#include <algorithm>

#include "authoring/script_walker.h"
#include "script/bounded_string.h"
#include "script/fold.h"
#include "script/interpreter.h"

namespace lw::authoring {
namespace {

// Variables live in 16-byte name fields: a longer name is refused when it is declared.
constexpr std::size_t kMaxVariableName = Name15::kCapacity;
// The interpreter's for and while stacks refuse the push that fills their last record.
constexpr int kMaxNestedLoops = Interpreter::kLoopStackSize - 1;

// The words that open and close each kind of block, in the order of ScriptWalker::BlockKind.
constexpr std::string_view OpenerName(int kind) {
  constexpr std::string_view kNames[] = {"if", "switch", "for", "while"};
  return kNames[kind];
}
constexpr std::string_view CloserName(int kind) {
  constexpr std::string_view kNames[] = {"endif", "endswitch", "endfor", "endwhile"};
  return kNames[kind];
}

// Statements that end or continue the enclosing block rather than run inside it.
constexpr bool EndsBlock(std::uint16_t code) {
  return code == tok::kElse || code == tok::kEndif || code == tok::kCase ||
         code == tok::kEndswitch || code == tok::kEndfor || code == tok::kEndwhile;
}

}  // namespace

ScriptWalker::ScriptWalker(const CompiledScript& script, const BuiltinTable& catalog)
    : script_(script), tokens_(script.tokens()), catalog_(catalog) {}

std::vector<ScriptDiagnostic> ScriptWalker::run() && {
  collectHandlers();
  int pos = 0;
  while (code(pos) != tok::kEnd) {
    const std::uint16_t c = code(pos);
    if (c == tok::kLineEnd) {
      ++pos;
    } else if (c == tok::kCode) {
      pos = walkHandler(pos);
    } else {
      error(pos, c == tok::kEndcode
                     ? "endcode without code"
                     : "statements must be inside a handler: code NAME() ... endcode");
      pos = endOfLine(pos);
    }
  }
  std::stable_sort(
      diagnostics_.begin(), diagnostics_.end(),
      [](const ScriptDiagnostic& a, const ScriptDiagnostic& b) { return a.token < b.token; });
  return std::move(diagnostics_);
}

// Notes every handler's name and parameter count first, so that calls of handlers defined
// further down can be checked; the interpreter runs the first of two handlers of one name.
void ScriptWalker::collectHandlers() {
  for (int pos = 0; code(pos) != tok::kEnd; ++pos) {
    if (code(pos) != tok::kCode || code(pos + 1) != tok::kName) continue;
    const int name = pos + 1;
    HandlerHeader header{.parameters = -1, .spelled = std::string(textOf(name))};
    if (code(name + 1) == tok::kOpenParen) {
      header.spelled += '(';
      int count = 0;
      int p = name + 2;
      bool wellFormed = code(p) == tok::kCloseParen;
      while (!wellFormed && code(p) == tok::kName) {
        header.spelled += std::string(count > 0 ? ", " : "") + std::string(textOf(p));
        ++count;
        ++p;
        if (code(p) == tok::kCloseParen) wellFormed = true;
        if (code(p) != tok::kComma) break;
        ++p;
      }
      header.spelled += ')';
      if (wellFormed) header.parameters = count;
    }
    const auto [first, added] = handlers_.try_emplace(FoldedName(textOf(name)), header);
    if (!added) {
      error(name, "handler " + std::string(textOf(name)) +
                      " is defined twice in this script; only the first one runs");
    }
  }
}

// Reads one handler from its `code` token; gives the token after its endcode, or the next
// handler's `code` (or the end) when it has none.
int ScriptWalker::walkHandler(int token) {
  handler_ = HandlerState{};
  int pos = 0;
  if (!readHeader(token, pos)) {
    // A broken header: its body is not read, but its end is found.
    while (code(pos) != tok::kEnd && code(pos) != tok::kCode && code(pos) != tok::kEndcode) ++pos;
    return code(pos) == tok::kEndcode ? pos + 1 : pos;
  }
  while (true) {
    while (code(pos) == tok::kLineEnd) ++pos;
    const std::uint16_t c = code(pos);
    if (c == tok::kEnd || c == tok::kCode) {
      error(token, "handler " + handler_.name + " has no endcode");
      return pos;
    }
    if (c == tok::kEndcode) {
      closeHandler();
      return pos + 1;
    }
    noteUnreachable(pos);
    std::optional<int> end = statement(pos);
    if (end && code(*end) != tok::kLineEnd && code(*end) != tok::kEnd) {
      error(*end, code(*end) == tok::kCloseParen ? "')' without '(' before it"
                                                 : "the statement ends before " + describe(*end) +
                                                       ": write one statement per line");
    }
    pos = endOfLine(end.value_or(pos));
  }
}

// `code` NAME ( [param {, param}] ): the parameters become the handler's first locals. `body`
// is where the statements start (after the header's line ends).
bool ScriptWalker::readHeader(int token, int& body) {
  body = token + 1;
  if (code(token + 1) != tok::kName) {
    error(token + 1, "expected the handler's name after code, found " + describe(token + 1));
    return false;
  }
  handler_.name = std::string(textOf(token + 1));
  int p = token + 2;
  if (code(p) != tok::kOpenParen) {
    error(p, "expected '(' after the handler name " + handler_.name);
    return false;
  }
  ++p;
  if (code(p) != tok::kCloseParen) {
    while (true) {
      if (code(p) != tok::kName) {
        error(p, "expected a parameter name in the header of " + handler_.name + ", found " +
                     describe(p));
        return false;
      }
      if (!declareName(p, handler_.locals)) return false;
      ++p;
      if (code(p) == tok::kCloseParen) break;
      if (code(p) != tok::kComma) {
        error(p,
              "expected ',' or ')' in the header of " + handler_.name + ", found " + describe(p));
        return false;
      }
      ++p;
    }
  }
  body = p + 1;
  return true;
}

// endcode: every block of the handler must be closed by then.
void ScriptWalker::closeHandler() {
  for (const Block& block : handler_.blocks) {
    const int kind = static_cast<int>(block.kind);
    error(block.token, std::string(OpenerName(kind)) + " is still open at endcode: add " +
                           std::string(CloserName(kind)));
  }
}

// Warns about the first statement that no path reaches: after return, exitcode or passcode in
// the same block, or between a switch and its first case.
void ScriptWalker::noteUnreachable(int token) {
  const std::uint16_t c = code(token);
  if (handler_.afterExit) {
    handler_.afterExit = false;
    if (!EndsBlock(c)) warning(token, "unreachable statement");
    return;
  }
  if (!handler_.blocks.empty()) {
    Block& top = handler_.blocks.back();
    if (top.kind == BlockKind::kSwitch && !top.hasCase && !top.warned && c != tok::kCase &&
        c != tok::kEndswitch) {
      top.warned = true;
      warning(token, "unreachable statement: nothing between switch and its first case runs");
    }
  }
}

// One statement; the token where its line end must be.
std::optional<int> ScriptWalker::statement(int token) {
  const std::uint16_t c = code(token);
  switch (c) {
    case tok::kGlobal:
    case tok::kLocal:
    case tok::kDumpglobal:
    case tok::kDumplocal: return declaration(token);
    case tok::kIf: return openBlock(BlockKind::kIf, token);
    case tok::kSwitch: return openBlock(BlockKind::kSwitch, token);
    case tok::kWhile: return openBlock(BlockKind::kWhile, token);
    case tok::kFor: return forHeader(token);
    case tok::kEndif: return closeBlock(BlockKind::kIf, token);
    case tok::kEndswitch: return closeBlock(BlockKind::kSwitch, token);
    case tok::kEndfor: return closeBlock(BlockKind::kFor, token);
    case tok::kEndwhile: return closeBlock(BlockKind::kWhile, token);
    case tok::kElse:
    case tok::kCase: return elseOrCase(token);
    case tok::kReturn:
    case tok::kExitcode:
    case tok::kPasscode: return exitStatement(token);
    case tok::kName:
      if (code(token + 1) == tok::kOpenParen) {
        std::optional<Operand> call = handlerCall(token, 0, 0);
        if (!call) return std::nullopt;
        return call->end;
      }
      return assignment(token);
    default: break;
  }
  if (c >= tok::kFirstCommand && c <= tok::kLastCommand) {
    std::optional<Operand> call = builtinCall(token, BuiltinKind::kCommand, 0, 0);
    return call ? std::optional<int>(call->end) : std::nullopt;
  }
  if (c >= tok::kFirstProperty && c <= tok::kLastProperty) {
    std::optional<Operand> call = builtinCall(token, BuiltinKind::kPropertyWrite, 0, 0);
    return call ? std::optional<int>(call->end) : std::nullopt;
  }
  const std::string name = KeywordSpelling(c);
  if (c >= tok::kFirstFunction && c <= tok::kLastFunction) {
    error(token, "'" + name + "' is a function: use its value, e.g. x = " +
                     builtinUsage(c, declared(BuiltinKind::kFunction, c)));
  } else if (c >= tok::kFirstEffect && c <= tok::kLastEffect) {
    error(token, "'" + name +
                     "' is a visual effect name: it can only be the first argument of "
                     "visualeffect");
  } else {
    error(token, "a statement cannot begin with " + describe(token));
  }
  return std::nullopt;
}

// global/local/dumpglobal/dumplocal NAME {, NAME}.
std::optional<int> ScriptWalker::declaration(int token) {
  const std::uint16_t c = code(token);
  int p = token + 1;
  while (true) {
    if (code(p) != tok::kName) {
      error(p, "expected a variable name after '" + KeywordSpelling(code(p - 1)) + "', found " +
                   describe(p));
      return std::nullopt;
    }
    const std::string folded = FoldedName(textOf(p));
    switch (c) {
      case tok::kGlobal:
        if (!declareName(p, handler_.globals)) return std::nullopt;
        break;
      case tok::kLocal:
        if (!declareName(p, handler_.locals)) return std::nullopt;
        break;
      default: {
        // Removing a name that is not there does nothing; the name must still fit its field.
        std::set<std::string> removed;
        if (!declareName(p, removed)) return std::nullopt;
        (c == tok::kDumplocal ? handler_.locals : handler_.globals).erase(folded);
        break;
      }
    }
    ++p;
    if (code(p) != tok::kComma) return p;
    ++p;
  }
}

// NAME = expression.
std::optional<int> ScriptWalker::assignment(int token) {
  if (code(token + 1) != tok::kEqual) {
    error(token + 1, "expected '=' after '" + std::string(textOf(token)) +
                         "': an assignment is NAME = VALUE, a handler call NAME(...)");
    return std::nullopt;
  }
  useVariable(token);  // an undeclared name does not keep the value from being checked
  std::optional<Operand> value = expression(token + 2, 0, 0);
  if (!value) return std::nullopt;
  return value->end;
}

// if/switch/while with its value; the block stays open until its closing word, even when the
// value is at fault, so that the closing word still finds it.
std::optional<int> ScriptWalker::openBlock(BlockKind kind, int token) {
  const bool tooDeep =
      kind == BlockKind::kWhile && nestedLoops(BlockKind::kWhile) >= kMaxNestedLoops;
  handler_.blocks.push_back(Block{.kind = kind, .token = token});
  if (tooDeep) {
    error(token, "too many nested while loops: at most " + std::to_string(kMaxNestedLoops));
    return std::nullopt;
  }
  if (kind != BlockKind::kSwitch) {
    return condition(token + 1, Kind::kLogic, KeywordSpelling(code(token)));
  }
  std::optional<Operand> subject = expression(token + 1, 0, 0);
  if (!subject) return std::nullopt;
  if (subject->kind == Kind::kLogic) {
    error(token + 1, "switch needs a number or a text, not a truth value");
    return std::nullopt;
  }
  handler_.blocks.back().subject = subject->kind;
  return subject->end;
}

// The loops of a kind open in the handler.
int ScriptWalker::nestedLoops(BlockKind kind) const {
  return static_cast<int>(std::count_if(handler_.blocks.begin(), handler_.blocks.end(),
                                        [kind](const Block& b) { return b.kind == kind; }));
}

// endif/endswitch/endfor/endwhile: closes the innermost block, which must be of its kind.
std::optional<int> ScriptWalker::closeBlock(BlockKind kind, int token) {
  const int k = static_cast<int>(kind);
  const auto open = std::find_if(handler_.blocks.rbegin(), handler_.blocks.rend(),
                                 [kind](const Block& b) { return b.kind == kind; });
  if (open == handler_.blocks.rend()) {
    error(token, std::string(CloserName(k)) + " without " + std::string(OpenerName(k)));
    return std::nullopt;
  }
  const Block top = handler_.blocks.back();
  // Whatever the report, the block is taken as closed so that one fault gives one error.
  handler_.blocks.erase(std::prev(open.base()), handler_.blocks.end());
  if (open != handler_.blocks.rbegin() && top.kind != kind) {
    const int t = static_cast<int>(top.kind);
    error(token, std::string(CloserName(k)) + " inside an open " + std::string(OpenerName(t)) +
                     ": close it with " + std::string(CloserName(t)) + " first");
    return std::nullopt;
  }
  return token + 1;
}

// else inside an if, case inside a switch.
std::optional<int> ScriptWalker::elseOrCase(int token) {
  const bool isElse = code(token) == tok::kElse;
  const BlockKind kind = isElse ? BlockKind::kIf : BlockKind::kSwitch;
  const std::string word = isElse ? "else" : "case";
  const std::string owner = isElse ? "if" : "switch";
  if (handler_.blocks.empty() || handler_.blocks.back().kind != kind) {
    const bool anyOpen = std::any_of(handler_.blocks.begin(), handler_.blocks.end(),
                                     [kind](const Block& b) { return b.kind == kind; });
    if (!anyOpen) {
      error(token, word + " outside " + (isElse ? "an " : "a ") + owner);
    } else {
      const int t = static_cast<int>(handler_.blocks.back().kind);
      error(token, word + " inside an open " + std::string(OpenerName(t)) + ": close it with " +
                       std::string(CloserName(t)) + " first");
    }
    return std::nullopt;
  }
  Block& block = handler_.blocks.back();
  if (isElse) {
    if (block.hasElse) warning(token, "a second else in one if never runs");
    block.hasElse = true;
    return token + 1;
  }
  block.hasCase = true;
  std::optional<Operand> value = expression(token + 1, 0, 0);
  if (!value) return std::nullopt;
  if (value->kind != Kind::kUnknown && block.subject != Kind::kUnknown &&
      value->kind != block.subject) {
    error(token + 1,
          std::string("case value is ") + (value->kind == Kind::kText ? "a text" : "not a text") +
              " but the switch value is " + (block.subject == Kind::kText ? "a text" : "a number"));
    return std::nullopt;
  }
  return value->end;
}

// for NAME = a to b [step s]: NAME becomes a local of the handler. The block is open from here
// on, whatever the faults of the header.
std::optional<int> ScriptWalker::forHeader(int token) {
  const bool tooDeep = nestedLoops(BlockKind::kFor) >= kMaxNestedLoops;
  handler_.blocks.push_back(Block{.kind = BlockKind::kFor, .token = token});
  if (tooDeep) {
    error(token, "too many nested for loops: at most " + std::to_string(kMaxNestedLoops));
    return std::nullopt;
  }
  int p = token + 1;
  if (code(p) != tok::kName) {
    error(p, "for needs a variable name: for i = 1 to 10");
    return std::nullopt;
  }
  if (!declareName(p, handler_.locals)) return std::nullopt;
  const std::string variable(textOf(p));
  if (code(++p) != tok::kEqual) {
    error(p, "expected '=' after the for variable '" + variable + "'");
    return std::nullopt;
  }
  std::optional<int> end = condition(p + 1, Kind::kNumber, "for");
  if (!end) return std::nullopt;
  if (code(*end) != tok::kTo) {
    error(*end, "for without to: for " + variable + " = 1 to 10");
    return std::nullopt;
  }
  end = condition(*end + 1, Kind::kNumber, "for");
  if (end && code(*end) == tok::kStep) end = condition(*end + 1, Kind::kNumber, "for");
  return end;
}

// return VALUE, exitcode, passcode: the handler ends here.
std::optional<int> ScriptWalker::exitStatement(int token) {
  handler_.afterExit = true;
  if (code(token) != tok::kReturn) return token + 1;
  if (code(token + 1) == tok::kLineEnd || code(token + 1) == tok::kEnd) {
    error(token, "return needs a value: return x (exitcode leaves a handler without one)");
    return std::nullopt;
  }
  std::optional<Operand> value = expression(token + 1, 0, 0);
  if (!value) return std::nullopt;
  return value->end;
}

// A value that must be of kind `wanted` when its kind is known (the condition of if and while,
// the bounds of for).
std::optional<int> ScriptWalker::condition(int token, Kind wanted, std::string_view what) {
  std::optional<Operand> value = expression(token, 0, 0);
  if (!value) return std::nullopt;
  if (value->kind != Kind::kUnknown && value->kind != wanted) {
    error(token, std::string(what) + " needs " +
                     (wanted == Kind::kLogic ? "a truth value (true or false)" : "a number") +
                     " here");
    return std::nullopt;
  }
  return value->end;
}

// Declares the name at `token` in a table of the handler; names longer than a variable's name
// field are refused.
bool ScriptWalker::declareName(int token, std::set<std::string>& into) {
  const std::string_view name = textOf(token);
  if (name.size() > kMaxVariableName) {
    error(token, "'" + std::string(name) + "' is too long for a variable name: at most " +
                     std::to_string(kMaxVariableName) + " characters");
    return false;
  }
  into.insert(FoldedName(name));
  return true;
}

// A read or an assignment of the variable at `token`: it must have been declared earlier in the
// handler. Each name is reported once per handler.
void ScriptWalker::useVariable(int token) {
  const std::string folded = FoldedName(textOf(token));
  if (handler_.locals.contains(folded) || handler_.globals.contains(folded)) return;
  if (handler_.reported.insert(folded).second) {
    const std::string name(textOf(token));
    error(token, "'" + name + "' is not declared in handler " + handler_.name + ": add `local " +
                     name + "` or `global " + name + "`");
  }
}

}  // namespace lw::authoring

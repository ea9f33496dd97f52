// ScriptWalker: the reading of a compiled script's tokens behind CheckScriptText. Statements
// (script_walker_statements.cpp) are recognised by their first token as the interpreter does,
// blocks are kept on a stack, and expressions (script_walker_expressions.cpp) are read operand
// by operand with the static kind of each value where a literal, an operator or a built-in's
// signature tells it.
//
// Every reading function gives false (or no value) after it has reported a fault; the statement
// loop then goes on at the next line, so that each statement gives at most one error.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/script_check.h"
#include "script/builtin_table.h"
#include "script/compiled_script.h"

namespace lw::authoring {

// What is known of a value before it runs.
enum class Kind : std::uint8_t { kUnknown, kNumber, kText, kLogic };

class ScriptWalker {
 public:
  ScriptWalker(const CompiledScript& script, const BuiltinTable& catalog);

  // Reads the whole script; the diagnostics in token order.
  std::vector<ScriptDiagnostic> run() &&;

 private:
  enum class BlockKind : std::uint8_t { kIf, kSwitch, kFor, kWhile };
  struct Block {
    BlockKind kind;
    int token;                      // the opening keyword
    bool hasElse = false;           // if: an else was met
    bool hasCase = false;           // switch: a case was met
    bool warned = false;            // switch: the lines before the first case were reported
    Kind subject = Kind::kUnknown;  // switch: the kind of the value
  };
  // A handler defined in this script, for the calls of it from the same script.
  struct HandlerHeader {
    int parameters = -1;  // -1 when the header is malformed
    std::string spelled;  // "greet(name)"
  };
  // The state of the handler being read.
  struct HandlerState {
    std::string name;
    std::set<std::string> locals;    // folded: parameters, `local` and `for` variables
    std::set<std::string> globals;   // folded: `global` names
    std::set<std::string> reported;  // folded names already reported as undeclared
    std::vector<Block> blocks;
    bool afterExit = false;  // the last statement was return, exitcode or passcode
  };
  struct Operand {
    int end = 0;  // the token after it
    Kind kind = Kind::kUnknown;
  };
  struct Argument {
    int token = 0;  // its first token
    Kind kind = Kind::kUnknown;
  };

  // Reporting.
  void error(int token, std::string text);
  void warning(int token, std::string text);
  [[nodiscard]] std::string describe(int token) const;
  [[nodiscard]] std::uint16_t code(int token) const { return tokens_[token].code; }
  [[nodiscard]] std::string_view textOf(int token) const { return script_.textOf(token); }
  [[nodiscard]] int endOfLine(int token) const;

  // Handlers and statements (script_walker_statements.cpp).
  void collectHandlers();
  int walkHandler(int token);
  bool readHeader(int token, int& body);
  void closeHandler();
  void noteUnreachable(int token);
  std::optional<int> statement(int token);
  std::optional<int> declaration(int token);
  std::optional<int> assignment(int token);
  std::optional<int> openBlock(BlockKind kind, int token);
  std::optional<int> closeBlock(BlockKind kind, int token);
  std::optional<int> elseOrCase(int token);
  std::optional<int> forHeader(int token);
  [[nodiscard]] int nestedLoops(BlockKind kind) const;
  std::optional<int> exitStatement(int token);
  bool declareName(int token, std::set<std::string>& into);
  void useVariable(int token);
  std::optional<int> condition(int token, Kind wanted, std::string_view what);

  // Expressions and calls (script_walker_expressions.cpp).
  std::optional<Operand> expression(int token, int base, int depth);
  std::optional<Operand> operand(int token, int base, int depth);
  std::optional<Kind> reduce(const std::vector<Kind>& kinds, const std::vector<int>& operators);
  std::optional<Operand> builtinCall(int token, BuiltinKind kind, int base, int depth);
  std::optional<Operand> handlerCall(int token, int base, int depth, bool sameScript = true);
  // What the arguments of a call may be: with `params`, what each parameter's type asks; an
  // undeclared built-in may take effect names anywhere, a handler never.
  struct CallForm {
    std::string_view name;
    const BuiltinParams* params = nullptr;
    bool effectsAllowed = false;
  };
  bool arguments(int token, int base, int depth, const CallForm& form, std::vector<Argument>& args,
                 int& end);
  bool checkArguments(int token, BuiltinKind kind, const BuiltinSignature& signature,
                      const std::vector<Argument>& args);
  [[nodiscard]] const BuiltinSignature* declared(BuiltinKind kind, std::uint16_t code) const;
  [[nodiscard]] std::string builtinUsage(std::uint16_t code,
                                         const BuiltinSignature* signature) const;

  const CompiledScript& script_;
  std::span<const Token> tokens_;
  const BuiltinTable& catalog_;
  std::vector<ScriptDiagnostic> diagnostics_;
  std::map<std::string, HandlerHeader> handlers_;  // by folded name, the first definition
  std::set<std::string> missingHandlersReported_;  // folded names of handlers reported missing
  HandlerState handler_;
};

// The name of a keyword or symbol as written ("endif", "(", "≠" in UTF-8).
std::string KeywordSpelling(std::uint16_t code);
// A name folded for comparison (handlers and variables compare without regard to case).
std::string FoldedName(std::string_view name);

}  // namespace lw::authoring

// DecodedScript: the pre-decoded form of a compiled script, made once when the script is loaded
// and kept beside its tokens. The interpreter runs from it where it can and walks the tokens
// where it cannot, so the two always give the same results, errors and side effects.
//
// What is decoded:
//   - expressions whose operands are numbers, variables, texts, true/false, me/target, calls
//     of handlers, and parentheses and unary not/minus around such operands (built-ins, whose
//     arguments' extent is known only as they run, are left to the walk), at each
//     token where an expression can begin (after '(' ',' '=' and the words that take one). Each
//     holds its operands in order, the order in which its operators are applied (the levels of
//     the precedence table, left to right within a level) and the expression-stack fill it
//     reaches, so that a run that would overflow the stack is left to the token walk;
//   - statements whose shape is fixed (assignments, if, else, endif, while, endwhile, endfor,
//     return), with their jump targets and the decoded expressions they evaluate;
//   - the handlers of the script, in order, by the folded key of their names.
//
// What does not have such a shape is not decoded: the token walk runs it and reports what it
// reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "script/name_key.h"
#include "script/value.h"

namespace lw {

class CompiledScript;
class VariableTable;

struct DecodedOperand {
  enum Kind : std::uint8_t {
    kNumber,    // value: the number
    kVariable,  // value: the name token
    kString,    // value: the string token
    kLogic,     // value: 0 or 1
    kMe,
    kTarget,
    kParen,  // value: the index of the inner expression
    kUnary,  // value: the index of the operand it applies to; op: not or minus
    kCall,   // value: the handler name token of a call as a function
  };
  Kind kind = kNumber;
  std::uint16_t op = 0;
  std::int32_t value = 0;
  std::int32_t cache = -1;  // a variable's: where it was last found
};

// Where a variable operand was last found, good while the layout of the tables is the same. A
// local is also found again at its index while the running handler's locals hold its name
// there, as locals are searched first and hold each name once: so a call, or a recursive run
// of the same handler, costs its caller one comparison per local rather than a search.
struct VariablePlace {
  std::uint64_t layout = 0;  // VariableTable::Layout() when found; 0 never matches
  Value* value = nullptr;    // the entry's value
  int index = 0;
  // Found among the running handler's locals, else among the globals. Every layout belongs to
  // one run, as each run's start and end changes it, so the table is the run's.
  bool local = false;
};

struct DecodedStep {
  std::uint16_t op = 0;   // the operator token code
  std::uint8_t left = 0;  // operand slots: the result goes to `left`
  std::uint8_t right = 0;
};

struct DecodedExpression {
  std::int32_t used = 0;  // tokens from the first operand to the token after the last
  std::uint32_t firstOperand = 0;
  std::uint32_t firstStep = 0;
  std::uint8_t operands = 0;
  std::uint8_t depth = 0;  // expression-stack entries beyond the base that a run reaches
  bool flat = false;       // every operand a number or a variable
};

// A statement at the start of a line whose shape is fixed. Jump targets are the token after
// the matching block word, found as the walk finds it; a statement whose match the walk would
// not find is not decoded.
struct DecodedStatement {
  enum Kind : std::uint8_t {
    kAssign,    // place: the target variable's; expression: after '=' (or -1); target: next
    kIf,        // expression: the condition; target: past the matching else or endif
    kElse,      // target: past the matching endif
    kEndif,     //
    kWhile,     // expression: the condition; target: past the matching endwhile
    kEndwhile,  //
    kEndfor,    //
    kReturn,    // expression: the value (or -1)
  };
  Kind kind = kAssign;
  bool toElse = false;  // an if's target is past an else
  std::int32_t expression = -1;
  std::int32_t place = -1;
  // The jump target; for an assignment, the next statement's first token when it is known
  // (else -1).
  std::int32_t target = 0;
};

struct DecodedHandler {
  enum Match : std::uint8_t {
    kByKey,   // names of up to 15 characters compare by their folded keys
    kByText,  // longer names compare by their text, as all their keys are alike
    kNever,   // a `code` token without a name matches no call
  };
  NameKey key;
  std::int32_t header = 0;  // the `code` token
  // A header of the plain shape "code name(p1, p2, ...)" has its parameter names at header + 3,
  // + 5, ... and its first statement at `body`; other headers (body -1) are bound by the walk.
  std::int32_t body = -1;
  std::int32_t parameters = 0;
  Match match = kByKey;
};

class DecodedScript {
 public:
  // Decodes `script`; never fails (what does not decode is left to the token walk).
  static std::shared_ptr<const DecodedScript> Decode(const CompiledScript& script);

  // The index of the decoded expression that starts at token `pos`, or -1.
  [[nodiscard]] std::int32_t expressionIndexAt(int pos) const {
    return expressionAt_[static_cast<std::size_t>(pos)];
  }
  // The decoded statement that starts at token `pos`, or null.
  [[nodiscard]] const DecodedStatement* statementAt(int pos) const {
    const std::int32_t index = statementAt_[static_cast<std::size_t>(pos)];
    return index < 0 ? nullptr : &statements_[static_cast<std::size_t>(index)];
  }
  [[nodiscard]] const DecodedExpression& expression(std::int32_t index) const {
    return expressions_[static_cast<std::size_t>(index)];
  }
  [[nodiscard]] const DecodedOperand* operands(const DecodedExpression& e) const {
    return &operands_[e.firstOperand];
  }
  [[nodiscard]] const DecodedOperand& operand(std::int32_t index) const {
    return operands_[static_cast<std::size_t>(index)];
  }
  [[nodiscard]] const DecodedStep* steps(const DecodedExpression& e) const {
    return steps_.data() + e.firstStep;  // past the end for one operand, and then not read
  }
  // The place cache of a variable operand. The decoded form is otherwise fixed; these are the
  // engine's own notes, checked against the layout before each use.
  [[nodiscard]] VariablePlace& place(std::int32_t index) const {
    return places_[static_cast<std::size_t>(index)];
  }
  // The script's handlers in the order of their `code` tokens.
  [[nodiscard]] const std::vector<DecodedHandler>& handlers() const { return handlers_; }

  // Bytes the decoded form takes.
  [[nodiscard]] std::size_t bytes() const;

  // The most operands a decoded expression holds: more could never fit the expression stack.
  static constexpr int kMaxOperands = 20;

 private:
  friend class ScriptDecoder;

  std::vector<std::int32_t> expressionAt_;  // per token
  std::vector<std::int32_t> statementAt_;   // per token
  std::vector<DecodedStatement> statements_;
  std::vector<DecodedExpression> expressions_;
  std::vector<DecodedOperand> operands_;
  std::vector<DecodedStep> steps_;
  std::vector<DecodedHandler> handlers_;
  mutable std::vector<VariablePlace> places_;
};

}  // namespace lw

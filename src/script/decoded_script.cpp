#include "script/decoded_script.h"

#include <algorithm>
#include <optional>
#include <span>

#include "script/compiled_script.h"
#include "script/token.h"

namespace lw {
namespace {

// Parentheses and unary operators nested deeper than this are left to the token walk, so that
// decoding a hostile script cannot exhaust the machine stack.
constexpr int kMaxNesting = 64;

// Tokens after which an expression can begin: where the statements, the handler calls and the
// built-ins read one.
bool StartsExpression(std::uint16_t previous) {
  switch (previous) {
    case tok::kOpenParen:
    case tok::kComma:
    case tok::kEqual:
    case tok::kIf:
    case tok::kWhile:
    case tok::kReturn:
    case tok::kTo:
    case tok::kStep:
    case tok::kSwitch:
    case tok::kCase: return true;
    default: return false;
  }
}

}  // namespace

// Builds a DecodedScript.
class ScriptDecoder {
 public:
  explicit ScriptDecoder(const CompiledScript& script)
      : tokens_(script.tokens()), script_(script), out_(std::make_shared<DecodedScript>()) {}

  std::shared_ptr<const DecodedScript> decode() {
    out_->expressionAt_.assign(tokens_.size(), -1);
    for (std::size_t pos = 1; pos < tokens_.size(); ++pos) {
      if (!StartsExpression(tokens_[pos - 1].code)) continue;
      if (std::optional<std::int32_t> index = expression(static_cast<int>(pos), 0)) {
        out_->expressionAt_[pos] = *index;
      }
    }
    out_->statementAt_.assign(tokens_.size(), -1);
    for (std::size_t pos = 1; pos < tokens_.size(); ++pos) {
      if (tokens_[pos - 1].code != tok::kLineEnd) continue;
      if (std::optional<DecodedStatement> s = statement(static_cast<int>(pos))) {
        out_->statementAt_[pos] = static_cast<std::int32_t>(out_->statements_.size());
        out_->statements_.push_back(*s);
      }
    }
    for (std::size_t pos = 0; pos < tokens_.size(); ++pos) {
      if (tokens_[pos].code != tok::kCode) continue;
      DecodedHandler handler;
      handler.header = static_cast<std::int32_t>(pos);
      if (tokens_[pos + 1].code == tok::kName) {
        handler.key = script_.nameKey(pos + 1);
        handler.match = handler.key.isLong() ? DecodedHandler::kByText : DecodedHandler::kByKey;
        plainHeader(handler);
      } else {
        handler.match = DecodedHandler::kNever;
      }
      out_->handlers_.push_back(handler);
    }
    return out_;
  }

 private:
  struct Operand {
    DecodedOperand record;
    int depth = 0;  // expression-stack entries that evaluating it reaches beyond its base
  };

  // The expression at `pos`: its index, or nothing when it does not decode (and then nothing
  // of it is kept).
  std::optional<std::int32_t> expression(int pos, int nesting) {
    const std::size_t expressions = out_->expressions_.size();
    const std::size_t operands = out_->operands_.size();
    const std::size_t steps = out_->steps_.size();
    const std::size_t places = out_->places_.size();
    std::optional<std::int32_t> index = decodeExpression(pos, nesting);
    if (!index) {
      out_->expressions_.resize(expressions);
      out_->operands_.resize(operands);
      out_->steps_.resize(steps);
      out_->places_.resize(places);
    }
    return index;
  }

  std::optional<std::int32_t> decodeExpression(int pos, int nesting) {
    if (nesting > kMaxNesting) return std::nullopt;
    Operand terms[DecodedScript::kMaxOperands];
    std::uint16_t ops[DecodedScript::kMaxOperands];
    int count = 0;
    int p = pos;
    while (true) {
      if (count == DecodedScript::kMaxOperands) return std::nullopt;
      int used = 0;
      std::optional<Operand> term = operand(p, nesting, used);
      if (!term) return std::nullopt;
      terms[count++] = *term;
      p += used;
      if (!tok::IsOperator(tokens_[p].code)) break;
      ops[count - 1] = tokens_[p++].code;
    }

    // The walk holds 2 x count - 1 entries, and evaluates operand j with 2 x j of them held.
    int depth = 2 * count - 1;
    for (int j = 0; j < count; ++j) depth = std::max(depth, 2 * j + terms[j].depth);
    if (depth >= 40) return std::nullopt;  // a run would always overflow the stack

    DecodedExpression e;
    e.used = p - pos;
    e.operands = static_cast<std::uint8_t>(count);
    e.depth = static_cast<std::uint8_t>(depth);
    e.flat = std::all_of(terms, terms + count, [](const Operand& t) {
      return t.record.kind == DecodedOperand::kNumber || t.record.kind == DecodedOperand::kVariable;
    });
    e.firstOperand = static_cast<std::uint32_t>(out_->operands_.size());
    for (int j = 0; j < count; ++j) out_->operands_.push_back(terms[j].record);
    e.firstStep = static_cast<std::uint32_t>(out_->steps_.size());
    schedule(std::span(ops, static_cast<std::size_t>(count - 1)));
    out_->expressions_.push_back(e);
    return static_cast<std::int32_t>(out_->expressions_.size() - 1);
  }

  // The order in which the walk applies the operators: level by level, 0 binding tightest, left
  // to right within a level, each result replacing its left operand.
  void schedule(std::span<const std::uint16_t> operators) {
    std::vector<std::uint8_t> slots;
    std::vector<std::uint16_t> pending(operators.begin(), operators.end());
    for (std::size_t i = 0; i <= operators.size(); ++i)
      slots.push_back(static_cast<std::uint8_t>(i));
    for (int level = 0; level < tok::kOperatorLevels; ++level) {
      std::size_t i = 0;
      while (i < pending.size()) {
        if (tok::OperatorLevel(pending[i]) != level) {
          ++i;
          continue;
        }
        out_->steps_.push_back({pending[i], slots[i], slots[i + 1]});
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
        slots.erase(slots.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      }
    }
  }

  // The operand at `pos` and its token count, or nothing when it is a built-in or not an
  // operand at all.
  std::optional<Operand> operand(int pos, int nesting, int& used) {
    const Token& t = tokens_[static_cast<std::size_t>(pos)];
    Operand o;
    used = 1;
    switch (t.code) {
      case tok::kNumber: o.record = {DecodedOperand::kNumber, 0, t.value}; return o;
      case tok::kName:
        if (tokens_[static_cast<std::size_t>(pos) + 1].code == tok::kOpenParen) {
          // A handler call: its arguments are expressions of their own, decoded where they
          // begin; the call takes its tokens to the ')' that closes it.
          const int length = callLength(pos);
          if (length == 0) return std::nullopt;
          used = length + 1;
          o.record = {DecodedOperand::kCall, 0, pos};
          return o;
        }
        o.record = {DecodedOperand::kVariable, 0, pos,
                    static_cast<std::int32_t>(out_->places_.size())};
        out_->places_.emplace_back();
        return o;
      case tok::kString: o.record = {DecodedOperand::kString, 0, pos}; return o;
      case tok::kTrue:
      case tok::kFalse:
        o.record = {DecodedOperand::kLogic, 0, t.code == tok::kTrue ? 1 : 0};
        return o;
      case tok::kMe: o.record = {DecodedOperand::kMe, 0, 0}; return o;
      case tok::kTarget: o.record = {DecodedOperand::kTarget, 0, 0}; return o;
      case tok::kOpenParen: {
        std::optional<std::int32_t> inner = expression(pos + 1, nesting + 1);
        if (!inner) return std::nullopt;
        const DecodedExpression& e = out_->expressions_[static_cast<std::size_t>(*inner)];
        if (tokens_[static_cast<std::size_t>(pos + 1 + e.used)].code != tok::kCloseParen) {
          return std::nullopt;
        }
        used = e.used + 2;
        o.record = {DecodedOperand::kParen, 0, *inner};
        o.depth = e.depth;
        return o;
      }
      case tok::kNot:
      case tok::kMinus: {
        if (nesting > kMaxNesting) return std::nullopt;
        int innerUsed = 0;
        std::optional<Operand> inner = operand(pos + 1, nesting + 1, innerUsed);
        if (!inner) return std::nullopt;
        out_->operands_.push_back(inner->record);
        used = innerUsed + 1;
        o.record = {DecodedOperand::kUnary, t.code,
                    static_cast<std::int32_t>(out_->operands_.size() - 1)};
        o.depth = inner->depth;
        return o;
      }
      default: return std::nullopt;
    }
  }

  // Notes the parameters and the first statement of a header of the plain shape.
  void plainHeader(DecodedHandler& handler) const {
    std::size_t p = static_cast<std::size_t>(handler.header) + 2;
    if (tokens_[p].code != tok::kOpenParen) return;
    int parameters = 0;
    if (tokens_[++p].code != tok::kCloseParen) {
      while (true) {
        if (tokens_[p].code != tok::kName) return;
        ++parameters;
        if (tokens_[++p].code == tok::kCloseParen) break;
        if (tokens_[p].code != tok::kComma) return;
        ++p;
      }
    }
    ++p;
    while (tokens_[p].code == tok::kLineEnd) ++p;
    handler.body = static_cast<std::int32_t>(p);
    handler.parameters = parameters;
  }

  // The distance from a call's name to its closing ')', counting nested parentheses, as the
  // handler runner measures it; 0 when a line end or the script's end comes first.
  int callLength(int pos) const {
    int depth = 0;
    for (std::size_t p = static_cast<std::size_t>(pos) + 1;; ++p) {
      const std::uint16_t code = tokens_[p].code;
      if (code == tok::kLineEnd || code == tok::kEnd) return 0;
      if (code == tok::kOpenParen) ++depth;
      if (code == tok::kCloseParen && --depth < 1) return static_cast<int>(p) - pos;
    }
  }

  // The statement at `pos`, when it is one of the decoded kinds and complete.
  std::optional<DecodedStatement> statement(int pos) {
    const std::uint16_t code = tokens_[static_cast<std::size_t>(pos)].code;
    DecodedStatement s;
    const auto after = [&](int at) {
      const std::int32_t index = out_->expressionAt_[static_cast<std::size_t>(at)];
      return index < 0
                 ? std::nullopt
                 : std::optional(at + out_->expressions_[static_cast<std::size_t>(index)].used);
    };
    switch (code) {
      case tok::kName:
        if (tokens_[static_cast<std::size_t>(pos) + 1].code != tok::kEqual) return std::nullopt;
        s.kind = DecodedStatement::kAssign;
        s.place = static_cast<std::int32_t>(out_->places_.size());
        out_->places_.emplace_back();
        s.expression = out_->expressionAt_[static_cast<std::size_t>(pos) + 2];
        s.target = -1;
        if (std::optional<int> end = after(pos + 2);
            end && tokens_[static_cast<std::size_t>(*end)].code == tok::kLineEnd) {
          int next = *end;
          while (tokens_[static_cast<std::size_t>(next)].code == tok::kLineEnd) ++next;
          s.target = next;
        }
        return s;
      case tok::kIf:
      case tok::kWhile: {
        const bool isIf = code == tok::kIf;
        s.kind = isIf ? DecodedStatement::kIf : DecodedStatement::kWhile;
        s.expression = out_->expressionAt_[static_cast<std::size_t>(pos) + 1];
        std::optional<int> end = after(pos + 1);
        if (!end) return std::nullopt;
        std::optional<int> found = isIf ? match(*end, tok::kIf, tok::kEndif, tok::kElse)
                                        : match(*end, tok::kWhile, tok::kEndwhile, 0);
        if (!found) return std::nullopt;
        s.toElse = tokens_[static_cast<std::size_t>(*found)].code == tok::kElse;
        s.target = *found + 1;
        return s;
      }
      case tok::kElse: {
        std::optional<int> found = match(pos + 1, tok::kIf, tok::kEndif, 0);
        if (!found) return std::nullopt;
        s.kind = DecodedStatement::kElse;
        s.target = *found + 1;
        return s;
      }
      case tok::kEndif: s.kind = DecodedStatement::kEndif; return s;
      case tok::kEndwhile: s.kind = DecodedStatement::kEndwhile; return s;
      case tok::kEndfor: s.kind = DecodedStatement::kEndfor; return s;
      case tok::kReturn:
        s.kind = DecodedStatement::kReturn;
        s.expression = out_->expressionAt_[static_cast<std::size_t>(pos) + 1];
        return s;
      default: return std::nullopt;
    }
  }

  // The first `close` (or `alsoStop`, when not 0) at nesting 0 from `pos`, as the walk's forward
  // scan finds it; nothing where the scan meets the handler's or the script's end first.
  std::optional<int> match(int pos, std::uint16_t open, std::uint16_t close,
                           std::uint16_t alsoStop) const {
    int depth = 0;
    for (std::size_t p = static_cast<std::size_t>(pos);; ++p) {
      const std::uint16_t code = tokens_[p].code;
      if (code == tok::kEnd || code == tok::kEndcode) return std::nullopt;
      if (code == open) {
        ++depth;
      } else if (depth == 0 && (code == close || (alsoStop != 0 && code == alsoStop))) {
        return static_cast<int>(p);
      } else if (code == close) {
        --depth;
      }
    }
  }

  std::span<const Token> tokens_;
  const CompiledScript& script_;
  std::shared_ptr<DecodedScript> out_;
};

std::shared_ptr<const DecodedScript> DecodedScript::Decode(const CompiledScript& script) {
  return ScriptDecoder(script).decode();
}

std::size_t DecodedScript::bytes() const {
  return sizeof(DecodedScript) + expressionAt_.capacity() * sizeof(std::int32_t) +
         statementAt_.capacity() * sizeof(std::int32_t) +
         statements_.capacity() * sizeof(DecodedStatement) +
         expressions_.capacity() * sizeof(DecodedExpression) +
         operands_.capacity() * sizeof(DecodedOperand) + steps_.capacity() * sizeof(DecodedStep) +
         handlers_.capacity() * sizeof(DecodedHandler) + places_.capacity() * sizeof(VariablePlace);
}

}  // namespace lw

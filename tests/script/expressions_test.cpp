// Operators, precedence, operand forms and the expression stack, and the console's lines.
#include <string>

#include "script_fixture.h"

namespace lw::testing {
namespace {

class ExpressionTest : public ScriptTest {};

TEST_F(ExpressionTest, OperatorsAndPrecedence) {
  ExpectLines({
      {"2 + 3 * 4", "14"},
      {"10 - 4 - 3", "3"},
      {"100 / 10 / 5", "2"},
      {"(2 + 3) * 4", "20"},
      {"7 / -2", "-3"},
      {"-7 / 2", "-3"},
      {"-(2 * 3)", "-6"},
      {"3-4", "-1"},
      {"2147483647 + 1", "-2147483648"},  // arithmetic wraps at 32 bits
      {"65536 * 65536", "0"},
      {"(0 - 2147483647 - 1) / -1", "-2147483648"},  // the quotient that does not fit
      {"1 / 0", "Divide by zero."},
      {"1 < 2 & 2 < 3", "True"},
      {"1 < 2 and 3 < 2", "False"},
      {"1 > 2 or 2 > 1", "True"},
      {"1 = 1 = true", "True"},
      {"2 \xB3 2", "True"},   // >=
      {"3 \xB2 2", "False"},  // <=
      {"3 \xAD 2", "True"},   // not equal
      {"not (1 = 2)", "True"},
      {"not true or true", "True"},  // not takes one operand
      {"\"abc\" = \"ABC\"", "True"},
      {"\"abc\" \xAD \"abd\"", "True"},
      {"1 = \"1\"", "False"},  // different types are unequal, not an error
      {"true = 1", "False"},
      {"\"a\" @ \"b\" = \"ab\"", "True"},  // @ binds tighter than =
      {"stringlength(\"" + std::string(200, 'a') + "\" @ \"" + std::string(55, 'b') + "\")", "255"},
      {"\"" + std::string(200, 'a') + "\" @ \"" + std::string(56, 'b') + "\"",
       "String length too big."},
  });
}

TEST_F(ExpressionTest, TypeAndSyntaxErrors) {
  ExpectLines({
      {"not 1", "Bad argument type."},
      {"-true", "Bad argument type."},
      {"1 + \"a\"", "Bad argument type."},
      {"1 & 2", "Bad argument type."},
      {"true < false", "Bad argument type."},
      {"1 @ 2", "Bad argument type."},
      {"1 < > 2", "Bad argument type."},  // <> is two operators
      {"(1 + 2", "Expected paren '(' or ')'."},
      // Operators apply level by level, so the division fails before the addition on its left.
      {"\"t\" + 1 = 2 / 0", "Divide by zero."},
      {"\"t\" + 1 = 2 / 1", "Bad argument type."},
  });
}

TEST_F(ExpressionTest, TwentyOperandsFitTheStackAndTwentyOneDoNot) {
  std::string twenty = "1";
  for (int i = 1; i < 20; ++i) twenty += " + 1";
  // 18 operands leave room for a parenthesised part of three entries, not of five.
  std::string eighteen = "1";
  for (int i = 1; i < 18; ++i) eighteen += " + 1";
  ExpectLines({
      {twenty, "20"},
      {twenty + " + 1", "Expression too complex."},
      {eighteen + " + (1 + 1)", "20"},
      {eighteen + " + (1 + 1 + 1)", "Expression too complex."},
  });
}

TEST_F(ExpressionTest, OperandsAreAllEvaluatedBeforeAnyOperator) {
  CompiledScript script = Compile(
      "code touch()\nglobal touched\ntouched = touched + 1\nreturn true\nendcode\n"
      "code both()\nreturn false & touch() | touch()\nendcode\n");
  EXPECT_EQ(Call(script, "both()"), "True");
  EXPECT_EQ(Global("touched"), "2");
}

TEST_F(ExpressionTest, UnaryChainsTooDeepForTheStackAreRefused) {
  in.stackGauge().limitTo(64 * 1024);
  EXPECT_EQ(Eval(std::string(100000, '-') + "1"), "Too much recursion.");
}

// Lines typed into the programmer's console run by their first token.
TEST_F(ExpressionTest, ConsoleLinesRunByTheirFirstToken) {
  ExpectLines({
      {"1 + 2", "3"},
      {"\"hi\" @ \"!\"", "\"hi!\""},
      {"bootscript()", "OK"},
      {"undefinedname", "No such variable."},
      {"1 +\t2", "tokenization error"},
      {"g = 1", "No such variable."},  // not a global yet: evaluated as an expression
      {"global g", "OK"},
      {"g = 4 * 5", "OK"},
      {"g", "20"},
      {"g = 20", "OK"},  // an assignment, not a comparison
      {"dumpglobal g", "OK"},
      {"g", "No such variable."},
      {"boot()", "OK"},                     // an event name: no handler is no error
      {"myhandler()", "No such handler."},  // the line itself holds no handlers
      {"global p", "OK"},
      {"variable(\"p\", 12)", "OK"},  // a property is read first, written when that fails
      {"variable(\"p\")", "12"},
      {"variable(\"nothere\")", "Expected comma ','."},  // the write's error is the one shown
      {"countglobals() junk", "1"},
      {"numtostring(-2147483648)",
       "\"-2147483648\""},  // tokens after the statement are not checked
  });
}

}  // namespace
}  // namespace lw::testing

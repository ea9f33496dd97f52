// Operators, precedence, operand forms and the expression stack, through the console.
#include <string>

#include "script_fixture.h"

namespace lw::testing {
namespace {

class ExpressionTest : public ScriptTest {};

TEST_F(ExpressionTest, ArithmeticFollowsPrecedenceAndAssociatesLeft) {
  EXPECT_EQ(Eval("2 + 3 * 4"), "14");
  EXPECT_EQ(Eval("10 - 4 - 3"), "3");
  EXPECT_EQ(Eval("100 / 10 / 5"), "2");
  EXPECT_EQ(Eval("(2 + 3) * 4"), "20");
  EXPECT_EQ(Eval("7 / -2"), "-3");
  EXPECT_EQ(Eval("-7 / 2"), "-3");
  EXPECT_EQ(Eval("-(2 * 3)"), "-6");
  EXPECT_EQ(Eval("3-4"), "-1");
}

TEST_F(ExpressionTest, ArithmeticWrapsAt32Bits) {
  EXPECT_EQ(Eval("2147483647 + 1"), "-2147483648");
  EXPECT_EQ(Eval("0 - 2147483647 - 2"), "2147483647");
  EXPECT_EQ(Eval("65536 * 65536"), "0");
  // The one quotient that does not fit gives the dividend back instead of trapping.
  EXPECT_EQ(Eval("(0 - 2147483647 - 1) / -1"), "-2147483648");
  EXPECT_EQ(Eval("1 / 0"), "Divide by zero.");
}

TEST_F(ExpressionTest, ComparisonsAndLogic) {
  EXPECT_EQ(Eval("1 < 2 & 2 < 3"), "True");
  EXPECT_EQ(Eval("1 < 2 and 3 < 2"), "False");
  EXPECT_EQ(Eval("1 > 2 or 2 > 1"), "True");
  EXPECT_EQ(Eval("1 = 1 = true"), "True");
  EXPECT_EQ(Eval("2 \xB3 2"), "True");   // >=
  EXPECT_EQ(Eval("3 \xB2 2"), "False");  // <=
  EXPECT_EQ(Eval("3 \xAD 2"), "True");   // not equal
  EXPECT_EQ(Eval("not (1 = 2)"), "True");
  EXPECT_EQ(Eval("not true or true"), "True");  // not takes one operand
}

TEST_F(ExpressionTest, TextEqualityFoldsCaseAndDifferentTypesAreUnequal) {
  EXPECT_EQ(Eval("\"abc\" = \"ABC\""), "True");
  EXPECT_EQ(Eval("\"abc\" \xAD \"abd\""), "True");
  EXPECT_EQ(Eval("1 = \"1\""), "False");
  EXPECT_EQ(Eval("true = 1"), "False");
  EXPECT_EQ(Eval("\"a\" @ \"b\" = \"ab\""), "True");  // @ binds tighter than =
}

TEST_F(ExpressionTest, TypeErrors) {
  EXPECT_EQ(Eval("not 1"), "Bad argument type.");
  EXPECT_EQ(Eval("-true"), "Bad argument type.");
  EXPECT_EQ(Eval("1 + \"a\""), "Bad argument type.");
  EXPECT_EQ(Eval("1 & 2"), "Bad argument type.");
  EXPECT_EQ(Eval("true < false"), "Bad argument type.");
  EXPECT_EQ(Eval("1 @ 2"), "Bad argument type.");
  EXPECT_EQ(Eval("1 < > 2"), "Bad argument type.");  // <> is two operators
  EXPECT_EQ(Eval("(1 + 2"), "Expected paren '(' or ')'.");
}

TEST_F(ExpressionTest, OperatorsApplyLevelByLevelSoTheTightestErrorWins) {
  // The division is applied before the addition to its left fails on its text.
  EXPECT_EQ(Eval("\"t\" + 1 = 2 / 0"), "Divide by zero.");
  EXPECT_EQ(Eval("\"t\" + 1 = 2 / 1"), "Bad argument type.");
}

TEST_F(ExpressionTest, JoiningRefusesTextsLongerThan255) {
  std::string a(200, 'a'), b(55, 'b');
  EXPECT_EQ(Eval("stringlength(\"" + a + "\" @ \"" + b + "\")"), "255");
  EXPECT_EQ(Eval("\"" + a + "\" @ \"" + b + "x\""), "String length too big.");
}

TEST_F(ExpressionTest, TwentyOperandsFitTheStackAndTwentyOneDoNot) {
  std::string twenty = "1";
  for (int i = 1; i < 20; ++i) twenty += " + 1";
  EXPECT_EQ(Eval(twenty), "20");
  EXPECT_EQ(Eval(twenty + " + 1"), "Expression too complex.");
  // A parenthesised part uses the stack above the outer entries.
  std::string nested = "1";
  for (int i = 1; i < 18; ++i) nested += " + 1";
  EXPECT_EQ(Eval(nested + " + (1 + 1)"), "20");
  EXPECT_EQ(Eval(nested + " + (1 + 1 + 1)"), "Expression too complex.");
}

TEST_F(ExpressionTest, OperandsAreAllEvaluatedBeforeAnyOperator) {
  CompiledScript script = Compile(
      "code touch()\n"
      "\tglobal touched\n"
      "\ttouched = touched + 1\n"
      "\treturn true\n"
      "endcode\n"
      "code both()\n"
      "\treturn false & touch() | touch()\n"
      "endcode\n");
  EXPECT_EQ(Call(script, "both()"), "True");
  EXPECT_EQ(Global("touched"), "2");
}

TEST_F(ExpressionTest, UnaryChainsTooDeepForTheStackAreRefused) {
  in.stackGauge().limitTo(64 * 1024);
  std::string line(100000, '-');
  line += "1";
  EXPECT_EQ(Eval(line), "Too much recursion.");
}

}  // namespace
}  // namespace lw::testing

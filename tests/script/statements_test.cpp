// Statements: blocks, loops and their limits, assignments and declarations.
#include <string>

#include "script_fixture.h"

namespace lw::testing {
namespace {

class StatementTest : public ScriptTest {};

TEST_F(StatementTest, IfElseChoosesOneBranchAndNests) {
  CompiledScript script = Compile(
      "code sign(n)\n"
      "\tif n < 0\n"
      "\t\treturn -1\n"
      "\telse\n"
      "\t\tif n = 0\n"
      "\t\t\treturn 0\n"
      "\t\tendif\n"
      "\tendif\n"
      "\treturn 1\n"
      "endcode\n");
  EXPECT_EQ(Call(script, "sign(-5)"), "-1");
  EXPECT_EQ(Call(script, "sign(0)"), "0");
  EXPECT_EQ(Call(script, "sign(7)"), "1");
}

TEST_F(StatementTest, IfBalanceAndLineEndsAreChecked) {
  EXPECT_EQ(Call("code f()\n\tif true\n\tx = 1\nendcode\n", "f()", true),
            "No such variable.");
  EXPECT_EQ(Call("code f()\n\tif true\n\tlocal x\nendcode\n", "f()", true),
            "Bad 'if' count balance.");
  EXPECT_EQ(Call("code f()\n\tif false\n\tlocal x\nendcode\n", "f()", true),
            "Bad 'if' count balance.");
  EXPECT_EQ(Call("code f()\n\tif false\n\telse local x\n\tendif\nendcode\n", "f()", true),
            "Expected return '\\r'.");
  EXPECT_EQ(Call("code f()\n\tendif\nendcode\n", "f()", true), "Bad 'if' count balance.");
  EXPECT_EQ(Call("code f()\n\tif 1\n\tendif\nendcode\n", "f()", true), "Bad argument type.");
  EXPECT_EQ(Call("code f()\n\tif false\n", "f()", true), "Expected return '\\r'.");
}

TEST_F(StatementTest, SwitchMatchesNumbersAndFoldedTexts) {
  CompiledScript script = Compile(
      "code pick(v)\n"
      "\tswitch v\n"
      "\tcase 1\n"
      "\tcase 2\n"
      "\t\treturn \"small\"\n"
      "\tcase 3\n"
      "\t\tswitch v\n"
      "\t\tcase 3\n"
      "\t\t\treturn \"three\"\n"
      "\t\tendswitch\n"
      "\tendswitch\n"
      "\treturn \"other\"\n"
      "endcode\n"
      "code word(t)\n"
      "\tlocal r\n"
      "\tr = \"none\"\n"
      "\tswitch t\n"
      "\tcase \"RED\"\n"
      "\t\tr = \"red\"\n"
      "\tcase \"green\"\n"
      "\t\tr = \"green\"\n"
      "\tendswitch\n"
      "\treturn r\n"
      "endcode\n");
  EXPECT_EQ(Call(script, "pick(1)"), "\"small\"");  // two case lines share one body
  EXPECT_EQ(Call(script, "pick(2)"), "\"small\"");
  EXPECT_EQ(Call(script, "pick(3)"), "\"three\"");
  EXPECT_EQ(Call(script, "pick(9)"), "\"other\"");
  EXPECT_EQ(Call(script, "word(\"red\")"), "\"red\"");  // no fall-through into "green"
  EXPECT_EQ(Call(script, "word(\"Green\")"), "\"green\"");
  EXPECT_EQ(Call(script, "word(\"blue\")"), "\"none\"");
  EXPECT_EQ(Call(script, "pick(true)"), "Bad argument type.");
}

TEST_F(StatementTest, SwitchCaseOfAnotherTypeBeforeTheMatchIsAnError) {
  CompiledScript script = Compile(
      "code f(v)\n\tswitch v\n\tcase \"a\"\n\t\treturn 1\n\tcase 5\n\t\treturn 2\n"
      "\tendswitch\n\treturn 0\nendcode\n");
  EXPECT_EQ(Call(script, "f(5)"), "Bad argument type.");
  EXPECT_EQ(Call(script, "f(\"a\")"), "1");
}

TEST_F(StatementTest, ForCountsUpDownAndSkipsEmptyRanges) {
  CompiledScript script = Compile(
      "code sum(a, b, s)\n"
      "\tlocal t\n"
      "\tfor i = a to b step s\n"
      "\t\tt = t + i\n"
      "\tendfor\n"
      "\treturn t\n"
      "endcode\n"
      "code after(a, b)\n"
      "\tfor i = a to b\n"
      "\t\tfor j = 1 to 3\n"
      "\t\tendfor\n"
      "\tendfor\n"
      "\treturn i\n"
      "endcode\n");
  EXPECT_EQ(Call(script, "sum(1, 10, 1)"), "55");
  EXPECT_EQ(Call(script, "sum(10, 1, -3)"), "22");  // 10 + 7 + 4 + 1
  EXPECT_EQ(Call(script, "sum(1, 10, 4)"), "15");   // 1 + 5 + 9
  EXPECT_EQ(Call(script, "after(5, 1)"), "5");      // no iteration leaves the start value
  EXPECT_EQ(Call(script, "after(1, 3)"), "4");
  EXPECT_EQ(in.forDepth(), 0);
}

TEST_F(StatementTest, ForHeaderErrors) {
  EXPECT_EQ(Call("code f()\n\tfor 1 = 1 to 2\n\tendfor\nendcode\n", "f()", true),
            "Bad argument type.");
  EXPECT_EQ(Call("code f()\n\tfor i 1 to 2\n\tendfor\nendcode\n", "f()", true),
            "Expected equal sign '='.");
  EXPECT_EQ(Call("code f()\n\tfor i = 1 2\n\tendfor\nendcode\n", "f()", true),
            "Expected 'to'.");
  EXPECT_EQ(Call("code f()\n\tfor i = 1 to \"x\"\n\tendfor\nendcode\n", "f()", true),
            "Bad argument type.");
  EXPECT_EQ(Call("code f()\n\tfor i = 1 to 2\nendcode\n", "f()", true),
            "Bad 'for' count balance.");
  EXPECT_EQ(Call("code f()\n\tendfor\nendcode\n", "f()", true), "Bad 'for' count balance.");
}

TEST_F(StatementTest, ForVariableIsLocalEvenWhenAGlobalHasItsName) {
  EXPECT_EQ(Eval("global i"), "OK");
  EXPECT_EQ(Eval("i = 100"), "OK");
  EXPECT_EQ(Call("code f()\n\tfor i = 1 to 3\n\tendfor\n\treturn i\nendcode\n", "f()"), "4");
  EXPECT_EQ(Global("i"), "100");
}

TEST_F(StatementTest, WhileLoopsUntilItsConditionFails) {
  CompiledScript script = Compile(
      "code count(n)\n"
      "\tlocal k\n"
      "\twhile k < n\n"
      "\t\tk = k + 1\n"
      "\tendwhile\n"
      "\treturn k\n"
      "endcode\n");
  EXPECT_EQ(Call(script, "count(7)"), "7");
  EXPECT_EQ(Call(script, "count(0)"), "0");
  EXPECT_EQ(in.whileDepth(), 0);
  EXPECT_EQ(Call("code f()\n\twhile true\nendcode\n", "f()", true), "Expected 'endwhile'.");
  EXPECT_EQ(Call("code f()\n\twhile false\nendcode\n", "f()", true), "Expected 'endwhile'.");
  EXPECT_EQ(Call("code f()\n\twhile 1\n\tendwhile\nendcode\n", "f()", true),
            "Bad argument type.");
}

TEST_F(StatementTest, NineteenActiveLoopsWorkAndTheTwentiethIsTooComplex) {
  // Each level of recursion holds one loop open.
  CompiledScript fors = Compile(
      "code deep(n)\n"
      "\tif n = 0\n\t\treturn 0\n\tendif\n"
      "\tfor i = 1 to 1\n"
      "\t\tlocal r\n"
      "\t\tr = deep(n - 1)\n"
      "\tendfor\n"
      "\treturn r + 1\n"
      "endcode\n");
  EXPECT_EQ(Call(fors, "deep(19)"), "19");
  EXPECT_EQ(Call(fors, "deep(20)"), "Expression too complex.");

  CompiledScript whiles = Compile(
      "code deep(n)\n"
      "\tlocal go, r\n"
      "\tgo = n > 0\n"
      "\twhile go\n"
      "\t\tgo = false\n"
      "\t\tr = deep(n - 1) + 1\n"
      "\tendwhile\n"
      "\treturn r\n"
      "endcode\n");
  EXPECT_EQ(Call(whiles, "deep(19)"), "19");
  EXPECT_EQ(Call(whiles, "deep(20)"), "Expression too complex.");
}

TEST_F(StatementTest, EscapeAbortsALoopWhenKeyabortsIsOn) {
  CompiledScript script = Compile(
      "code spin()\n\tfor i = 1 to 3 step 0\n\tendfor\nendcode\n");
  host.escapeAfter = 50;
  in.keyaborts = true;
  EXPECT_EQ(Call(script, "spin()", true), "Programmer keyboard abort.");
  EXPECT_GT(host.escapeChecks, 50);
}

TEST_F(StatementTest, AssignmentsAndDeclarations) {
  CompiledScript script = Compile(
      "code f()\n"
      "\tglobal g1, g2\n"
      "\tlocal a, b\n"
      "\ta = 2\n"
      "\tb = a * 3\n"
      "\tg2 = b + 1\n"
      "\tdumplocal a\n"
      "\treturn b\n"
      "endcode\n"
      "code missing()\n\ty = 1\nendcode\n"
      "code noequal()\n\tlocal y\n\ty 1\nendcode\n"
      "code dumped()\n\tlocal y\n\tdumplocal y\n\ty = 1\nendcode\n");
  EXPECT_EQ(Call(script, "f()"), "6");
  EXPECT_EQ(Global("g2"), "7");
  EXPECT_EQ(Call(script, "missing()", true), "No such variable.");
  EXPECT_EQ(Call(script, "noequal()", true), "Expected equal sign '='.");
  EXPECT_EQ(Call(script, "dumped()", true), "No such variable.");
  EXPECT_EQ(Call("code f()\n\tlocal 5\nendcode\n", "f()", true), "Bad argument type.");
  EXPECT_EQ(Call("code f()\n\tlocal abcdefghijklmnop\nendcode\n", "f()", true), "Bad name.");
}

TEST_F(StatementTest, OtherFirstTokensAreNotStatements) {
  EXPECT_EQ(Call("code f()\n\t5\nendcode\n", "f()", true), "Bad argument type.");
  EXPECT_EQ(Call("code f()\n\trandom(3)\nendcode\n", "f()", true), "Bad argument type.");
  EXPECT_EQ(Call("code f()\n\tlocal a\n", "f()", true), "Bad argument type.");  // no endcode
}

TEST_F(StatementTest, TextSlotsLeakUntilThePassEnds) {
  // Each type("a") leaves the slot of its unread argument taken.
  CompiledScript script = Compile(
      "code leak()\n"
      "\tglobal n\n"
      "\tfor i = 1 to 30\n"
      "\t\tlocal t\n"
      "\t\tt = type(\"a\")\n"
      "\t\tn = i\n"
      "\tendfor\n"
      "endcode\n");
  EXPECT_EQ(Call(script, "leak()", true), "String library exhausted.");
  EXPECT_EQ(Global("n"), "19");
  EXPECT_EQ(Call(script, "leak()", true), "String library exhausted.");  // a new pass starts empty
}

}  // namespace
}  // namespace lw::testing

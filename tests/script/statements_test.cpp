// Statements: blocks, loops and their limits, assignments and declarations.
#include <string>
#include <utility>

#include "script_fixture.h"

namespace lw::testing {
namespace {

class StatementTest : public ScriptTest {};

TEST_F(StatementTest, BlocksChooseTheirBranches) {
  CompiledScript script = Compile(
      "code sign(n)\nif n < 0\n\treturn -1\nelse\n\tif n = 0\n\t\treturn 0\n\tendif\nendif\n"
      "return 1\nendcode\n"
      "code pick(v)\nswitch v\ncase 1\ncase 2\n\treturn \"small\"\ncase 3\n\tswitch v\n"
      "\tcase 3\n\t\treturn \"three\"\n\tendswitch\nendswitch\nreturn \"other\"\nendcode\n"
      "code word(t)\nlocal r\nr = \"none\"\nswitch t\ncase \"RED\"\n\tr = \"red\"\n"
      "case \"green\"\n\tr = \"green\"\nendswitch\nreturn r\nendcode\n");
  const std::pair<const char*, const char*> cases[] = {
      {"sign(-5)", "-1"},
      {"sign(0)", "0"},
      {"sign(7)", "1"},
      {"pick(1)", "\"small\""},  // two case lines share one body
      {"pick(2)", "\"small\""},
      {"pick(3)", "\"three\""},
      {"pick(9)", "\"other\""},
      {"pick(true)", "Bad argument type."},
      {"word(\"red\")", "\"red\""},  // no fall-through into the next case
      {"word(\"Green\")", "\"green\""},
      {"word(\"blue\")", "\"none\""},
  };
  for (auto [call, outcome] : cases) EXPECT_EQ(Call(script, call), outcome) << call;
}

TEST_F(StatementTest, LoopsCountAndStop) {
  CompiledScript script = Compile(
      "code sum(a, b, s)\nlocal t\nfor i = a to b step s\n\tt = t + i\nendfor\nreturn t\n"
      "endcode\n"
      "code after(a, b)\nfor i = a to b\n\tfor j = 1 to 3\n\tendfor\nendfor\nreturn i\nendcode\n"
      "code count(n)\nlocal k\nwhile k < n\n\tk = k + 1\nendwhile\nreturn k\nendcode\n");
  const std::pair<const char*, const char*> cases[] = {
      {"sum(1, 10, 1)", "55"}, {"sum(10, 1, -3)", "22"},  // 10 + 7 + 4 + 1
      {"sum(1, 10, 4)", "15"},                            // 1 + 5 + 9
      {"after(5, 1)", "5"},                               // no iteration leaves the start value
      {"after(1, 3)", "4"},    {"count(7)", "7"},        {"count(0)", "0"},
  };
  for (auto [call, outcome] : cases) EXPECT_EQ(Call(script, call), outcome) << call;
  EXPECT_EQ(in.forDepth(), 0);
  EXPECT_EQ(in.whileDepth(), 0);
}

TEST_F(StatementTest, MalformedStatementsGiveTheirErrors) {
  const std::pair<const char*, const char*> cases[] = {
      {"if true\nlocal x", "Bad 'if' count balance."},
      {"if false\nlocal x", "Bad 'if' count balance."},
      {"if false\nelse local x\nendif", "Expected return '\\r'."},
      {"endif", "Bad 'if' count balance."},
      {"if 1\nendif", "Bad argument type."},
      {"switch 1\ncase \"a\"\ncase 1\nendswitch", "Bad argument type."},
      {"case 1", "Bad 'switch' count balance."},
      {"for 1 = 1 to 2\nendfor", "Bad argument type."},
      {"for i 1 to 2\nendfor", "Expected equal sign '='."},
      {"for i = 1 2\nendfor", "Expected 'to'."},
      {"for i = 1 to \"x\"\nendfor", "Bad argument type."},
      {"for i = 1 to 2", "Bad 'for' count balance."},
      {"endfor", "Bad 'for' count balance."},
      {"while true", "Expected 'endwhile'."},
      {"while false", "Expected 'endwhile'."},
      {"while 1\nendwhile", "Bad argument type."},
      {"y = 1", "No such variable."},
      {"local y\ny 1", "Expected equal sign '='."},
      {"local y\ndumplocal y\ny = 1", "No such variable."},
      {"local 5", "Bad argument type."},
      {"local abcdefghijklmnop", "Bad name."},
      {"5", "Bad argument type."},
      {"random(3)", "Bad argument type."},  // a function is no statement
  };
  for (auto [body, outcome] : cases) EXPECT_EQ(Body(body), outcome) << body;
  // A body that runs into the end of the script, and a skipped block that does.
  EXPECT_EQ(Call("code f()\nlocal a\n", "f()", true), "Bad argument type.");
  EXPECT_EQ(Call("code f()\nif false\n", "f()", true), "Expected return '\\r'.");
}

TEST_F(StatementTest, VariablesAndTheirScopes) {
  EXPECT_EQ(Eval("global i"), "OK");
  EXPECT_EQ(Eval("i = 100"), "OK");
  // A for variable is a local even when a global has its name.
  EXPECT_EQ(Body("for i = 1 to 3\nendfor\nglobal last\nlast = i"), "OK");
  EXPECT_EQ(Global("i"), "100");
  EXPECT_EQ(Global("last"), "4");
  EXPECT_EQ(Call("code f()\nglobal g1, g2\nlocal a, b\na = 2\nb = a * 3\ng2 = b + 1\n"
                 "dumplocal a\nreturn b\nendcode\n",
                 "f()"),
            "6");
  EXPECT_EQ(Global("g2"), "7");
}

TEST_F(StatementTest, NineteenActiveLoopsWorkAndTheTwentiethIsTooComplex) {
  // Each level of recursion holds one loop open.
  CompiledScript fors = Compile(
      "code deep(n)\nif n = 0\n\treturn 0\nendif\nfor i = 1 to 1\n\tlocal r\n"
      "\tr = deep(n - 1)\nendfor\nreturn r + 1\nendcode\n");
  EXPECT_EQ(Call(fors, "deep(19)"), "19");
  EXPECT_EQ(Call(fors, "deep(20)"), "Expression too complex.");
  CompiledScript whiles = Compile(
      "code deep(n)\nlocal go, r\ngo = n > 0\nwhile go\n\tgo = false\n"
      "\tr = deep(n - 1) + 1\nendwhile\nreturn r\nendcode\n");
  EXPECT_EQ(Call(whiles, "deep(19)"), "19");
  EXPECT_EQ(Call(whiles, "deep(20)"), "Expression too complex.");
}

TEST_F(StatementTest, EscapeAbortsALoopWhenKeyabortsIsOn) {
  host.escapeAfter = 0;  // Escape is held down
  EXPECT_EQ(Body("for i = 1 to 3\nendfor"), "OK");
  EXPECT_EQ(host.escapeChecks, 0);
  host.escapeAfter = 50;
  in.keyaborts = true;
  EXPECT_EQ(Body("for i = 1 to 3 step 0\nendfor"), "Programmer keyboard abort.");
  EXPECT_EQ(host.escapeChecks, 51);
}

TEST_F(StatementTest, TextSlotsLeakUntilThePassEnds) {
  // Each type("a") leaves the slot of its unread argument taken.
  CompiledScript script = Compile(
      "code leak()\nglobal n\nfor i = 1 to 30\n\tlocal t\n\tt = type(\"a\")\n\tn = i\nendfor\n"
      "endcode\n");
  EXPECT_EQ(Call(script, "leak()", true), "String library exhausted.");
  EXPECT_EQ(Global("n"), "19");
  EXPECT_EQ(Call(script, "leak()", true), "String library exhausted.");  // a new pass starts empty
}

}  // namespace
}  // namespace lw::testing

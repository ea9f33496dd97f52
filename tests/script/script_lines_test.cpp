// Script lines run as the programmer's console runs them, each checked against the outcome text the
// console shows: operators and their precedence, the expression stack, how a line is run by its
// first token, and the built-ins of the script layer.
#include <string>

#include "script_fixture.h"

namespace lw::testing {
namespace {

// Built-in entries find their codes while compiling, in the band of their kind only.
static_assert(BuiltinCode("variable", BuiltinKind::kPropertyWrite) == 16030);
static_assert(KeywordCodeInBand("random", tok::kFirstCommand, tok::kLastCommand) == kNotAKeyword);
static_assert(KeywordCodeInBand("Delay", tok::kFirstCommand, tok::kLastCommand) == kNotAKeyword);

using ScriptLineTest = ScriptTest;

TEST_F(ScriptLineTest, OperatorsApplyLevelByLevelAndLeftToRight) {
  ExpectLines({
      {"2 + 3 * 4", "14"},
      {"10 - 4 - 3", "3"},
      {"100 / 5 / 2 - 3 - 4", "3"},  // longer expressions take the general scan
      {"(2 + 3) * 4", "20"},
      {"7 / -2", "-3"},
      {"-(2 * 3)", "-6"},
      {"2147483647 + 1", "-2147483648"},  // arithmetic wraps at 32 bits
      {"65536 * 65536", "0"},
      {"(0 - 2147483647 - 1) / -1", "-2147483648"},  // the quotient that does not fit
      {"1 / 0", "Divide by zero."},
      {"1 < 2 & 2 < 3", "True"},
      {"1 < 2 and 3 < 2", "False"},
      {"1 > 2 or 2 > 1", "True"},
      {"1 = 1 = true", "True"},
      {"2 \xB3 2", "True"},          // >=
      {"3 \xB2 2", "False"},         // <=
      {"3 \xAD 2", "True"},          // not equal
      {"not true or true", "True"},  // not takes one operand
      {"\"abc\" = \"ABC\"", "True"},
      {"\"abc\" \xAD \"abd\"", "True"},
      {"1 = \"1\"", "False"},              // different types are unequal, not an error
      {"\"a\" @ \"b\" = \"ab\"", "True"},  // @ binds tighter than =
      {"stringlength(\"" + std::string(200, 'a') + "\" @ \"" + std::string(55, 'b') + "\")", "255"},
      {"\"" + std::string(200, 'a') + "\" @ \"" + std::string(56, 'b') + "\"",
       "String length too big."},
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

TEST_F(ScriptLineTest, TheExpressionStackHoldsThirtyNineEntries) {
  const auto ones = [](int count) {  // "1 + 1 + ... + 1" of `count` operands
    std::string sum = "1";
    for (int i = 1; i < count; ++i) sum += " + 1";
    return sum;
  };
  // A parenthesised part starts above the entries of the expression around it.
  ExpectLines({
      {ones(20), "20"},
      {ones(21), "Expression too complex."},
      {ones(18) + " + (1 + 1)", "20"},
      {ones(18) + " + (1 + 1 + 1)", "Expression too complex."},
      {ones(19) + " + (1)", "20"},
  });
  in.stackGauge().limitTo(64 * 1024);
  EXPECT_EQ(Eval(std::string(100000, '-') + "1"), "Too much recursion.");
}

TEST_F(ScriptLineTest, ConsoleLinesRunByTheirFirstToken) {
  ExpectLines({
      {"\"hi\" @ \"!\"", "\"hi!\""},
      {"undefinedname", "No such variable."},
      {"1 +\t2", "tokenization error"},
      {"countglobals", "Expected paren '(' or ')'."},
      {"countglobals(1)", "Expected paren '(' or ')'."},
      {"countglobals()", "0"},
      {"tick()", "Bad name."},             // a built-in of a layer that is not wired
      {"wipeleft", "Bad argument type."},  // effect names are no operands
      {"g = 1", "No such variable."},      // not a global yet: evaluated as an expression
      {"global alpha, g, gamma", "OK"},
      {"g = 4 * 5", "OK"},
      {"g = 20", "OK"},  // an assignment, not a comparison
      {"variable(\"G\")", "20"},
      {"variable(\"alpha\", \"a\")", "OK"},  // a property is read first, written when that fails
      {"alpha", "\"a\""},
      {"variable(\"nothere\")", "Expected comma ','."},  // the write's error is the one shown
      {"countglobals() junk", "3"},  // tokens after the statement are not checked
      {"indextoglobal(3)", "\"gamma\""},
      {"indextoglobal(4)", "No such object."},
      {"dumpglobal alpha", "OK"},
      {"alpha", "No such variable."},
      {"indextoglobal(1)", "\"gamma\""},  // the last global moved into the hole
      {"indextoglobal(2)", "\"g\""},
      {"boot()", "OK"},                     // an event name: no handler is no error
      {"myhandler()", "No such handler."},  // the line itself holds no handlers
  });
}

TEST_F(ScriptLineTest, TextBuiltinsCheckTheirArgumentsFirst) {
  ExpectLines({
      {"numtostring(0 - 2147483647 - 1)", "\"-2147483648\""},
      {"stringtonum(\"  -42abc\")", "-42"},
      {"stringlength(\"hello\")", "5"},
      {"substring(\"Hello\", \"LL\")", "3"},
      {"findword(\"red,green,blue\", \",\", 2)", "\"green\""},
      {"putword(\"red,green,blue\", \",\", 2, \"grey\")", "\"red,grey,blue\""},
      {"putword(\"" + std::string(240, 'x') + ",a\", \",\", 2, \"" + std::string(20, 'y') + "\")",
       "String length too big."},
      {"type(1 = 1)", "\"logic\""},
      {"type(3)", "\"number\""},
      {"numtostring(\"1\")", "Bad argument type."},
      {"stringtonum(1)", "Bad argument type."},
      {"findword(\"a\", \",\", \"1\")", "Bad argument type."},
      {"substring(\"a\" \"b\")", "Expected comma ','."},
  });
  // A type error frees no text slot, and type() leaves its text argument unread.
  in.beginPass();
  EXPECT_EQ(RunConsoleLine(in, "findword(\"a\", \"b\", true)"), "Bad argument type.");
  EXPECT_EQ(RunConsoleLine(in, "type(\"a\")"), "\"text\"");
  EXPECT_EQ(in.strings().slotsInUse(), 3);
}

TEST_F(ScriptLineTest, VariableByNamePrefersALocal) {
  EXPECT_EQ(Eval("global gamma"), "OK");
  EXPECT_EQ(Call("code f()\nreturn variable(\"delta\")\nendcode\n", "f()"), "No such variable.");
  EXPECT_EQ(Call("code f()\nlocal gamma\nvariable(\"gamma\", 5)\nreturn "
                 "gamma\nendcode\n",
                 "f()"),
            "5");
  EXPECT_EQ(Eval("gamma"), "0");
  EXPECT_EQ(Body("sendtoactor(\"a\", go())"), "Bad name.");
}

TEST_F(ScriptLineTest, SendToBootReachesTheSystemScript) {
  EXPECT_EQ(Eval("sendtoboot(idle())"),
            "OK");  // without a system script nothing is found
  EXPECT_EQ(Eval("sendtobootfx(f())"), "No such handler.");
  CompiledScript system = Compile(
      "code double(n)\nreturn n * 2\nendcode\ncode remember(v)\nglobal "
      "kept\nkept = v\nendcode\n"
      "code whoami()\nreturn me @ \"/\" @ target\nendcode\n");
  host.systemScript = &system;
  EXPECT_EQ(Call("code f(x)\nsendtoboot(remember(x + 1))\nreturn "
                 "sendtobootfx(double(x)) + 1\n"
                 "endcode\n",
                 "f(20)"),
            "41");
  ExpectLines({
      {"kept", "21"},
      {"sendtobootfx(whoami())", "\"System/System\""},
      {"sendtobootfx(nothere())", "No such handler."},
      {"sendtobootfx(5)", "Bad argument type."},
  });
  EXPECT_EQ(host.systemAcquired, host.systemReleased);
  EXPECT_GE(host.systemAcquired, 5);
  // bootscript() empties the result text.
  in.resultText.assign("left over");
  EXPECT_EQ(Eval("bootscript()"), "OK");
  EXPECT_TRUE(in.resultText.empty());
}

}  // namespace
}  // namespace lw::testing

// The built-in dispatch and the built-ins of the script layer.
#include <string>

#include "script_fixture.h"

namespace lw::testing {
namespace {

// Built-in entries find their codes while compiling, in the band of their kind only.
static_assert(BuiltinCode("delay", BuiltinKind::kCommand) == 12004);
static_assert(BuiltinCode("variable", BuiltinKind::kPropertyWrite) == 16030);
static_assert(KeywordCodeInBand("random", tok::kFirstCommand, tok::kLastCommand) == kNotAKeyword);
static_assert(KeywordCodeInBand("Delay", tok::kFirstCommand, tok::kLastCommand) == kNotAKeyword);

class BuiltinTest : public ScriptTest {};

TEST_F(BuiltinTest, DispatchAndTextFunctions) {
  ExpectLines({
      {"countglobals", "Expected paren '(' or ')'."},
      {"countglobals(1)", "Expected paren '(' or ')'."},
      {"countglobals()", "0"},
      {"tick()", "Bad name."},             // a built-in of a layer that is not wired
      {"wipeleft", "Bad argument type."},  // effect names are no operands
      {"numtostring(0 - 2147483647 - 1)", "\"-2147483648\""},
      {"stringtonum(\"  -42abc\")", "-42"},
      {"stringlength(\"hello\")", "5"},
      {"substring(\"Hello\", \"LL\")", "3"},
      {"numtostring(\"1\")", "Bad argument type."},
      {"stringtonum(1)", "Bad argument type."},
      {"substring(\"a\" \"b\")", "Expected comma ','."},
      {"findword(\"red,green,blue\", \",\", 2)", "\"green\""},
      {"findword(\"abc\", \"\", 2)", "\"b\""},
      {"findword(\"a\", \",\", \"1\")", "Bad argument type."},
      {"putword(\"red,green,blue\", \",\", 2, \"grey\")", "\"red,grey,blue\""},
      {"putword(\"ab\", \"\", 3, \"c\")", "\"abc\""},
      {"putword(\"" + std::string(240, 'x') + ",a\", \",\", 2, \"" + std::string(20, 'y') + "\")",
       "String length too big."},
      {"type(1 = 1)", "\"logic\""},
      {"type(3)", "\"number\""},
  });
  EXPECT_EQ(Body("sendtoactor(\"a\", go())"), "Bad name.");
}

TEST_F(BuiltinTest, TypeLeavesItsTextArgumentUnread) {
  in.beginPass();
  EXPECT_EQ(RunConsoleLine(in, "type(\"a\")"), "\"text\"");
  EXPECT_EQ(in.strings().slotsInUse(), 1);
}

TEST_F(BuiltinTest, VariablesByNameAndGlobalsByIndex) {
  ExpectLines({
      {"global alpha, beta, gamma", "OK"},
      {"variable(\"beta\", \"b\")", "OK"},
      {"variable(\"BETA\")", "\"b\""},
      {"countglobals()", "3"},
      {"indextoglobal(1)", "\"alpha\""},
      {"indextoglobal(4)", "No such object."},
      {"dumpglobal alpha", "OK"},
      {"indextoglobal(1)", "\"gamma\""},  // the last global moved into the hole
  });
  EXPECT_EQ(Call("code f()\nreturn variable(\"delta\")\nendcode\n", "f()"), "No such variable.");
  // A local of the same name is preferred.
  EXPECT_EQ(Call("code f()\nlocal gamma\nvariable(\"gamma\", 5)\nreturn gamma\nendcode\n", "f()"),
            "5");
  EXPECT_EQ(Global("gamma"), "0");
}

TEST_F(BuiltinTest, SendToBootReachesTheSystemScript) {
  EXPECT_EQ(Eval("sendtoboot(idle())"), "OK");  // without a system script nothing is found
  EXPECT_EQ(Eval("sendtobootfx(f())"), "No such handler.");
  CompiledScript system = Compile(
      "code double(n)\nreturn n * 2\nendcode\ncode remember(v)\nglobal kept\nkept = v\nendcode\n"
      "code whoami()\nreturn me @ \"/\" @ target\nendcode\n");
  host.systemScript = &system;
  EXPECT_EQ(Call("code f(x)\nsendtoboot(remember(x + 1))\nreturn sendtobootfx(double(x)) + 1\n"
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
}

TEST_F(BuiltinTest, BootscriptEmptiesTheResultText) {
  in.resultText.assign("left over");
  EXPECT_EQ(Eval("bootscript()"), "OK");
  EXPECT_TRUE(in.resultText.empty());
}

}  // namespace
}  // namespace lw::testing

// The built-in dispatch and the built-ins of the script layer.
#include <string>

#include "script_fixture.h"

namespace lw::testing {
namespace {

class BuiltinTest : public ScriptTest {};

TEST_F(BuiltinTest, DispatchChecksNamesAndParentheses) {
  EXPECT_EQ(Eval("countglobals"), "Expected paren '(' or ')'.");
  EXPECT_EQ(Eval("countglobals(1)"), "Expected paren '(' or ')'.");
  EXPECT_EQ(Eval("countglobals()"), "0");
  // A keyword that names a built-in of a layer that is not wired answers "Bad name.".
  EXPECT_EQ(Eval("tick()"), "Bad name.");
  EXPECT_EQ(Call("code f()\n\tsendtoactor(\"a\", go())\nendcode\n", "f()", true), "Bad name.");
  EXPECT_EQ(Eval("wipeleft"), "Bad argument type.");  // effect names are no operands
}

TEST_F(BuiltinTest, TextConversions) {
  EXPECT_EQ(Eval("numtostring(0 - 2147483647 - 1)"), "\"-2147483648\"");
  EXPECT_EQ(Eval("stringtonum(\"  -42abc\")"), "-42");
  EXPECT_EQ(Eval("stringtonum(\"abc\")"), "0");
  EXPECT_EQ(Eval("stringlength(\"hello\")"), "5");
  EXPECT_EQ(Eval("substring(\"Hello\", \"LL\")"), "3");
  EXPECT_EQ(Eval("substring(\"Hello\", \"\")"), "-1");
  EXPECT_EQ(Eval("numtostring(\"1\")"), "Bad argument type.");
  EXPECT_EQ(Eval("stringtonum(1)"), "Bad argument type.");
  EXPECT_EQ(Eval("substring(\"a\" \"b\")"), "Expected comma ','.");
}

TEST_F(BuiltinTest, Words) {
  EXPECT_EQ(Eval("findword(\"red,green,blue\", \",\", 2)"), "\"green\"");
  EXPECT_EQ(Eval("findword(\"red,green,blue\", \",\", 0)"), "\"red\"");
  EXPECT_EQ(Eval("findword(\"abc\", \"\", 2)"), "\"b\"");
  EXPECT_EQ(Eval("putword(\"red,green,blue\", \",\", 2, \"grey\")"), "\"red,grey,blue\"");
  EXPECT_EQ(Eval("putword(\"ab\", \"\", 3, \"c\")"), "\"abc\"");
  EXPECT_EQ(Eval("findword(\"a\", \",\", \"1\")"), "Bad argument type.");
  std::string text = std::string(240, 'x') + ",a";
  EXPECT_EQ(Eval("putword(\"" + text + "\", \",\", 2, \"" + std::string(20, 'y') + "\")"),
            "String length too big.");
}

TEST_F(BuiltinTest, TypeLeavesItsTextArgumentUnread) {
  EXPECT_EQ(Eval("type(1 = 1)"), "\"logic\"");
  EXPECT_EQ(Eval("type(3)"), "\"number\"");
  in.beginPass();
  EXPECT_EQ(RunConsoleLine(in, "type(\"a\")"), "\"text\"");
  EXPECT_EQ(in.strings().slotsInUse(), 1);  // the argument's slot stays taken
}

TEST_F(BuiltinTest, VariablesByNameAndGlobalsByIndex) {
  EXPECT_EQ(Eval("global alpha, beta, gamma"), "OK");
  EXPECT_EQ(Eval("variable(\"beta\", \"b\")"), "OK");
  EXPECT_EQ(Eval("variable(\"BETA\")"), "\"b\"");
  EXPECT_EQ(Call("code f()\n\treturn variable(\"delta\")\nendcode\n", "f()"),
            "No such variable.");
  EXPECT_EQ(Eval("countglobals()"), "3");
  EXPECT_EQ(Eval("indextoglobal(1)"), "\"alpha\"");
  EXPECT_EQ(Eval("indextoglobal(4)"), "No such object.");
  EXPECT_EQ(Eval("dumpglobal alpha"), "OK");
  EXPECT_EQ(Eval("indextoglobal(1)"), "\"gamma\"");  // the last global moved into the hole
  // A local of the same name is preferred.
  EXPECT_EQ(Call("code f()\n\tlocal gamma\n\tvariable(\"gamma\", 5)\n\treturn gamma\nendcode\n",
                 "f()"),
            "5");
  EXPECT_EQ(Global("gamma"), "0");
}

TEST_F(BuiltinTest, SendToBootReachesTheSystemScript) {
  CompiledScript system = Compile(
      "code double(n)\n\treturn n * 2\nendcode\n"
      "code remember(v)\n\tglobal kept\n\tkept = v\nendcode\n"
      "code whoami()\n\treturn me @ \"/\" @ target\nendcode\n");
  host.systemScript = &system;
  CompiledScript caller = Compile(
      "code f(x)\n"
      "\tsendtoboot(remember(x + 1))\n"
      "\treturn sendtobootfx(double(x)) + 1\n"
      "endcode\n");
  EXPECT_EQ(Call(caller, "f(20)"), "41");
  EXPECT_EQ(Global("kept"), "21");
  EXPECT_EQ(Eval("sendtobootfx(whoami())"), "\"System/System\"");
  EXPECT_EQ(Eval("sendtobootfx(nothere())"), "No such handler.");
  EXPECT_EQ(Eval("sendtobootfx(5)"), "Bad argument type.");
  EXPECT_EQ(host.systemAcquired, host.systemReleased);
  EXPECT_GE(host.systemAcquired, 4);
}

TEST_F(BuiltinTest, SendToBootWithoutASystemScriptFindsNoHandler) {
  EXPECT_EQ(Eval("sendtoboot(idle())"), "OK");
  EXPECT_EQ(Eval("sendtobootfx(f())"), "No such handler.");
}

TEST_F(BuiltinTest, BootscriptEmptiesTheResultText) {
  in.resultText.assign("left over");
  EXPECT_EQ(Eval("bootscript()"), "OK");
  EXPECT_TRUE(in.resultText.empty());
}

}  // namespace
}  // namespace lw::testing

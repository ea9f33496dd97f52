// The handler runner: calls, binding, chains, error recording and recursion.
#include <string>

#include "script_fixture.h"

namespace lw::testing {
namespace {

class HandlerTest : public ScriptTest {};

TEST_F(HandlerTest, RecursiveFunctionsAndArgumentsBindLeftToRight) {
  CompiledScript script = Compile(
      "code fib(n)\n"
      "\tif n < 2\n\t\treturn n\n\tendif\n"
      "\treturn fib(n - 1) + fib(n - 2)\n"
      "endcode\n"
      "code sub(a, b)\n\treturn a - b\nendcode\n"
      "code greet(name)\n\treturn \"Hello, \" @ name\nendcode\n");
  EXPECT_EQ(Call(script, "fib(20)"), "6765");
  EXPECT_EQ(Call(script, "SUB(10, 3)"), "7");  // handler names fold case
  EXPECT_EQ(Call(script, "greet(\"you\")"), "\"Hello, you\"");
  EXPECT_EQ(in.expressionDepth(), 0);
}

TEST_F(HandlerTest, ReturnRulesForFunctionsAndCommands) {
  CompiledScript script = Compile(
      "code falls()\nendcode\n"
      "code gives()\n\treturn 1\nendcode\n"
      "code leaves()\n\texitcode\nendcode\n"
      "code passes()\n\tpasscode\nendcode\n");
  EXPECT_EQ(Call(script, "falls()"), "Functions must return a value.");
  EXPECT_EQ(Call(script, "leaves()"), "Functions must return a value.");
  EXPECT_EQ(Call(script, "passes()"), "Functions must return a value.");
  EXPECT_EQ(Call(script, "gives()", true), "Commands can't return a value.");
  EXPECT_EQ(Call(script, "falls()", true), "OK");
  EXPECT_EQ(Call(script, "leaves()", true), "OK");
}

TEST_F(HandlerTest, ArgumentCountsMustMatchTheHeader) {
  CompiledScript script = Compile("code two(a, b)\n\treturn a + b\nendcode\n");
  EXPECT_EQ(Call(script, "two(1, 2)"), "3");
  EXPECT_EQ(Call(script, "two(1, 2, 3)"), "Expected paren '(' or ')'.");
  EXPECT_EQ(Call(script, "two(1)"), "Expected comma ','.");
  EXPECT_EQ(Call(script, "two(1 2)"), "Expected comma ','.");
  EXPECT_EQ(Call(script, "two(1, 2"), "Expected paren '(' or ')'.");
}

TEST_F(HandlerTest, UndefinedHandlersAreErrorsExceptEventNames) {
  CompiledScript script = Compile("code other()\nendcode\n");
  EXPECT_EQ(Call(script, "idle()", true), "OK");
  EXPECT_EQ(Call(script, "KeyDown(\"a\")", true), "OK");
  EXPECT_EQ(Call(script, "nothere()", true), "No such handler.");
  ASSERT_TRUE(in.errorPending());
  EXPECT_EQ(in.errorContext().errorCode, ScriptError::NoSuchHandler);
  EXPECT_EQ(in.errorContext().script, caller_.script);  // recorded on the caller
  EXPECT_EQ(in.errorContext().statementPos, 0);
}

TEST_F(HandlerTest, ChainsTryEachFrameAndPasscodeMovesOn) {
  CompiledScript actor = Compile(
      "code hello()\n\treturn me @ \" says hello\"\nendcode\n"
      "code relay()\n\tpasscode\nendcode\n");
  CompiledScript cast = Compile(
      "code bye()\n\treturn me @ \" says bye\"\nendcode\n"
      "code relay()\n\tglobal relayed\n\trelayed = target\nendcode\n");
  ScriptFrame chain[2];
  chain[0].last = false;
  chain[0].script = &actor;
  chain[0].me = Name15::truncated("Bob");
  chain[0].target = Name15::truncated("Bob");
  chain[1].script = &cast;
  chain[1].me = Name15::truncated("Crew");
  chain[1].target = Name15::truncated("Bob");

  CompiledScript hello = Compile("hello()");
  CompiledScript bye = Compile("bye()");
  CompiledScript relay = Compile("relay()");
  EXPECT_EQ(RunCall(chain, hello, false), "\"Bob says hello\"");
  EXPECT_EQ(RunCall(chain, bye, false), "\"Crew says bye\"");
  EXPECT_EQ(RunCall(chain, relay, true), "OK");
  EXPECT_EQ(Global("relayed"), "\"Bob\"");
}

TEST_F(HandlerTest, TheFirstFailureOfAPassIsKeptInTheErrorContext) {
  CompiledScript script = Compile(
      "code outer()\n"
      "\tinner()\n"
      "endcode\n"
      "code inner()\n"
      "\tlocal x\n"
      "\tx = 1 / 0\n"
      "endcode\n");
  ScriptFrame frames[1];
  frames[0].script = &script;
  frames[0].title = Title17::truncated("Actor Script: ");
  CompiledScript call = Compile("outer()");
  EXPECT_EQ(RunCall(frames, call, true), "Divide by zero.");
  ASSERT_TRUE(in.errorPending());
  EXPECT_EQ(in.errorContext().errorCode, ScriptError::DivideByZero);
  EXPECT_EQ(in.errorContext().title.view(), "Actor Script: ");
  // The statement position names the failing assignment.
  EXPECT_EQ(script.tokens()[in.errorContext().statementPos].code, tok::kName);
  EXPECT_EQ(script.textOf(in.errorContext().statementPos), "x");

  // A later failure in the same pass does not replace it.
  Value result;
  int length = 0;
  CompiledScript missing = Compile("nothere()");
  caller_.script = &missing;
  EXPECT_EQ(in.runHandlerOnChain(frames, caller_, 0, nullptr, nullptr, length),
            ScriptError::NoSuchHandler);
  EXPECT_EQ(in.errorContext().errorCode, ScriptError::DivideByZero);
  in.beginPass();
  EXPECT_FALSE(in.errorPending());
}

TEST_F(HandlerTest, RunawayRecursionEndsWithTooMuchRecursion) {
  CompiledScript script = Compile(
      "code down(n)\n\treturn down(n + 1)\nendcode\n"
      "code nest(n)\n\tnest(n + 1)\nendcode\n");
  EXPECT_EQ(Call(script, "down(0)"), "Too much recursion.");
  EXPECT_EQ(Call(script, "nest(0)", true), "Too much recursion.");
}

TEST_F(HandlerTest, LocalsBelongToOneRun) {
  CompiledScript script = Compile(
      "code outer()\n"
      "\tlocal v\n"
      "\tv = 1\n"
      "\tinner()\n"
      "\treturn v\n"
      "endcode\n"
      "code inner()\n"
      "\tlocal v\n"
      "\tv = 99\n"
      "endcode\n"
      "code peek()\n\treturn v\nendcode\n");
  EXPECT_EQ(Call(script, "outer()"), "1");
  EXPECT_EQ(Call(script, "peek()"), "No such variable.");
}

TEST_F(HandlerTest, AHandlerFoundLaterInTheScriptIsReachedAgain) {
  CompiledScript script = Compile(
      "code a()\n\treturn 1\nendcode\n"
      "code b()\n\treturn 2\nendcode\n"
      "code c()\n\treturn a() + b() * 10\nendcode\n");
  EXPECT_EQ(Call(script, "c()"), "21");
  EXPECT_EQ(Call(script, "c()"), "21");  // with the next-handler distances cached
}

}  // namespace
}  // namespace lw::testing

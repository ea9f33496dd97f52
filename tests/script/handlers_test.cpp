// The handler runner: calls, binding, chains, error recording and recursion.
#include <string>
#include <utility>

#include "script_fixture.h"

namespace lw::testing {
namespace {

class HandlerTest : public ScriptTest {};

TEST_F(HandlerTest, CallsBindArgumentsAndFollowTheReturnRules) {
  CompiledScript script = Compile(
      "code fib(n)\nif n < 2\n\treturn n\nendif\nreturn fib(n - 1) + fib(n - 2)\nendcode\n"
      "code sub(a, b)\nreturn a - b\nendcode\n"
      "code greet(name)\nreturn \"Hello, \" @ name\nendcode\n"
      "code falls()\nendcode\ncode gives()\nreturn 1\nendcode\n"
      "code leaves()\nexitcode\nendcode\ncode passes()\npasscode\nendcode\n"
      "code outer()\nlocal v\nv = 1\ninner()\nreturn v\nendcode\n"
      "code inner()\nlocal v\nv = 99\nendcode\ncode peek()\nreturn v\nendcode\n");
  const std::pair<const char*, const char*> functionCalls[] = {
      {"fib(20)", "6765"},
      {"SUB(10, 3)", "7"},  // handler names fold case
      {"greet(\"you\")", "\"Hello, you\""},
      {"sub(1, 2, 3)", "Expected paren '(' or ')'."},
      {"sub(1)", "Expected comma ','."},
      {"sub(1 2)", "Expected comma ','."},
      {"sub(1, 2", "Expected paren '(' or ')'."},
      {"falls()", "Functions must return a value."},
      {"leaves()", "Functions must return a value."},
      {"passes()", "Functions must return a value."},
      {"outer()", "1"},  // locals belong to one run
      {"peek()", "No such variable."},
  };
  for (auto [call, outcome] : functionCalls) EXPECT_EQ(Call(script, call), outcome) << call;
  EXPECT_EQ(Call(script, "gives()", true), "Commands can't return a value.");
  EXPECT_EQ(Call(script, "falls()", true), "OK");
  EXPECT_EQ(Call(script, "leaves()", true), "OK");
  EXPECT_EQ(in.expressionDepth(), 0);
}

TEST_F(HandlerTest, UndefinedHandlersAreErrorsExceptEventNames) {
  CompiledScript script = Compile("code other()\nendcode\n");
  EXPECT_EQ(Call(script, "idle()", true), "OK");
  EXPECT_EQ(Call(script, "KeyDown(\"a\")", true), "OK");
  EXPECT_EQ(Call(script, "nothere()", true), "No such handler.");
  ASSERT_TRUE(in.errorPending());
  EXPECT_EQ(in.errorContext().errorCode, ScriptError::NoSuchHandler);
  EXPECT_EQ(in.errorContext().script, caller_.script);  // recorded on the caller
}

TEST_F(HandlerTest, ChainsTryEachFrameAndPasscodeMovesOn) {
  CompiledScript actor = Compile(
      "code hello()\nreturn me @ \" says hello\"\nendcode\ncode relay()\npasscode\nendcode\n");
  CompiledScript cast = Compile(
      "code bye()\nreturn me @ \" says bye\"\nendcode\n"
      "code relay()\nglobal relayed\nrelayed = target\nendcode\n");
  ScriptFrame chain[2];
  chain[0].last = false;
  chain[0].script = &actor;
  chain[0].me = chain[0].target = chain[1].target = Name15::truncated("Bob");
  chain[1].script = &cast;
  chain[1].me = Name15::truncated("Crew");
  CompiledScript hello = Compile("hello()"), bye = Compile("bye()"), relay = Compile("relay()");
  EXPECT_EQ(RunCall(chain, hello, false), "\"Bob says hello\"");
  EXPECT_EQ(RunCall(chain, bye, false), "\"Crew says bye\"");
  EXPECT_EQ(RunCall(chain, relay, true), "OK");
  EXPECT_EQ(Global("relayed"), "\"Bob\"");
}

TEST_F(HandlerTest, TheFirstFailureOfAPassIsKeptInTheErrorContext) {
  CompiledScript script =
      Compile("code outer()\ninner()\nendcode\ncode inner()\nlocal x\nx = 1 / 0\nendcode\n");
  ScriptFrame frames[1];
  frames[0].script = &script;
  frames[0].title = Title17::truncated("Actor Script: ");
  CompiledScript call = Compile("outer()");
  EXPECT_EQ(RunCall(frames, call, true), "Divide by zero.");
  ASSERT_TRUE(in.errorPending());
  EXPECT_EQ(in.errorContext().errorCode, ScriptError::DivideByZero);
  EXPECT_EQ(in.errorContext().title.view(), "Actor Script: ");
  // The statement position names the failing assignment.
  EXPECT_EQ(script.textOf(in.errorContext().statementPos), "x");

  // A later failure in the same pass does not replace it; a new pass clears it.
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
  CompiledScript script =
      Compile("code down(n)\nreturn down(n + 1)\nendcode\ncode nest(n)\nnest(n + 1)\nendcode\n");
  EXPECT_EQ(Call(script, "down(0)"), "Too much recursion.");
  EXPECT_EQ(Call(script, "nest(0)", true), "Too much recursion.");
}

TEST_F(HandlerTest, CachedSearchesGiveTheSameResultsAgain) {
  CompiledScript script = Compile(
      "code a()\nreturn 1\nendcode\ncode b()\nreturn 2\nendcode\n"
      "code c(k)\nif k > 0\n\treturn a() + b() * 10\nelse\n\treturn 0\nendif\nendcode\n");
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(Call(script, "c(1)"), "21");
    EXPECT_EQ(Call(script, "c(0)"), "0");
  }
}

}  // namespace
}  // namespace lw::testing

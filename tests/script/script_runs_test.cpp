// Handlers and statements run: calls and their binding, chains, error recording, recursion, blocks,
// loops and their limits, assignments and declarations.
#include <string>
#include <vector>

#include "script_fixture.h"

namespace lw::testing {
namespace {

using ScriptRunTest = ScriptTest;

TEST_F(ScriptRunTest, CallsBindArgumentsAndFollowTheReturnRules) {
  CompiledScript script = Compile(
      "code fib(n)\nif n < 2\n\treturn n\nendif\nreturn fib(n - 1) + fib(n - 2)\nendcode\n"
      "code sub(a, b)\nreturn a - b\nendcode\n"
      "code falls()\nendcode\ncode gives()\nreturn 1\nendcode\n"
      "code leaves()\nexitcode\nendcode\ncode passes()\npasscode\nendcode\n"
      "code outer()\nlocal v\nv = 1\ninner()\nreturn v\nendcode\n"
      "code inner()\nlocal v\nv = 99\nendcode\ncode peek()\nreturn v\nendcode\n"
      "code down(n)\nreturn down(n + 1)\nendcode\ncode nest(n)\nnest(n + 1)\nendcode\n"
      "code touch()\nglobal touched\ntouched = touched + 1\nreturn true\nendcode\n"
      "code both()\nreturn false & touch() | touch()\nendcode\n");
  // Handler names fold case; locals belong to one run; every operand of & and | is evaluated.
  ExpectCalls(script,
              {
                  {"fib(20); SUB(10, 3)", "6765; 7"},
                  {"sub(1, 2, 3); sub(1)", "Expected paren '(' or ')'.; Expected comma ','."},
                  {"falls(); leaves(); passes()",
                   "Functions must return a value.; Functions must return a value.; "
                   "Functions must return a value."},
                  {"outer(); peek()", "1; No such variable."},
                  {"down(0); both()", "Too much recursion.; True"},
              });
  EXPECT_EQ(Eval("touched"), "2");
  // Event names need no handler.
  ExpectCalls(
      script,
      {
          {"gives(); falls(); leaves()", "Commands can't return a value.; OK; OK"},
          {"nest(0); KeyDown(\"a\"); nothere()", "Too much recursion.; OK; No such handler."},
      },
      true);
  EXPECT_EQ(in.expressionDepth(), 0);
  EXPECT_EQ(in.errorContext().errorCode, ScriptError::NoSuchHandler);
  EXPECT_EQ(in.errorContext().script, caller_.script);  // recorded on the caller
}

TEST_F(ScriptRunTest, ChainsTryEachFrameAndPasscodeMovesOn) {
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
  EXPECT_EQ(RunCall(chain, "hello()", false), "\"Bob says hello\"");
  EXPECT_EQ(RunCall(chain, "bye()", false), "\"Crew says bye\"");
  EXPECT_EQ(RunCall(chain, "relay()", true), "OK");
  EXPECT_EQ(Eval("relayed"), "\"Bob\"");
}

TEST_F(ScriptRunTest, TheFirstFailureOfAPassIsKeptInTheErrorContext) {
  CompiledScript script =
      Compile("code outer()\ninner()\nendcode\ncode inner()\nlocal x\nx = 1 / 0\nendcode\n");
  ScriptFrame frames[1];
  frames[0].script = &script;
  frames[0].title = Title17::truncated("Actor Script: ");
  EXPECT_EQ(RunCall(frames, "outer()", true), "Divide by zero.");
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

// The error listener hears each latched failure once, with the handler that holds the failing
// statement (or, without one, the call's own name), the trimmed title and the statement's line.
TEST_F(ScriptRunTest, TheErrorListenerHearsTheFirstFailureWithItsPlace) {
  std::vector<std::string> heard;
  in.setErrorListener([&heard](const ScriptErrorReport& r) {
    heard.push_back(r.handler + "|" + r.scriptTitle + "|" + std::to_string(r.statementPos) + "|" +
                    std::to_string(r.sourceLine.value_or(-1)) + "|" +
                    std::string(ScriptErrorMessage(CodeOf(r.code))));
  });
  // Tokens: x = 1 / 0 begins at 19, nothere at 32.
  CompiledScript script = Compile(
      "code outer()\ninner()\nendcode\ncode inner()\nlocal x\nx = 1 / 0\nendcode\n"
      "code lost()\nnothere()\nendcode\n");
  ScriptFrame frames[1];
  frames[0].script = &script;
  frames[0].title = Title17::truncated("Actor Script: ");
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"outer()", "inner|Actor Script|19|190|Divide by zero."},
      {"lost()", "lost|Actor Script|32|320|No such handler."},
      {"nosuch()", "nosuch||0|0|No such handler."},
  };
  for (const auto& [call, report] : cases) {
    heard.clear();
    RunCall(frames, call, true);
    EXPECT_EQ(heard, std::vector<std::string>{std::string(report)}) << call;
  }
}

TEST_F(ScriptRunTest, BlocksChooseTheirBranchesAndLoopsCount) {
  CompiledScript script = Compile(
      "code sign(n)\nif n < 0\n\treturn -1\nelse\n\tif n = 0\n\t\treturn 0\n\tendif\nendif\n"
      "return 1\nendcode\n"
      "code pick(v)\nswitch v\ncase 1\ncase 2\n\treturn \"small\"\ncase 3\n\tswitch v\n"
      "\tcase 3\n\t\treturn \"three\"\n\tendswitch\nendswitch\nreturn \"other\"\nendcode\n"
      "code word(t)\nlocal r\nr = \"none\"\nswitch t\ncase \"RED\"\n\tr = \"red\"\n"
      "case \"green\"\n\tr = \"green\"\nendswitch\nreturn r\nendcode\n"
      "code sum(a, b, s)\nlocal t\nfor i = a to b step s\n\tt = t + i\nendfor\nreturn t\nendcode\n"
      "code after(a, b)\nfor i = a to b\n\tfor j = 1 to 3\n\tendfor\nendfor\nreturn i\nendcode\n"
      "code count(n)\nlocal k\nwhile k < n\n\tk = k + 1\nendwhile\nreturn k\nendcode\n");
  // Two case lines share one body, and no case falls through into the next. A for loop with no
  // iteration leaves the start value in its variable.
  ExpectCalls(script, {
                          {"sign(-5); sign(0); sign(7)", "-1; 0; 1"},
                          {"pick(1); pick(3); pick(9)", "\"small\"; \"three\"; \"other\""},
                          {"pick(true)", "Bad argument type."},
                          {"word(\"red\"); word(\"Green\")", "\"red\"; \"green\""},
                          {"sum(10, 1, -3); sum(1, 10, 4)", "22; 15"},  // 10 + 7 + 4 + 1, 1 + 5 + 9
                          {"after(5, 1); after(1, 3)", "5; 4"},
                          {"count(7); count(0)", "7; 0"},
                      });
  EXPECT_EQ(in.forDepth(), 0);
  EXPECT_EQ(in.whileDepth(), 0);
}

TEST_F(ScriptRunTest, MalformedStatementsGiveTheirErrors) {
  // Each error with the bodies that give it.
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"Bad 'if' count balance.", {"if true\nlocal x", "if false\nlocal x", "endif"}},
      {"Expected return '\\r'.", {"if false\nelse local x\nendif"}},
      {"Bad 'switch' count balance.", {"case 1"}},
      {"Bad 'for' count balance.", {"for i = 1 to 2", "endfor"}},
      {"Expected equal sign '='.", {"for i 1 to 2\nendfor", "local y\ny 1"}},
      {"Expected 'to'.", {"for i = 1 2\nendfor"}},
      {"Expected 'endwhile'.", {"while true", "while false"}},
      // A function such as random() is no statement.
      {"Bad argument type.",
       {"if 1\nendif", "switch 1\ncase \"a\"\ncase 1\nendswitch", "for 1 = 1 to 2\nendfor",
        "for i = 1 to \"x\"\nendfor", "while 1\nendwhile", "local 5", "random(3)"}},
      {"No such variable.", {"y = 1", "local y\ndumplocal y\ny = 1"}},
      {"Bad name.", {"local abcdefghijklmnop"}},
  };
  for (const auto& [outcome, bodies] : cases) {
    for (const std::string& body : bodies) EXPECT_EQ(Body(body), outcome) << body;
  }
  // A body that runs into the end of the script, and a skipped block that does.
  EXPECT_EQ(Call("code f()\nlocal a\n", "f()", true), "Bad argument type.");
  EXPECT_EQ(Call("code f()\nif false\n", "f()", true), "Expected return '\\r'.");
}

TEST_F(ScriptRunTest, AForVariableIsALocalEvenWhenAGlobalHasItsName) {
  ExpectLines({{"global i", "OK"}, {"i = 100", "OK"}});
  EXPECT_EQ(Body("for i = 1 to 3\nendfor\nglobal last\nlast = i"), "OK");
  ExpectLines({{"i", "100"}, {"last", "4"}});
}

TEST_F(ScriptRunTest, NineteenActiveLoopsWorkAndTheTwentiethIsTooComplex) {
  // Each level of recursion holds one loop open.
  CompiledScript fors = Compile(
      "code deep(n)\nif n = 0\n\treturn 0\nendif\nfor i = 1 to 1\n\tlocal r\n"
      "\tr = deep(n - 1)\nendfor\nreturn r + 1\nendcode\n");
  ExpectCalls(fors, {{"deep(19)", "19"}, {"deep(20)", "Expression too complex."}});
  CompiledScript whiles = Compile(
      "code deep(n)\nlocal go, r\ngo = n > 0\nwhile go\n\tgo = false\n"
      "\tr = deep(n - 1) + 1\nendwhile\nreturn r\nendcode\n");
  ExpectCalls(whiles, {{"deep(19)", "19"}, {"deep(20)", "Expression too complex."}});
}

TEST_F(ScriptRunTest, EscapeAbortsALoopWhenKeyabortsIsOn) {
  host.escapeAfter = 0;  // Escape is held down
  EXPECT_EQ(Body("for i = 1 to 3\nendfor"), "OK");
  EXPECT_EQ(host.escapeChecks, 0);
  host.escapeAfter = 50;
  in.keyaborts = true;
  EXPECT_EQ(Body("for i = 1 to 3 step 0\nendfor"), "Programmer keyboard abort.");
  EXPECT_EQ(host.escapeChecks, 51);
}

TEST_F(ScriptRunTest, TextSlotsLeakUntilThePassEnds) {
  // Each type("a") leaves the slot of its unread argument taken.
  CompiledScript script = Compile(
      "code leak()\nglobal n\nfor i = 1 to 30\n\tlocal t\n\tt = type(\"a\")\n\tn = "
      "i\nendfor\nendcode\n");
  EXPECT_EQ(Call(script, "leak()", true), "String library exhausted.");
  EXPECT_EQ(Eval("n"), "19");
  // A new pass starts empty.
  EXPECT_EQ(Call(script, "leak()", true), "String library exhausted.");
}

}  // namespace
}  // namespace lw::testing

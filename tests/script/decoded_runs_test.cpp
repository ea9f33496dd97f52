// The pre-decoded engine against the token walk: every handler of the repository's scripts, and
// scripts made to reach the corners where the two could part (the expression stack's limit,
// the order in which operators fail, late declarations, removed globals, unnamed and long
// handler names), give the same outcome and leave the same state through both.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "script_fixture.h"
#include "support/script_differential.h"

namespace lw::testing {
namespace {

// Every call of each handler of `script` with 0 to 3 arguments, as a function and as a command:
// the number of calls whose descriptions agree, after checking each.
int ExpectSameRuns(const CompiledScript& script, const std::string& where) {
  int agreed = 0;
  auto tokens = script.tokens();
  for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (tokens[i].code != tok::kCode || tokens[i + 1].code != tok::kName) continue;
    const std::string name(script.textOf(i + 1));
    const char* arguments[] = {"", "7", "7, \"t\"", "-3, \"t\", true"};
    for (const char* list : arguments) {
      for (bool asFunction : {true, false}) {
        const std::string call = name + "(" + list + ")";
        const std::string decoded = ObservedRun(script, call, asFunction, true);
        EXPECT_EQ(decoded, ObservedRun(script, call, asFunction, false)) << where << ": " << call;
        agreed += decoded == ObservedRun(script, call, asFunction, false);
      }
    }
  }
  return agreed;
}

TEST(DecodedRunTest, EveryHandlerOfTheRepositoryScriptsRunsAlikeInBothEngines) {
  int scripts = 0;
  int calls = 0;
  for (const char* folder : {"/examples", "/bench/workloads"}) {
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(LW_SOURCE_DIR) + folder)) {
      if (entry.path().extension() != ".lws") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      auto compiled = CompileScriptText(WithCR(text.str()));
      if (!compiled) continue;
      ++scripts;
      calls += ExpectSameRuns(*compiled, entry.path().filename().string());
    }
  }
  // The corpus as it stands: a drop means scripts no longer compile or were not found.
  EXPECT_GE(scripts, 21);
  EXPECT_GE(calls, 300);
}

// Each script's handler f is called with the arguments given; the decoded engine must give the
// literal outcome, and the walk the same description.
struct Corner {
  const char* source;
  const char* call;
  const char* outcome;
};

TEST(DecodedRunTest, CornersGiveTheWalksOutcomesAndState) {
  const Corner corners[] = {
      // Precedence, and which operator fails first: level 0 before level 1.
      {"code f(a)\nreturn 2 + 3 * 4 - 10 / 5 @ \"x\"\nendcode", "f(0)", "Bad argument type."},
      {"code f(a)\nreturn \"x\" - 1 + 5 / 0\nendcode", "f(0)", "Divide by zero."},
      {"code f(a)\nreturn 1 - 2 - 3 * -a + (a = 0 = false)\nendcode", "f(2)", "Bad argument type."},
      {"code f(a)\nreturn not (a > 1 & a < 9) | a = 5\nendcode", "f(5)", "True"},
      {"code f(a)\nreturn \"ab\" @ \"CD\" = \"abcd\"\nendcode", "f(0)", "True"},
      // The expression stack's limit reached through operands (and through nesting, below).
      {"code f(a)\nreturn a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a\nendcode", "f(1)",
       "Expression too complex."},
      {"code f(a)\nreturn a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a+a\nendcode", "f(1)", "20"},
      {"code f(a)\nreturn g(a + (a * g(a + 1)))\nendcode\ncode g(b)\nreturn b * 2\nendcode", "f(1)",
       "10"},
      // A local declared after a global of the same name was read; a global removed and read.
      {"code f(a)\nglobal v\nv = 4\nlocal r\nr = v\nlocal v\nv = 9\nreturn r * 10 + v\nendcode",
       "f(0)", "49"},
      {"code f(a)\nglobal v, w\nw = 3\nv = w + 1\ndumpglobal w\nreturn v + w\nendcode", "f(0)",
       "No such variable."},
      {"code f(a)\nlocal t\nt = me @ target\nreturn t\nendcode", "f(0)", "\"MeTarget\""},
      // Handlers without names and with names past fifteen characters.
      {"code\nendcode\ncode averyveryverylongname(a)\nreturn a\nendcode\n"
       "code f(a)\nreturn AVERYVERYVERYLONGNAME(a + 1)\nendcode",
       "f(1)", "2"},
      {"code f(a)\nreturn h(a)\nendcode", "f(1)", "No such handler."},
      // Loops and branches around decoded conditions.
      {"code f(a)\nlocal s\nfor i = a to 1 step -1\nwhile s < i * 3\ns = s + 1\nendwhile\n"
       "endfor\nif s > 10\nreturn s\nelse\nreturn 0 - s\nendif\nendcode",
       "f(5)", "15"},
      {"code f(a)\nswitch a * 2\ncase 4\nreturn \"four\"\ncase 6\nreturn \"six\"\nendswitch\n"
       "return \"none\"\nendcode",
       "f(3)", "\"six\""},
      {"code f(a)\nfor i = 1 to 3\ni = \"x\"\nendfor\nreturn 0\nendcode", "f(0)",
       "Bad argument type."},
      // Calls inside expressions: a later operand failing, and recursion whose runs hold their
      // locals at other indices than their callers.
      {"code f(a)\nreturn 1 + g(a) * q\nendcode\ncode g(b)\nreturn b\nendcode", "f(2)",
       "No such variable."},
      {"code f(n)\nlocal t\nt = n * 10\nif n > 0\nt = t + f(n - 1)\nendif\nreturn t\nendcode",
       "f(3)", "60"},
      {"code f(n)\nif n > 0\nlocal x\nendif\nlocal y\ny = n\nif n > 0\ny = y + f(n - 1)\nendif\n"
       "return y\nendcode",
       "f(2)", "3"},
      // A value whose call adds enough globals to move the assignment's target.
      {"code f(a)\nglobal x\nx = g()\nreturn x\nendcode\ncode g()\nglobal g1, g2, g3, g4, g5, "
       "g6, g7, g8, g9, g10, g11, g12, g13, g14, g15, g16, g17, g18, g19, g20\nreturn 5\nendcode",
       "f(0)", "5"},
      // Calls and headers of other shapes than the plain one.
      {"code f(a)\nreturn g(1 2)\nendcode\ncode g(p, q)\nreturn p\nendcode", "f(0)",
       "Expected comma ','."},
      {"code f(a)\nreturn g(1, 2)\nendcode\ncode g(p q)\nreturn p\nendcode", "f(0)",
       "Expected paren '(' or ')'."},
      {"code f(a)\nreturn g(1, 2)\nendcode\ncode g(p)\nreturn p\nendcode", "f(0)",
       "Expected paren '(' or ')'."},
  };
  for (const Corner& corner : corners) {
    const CompiledScript script = Compile(corner.source);
    const std::string decoded = ObservedRun(script, corner.call, true, true);
    EXPECT_EQ(decoded.substr(0, decoded.find("; statements")), corner.outcome) << corner.source;
    EXPECT_EQ(decoded, ObservedRun(script, corner.call, true, false)) << corner.source;
  }
}

// a+(a+(...(a+a)...)) with `levels` additions: each level holds two more stack entries while the
// next is evaluated, so 19 levels fit the 40 entries and 20 do not.
std::string Nested(int levels) {
  std::string text = "a+a";
  for (int i = 1; i < levels; ++i) text = "a+(" + text + ")";
  return "code f(a)\nreturn " + text + "\nendcode";
}

TEST(DecodedRunTest, NestingUpToTheStackLimitGivesTheWalksOutcome) {
  const std::pair<int, const char*> cases[] = {{19, "20"}, {20, "Expression too complex."}};
  for (const auto& [levels, outcome] : cases) {
    const CompiledScript script = Compile(Nested(levels));
    const std::string decoded = ObservedRun(script, "f(1)", true, true);
    EXPECT_EQ(decoded.substr(0, decoded.find("; statements")), outcome) << levels;
    EXPECT_EQ(decoded, ObservedRun(script, "f(1)", true, false)) << levels;
  }
}

}  // namespace
}  // namespace lw::testing

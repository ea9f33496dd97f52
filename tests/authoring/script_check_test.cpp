// The static check of scripts: a table of broken scripts, each with the findings it must give
// (place and text), valid scripts that use every statement form and must give none, and
// the limits of the expression and loop stacks. The catalogue is the script layer's own
// built-ins, so that the keywords it lacks (actorvisible) stay lacking whatever the runtime adds.
#include "authoring/script_check.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace lw::authoring {
namespace {

// Script text as the checker takes it: the test sources use \n, scripts end lines with CR.
std::string ScriptText(std::string_view source) {
  std::string text(source);
  for (char& c : text) {
    if (c == '\n') c = '\r';
  }
  return text;
}

BuiltinTable ScriptCatalog() {
  BuiltinTable catalog;
  DescribeScriptBuiltins(catalog);
  return catalog;
}

// Signatures of the forms that the script layer's own built-ins lack: an effect parameter and a
// property whose read and write take different arguments. The check runs nothing.
ScriptError NotRun(BuiltinCall&) { return ScriptError::None; }
constexpr BuiltinEntry<> kFormEntries[] = {
    {"visualeffect",
     BuiltinKind::kCommand,
     NotRun,
     {"e: effect, n: number", "", {}, "Reveals the screen with effect e in n steps."}},
    {"wavevolume", BuiltinKind::kPropertyRead, NotRun, {"", "number", {}, "The volume."}},
    {"wavevolume", BuiltinKind::kPropertyWrite, NotRun, {"n: number", "", {}, "Sets the volume."}},
};

BuiltinTable FormsCatalog() {
  BuiltinTable catalog = ScriptCatalog();
  catalog.describe<kFormEntries>();
  return catalog;
}

// Every finding as "LINE:COLUMN: error: TEXT", one per line.
std::string Check(std::string_view source, const BuiltinTable& catalog = ScriptCatalog()) {
  std::string out;
  for (const ScriptDiagnostic& d : CheckScriptText(ScriptText(source), catalog)) {
    out += std::to_string(d.line) + ":" + std::to_string(d.column) + ": " +
           (d.severity == Severity::kError ? "error: " : "warning: ") + d.text + "\n";
  }
  return out;
}

struct Broken {
  std::string_view source;
  std::string_view findings;
};

// One row per distinct message; the whole output must be the row's lines. A row of kInIdle is the
// body of handler idle, whose header is line 1.
constexpr Broken kInIdle[] = {
    // Blocks and handlers.
    {"\tendif\n", "2:2: error: endif without if"},
    {"\telse\n", "2:2: error: else outside an if"},
    {"\tcase 1\n", "2:2: error: case outside a switch"},
    {"\tlocal i\n\tif true\n\t\tfor i = 1 to 3\n\tendif\n",
     "5:2: error: endif inside an open for: close it with endfor first"},
    {"\tlocal abcdefghijklmnop\n",
     "2:8: error: 'abcdefghijklmnop' is too long for a variable name: at most 15 characters"},
    // Built-in calls.
    {"\tlocal p\n\tp = makepoint(1)\n\tp = random(1, 2)\n",
     "3:6: error: too few arguments to 'makepoint': makepoint(x, y)\n"
     "4:6: error: too many arguments to 'random': random(n)"},
    {"\tlocal t\n\tt = numtostring(\"5\")\n\tt = findword(12, \" \", 1)\n",
     "3:18: error: argument 1 of 'numtostring' must be a number, not a text\n"
     "4:15: error: argument 1 of 'findword' must be a text, not a number"},
    {"\tsendtoboot(1)\n",
     "2:13: error: argument 1 of 'sendtoboot' must be a handler call such as hello(1), found the "
     "number 1"},
    {"\tnumtostring(1)\n",
     "2:2: error: 'numtostring' is a function: use its value, e.g. x = numtostring(n)"},
    {"\tlocal x\n\tx = sendtoboot(hello())\n",
     "3:6: error: 'sendtoboot' is a command: it gives no value, so it can only be a statement"},
    {"\tlocal x\n\tx = variable(\"a\", 1)\n",
     "3:6: error: 'variable' with 2 arguments sets the property and gives no value: read it with "
     "variable(name)"},
    {"\tvariable(\"a\")\n",
     "2:2: error: 'variable' with 1 argument reads the property: use its value (x = "
     "variable(name)) or set it with variable(name, value)"},
    {"\tlocal n\n\tn = machinespeed\n",
     "3:6: error: 'machinespeed' needs parentheses: machinespeed()"},
    // A built-in the catalogue lacks may take an effect name; a handler or a value may not.
    {"\tlocal v\n\tsavegame(\"bob\")\n\tvisualeffect(wipeleft, 5)\n"
     "\thello(wipeleft)\n\tv = wipeleft\n",
     "5:8: error: 'wipeleft' is a visual effect name: it can only be the first argument of "
     "visualeffect\n"
     "6:6: error: 'wipeleft' is a visual effect name: it can only be the first argument of "
     "visualeffect"},
    // Statements and expressions.
    {"\tlocal x\n\tx 1\n",
     "3:4: error: expected '=' after 'x': an assignment is NAME = VALUE, a handler call NAME(...)"},
    {"\tfor i = 1 10\n\tendfor\n", "2:12: error: for without to: for i = 1 to 10"},
    {"\tfor 1 = 1 to 10\n\tendfor\n", "2:6: error: for needs a variable name: for i = 1 to 10"},
    {"\tlocal x\n\tx = 1 // note\n",
     "3:8: error: '/' has no operand after it (the language has no comments: '/' is division)"},
    {"\tlocal x\n\tx = 1 +\n", "3:8: error: '+' has no operand after it"},
    {"\tlocal x\n\tx =\n", "3:5: error: expected a value before the end of the line"},
    {"\tlocal x\n\tx = (1 + 2\n", "3:6: error: '(' is not closed: add ')'"},
    {"\tlocal x\n\tx = (1 + 2))\n", "3:13: error: ')' without '(' before it"},
    {"\tlocal x\n\tx = 1 2\n\tif true else\n\tendif\n",
     "3:8: error: the statement ends before the number 2: write one statement per line\n"
     "4:10: error: the statement ends before 'else': write one statement per line"},
    // The line that goes on with the call is no statement of its own.
    {"\thello(1,\n\t2)\n",
     "2:2: error: the call of hello is not closed on its line: add ')' (a handler call must be on "
     "one line)\n3:2: error: a statement cannot begin with the number 2"},
    {"\tif 1\n\tendif\n", "2:5: error: if needs a truth value (true or false) here"},
    {"\tlocal x\n\tx = \"a\" + 1\n\tx = not 1\n",
     "3:10: error: '+' needs numbers, not a text\n"
     "4:6: error: 'not' needs a truth value, not a number"},
    {"\tto\n", "2:2: error: a statement cannot begin with 'to'"},
    {"\tlocal a,\n", "2:10: error: expected a variable name after ',', found the end of the line"},
    {"\tswitch 1\n\tcase \"a\"\n\tendswitch\n",
     "3:7: error: case value is a text but the switch value is a number"},
    {"\tswitch 1 = 1\n\tendswitch\n",
     "2:9: error: switch needs a number or a text, not a truth value"},
    // What the tokenizer refuses.
    // The tokenizer stops at its first refusal.
    {"\t# note\n",
     "2:2: error: the character '#' cannot appear in a script outside a text literal"},
    {"\tlocal\tx\n", "2:7: error: a tab here: tabs may only indent a line, use blanks inside it"},
    {"\tlocal t\n\tt = \"abc\n", "3:6: error: text literal not closed on its line: add '\"'"},
};

constexpr Broken kScripts[] = {
    {"code a()\n\tif true\nendcode\ncode b()\n\tswitch 1\n\tcase 1\nendcode\ncode c()\n"
     "\tfor i = 1 to 2\nendcode\n",
     "2:2: error: if is still open at endcode: add endif\n"
     "5:2: error: switch is still open at endcode: add endswitch\n"
     "9:2: error: for is still open at endcode: add endfor"},
    {"code a()\ncode b()\n\tlocal x\n",
     "1:1: error: handler a has no endcode\n2:1: error: handler b has no endcode"},
    {"endcode\n", "1:1: error: endcode without code"},
    {"code a()\nendcode\nx = 1\n",
     "3:1: error: statements must be inside a handler: code NAME() ... endcode"},
    {"code Idle()\nendcode\ncode idle()\nendcode\n",
     "3:6: error: handler idle is defined twice in this script; only the first one runs"},
    {"code idle(1)\nendcode\n",
     "1:11: error: expected a parameter name in the header of idle, found the number 1"},
    // Variables: not declared at all, used before its local, a global of another handler, after
    // dumplocal.
    {"code boot()\n\tglobal g\nendcode\ncode idle()\n\tlocal y\n\tx = 1\n\tlocal x\n"
     "\ty = count + 1\n\tg = 1\n\tdumplocal y\n\ty = 2\nendcode\n",
     "6:2: error: 'x' is not declared in handler idle: add `local x` or `global x`\n"
     "8:6: error: 'count' is not declared in handler idle: add `local count` or `global count`\n"
     "9:2: error: 'g' is not declared in handler idle: add `local g` or `global g`\n"
     "11:2: error: 'y' is not declared in handler idle: add `local y` or `global y`"},
    {"code idle()\n\tgreet(1, 2)\n\tgreet()\nendcode\ncode greet(name)\nendcode\n",
     "2:2: error: too many arguments to handler greet: greet(name)\n"
     "3:2: error: too few arguments to handler greet: greet(name)"},
    {"code f()\n\treturn\nendcode\n",
     "2:2: error: return needs a value: return x (exitcode leaves a handler without one)"},
    // Statements that never run.
    {"code f()\n\treturn 1\n\tlocal x\nendcode\ncode g()\n\tif true\n\t\texitcode\n\t\tlocal y\n"
     "\tendif\nendcode\n",
     "3:2: warning: unreachable statement\n8:3: warning: unreachable statement"},
    {"code f()\n\tlocal x\n\tswitch 1\n\tx = 1\n\tcase 1\n\tendswitch\nendcode\n",
     "4:2: warning: unreachable statement: nothing between switch and its first case runs"},
    {"code f()\n\tif true\n\telse\n\telse\n\tendif\nendcode\n",
     "4:2: warning: a second else in one if never runs"},
    // Reported once; an event handler (idle) that no script defines is no fault.
    {"code boot()\n\thelo(1)\n\thelo(2)\n\tidle()\nendcode\ncode hello(n)\nendcode\n",
     "2:2: warning: no handler helo in this script: the call fails unless a script further along "
     "the chain defines it"},

};

// The forms that only kFormEntries have: an effect parameter, a property read and write that
// take different arguments.
constexpr Broken kBuiltinForms[] = {
    {"code idle()\n\tvisualeffect(\"wipeleft\", 5)\n\tvisualeffect(wipeleft)\nendcode\n",
     "2:15: error: argument 1 of 'visualeffect' must be a visual effect name such as wipeleft, "
     "found a text\n3:2: error: too few arguments to 'visualeffect': visualeffect(e, n)"},
    {"code idle()\n\tlocal x\n\tx = wavevolume(3)\nendcode\n",
     "3:6: error: 'wavevolume' with 1 argument sets the property and gives no value: read it with "
     "wavevolume()"},
    {"code idle()\n\twavevolume\n\twavevolume(\"loud\")\nendcode\n",
     "2:2: error: 'wavevolume' needs parentheses: wavevolume(n)\n"
     "3:13: error: argument 1 of 'wavevolume' must be a number, not a text"},
};

TEST(ScriptCheck, EachFaultIsFoundWithItsPlace) {
  for (const Broken& c : kInIdle) {
    const std::string source = "code idle()\n" + std::string(c.source) + "endcode\n";
    EXPECT_EQ(Check(source), std::string(c.findings) + "\n") << c.source;
  }
  for (const Broken& c : kScripts) {
    EXPECT_EQ(Check(c.source), std::string(c.findings) + "\n") << c.source;
  }
  for (const Broken& c : kBuiltinForms) {
    EXPECT_EQ(Check(c.source, FormsCatalog()), std::string(c.findings) + "\n") << c.source;
  }
  EXPECT_EQ(Check("code idle()\n\tvisualeffect(wipeleft, 5)\n\twavevolume(wavevolume() + 1)\n"
                  "endcode\n",
                  FormsCatalog()),
            "");
  const std::pair<std::string, std::string_view> tooLong[] = {
      {"return \"" + std::string(256, 'a') + "\"",
       "2:9: error: text literal longer than 255 characters"},
      {"local " + std::string(256, 'a'), "2:8: error: word longer than 255 characters"},
      {"return " + std::string(256, '7'), "2:9: error: number longer than 255 digits"},
  };
  for (const auto& [line, finding] : tooLong) {
    EXPECT_EQ(Check("code f()\n\t" + line + "\nendcode\n"), std::string(finding) + "\n");
  }
}

// Every statement form, as scripts that run use them; none may give a finding.
constexpr std::string_view kValidScripts[] = {
    // Loops, switch with shared case lines, the Mac Roman comparison bytes, unary minus.
    "code main(n)\n\tlocal total, word\n\ttotal = 0\n\tfor i = n to 1 step -1\n"
    "\t\twhile total < 10\n\t\t\ttotal = total + i * 2 - -1\n\t\tendwhile\n\tendfor\n"
    "\tswitch \"b\"\n\tcase \"a\"\n\tcase \"b\"\n"
    "\t\tword = findword(\"a b\", \" \", 2) @ numtostring(total)\n\tcase \"c\"\n"
    "\t\tword = \"c\"\n\tendswitch\n\tif word = \"b\" | total \xB3 3 & total \xAD 4\n"
    "\t\treturn word\n\telse\n\t\treturn \"\"\n\tendif\nendcode\n",
    // Handler calls, the call argument, me and target, property reads and writes, dumplocal,
    // exitcode and passcode, globals, an undefined event handler, blank lines between handlers.
    "code boot()\n\tglobal ready\n\tready = true\n\tsendtoboot(greet(me @ target))\n"
    "\tgreet(\"x\")\n\tvariable(\"ready\", false)\n\tidle()\nendcode\n\n\n"
    "code greet(who)\n\tlocal copy\n\tcopy = who\n\tdumplocal copy\n"
    "\tif stringlength(who) > 3\n\t\tpasscode\n\tendif\n\texitcode\nendcode\n"
    "code f()\n\treturn sendtobootfx(greet(\"a\")) = variable(\"ready\")\nendcode\n",
    // A handler whose body starts on its header line; names compare without regard to case.
    "code Count(N) return n + COUNT(n - 1)\nendcode\n",
    // Parenthesised conditions and nested calls of built-ins; points are numbers.
    "code f(p)\n\tif (pointx(p) > 0) and not (pointy(p) = 0)\n"
    "\t\treturn calcdist(makepoint(0, 0), p) * (1 + sqrt(16))\n\tendif\n\treturn 0\nendcode\n",
};

TEST(ScriptCheck, ValidScriptsGiveNoFinding) {
  for (std::string_view source : kValidScripts) EXPECT_EQ(Check(source), "") << source;
}

// 20 operands and 19 operators fill 39 places of the expression stack; one more operator
// does not fit. Nineteen loops of a kind nest; the twentieth does not.
TEST(ScriptCheck, TheExpressionAndLoopStacksBoundWhatRuns) {
  const auto sum = [](int operands) {
    std::string s = "code f()\n\treturn 1";
    for (int i = 1; i < operands; ++i) s += "+1";
    return s + "\nendcode\n";
  };
  EXPECT_EQ(Check(sum(20)), "");
  // The 20th '+' is at column 8 + 2 x 20.
  EXPECT_EQ(Check(sum(21)),
            "2:48: error: expression too complex: more than 39 values and operators, counting "
            "those of the enclosing expressions\n");

  const auto loops = [](int count) {
    std::string s = "code f()\n";
    for (int i = 0; i < count; ++i) s += "\twhile true\n";
    for (int i = 0; i < count; ++i) s += "\tendwhile\n";
    return s + "endcode\n";
  };
  EXPECT_EQ(Check(loops(19)), "");
  EXPECT_EQ(Check(loops(20)), "21:2: error: too many nested while loops: at most 19\n");
  // Deep nesting is reported, never followed past a limit that would exhaust the stack.
  const std::string deep =
      "code f()\n\treturn " + std::string(5000, '(') + "1" + std::string(5000, ')') + "\nendcode\n";
  EXPECT_EQ(Check(deep), "2:110: error: expression nested too deeply: at most 100 levels\n");
  const std::string nots = "code f()\n\treturn " + std::string(3000, '-') + "1\nendcode\n";
  EXPECT_NE(Check(nots).find("nested too deeply"), std::string::npos);
}

}  // namespace
}  // namespace lw::authoring

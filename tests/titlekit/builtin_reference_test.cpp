// titlekit's reference of the built-ins as a program: one built-in's entry, the names it does not
// know, and the Markdown reference, whose entries must be exactly the built-ins that a run
// answers and whose text must be the checked-in docs/builtins.md.
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/runtime_builtins.h"
#include "script/keywords.h"
#include "support/common_program_run.h"

namespace lw::titlekit {
namespace {

class BuiltinReferenceTest : public test::ProgramTest {
 protected:
  BuiltinReferenceTest() : ProgramTest(TITLEKIT_PATH) {}
};

TEST_F(BuiltinReferenceTest, HelpShowsEveryFormOfOneBuiltin) {
  // A function: its call, result, description, parameters and errors by code.
  expect({"help", "builtin", "calcvectx"}, 0,
         "calcvectx(d, r) -> number  (function)\n"
         "  The x component of a vector of length r in direction d.\n"
         "  d: number\n"
         "  r: number\n"
         "  error 14 Bad argument type.\n"
         "  error 43 Resource not found.\n");
  // A property, named in any case: its read, then its write.
  expect({"help", "builtin", "WaveVolume"}, 0,
         "wavevolume() -> number  (property read)\n"
         "  The sound volume, read as wavevolume(): 0 (silent) to 9 (full, the start value).\n"
         "\n"
         "wavevolume(n)  (property write)\n"
         "  Sets the sound volume, written as wavevolume(n) with n from 0 (silent) to 9 (full).\n"
         "  n: number\n"
         "  error 10 No such object.\n"
         "  error 14 Bad argument type.\n");
  // Optional parameters in brackets.
  const std::string plugin = run({"help", "builtin", "plugin"}).out;
  EXPECT_EQ(plugin.rfind("plugin(name[, a1[, a2[, a3[, a4]]]])  (command)\n", 0), 0u) << plugin;
  EXPECT_NE(plugin.find("\n  a4: number|text, optional\n"), std::string::npos) << plugin;
}

TEST_F(BuiltinReferenceTest, NamesThatAreNoAnsweredBuiltinFailWithAHint) {
  const std::string listsAll = "(titlekit reference lists every built-in)\n";
  const std::tuple<std::string, std::string> cases[] = {
      {"drawstrng",
       "titlekit: no built-in is named 'drawstrng'; did you mean drawstring?\n" + listsAll},
      {"calc",
       "titlekit: no built-in is named 'calc'; did you mean calcdeg, calcdist, calcturn, "
       "calcvectx, calcvecty?\n" +
           listsAll},
      {"zebra", "titlekit: no built-in is named 'zebra'\n" + listsAll},
      {"currentd",
       "titlekit: no built-in is named 'currentd'; did you mean currentdeg, currentdir?\n" +
           listsAll},
  };
  for (const auto& [name, complaint] : cases) expect({"help", "builtin", name}, 1, "", complaint);
  expect({"reference", "extra"}, 2, "",
         "titlekit reference: unexpected argument 'extra'\nusage: titlekit reference [-o FILE]\n");
  expect({"--version"}, 0, "titlekit " TITLEKIT_VERSION "\n");
}

TEST_F(BuiltinReferenceTest, MarkdownHasAnEntryForEveryAnsweredBuiltinAndIsCheckedIn) {
  const std::string markdown = run({"reference"}).out;
  // "Section name" for each "### name" heading of the Markdown.
  std::set<std::string> headings;
  std::istringstream lines(markdown);
  std::string section;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("## ")) section = line.substr(3);
    if (line.starts_with("### ")) headings.insert(section + " " + line.substr(4));
  }
  // The same from the catalogue of a run's built-ins.
  BuiltinTable catalogue;
  DescribeAllBuiltins(catalogue);
  std::set<std::string> answered;
  for (const Keyword& keyword : KeywordTable()) {
    for (BuiltinKind kind : {BuiltinKind::kCommand, BuiltinKind::kFunction,
                             BuiltinKind::kPropertyRead, BuiltinKind::kPropertyWrite}) {
      if (catalogue.signature(kind, keyword.code) != nullptr) {
        const char* part = kind == BuiltinKind::kCommand    ? "Commands "
                           : kind == BuiltinKind::kFunction ? "Functions "
                                                            : "Properties ";
        answered.insert(part + std::string(keyword.name));
      }
    }
  }
  EXPECT_EQ(headings, answered);
  // -o writes the same text.
  expect({"reference", "-o", file("builtins.md")}, 0, "");
  EXPECT_EQ(text("builtins.md"), markdown);
  // How CI sees that a change to the built-ins left the checked-in reference behind.
  std::ifstream checkedIn(BUILTINS_DOC, std::ios::binary);
  const std::string doc{std::istreambuf_iterator<char>(checkedIn), {}};
  EXPECT_TRUE(doc == markdown) << BUILTINS_DOC
      " is not what titlekit makes of the built-ins' "
      "signatures; make it again with\n  " TITLEKIT_PATH " reference -o docs/builtins.md";
}

}  // namespace
}  // namespace lw::titlekit

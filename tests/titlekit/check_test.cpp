// titlekit check, and the check that compile and bootfile run first: findings printed with the
// quoted line and a caret, the exit status, refusals and --no-check; and every script of the
// repository that is meant to run passes with no error.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/common_program_run.h"

namespace lw::titlekit {
namespace {

class CheckCommandTest : public test::ProgramTest {
 protected:
  CheckCommandTest() : ProgramTest(TITLEKIT_PATH) {}
};

// Three errors and a warning; the é is two bytes but one column.
constexpr std::string_view kBroken =
    "code idle()\n\tlocal x\n\tx = 1 // note\n\tv = \"é\" + 1\n"
    "\texitcode\n\tx = 2\nendcode\n";

// The findings of kBroken in file `path`, as check prints them (compile and bootfile print the
// same, without the summary).
std::string BrokenFindings(const std::string& path) {
  return path +
         ":3:8: error: '/' has no operand after it (the language has no comments: '/' is "
         "division)\n\tx = 1 // note\n\t      ^\n" +
         path +
         ":4:2: error: 'v' is not declared in handler idle: add `local v` or `global v`\n"
         "\tv = \"é\" + 1\n\t^\n" +
         path + ":4:10: error: '+' needs numbers, not a text\n\tv = \"é\" + 1\n\t        ^\n" +
         path + ":6:2: warning: unreachable statement\n\tx = 2\n\t^\n";
}

TEST_F(CheckCommandTest, FindingsQuoteTheLineAndErrorsFailTheRun) {
  const std::string broken = write("broken.lws", kBroken);
  expect({"check", broken}, 1, BrokenFindings(broken) + "3 errors, 1 warning\n");
  // Warnings alone pass; a clean script prints nothing.
  const std::string warned = write("warned.lws", "code f()\n\treturn 1\n\treturn 2\nendcode\n");
  expect({"check", warned}, 0,
         warned + ":3:2: warning: unreachable statement\n\treturn 2\n\t^\n0 errors, 1 warning\n");
  const std::string clean = write("clean.lws", "code f()\r\n\treturn 1\r\nendcode\r\n");
  expect({"check", clean}, 0, "");
  // Every file is checked; one that cannot be read is an error of its own.
  expect({"check", clean, file("nosuch.lws"), warned}, 1,
         file("nosuch.lws") + ": No such file or directory\n" + warned +
             ":3:2: warning: unreachable statement\n\treturn 2\n\t^\n1 error, 1 warning\n");
  expect({"check"}, 2, "", "titlekit check: missing FILE\nusage: titlekit check FILE...\n");
}

TEST_F(CheckCommandTest, LinesAreFoundWhateverTheLineEnds) {
  // The same findings from CR and CRLF line ends; a character without a Mac Roman form is an
  // error of the check too, its line quoted.
  for (std::string_view lineEnd : {"\r", "\r\n"}) {
    std::string source(kBroken);
    for (std::size_t at = source.find('\n'); at != std::string::npos;
         at = source.find('\n', at + lineEnd.size())) {
      source.replace(at, 1, lineEnd);
    }
    const std::string broken = write("broken.lws", source);
    expect({"check", broken}, 1, BrokenFindings(broken) + "3 errors, 1 warning\n");
  }
  const std::string wide = write("wide.lws", "code f()\n\treturn \"中\"\nendcode\n");
  expect({"check", wide}, 1,
         wide +
             ":2:10: error: character U+4E2D has no Mac Roman form\n\treturn \"中\"\n\t        ^\n"
             "1 error, 0 warnings\n");
}

TEST_F(CheckCommandTest, CompiledScriptsAreCheckedByTokenIndex) {
  const std::string source = write("f.lws", "code f()\n\tx = 1\nendcode\n");
  expect({"compile", source, "-o", file("f.lwc"), "--no-check"}, 0, "");
  // code, f, (, ), line end, then x: token 5.
  expect({"check", file("f.lwc")}, 1,
         file("f.lwc") +
             ": token 5: error: 'x' is not declared in handler f: add `local x` or `global x`\n"
             "1 error, 0 warnings\n");
}

TEST_F(CheckCommandTest, CompileAndBootfileRefuseScriptsWithErrors) {
  const std::string broken = write("broken.lws", kBroken);
  expect({"compile", broken, "-o", file("out.lwc")}, 1, "", BrokenFindings(broken));
  EXPECT_FALSE(std::filesystem::exists(file("out.lwc")));

  const std::string title = folder("title");
  expect({"bootfile", broken, "-o", title + "/bootfile"}, 1, "",
         BrokenFindings(broken) + "titlekit bootfile: no " + title + "/bootfile was written\n");
  EXPECT_FALSE(std::filesystem::exists(title + "/bootfile"));
  // Warnings do not stop either, and they print nothing then.
  const std::string warned = write("warned.lws", "code boot()\n\texitcode\n\texitcode\nendcode\n");
  expect({"bootfile", warned, "-o", title + "/bootfile"}, 0, "");
}

// The scripts under examples/, tests/ and bench/ of the source tree, found when the test runs so
// that new ones are covered without listing them.
TEST_F(CheckCommandTest, EveryScriptOfTheRepositoryPasses) {
  std::vector<std::string> args = {"check"};
  for (const char* folder : {"examples", "tests", "bench"}) {
    const std::filesystem::path root = std::filesystem::path(SOURCE_DIR) / folder;
    if (!std::filesystem::exists(root)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      if (entry.is_regular_file() && entry.path().extension() == ".lws") {
        args.push_back(entry.path().string());
      }
    }
  }
  ASSERT_GE(args.size(), 3u);  // at least the two examples
  const test::ProgramOutcome outcome = run(args);
  EXPECT_EQ(outcome.status, 0) << outcome.out;
  EXPECT_EQ(outcome.out.find(": error: "), std::string::npos) << outcome.out;
}

}  // namespace
}  // namespace lw::titlekit

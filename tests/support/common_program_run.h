// Tests of a command-line program: runs of it as a child process, as a user would run it from a
// shell, in a scratch folder, with what it gave back compared.
#pragma once

#include <sys/wait.h>

#include <cstdlib>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/common_scratch_files.h"

namespace lw::test {

struct ProgramOutcome {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

class ProgramTest : public ScratchFilesTest {
 protected:
  explicit ProgramTest(std::string program) : program_(std::move(program)) {}

  // Runs the program with `args` and `input` on its standard input, through the shell with every
  // word quoted. The standard streams go through files of their own folder, apart from the
  // test's files.
  ProgramOutcome run(const std::vector<std::string>& args, std::string_view input = "") const {
    const auto quoted = [](const std::string& word) {
      std::string text = "'";
      for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
      return text + "'";
    };
    std::string command = quoted(program_);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " <" + quoted(write(".streams/in", input)) + " >" + quoted(file(".streams/out")) +
               " 2>" + quoted(file(".streams/err"));
    const int wstatus = std::system(command.c_str());
    const bool exited = wstatus != -1 && WIFEXITED(wstatus);
    return {exited ? WEXITSTATUS(wstatus) : -1, text(".streams/out"), text(".streams/err")};
  }
  // Runs the program and compares its exit status, standard output and standard error.
  void expect(const std::vector<std::string>& args, int status, std::string_view out,
              std::string_view err = "", std::string_view input = "") const {
    const ProgramOutcome got = run(args, input);
    const std::string what = ::testing::PrintToString(args);
    EXPECT_EQ(got.status, status) << what << "\n" << got.err;
    EXPECT_EQ(got.out, out) << what;
    EXPECT_EQ(got.err, err) << what;
  }

 private:
  std::string program_;
};

}  // namespace lw::test

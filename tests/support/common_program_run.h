// Tests of a command-line program: runs of it as a child process, as a user would run it from a
// shell, in a scratch folder, with what it gave back compared.
#pragma once

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

  // Runs the program with `args` and `input` on its standard input.
  ProgramOutcome run(const std::vector<std::string>& args, std::string_view input = "") const;
  // Runs the program and compares its exit status, standard output and standard error.
  void expect(const std::vector<std::string>& args, int status, std::string_view out,
              std::string_view err = "", std::string_view input = "") const;

 private:
  std::string program_;
};

}  // namespace lw::test

#include "support/common_program_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace lw::test {

ProgramOutcome ProgramTest::run(const std::vector<std::string>& args,
                                std::string_view input) const {
  // The standard streams go through files of their own folder, apart from the test's files.
  const std::string in = write(".streams/in", input);
  const std::string out = file(".streams/out"), err = file(".streams/err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> all = {program_};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int wstatus = 0;
  const bool exited =
      posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv.data(), environ) == 0 &&
      waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus);
  posix_spawn_file_actions_destroy(&actions);
  return {exited ? WEXITSTATUS(wstatus) : -1, text(".streams/out"), text(".streams/err")};
}

void ProgramTest::expect(const std::vector<std::string>& args, int status, std::string_view out,
                         std::string_view err, std::string_view input) const {
  const ProgramOutcome got = run(args, input);
  const std::string what = ::testing::PrintToString(args);
  EXPECT_EQ(got.status, status) << what << "\n" << got.err;
  EXPECT_EQ(got.out, out) << what;
  EXPECT_EQ(got.err, err) << what;
}

}  // namespace lw::test

// titlekit as a program: its subcommands run as child processes, with their standard output,
// standard error and exit status checked.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class TitlekitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("titlekit_test_" + std::to_string(getpid()) + "_" + info->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path file(const std::string& name) const { return dir_ / name; }

  // Runs titlekit with `args`, feeding `input` to its standard input.
  Outcome run(const std::vector<std::string>& args, std::string_view input = "") const {
    WriteFile(file("stdin"), input);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, file("stdin").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, file("stdout").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, file("stderr").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all = {TITLEKIT_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);

    Outcome outcome;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, TITLEKIT_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return outcome;
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    outcome.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    outcome.out = ReadFile(file("stdout"));
    outcome.err = ReadFile(file("stderr"));
    return outcome;
  }

  // The standard output of an eval of `lines`, which must succeed.
  std::string eval(const std::vector<std::string>& lines) const {
    std::vector<std::string> args = {"eval"};
    args.insert(args.end(), lines.begin(), lines.end());
    Outcome outcome = run(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.out;
  }

 private:
  fs::path dir_;
};

const std::string kHello = std::string(EXAMPLES_DIR) + "/hello.lws";

TEST_F(TitlekitTest, EvalShowsOutcomesAsTheMessageBoxDoes) {
  EXPECT_EQ(eval({"2 + 3 * 4"}), "14\n");
  EXPECT_EQ(eval({"7 / -2"}), "-3\n");
  EXPECT_EQ(eval({"not 1"}), "Bad argument type.\n");
  EXPECT_EQ(eval({"1 < 2", "\"ab\" = \"AB\" and false"}), "True\nFalse\n");
  EXPECT_EQ(eval({"\"Hello, \" @ \"world\""}), "\"Hello, world\"\n");
  EXPECT_EQ(eval({"undefinedname"}), "No such variable.\n");
}

TEST_F(TitlekitTest, EvalKeepsGlobalsFromLineToLine) {
  EXPECT_EQ(eval({"global g", "g = 5", "g * 2"}), "OK\nOK\n10\n");
  EXPECT_EQ(eval({"global t", "t = \"x\" @ \"y\"", "t @ t"}), "OK\nOK\n\"xyxy\"\n");
}

TEST_F(TitlekitTest, EvalReadsStandardInputWhenNoLineIsGiven) {
  Outcome outcome = run({"eval"}, "global n\r\n\nn = 40 + 2\nn\n\"done\"");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "OK\nOK\n42\n\"done\"\n");
}

TEST_F(TitlekitTest, EvalConvertsBetweenUtf8AndMacRoman) {
  EXPECT_EQ(eval({"1 ≠ 2", "2 ≥ 3", "2 ≤ 2"}), "True\nFalse\nTrue\n");
  EXPECT_EQ(eval({"\"café\" @ \" — \" @ \"…\""}), "\"café — …\"\n");

  Outcome outcome = run({"eval", "1 + 1", "\"中\"", "2 + 2"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "2\n4\n");  // the other lines still run
  EXPECT_EQ(outcome.err, "<argument 2>:1:2: character U+4E2D has no Mac Roman form\n");
}

TEST_F(TitlekitTest, CompileWritesTheStoredBlock) {
  WriteFile(file("key.lws"), "keydown(\"a\")");
  Outcome outcome = run({"compile", file("key.lws"), "-o", file("key.lwc")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  const std::string expected(
      "\x05\x00\x28\x00\x00\x00\x00\x00"  // name, 40 bytes to "keydown"
      "\xB2\x0F\x00\x00\x00\x00\x00\x00"  // ( is 4018
      "\x03\x00\x20\x00\x00\x00\x00\x00"  // string, 32 bytes to "a"
      "\xB3\x0F\x00\x00\x00\x00\x00\x00"  // ) is 4019
      "\x00\x00\x00\x00\x00\x00\x00\x00"  // end
      "\x07keydown\x01"
      "a",
      50);
  EXPECT_EQ(ReadFile(file("key.lwc")), expected);

  // A compiled file is read back as such and written unchanged.
  outcome = run({"compile", file("key.lwc"), "-o", file("again.lwc")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadFile(file("again.lwc")), expected);
}

TEST_F(TitlekitTest, CompileWithoutOutputPrintsADump) {
  WriteFile(file("key.lws"), "keydown(\"a\")\r\n\tx ≠ 12\n");
  Outcome outcome = run({"compile", file("key.lws")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("0000  05 00 50 00 00 00 00 00  name \"keydown\"\n"),
            std::string::npos)
      << outcome.out;
  for (const char* line :
       {"  (\n", "  string \"a\"\n", "  )\n", "  line end 1\n", "  name \"x\"\n", "  ≠\n",
        "  number 12\n", "  line end 0\n", "0048  00 00 00 00 00 00 00 00  end\n"}) {
    EXPECT_NE(outcome.out.find(line), std::string::npos) << line << " in\n" << outcome.out;
  }
  EXPECT_NE(outcome.out.find("0050  07 6b 65 79 64 6f 77 6e 01 61 01 78"), std::string::npos)
      << outcome.out;
}

TEST_F(TitlekitTest, CompileReportsWhereTheSourceIsWrong) {
  WriteFile(file("wide.lws"), "code f()\n\treturn \"中\"\nendcode\n");
  Outcome outcome = run({"compile", file("wide.lws")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err,
            file("wide.lws").string() + ":2:10: character U+4E2D has no Mac Roman form\n");

  WriteFile(file("quote.lws"), "code f()\r\n\treturn \"ab\r\nendcode\r\n");
  outcome = run({"compile", file("quote.lws")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, file("quote.lws").string() + ":2:10: Tokenization error.\n");

  WriteFile(file("cut.lwc"), std::string("\x05\x00\x28\x00\x00", 5));
  outcome = run({"compile", file("cut.lwc")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err.rfind(file("cut.lwc").string() + ": ", 0), 0u) << outcome.err;

  outcome = run({"compile", file("missing.lws")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("missing.lws: "), std::string::npos);
}

TEST_F(TitlekitTest, RunCallsAHandlerOfTheFile) {
  Outcome outcome = run({"run", kHello, "fib(20)"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "6765\n");

  outcome = run({"run", kHello, "main()"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "\"Hello, Loomwork — fib(20) = 6765\"\n");

  outcome = run({"run", kHello, "greet(\"\")"});
  EXPECT_EQ(outcome.out, "\"Hello, stranger\"\n");
}

TEST_F(TitlekitTest, RunFailureExitsWithTheErrorMessage) {
  Outcome outcome = run({"run", kHello, "nosuch(1)"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "No such handler.\n");

  // A command call of a handler that returns a value.
  outcome = run({"run", kHello, "fib(3)", "--command"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "Commands can't return a value.\n");

  // Standard error names the failing statement's line and its handler.
  WriteFile(
      file("div.lws"),
      "code outer()\n\treturn half(4) + 1\nendcode\n\ncode half(n)\n\treturn n / 0\nendcode\n");
  outcome = run({"run", file("div.lws"), "outer()"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "Divide by zero.\n");
  EXPECT_EQ(outcome.err, file("div.lws").string() + ":6: in half: Divide by zero.\n");
}

TEST_F(TitlekitTest, RunCommandCallGivesOk) {
  WriteFile(file("cmd.lws"), "code setup()\n\tglobal ready\n\tready = true\nendcode\n");
  Outcome outcome = run({"run", file("cmd.lws"), "setup()", "--command"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "OK\n");
}

TEST_F(TitlekitTest, EvalReachesTheSystemScriptOfACompiledFile) {
  Outcome outcome = run({"compile", kHello, "-o", file("hello.lwc")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  outcome = run({"eval", "--script", file("hello.lwc"), "sendtobootfx(fib(10))",
                 "sendtobootfx(greet(\"Ann\"))"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "55\n\"Hello, Ann\"\n");

  // The same line without a system script finds no handler.
  EXPECT_EQ(eval({"sendtobootfx(fib(10))"}), "No such handler.\n");
}

TEST_F(TitlekitTest, WrongArgumentsPrintUsageAndExitTwo) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"bogus"},
                                             {"compile"},
                                             {"compile", "a", "b"},
                                             {"compile", "a", "-o"},
                                             {"run", kHello},
                                             {"run", kHello, "1 + 2"},
                                             {"eval", "--script"}}) {
    Outcome outcome = run(args);
    EXPECT_EQ(outcome.status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(outcome.err.find("usage: "), std::string::npos) << outcome.err;
  }
}

TEST_F(TitlekitTest, HelpListsTheSubcommands) {
  for (const char* word : {"--help", "help"}) {
    Outcome outcome = run({word});
    EXPECT_EQ(outcome.status, 0);
    for (const char* command : {"compile", "eval", "run"}) {
      EXPECT_NE(outcome.out.find(std::string("titlekit ") + command), std::string::npos);
    }
  }
}

}  // namespace

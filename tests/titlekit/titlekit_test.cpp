// titlekit as a program: its subcommands run as child processes, with their standard output,
// standard error and exit status checked.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/png_image.h"
#include "support/common_math_reference.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kHello = std::string(EXAMPLES_DIR) + "/hello.lws";

// What one run of titlekit gave back.
struct Outcome {
  int status = -1;  // -1 when it did not exit normally
  std::string out, err;
};

class TitlekitTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_); }
  void TearDown() override { fs::remove_all(dir_); }

  std::string file(const std::string& name) const { return (dir_ / name).string(); }

  // Runs titlekit with `args` and `input` on its standard input.
  Outcome run(const std::vector<std::string>& args, std::string_view input = "") const {
    WriteFile(file("stdin"), input);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, file("stdin").c_str(), O_RDONLY, 0);
    for (int fd : {1, 2}) {
      posix_spawn_file_actions_addopen(&actions, fd, file(std::to_string(fd)).c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    std::vector<std::string> all = {TITLEKIT_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int wstatus = 0;
    const bool ran =
        posix_spawn(&pid, TITLEKIT_PATH, &actions, nullptr, argv.data(), environ) == 0 &&
        waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus);
    posix_spawn_file_actions_destroy(&actions);
    return {ran ? WEXITSTATUS(wstatus) : -1, ReadFile(file("1")), ReadFile(file("2"))};
  }

  // Runs titlekit and compares its exit status, standard output and standard error.
  void expect(const std::vector<std::string>& args, int status, std::string_view out,
              std::string_view err = "", std::string_view input = "") const {
    const Outcome got = run(args, input);
    const std::string what = args.empty() ? "" : args.back();
    EXPECT_EQ(got.status, status) << what << ": " << got.err;
    EXPECT_EQ(got.out, out) << what;
    EXPECT_EQ(got.err, err) << what;
  }

 private:
  // One directory per test process: tests within a process run one after another.
  const fs::path dir_ = fs::temp_directory_path() / ("titlekit_test_" + std::to_string(getpid()));
};

TEST_F(TitlekitTest, EvalShowsOutcomesAsTheMessageBoxDoes) {
  expect({"eval", "2 + 3 * 4", "7 / -2", "not 1", "\"Hello, \" @ \"world\"", "undefinedname"}, 0,
         "14\n-3\nBad argument type.\n\"Hello, world\"\nNo such variable.\n");
  // Globals persist from line to line; UTF-8 converts to and from Mac Roman.
  expect({"eval", "global g", "g = 5", "g * 2", "1 ≠ 2", "2 ≥ 3", "\"café — …\""}, 0,
         "OK\nOK\n10\nTrue\nFalse\n\"café — …\"\n");
  expect({"eval"}, 0, "OK\nOK\n42\n", "", "global n\r\n\r\n\nn = 40 + 2\nn\n");
  // A line without a Mac Roman form is reported; the other lines still run.
  expect({"eval", "1 + 1", "\"中\"", "2 + 2"}, 1, "2\n4\n",
         "<argument 2>:1:2: character U+4E2D has no Mac Roman form\n");
}

TEST_F(TitlekitTest, EvalSeedsRandomNumbersAndKnowsTheGeometryFunctions) {
  std::string numbers;
  for (std::uint32_t output : lw::testing::ReferenceRandom(1234, 3)) {
    numbers += std::to_string(lw::testing::ReferenceRandomNumber(output, 1000)) + "\n";
  }
  expect({"eval", "--seed", "1234", "random(1000)", "random(1000)", "random(1000)"}, 0, numbers);
  expect({"eval", "calcdist(makepoint(0, 0), makepoint(3, 4))", "calcturn(250, 5, 10)",
          "machinetype()"},
         0, "5\n5\n\"WIN\"\n");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"eval", "--seed"},
                                             {"eval", "--seed", "x"},
                                             {"eval", "--seed", "-1"},
                                             {"eval", "--seed", "4294967296"},
                                             {"eval", "--seed", "1", "--seed", "2", "1"}}) {
    const Outcome outcome = run(args);
    EXPECT_EQ(outcome.status, 2) << args.back();
    EXPECT_NE(outcome.err.find("--seed needs one number"), std::string::npos) << outcome.err;
  }
}

TEST_F(TitlekitTest, CompileWritesTheStoredBlockOrADump) {
  WriteFile(file("key.lws"), "keydown(\"a\")");
  // A compiled file is read back as such and written unchanged.
  expect({"compile", file("key.lws"), "-o", file("key.lwc")}, 0, "");
  expect({"compile", file("key.lwc"), "-o", file("again.lwc")}, 0, "");
  // Tokens name 40, ( 4018, string 32, ) 4019 and end, then the pool.
  const std::string expected(
      "\x05\0\x28\0\0\0\0\0\xB2\x0F\0\0\0\0\0\0\x03\0\x20\0\0\0\0\0\xB3\x0F\0\0\0\0\0\0"
      "\0\0\0\0\0\0\0\0\x07keydown\001a",
      50);
  EXPECT_EQ(ReadFile(file("key.lwc")), expected);
  EXPECT_EQ(ReadFile(file("again.lwc")), expected);

  WriteFile(file("key.lws"), "keydown(\"a\")\r\n\tx ≠ 12\n");
  const std::string dump = run({"compile", file("key.lws")}).out;
  for (const char* line : {"0000  05 00 50 00 00 00 00 00  name \"keydown\"\n", "  line end 1\n",
                           "0030  49 1f 00 00 00 00 00 00  ≠\n", "0050  07 6b 65 79 64 6f 77"}) {
    EXPECT_NE(dump.find(line), std::string::npos) << line << " in\n" << dump;
  }
}

TEST_F(TitlekitTest, CompileReportsWhereTheSourceIsWrong) {
  const std::string wide = file("wide.lws"), quote = file("quote.lws"), cut = file("cut.lwc");
  WriteFile(wide, "code f()\n\treturn \"中\"\nendcode\n");
  WriteFile(quote, "code f()\r\n\treturn \"ab\r\nendcode\r\n");
  WriteFile(cut, std::string("\x05\0\x28\0\0", 5));
  expect({"compile", wide}, 1, "", wide + ":2:10: character U+4E2D has no Mac Roman form\n");
  expect({"compile", quote}, 1, "", quote + ":2:10: Tokenization error.\n");
  expect({"compile", cut}, 1, "",
         cut + ": truncated token 0 (block of 5 bytes, no end token before it)\n");
  expect({"compile", file("none.lws")}, 1, "", file("none.lws") + ": No such file or directory\n");
}

TEST_F(TitlekitTest, RunCallsAHandlerAndExitsOneWhenItFails) {
  const std::string div = file("div.lws");
  WriteFile(div,
            "code outer()\n\treturn half(4) + 1\nendcode\n\ncode half(n)\n\treturn n / 0\n"
            "endcode\ncode setup()\n\tglobal ready\n\tready = true\nendcode\n");
  expect({"run", kHello, "fib(20)"}, 0, "6765\n");
  expect({"run", kHello, "main()"}, 0, "\"Hello, Loomwork — fib(20) = 6765\"\n");
  expect({"run", div, "setup()", "--command"}, 0, "OK\n");
  expect({"run", kHello, "nosuch(1)"}, 1, "No such handler.\n");
  // Standard error names the failing statement's line and its handler.
  expect({"run", kHello, "fib(3)", "--command"}, 1, "Commands can't return a value.\n",
         kHello + ":10: in fib: Commands can't return a value.\n");
  expect({"run", div, "outer()"}, 1, "Divide by zero.\n", div + ":6: in half: Divide by zero.\n");
}

TEST_F(TitlekitTest, EvalReachesTheSystemScriptOfACompiledFile) {
  const std::string compiled = file("hello.lwc");
  expect({"compile", kHello, "-o", compiled}, 0, "");
  expect({"eval", "--script", compiled, "sendtobootfx(fib(10))", "sendtobootfx(greet(\"\"))"}, 0,
         "55\n\"Hello, stranger\"\n");
  expect({"eval", "sendtobootfx(fib(10))"}, 0, "No such handler.\n");  // no system script
}

TEST_F(TitlekitTest, EvalInsideATitleHasTheRuntimesBuiltIns) {
  // A title made with `bootfile`: its boot() has run before the lines.
  const std::string title = file("title");
  fs::create_directories(title);
  WriteFile(file("system.lws"), "code boot()\n\tglobal booted\n\tbooted = 7\nendcode\n");
  expect({"bootfile", file("system.lws"), "-o", title + "/bootfile"}, 0, "");
  expect({"eval", "--title", title, "booted", "path(1)", "findfile(\"bootfile\")",
          "cursor(\"nosuch\")", "button()", "sendtobootfx(nosuch())"},
         0, "7\n\"appl:\"\nTrue\nResource not found.\nFalse\nNo such handler.\n");
  // Without a title the runtime's built-ins are not there.
  expect({"eval", "button()"}, 0, "Bad name.\n");
  expect({"eval", "--title", file("nosuch"), "1"}, 1, "",
         "titlekit eval: " + file("nosuch") + ": no such folder\n");
  const Outcome both = run({"eval", "--title", title, "--script", kHello, "1"});
  EXPECT_EQ(both.status, 2);
}

TEST_F(TitlekitTest, StarBuildsAndInspectsAStarFile) {
  const std::string star = file("s.str"), script = file("hello.lwc"), small = file("small.bin");
  expect({"compile", kHello, "-o", script}, 0, "");
  const std::size_t scriptBytes = ReadFile(script).size();
  WriteFile(small, std::string(57, 'x'));

  expect({"star", "new", star, "--records", "100", "--type", "RTDO"}, 0, "");
  EXPECT_EQ(fs::file_size(star), 1536u);
  EXPECT_EQ(ReadFile(star).substr(32, 8), "ODTRTRWL");  // codes stored as little-endian numbers
  expect({"star", "info", star}, 0,
         "version: 0x00010000\nfile end: 1536\nfree bytes: 0\nfree blocks: 0\n"
         "index capacity: 128\nnext id: 0\nfree ids: 0\nfree id head: 0\ntype: RTDO\n"
         "creator: LWRT\n");
  expect({"star", "add", star, script}, 0, "0\n");
  expect({"star", "add", star, small}, 0, "1\n");
  const std::size_t second = 1536 + 64 * ((scriptBytes + 71) / 64);
  expect({"star", "ls", star}, 0,
         "0 1536 " + std::to_string(scriptBytes) + "\n1 " + std::to_string(second) + " 57\n");
  expect({"star", "get", star, "1"}, 0, std::string(57, 'x'));

  // A longer record moves to the end; its old block becomes a free run.
  WriteFile(small, std::string(200, 'y'));
  expect({"star", "put", star, "1", small}, 0, "");
  expect({"star", "get", star, "1", "-o", file("out.bin")}, 0, "");
  EXPECT_EQ(ReadFile(file("out.bin")), std::string(200, 'y'));
  EXPECT_NE(
      run({"star", "info", star}).out.find("free block 0: " + std::to_string(second) + " 128\n"),
      std::string::npos);
  expect({"star", "check", star}, 0, "ok\n");

  // Stored scripts run through the compiled-script cache.
  expect({"run", star + "#0", "fib(20)"}, 0, "6765\n");
  expect({"eval", "--script", star + "#0", "sendtobootfx(fib(10))"}, 0, "55\n");
  expect({"run", star + "#1", "main()"}, 1, "", star + "#1: no end token\n");
}

TEST_F(TitlekitTest, StarReportsTheLayersErrorCodes) {
  const std::string star = file("s.str"), bad = file("bad.str");
  expect({"star", "new", star}, 0, "");
  expect({"star", "get", star, "0"}, 1, "", "error 100\n");  // no record handed out yet
  expect({"star", "info", file("missing.str")}, 1, "", "error 107\n");
  std::string bytes = ReadFile(star);
  WriteFile(bad, bytes + "z");
  expect({"star", "check", bad}, 1, "", "error 101\n");  // file end differs from the size
  bytes[2] = 2;
  WriteFile(bad, bytes.substr(0, 100));
  expect({"star", "ls", bad}, 1, "", "error 106\n");  // the version is checked first
}

TEST_F(TitlekitTest, FramesAndPalettesGoFromPicturesToRecordsAndBack) {
  using lw::IndexedImage;
  IndexedImage first{16, 8, std::vector<std::uint8_t>(16 * 8), {}};
  for (std::size_t i = 0; i < first.pixels.size(); ++i)
    first.pixels[i] = static_cast<std::uint8_t>(i % 7);
  for (std::size_t i = 0; i < first.palette.size(); ++i)
    first.palette[i] = {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i)};
  IndexedImage second = first;
  second.pixels[3 * 16 + 5] = 200;
  ASSERT_FALSE(lw::WritePng(file("a.png"), first));
  ASSERT_FALSE(lw::WritePng(file("b.png"), second));

  const Outcome key = run({"frame", "encode", file("a.png"), "-o", file("a.frm")});
  EXPECT_EQ(key.status, 0) << key.err;
  EXPECT_EQ(key.out.rfind("key frame: 16 x 8, ", 0), 0u) << key.out;
  const Outcome diff =
      run({"frame", "encode", file("b.png"), "--prev", file("a.png"), "-o", file("b.frm")});
  EXPECT_EQ(diff.status, 0) << diff.err;
  EXPECT_EQ(diff.out.rfind("difference frame: 16 x 8, ", 0), 0u) << diff.out;
  EXPECT_LT(fs::file_size(file("b.frm")), fs::file_size(file("a.frm")));
  EXPECT_EQ(run({"frame", "encode", file("a.png"), "--smallest", "-o", file("s.frm")}).status, 0);
  EXPECT_LE(fs::file_size(file("s.frm")), fs::file_size(file("a.frm")));

  // Decoded onto the first picture, the difference frame gives the second, in the first's colours.
  EXPECT_EQ(
      run({"frame", "decode", file("b.frm"), "--onto", file("a.png"), "-o", file("b2.png")}).status,
      0);
  auto decoded = lw::ReadPng(file("b2.png"));
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ(decoded->pixels, second.pixels);
  EXPECT_EQ(decoded->palette, first.palette);

  expect({"palette", "from-png", file("a.png"), "-o", file("a.clut")}, 0, "");
  EXPECT_EQ(fs::file_size(file("a.clut")), 2056u);
  expect({"palette", "to-png", file("a.clut"), "-o", file("chart.png")}, 0, "");
  auto chart = lw::ReadPng(file("chart.png"));
  ASSERT_TRUE(chart.ok()) << chart.error();
  EXPECT_EQ(chart->palette, first.palette);

  // A difference frame needs a previous picture of the same size; a colour table has one size.
  ASSERT_FALSE(
      lw::WritePng(file("small.png"), IndexedImage{4, 4, std::vector<std::uint8_t>(16), {}}));
  EXPECT_EQ(
      run({"frame", "encode", file("b.png"), "--prev", file("small.png"), "-o", file("x")}).status,
      1);
  EXPECT_EQ(run({"palette", "to-png", file("a.png"), "-o", file("x.png")}).status, 1);
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
                                             {"eval", "--script"},
                                             {"star", "new"},
                                             {"star", "get", "x.str", "-1"},
                                             {"star", "new", "x.str", "--type", "TOOLONG"}}) {
    const Outcome outcome = run(args);
    EXPECT_EQ(outcome.status, 2) << (args.empty() ? "" : args.back());
    EXPECT_NE(outcome.err.find("usage: "), std::string::npos) << outcome.err;
  }
  const Outcome help = run({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("titlekit run FILE CALL"), std::string::npos) << help.out;
}

}  // namespace

// titlekit bootfile as a program: the line table it writes beside the system script, and the
// old boot file left as it was when a build fails.
#include <string>
#include <vector>

#include "support/common_program_run.h"

namespace lw::titlekit {
namespace {

class BootfileTest : public test::ProgramTest {
 protected:
  BootfileTest() : ProgramTest(TITLEKIT_PATH) {}
};

TEST_F(BootfileTest, SourceGetsALineTableAsTheLastRecord) {
  // Tokens: code boot ( ) line-end on line 1, endcode and its line end on line 2, the end token
  // after the last line end on line 3.
  const std::string system = write("system.lws", "code boot()\nendcode\n");
  expect({"bootfile", system, "-o", file("bootfile")}, 0, "");
  const std::string table(
      "LWLT\1\0\1\0"                      // magic, version 1, one script
      "\1\0\0\0\x08\0\0\0\3\0\0\0"        // record 1, 8 tokens, 3 runs
      "\0\0\0\0\1\0\0\0\5\0\0\0\2\0\0\0"  // (token 0, line 1) (token 5, line 2)
      "\7\0\0\0\3\0\0\0",                 // (token 7, line 3)
      44);
  expect({"star", "get", file("bootfile"), "2"}, 0, table);
  // A compiled script has no lines to tell: no record 2.
  expect({"compile", system, "-o", file("system.lwc")}, 0, "");
  expect({"bootfile", file("system.lwc"), "-o", file("compiled")}, 0, "");
  EXPECT_EQ(run({"star", "get", file("compiled"), "2"}).status, 1);
}

TEST_F(BootfileTest, AFailedBuildKeepsTheOldBootFile) {
  const std::string good = write("good.lws", "code boot()\nendcode\n");
  const std::string bad = write("bad.lws", "code boot()\n\tx = \"open\nendcode\n");
  expect({"bootfile", good, "-o", file("bootfile")}, 0, "");
  const std::vector<std::uint8_t> before = bytes("bootfile");
  const struct {
    std::vector<std::string> args;
    std::string err;
  } failures[] = {
      {{"bootfile", bad, "-o", file("bootfile")},
       bad +
           ":2:6: error: text literal not closed on its line: add '\"'\n\tx = \"open\n\t    ^\n"
           "titlekit bootfile: the old " +
           file("bootfile") + " was kept\n"},
      {{"bootfile", file("none.lws"), "-o", file("bootfile")},
       file("none.lws") + ": No such file or directory\ntitlekit bootfile: the old " +
           file("bootfile") + " was kept\n"},
      {{"bootfile", good, "-o", file("no/such/folder/bootfile")},
       "titlekit bootfile: " + file("no/such/folder/bootfile") +
           ": error 107\ntitlekit bootfile: no " + file("no/such/folder/bootfile") +
           " was written\n"},
  };
  for (const auto& f : failures) expect(f.args, 1, "", f.err);
  EXPECT_EQ(bytes("bootfile"), before);
  EXPECT_EQ(text("bootfile.partial"), "");  // no temporary file is left behind
}

}  // namespace
}  // namespace lw::titlekit

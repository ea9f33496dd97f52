// The built-ins of settings and status as a title sees them: path slots, the result text, the
// movie wait, the volume, the flags, the file search, memory and cache figures, run from system
// scripts and from lines typed into the message box of a booted title.
#include <gtest/gtest.h>

#include <string>

#include "runtime/builtins_settings.h"
#include "script/console.h"
#include "title_fixture.h"

namespace lw::testing {
namespace {

constexpr std::string_view kBadType = "Bad argument type.";
constexpr std::string_view kNoObject = "No such object.";

struct LineCase {
  std::string_view line, outcome;
};

// A booted title whose message box runs the lines of a test. The box tries a property line as
// a read first and as a write when the read fails.
class SettingsBuiltinsTest : public TitleTest {
 protected:
  void SetUp() override {
    UseScript(kRecordingScript);
    run_ = std::make_unique<TitleRun>(title(), "");
    ASSERT_TRUE(run_->runtime().Begin());
  }
  void TearDown() override { run_->runtime().End(); }

  // Runs the lines in order, each with the outcome the box must show.
  void Expect(std::initializer_list<LineCase> cases) {
    Interpreter& in = *runtime().interpreter();
    for (const LineCase& c : cases) {
      in.beginPass();
      EXPECT_EQ(RunConsoleLine(in, c.line), c.outcome) << c.line;
    }
  }
  Runtime& runtime() { return run_->runtime(); }

  std::unique_ptr<TitleRun> run_;
};

TEST_F(SettingsBuiltinsTest, PathSlotsOneToEightAreWritten) {
  Expect({{"path(1)", "\"appl:\""},
          {"path(2, \"appl:art:\")", "OK"},
          {"path(2)", "\"appl:art:\""},
          {"path(8, \"cd:movies:\")", "OK"},
          {"path(0, \"x:\")", kNoObject},
          {"path(9, \"x:\")", kNoObject},
          {"path(1, 5)", kBadType},
          {"path(\"1\", \"x:\")", kBadType}});
  EXPECT_EQ(runtime().pathSlots()->get(8), "cd:movies:");
  EXPECT_EQ(runtime().pathSlots()->get(0), "appl:") << "slot 0 is the boot file's";
  EXPECT_EQ(runtime().pathSlots()->get(1), "appl:");
}

TEST_F(SettingsBuiltinsTest, ResultKeyabortsAndMenuvisibleKeepWhatIsSet) {
  Expect({{"result()", "\"\""},
          {"result(\"stage\")", "OK"},
          {"result(5)", kBadType},
          {"result()", "\"stage\""},
          {"keyaborts()", "False"},
          {"keyaborts(true)", "OK"},
          {"keyaborts(0)", kBadType},
          {"menuvisible()", "False"},
          {"menuvisible(true)", "OK"},
          {"menuvisible()", "True"},
          {"menuvisible(\"yes\")", kBadType}});
  EXPECT_EQ(runtime().interpreter()->resultText.view(), "stage");
  EXPECT_TRUE(runtime().interpreter()->keyaborts);
}

TEST_F(SettingsBuiltinsTest, FramerateClampsAndWavevolumeRefusesLevelsBeyondNine) {
  Expect({{"framerate()", "3"},
          {"framerate(99)", "OK"},
          {"framerate()", "60"},
          {"framerate(-5)", "OK"},
          {"framerate()", "0"},
          {"framerate(12)", "OK"},
          {"framerate(\"fast\")", kBadType},
          {"wavevolume()", "9"},
          {"wavevolume(0)", "OK"},
          {"wavevolume()", "0"},
          {"wavevolume(4)", "OK"},
          {"wavevolume(10)", kNoObject},
          {"wavevolume(-1)", kNoObject},
          {"wavevolume(\"4\")", kBadType},
          {"wavevolume()", "4"}});
  EXPECT_EQ(runtime().settings().movieWait, 12);
}

TEST_F(SettingsBuiltinsTest, StatusFunctionsReadTheRuntime) {
  Expect({{"frame()", "0"}, {"actionframe(2)", "False"}});
  runtime().settings().frameCounter = 42;
  runtime().settings().movieStatus = 2;
  runtime().memory().overrideAvailable(123456);
  Expect({{"frame()", "42"},
          {"actionframe(1)", "False"},
          {"actionframe(2)", "True"},
          {"actionframe(0)", kBadType},
          {"actionframe(3)", kBadType},
          {"actionframe(\"2\")", kBadType},
          {"freemem()", "123456"}});
  runtime().memory().overrideAvailable(std::uint64_t{1} << 40);
  Expect({{"freemem()", "2147483647"}});

  // Without an open set cacheinfo fails before it looks at n; with one it counts the open star
  // files (the boot file alone) and checks n.
  Expect({{"cacheinfo(1)", "Scene lib open/close error."},
          {"cacheinfo(9)", "Scene lib open/close error."}});
  runtime().settings().setOpen = true;
  Expect({{"cacheinfo(1)", "1"}, {"cacheinfo(6)", kBadType}, {"cacheinfo(\"1\")", kBadType}});

  Expect({{"error()", "Runtime user error."},
          {"debugger()", "OK"},
          {"exportclut()", "OK"},
          {"exportclut(1)", "Expected paren '(' or ')'."}});
}

// Titles whose system scripts use the built-ins themselves.
class SettingsScriptTest : public TitleTest {
 protected:
  // The failure of `expression` evaluated in boot(); None when it succeeds.
  ScriptError BootFailure(std::string_view expression) {
    UseScript("code boot()\n\tglobal v\n\tv = " + std::string(expression) + "\nendcode\n");
    TitleRun run(title(), "");
    EXPECT_TRUE(run.runtime().Begin());
    run.runtime().loop().Pass();
    const Interpreter& in = *run.runtime().interpreter();
    const ScriptError failure = in.errorPending() ? in.errorContext().errorCode : ScriptError::None;
    run.runtime().End();
    return failure;
  }
};

TEST_F(SettingsScriptTest, PathReadsOnlySlotsOneToEight) {
  EXPECT_EQ(BootFailure("path(8)"), ScriptError::None);
  EXPECT_EQ(BootFailure("path(0)"), ScriptError::NoSuchObject);
  EXPECT_EQ(BootFailure("path(9)"), ScriptError::NoSuchObject);
  EXPECT_EQ(BootFailure("path(true)"), ScriptError::BadArgumentType);
  EXPECT_EQ(BootFailure("findfile(3)"), ScriptError::BadArgumentType);
}

// findfile searches slots 1..8 in order; slot 0 (the boot file's) is not searched.
TEST_F(SettingsScriptTest, FindfileSearchesPathSlotsOneToEight) {
  scratch_.writeFile("title/top.dat", "top");
  scratch_.writeFile("title/art/pic.dat", "pic");
  scratch_.makeFolder("title/empty");
  std::string script =
      "code boot()\n\tglobal top, pic, topaway, piclast, missing\n"
      "\ttop = findfile(\"top.dat\")\n\tpic = findfile(\"pic.dat\")\n";
  for (int slot = 1; slot <= 7; ++slot) {
    script += "\tpath(" + std::to_string(slot) + ", \"appl:empty:\")\n";
  }
  script +=
      "\tpath(8, \"appl:art:\")\n\ttopaway = findfile(\"top.dat\")\n"
      "\tpiclast = findfile(\"pic.dat\")\n\tmissing = findfile(\"none.dat\")\nendcode\n";
  UseScript(script);
  TitleRun run(title(), "");
  ASSERT_TRUE(run.runtime().Begin());
  run.runtime().loop().Pass();
  ASSERT_FALSE(run.runtime().interpreter()->errorPending());
  EXPECT_EQ(run.Global("top"), 1);
  EXPECT_EQ(run.Global("pic"), 0);
  EXPECT_EQ(run.Global("topaway"), 0);
  EXPECT_EQ(run.Global("piclast"), 1);
  EXPECT_EQ(run.Global("missing"), 0);
  run.runtime().End();
}

// The cache figures count over every open star file: records held by a user are locked, the
// ones kept after their release are not.
TEST(CacheFigureTest, CountsLockedAndUnlockedRecordsOfOpenFiles) {
  test::TempFolder scratch;
  const std::string path = (scratch.makeFolder("lib") / "data.stl").string();
  TerminalBoxes boxes(nullptr);
  MessageTexts texts;
  LastPlatformError lastError;
  VolumeMap volumes;
  FileAccess files(volumes, boxes, texts, lastError);
  ErrorReporter errors(boxes, texts, lastError);
  StampCounter stamps;
  StarLibrary library(files, errors, stamps, [] { return std::uint64_t{1} << 32; });
  ASSERT_FALSE(
      Failed(StarFile::Create(files, path, 4, FourCharCode("STAR"), FourCharCode("LWRT"))));
  StarFile* file = nullptr;
  ASSERT_FALSE(Failed(library.StarOpen(path, file)));
  std::int32_t small = 0, large = 0;
  ASSERT_FALSE(Failed(library.StarAddResource(*file, std::vector<std::uint8_t>(10), small)));
  ASSERT_FALSE(Failed(library.StarAddResource(*file, std::vector<std::uint8_t>(300), large)));
  RecordBlock* block = nullptr;
  ASSERT_FALSE(Failed(library.StarGetResource(*file, large, block)));
  ASSERT_FALSE(Failed(library.StarGetResource(*file, small, block)));
  ASSERT_FALSE(Failed(library.StarReleaseResource(*file, small)));

  EXPECT_EQ(CacheFigure(library, cache_figure::kOpenFiles), 1);
  EXPECT_EQ(CacheFigure(library, cache_figure::kLockedBytes), 300);
  EXPECT_EQ(CacheFigure(library, cache_figure::kUnlockedBytes), 10);
  EXPECT_EQ(CacheFigure(library, cache_figure::kLockedRecords), 1);
  EXPECT_EQ(CacheFigure(library, cache_figure::kUnlockedRecords), 1);
  EXPECT_EQ(CacheFigure(library, 0), std::nullopt);
  EXPECT_EQ(CacheFigure(library, 6), std::nullopt);
  ASSERT_FALSE(Failed(library.StarReleaseResource(*file, large)));
  EXPECT_EQ(CacheFigure(library, cache_figure::kUnlockedBytes), 310);
  ASSERT_FALSE(Failed(library.StarClose(*file)));
}

}  // namespace
}  // namespace lw::testing

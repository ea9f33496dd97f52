// The built-ins of settings and status as line tables typed into a booted title's message box:
// path slots, movie wait, volume, file search, frame, memory and cache figures.
#include <gtest/gtest.h>

#include <string>

#include "support/runtime_title.h"

namespace lw::testing {
namespace {

constexpr std::string_view kBadType = "Bad argument type.";
constexpr std::string_view kNoObject = "No such object.";

// Handlers that read a path slot and search for a file, so that lines can try the property read
// alone (the box tries a failed read again as a write) and inside a handler.
constexpr std::string_view kScript =
    "code readpath(n)\n\treturn path(n)\nendcode\n"
    "code find(name)\n\treturn findfile(name)\nendcode\n";

// A booted title whose message box runs the lines of a test.
class SettingsBuiltinsTest : public TitleTest {
 protected:
  void SetUp() override { Boot(kScript); }
};

// Path slots 1 to 8 are the title's; the frame rate is clamped to 0..60, and a volume beyond
// 0..9 is no volume. findfile searches the slots (their order is the file locator's).
TEST_F(SettingsBuiltinsTest, PropertiesReadBackWhatIsWrittenWithinTheirRanges) {
  scratch_.writeFile("title/top.dat", "top");
  scratch_.writeFile("title/art/pic.dat", "pic");
  run_->Expect({{"path(1)", "\"appl:\""},
                {"path(8, \"cd:movies:\")", "OK"},
                {"sendtobootfx(readpath(8))", "\"cd:movies:\""},
                {"sendtobootfx(readpath(0))", kNoObject},
                {"sendtobootfx(readpath(9))", kNoObject},
                {"path(0, \"x:\")", kNoObject},
                {"path(9, \"x:\")", kNoObject},
                {"path(1, 5)", kBadType},
                {"findfile(\"top.dat\")", "True"},
                {"sendtobootfx(find(\"top.dat\"))", "True"},
                {"findfile(\"pic.dat\")", "False"},
                {"path(8, \"appl:art:\")", "OK"},
                {"findfile(\"pic.dat\")", "True"},
                {"sendtobootfx(find(3))", kBadType},
                {"framerate()", "3"},
                {"framerate(99)", "OK"},
                {"framerate()", "60"},
                {"framerate(\"fast\")", kBadType},
                {"framerate(-5)", "OK"},
                {"framerate()", "0"},
                {"wavevolume()", "9"},
                {"wavevolume(9)", "OK"},
                {"wavevolume(0)", "OK"},
                {"wavevolume(10)", kNoObject},
                {"wavevolume(-1)", kNoObject},
                {"wavevolume(\"4\")", kBadType},
                {"wavevolume()", "0"}});
  EXPECT_EQ(runtime().pathSlots()->get(0), "appl:") << "slot 0 is the boot file's";
  EXPECT_EQ(runtime().settings().movieWait, 0) << "the movie player reads what scripts set";
}

TEST_F(SettingsBuiltinsTest, StatusFunctionsReadTheRuntime) {
  runtime().settings().frameCounter = 42;
  runtime().settings().movieStatus = 2;
  runtime().memory().overrideAvailable(123456);
  run_->Expect({{"frame()", "42"},
                {"actionframe(1)", "False"},
                {"actionframe(2)", "True"},
                {"actionframe(0)", kBadType},
                {"actionframe(3)", kBadType},
                {"actionframe(\"2\")", kBadType},
                {"freemem()", "123456"}});
  runtime().memory().overrideAvailable(std::uint64_t{1} << 40);
  run_->Expect({{"freemem()", "2147483647"}, {"error()", "Runtime user error."}});
}

// cacheinfo asks only while a set is open, and checks that before n. Its figures count over
// every open star file (the boot file, whose records no line has read, and one more): records
// held by a user are locked, the ones kept after their release are not.
TEST_F(SettingsBuiltinsTest, CacheinfoCountsTheRecordsOfOpenStarFiles) {
  run_->Expect({{"cacheinfo(\"1\")", "Scene lib open/close error."}});
  StarLibrary& library = runtime().library();
  const std::string path = "appl:data.stl";
  ASSERT_FALSE(Failed(
      StarFile::Create(runtime().files(), path, 4, FourCharCode("STAR"), FourCharCode("LWRT"))));
  StarFile* file = nullptr;
  ASSERT_FALSE(Failed(library.StarOpen(path, file)));
  std::int32_t small = 0, large = 0;
  RecordBlock* block = nullptr;
  ASSERT_FALSE(Failed(library.StarAddResource(*file, std::vector<std::uint8_t>(10), small)));
  ASSERT_FALSE(Failed(library.StarAddResource(*file, std::vector<std::uint8_t>(300), large)));
  ASSERT_FALSE(Failed(library.StarGetResource(*file, large, block)));
  ASSERT_FALSE(Failed(library.StarGetResource(*file, small, block)));
  ASSERT_FALSE(Failed(library.StarReleaseResource(*file, small)));
  runtime().settings().setOpen = true;
  run_->Expect({{"cacheinfo(1)", "2"},
                {"cacheinfo(2)", "300"},
                {"cacheinfo(3)", "10"},
                {"cacheinfo(4)", "1"},
                {"cacheinfo(5)", "1"},
                {"cacheinfo(0)", kBadType},
                {"cacheinfo(6)", kBadType}});
  ASSERT_FALSE(Failed(library.StarReleaseResource(*file, large)));
  ASSERT_FALSE(Failed(library.StarClose(*file)));
}

}  // namespace
}  // namespace lw::testing

// titleplayer's call trace as a terminal shows it: control characters of the call texts escaped,
// Return named so that the title hears it, and a failed call followed by its error line; and its
// present trace.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "apps/titleplayer/player.h"
#include "support/runtime_title.h"

namespace lw::titleplayer {
namespace {

TEST(PlayerTraceTest, ControlKeysAreEscapedAndErrorsFollowTheirCall) {
  test::TempFolder scratch;
  const std::string title = scratch.makeFolder("keys").string();
  testing::WriteBootFile(title,
                         "code keydown(key)\n\tif key = \"return\"\n\t\tnosuch()\n\tendif\n"
                         "endcode\n");
  const std::string input =
      scratch.writeFile("input", "key tab\nkey backspace\nkey return\nkey é").string();
  const std::vector<std::string_view> args = {
      "--headless", "--trace-calls", "--input", input, "--ticks", "30", title};
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Main(args), kExitOk);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "boot()\nkeydown(\"\\x09\")\nkeydown(\"\\x08\")\nkeydown(\"return\")\n"
            "error: in keydown (Boot Message, line 3): No such handler.\nkeydown(\"é\")\n");
  EXPECT_EQ(said, "keys: in keydown (Boot Message, line 3): No such handler.\n");
}

// Every rectangle presented, with its tick: the palette shows the whole canvas at the start, the
// first paint fills the four strips around the stage, and the first frame after it (idle() calls
// forceupdate) is the whole screen, 3 ticks after the frame before it. A scrolling effect's piece
// tells where in the picture it came from: the stage's right strip, 512 / 16 + 1 columns wide,
// shown at its left edge.
TEST(PlayerTraceTest, PresentTraceGivesEachRectangleWithItsTick) {
  test::TempFolder scratch;
  const std::string title = scratch.makeFolder("frames").string();
  testing::WriteBootFile(title, "code idle()\n\tforceupdate()\nendcode\n");
  const std::vector<std::string_view> args = {"--headless", "--trace-present", "--ticks", "12",
                                              title};
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(Main(args), kExitOk);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "present 0: 0,0 640,480\n"
            "present 0: 0,0 640,480\n"
            "present 1: 0,0 640,48\n"
            "present 1: 0,432 640,480\n"
            "present 1: 0,48 64,432\n"
            "present 1: 576,48 640,432\n"
            "present 4: 0,0 640,480\n");

  testing::WriteBootFile(title, "code boot()\n\tvisualeffect(scrollright, 1)\nendcode\n");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(Main(args), kExitOk);
  const std::string scrolled = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(scrolled.find(": 64,48 97,432 from 543,48 576,432\npresent "), std::string::npos)
      << scrolled;
}

}  // namespace
}  // namespace lw::titleplayer

// titleplayer's call trace as a terminal shows it: control characters of the call texts escaped,
// Return named so that the title hears it, and a failed call followed by its error line.
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

}  // namespace
}  // namespace lw::titleplayer

#include "shell/message_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

// The error reporter's tests show the name going into each place of a text; these pin the
// name being taken literally.
TEST(MessageTextsTest, TheTitleNameGoesWhereverATextNamesItAndIsTakenLiterally) {
  EXPECT_EQ(MessageTexts("Orrin").text(122), "Orrin:MOVIES:INTRO.MOV");
  EXPECT_EQ(MessageTexts("Orrin").text(2) + MessageTexts("Orrin").text(-1), "");
  // A name that looks like the placeholder is not expanded again.
  EXPECT_EQ(MessageTexts("{title}x").text(157).substr(0, 25), "{title}x has run out of m");
  EXPECT_EQ(MessageTexts("").text(157).substr(0, 20), " has run out of memo");
  // Fields are filled before the name goes in, so a name holding a field stays as it is.
  const std::string read = MessageTexts("%d").format(144, 23);
  EXPECT_EQ(read.substr(0, 35), "%d has encountered a disc read erro");
  EXPECT_NE(read.find("(code 23)"), std::string::npos);
}

}  // namespace
}  // namespace lw

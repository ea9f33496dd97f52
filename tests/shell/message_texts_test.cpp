#include "shell/message_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

TEST(MessageTextsTest, TheTitleNameGoesWhereverATextNamesItAndIsTakenLiterally) {
  const MessageTexts texts("Orrin");
  EXPECT_EQ(texts.text(0), "Orrin");
  EXPECT_EQ(texts.text(122), "Orrin:MOVIES:INTRO.MOV");
  // Every place that names the title gets the name, not only the first.
  EXPECT_EQ(texts.text(154).substr(0, 52),
            "Orrin can't find the file \"BootFile\" in the Orrin di");
  EXPECT_EQ(texts.text(110).find("{title}"), std::string::npos);
  EXPECT_EQ(texts.text(2) + texts.text(-1), "");
  EXPECT_EQ(MessageTexts().text(0), MessageTexts().titleName());

  // A name that looks like the placeholder is not expanded again.
  EXPECT_EQ(MessageTexts("{title}").text(0), "{title}");
  EXPECT_EQ(MessageTexts("{title}x").text(157).substr(0, 25), "{title}x has run out of m");
  EXPECT_EQ(MessageTexts("").text(157).substr(0, 20), " has run out of memo");
  // Fields are filled before the name goes in, so a name holding a field stays as it is.
  const std::string read = MessageTexts("%d").format(144, 23);
  EXPECT_EQ(read.substr(0, 35), "%d has encountered a disc read erro");
  EXPECT_NE(read.find("(code 23)"), std::string::npos);
}

}  // namespace
}  // namespace lw

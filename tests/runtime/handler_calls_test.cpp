// The handler-call texts and the command-key table.
#include "runtime/handler_calls.h"

#include <gtest/gtest.h>

#include "script/token.h"
#include "script/tokenizer.h"

namespace lw {
namespace {

constexpr std::uint8_t kLineEnd = '\r';

TEST(HandlerCallsTest, TextsHaveTheirDocumentedForms) {
  EXPECT_EQ(KeyDownCall('a'), "keydown(\"a\")");
  EXPECT_EQ(KeyRepeatCall('Z'), "keyrepeat(\"Z\")");
  EXPECT_EQ(KeyDownCall(30), "keydown(\"uparrow\")");
  EXPECT_EQ(KeyRepeatCall(31), "keyrepeat(\"downarrow\")");
  EXPECT_EQ(KeyDownCall(28), "keydown(\"leftarrow\")");
  EXPECT_EQ(KeyDownCall(29), "keydown(\"rightarrow\")");
  EXPECT_EQ(KeyDownCall('"'), "keydown(\"quote\")");
  EXPECT_EQ(MenuSelectCall("volume 3"), "menuselect(\"volume 3\")");
  EXPECT_EQ(MouseDownCall(655380), "mousedown(655380)");
  EXPECT_EQ(MouseDownCall(-4128816), "mousedown(-4128816)");
}

// Every key that can reach keydown makes a text that compiles to the call with the key's name
// as its one text argument; only the line end cannot be quoted at all.
TEST(HandlerCallsTest, EveryKeyGivesACallThatCompiles) {
  for (int c = 1; c <= 255; ++c) {
    const auto character = static_cast<std::uint8_t>(c);
    if (character == kLineEnd) continue;
    auto call = CompileScriptText(KeyDownCall(character));
    ASSERT_TRUE(call.ok()) << "character " << c;
    const auto tokens = call->tokens();
    ASSERT_EQ(tokens.size(), 5u) << "character " << c;
    EXPECT_EQ(tokens[0].code, tok::kName);
    EXPECT_EQ(call->textOf(0), "keydown");
    EXPECT_EQ(tokens[2].code, tok::kString);
    EXPECT_EQ(call->textOf(2), KeyName(character)) << "character " << c;
  }
}

TEST(HandlerCallsTest, CommandKeysGiveMenuItems) {
  struct Case {
    std::uint8_t key;
    std::string_view item;
  };
  const Case cases[] = {{'0', "volume 0"}, {'5', "volume 5"}, {'9', "volume 9"}, {'q', "quit"},
                        {'Q', "quit"},     {'m', "message"},  {'M', "message"}};
  for (const Case& c : cases) {
    const auto command = CommandForKey(c.key);
    ASSERT_TRUE(command.has_value()) << c.key;
    EXPECT_EQ(MenuItemForCommand(*command), c.item) << c.key;
  }
  for (const int key : {int{'x'}, int{'X'}, int{'.'}, int{'a'}, int{' '}, int{'!'}, 28}) {
    EXPECT_FALSE(CommandForKey(static_cast<std::uint8_t>(key)).has_value()) << key;
  }
  for (const int command : {0, 203, 205, 406, 408, 500, 511}) {
    EXPECT_FALSE(MenuItemForCommand(command).has_value()) << command;
  }
}

}  // namespace
}  // namespace lw

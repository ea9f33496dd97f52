// The handler-call texts and the command-key table.
#include "runtime/handler_calls.h"

#include <gtest/gtest.h>

#include "script/token.h"
#include "script/tokenizer.h"

namespace lw {
namespace {

constexpr std::uint8_t kLineEnd = '\r';

TEST(HandlerCallsTest, TextsHaveTheirDocumentedForms) {
  EXPECT_EQ(KeyDownCall('a') + KeyRepeatCall('Z') + KeyDownCall('"'),
            "keydown(\"a\")keyrepeat(\"Z\")keydown(\"quote\")");
  EXPECT_EQ(KeyDownCall(30) + KeyRepeatCall(31) + KeyDownCall(28) + KeyDownCall(29),
            "keydown(\"uparrow\")keyrepeat(\"downarrow\")keydown(\"leftarrow\")"
            "keydown(\"rightarrow\")");
  EXPECT_EQ(MenuSelectCall("volume 3") + MouseDownCall(655380) + MouseDownCall(-4128816),
            "menuselect(\"volume 3\")mousedown(655380)mousedown(-4128816)");
}

// A handler is found by its name after `code`, in any case, and never by a call of it.
TEST(HandlerCallsTest, HandlersAreFoundByTheirHeaders) {
  const std::pair<std::string_view, bool> scripts[] = {
      {"code menuselect(item)\rendcode\r", true},
      {"code idle()\rendcode\rcode MenuSelect(item)\rendcode\r", true},
      {"code idle()\r\tmenuselect(\"quit\")\rendcode\r", false},
      {"code menuselects(item)\rendcode\r", false},
      {"", false},
  };
  for (const auto& [source, found] : scripts) {
    auto script = CompileScriptText(source);
    ASSERT_TRUE(script.ok()) << source;
    EXPECT_EQ(HasHandler(*script, "menuselect"), found) << source;
  }
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
    EXPECT_TRUE(tokens[0].code == tok::kName && call->textOf(0) == "keydown") << c;
    EXPECT_TRUE(tokens[2].code == tok::kString && call->textOf(2) == KeyName(character)) << c;
  }
}

// Letters in either case; keys without an entry, and command numbers without an item, give none.
TEST(HandlerCallsTest, CommandKeysGiveMenuItems) {
  std::string items;
  for (const char key : std::string_view("059qQmMxX.a !\x1c")) {
    const auto command = CommandForKey(static_cast<std::uint8_t>(key));
    items += command ? std::string(MenuItemForCommand(*command).value_or("?")) + "," : "-,";
  }
  EXPECT_EQ(items, "volume 0,volume 5,volume 9,quit,quit,message,message,-,-,-,-,-,-,-,");
  for (const int command : {0, 203, 205, 406, 408, 500, 511}) {
    EXPECT_FALSE(MenuItemForCommand(command).has_value()) << command;
  }
}

}  // namespace
}  // namespace lw

// Key messages to key events: the cases the window procedure's tests do not reach.
#include "shell/windows/key_translation.h"

#include <gtest/gtest.h>

#include "shell/windows/event_record.h"

namespace lw {
namespace {

using platform::Key;

platform::Message KeyMessage(Key key, std::uint8_t character, bool ctrl) {
  platform::Message message;
  message.kind = platform::MessageKind::kKeyDown;
  message.key = key;
  message.character = character;
  message.modifiers.ctrl = ctrl;
  return message;
}

TEST(KeyTranslationTest, EscapeIsACommandAndKeysWithoutACharacterGiveNothing) {
  for (const bool ctrl : {false, true}) {
    const auto escape = TranslateKey(KeyMessage(Key::kEscape, 27, ctrl));
    ASSERT_TRUE(escape);
    EXPECT_EQ(escape->character, '.');
    EXPECT_EQ(escape->modifiers, event_modifier::kCommand);
    for (const Key key : {Key::kOther, Key::kF2, Key::kF10}) {
      const auto message = KeyMessage(key, 0, ctrl);
      EXPECT_FALSE(TranslateKey(message));
      if (key != Key::kF2 || !ctrl) {
        EXPECT_TRUE(std::holds_alternative<std::monostate>(TranslateKeyDown(message)));
      }
    }
  }
}

TEST(KeyTranslationTest, CtrlFunctionKeysChangeTheCorrectionOnlyWhenPressed) {
  const struct {
    Key key;
    CorrectionKey correction;
  } cases[] = {
      {Key::kF1, {false, true, true, true}},    {Key::kF2, {true, true, true, true}},
      {Key::kF3, {false, true, false, false}},  {Key::kF4, {true, true, false, false}},
      {Key::kF5, {false, false, true, false}},  {Key::kF6, {true, false, true, false}},
      {Key::kF7, {false, false, false, true}},  {Key::kF8, {true, false, false, true}},
      {Key::kF9, {false, false, false, false}},
  };
  for (const auto& c : cases) {
    const KeyPress press = TranslateKeyDown(KeyMessage(c.key, 0, true));
    const auto* correction = std::get_if<CorrectionKey>(&press);
    ASSERT_NE(correction, nullptr);
    EXPECT_EQ(*correction, c.correction);
  }
}

}  // namespace
}  // namespace lw

#include "platform/sdl/sdl_events.h"

#include <gtest/gtest.h>

namespace lw::platform {
namespace {

SDL_Event KeyEvent(std::uint32_t type, SDL_Keycode code, std::uint16_t mod, bool repeat = false) {
  SDL_Event event{};
  event.type = type;
  event.key.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.sym = code;
  event.key.keysym.mod = mod;
  return event;
}

SDL_Event WindowEvent(std::uint8_t what) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = what;
  return event;
}

SDL_Event ButtonEvent(std::uint32_t type, std::uint8_t button, int x, int y) {
  SDL_Event event{};
  event.type = type;
  event.button.button = button;
  event.button.x = x;
  event.button.y = y;
  return event;
}

TEST(SdlEventsTest, KeysBecomeKeyMessages) {
  EventTranslator translator;
  EventMeaning down = translator.translate(KeyEvent(SDL_KEYDOWN, SDLK_a, KMOD_LSHIFT), 0);
  ASSERT_TRUE(down.message);
  EXPECT_EQ(down.message->kind, MessageKind::kKeyDown);
  EXPECT_EQ(down.message->key, Key::kCharacter);
  EXPECT_EQ(down.message->character, 'A');
  EXPECT_FALSE(down.message->repeat);
  EXPECT_TRUE(down.message->modifiers.shift);
  EXPECT_FALSE(down.toggleFullscreen);

  EventMeaning again = translator.translate(KeyEvent(SDL_KEYDOWN, SDLK_a, 0, true), 0);
  ASSERT_TRUE(again.message);
  EXPECT_TRUE(again.message->repeat);
  EXPECT_EQ(again.message->character, 'a');

  EventMeaning up = translator.translate(KeyEvent(SDL_KEYUP, SDLK_ESCAPE, KMOD_LCTRL), 0);
  ASSERT_TRUE(up.message);
  EXPECT_EQ(up.message->kind, MessageKind::kKeyUp);
  EXPECT_EQ(up.message->key, Key::kEscape);
  EXPECT_EQ(up.message->character, 27);
  EXPECT_TRUE(up.message->modifiers.ctrl);
}

TEST(SdlEventsTest, AltEnterSwitchesTheDisplayAndIsNeverAKey) {
  EventTranslator translator;
  EventMeaning press = translator.translate(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT), 0);
  EXPECT_FALSE(press.message);
  EXPECT_TRUE(press.toggleFullscreen);
  EventMeaning held = translator.translate(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT, true), 0);
  EXPECT_FALSE(held.message);
  EXPECT_FALSE(held.toggleFullscreen);
  // The release is dropped even when Alt went up first.
  EXPECT_FALSE(translator.translate(KeyEvent(SDL_KEYUP, SDLK_RETURN, 0), 0).message);
  // The keypad's Enter counts too.
  EXPECT_TRUE(
      translator.translate(KeyEvent(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_RALT), 0).toggleFullscreen);
  EXPECT_FALSE(translator.translate(KeyEvent(SDL_KEYUP, SDLK_KP_ENTER, KMOD_RALT), 0).message);

  // Return alone is an ordinary key, down and up.
  EventMeaning plain = translator.translate(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, 0), 0);
  ASSERT_TRUE(plain.message);
  EXPECT_EQ(plain.message->key, Key::kReturn);
  EXPECT_FALSE(plain.toggleFullscreen);
  EXPECT_TRUE(translator.translate(KeyEvent(SDL_KEYUP, SDLK_RETURN, 0), 0).message);
}

TEST(SdlEventsTest, MouseMessagesCarryClampedCanvasPoints) {
  EventTranslator translator;
  EventMeaning down =
      translator.translate(ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, -5, 700), KMOD_LALT);
  ASSERT_TRUE(down.message);
  EXPECT_EQ(down.message->kind, MessageKind::kButtonDown);
  EXPECT_EQ(down.message->button, MouseButton::kRight);
  EXPECT_EQ(down.message->where.h, 0);
  EXPECT_EQ(down.message->where.v, kCanvasHeight - 1);
  EXPECT_TRUE(down.message->modifiers.alt);

  EventMeaning up =
      translator.translate(ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 100, 50), KMOD_LALT);
  ASSERT_TRUE(up.message);
  EXPECT_EQ(up.message->kind, MessageKind::kButtonUp);
  EXPECT_EQ(up.message->button, MouseButton::kMiddle);
  EXPECT_EQ(up.message->where.h, 100);
  EXPECT_EQ(up.message->where.v, 50);
  EXPECT_FALSE(up.message->modifiers.alt);

  EXPECT_FALSE(
      translator.translate(ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 1), 0).message);

  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = 9000;
  motion.motion.y = 12;
  EventMeaning moved = translator.translate(motion, 0);
  ASSERT_TRUE(moved.message);
  EXPECT_EQ(moved.message->kind, MessageKind::kMouseMove);
  EXPECT_EQ(moved.message->where.h, kCanvasWidth - 1);
  EXPECT_EQ(moved.message->where.v, 12);
}

TEST(SdlEventsTest, FocusMessagesAlternate) {
  EventTranslator translator;
  // A window opens with the focus, so gaining it first says nothing.
  EXPECT_FALSE(translator.translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), 0).message);
  EventMeaning lost = translator.translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), 0);
  ASSERT_TRUE(lost.message);
  EXPECT_EQ(lost.message->kind, MessageKind::kFocusLost);
  EXPECT_FALSE(translator.translate(WindowEvent(SDL_WINDOWEVENT_MINIMIZED), 0).message);
  EventMeaning restored = translator.translate(WindowEvent(SDL_WINDOWEVENT_RESTORED), 0);
  ASSERT_TRUE(restored.message);
  EXPECT_EQ(restored.message->kind, MessageKind::kFocusGained);
  EXPECT_FALSE(translator.translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), 0).message);
  EventMeaning minimised = translator.translate(WindowEvent(SDL_WINDOWEVENT_MINIMIZED), 0);
  ASSERT_TRUE(minimised.message);
  EXPECT_EQ(minimised.message->kind, MessageKind::kFocusLost);
  translator.reset();
  EXPECT_TRUE(translator.translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), 0).message);
}

TEST(SdlEventsTest, WindowEventsAndQuit) {
  struct Case {
    std::uint8_t what;
    MessageKind kind;
    bool repaint;
  };
  const Case cases[] = {{SDL_WINDOWEVENT_EXPOSED, MessageKind::kPaint, true},
                        {SDL_WINDOWEVENT_SIZE_CHANGED, MessageKind::kDisplayChanged, true},
                        {SDL_WINDOWEVENT_CLOSE, MessageKind::kCloseRequest, false}};
  EventTranslator translator;
  for (const Case& c : cases) {
    const EventMeaning meaning = translator.translate(WindowEvent(c.what), 0);
    ASSERT_TRUE(meaning.message) << int(c.what);
    EXPECT_EQ(meaning.message->kind, c.kind) << int(c.what);
    EXPECT_EQ(meaning.repaint, c.repaint) << int(c.what);
  }
  SDL_Event event{};
  event.type = SDL_QUIT;
  const EventMeaning quit = translator.translate(event, 0);
  ASSERT_TRUE(quit.message);
  EXPECT_EQ(quit.message->kind, MessageKind::kCloseRequest);
  event.type = SDL_TEXTINPUT;
  EXPECT_FALSE(translator.translate(event, 0).message);
  EXPECT_FALSE(translator.translate(WindowEvent(SDL_WINDOWEVENT_MOVED), 0).message);
}

}  // namespace
}  // namespace lw::platform

// What SDL's events mean to the runtime: messages, and the display switch and repaint that the
// backend does itself.
#include "platform/sdl/sdl_events.h"

#include <gtest/gtest.h>

#include "message_text.h"

// Events are built with designated initializers naming only the fields they need; the others
// are zero.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lw::platform {
namespace {

SDL_Event KeyEvent(std::uint32_t type, SDL_Keycode code, std::uint16_t mod, bool repeat = false) {
  const auto state = static_cast<std::uint8_t>(type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED);
  return {
      .key = {.type = type, .state = state, .repeat = repeat, .keysym = {.sym = code, .mod = mod}}};
}

SDL_Event WindowEvent(std::uint8_t what) {
  return {.window = {.type = SDL_WINDOWEVENT, .event = what}};
}

SDL_Event MouseEvent(std::uint32_t type, std::uint8_t button, int x, int y) {
  if (type == SDL_MOUSEMOTION) return {.motion = {.type = type, .x = x, .y = y}};
  return {.button = {.type = type, .button = button, .x = x, .y = y}};
}

// What one translator makes of events in turn, one line each: the message (or "-"), then
// " +switch" when the backend switches the display and " +repaint" when it repaints.
std::string Translate(std::initializer_list<SDL_Event> events, std::uint16_t modState = 0) {
  EventTranslator translator;
  std::string lines;
  for (const SDL_Event& event : events) {
    const EventMeaning meaning = translator.translate(event, modState);
    lines += meaning.message ? MessageText(*meaning.message) : "-";
    lines += std::string(meaning.toggleFullscreen ? " +switch" : "") +
             (meaning.repaint ? " +repaint" : "") + "\n";
  }
  return lines;
}

// Alt+Enter switches once, not on repeats; its release is dropped even when Alt went up first.
TEST(SdlEventsTest, KeysBecomeKeyMessagesButAltEnterSwitchesTheDisplay) {
  EXPECT_EQ(
      Translate({KeyEvent(SDL_KEYDOWN, SDLK_a, KMOD_RSHIFT), KeyEvent(SDL_KEYDOWN, SDLK_a, 0, true),
                 KeyEvent(SDL_KEYUP, SDLK_ESCAPE, KMOD_RCTRL),
                 KeyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT),
                 KeyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT, true),
                 KeyEvent(SDL_KEYUP, SDLK_RETURN, 0),
                 KeyEvent(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_RALT),
                 KeyEvent(SDL_KEYUP, SDLK_KP_ENTER, KMOD_RALT),
                 KeyEvent(SDL_KEYDOWN, SDLK_RETURN, 0), KeyEvent(SDL_KEYUP, SDLK_RETURN, 0)}),
      "down shift+A\nrepeat a\nup ctrl+esc(27)\n- +switch\n-\n-\n- +switch\n-\ndown return(13)\nup "
      "return(13)\n");
}

// Points are clamped to the canvas; buttons other than the three are not the runtime's; only
// presses carry the modifiers.
TEST(SdlEventsTest, MouseMessagesCarryClampedCanvasPoints) {
  EXPECT_EQ(Translate({MouseEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, -5, 700),
                       MouseEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 100, 50),
                       MouseEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 1),
                       MouseEvent(SDL_MOUSEMOTION, 0, 9000, 12)},
                      KMOD_LALT),
            "press right 0,479 alt\nrelease middle 100,50\n-\nmove 639,12\n");
}

// A window opens with the focus; losing it (or being minimised) and gaining it (or being
// restored) alternate, so the second of two alike says nothing. Exposure and size changes are
// repainted by the backend; closing the window and quitting ask to close.
TEST(SdlEventsTest, WindowEventsFocusAndQuit) {
  EXPECT_EQ(
      Translate({WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST),
                 WindowEvent(SDL_WINDOWEVENT_MINIMIZED), WindowEvent(SDL_WINDOWEVENT_RESTORED),
                 WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), WindowEvent(SDL_WINDOWEVENT_MINIMIZED),
                 WindowEvent(SDL_WINDOWEVENT_EXPOSED), WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED),
                 WindowEvent(SDL_WINDOWEVENT_CLOSE), SDL_Event{.type = SDL_QUIT},
                 SDL_Event{.type = SDL_TEXTINPUT}, WindowEvent(SDL_WINDOWEVENT_MOVED)}),
      "-\nfocus out\n-\nfocus in\n-\nfocus out\npaint +repaint\ndisplay +repaint\nclose\nclose\n"
      "-\n-\n");
  EventTranslator translator;
  (void)translator.translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), 0);
  translator.reset();
  EXPECT_TRUE(translator.translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), 0).message);
}

}  // namespace
}  // namespace lw::platform

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

const char* DesktopKeyText(DesktopKey key) {
  switch (key) {
    case DesktopKey::kToggleFullscreen: return " +switch";
    case DesktopKey::kScreenshot: return " +screenshot";
    case DesktopKey::kToggleMute: return " +mute";
  }
  return " +?";
}

// What one translator makes of events in turn, one line each: the message (or "-"), then
// " +switch", " +screenshot" or " +mute" for the player's keys and " +repaint" when the backend
// repaints.
std::string Translate(std::initializer_list<SDL_Event> events, std::uint16_t modState = 0,
                      bool tellFocus = true) {
  EventTranslator translator(tellFocus);
  std::string lines;
  for (const SDL_Event& event : events) {
    const EventMeaning meaning = translator.translate(event, modState);
    lines += meaning.message ? MessageText(*meaning.message) : "-";
    lines += std::string(meaning.desktopKey ? DesktopKeyText(*meaning.desktopKey) : "") +
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

// The player's keys act once a press and reach the title neither down, repeated nor up, even
// when the modifiers go up first; the same keys without their modifiers are the title's: F12
// (the message box), Ctrl+M, Shift+M and Ctrl+Alt+F12.
TEST(SdlEventsTest, ThePlayersKeysNeverReachTheTitle) {
  const std::uint16_t ctrlShift = KMOD_LCTRL | KMOD_RSHIFT;
  EXPECT_EQ(
      Translate(
          {KeyEvent(SDL_KEYDOWN, SDLK_F11, 0), KeyEvent(SDL_KEYDOWN, SDLK_F11, 0, true),
           KeyEvent(SDL_KEYUP, SDLK_F11, 0), KeyEvent(SDL_KEYDOWN, SDLK_F12, KMOD_RCTRL),
           KeyEvent(SDL_KEYUP, SDLK_F12, 0), KeyEvent(SDL_KEYDOWN, SDLK_F12, 0),
           KeyEvent(SDL_KEYUP, SDLK_F12, 0),
           KeyEvent(SDL_KEYDOWN, SDLK_F12, KMOD_LCTRL | KMOD_LALT),
           KeyEvent(SDL_KEYDOWN, SDLK_m, ctrlShift), KeyEvent(SDL_KEYDOWN, SDLK_m, ctrlShift, true),
           KeyEvent(SDL_KEYUP, SDLK_m, KMOD_LCTRL), KeyEvent(SDL_KEYDOWN, SDLK_m, KMOD_LCTRL),
           KeyEvent(SDL_KEYUP, SDLK_m, KMOD_LCTRL), KeyEvent(SDL_KEYDOWN, SDLK_m, KMOD_LSHIFT)}),
      "- +switch\n-\n-\n- +screenshot\n-\ndown f12\nup f12\ndown ctrl+alt+f12\n- +mute\n"
      "-\n-\ndown ctrl+m\nup ctrl+m\ndown shift+M\n");
}

// Without the pause in the background, focus changes and minimising tell the runtime nothing;
// the rest of the window's events are told as before.
TEST(SdlEventsTest, FocusIsNotToldWhenTheTitlePlaysInTheBackground) {
  EXPECT_EQ(
      Translate(
          {WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), WindowEvent(SDL_WINDOWEVENT_MINIMIZED),
           WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED)},
          0, false),
      "-\n-\n-\ndisplay +repaint\n");
}

}  // namespace
}  // namespace lw::platform

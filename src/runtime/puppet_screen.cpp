#include "runtime/puppet_screen.h"

#include "media/buffer_copy.h"
#include "shell/windows/event_record.h"

namespace lw {

// The scene view lies over the top of the stage.
void PuppetScreen::GrabSceneView(Surface& out) {
  const Rect stage = p_.compositor.stageRect();
  CopySurfaceRect(p_.compositor.screenBuffer(), PointAt(-stage.top, -stage.left), out, out.rect());
}

void PuppetScreen::Show(const Surface& stage, const Rect& area) {
  p_.compositor.ShowOverStage(stage, area);
}

double PuppetScreen::QueuedSeconds() {
  std::int32_t pending = 0;
  const int rate = p_.sound.samplesPerSecond();
  if (p_.sound.SoundPending(pending) != 0 || rate <= 0) return p_.sound.secondsPlayed();
  return p_.sound.secondsPlayed() + static_cast<double>(pending) / rate;
}

void PuppetScreen::GiveBack() { p_.compositor.RequestRedraw(RedrawLevel::kScreen); }

void PuppetScreen::SleepTick() { p_.windows.SleepPastTick(p_.windows.TickCount(), false); }

std::optional<PuppetInput> PuppetScreen::NextInput(bool clicks) {
  const std::uint16_t mask =
      clicks ? event_mask::kKeyDown | event_mask::kMouseDown : event_mask::kKeyDown;
  const std::optional<EventRecord> event = p_.windows.NextEvent(mask);
  if (!event) return std::nullopt;
  if (event->what == event_kind::kKeyDown) {
    return PuppetInput{
        .kind = PuppetInput::Kind::kKey, .key = static_cast<char>(event->message & 0xFF), .at = {}};
  }
  const StageWindow* stage = p_.stage();
  const Point at = stage != nullptr && stage->window() != nullptr ? stage->stagePoint(event->where)
                                                                  : event->where;
  return PuppetInput{.kind = PuppetInput::Kind::kClick, .key = 0, .at = at};
}

Point PuppetScreen::Mouse() {
  const StageWindow* stage = p_.stage();
  if (stage == nullptr || stage->window() == nullptr) return p_.windows.GetMouse(nullptr);
  return stage->stageMouse();
}

Port& PuppetScreen::UseTextPort(Port& port, Surface& on, const Rect& clip,
                                const PuppetText& style) {
  Port& previous = p_.graphics.currentPort();
  port.surface = &on;
  port.bounds = clip;
  Graphics::InitPort(port);
  Graphics::SetOrigin(port, clip.left, clip.top);
  p_.graphics.SetPort(port);
  p_.graphics.SetPenMode(Port::kPenCopy);
  p_.graphics.SetTextFont(style.font);
  p_.graphics.SetTextSize(style.size);
  p_.graphics.SetForeColor(style.colour);
  return previous;
}

void PuppetScreen::DrawText(Surface& on, const Rect& clip, Point at, std::string_view text,
                            const PuppetText& style) {
  Port port;
  Port& previous = UseTextPort(port, on, clip, style);
  p_.graphics.MoveTo(at.h, at.v);
  p_.graphics.DrawString(text);
  p_.graphics.SetPort(previous);
}

int PuppetScreen::TextWidth(std::string_view text, const PuppetText& style) {
  Port port;
  Port& previous = UseTextPort(port, measuring_, measuring_.rect(), style);
  const int width = p_.graphics.StringWidth(text);
  p_.graphics.SetPort(previous);
  return width;
}

}  // namespace lw

// Fuzzes the headless input-script parser with arbitrary text, then plays what it accepts on a
// headless platform until the script is done. A text either fails with a "NAME:LINE: message"
// error or gives actions whose points lie on the canvas, whose waits are within a day and whose
// console lines fit the message box.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/headless/headless_platform.h"
#include "platform/headless/input_script.h"

namespace {

class NoFonts final : public lw::platform::FontRenderer {
 public:
  lw::platform::TextImage render(lw::platform::Face, int, std::string_view) override { return {}; }
  int width(lw::platform::Face, int, std::string_view) override { return 0; }
};

bool OnCanvas(lw::Point p) {
  return p.h >= 0 && p.v >= 0 && p.h < lw::platform::kCanvasWidth &&
         p.v < lw::platform::kCanvasHeight;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto script = lw::platform::ParseInputScript(text, "in");
  if (!script.ok()) {
    if (!script.error().starts_with("in:")) std::abort();
    return 0;
  }
  std::uint64_t totalTicks = 0;
  for (const lw::platform::InputAction& action : script->actions) {
    if (action.ticks > lw::platform::kMaxScriptTicks) std::abort();
    totalTicks += action.ticks;
    switch (action.kind) {
      case lw::platform::ActionKind::kClick:
      case lw::platform::ActionKind::kPress:
      case lw::platform::ActionKind::kRelease:
      case lw::platform::ActionKind::kMove:
        if (!OnCanvas(action.where)) std::abort();
        break;
      case lw::platform::ActionKind::kConsole:
        if (action.text.empty() || action.text.size() > lw::platform::kMaxConsoleLine) std::abort();
        break;
      default: break;
    }
  }
  // Play short scripts to the end; screenshots go nowhere, as the canvas was never presented.
  constexpr std::uint64_t kPlayedTicks = 600;
  if (totalTicks > kPlayedTicks) return 0;
  for (auto& action : script->actions) {
    if (action.kind == lw::platform::ActionKind::kScreenshot) action.text = "/dev/null";
  }
  NoFonts fonts;
  lw::platform::HeadlessPlatform platform(std::move(script).value(), fonts, nullptr);
  lw::platform::Message message;
  for (int polls = 0; !platform.scriptFinished(); ++polls) {
    if (polls > 100000000) std::abort();  // the clock must reach the end of the script
    while (platform.pollMessage(message)) {
      if (message.kind == lw::platform::MessageKind::kButtonDown && !OnCanvas(message.where))
        std::abort();
    }
  }
  return 0;
}

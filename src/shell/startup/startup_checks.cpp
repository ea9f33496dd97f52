#include "shell/startup/startup_checks.h"

#include <array>
#include <string>
#include <vector>

#include "common/log.h"
#include "platform/platform.h"

namespace lw {
namespace {

constexpr int kWantedFileHandles = 64;
constexpr int kLeastFileHandles = 32;
constexpr std::size_t kMemoryProbeBytes = 2'097'152;
constexpr int kLeastBitsPerPixel = 8;
constexpr std::size_t kDiscFirstRead = 1'024;
constexpr std::size_t kDiscTimedRead = 307'200;
constexpr std::uint64_t kDiscTimedReadMilli = std::uint64_t{kDiscTimedRead} * 1000;
constexpr std::uint32_t kSlowestDisc = 276'480;  // 270 KB/s
constexpr std::uint32_t kKilobyte = 1'024;
constexpr int kSoundRate = 22'050;
constexpr std::array<int, 2> kSampleSizes = {2, 1};  // 16 bits first, then 8

// The boxes of the start-up checks.
enum class StartupBox : std::uint8_t {
  kNote,     // Ok/Cancel, information icon
  kStop,     // Ok, stop icon
  kAskStop,  // Ok/Cancel, stop icon
};

class StartupChecks {
 public:
  explicit StartupChecks(const StartupContext& context) : context_(context) {}

  StartupOutcome Run() {
    StartupOutcome outcome;
    if (!CheckFileHandles() || !CheckMemory()) return outcome;
    outcome.freeMemory = context_.probe.FreeMemoryFigure();
    LW_LOG(kBoot, "start-up: free memory %llu bytes",
           static_cast<unsigned long long>(outcome.freeMemory));
    if (!CheckDisplay() || !CheckDisc(outcome) || !CheckSound(outcome)) return outcome;
    outcome.passed = true;
    return outcome;
  }

 private:
  bool CheckFileHandles() {
    const int granted = context_.probe.RaiseFileHandles(kWantedFileHandles);
    if (granted >= kLeastFileHandles) return true;
    Show(texts().format(text_id::kFewFileHandles, granted) +
             texts().text(text_id::kFewFileHandlesMore),
         text_id::kFileHandlesCaption, StartupBox::kStop);
    return false;
  }

  bool CheckMemory() {
    while (!context_.probe.ReserveMemory(kMemoryProbeBytes)) {
      if (!Retry(texts().text(text_id::kNoMemory), text_id::kNoMemoryCaption)) return false;
    }
    return true;
  }

  bool CheckDisplay() {
    const platform::DisplayReport display = context_.probe.Display();
    if (!display.present) {
      if (context_.headless) return true;
      return StopForDisplay(texts().text(text_id::kNoDisplay));
    }
    if (display.bitsPerPixel < kLeastBitsPerPixel)
      return StopForDisplay(DepthName(display.bitsPerPixel));
    if (display.width < platform::kCanvasWidth || display.height < platform::kCanvasHeight) {
      return Show(texts().format(text_id::kDisplaySmall, display.width, display.height),
                  text_id::kWarningCaption, StartupBox::kNote) != BoxAnswer::kCancel;
    }
    return true;
  }

  bool StopForDisplay(std::string_view depthName) {
    Show(texts().formatNamed(text_id::kDisplayUnsupported, depthName),
         text_id::kDisplayUnsupportedCaption, StartupBox::kStop);
    return false;
  }

  bool CheckDisc(StartupOutcome& outcome) {
    const std::optional<std::string> probe = context_.title.probePath();
    if (!probe) return true;
    FileHandle file = kNoFile;
    while (Failed(context_.files.FileOpen(*probe, file))) {
      if (!Retry(texts().text(text_id::kInsertDisc), text_id::kInsertDiscCaption)) return false;
    }
    outcome.discSpeed = TimeDisc(file);
    static_cast<void>(context_.files.FileClose(file));
    if (outcome.discSpeed) {
      LW_LOG(kBoot, "start-up: %s read at %u bytes/s", probe->c_str(), *outcome.discSpeed);
    }
    if (!outcome.discSpeed || *outcome.discSpeed >= kSlowestDisc) return true;
    const auto kilobytes = static_cast<std::int32_t>(*outcome.discSpeed / kKilobyte);
    return Show(texts().format(text_id::kSlowDisc, kilobytes), text_id::kSlowDiscCaption,
                StartupBox::kNote) != BoxAnswer::kCancel;
  }

  // The speed of the timed read in bytes per second; an instant read counts as fast enough, and
  // a read that failed (reported) gives nothing.
  std::optional<std::uint32_t> TimeDisc(FileHandle file) {
    std::vector<std::uint8_t> buffer(kDiscTimedRead);
    if (Failed(context_.files.FileRead(file, std::span(buffer).first(kDiscFirstRead)))) {
      context_.errors.ReportError(CodeNumber(ProgramCode::kFile), errline::kDiscProbeFirstRead);
      return std::nullopt;
    }
    const std::uint32_t start = context_.probe.Milliseconds();
    if (Failed(context_.files.FileRead(file, buffer))) {
      context_.errors.ReportError(CodeNumber(ProgramCode::kFile), errline::kDiscProbeTimedRead);
      return std::nullopt;
    }
    const std::uint32_t elapsed = context_.probe.Milliseconds() - start;
    if (elapsed == 0) return kSlowestDisc;
    return static_cast<std::uint32_t>(kDiscTimedReadMilli / elapsed);
  }

  bool CheckSound(StartupOutcome& outcome) {
    for (const int bytes : kSampleSizes) {
      if (context_.probe.SoundAccepts({kSoundRate, bytes, 1})) {
        outcome.sampleBytes = bytes;
        return true;
      }
    }
    LW_LOG(kBoot, "start-up: no sound device takes 22050 Hz mono at 16 or 8 bits");
    return Show(texts().text(text_id::kNoSound) + texts().text(text_id::kNoSoundMore),
                text_id::kNoSoundCaption, StartupBox::kAskStop) != BoxAnswer::kCancel;
  }

  // Asks with an ask-stop box whether to try again: true for Ok, when Ok can be taken as the
  // player's choice.
  bool Retry(const std::string& text, int captionId) {
    if (Show(text, captionId, StartupBox::kAskStop) == BoxAnswer::kCancel) return false;
    return !context_.okWasChosen || context_.okWasChosen();
  }

  std::string DepthName(int bits) const {
    constexpr int kMonochrome = 1;
    constexpr int kSixteenColours = 4;
    switch (bits) {
      case kMonochrome: return texts().text(text_id::kDepthMonochrome);
      case kSixteenColours: return texts().text(text_id::kDepth16Colours);
      case kLeastBitsPerPixel: return texts().text(text_id::kDepth256Colours);
      default: return texts().format(text_id::kDepthBits, bits);
    }
  }

  BoxAnswer Show(const std::string& text, int captionId, StartupBox kind) {
    BoxRequest request;
    request.caption = context_.title.caption(captionId, texts().text(captionId));
    request.text = WrapForBox(text);
    request.buttons = kind == StartupBox::kStop ? BoxButtons::kOk : BoxButtons::kOkCancel;
    request.icon = kind == StartupBox::kNote ? BoxIcon::kInformation : BoxIcon::kStop;
    return context_.boxes.showBox(request);
  }

  [[nodiscard]] const MessageTexts& texts() const { return context_.texts; }

  const StartupContext& context_;
};

}  // namespace

StartupOutcome RunStartupChecks(const StartupContext& context) {
  return StartupChecks(context).Run();
}

}  // namespace lw

#include "shell/error_report.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "shell/program_code.h"

namespace lw {
namespace {

struct TextChoice {
  std::int32_t key;
  int textId;
};

// Platform errors that name their cause in words a player can act on. File not found and
// invalid parameter depend on more than the number and are chosen in TextForPlatformError.
constexpr std::array<TextChoice, 11> kPlatformErrorTexts = {{
    {platform_error::kTooManyOpenFiles, 156},
    {platform_error::kNotEnoughMemory, 157},
    {platform_error::kOutOfMemory, 157},
    {platform_error::kWriteProtected, 158},
    {platform_error::kNotReady, 159},
    {platform_error::kDataError, 160},
    {platform_error::kSeekError, 161},
    {platform_error::kSectorNotFound, 162},
    {platform_error::kSharingViolation, 163},
    {platform_error::kDiskFull, 164},
    {platform_error::kDiskChange, 167},
}};

constexpr int kFileNotFoundText = 155;
constexpr int kInvalidParameterUnderExtensionText = 165;
constexpr int kInvalidParameterText = 166;

// Program codes and their texts; any code not listed is undefined.
constexpr std::array<TextChoice, 11> kProgramCodeTexts = {{
    {CodeNumber(ProgramCode::kBadStarSize), 168},
    {CodeNumber(ProgramCode::kMemory), 169},
    {CodeNumber(ProgramCode::kHandleCache), 175},
    {CodeNumber(ProgramCode::kPackUseCount), 176},
    {CodeNumber(ProgramCode::kText), 172},
    {CodeNumber(ProgramCode::kBadStarVersion), 170},
    {CodeNumber(ProgramCode::kFile), 171},
    {CodeNumber(ProgramCode::kLockUseCount), 173},
    {CodeNumber(ProgramCode::kVisualEffect), 177},
    {CodeNumber(ProgramCode::kLogic), 174},
    {CodeNumber(ProgramCode::kBadFileType), 178},
}};

// What besides the numbers chooses a text: the boot file's own site, and the 32-bit extension.
struct TextContext {
  std::optional<std::int16_t> bootFileLine;
  bool under32BitExtension = false;
};

// The text a platform error selects, or nothing when the program code decides.
std::optional<int> TextForPlatformError(std::int32_t platformError, std::int16_t errorLine,
                                        const TextContext& context) {
  if (platformError == platform_error::kFileNotFound)
    return errorLine == context.bootFileLine ? text_id::kBootFileMissing : kFileNotFoundText;
  if (platformError == platform_error::kInvalidParameter)
    return context.under32BitExtension ? kInvalidParameterUnderExtensionText
                                       : kInvalidParameterText;
  for (const TextChoice& choice : kPlatformErrorTexts)
    if (choice.key == platformError) return choice.textId;
  return std::nullopt;
}

int TextForProgramCode(std::int16_t programCode) {
  for (const TextChoice& choice : kProgramCodeTexts)
    if (choice.key == programCode) return choice.textId;
  return text_id::kUndefinedError;
}

}  // namespace

std::string ErrorReporter::ComposeMessage(std::int16_t programCode, std::int16_t errorLine,
                                          std::int32_t platformError) const {
  const TextContext context{bootFileLine_, under32BitExtension_};
  const int textId = TextForPlatformError(platformError, errorLine, context)
                         .value_or(TextForProgramCode(programCode));
  return texts_.format(textId, errorLine, platformError) + texts_.text(text_id::kContinueOrQuit);
}

void ErrorReporter::ReportError(std::int16_t programCode, std::int16_t errorLine) {
  // The platform error goes first: anything the box does may change it.
  const std::int32_t platformError = lastError_.take();
  ++reportCount_;
  BoxRequest request;
  request.caption = texts_.text(text_id::kFatalCaption);
  request.text = WrapForBox(ComposeMessage(programCode, errorLine, platformError));
  request.buttons = BoxButtons::kOkCancel;
  request.icon = BoxIcon::kStop;
  if (boxes_.showBox(request) != BoxAnswer::kCancel) return;

  if (restore_) restore_();
  request.text = WrapForBox(texts_.text(text_id::kExitingFatal));
  request.buttons = BoxButtons::kOk;
  (void)boxes_.showBox(request);
  std::fflush(nullptr);
  std::_Exit(EXIT_FAILURE);
}

}  // namespace lw

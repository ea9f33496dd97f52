#include "apps/titleplayer/player_startup.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/posix/startup_limits.h"
#include "shell/error_report.h"
#include "shell/files/disc_image.h"
#include "shell/files/file_access.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"
#include "shell/startup/forced_startup_probe.h"

namespace lw::titleplayer {
namespace {

// The folder's own name, as a title without title.json is called.
std::string FolderName(const std::filesystem::path& folder) {
  std::filesystem::path path = std::filesystem::absolute(folder).lexically_normal();
  if (!path.has_filename()) path = path.parent_path();
  return path.filename().string();
}

// More than any title's strings take; a larger file is not read.
constexpr std::uint32_t kMaxTitleStringsBytes = 1U << 20;

// title.json of a title given as a disc image: the text, nothing when the image has none, or
// the reason it cannot be read.
Expected<std::optional<std::string>, std::string> ImageTitleStrings(
    const std::filesystem::path& image) {
  int error = 0;
  std::shared_ptr<DiscImage> disc = DiscImage::Open(image, error);
  if (!disc) return Unexpected(image.string() + ": " + std::strerror(error));
  std::optional<DiscImage::Entry> file = disc->Find({std::string(kTitleStringsFile)}, error);
  if (!file) return std::optional<std::string>();
  if (file->folder || file->size > kMaxTitleStringsBytes) {
    return Unexpected(image.string() + ": " + std::string(kTitleStringsFile) + ": cannot be read");
  }
  std::string text(file->size, '\0');
  if (!disc->Holds(*file) || disc->ReadAt(*file, 0, reinterpret_cast<std::uint8_t*>(text.data()),
                                          text.size()) != text.size()) {
    // A damaged image: the title's own reads report it through the file layer's boxes.
    return std::optional<std::string>();
  }
  return std::optional(std::move(text));
}

}  // namespace

Expected<TitleStrings, std::string> ReadTitleStrings(const std::filesystem::path& folder) {
  std::error_code error;
  std::string text;
  if (std::filesystem::is_regular_file(folder, error)) {
    // A title given as a disc image keeps its title.json inside.
    auto read = ImageTitleStrings(folder);
    if (!read) return Unexpected(read.error());
    if (!*read) return TitleStrings{FolderName(folder), {}, {}, {}};
    text = std::move(**read);
  } else {
    const std::filesystem::path file = folder / kTitleStringsFile;
    if (!std::filesystem::exists(file, error)) return TitleStrings{FolderName(folder), {}, {}, {}};
    std::ifstream in(file, std::ios::binary);
    std::ostringstream read;
    read << in.rdbuf();
    if (!in) return Unexpected(file.string() + ": cannot be read");
    text = read.str();
  }
  auto strings = ParseTitleStrings(text, FolderName(folder));
  if (!strings) return Unexpected((folder / strings.error()).string());
  return strings;
}

int MachineStartupProbe::RaiseFileHandles(int wanted) {
  return platform::RaiseOpenFileLimit(wanted);
}

bool MachineStartupProbe::ReserveMemory(std::size_t bytes) {
  return platform::ReserveZeroedMemory(bytes);
}

std::uint64_t MachineStartupProbe::FreeMemoryFigure() {
  return platform::SmallestFigure(platform::ReadMemoryLimits());
}

bool MachineStartupProbe::SoundAccepts(const platform::AudioFormat& format) {
  if (platform_ == nullptr) return false;
  std::string error;
  // Opened and closed at once: only the answer counts.
  return platform_->openAudio(
             format, [](int) {}, error) != nullptr;
}

std::uint32_t MachineStartupProbe::Milliseconds() {
  if (platform_ != nullptr) return platform_->milliseconds();
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

BoxAnswer StartupBoxes::showBox(const BoxRequest& request) {
  if (platform_ != nullptr) {
    if (const std::optional<BoxAnswer> answer = platform_->answerBox(request)) return *answer;
  }
  return terminal_.showBox(request);
}

Expected<StartupOutcome, std::string> CheckMachine(const StartupRun& run) {
  MachineStartupProbe machine(run.platform, run.display);
  std::unique_ptr<ForcedStartupProbe> forced;
  if (const char* text = std::getenv(kStartupProbeVariable); text != nullptr) {
    auto answers = ParseForcedStartupAnswers(text);
    if (!answers) return Unexpected(answers.error());
    forced = std::make_unique<ForcedStartupProbe>(machine, *answers);
  }
  StartupBoxes boxes(run.platform);
  const MessageTexts texts(run.title.name);
  VolumeMap volumes(run.titleFolder,
                    run.platform != nullptr ? run.platform->system() : platform::HostSystem());
  for (const auto& [name, root] : run.volumes) volumes.addVolume(name, root);
  LastPlatformError lastError;
  FileAccess files(volumes, boxes, texts, lastError);
  ErrorReporter errors(boxes, texts, lastError);
  const StartupContext context{forced ? static_cast<platform::StartupProbe&>(*forced) : machine,
                               boxes,
                               texts,
                               run.title,
                               files,
                               errors,
                               run.headless,
                               run.okWasChosen};
  return RunStartupChecks(context);
}

}  // namespace lw::titleplayer

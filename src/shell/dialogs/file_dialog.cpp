#include "shell/dialogs/file_dialog.h"

#include <optional>

#include "shell/dialogs/file_dialog_run.h"

namespace lw {
namespace {

constexpr std::int16_t kNoProgramCode = 0;

}  // namespace

int FileDialogs::OpenFileDialog(std::string& fullPath, std::string& name, std::uint32_t type) {
  return run(false, fullPath, name, type);
}

int FileDialogs::SaveFileDialog(std::string& fullPath, std::string& name, std::uint32_t type) {
  return run(true, fullPath, name, type);
}

int FileDialogs::run(bool save, std::string& fullPath, std::string& name, std::uint32_t type) {
  const DialogCanvas::Scope scope(boxes_.canvas());
  FileTypeFilter filter = FilterForType(type);
  platform::FileDialogRequest request;
  request.save = save;
  request.title = save ? "Save" : "Open";
  request.filterName = filter.name;
  request.pattern = filter.pattern;
  request.folder = folder_.string();
  if (const std::optional<std::string> answer =
          boxes_.canvas().platform().answerFileDialog(request))
    return answer->empty() ? 0 : deliver(*answer, fullPath, name);

  FileDialogRun dialog(boxes_.canvas(), boxes_, request, std::move(filter));
  const std::optional<std::filesystem::path> chosen = dialog.run();
  return chosen ? deliver(chosen->string(), fullPath, name) : 0;
}

int FileDialogs::deliver(const std::string& path, std::string& fullPath, std::string& name) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    errors_.ReportError(kNoProgramCode, errline::kChosenPathWithoutFolder);
    return 0;
  }
  fullPath = path;
  name = path.substr(slash + 1);
  folder_ = slash == 0 ? std::filesystem::path("/") : std::filesystem::path(path.substr(0, slash));
  return 1;
}

}  // namespace lw

#include "runtime/file_locator.h"

#include <algorithm>

#include "runtime/error_lines.h"

namespace lw {
namespace {

constexpr std::size_t kShortestName = 3;
constexpr std::size_t kLongestName = 12;
constexpr std::size_t kLastDotPosition = 9;  // 1-based character position
constexpr std::size_t kLongestExtension = 3;
constexpr int kFirstSearchSlot = 1;

constexpr bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

constexpr char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IsEightThreeName(std::string_view name) {
  if (name.size() < kShortestName || name.size() > kLongestName || !IsLetter(name.front())) {
    return false;
  }
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return true;
  if (name.find('.', dot + 1) != std::string_view::npos) return false;
  const std::size_t extension = name.size() - dot - 1;
  return dot + 1 <= kLastDotPosition && extension >= 1 && extension <= kLongestExtension;
}

bool FileLocator::StarFileOpen(std::string_view path) const {
  const auto samePath = [path](const StarFile* file) {
    const std::string& open = file->path();
    return open.size() == path.size() &&
           std::equal(open.begin(), open.end(), path.begin(),
                      [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
  };
  return std::any_of(library_.openFiles().begin(), library_.openFiles().end(), samePath);
}

ScriptError FileLocator::LocateFile(std::string_view name, std::string& path) {
  if (!IsEightThreeName(name)) return ScriptError::MustUse83Filenames;
  ProgramCode failure = ProgramCode::kOk;
  const bool room = library_.ReserveMemory(kRoomNeeded, &failure);
  if (Failed(failure)) errors_.ReportError(kRuntimeProgramCode, errline::kLocateFileMemory);
  if (!room) return ScriptError::NotEnoughMemory;
  // A slot that does not hold the file is an answer, not a failure.
  const PlatformErrorProbe probe(files_.lastError());
  for (int slot = kFirstSearchSlot; slot < slots_.count(); ++slot) {
    std::string candidate = slots_.get(slot);
    candidate += name;
    if (StarFileOpen(candidate) || !Failed(files_.FileExists(candidate))) {
      path = std::move(candidate);
      return ScriptError::None;
    }
  }
  return ScriptError::CantFindFile;
}

}  // namespace lw

#include "authoring/star_output.h"

#include <system_error>

namespace lw::authoring {
namespace {

// Adds the records to the open file, checking that each lands on the id that its place names.
ProgramCode AddRecords(StarLibrary& library, StarFile& file,
                       std::span<const std::vector<std::uint8_t>> records) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::int32_t id = 0;
    LW_TRY_CODE(library.StarAddResource(file, records[i], id));
    // A fresh file hands out ids in order, so a record cannot land anywhere else.
    if (static_cast<std::size_t>(id) != i) return ProgramCode::kLogic;
  }
  return ProgramCode::kOk;
}

}  // namespace

ProgramCode WriteStarRecords(StarLibrary& library, const std::string& path, StarKind kind,
                             std::span<const std::vector<std::uint8_t>> records) {
  LW_TRY_CODE(StarFile::Create(library.files(), path, static_cast<std::int32_t>(records.size()),
                               FourCharCode(kind.type), FourCharCode(kind.creator)));
  StarFile* file = nullptr;
  LW_TRY_CODE(library.StarOpen(path, file));
  const ProgramCode added = AddRecords(library, *file, records);
  const ProgramCode closed = library.StarClose(*file);
  return Failed(added) ? added : closed;
}

std::optional<std::string> ReplaceStarFile(StarLibrary& library, const std::filesystem::path& path,
                                           StarKind kind,
                                           std::span<const std::vector<std::uint8_t>> records) {
  const std::string temporary = path.string() + std::string(kPartialSuffix);
  std::error_code error;
  if (ProgramCode code = WriteStarRecords(library, temporary, kind, records); Failed(code)) {
    std::filesystem::remove(temporary, error);
    return path.string() + ": error " + std::to_string(CodeNumber(code));
  }
  std::filesystem::rename(temporary, path, error);
  if (!error) return std::nullopt;
  std::string message = path.string() + ": " + error.message();
  std::filesystem::remove(temporary, error);
  return message;
}

}  // namespace lw::authoring

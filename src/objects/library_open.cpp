#include "objects/library_open.h"

namespace lw {

ScriptError OpenLibraryFile(StarLibrary& library, ErrorReporter& errors, const LocateFile& locate,
                            std::string_view name, std::string_view type, std::int16_t openLine,
                            StarFile*& out) {
  std::string path;
  LW_TRY(locate(name, path));
  StarFile* file = nullptr;
  if (const ProgramCode opened = library.StarOpenShared(path, file); Failed(opened)) {
    errors.ReportError(CodeNumber(opened), openLine);
    return ScriptError::WrongTypeOfFile;
  }
  if (file->header().fileType != FourCharCode(type)) {
    library.StarPark(*file);
    return ScriptError::WrongTypeOfFile;
  }
  out = file;
  return ScriptError::None;
}

}  // namespace lw

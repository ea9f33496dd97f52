// The figure tables' part of a saved game: groups and figures written out, closed, and put back.
#include "objects/figure_table.h"
#include "objects/object_error_lines.h"

namespace lw {
namespace {

// Handlers that open groups while theirs close could keep the closing going for ever.
constexpr std::size_t kMaxCloses = 256;

}  // namespace

std::vector<SavedGroup> FigureTable::SavedGroups() const {
  std::vector<SavedGroup> saved;
  for (const FigureGroup& group : groups_)
    saved.push_back({.file = group.file->serial(), .scriptId = group.scriptId, .name = group.name});
  return saved;
}

std::vector<SavedFigure> FigureTable::SavedFigures() const {
  std::vector<SavedFigure> saved;
  for (const Figure& figure : figures_)
    saved.push_back({.figure = figure, .group = figure.group->serial()});
  return saved;
}

ScriptError FigureTable::CloseAllGroups(BuiltinCall& c) {
  ScriptError first = ScriptError::None;
  for (std::size_t closes = 0; !groups_.empty() && closes < kMaxCloses; ++closes) {
    const ScriptError closed = CloseGroupFile(c, groups_.front().name);
    if (closed != ScriptError::None) {
      first = closed;
      break;
    }
  }
  ShutDown();
  return first;
}

bool FigureTable::RestoreGroup(StarFile& file) {
  FigureGroup group;
  RecordBlock* block = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(file, kHeaderRecord, block); Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kGroupHeaderLoad);
    return false;
  }
  auto header = ReadGroupHeader(*block);
  if (!header) {
    p_.errors.ReportError(kObjectProgramCode, errline::kGroupHeaderCorrupt);
    (void)p_.library.StarReleaseResource(file, kHeaderRecord);
    return false;
  }
  groups_.push_back({.file = &file, .scriptId = header->scriptId, .name = header->name});
  return true;
}

bool FigureTable::RestoreFigure(StarFile& file, const SavedFigure& saved) {
  const auto id = static_cast<std::int32_t>(saved.figure.recordId);
  RecordBlock* record = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(file, id, record); Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kFigureRecordLoad);
    return false;
  }
  auto read = ReadFigureRecord(*record);
  if (!read) {
    (void)p_.library.StarReleaseResource(file, id);
    p_.errors.ReportError(kObjectProgramCode, errline::kFigureRecordCorrupt);
    return false;
  }
  Figure figure = saved.figure;
  figure.group = &file;
  figure.record = std::move(*read);
  figures_.push_back(std::move(figure));
  return true;
}

}  // namespace lw

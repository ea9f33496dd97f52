// The records of a star file that titlekit builds, handed out in the order the builder meets
// them. Record 0 is kept for the file's header, written last when every id it names is known.
// A script file named again in the same file shares its first record; objects without a script
// share one empty compiled script, placed where the first of them needs it. Scripts that came
// from source get a line table (line_table.h), the file's last record.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

#include "authoring/star_output.h"
#include "authoring/title_sources.h"
#include "script/line_table.h"

namespace lw::authoring {

class RecordPlan {
 public:
  explicit RecordPlan(const TitleSources& sources) : sources_(sources) { records_.emplace_back(); }

  // The id of a new record holding `bytes`.
  std::uint32_t add(std::vector<std::uint8_t> bytes);

  // The bytes of record `id`, one that `add` handed out.
  [[nodiscard]] const std::vector<std::uint8_t>& record(std::uint32_t id) const {
    return records_.at(id);
  }

  // The record of the script that `file` names, or of the empty script.
  std::uint32_t script(const SourceFile& file);

  // The records: `header` as record 0, then the others, then the line table if any.
  Records take(std::vector<std::uint8_t> header);

 private:
  const TitleSources& sources_;
  Records records_;
  std::map<std::filesystem::path, std::uint32_t> scriptIds_;  // the empty path: the empty script
  std::vector<ScriptLines> lines_;
};

}  // namespace lw::authoring

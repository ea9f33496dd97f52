#include "authoring/boot_file.h"

#include "script/line_table.h"

namespace lw::authoring {

Records BootFileRecords(const LoadedScript& system) {
  Records records = {{}, system.script.ToBytes()};
  if (!system.tokenLines.empty()) {
    records.push_back(
        LineTable({MakeScriptLines(kSystemScriptRecord, system.tokenLines)}).Encode());
  }
  return records;
}

}  // namespace lw::authoring

#include "authoring/stage_build.h"

#include <map>

#include "authoring/frame_encoder.h"
#include "objects/stage_file.h"
#include "script/line_table.h"

namespace lw::authoring {
namespace {

// Hands out record ids in order and remembers each script's record.
class RecordPlan {
 public:
  explicit RecordPlan(const TitleSources& sources) : sources_(sources) { records_.emplace_back(); }

  std::uint32_t add(std::vector<std::uint8_t> bytes) {
    records_.push_back(std::move(bytes));
    return static_cast<std::uint32_t>(records_.size() - 1);
  }

  // The record of the script that `file` names, or of the empty script.
  std::uint32_t script(const SourceFile& file) {
    const auto known = scriptIds_.find(file.path);
    if (known != scriptIds_.end()) return known->second;
    static const LoadedScript kEmpty{CompiledScript(), {1}};  // the end token, on line 1
    const LoadedScript& script = file.named() ? sources_.scripts.at(file.path) : kEmpty;
    const std::uint32_t id = add(script.script.ToBytes());
    scriptIds_.emplace(file.path, id);
    if (!script.tokenLines.empty())
      lines_.push_back(MakeScriptLines(static_cast<std::int32_t>(id), script.tokenLines));
    return id;
  }

  Records take(const StageHeader& header) {
    records_[0] = WriteStageHeader(header);
    if (!lines_.empty()) records_.push_back(LineTable(std::move(lines_)).Encode());
    return std::move(records_);
  }

 private:
  const TitleSources& sources_;
  Records records_;
  std::map<std::filesystem::path, std::uint32_t> scriptIds_;  // the empty path: the empty script
  std::vector<ScriptLines> lines_;
};

}  // namespace

Expected<Records, std::string> BuildStageRecords(const ManifestStage& stage,
                                                 const TitleSources& sources) {
  RecordPlan plan(sources);
  StageHeader header;
  header.name = stage.name;
  if (!sources.palette.empty()) header.paletteId = plan.add(sources.palette);
  header.scriptId = plan.script(stage.script);
  for (const ManifestFlat& flat : stage.flats) {
    FlatEntry entry;
    entry.name = flat.name;
    entry.scriptId = plan.script(flat.script);
    const IndexedImage& picture = sources.pictures.at(flat.picture.path);
    auto frame = EncodeFrame({picture.width, picture.height, picture.pixels});
    if (!frame) return Unexpected{flat.picture.path.string() + ": " + frame.error()};
    entry.pictureId = plan.add(std::move(frame).value());
    std::vector<ButtonEntry> buttons;
    for (const ManifestButton& button : flat.buttons) {
      buttons.push_back({button.rect, plan.script(button.script), button.name});
    }
    entry.buttonRecordId = plan.add(WriteButtonRecord(buttons));
    header.flats.push_back(std::move(entry));
  }
  return plan.take(header);
}

}  // namespace lw::authoring

#include "authoring/stage_build.h"

#include "authoring/frame_encoder.h"
#include "authoring/record_plan.h"
#include "objects/stage_file.h"

namespace lw::authoring {
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
  return plan.take(WriteStageHeader(header));
}

}  // namespace lw::authoring

#include "support/storage_stage_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "authoring/frame_encoder.h"
#include "authoring/storage_stack.h"
#include "objects/stage_file.h"
#include "platform/system_info.h"
#include "script/tokenizer.h"

namespace lw::test {
namespace {

// A script compiled from source with LF line ends, as its stored record.
Bytes CompiledScriptRecord(std::string_view source) {
  std::string text(source);
  std::replace(text.begin(), text.end(), '\n', '\r');
  auto script = CompileScriptText(text);
  EXPECT_TRUE(script.ok()) << source;
  return script.ok() ? script->ToBytes() : Bytes{};
}

}  // namespace

std::vector<Bytes> StageRecords(const StageSpec& stage) {
  StageHeader header;
  header.name = stage.name;
  std::vector<Bytes> records(1);
  // Appends a record, giving its id.
  const auto add = [&records](Bytes record) {
    records.push_back(std::move(record));
    return static_cast<std::uint32_t>(records.size() - 1);
  };
  for (const FlatSpec& flat : stage.flats) {
    const FlatEntry entry{.scriptId = add(CompiledScriptRecord(flat.script)),
                          .pictureId = add(flat.picture),
                          .buttonRecordId = add({}),
                          .name = flat.name};
    std::vector<ButtonEntry> buttons;
    for (const ButtonSpec& button : flat.buttons)
      buttons.push_back({button.rect, add(CompiledScriptRecord(button.script)), button.name});
    records[entry.buttonRecordId] = WriteButtonRecord(buttons);
    header.flats.push_back(entry);
  }
  header.scriptId = add(CompiledScriptRecord(stage.script));
  if (stage.palette) header.paletteId = add(*stage.palette);
  records[0] = WriteStageHeader(header);
  return records;
}

Bytes StagePicture(const std::vector<std::uint8_t>& pixels) {
  const authoring::FramePixels picture{kStageFileWidth, kStageFileHeight, pixels};
  auto frame = authoring::EncodeFrame(picture);
  EXPECT_TRUE(frame.ok());
  return frame.ok() ? *frame : Bytes{};
}

Bytes SolidStagePicture(std::uint8_t colour) {
  return StagePicture(std::vector<std::uint8_t>(
      static_cast<std::size_t>(kStageFileWidth) * kStageFileHeight, colour));
}

void WriteStageFile(const std::filesystem::path& folder, std::string_view name,
                    const std::vector<Bytes>& records, std::string_view fileType) {
  platform::EmptySystemInfo system;
  authoring::StorageStack stack(system, folder, nullptr);
  WriteStarFile(stack.files, TitlePath(name), records,
                std::max<std::int32_t>(1, static_cast<std::int32_t>(records.size())), fileType);
}

}  // namespace lw::test

#include "stage_title.h"

#include <algorithm>

#include "authoring/frame_encoder.h"
#include "authoring/storage_stack.h"
#include "objects/stage_file.h"
#include "platform/system_info.h"
#include "script/tokenizer.h"

namespace lw::testing {
namespace {

// Handlers that answer hello() by logging "WHO:me/target" and answer() by giving WHO.
std::string Answers(const std::string& who) {
  return Logs("hello()", "\"" + who + ":\" @ me @ \"/\" @ target") + "code answer()\n\treturn \"" +
         who + "\"\nendcode\n";
}

std::string FlatScript(bool answers) {
  return Logs("openflat()", "\"openflat:\" @ me") + Logs("closeflat()", "\"closeflat:\" @ me") +
         (answers ? Answers("hall") : "");
}

test::Bytes Solid(std::uint8_t colour) {
  return StagePicture(std::vector<std::uint8_t>(
      static_cast<std::size_t>(kStageFileWidth) * kStageFileHeight, colour));
}

}  // namespace

test::Bytes CompiledScriptRecord(std::string_view source) {
  std::string text(source);
  std::replace(text.begin(), text.end(), '\n', '\r');
  auto script = CompileScriptText(text);
  EXPECT_TRUE(script.ok()) << source;
  return script.ok() ? script->ToBytes() : test::Bytes{};
}

std::vector<test::Bytes> StageRecords(const StageSpec& stage) {
  StageHeader header;
  header.name = stage.name;
  std::vector<test::Bytes> records(1);
  // Appends a record, giving its id.
  const auto add = [&records](test::Bytes record) {
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

test::Bytes StagePicture(const std::vector<std::uint8_t>& pixels) {
  auto frame = authoring::EncodeFrame({kStageFileWidth, kStageFileHeight, pixels});
  EXPECT_TRUE(frame.ok());
  return frame.ok() ? *frame : test::Bytes{};
}

void WriteStageFile(const std::filesystem::path& folder, std::string_view name,
                    const std::vector<test::Bytes>& records, std::string_view fileType) {
  platform::EmptySystemInfo system;
  authoring::StorageStack stack(system, folder, nullptr);
  test::WriteStarFile(stack.files, test::TitlePath(name), records,
                      std::max<std::int32_t>(1, static_cast<std::int32_t>(records.size())),
                      fileType);
}

std::string Logs(std::string_view handler, std::string_view words) {
  return "code " + std::string(handler) + "\n\tglobal log\n\tlog = log @ " + std::string(words) +
         " @ \" \"\nendcode\n";
}

StageSpec SampleStage() {
  return StageSpec{
      .name = "Moss",
      .script = Logs("openstage()", "\"openstage\"") + Logs("closestage()", "\"closestage\"") +
                Answers("stage") + "code fail()\n\tlocal x\n\tx = 1 / 0\nendcode\n",
      .flats = {{"Hall",
                 FlatScript(true),
                 Solid(kHallColour),
                 {{"door", Rect{10, 10, 100, 100}, ""},
                  {"knob", Rect{50, 50, 80, 80}, Answers("knob")}}},
                {"Attic", FlatScript(false), Solid(20), {}},
                {"Cellar", FlatScript(false), Solid(30), {}}},
      .palette = std::nullopt,
  };
}

TitleRun& StageTitleTest::Start(std::string_view input,
                                const std::function<void(RuntimeOptions&)>& adjust) {
  if (!std::filesystem::exists(title_ / "STAGE.STG")) WriteStage(SampleStage());
  TitleRun& run = Boot(kStageBootScript, input, adjust);
  run.Settle();
  return run;
}

std::string StageTitleTest::TakeLog() {
  std::string log = run_->Eval("log");
  run_->Eval("log = \"\"");
  return log;
}

std::size_t StageTitleTest::PixelsOtherThan(std::uint8_t colour) {
  const Surface& layer = runtime().stageDisplay()->stageLayer();
  std::size_t count = 0;
  for (int v = 0; v < layer.height(); ++v)
    for (int h = 0; h < layer.width(); ++h) count += layer.at(h, v) != colour ? 1 : 0;
  return count;
}

}  // namespace lw::testing

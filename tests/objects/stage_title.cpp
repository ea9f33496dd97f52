#include "stage_title.h"

namespace lw::testing {

std::string Logs(std::string_view handler, std::string_view words) {
  return "code " + std::string(handler) + "\n\tglobal log\n\tlog = log @ " + std::string(words) +
         " @ \" \"\nendcode\n";
}

namespace {

std::string FlatScript(std::string_view name) {
  return Logs("openflat()", "\"openflat:\" @ me") + Logs("closeflat()", "\"closeflat:\" @ me") +
         (name == "Hall" ? Logs("hello()", "\"hall:\" @ me @ \"/\" @ target") +
                               "code answer()\n\treturn \"hall\"\nendcode\n"
                         : "");
}

}  // namespace

test::StageSpec SampleStage() {
  return test::StageSpec{
      .name = "Moss",
      .script = Logs("openstage()", "\"openstage\"") + Logs("closestage()", "\"closestage\"") +
                Logs("hello()", "\"stage:\" @ me @ \"/\" @ target") +
                "code answer()\n\treturn \"stage\"\nendcode\n"
                "code fail()\n\tlocal x\n\tx = 1 / 0\nendcode\n",
      .flats = {{.name = "Hall",
                 .script = FlatScript("Hall"),
                 .picture = test::SolidStagePicture(kHallColour),
                 .buttons = {{"door", Rect{10, 10, 100, 100}, ""},
                             {"knob", Rect{50, 50, 80, 80},
                              Logs("hello()", "\"knob:\" @ me @ \"/\" @ target") +
                                  "code answer()\n\treturn \"knob\"\nendcode\n"}}},
                {.name = "Attic",
                 .script = FlatScript("Attic"),
                 .picture = test::SolidStagePicture(20),
                 .buttons = {}},
                {.name = "Cellar",
                 .script = FlatScript("Cellar"),
                 .picture = test::SolidStagePicture(30),
                 .buttons = {}}},
      .palette = std::nullopt,
  };
}

const std::string_view StageTitleTest::kBootScript =
    "code boot()\n\tglobal log, hit, closing\n\tlog = \"\"\n\thit = \"\"\n\tclosing = false\n"
    "endcode\n"
    "code mousedown(where)\n\tglobal hit\n\thit = hittest(where) @ \"/\" @ result()\nendcode\n";

TitleRun& StageTitleTest::Start(std::string_view input,
                                const std::function<void(RuntimeOptions&)>& adjust) {
  if (!std::filesystem::exists(title_ / "STAGE.STG")) WriteStage(SampleStage());
  TitleRun& run = Boot(kBootScript, input, adjust);
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

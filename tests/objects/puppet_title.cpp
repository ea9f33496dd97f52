#include "puppet_title.h"

#include "authoring/sprite_encoder.h"
#include "support/storage_sound_records.h"

namespace lw::testing {
namespace {

constexpr Rect kMouth{100, 200, 110, 220};
constexpr std::int16_t kClosed = 0;
constexpr std::int16_t kOpen = 1;

test::Bytes Solid(int width, int height, std::uint8_t colour) {
  const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height), colour);
  auto sprite = authoring::EncodeSprite(
      {.width = width, .height = height, .pixels = pixels, .hotSpot = {}, .transparent = {}});
  EXPECT_TRUE(sprite.ok());
  return sprite.ok() ? *sprite : test::Bytes{};
}

// A frame showing the background and the mouth `mouth`, changing `changed`.
LipSyncFrame Frame(std::int16_t mouth, Rect changed) {
  LipSyncFrame frame;
  frame.changed = changed;
  frame.layers[0] = {0, {}};
  frame.layers[1] = {mouth, PointAt(kMouth.top, kMouth.left)};
  return frame;
}

}  // namespace

PuppetRecords SamplePuppet() {
  PuppetRecords p;
  p.records.resize(4);
  const auto add = [&p](test::Bytes record) {
    p.records.push_back(std::move(record));
    return static_cast<std::uint32_t>(p.records.size() - 1);
  };
  p.puppets.push_back({add(CompiledScriptRecord(
                           "code openpuppet()\n\tglobal log\n\tlog = log @ \"open \"\nendcode\n"
                           "code closepuppet()\n\tglobal log\n\tlog = log @ \"close \"\nendcode\n"
                           "code greet()\n\treturn \"hoot\"\nendcode\n")),
                       "owl"});
  p.layers[0] = {add(Solid(kPuppetPictureWidth, kPuppetPictureHeight, 5))};
  p.layers[1] = {add(Solid(kMouth.width(), kMouth.height(), 7)),
                 add(Solid(kMouth.width(), kMouth.height(), 8))};
  p.header.bandId = add(Solid(kPuppetPictureWidth, kBevelBandHeight, 9));
  p.header.name = "Owl";
  p.header.hasPlayerLines = true;
  p.header.shortest[0] = 30;
  p.header.longest[0] = 40;
  const std::uint32_t voice = add(test::SoundRecordOf(22050, std::vector<std::uint8_t>(4410, 150)));
  const std::uint32_t talk = add(WriteLipSyncFrames(std::vector<LipSyncFrame>{
      Frame(kClosed, {}), Frame(kOpen, kMouth), Frame(kOpen, {}), Frame(kClosed, kMouth),
      Frame(kOpen, kMouth), Frame(kClosed, kMouth)}));
  const std::uint32_t hum = add(test::SoundRecordOf(22050, std::vector<std::uint8_t>(1470, 140)));
  const std::uint32_t mumble =
      add(WriteLipSyncFrames(std::vector<LipSyncFrame>{Frame(kClosed, {}), Frame(kOpen, kMouth)}));
  p.header.lines = {{6, voice, talk, "Hello there.", "hello"},
                    {6, voice, talk, "*quiet", "hush"},
                    {2, hum, mumble, "Hmm.", "idle 1"}};
  p.playerLines = {
      {add(test::SoundRecordOf(22050, std::vector<std::uint8_t>(2205, 120))), "Goodbye.", "bye"}};
  return p;
}

TitleRun& PuppetTitleTest::StartPuppet(std::string_view input,
                                       const std::function<void(PuppetRecords&)>& damage,
                                       std::uint32_t from) {
  PuppetRecords puppet = SamplePuppet();
  if (damage) damage(puppet);
  if (puppet.records[0].empty()) puppet.records[0] = WritePuppetHeader(puppet.header);
  if (puppet.records[1].empty()) puppet.records[1] = WritePlayerLines(puppet.playerLines);
  if (puppet.records[2].empty()) puppet.records[2] = WritePuppetList(puppet.puppets);
  if (puppet.records[3].empty()) puppet.records[3] = WritePuppetLayers(puppet.layers);
  WriteStageFile(title_, "TALK.PUP", puppet.records, kPuppetFileType);
  return Start(input, [this, from](RuntimeOptions& options) {
    options.presentTrace = [this, from](std::uint32_t tick, const PresentedRect& shown) {
      if (tick < from) return;
      const Rect& r = shown.rect;
      presents_ += (presents_.empty() ? "" : " ") + std::to_string(tick) + ":" +
                   std::to_string(r.top) + "," + std::to_string(r.left) + "," +
                   std::to_string(r.bottom) + "," + std::to_string(r.right);
    };
  });
}

std::string PuppetTitleTest::TakePresents() { return std::exchange(presents_, {}); }

}  // namespace lw::testing

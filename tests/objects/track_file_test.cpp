// Track headers written by the tools and read back by the checking reader, and headers that do
// not hold what they claim, each refused with its reason.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "objects/track_file.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Two sounds and a theme of three parts; the sequence keeps the out-of-range steps 0 and 9.
TrackHeader SampleHeader() {
  return {"Harbour", {"Gull", "Bell"}, {"Intro", "Verse", "Coda"}, {1, 2, 2, 0, 9, 3}};
}

// The header in `record` as "NAME|SOUND,...|PART,...|STEP ...", or the reason it is refused.
std::string Read(const Bytes& record) {
  auto read = ReadTrackHeader(record);
  if (!read) return read.error();
  std::string text = read->name + "|";
  for (const std::string& sound : read->sounds) text += sound + ",";
  text += "|";
  for (const std::string& part : read->themeParts) text += part + ",";
  text += "|";
  for (const std::int16_t step : read->sequence) text += std::to_string(step) + " ";
  return text;
}

// Headers read back as written, but for what the layout cannot hold (names cut to 15 letters,
// the sequence to 64 steps); spoiled ones are refused with their reason. The spoiled bytes are
// at the layout's offsets (counts at 24, 26 and 28, steps from 30, the track name at 158, the
// entries of 24 bytes from 178 with their names at 8), so that a writer and reader that agree
// on a wrong layout fail too.
TEST(TrackFile, HeadersReadBackOrAreRefusedWithTheirReason) {
  const auto put = [](std::size_t at, int value) {
    return [=](Bytes& r) { r[at] = value & 0xFF, r[at + 1] = (value >> 8) & 0xFF; };
  };
  std::string ones, twos;
  for (int i = 0; i < 64; ++i) ones += "1 ", twos += "2 ";
  struct Case {
    TrackHeader written;
    std::function<void(Bytes&)> spoil;
    std::string read;
  };
  const TrackHeader sample = SampleHeader();
  const std::vector<Case> cases = {
      {sample, {}, "Harbour|Gull,Bell,|Intro,Verse,Coda,|1 2 2 0 9 3 "},
      {{}, {}, "|||"},
      {{"Full", {}, {"Loop"}, std::vector<std::int16_t>(64, 1)}, {}, "Full||Loop,|" + ones},
      {{"A name far too long", {"Sixteen letters!"}, {}, std::vector<std::int16_t>(70, 2)},
       {},
       "A name far too |Sixteen letters,||" + twos},
      // Fewer items than the record has room for leave the rest unread.
      {sample, put(26, 1), "Harbour|Gull,Bell,|Intro,|1 2 2 0 9 3 "},
      {sample, put(40, 7), "Harbour|Gull,Bell,|Intro,Verse,Coda,|1 2 2 0 9 7 "},
      {sample, [](Bytes& r) { r.resize(177); }, "track header of 177 bytes, fewer than 178"},
      {sample, put(24, -1), "-1 sounds and 3 theme parts: counts may not be negative"},
      {sample, put(26, -32768), "2 sounds and -32768 theme parts: counts may not be negative"},
      {sample, put(28, 65), "65 theme sequence steps, not 0 to 64"},
      {sample, put(28, -2), "-2 theme sequence steps, not 0 to 64"},
      {sample, put(26, 4), "2 sounds and 4 theme parts do not fit a track header of 298 bytes"},
      {sample, put(24, 32767),
       "32767 sounds and 3 theme parts do not fit a track header of 298 bytes"},
      {sample, [](Bytes& r) { r.pop_back(); },
       "2 sounds and 3 theme parts do not fit a track header of 297 bytes"},
      {sample, [](Bytes& r) { r[158] = 16; }, "track name longer than 15"},
      {sample, [](Bytes& r) { r[159] = 'B'; }, "Barbour|Gull,Bell,|Intro,Verse,Coda,|1 2 2 0 9 3 "},
      {sample, [](Bytes& r) { r[178 + 24 + 8] = 200; }, "sound name longer than 15"},
      {sample, [](Bytes& r) { r[178 + 4 * 24 + 8] = 16; }, "theme part name longer than 15"},
  };
  for (const Case& c : cases) {
    Bytes record = WriteTrackHeader(c.written);
    if (c.spoil) c.spoil(record);
    EXPECT_EQ(Read(record), c.read) << c.written.name << " row " << (&c - cases.data());
  }
}

}  // namespace
}  // namespace lw

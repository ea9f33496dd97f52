// Track files: headers written by the tools and read back by the checking reader, headers that
// do not hold what they claim, each refused with its reason; and track files run by a headless
// title: opening and closing them, finding sounds across tracks, the properties with their clamps
// and errors, and what the channels say while sounds play and after they are halted. The sounds
// are records of silence; the WAV capture (track_sound_test.cpp) checks the samples.
#include "objects/track_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "stage_title.h"
#include "support/storage_sound_records.h"

namespace lw::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The header in `record` as "NAME|SOUND,...|PART,...|STEP ...", or the reason it is refused.
std::string Read(const Bytes& record) {
  auto read = ReadTrackHeader(record);
  if (!read) return read.error();
  std::string text = read->name + "|";
  for (const auto& names : {read->sounds, read->themeParts}) {
    for (const std::string& name : names) text += name + ",";
    text += "|";
  }
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
  std::string twos;
  for (int i = 0; i < 64; ++i) twos += "2 ";
  struct Case {
    TrackHeader written;
    std::function<void(Bytes&)> spoil;
    std::string read;
  };
  // Two sounds and a theme of three parts; the sequence keeps the out-of-range steps 0 and 9.
  const TrackHeader sample{
      "Harbour", {"Gull", "Bell"}, {"Intro", "Verse", "Coda"}, {1, 2, 2, 0, 9, 3}};
  const std::vector<Case> cases = {
      {sample, {}, "Harbour|Gull,Bell,|Intro,Verse,Coda,|1 2 2 0 9 3 "},
      {{"A name far too long", {"Sixteen letters!"}, {}, std::vector<std::int16_t>(70, 2)},
       {},
       "A name far too |Sixteen letters,||" + twos},
      // Fewer items than the record has room for leave the rest unread.
      {sample, put(26, 1), "Harbour|Gull,Bell,|Intro,|1 2 2 0 9 3 "},
      {sample, put(40, 7), "Harbour|Gull,Bell,|Intro,Verse,Coda,|1 2 2 0 9 7 "},
      {sample, [](Bytes& r) { r.resize(177); }, "track header of 177 bytes, fewer than 178"},
      {sample, put(24, -1), "-1 sounds and 3 theme parts: counts may not be negative"},
      {sample, put(28, 65), "65 theme sequence steps, not 0 to 64"},
      {sample, put(26, 4), "2 sounds and 4 theme parts do not fit a track header of 298 bytes"},
      {sample, [](Bytes& r) { r.pop_back(); },
       "2 sounds and 3 theme parts do not fit a track header of 297 bytes"},
      {sample, [](Bytes& r) { r[158] = 16; }, "track name longer than 15"},
      {sample, [](Bytes& r) { r[159] = 'B'; }, "Barbour|Gull,Bell,|Intro,Verse,Coda,|1 2 2 0 9 3 "},
      {sample, [](Bytes& r) { r[178 + 24 + 8] = 200; }, "sound name longer than 15"},
  };
  for (const Case& c : cases) {
    Bytes record = WriteTrackHeader(c.written);
    if (c.spoil) c.spoil(record);
    EXPECT_EQ(Read(record), c.read) << c.written.name << " row " << (&c - cases.data());
  }
}

constexpr std::string_view kNoObject = "No such object.";

class TrackBuiltinsTest : public StageTitleTest {
 protected:
  // Writes the track file `file` of `header`, each sound and part `blocks` of 1024 silent samples.
  void WriteTrack(std::string_view file, const TrackHeader& header, int blocks = 4) {
    std::vector<test::Bytes> records{WriteTrackHeader(header)};
    records.resize(1 + header.sounds.size() + header.themeParts.size(),
                   test::SoundRecordOf(22050, std::vector<std::uint8_t>(blocks * 1024, 128)));
    WriteStageFile(title_, file, records, kTrackFileType);
  }
  TitleRun& StartTracks() {
    WriteTrack("BELLS.SNG", {"Bells", {"ding", "dong", "knock"}, {"tune", "coda"}, {1, 2, 9}});
    WriteTrack("DOORS.SNG", {"Doors", {"knock", "creak"}, {}, {}});
    WriteTrack("MUTE.SNG", {"Mute", {}, {"part"}, {0, 5}});
    WriteTrack("LONG.SNG", {"Long", {"hum"}, {}, {}}, 400);
    return Start();
  }
};

// Tracks open in order; the first opened wins a name; counting and indexing; closing keeps the
// order of the rest.
TEST_F(TrackBuiltinsTest, OpenFindSetPlayHaltAndClose) {
  TitleRun& run = StartTracks();
  run.Expect({
      {"opentrackfile(\"bells.sng\")", "OK"},
      {"opentrackfile(\"doors.sng\")", "OK"},
      {"opentrackfile(\"mute.sng\")", "OK"},
      {"opentrackfile(\"stage.stg\")", "Wrong type of file."},
      {"counttracks()", "3"},
      {"indextotrack(2)", "\"Doors\""},
      {"countsounds(\"bells\")", "3"},
      {"indextosound(\"Doors\", 2)", "\"creak\""},
      {"soundvol(\"knock\", 7)", "OK"},
      {"soundvol(\"knock\")", "7"},
      {"closetrackfile(\"bells\")", "OK"},
      {"soundvol(\"knock\")", "255"},
      {"\"\" @ indextotrack(1) @ indextotrack(2)", "\"DoorsMute\""},
      {"closetrackfile(\"bells\")", kNoObject},
      // The properties' clamps, their errors, and themevol over every part and step.
      {"opentrackfile(\"bells.sng\")", "OK"},
      {"soundvol(\"ding\", 300)", "OK"},
      {"soundvol(\"ding\")", "255"},
      {"soundvol(\"ding\", -1)", "OK"},
      {"soundvol(\"ding\")", "0"},
      {"soundpan(\"ding\", 999)", "OK"},
      {"\"\" @ numtostring(soundpan(\"dong\")) @ \"/\" @ numtostring(soundpan(\"ding\"))",
       "\"128/255\""},
      {"soundloop(\"ding\", true)", "OK"},
      {"soundloop(\"ding\")", "True"},
      {"soundvol(\"nothing\", 3)", kNoObject},
      {"soundrate(\"ding\")", "22050"},
      {"themevol(\"bells\")", "255"},
      {"themevol(\"bells\", 40)", "OK"},
      {"themevol(\"bells\")", "40"},
      // Effects take channels 1 and 2, a voice channel 0, the theme channel 3 plays the
      // sequence's parts that exist; halting frees each; a theme of no existing part plays none.
      {"opentrackfile(\"long.sng\")", "OK"},
      {"\"\" @ currentsound() @ currentvoice() @ currenttheme(1)", "\"NoneNoneNone\""},
      {"singlesound(\"hum\")", "OK"},
      {"voicesound(\"hum\")", "OK"},
      {"playtheme(\"bells\")", "OK"},
      {"\"\" @ currentsound() @ currentvoice() @ currenttheme(1) @ currenttheme(2)",
       "\"humhumtuneBells\""},
      {"sounddone()", "False"},
      {"haltsound()", "OK"},
      {"sounddone()", "True"},
      {"voicedone()", "False"},
      {"haltvoice()", "OK"},
      {"halttheme()", "OK"},
      {"\"\" @ currentvoice() @ currenttheme(1)", "\"NoneNone\""},
      {"playtheme(\"mute\")", "OK"},
      {"currenttheme(1)", "\"None\""},
      {"playtheme(\"nothing\")", kNoObject},
  });
}

}  // namespace
}  // namespace lw::testing

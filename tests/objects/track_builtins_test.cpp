// Track files run by a headless title: opening and closing them, finding sounds across tracks,
// the properties with their clamps and errors, and what the channels say while sounds play and
// after they are halted. The sounds are records of silence; the mixer's own tests check
// the samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "objects/track_file.h"
#include "stage_title.h"
#include "support/storage_sound_records.h"

namespace lw::testing {
namespace {

constexpr std::string_view kNoObject = "No such object.";

// A track file: its sounds (each `blocks` long) and theme parts, and the theme's sequence.
std::vector<test::Bytes> TrackRecords(std::string name, std::vector<std::string> sounds,
                                      std::vector<std::string> parts,
                                      std::vector<std::int16_t> sequence, int blocks = 4) {
  std::vector<test::Bytes> records;
  records.push_back(WriteTrackHeader(TrackHeader{.name = std::move(name),
                                                 .sounds = sounds,
                                                 .themeParts = parts,
                                                 .sequence = std::move(sequence)}));
  for (std::size_t i = 0; i < sounds.size() + parts.size(); ++i)
    records.push_back(test::SoundRecordOf(22050, std::vector<std::uint8_t>(blocks * 1024, 128)));
  return records;
}

class TrackBuiltinsTest : public StageTitleTest {
 protected:
  TitleRun& StartTracks() {
    WriteStageFile(title_, "BELLS.SNG",
                   TrackRecords("Bells", {"ding", "dong", "knock"}, {"tune", "coda"}, {1, 2, 9}),
                   "SONG");
    WriteStageFile(title_, "DOORS.SNG", TrackRecords("Doors", {"knock", "creak"}, {}, {}), "SONG");
    WriteStageFile(title_, "MUTE.SNG", TrackRecords("Mute", {}, {"part"}, {0, 5}), "SONG");
    WriteStageFile(title_, "LONG.SNG", TrackRecords("Long", {"hum"}, {}, {}, 400), "SONG");
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
      {"indextotrack(4)", kNoObject},
      {"countsounds(\"bells\")", "3"},
      {"indextosound(\"Doors\", 2)", "\"creak\""},
      {"indextosound(\"Doors\", 3)", kNoObject},
      {"soundvol(\"knock\", 7)", "OK"},
      {"soundvol(\"knock\")", "7"},
      {"closetrackfile(\"bells\")", "OK"},
      {"soundvol(\"knock\")", "255"},
      {"\"\" @ indextotrack(1) @ indextotrack(2)", "\"DoorsMute\""},
      {"countsounds(\"bells\")", kNoObject},
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
      {"soundloop(\"dong\")", "False"},
      {"soundloop(\"ding\", 1)", "Bad argument type."},
      {"soundvol(\"ding\", \"x\")", "Bad argument type."},
      {"soundvol(\"nothing\", 3)", kNoObject},
      {"soundrate(\"ding\")", "22050"},
      {"themevol(\"bells\")", "255"},
      {"themevol(\"bells\", 400)", "OK"},
      {"themevol(\"bells\", 40)", "OK"},
      {"themevol(\"bells\")", "40"},
      // Effects take channels 1 and 2, a voice channel 0, the theme channel 3 plays the
      // sequence's parts that exist; halting frees each; a theme of no existing part plays none.
      {"opentrackfile(\"long.sng\")", "OK"},
      {"sounddone()", "True"},
      {"voicedone()", "True"},
      {"\"\" @ currentsound() @ currentvoice() @ currenttheme(1)", "\"NoneNoneNone\""},
      {"singlesound(\"hum\")", "OK"},
      {"voicesound(\"hum\")", "OK"},
      {"playtheme(\"bells\")", "OK"},
      {"\"\" @ currentsound() @ currentvoice() @ currenttheme(1) @ currenttheme(2)",
       "\"humhumtuneBells\""},
      {"sounddone()", "False"},
      {"voicedone()", "False"},
      {"haltsound()", "OK"},
      {"sounddone()", "True"},
      {"voicedone()", "False"},
      {"haltvoice()", "OK"},
      {"halttheme()", "OK"},
      {"\"\" @ currentvoice() @ currenttheme(1)", "\"NoneNone\""},
      {"playtheme(\"mute\")", "OK"},
      {"currenttheme(1)", "\"None\""},
      {"playtheme(\"nothing\")", kNoObject},
      {"voicesound(\"nothing\")", kNoObject},
  });
}

}  // namespace
}  // namespace lw::testing

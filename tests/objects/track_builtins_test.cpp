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

// The puppet of the puppet tests: "TALK.PUP", whose file name is "Owl", one puppet "owl", and a
// picture of two layers: a background of colour 5 and a mouth of 20 x 10 pixels with its corner
// at picture point (100, 200), closed in colour 7 or open in colour 8. The bevel band is colour 9.
//
//   LINE     SOUND                LIP-SYNC FRAMES (mouth; changed rectangle)        SUBTITLE
//   hello    4410 samples, 0.2 s  closed; open 100,200,110,220; open -; closed     "Hello there."
//                                 100,200,110,220; open 100,200,110,220; closed
//                                 100,200,110,220
//   hush     as hello             as hello                                          "*quiet"
//   idle 1   1470 samples         closed; open 100,200,110,220                      "Hmm."
//
// "idle 1" comes round every 30 to 40 ticks. The player line "Goodbye." has a sound of its own.
// The owl's script logs openpuppet and closepuppet in the boot script's `log`, and its greet()
// gives "hoot".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "objects/puppet_file.h"
#include "stage_title.h"

namespace lw::testing {

// The puppet file's records; `damage` may change them before they are written.
struct PuppetRecords {
  PuppetHeader header;
  std::vector<PlayerLine> playerLines;
  std::vector<PuppetEntry> puppets;
  PuppetLayers layers;
  std::vector<test::Bytes> records;  // 0 to 3 are made from the fields above when written
};

PuppetRecords SamplePuppet();

class PuppetTitleTest : public StageTitleTest {
 protected:
  // Writes TALK.PUP (SamplePuppet, as `damage` leaves it) and boots the title with `input`,
  // tracing presents from tick `from` on as "TICK:top,left,bottom,right" in screen coordinates.
  TitleRun& StartPuppet(std::string_view input,
                        const std::function<void(PuppetRecords&)>& damage = {},
                        std::uint32_t from = 0);
  // The presents traced so far, joined by spaces, emptied.
  std::string TakePresents();

  std::string presents_;
};

}  // namespace lw::testing

// A title run that traces what a movie shows: every present as its rectangle, with what the
// theme channel plays then.
#pragma once

#include <string>
#include <string_view>

#include "stage_title.h"
#include "support/storage_movie_files.h"

namespace lw::testing {

class MovieTitleTest : public StageTitleTest {
 protected:
  // Boots the title with `input` and plays `name` through playmovie; the presents the movie
  // made, one "top,left,bottom,right" each (with " theme=ID" when channel 3 plays a record),
  // joined by spaces, then " | " and the boxes shown.
  std::string Play(std::string_view name, std::string_view input = "");

  // The colour index that the window shows at (h, v).
  [[nodiscard]] int Shown(int h, int v);
};

}  // namespace lw::testing

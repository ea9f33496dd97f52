// movieplayer: plays one movie file. Everything but the argument list is in movieplayer_core.
#include <string_view>
#include <vector>

#include "apps/movieplayer/movie_program.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return lw::movieplayer::Main(args);
}

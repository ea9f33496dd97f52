// titleplayer: boots and plays a title. Everything but the argument list is in titleplayer_core.
#include <string_view>
#include <vector>

#include "apps/titleplayer/player.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return lw::titleplayer::Main(args);
}

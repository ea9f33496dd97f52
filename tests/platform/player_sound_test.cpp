// The player's hold on the sound device: the player's level over the title's, and the mute of
// Ctrl+Shift+M, applied to the samples as they are copied out; 16-bit signed and 8-bit unsigned.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/sdl/sdl_audio.h"

namespace lw::platform {
namespace {

struct PlayerSoundCase {
  int bytesPerSample;
  int titleLevel;
  int playerLevel;
  bool muted;
  std::vector<std::uint8_t> expected;
};

TEST(PlayerSoundTest, PlayerLevelAndMuteOverTheTitlesLevel) {
  // 16-bit: 900 and -900; 8-bit: 128 + 90 and 128 - 90.
  const std::vector<std::uint8_t> wide = {0x84, 0x03, 0x7C, 0xFC};
  const std::vector<std::uint8_t> narrow = {218, 38};
  const std::vector<PlayerSoundCase> cases = {
      {2, 9, 9, false, {0x84, 0x03, 0x7C, 0xFC}},  // as they are
      {2, 3, 9, false, {0x2C, 0x01, 0xD4, 0xFE}},  // 300, -300
      {2, 9, 3, false, {0x2C, 0x01, 0xD4, 0xFE}},
      {2, 3, 3, false, {0x64, 0x00, 0x9C, 0xFF}},  // 100, -100
      {2, 9, 9, true, {0, 0, 0, 0}},
      {1, 9, 9, false, {218, 38}},
      {1, 9, 3, false, {158, 98}},  // 128 + 30, 128 - 30
      {1, 3, 3, false, {138, 118}},
      {1, 9, 9, true, {128, 128}},
  };
  for (const PlayerSoundCase& c : cases) {
    PlayerSound player;
    player.level = c.playerLevel;
    player.muted = c.muted;
    const std::vector<std::uint8_t>& from = c.bytesPerSample == 2 ? wide : narrow;
    std::vector<std::uint8_t> out(from.size() + 1, 0xEE);  // one byte more, left alone
    CopyForPlayer(from, out, c.bytesPerSample, c.titleLevel, player);
    std::vector<std::uint8_t> expected = c.expected;
    expected.push_back(0xEE);
    EXPECT_EQ(out, expected) << c.bytesPerSample << " bytes, title " << c.titleLevel << ", player "
                             << c.playerLevel << (c.muted ? ", muted" : "");
  }
}

}  // namespace
}  // namespace lw::platform

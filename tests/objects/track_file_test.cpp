// Track headers written by the tools and read back by the checking reader, and headers that do
// not hold what they claim, each refused with its reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "objects/track_file.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutI16(Bytes& record, std::size_t offset, std::int16_t value) {
  record[offset] = static_cast<std::uint8_t>(value);
  record[offset + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) >> 8);
}

std::string Reason(const Expected<TrackHeader, std::string>& read) {
  return read ? std::string("read") : read.error();
}

// Two sounds and a theme of three parts; the sequence keeps the out-of-range steps 0 and 9.
TrackHeader SampleHeader() {
  return {"Harbour", {"Gull", "Bell"}, {"Intro", "Verse", "Coda"}, {1, 2, 2, 0, 9, 3}};
}

TEST(TrackFile, HeaderBytesSitWhereTheLayoutPutsThem) {
  const Bytes record = WriteTrackHeader(SampleHeader());
  ASSERT_EQ(record.size(), 178u + 5 * 24);
  EXPECT_EQ(Bytes(record.begin() + 24, record.begin() + 42),
            (Bytes{2, 0, 3, 0, 6, 0, 1, 0, 2, 0, 2, 0, 0, 0, 9, 0, 3, 0}));
  EXPECT_EQ(std::string(record.begin() + 158, record.begin() + 166), "\x07Harbour");
  EXPECT_EQ(std::string(record.begin() + 178 + 8, record.begin() + 178 + 13), "\x04Gull");
  EXPECT_EQ(std::string(record.begin() + 178 + 4 * 24 + 8, record.begin() + 178 + 4 * 24 + 13),
            "\x04"
            "Coda");
  // Everything the layout does not name is zero.
  Bytes unnamed = record;
  std::fill(unnamed.begin() + 24, unnamed.begin() + 42, 0);
  std::fill(unnamed.begin() + 158, unnamed.begin() + 166, 0);
  for (std::size_t entry = 0; entry < 5; ++entry) {
    const auto name = unnamed.begin() + static_cast<std::ptrdiff_t>(178 + entry * 24 + 8);
    std::fill(name, name + 16, 0);
  }
  EXPECT_EQ(std::count(unnamed.begin(), unnamed.end(), 0), static_cast<long>(unnamed.size()));
}

// Headers read back as written, but for what the layout cannot hold: names cut to 15 letters
// and the sequence to 64 steps.
TEST(TrackFile, HeadersReadBackAsWrittenOrCutToTheLayout) {
  const std::vector<std::pair<TrackHeader, TrackHeader>> cases = {
      {SampleHeader(), SampleHeader()},
      {TrackHeader{}, TrackHeader{}},
      {{"Empty theme", {"Only"}, {}, {}}, {"Empty theme", {"Only"}, {}, {}}},
      {{"Full", {}, {"Loop"}, std::vector<std::int16_t>(64, 1)},
       {"Full", {}, {"Loop"}, std::vector<std::int16_t>(64, 1)}},
      {{"A name far too long", {"Sixteen letters!"}, {}, std::vector<std::int16_t>(70, 2)},
       {"A name far too ", {"Sixteen letters"}, {}, std::vector<std::int16_t>(64, 2)}},
  };
  for (const auto& [written, expected] : cases) {
    auto read = ReadTrackHeader(WriteTrackHeader(written));
    ASSERT_TRUE(read) << written.name << ": " << read.error();
    EXPECT_EQ(read->name, expected.name);
    EXPECT_EQ(read->sounds, expected.sounds);
    EXPECT_EQ(read->themeParts, expected.themeParts);
    EXPECT_EQ(read->sequence, expected.sequence);
  }
}

TEST(TrackFile, HostileHeadersAreRefusedWithTheirReason) {
  const Bytes good = WriteTrackHeader(SampleHeader());
  struct Case {
    const char* what;
    std::function<void(Bytes&)> spoil;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"cut short", [](Bytes& r) { r.resize(177); }, "track header of 177 bytes, fewer than 178"},
      {"negative sounds", [](Bytes& r) { PutI16(r, 24, -1); },
       "-1 sounds and 3 theme parts: counts may not be negative"},
      {"negative parts", [](Bytes& r) { PutI16(r, 26, -32768); },
       "2 sounds and -32768 theme parts: counts may not be negative"},
      {"sequence too long", [](Bytes& r) { PutI16(r, 28, 65); },
       "65 theme sequence steps, not 0 to 64"},
      {"negative sequence", [](Bytes& r) { PutI16(r, 28, -2); },
       "-2 theme sequence steps, not 0 to 64"},
      {"parts past the end", [](Bytes& r) { PutI16(r, 26, 4); },
       "2 sounds and 4 theme parts do not fit a track header of 298 bytes"},
      {"sounds past the end", [](Bytes& r) { PutI16(r, 24, 32767); },
       "32767 sounds and 3 theme parts do not fit a track header of 298 bytes"},
      {"entry cut short", [](Bytes& r) { r.pop_back(); },
       "2 sounds and 3 theme parts do not fit a track header of 297 bytes"},
      {"long track name", [](Bytes& r) { r[158] = 16; }, "track name longer than 15"},
      {"long sound name", [](Bytes& r) { r[178 + 24 + 8] = 200; }, "sound name longer than 15"},
      {"long part name", [](Bytes& r) { r[178 + 4 * 24 + 8] = 16; },
       "theme part name longer than 15"},
  };
  for (const Case& c : cases) {
    Bytes record = good;
    c.spoil(record);
    EXPECT_EQ(Reason(ReadTrackHeader(record)), c.reason) << c.what;
  }
  // Fewer items than the record has room for leave the rest unread.
  Bytes fewer = good;
  PutI16(fewer, 26, 1);
  auto read = ReadTrackHeader(fewer);
  ASSERT_TRUE(read) << read.error();
  EXPECT_EQ(read->themeParts, std::vector<std::string>{"Intro"});
}

}  // namespace
}  // namespace lw

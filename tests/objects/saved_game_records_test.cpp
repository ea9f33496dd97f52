// The records of saved games, byte by byte: each field where the layout puts it (offsets are
// literals from the layout tables), every record read back as written, and damaged records
// refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/byte_io.h"
#include "objects/saved_game_header.h"
#include "objects/saved_game_tables.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint16_t U16At(const Bytes& b, std::size_t at) { return LoadU16(b.data() + at); }
std::uint32_t U32At(const Bytes& b, std::size_t at) { return LoadU32(b.data() + at); }
// The text of a length-prefixed field at `at`.
std::string TextAt(const Bytes& b, std::size_t at) {
  return {reinterpret_cast<const char*>(b.data()) + at + 1, b[at]};
}

GameHeader SampleHeader() {
  GameHeader h;
  h.identity = "Garden Quest";
  h.pathSlots[0] = "appl:";
  h.pathSlots[3] = "appl:music:";
  h.themeTrack = 7;
  h.effectTrack = 8;
  h.effectRecord = 9;
  h.colours.entries[5] = {0x0101, 0x0202, 0x0303};
  h.files = {{11, "appl:CAST.CST"}, {12, "appl:bootfile"}};
  return h;
}

TEST(SavedGameRecordsTest, GameHeaderFieldsAndRoundTrip) {
  const Bytes b = EncodeGameHeader(SampleHeader());
  ASSERT_EQ(b.size(), 4624u + 2 * 260);
  EXPECT_EQ(TextAt(b, 0), "Garden Quest");
  EXPECT_EQ(TextAt(b, 256), "appl:");
  EXPECT_EQ(TextAt(b, 256 + 3 * 256), "appl:music:");
  EXPECT_EQ(U32At(b, 2560), 7u);
  EXPECT_EQ(U32At(b, 2564), 8u);
  EXPECT_EQ(U32At(b, 2568), 9u);
  EXPECT_EQ(U16At(b, 2572 + 5 * 8), 5u);  // the entry's index, then red, green, blue
  EXPECT_EQ(U16At(b, 2572 + 5 * 8 + 2), 0x0101u);
  EXPECT_EQ(U16At(b, 2572 + 5 * 8 + 6), 0x0303u);
  EXPECT_EQ(U32At(b, 4620), 2u);
  EXPECT_EQ(U32At(b, 4624), 11u);
  EXPECT_EQ(TextAt(b, 4628), "appl:CAST.CST");
  EXPECT_EQ(U32At(b, 4624 + 260), 12u);

  auto back = DecodeGameHeader(b);
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(back->identity, "Garden Quest");
  EXPECT_EQ(back->pathSlots[3], "appl:music:");
  EXPECT_EQ(back->colours.entries[5].blue, 0x0303);
  ASSERT_NE(back->file(12), nullptr);
  EXPECT_EQ(back->file(12)->path, "appl:bootfile");
  EXPECT_EQ(back->file(13), nullptr);
}

TEST(SavedGameRecordsTest, ObjectStateFieldsAndRoundTrip) {
  ObjectState s;
  s.frame = 0x01020304;
  s.puppetParams[7] = -5;
  s.puppetGrab = true;
  s.puppetBase = "rest";
  s.counts = {3, 1, 2, 1, 4};
  s.stage = {.open = true, .visible = true, .file = 21, .flat = 2, .scriptId = 6, .name = "Hall"};
  s.set.open = true;
  s.set.file = 22;
  s.set.column = 4;
  s.set.row = 5;
  s.set.direction = 3;
  s.set.viewAngle = 64;
  s.set.cameraCellRow = -1;
  s.set.name = "Yard";
  s.puppet.fileName = "TALK.PUP";
  const Bytes b = EncodeObjectState(s);
  ASSERT_EQ(b.size(), 542u);
  EXPECT_EQ(U32At(b, 248), 0x01020304u);
  EXPECT_EQ(static_cast<std::int16_t>(U16At(b, 252 + 7 * 2)), -5);
  EXPECT_EQ(U16At(b, 268), 1u);
  EXPECT_EQ(TextAt(b, 270), "rest");
  EXPECT_EQ(U32At(b, 312 + 4), 3u);          // actors: (block, count)
  EXPECT_EQ(U32At(b, 312 + 4 * 8 + 4), 4u);  // tracks
  EXPECT_EQ(U16At(b, 352), 1u);
  EXPECT_EQ(U32At(b, 356), 21u);
  EXPECT_EQ(U32At(b, 360), 2u);
  EXPECT_EQ(U32At(b, 368), 6u);
  EXPECT_EQ(TextAt(b, 372), "Hall");
  EXPECT_EQ(U16At(b, 388), 1u);
  EXPECT_EQ(U32At(b, 396), 22u);
  EXPECT_EQ(U16At(b, 446), 4u);
  EXPECT_EQ(U16At(b, 448), 5u);
  EXPECT_EQ(U16At(b, 450), 3u);
  EXPECT_EQ(U16At(b, 458), 64u);
  EXPECT_EQ(U16At(b, 480), 0xFFFFu);
  EXPECT_EQ(TextAt(b, 482), "Yard");
  EXPECT_EQ(TextAt(b, 526), "TALK.PUP");

  auto back = DecodeObjectState(b);
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(back->count(SavedTable::kTracks), 4u);
  EXPECT_EQ(back->stage.name, "Hall");
  EXPECT_EQ(back->set.direction, 3);
  EXPECT_EQ(back->puppetBase, "rest");
}

TEST(SavedGameRecordsTest, TableRecordFieldsAndRoundTrip) {
  SavedFigure actor;
  actor.group = 31;
  actor.figure.serial = 77;
  actor.figure.turn = 9;
  actor.figure.hitH = 12;
  actor.figure.name = "robin";
  actor.figure.owner = "player";
  const Bytes a = EncodeFigure(FigureKind::kActor, actor);
  ASSERT_EQ(a.size(), 164u);
  EXPECT_EQ(U32At(a, 2), 31u);
  EXPECT_EQ(U16At(a, 36), 9u);
  EXPECT_EQ(U32At(a, 48), 77u);
  EXPECT_EQ(U16At(a, 82), 12u);
  EXPECT_EQ(TextAt(a, 84), "robin");
  EXPECT_EQ(TextAt(a, 148), "player");
  const Bytes p = EncodeFigure(FigureKind::kProp, actor);
  ASSERT_EQ(p.size(), 158u);
  EXPECT_EQ(U32At(p, 46), 77u);
  EXPECT_EQ(TextAt(p, 78), "robin");
  auto back = DecodeFigure(FigureKind::kActor, a);
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(back->figure.owner, "player");
  EXPECT_EQ(back->figure.hitH, 12);

  WalkSlot walk;
  walk.active = true;
  walk.length = 160;
  walk.path = SetPath{};
  walk.actor = "robin";
  walk.destination = "bench";
  const Bytes w = EncodeWalk(walk);
  ASSERT_EQ(w.size(), 82u);
  EXPECT_EQ(U32At(w, 20), 160u);
  EXPECT_EQ(U32At(w, 36), 1u);
  EXPECT_EQ(TextAt(w, 50), "robin");
  EXPECT_EQ(TextAt(w, 66), "bench");
  auto walkBack = DecodeWalk(w);
  ASSERT_TRUE(walkBack) << walkBack.error();
  EXPECT_TRUE(walkBack->path.has_value());

  BallSlot ball;
  ball.framesLeft = 70000;  // kept as an i16: the most it holds
  ball.prop = "ball";
  const Bytes bb = EncodeBall(ball);
  ASSERT_EQ(bb.size(), 48u);
  EXPECT_EQ(U16At(bb, 14), 32767u);
  EXPECT_EQ(TextAt(bb, 32), "ball");
  const Bytes l = EncodeLoop({.active = true,
                              .kind = LoopKind::kFlat,
                              .ticksLeft = 50,
                              .object = "hall",
                              .handler = "chime"});
  ASSERT_EQ(l.size(), 42u);
  EXPECT_EQ(U16At(l, 4), 4u);
  EXPECT_EQ(U32At(l, 6), 50u);
  EXPECT_EQ(TextAt(l, 26), "chime");

  const Bytes g = EncodeGroup({.file = 5, .scriptId = 6, .name = "Birds"});
  ASSERT_EQ(g.size(), 28u);
  EXPECT_EQ(TextAt(g, 12), "Birds");
  const Bytes t =
      EncodeTrack({.file = 5, .sounds = 2, .themeParts = 1, .sequence = 3, .name = "Bells"});
  ASSERT_EQ(t.size(), 38u);
  EXPECT_EQ(U16At(t, 8), 3u);
  EXPECT_EQ(TextAt(t, 22), "Bells");
  const Bytes s = EncodeSound({.volume = 90,
                               .pan = 20,
                               .loop = true,
                               .recordId = 4,
                               .file = 5,
                               .priority = 0x10004,
                               .name = "ding"});
  ASSERT_EQ(s.size(), 104u);
  EXPECT_EQ(U16At(s, 40), 90u);
  EXPECT_EQ(U16At(s, 44), 1u);
  EXPECT_EQ(U32At(s, 54), 5u);
  EXPECT_EQ(U32At(s, 62), 0x10004u);
  EXPECT_EQ(TextAt(s, 66), "ding");
}

// Every damaged record is refused with a reason, never read past its end.
TEST(SavedGameRecordsTest, DamagedRecordsAreRefused) {
  Bytes header = EncodeGameHeader(SampleHeader());
  const auto refused = [](auto decoded) { return !decoded; };
  EXPECT_TRUE(refused(DecodeGameHeader(Bytes(header.begin(), header.end() - 1))));
  EXPECT_TRUE(refused(DecodeGameHeader(Bytes(header.begin(), header.begin() + 4623))));
  Bytes moreFiles = header;
  moreFiles[4620] = 3;  // three entries claimed, two there
  EXPECT_TRUE(refused(DecodeGameHeader(moreFiles)));
  Bytes longText = header;
  longText[256 + 255] = 0;  // slot 0 stays in its field whatever its length byte says
  longText[0] = 0;
  EXPECT_FALSE(refused(DecodeGameHeader(longText)));

  const Bytes state = EncodeObjectState({});
  EXPECT_TRUE(refused(DecodeObjectState(Bytes(state.begin(), state.end() - 1))));
  Bytes badName = state;
  badName[372] = 16;  // a stage name longer than its field holds
  EXPECT_TRUE(refused(DecodeObjectState(badName)));

  const Bytes actor = EncodeFigure(FigureKind::kActor, {});
  EXPECT_TRUE(refused(DecodeFigure(FigureKind::kProp, actor)));
  const auto decode = [](std::span<const std::uint8_t> b) { return DecodeGroup(b); };
  const Bytes group = EncodeGroup({});
  Bytes two = group;
  two.insert(two.end(), group.begin(), group.end());
  EXPECT_TRUE(DecodeTable<SavedGroup>(two, 2, 28, decode));
  EXPECT_TRUE(refused(DecodeTable<SavedGroup>(two, 3, 28, decode)));
  EXPECT_TRUE(refused(DecodeTable<SavedGroup>(two, 0, 28, decode)));
  EXPECT_TRUE(DecodeTable<SavedGroup>(Bytes{0}, 0, 28, decode));
}

}  // namespace
}  // namespace lw

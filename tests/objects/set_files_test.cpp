// Set file records written by the tools and read back by the checking readers, and records that
// do not hold what they claim, each refused with its reason.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "objects/set_file.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& record, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The reason a read is refused, or "read" when it is not.
template <typename T>
std::string Reason(const Expected<T, std::string>& read) {
  return read ? std::string("read") : read.error();
}

std::uint32_t GetU32(const Bytes& record, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i > 0; --i) value = (value << 8) | record[offset + i - 1];
  return value;
}

// A set of two scenes on floors 0 and 3, the second a building with its own script.
SetHeader SampleHeader() {
  SetHeader h;
  h.moveCount = 2;
  h.view20 = -20, h.view22 = 22, h.cameraSetBack = 96, h.cameraHeight = 40, h.check28 = 1;
  h.moveTableId = 3, h.starRecordId = 4, h.width = 6, h.height = 5, h.view42 = 42, h.view44 = 44;
  h.startColumn = 2, h.startRow = 1, h.startDirection = 3, h.scriptId = 2, h.name = "Maze";
  h.floorScriptIds[0] = 7, h.floorScriptIds[31] = 8;
  h.scenes = {{.row = 1, .column = 2, .floor = 0, .name = "Hall"},
              {.row = 1,
               .column = 3,
               .hasOwnScript = true,
               .building = true,
               .floor = 3,
               .name = "Tower",
               .scriptId = 9}};
  return h;
}

std::string Trace(const SetHeader& h) {
  std::ostringstream out;
  out << h.name << " moves " << h.moveCount << " view " << h.view20 << ',' << h.view22 << ','
      << h.view42 << ',' << h.view44 << " camera " << h.cameraSetBack << ',' << h.cameraHeight
      << " check " << h.check28 << " records " << h.moveTableId << ',' << h.starRecordId << ','
      << h.scriptId << " size " << h.width << 'x' << h.height << " start " << h.startColumn << ','
      << h.startRow << ',' << h.startDirection << " floors";
  for (std::uint32_t id : h.floorScriptIds)
    if (id != 0) out << ' ' << id;
  for (const SceneEntry& s : h.scenes) {
    out << " | " << s.name << ' ' << s.row << ',' << s.column << " floor " << s.floor
        << (s.building ? " building" : "") << (s.hasOwnScript ? " script " : " ") << s.scriptId;
  }
  return out.str();
}

TEST(SetFilesTest, WrittenRecordsReadBackAsWritten) {
  const Bytes header = WriteSetHeader(SampleHeader());
  ASSERT_EQ(header.size(), 7184u + 2 * 32);
  // A few fields at their offsets: the move count, the start direction, the scene count and the
  // second scene's floor and script.
  EXPECT_EQ(GetU32(header, 8), 2u);
  EXPECT_EQ(header[52], 3);
  EXPECT_EQ(GetU32(header, 7180), 2u);
  EXPECT_EQ(header[7184 + 32 + 10], 3);
  EXPECT_EQ(GetU32(header, 7184 + 32 + 28), 9u);
  auto read = ReadSetHeader(header);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ(Trace(*read),
            "Maze moves 2 view -20,22,42,44 camera 96,40 check 1 records 3,4,2 size 6x5 start "
            "2,1,3 floors 7 8 | Hall 1,2 floor 0 0 | Tower 1,3 floor 3 building script 9");

  const MoveEntry moves[] = {{2, 1, 3, 3, 1, 3, 100}, {2, 1, 3, 2, 1, 1, 105}};
  const Bytes table = WriteMoveTable(moves);
  EXPECT_EQ(GetU32(table, 28 + 24), 105u);
  auto readMoves = ReadMoveTable(table, 2);
  ASSERT_TRUE(readMoves.ok()) << readMoves.error();
  std::string movesTrace;
  for (const MoveEntry& m : *readMoves) {
    movesTrace += std::to_string(m.fromColumn) + ',' + std::to_string(m.fromRow) + ',' +
                  std::to_string(m.fromDirection) + '>' + std::to_string(m.toColumn) + ',' +
                  std::to_string(m.toRow) + ',' + std::to_string(m.toDirection) + '@' +
                  std::to_string(m.firstPicture) + ' ';
  }
  EXPECT_EQ(movesTrace, "2,1,3>3,1,3@100 2,1,3>2,1,1@105 ");

  const StarLink links[] = {{{-5, 6, 7}, "door", 0, {}, ""},
                            {{640, 384, 0}, "bench", 5, {896, 384, 12}, "well"}};
  const Bytes stars = WriteStarRecord(links);
  EXPECT_EQ(GetU32(stars, 24), 2u);
  EXPECT_EQ(stars.size(), 28u + 2 * 50);
  auto readLinks = ReadStarRecord(stars);
  ASSERT_TRUE(readLinks.ok()) << readLinks.error();
  std::ostringstream linksTrace;
  for (const StarLink& l : *readLinks) {
    linksTrace << l.firstName << ' ' << l.first.x << ',' << l.first.y << ',' << l.first.z
               << " path " << l.pathId << ' ' << l.secondName << ' ' << l.second.x << ','
               << l.second.y << ',' << l.second.z << "; ";
  }
  EXPECT_EQ(linksTrace.str(),
            "door -5,6,7 path 0  0,0,0; bench 640,384,0 path 5 well 896,384,12; ");

  const Bytes path = WritePath({300, {{640, 384, 0, 0}, {700, 384, 0, 60}, {896, 384, 12, 240}}});
  EXPECT_EQ(path.size(), 16u + 3 * 8);
  auto readPath = ReadPath(path);
  ASSERT_TRUE(readPath.ok()) << readPath.error();
  std::string pathTrace = std::to_string(readPath->totalLength);
  for (const PathPoint& p : readPath->points) {
    pathTrace += ' ' + std::to_string(p.x) + ',' + std::to_string(p.y) + ',' + std::to_string(p.z) +
                 '/' + std::to_string(p.length);
  }
  EXPECT_EQ(pathTrace, "300 640,384,0/0 700,384,0/60 896,384,12/240");
}

// The runtime writes one scene entry back into the loaded header; an entry past the record is
// refused and leaves the record as it was.
TEST(SetFilesTest, ASceneEntryIsWrittenBackInPlace) {
  Bytes header = WriteSetHeader(SampleHeader());
  const Bytes before = header;
  EXPECT_FALSE(WriteSceneEntry(header, 2, {.name = "Past"}));
  EXPECT_FALSE(WriteSceneEntry(std::span(header).first(7000), 0, {.name = "Short"}));
  EXPECT_EQ(header, before);
  ASSERT_TRUE(WriteSceneEntry(header, 0, {.row = 4, .column = 5, .floor = 31, .name = "Cellar"}));
  auto read = ReadSetHeader(header);
  ASSERT_TRUE(read.ok()) << read.error();
  const std::string trace = Trace(*read);
  EXPECT_EQ(trace.substr(trace.find('|')),
            "| Cellar 4,5 floor 31 0 | Tower 1,3 floor 3 building script 9");
}

Bytes Cut(Bytes record, std::size_t size) {
  record.resize(size);
  return record;
}

Bytes With(Bytes record, std::size_t offset, std::uint32_t value) {
  PutU32(record, offset, value);
  return record;
}

// Each damaged record, the reader it is given to and a literal part of the reason it is refused
// with.
TEST(SetFilesTest, HostileRecordsAreRefusedWithTheirReason) {
  using Reader = std::function<std::string(const Bytes&)>;
  const Reader header = [](const Bytes& r) { return Reason(ReadSetHeader(r)); };
  const Reader twoMoves = [](const Bytes& r) { return Reason(ReadMoveTable(r, 2)); };
  const Reader stars = [](const Bytes& r) { return Reason(ReadStarRecord(r)); };
  const Reader path = [](const Bytes& r) { return Reason(ReadPath(r)); };
  const Bytes set = WriteSetHeader(SampleHeader());
  StarLink link;
  link.firstName = "a";
  const Bytes star = WriteStarRecord({&link, 1});
  const struct {
    Bytes record;
    const Reader& read;
    std::string_view reason;
  } cases[] = {
      {Cut(set, 7000), header, "set header of 7000 bytes, fewer than 7184"},
      {With(set, 7180, 3), header, "3 scenes do not fit a set header of 7248 bytes"},
      {With(set, 7180, 0xFFFFFFFF), header, "4294967295 scenes do not fit"},
      {With(set, 7036, 16), header, "set name longer than 15"},
      {With(set, 7184 + 32 + 12, 200), header, "scene name longer than 15"},
      {Bytes(55), twoMoves, "a move table of 55 bytes cannot hold its 2 moves"},
      {With(star, 24, 2), stars, "a star record of 78 bytes cannot hold its 2 links"},
      {Bytes(20), stars, "a star record of 20 bytes cannot hold its 0 links"},
      {With(star, 28 + 34, 16), stars, "star name longer than 15"},
      {With(WritePath({10, {{1, 2, 3, 4}}}), 0, 0x20000000), path,
       "a path record of 24 bytes cannot hold its 536870912 points"},
      {Bytes(12), path, "a path record of 12 bytes cannot hold its 0 points"},
  };
  for (const auto& c : cases)
    EXPECT_NE(c.read(c.record).find(c.reason), std::string::npos) << c.read(c.record);
}

}  // namespace
}  // namespace lw

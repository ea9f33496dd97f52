#include "objects/saved_game_header.h"

#include "common/byte_io.h"
#include "objects/stored_name.h"

namespace lw {
namespace {

constexpr std::size_t kLongTextBytes = 256;
constexpr std::size_t kColourEntriesOffset = 8;  // in a stored colour table, after its header
constexpr std::size_t kColourEntryBytes = 256 * 8;
constexpr std::size_t kDisplayStateBytes = 244;
constexpr std::size_t kPuppetBaseBytes = 32;
constexpr std::size_t kRuntimeValueBytes = 10;
constexpr std::size_t kPuppetBlockBytes = 16;

void Logic(ByteWriter& out, bool value) { out.i16(value ? 1 : 0); }

Unexpected<std::string> Damaged(std::string why) { return Unexpected{std::move(why)}; }

}  // namespace

const SavedFile* GameHeader::file(std::uint32_t id) const {
  for (const SavedFile& entry : files)
    if (entry.identity == id) return &entry;
  return nullptr;
}

std::vector<std::uint8_t> EncodeGameHeader(const GameHeader& header) {
  ByteWriter out;
  WriteTextField(out, kLongTextBytes, header.identity);
  for (const std::string& slot : header.pathSlots) WriteTextField(out, kLongTextBytes, slot);
  out.u32(header.themeTrack);
  out.u32(header.effectTrack);
  out.u32(header.effectRecord);
  const std::vector<std::uint8_t> colours = EncodeColourTable16(header.colours);
  out.bytes(std::span(colours).subspan(kColourEntriesOffset, kColourEntryBytes));
  out.u32(static_cast<std::uint32_t>(header.files.size()));
  for (const SavedFile& entry : header.files) {
    out.u32(entry.identity);
    WriteTextField(out, kLongTextBytes, entry.path);
  }
  return out.take();
}

Expected<GameHeader, std::string> DecodeGameHeader(std::span<const std::uint8_t> record) {
  if (record.size() < kGameHeaderBytes) return Damaged("the game header is cut short");
  ByteReader in(record);
  GameHeader header;
  bool texts = ReadTextField(in, kLongTextBytes, header.identity);
  for (std::string& slot : header.pathSlots)
    texts = ReadTextField(in, kLongTextBytes, slot) && texts;
  header.themeTrack = in.u32();
  header.effectTrack = in.u32();
  header.effectRecord = in.u32();
  // The stored colour table's own header (seed, flags, count) is not saved: give it back.
  std::vector<std::uint8_t> colours = EncodeColourTable16(ColourTable{});
  const std::span<const std::uint8_t> entries = in.bytes(kColourEntryBytes);
  std::copy(entries.begin(), entries.end(), colours.begin() + kColourEntriesOffset);
  auto table = DecodeColourTable16(colours);
  if (!table) return Damaged("the colour table is damaged: " + table.error());
  header.colours = *table;
  const std::uint32_t count = in.u32();
  if (count != (record.size() - kGameHeaderBytes) / kSavedFileEntryBytes ||
      record.size() != kGameHeaderBytes + count * kSavedFileEntryBytes)
    return Damaged("the star-file list does not fill the game header record");
  header.files.resize(count);
  for (SavedFile& entry : header.files) {
    entry.identity = in.u32();
    texts = ReadTextField(in, kLongTextBytes, entry.path) && texts;
  }
  if (!texts || in.failed()) return Damaged("a text of the game header is damaged");
  return header;
}

std::vector<std::uint8_t> EncodeObjectState(const ObjectState& state) {
  ByteWriter out;
  out.zeros(kDisplayStateBytes);
  out.u16(state.effectNesting);
  out.zeros(2);
  out.u32(state.frame);
  for (const std::int16_t param : state.puppetParams) out.i16(param);
  Logic(out, state.puppetGrab);
  WriteTextField(out, kPuppetBaseBytes, state.puppetBase);
  out.zeros(kRuntimeValueBytes);
  for (const std::uint32_t count : state.counts) {
    out.u32(0);
    out.u32(count);
  }

  const SavedStage& stage = state.stage;
  Logic(out, stage.open);
  Logic(out, stage.visible);
  out.u32(stage.file);
  out.u32(stage.flat);
  out.u32(0);
  out.u32(stage.scriptId);
  WriteStoredName(out, stage.name);

  const SavedSet& set = state.set;
  Logic(out, set.open);
  Logic(out, set.visible);
  out.i16(set.hitVertical);
  out.i16(set.hitHorizontal);
  out.u32(set.file);
  out.u32(0);
  out.u32(set.moveTableId);
  out.u32(set.moveCount);
  out.u32(0);
  out.u32(set.starRecordId);
  out.u32(0);
  out.u32(set.scriptId);
  for (const std::int16_t v : {set.setBack,
                               set.cameraHeight,
                               set.view[0],
                               set.view[1],
                               set.view[2],
                               set.view[3],
                               set.focal,
                               set.horizon,
                               set.centre,
                               set.column,
                               set.row,
                               set.direction,
                               set.previousColumn,
                               set.previousRow,
                               set.previousDirection,
                               set.viewAngle,
                               set.playerX,
                               set.playerY,
                               set.playerZ,
                               set.sceneColumn,
                               set.sceneRow,
                               set.cameraAngle,
                               set.cameraX,
                               set.cameraY,
                               set.cameraZ,
                               set.cameraCellColumn,
                               set.cameraCellRow})
    out.i16(v);
  WriteStoredName(out, set.name);

  const SavedPuppet& puppet = state.puppet;
  Logic(out, puppet.open);
  Logic(out, puppet.visible);
  out.u32(puppet.bandId);
  out.u32(puppet.file);
  out.zeros(kPuppetBlockBytes);
  WriteStoredName(out, puppet.fileName);
  return out.take();
}

Expected<ObjectState, std::string> DecodeObjectState(std::span<const std::uint8_t> record) {
  if (record.size() != kObjectStateBytes)
    return Damaged("the object state block is " + std::to_string(record.size()) + " bytes, not " +
                   std::to_string(kObjectStateBytes));
  ByteReader in(record);
  ObjectState state;
  in.skip(kDisplayStateBytes);
  state.effectNesting = in.u16();
  in.skip(2);
  state.frame = in.u32();
  for (std::int16_t& param : state.puppetParams) param = in.i16();
  state.puppetGrab = in.i16() != 0;
  bool texts = ReadTextField(in, kPuppetBaseBytes, state.puppetBase);
  in.skip(kRuntimeValueBytes);
  for (std::uint32_t& count : state.counts) {
    in.skip(4);
    count = in.u32();
  }

  SavedStage& stage = state.stage;
  stage.open = in.i16() != 0;
  stage.visible = in.i16() != 0;
  stage.file = in.u32();
  stage.flat = in.u32();
  in.skip(4);
  stage.scriptId = in.u32();
  texts = ReadStoredName(in, stage.name) && texts;

  SavedSet& set = state.set;
  set.open = in.i16() != 0;
  set.visible = in.i16() != 0;
  set.hitVertical = in.i16();
  set.hitHorizontal = in.i16();
  set.file = in.u32();
  in.skip(4);
  set.moveTableId = in.u32();
  set.moveCount = in.u32();
  in.skip(4);
  set.starRecordId = in.u32();
  in.skip(4);
  set.scriptId = in.u32();
  for (std::int16_t* v : {&set.setBack,
                          &set.cameraHeight,
                          &set.view[0],
                          &set.view[1],
                          &set.view[2],
                          &set.view[3],
                          &set.focal,
                          &set.horizon,
                          &set.centre,
                          &set.column,
                          &set.row,
                          &set.direction,
                          &set.previousColumn,
                          &set.previousRow,
                          &set.previousDirection,
                          &set.viewAngle,
                          &set.playerX,
                          &set.playerY,
                          &set.playerZ,
                          &set.sceneColumn,
                          &set.sceneRow,
                          &set.cameraAngle,
                          &set.cameraX,
                          &set.cameraY,
                          &set.cameraZ,
                          &set.cameraCellColumn,
                          &set.cameraCellRow})
    *v = in.i16();
  texts = ReadStoredName(in, set.name) && texts;

  SavedPuppet& puppet = state.puppet;
  puppet.open = in.i16() != 0;
  puppet.visible = in.i16() != 0;
  puppet.bandId = in.u32();
  puppet.file = in.u32();
  in.skip(kPuppetBlockBytes);
  texts = ReadStoredName(in, puppet.fileName) && texts;
  if (!texts || in.failed()) return Damaged("a name of the object state block is damaged");
  return state;
}

}  // namespace lw

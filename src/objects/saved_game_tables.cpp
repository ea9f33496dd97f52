#include "objects/saved_game_tables.h"

#include <algorithm>
#include <limits>

#include "common/byte_io.h"
#include "objects/stored_name.h"

namespace lw {
namespace {

constexpr std::size_t kSoundNameBytes = 32;
// A saved walk's numbers are kept where its steps' arithmetic cannot overflow: coordinates are
// 16-bit, so a walk's deltas lie within 65535, and the distances stay far below 2^31.
constexpr std::int32_t kMaxWalkDelta = 65535;
constexpr std::int32_t kMaxWalkDistance = 1 << 24;
constexpr std::size_t kSoundGainBytes = 16;

Unexpected<std::string> Damaged(std::string_view what) {
  return Unexpected{std::string(what) + " record is damaged"};
}

void Logic(ByteWriter& out, bool value) { out.i16(value ? 1 : 0); }

std::int16_t Clamp16(std::int32_t v) {
  return static_cast<std::int16_t>(std::clamp<std::int32_t>(
      v, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

bool ReadNames(ByteReader& in, std::initializer_list<std::string*> names) {
  bool ok = true;
  for (std::string* name : names) ok = ReadStoredName(in, *name) && ok;
  return ok;
}

}  // namespace

std::vector<std::uint8_t> EncodeFigure(FigureKind kind, const SavedFigure& saved) {
  const bool actor = kind == FigureKind::kActor;
  const Figure& f = saved.figure;
  ByteWriter out;
  Logic(out, f.visible);
  out.u32(saved.group);
  out.u32(0);
  out.u32(f.recordId);
  out.u32(f.scriptId);
  Logic(out, f.is3d);
  for (const std::int16_t v : {f.pointV, f.pointH, f.deg, f.x, f.y, f.z, f.extra[0], f.extra[1]})
    out.i16(v);
  if (actor) out.i16(f.turn);
  out.i16(f.frame);
  out.i16(f.speed);
  out.i16(f.dist);
  out.i32(f.scale);
  out.u32(f.serial);
  out.u32(f.shown.picture);
  WriteRect(out, f.shown.rect);
  out.i16(f.shown.point.v);
  out.i16(f.shown.point.h);
  out.i16(f.shown.rows);
  out.i16(f.shown.columns);
  Logic(out, f.shown.flag);
  out.i32(f.value);
  out.i16(f.zclip);
  if (actor) {
    out.i16(f.hitV);
    out.i16(f.hitH);
  }
  for (const std::string* name : {&f.name, &f.set, &f.star, &f.pose, &f.owner})
    WriteStoredName(out, *name);
  return out.take();
}

Expected<SavedFigure, std::string> DecodeFigure(FigureKind kind,
                                                std::span<const std::uint8_t> bytes) {
  const bool actor = kind == FigureKind::kActor;
  const std::string_view what = actor ? "an actor" : "a prop";
  if (bytes.size() != FigureRecordBytes(kind)) return Damaged(what);
  ByteReader in(bytes);
  SavedFigure saved;
  Figure& f = saved.figure;
  f.owner.clear();
  f.visible = in.i16() != 0;
  saved.group = in.u32();
  in.skip(4);
  f.recordId = in.u32();
  f.scriptId = in.u32();
  f.is3d = in.i16() != 0;
  for (std::int16_t* v : {&f.pointV, &f.pointH, &f.deg, &f.x, &f.y, &f.z, &f.extra[0], &f.extra[1]})
    *v = in.i16();
  if (actor) f.turn = in.i16();
  f.frame = in.i16();
  f.speed = in.i16();
  f.dist = in.i16();
  f.scale = in.i32();
  f.serial = in.u32();
  f.shown.picture = in.u32();
  f.shown.rect = ReadRect(in);
  f.shown.point.v = in.i16();
  f.shown.point.h = in.i16();
  f.shown.rows = in.i16();
  f.shown.columns = in.i16();
  f.shown.flag = in.i16() != 0;
  f.value = in.i32();
  f.zclip = in.i16();
  if (actor) {
    f.hitV = in.i16();
    f.hitH = in.i16();
  }
  if (!ReadNames(in, {&f.name, &f.set, &f.star, &f.pose, &f.owner}) || in.failed())
    return Damaged(what);
  return saved;
}

std::vector<std::uint8_t> EncodeGroup(const SavedGroup& group) {
  ByteWriter out;
  out.u32(group.file);
  out.u32(0);
  out.u32(group.scriptId);
  WriteStoredName(out, group.name);
  return out.take();
}

Expected<SavedGroup, std::string> DecodeGroup(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kGroupRecordBytes) return Damaged("a cast or shop");
  ByteReader in(bytes);
  SavedGroup group;
  group.file = in.u32();
  in.skip(4);
  group.scriptId = in.u32();
  if (!ReadStoredName(in, group.name)) return Damaged("a cast or shop");
  return group;
}

std::vector<std::uint8_t> EncodeTrack(const SavedTrack& track) {
  ByteWriter out;
  out.u32(track.file);
  out.u16(track.sounds);
  out.u16(track.themeParts);
  out.u16(track.sequence);
  out.zeros(12);
  WriteStoredName(out, track.name);
  return out.take();
}

Expected<SavedTrack, std::string> DecodeTrack(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kTrackRecordBytes) return Damaged("a track");
  ByteReader in(bytes);
  SavedTrack track;
  track.file = in.u32();
  track.sounds = in.u16();
  track.themeParts = in.u16();
  track.sequence = in.u16();
  in.skip(12);
  if (!ReadStoredName(in, track.name)) return Damaged("a track");
  return track;
}

std::vector<std::uint8_t> EncodeSound(const SavedSound& sound) {
  ByteWriter out;
  out.u32(sound.codec);
  out.u32(0);
  out.u32(sound.frames);
  out.u32(sound.rateMultiple);
  out.u32(1);
  out.u32(1);
  out.zeros(kSoundGainBytes);
  out.u16(sound.volume);
  out.u16(sound.pan);
  out.u16(sound.loop ? 1 : 0);
  out.u32(0);
  out.i32(sound.recordId);
  out.u32(sound.file);
  out.i32(sound.recordId);
  out.u32(sound.priority);
  WriteTextField(out, kSoundNameBytes, sound.name);
  out.u32(0);
  out.zeros(2);
  return out.take();
}

Expected<SavedSound, std::string> DecodeSound(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kSoundItemBytes) return Damaged("a sound item");
  ByteReader in(bytes);
  SavedSound sound;
  sound.codec = in.u32();
  in.skip(4);
  sound.frames = in.u32();
  sound.rateMultiple = in.u32();
  in.skip(8 + kSoundGainBytes);
  sound.volume = std::min<std::uint16_t>(in.u16(), 255);
  sound.pan = std::min<std::uint16_t>(in.u16(), 255);
  sound.loop = in.u16() != 0;
  in.skip(4);
  sound.recordId = in.i32();
  sound.file = in.u32();
  in.skip(4);
  sound.priority = in.u32();
  if (!ReadTextField(in, kSoundNameBytes, sound.name) || in.failed())
    return Damaged("a sound item");
  return sound;
}

std::vector<std::uint8_t> EncodeWalk(const WalkSlot& walk) {
  ByteWriter out;
  Logic(out, walk.active);
  out.i16(walk.paused);
  out.i16(walk.target);
  Logic(out, walk.turnOnly);
  for (const std::int32_t v : {walk.dx, walk.dy, walk.dz, walk.length}) out.i32(v);
  const WalkStart& s = walk.start;
  for (const std::int16_t v : {s.angle, s.x, s.y, s.z, s.extra[0], s.extra[1]}) out.i16(v);
  out.u32(walk.path ? 1 : 0);
  out.i32(walk.travelled);
  Logic(out, walk.placed3d);
  out.i32(static_cast<std::int32_t>(walk.actorIndex));
  WriteStoredName(out, walk.actor);
  WriteStoredName(out, walk.destination);
  return out.take();
}

Expected<WalkSlot, std::string> DecodeWalk(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kWalkSlotBytes) return Damaged("a walk slot");
  ByteReader in(bytes);
  WalkSlot walk;
  walk.active = in.i16() != 0;
  walk.paused = in.i16();
  walk.target = in.i16();
  walk.turnOnly = in.i16() != 0;
  for (std::int32_t* v : {&walk.dx, &walk.dy, &walk.dz, &walk.length}) *v = in.i32();
  WalkStart& s = walk.start;
  for (std::int16_t* v : {&s.angle, &s.x, &s.y, &s.z, &s.extra[0], &s.extra[1]}) *v = in.i16();
  if (in.u32() != 0) walk.path = SetPath{};
  walk.travelled = in.i32();
  walk.placed3d = in.i16() != 0;
  walk.actorIndex = static_cast<std::size_t>(std::max(in.i32(), 0));
  if (!ReadNames(in, {&walk.actor, &walk.destination})) return Damaged("a walk slot");
  for (std::int32_t* d : {&walk.dx, &walk.dy, &walk.dz})
    *d = std::clamp(*d, -kMaxWalkDelta, kMaxWalkDelta);
  walk.length = std::clamp(walk.length, 1, kMaxWalkDistance);
  walk.travelled = std::clamp(walk.travelled, 0, kMaxWalkDistance);
  return walk;
}

std::vector<std::uint8_t> EncodeBall(const BallSlot& ball) {
  ByteWriter out;
  Logic(out, ball.active);
  for (const std::int16_t v : {ball.paused, ball.vx, ball.vy, ball.vz, ball.spare}) out.i16(v);
  Logic(out, ball.bounce);
  out.i16(Clamp16(ball.framesLeft));
  const BallPosition& p = ball.position;
  for (const std::int16_t v : {p.angle, p.x, p.y, p.z, p.cellX, p.cellY}) out.i16(v);
  out.i32(static_cast<std::int32_t>(ball.propIndex));
  WriteStoredName(out, ball.prop);
  return out.take();
}

Expected<BallSlot, std::string> DecodeBall(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kBallSlotBytes) return Damaged("a ball slot");
  ByteReader in(bytes);
  BallSlot ball;
  ball.active = in.i16() != 0;
  for (std::int16_t* v : {&ball.paused, &ball.vx, &ball.vy, &ball.vz, &ball.spare}) *v = in.i16();
  ball.bounce = in.i16() != 0;
  ball.framesLeft = in.i16();
  BallPosition& p = ball.position;
  for (std::int16_t* v : {&p.angle, &p.x, &p.y, &p.z, &p.cellX, &p.cellY}) *v = in.i16();
  ball.propIndex = static_cast<std::size_t>(std::max(in.i32(), 0));
  if (!ReadStoredName(in, ball.prop)) return Damaged("a ball slot");
  return ball;
}

std::vector<std::uint8_t> EncodeLoop(const LoopSlot& loop) {
  ByteWriter out;
  Logic(out, loop.active);
  out.i16(loop.paused);
  out.i16(static_cast<std::int16_t>(loop.kind));
  out.i32(loop.ticksLeft);
  WriteStoredName(out, loop.object);
  WriteStoredName(out, loop.handler);
  return out.take();
}

Expected<LoopSlot, std::string> DecodeLoop(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kLoopSlotBytes) return Damaged("a loop slot");
  ByteReader in(bytes);
  LoopSlot loop;
  loop.active = in.i16() != 0;
  loop.paused = in.i16();
  const std::int16_t kind = in.i16();
  loop.kind = kind >= 1 && kind <= 4 ? static_cast<LoopKind>(kind) : LoopKind::kUnknown;
  loop.ticksLeft = std::max(in.i32(), 0);
  if (!ReadNames(in, {&loop.object, &loop.handler})) return Damaged("a loop slot");
  return loop;
}

}  // namespace lw

#include "authoring/library_info.h"

#include <set>
#include <sstream>

#include "authoring/boot_file.h"
#include "authoring/movie_info.h"
#include "authoring/puppet_info.h"
#include "common/byte_io.h"
#include "media/frame_codec.h"
#include "media/movie_format.h"
#include "media/sound_record.h"
#include "objects/cast_file.h"
#include "objects/puppet_file.h"
#include "objects/set_file.h"
#include "objects/stage_file.h"
#include "objects/track_file.h"
#include "script/line_table.h"

namespace lw::authoring {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An open star file, closed again when the description is done.
class OpenFile {
 public:
  OpenFile(StarLibrary& library, StarFile& file) : library_(library), file_(file) {}
  ~OpenFile() { static_cast<void>(library_.StarClose(file_)); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  [[nodiscard]] const StarHeader& header() const { return file_.header(); }

  // A copy of record `id`; "record ID: error N" when it cannot be read.
  Expected<Bytes, std::string> record(std::uint32_t id) {
    const auto signedId = static_cast<std::int32_t>(id);
    RecordBlock* block = nullptr;
    if (ProgramCode code = library_.StarGetResource(file_, signedId, block); Failed(code))
      return Unexpected{"record " + std::to_string(id) + ": error " +
                        std::to_string(CodeNumber(code))};
    Bytes copy = *block;
    static_cast<void>(library_.StarReleaseResource(file_, signedId));
    return copy;
  }

 private:
  StarLibrary& library_;
  StarFile& file_;
};

std::string Quoted(const std::string& name) { return '"' + name + '"'; }

// "WIDTH x ROWS" from the header of the frame record `id`.
Expected<std::string, std::string> PictureSize(OpenFile& file, std::uint32_t id) {
  auto bytes = file.record(id);
  if (!bytes) return Unexpected{bytes.error()};
  if (bytes->size() < kFrameHeaderSize)
    return Unexpected{"record " + std::to_string(id) + ": a frame record without its header"};
  ByteReader in(*bytes);
  const std::int16_t rows = in.i16();
  const std::int16_t width = in.i16();
  return std::to_string(width) + " x " + std::to_string(rows);
}

Expected<std::string, std::string> DescribeStage(OpenFile& file) {
  auto headerBytes = file.record(0);
  if (!headerBytes) return Unexpected{headerBytes.error()};
  auto header = ReadStageHeader(*headerBytes);
  if (!header) return Unexpected{"record 0: " + header.error()};
  std::ostringstream out;
  out << "stage " << Quoted(header->name) << ": script " << header->scriptId << ", palette "
      << (header->paletteId == 0 ? std::string("none") : std::to_string(header->paletteId)) << ", "
      << header->flats.size() << (header->flats.size() == 1 ? " flat\n" : " flats\n");
  int flatNumber = 0;
  for (const FlatEntry& flat : header->flats) {
    auto size = PictureSize(file, flat.pictureId);
    if (!size) return Unexpected{size.error()};
    auto buttonBytes = file.record(flat.buttonRecordId);
    if (!buttonBytes) return Unexpected{buttonBytes.error()};
    auto buttons = ReadButtonRecord(*buttonBytes);
    if (!buttons)
      return Unexpected{"record " + std::to_string(flat.buttonRecordId) + ": " + buttons.error()};
    out << "  flat " << ++flatNumber << ' ' << Quoted(flat.name) << ": script " << flat.scriptId
        << ", picture " << flat.pictureId << " (" << *size << "), buttons " << flat.buttonRecordId
        << " (" << buttons->size() << ")\n";
    int buttonNumber = 0;
    for (const ButtonEntry& button : *buttons) {
      const Rect& r = button.rect;
      out << "    button " << ++buttonNumber << ' ' << Quoted(button.name) << ": rect [" << r.top
          << ", " << r.left << ", " << r.bottom << ", " << r.right << "], script "
          << button.scriptId << '\n';
    }
  }
  return out.str();
}

// "1 NOUN" or "N NOUNs".
std::string Count(std::size_t n, const std::string& noun) {
  return std::to_string(n) + ' ' + noun + (n == 1 ? "" : "s");
}

std::string DirectionName(std::int16_t code) {
  constexpr const char* kNames[] = {"north", "south", "east", "west"};
  if (code >= 1 && code <= 4) return kNames[code - 1];
  return "direction " + std::to_string(code);
}

// The stars a lookup by name can find (the first of every link, the second of a joined one),
// each name once, and the paths that join them: "N stars", then ", M paths" when there are any.
Expected<std::string, std::string> CountStars(OpenFile& file, std::uint32_t id) {
  auto bytes = file.record(id);
  if (!bytes) return Unexpected{bytes.error()};
  auto links = ReadStarRecord(*bytes);
  if (!links) return Unexpected{"record " + std::to_string(id) + ": " + links.error()};
  std::set<std::string> names;
  std::size_t paths = 0;
  for (const StarLink& link : *links) {
    names.insert(link.firstName);
    if (link.pathId == 0) continue;
    names.insert(link.secondName);
    ++paths;
  }
  return Count(names.size(), "star") + (paths > 0 ? ", " + Count(paths, "path") : "");
}

Expected<std::string, std::string> DescribeSet(OpenFile& file) {
  auto headerBytes = file.record(0);
  if (!headerBytes) return Unexpected{headerBytes.error()};
  auto header = ReadSetHeader(*headerBytes);
  if (!header) return Unexpected{"record 0: " + header.error()};
  auto tableBytes = file.record(header->moveTableId);
  if (!tableBytes) return Unexpected{tableBytes.error()};
  if (auto moves = ReadMoveTable(*tableBytes, header->moveCount); !moves)
    return Unexpected{"record " + std::to_string(header->moveTableId) + ": " + moves.error()};
  std::ostringstream out;
  out << "set " << Quoted(header->name) << ": script " << header->scriptId << ", " << header->width
      << " x " << header->height << " cells, start row " << header->startRow << " column "
      << header->startColumn << " facing " << DirectionName(header->startDirection) << ", "
      << Count(header->moveCount, "move") << ", " << Count(header->scenes.size(), "scene") << '\n';
  for (const SceneEntry& scene : header->scenes) {
    out << "  scene " << Quoted(scene.name) << ": row " << scene.row << ", column " << scene.column
        << ", floor " << scene.floor << (scene.building ? ", building" : "");
    if (scene.hasOwnScript) out << ", script " << scene.scriptId;
    out << '\n';
  }
  if (header->starRecordId != 0) {
    auto stars = CountStars(file, header->starRecordId);
    if (!stars) return Unexpected{stars.error()};
    out << "  " << *stars << '\n';
  }
  return out.str();
}

// The words of a group file's kind: the group, its figures and their poses.
struct GroupWords {
  std::string group, figure, pose;
};

// The frames of a pose as the views they show; "-" for a frame that shows none.
std::string FrameViews(const std::vector<std::uint16_t>& frames) {
  std::string text;
  for (const std::uint16_t frame : frames)
    text += ' ' + (frame == 0 ? std::string("-") : std::to_string(frame - 1));
  return text;
}

// Writes the lines of a pose and its pictures; the reason when its record cannot be read.
std::optional<std::string> DescribePose(OpenFile& file, const PoseEntry& entry,
                                        const GroupWords& words, std::ostringstream& out) {
  auto bytes = file.record(entry.recordId);
  if (!bytes) return bytes.error();
  auto pose = ReadPoseRecord(*bytes);
  if (!pose) return "record " + std::to_string(entry.recordId) + ": " + pose.error();
  out << "    " << words.pose << ' ' << Quoted(entry.name) << ": record " << entry.recordId
      << ", frames" << FrameViews(pose->frames) << ", " << Count(pose->pictures.size(), "picture")
      << '\n';
  for (const PictureEntry& p : pose->pictures) {
    out << "      picture " << p.recordId << ": view " << p.view << ", angle " << p.angle
        << ", size " << p.sizeFactor << ", " << p.columns() << " x " << p.rows() << ", hot ["
        << p.hotV << ", " << p.hotH << "]" << (p.mirrored() ? ", mirrored" : "") << '\n';
  }
  return std::nullopt;
}

Expected<std::string, std::string> DescribeGroup(OpenFile& file, const GroupWords& words) {
  auto headerBytes = file.record(0);
  if (!headerBytes) return Unexpected{headerBytes.error()};
  auto header = ReadGroupHeader(*headerBytes);
  if (!header) return Unexpected{"record 0: " + header.error()};
  std::ostringstream out;
  out << words.group << ' ' << Quoted(header->name) << ": script " << header->scriptId << ", "
      << Count(header->figures.size(), words.figure) << '\n';
  for (const std::uint32_t id : header->figures) {
    auto bytes = file.record(id);
    if (!bytes) return Unexpected{bytes.error()};
    auto figure = ReadFigureRecord(*bytes);
    if (!figure) return Unexpected{"record " + std::to_string(id) + ": " + figure.error()};
    out << "  " << words.figure << ' ' << Quoted(figure->name) << ": record " << id << ", script "
        << figure->scriptId << ", set " << Quoted(figure->set) << ", star " << Quoted(figure->star)
        << ", " << Count(figure->poses.size(), words.pose) << '\n';
    for (const PoseEntry& pose : figure->poses) {
      if (auto failure = DescribePose(file, pose, words, out)) return Unexpected{*failure};
    }
  }
  return out.str();
}

// The line of a track's sound or theme part: its record and what the record's header says.
Expected<std::string, std::string> DescribeTrackItem(OpenFile& file, const std::string& what,
                                                     const std::string& name, std::uint32_t id) {
  auto bytes = file.record(id);
  if (!bytes) return Unexpected{bytes.error()};
  auto info = ReadSoundRecord(*bytes);
  if (!info) return Unexpected{"record " + std::to_string(id) + ": not a sound record"};
  return "  " + what + ' ' + Quoted(name) + ": record " + std::to_string(id) + ", " +
         std::to_string(info->sampleFrames()) + " samples at " +
         std::to_string(info->codec.sampleRate) + " Hz, " + std::to_string(bytes->size()) +
         " bytes\n";
}

Expected<std::string, std::string> DescribeTrack(OpenFile& file) {
  auto headerBytes = file.record(0);
  if (!headerBytes) return Unexpected{headerBytes.error()};
  auto header = ReadTrackHeader(*headerBytes);
  if (!header) return Unexpected{"record 0: " + header.error()};
  std::ostringstream out;
  out << "track " << Quoted(header->name) << ": " << Count(header->sounds.size(), "sound") << ", "
      << Count(header->themeParts.size(), "theme part") << ", "
      << (header->sequence.empty() ? "no sequence" : "sequence");
  for (const std::int16_t step : header->sequence) out << ' ' << step;
  out << '\n';
  for (std::size_t i = 0; i < header->sounds.size(); ++i) {
    auto line = DescribeTrackItem(file, "sound", header->sounds[i], header->soundRecord(i));
    if (!line) return Unexpected{line.error()};
    out << *line;
  }
  for (std::size_t i = 0; i < header->themeParts.size(); ++i) {
    auto line =
        DescribeTrackItem(file, "theme part", header->themeParts[i], header->themePartRecord(i));
    if (!line) return Unexpected{line.error()};
    out << *line;
  }
  return out.str();
}

// A boot file's system script, or nothing when record 1 is no compiled script.
std::optional<std::string> DescribeBoot(OpenFile& file) {
  auto bytes = file.record(kSystemScriptRecord);
  if (!bytes) return std::nullopt;
  auto script = CompiledScript::FromBytes(*bytes);
  if (!script) return std::nullopt;
  std::string text = "system script: record " + std::to_string(kSystemScriptRecord) + ", " +
                     std::to_string(script->tokenCount()) + " tokens\n";
  const std::uint32_t last = file.header().nextId - 1;
  if (last > static_cast<std::uint32_t>(kSystemScriptRecord)) {
    auto table = file.record(last);
    if (table && LineTable::Decode(*table))
      text += "line table: record " + std::to_string(last) + '\n';
  }
  return text;
}

}  // namespace

Expected<std::string, std::string> DescribeLibraryFile(StarLibrary& library,
                                                       const std::string& path) {
  StarFile* opened = nullptr;
  if (ProgramCode code = library.StarOpen(path, opened); Failed(code))
    return Unexpected{path + ": not a star file (error " + std::to_string(CodeNumber(code)) + ")"};
  OpenFile file(library, *opened);
  const std::string type = FourCharText(file.header().fileType);
  const std::string kind =
      "(type " + type + ", creator " + FourCharText(file.header().creator) + ")\n";
  if (type == kStageFileType) {
    auto stage = DescribeStage(file);
    if (!stage) return Unexpected{path + ": " + stage.error()};
    return path + ": stage file " + kind + *stage;
  }
  if (type == kSetFileType) {
    auto description = DescribeSet(file);
    if (!description) return Unexpected{path + ": " + description.error()};
    return path + ": set file " + kind + *description;
  }
  if (type == kCastFileType || type == kShopFileType) {
    const bool cast = type == kCastFileType;
    const GroupWords words =
        cast ? GroupWords{"cast", "actor", "pose"} : GroupWords{"shop", "prop", "view"};
    auto description = DescribeGroup(file, words);
    if (!description) return Unexpected{path + ": " + description.error()};
    return path + ": " + words.group + " file " + kind + *description;
  }
  if (type == kTrackFileType) {
    auto description = DescribeTrack(file);
    if (!description) return Unexpected{path + ": " + description.error()};
    return path + ": track file " + kind + *description;
  }
  if (type == kMovieFileType) {
    const RecordReader reader = [&file](std::uint32_t id) { return file.record(id); };
    auto description = DescribeMovie(reader, file.header().nextId);
    if (!description) return Unexpected{path + ": " + description.error()};
    return path + ": movie file " + kind + *description;
  }
  if (type == kPuppetFileType) {
    const RecordReader reader = [&file](std::uint32_t id) { return file.record(id); };
    auto description = DescribePuppets(reader);
    if (!description) return Unexpected{path + ": " + description.error()};
    return path + ": puppet file " + kind + *description;
  }
  if (type == kBootFileType) {
    if (auto boot = DescribeBoot(file)) return path + ": boot file " + kind + *boot;
  }
  return path + ": star file " + kind + std::to_string(file.header().nextId) + " records\n";
}

}  // namespace lw::authoring

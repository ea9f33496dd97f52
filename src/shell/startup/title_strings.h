// The title's own strings: its name, the volume name of its disc and the file on that disc that
// the start-up checks open and time, and caption texts that replace the program's own. They come
// from an optional `title.json` in the title folder, which `titlekit build` writes from the
// title's manifest. Without the file the title's name is its folder's name and the disc check is
// skipped.
//
//   KEY        TYPE                  MEANING
//   name       text, 1..63 chars     the title's name: the window caption, the caption of boxes
//                                    without one of their own, and "{title}" in every text
//   volume     text, 1..27 chars     the disc's volume name, found as any other volume (a
//                                    --volume root, a mounted disc by label or mount folder, a
//                                    folder of that name beside the title folder); needs probe
//   probe      text                  the colon path on the disc of a file of at least 308,224
//                                    bytes ("MOVIES:INTRO.MOV"), opened and timed at start-up;
//                                    needs volume
//   captions   object                string table id ("124") -> the caption shown instead of
//                                    that text; only the start-up boxes' captions (100, 108,
//                                    118, 120, 124, 126, 129, 137, 139, 143) may be replaced
//
// Texts are UTF-8 and must have a Mac Roman form. Keys not in the table are ignored: a title
// folder may hold a newer titlekit's file, and a title's source folder holds its build manifest
// under the same name, whose name, volume, probe and captions mean what they mean here. A key of
// the table with a value of the wrong kind is an error that names the key, and the player stops.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/expected.h"

namespace lw {

// The file's name in the title folder.
inline constexpr std::string_view kTitleStringsFile = "title.json";
inline constexpr std::size_t kMaxTitleName = 63;
inline constexpr std::size_t kMaxVolumeName = 27;

struct TitleStrings {
  std::string name;                     // Mac Roman
  std::optional<std::string> volume;    // with probe: the disc check runs
  std::optional<std::string> probe;     // colon path below the volume
  std::map<int, std::string> captions;  // string table id -> caption, Mac Roman

  // The colon path of the probe file ("MOSS:MOVIES:INTRO.MOV"); nothing when no disc is named.
  [[nodiscard]] std::optional<std::string> probePath() const;
  // The caption of string table id `id`: the title's own when it gives one, else `fallback`.
  [[nodiscard]] std::string caption(int id, std::string fallback) const;
};

// True for the string table ids of the start-up boxes' captions, the ones a title may replace.
[[nodiscard]] bool IsStartupCaption(int id);

// Reads title.json text. `folderName` is the title's name when the text gives none. The error
// reads "title.json: KEY: problem".
[[nodiscard]] Expected<TitleStrings, std::string> ParseTitleStrings(std::string_view text,
                                                                    std::string folderName);

// The title.json text for `strings` (keys in table order, captions by id; an empty name left
// out, so that the player takes its folder's), as ParseTitleStrings reads it back.
[[nodiscard]] std::string TitleStringsJson(const TitleStrings& strings);

}  // namespace lw

// The program's own resources, embedded into the binaries at build time from the readable
// sources in resources/: the string table, the colour tables "CLUT.SYSTEM" and "CLUT.BLACK",
// the sine and cosine tables "TRIG1" and "TRIG2", the cursors and the icon. Names are upper
// case: a type, a full stop and a name ("CLUT.SYSTEM", "CURS.ARROW"), or a type and a number
// ("CURS2002").
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace lw {

// "TYPE.NAME" in capitals, and "TYPEn".
[[nodiscard]] std::string NamedResourceName(std::string_view type, std::string_view name);
[[nodiscard]] std::string NumberedResourceName(std::string_view type, int number);

// Raw data of a resource ("CLUT.SYSTEM", "TRIG1"), or nothing.
[[nodiscard]] std::optional<std::span<const std::uint8_t>> FindRawResource(std::string_view name);
// A cursor ("CURS.ARROW", "CURS2002"), or null.
[[nodiscard]] const platform::CursorImage* FindCursorResource(std::string_view name);
// The program icon (32 x 32, RGBA bytes row by row).
[[nodiscard]] std::span<const std::uint8_t> ProgramIconRgba();
// Text `id` of the string table, or nothing when the table has no such text.
[[nodiscard]] std::optional<std::string_view> StringTableText(int id);

}  // namespace lw

// The runtime's message texts: the program's string table (program_resources.h), with the name of
// the title being played wherever a text names the title.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lw {

namespace text_id {
// Start-up checks: depth names, then the texts and captions of their boxes.
inline constexpr int kDepthMonochrome = 102;
inline constexpr int kDepth16Colours = 103;
inline constexpr int kDepth256Colours = 104;
inline constexpr int kDepthBits = 105;  // "%d-bit color"
inline constexpr int kDisplayUnsupported = 117;
inline constexpr int kDisplayUnsupportedCaption = 118;
inline constexpr int kWarningCaption = 120;
inline constexpr int kDisplaySmall = 121;
inline constexpr int kInsertDisc = 123;
inline constexpr int kInsertDiscCaption = 124;
inline constexpr int kSlowDisc = 125;
inline constexpr int kSlowDiscCaption = 126;
inline constexpr int kNoSound = 127;  // followed by 128
inline constexpr int kNoSoundMore = 128;
inline constexpr int kNoSoundCaption = 129;
inline constexpr int kFewFileHandles = 135;  // followed by 136
inline constexpr int kFewFileHandlesMore = 136;
inline constexpr int kFileHandlesCaption = 137;
inline constexpr int kNoMemory = 138;
inline constexpr int kNoMemoryCaption = 139;
inline constexpr int kNoDisplay = 183;      // the depth name of a machine without a display
inline constexpr int kDiscReadError = 144;  // "... disc read error (code %d) ..."
inline constexpr int kDiscReadCaption = 145;
inline constexpr int kDiscSeekError = 146;
inline constexpr int kDiscSeekCaption = 147;
inline constexpr int kBootFileMissing = 154;  // 154..167: by platform error
inline constexpr int kBadStarSize = 168;      // 168..179: by program code
inline constexpr int kUndefinedError = 179;
inline constexpr int kContinueOrQuit = 180;
inline constexpr int kFatalCaption = 181;
inline constexpr int kExitingFatal = 182;
}  // namespace text_id

class MessageTexts {
 public:
  explicit MessageTexts(std::string titleName = "Loomwork") : titleName_(std::move(titleName)) {}

  // Text `id` of the string table with the title name in place; empty for an id the table does
  // not hold.
  [[nodiscard]] std::string text(int id) const;
  // Text `id` with its "%d" and "%ld" fields filled (FormatMessageText) before the title name
  // goes in, so that a title name holding "%d" stays as it is.
  [[nodiscard]] std::string format(int id, std::int32_t first, std::int32_t second = 0) const;
  // Text `id` with its "%s" field filled with `name` and its number fields as format fills them
  // (106: a depth name, then width and height).
  [[nodiscard]] std::string formatNamed(int id, std::string_view name, std::int32_t first = 0,
                                        std::int32_t second = 0) const;
  [[nodiscard]] const std::string& titleName() const { return titleName_; }

 private:
  [[nodiscard]] std::string withTitle(std::string_view pattern) const;

  std::string titleName_;
};

// Fills the "%d" and "%ld" fields of a message text in order with `first` and `second`; a text
// with one field takes `first` only. No other conversions occur in the texts.
[[nodiscard]] std::string FormatMessageText(std::string_view pattern, std::int32_t first,
                                            std::int32_t second = 0);

}  // namespace lw

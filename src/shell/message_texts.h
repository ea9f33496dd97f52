// The runtime's message texts: the program's string table (program_resources.h), with the name of
// the title being played wherever a text names the title.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lw {

namespace text_id {
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

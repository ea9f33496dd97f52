#include "shell/message_texts.h"

#include <array>
#include <charconv>

namespace lw {
namespace {

// Where a text names the title.
constexpr std::string_view kTitleMarker = "^0";

struct MessageText {
  int id;
  std::string_view text;
};

// The shell's texts, in id order.
constexpr std::array<MessageText, 33> kTexts = {{
    {144,
     "^0 has encountered a disc read error (code %d).  Be sure your ^0 CD is in your "
     "computer's CD-ROM drive and that it is clean and free of scratches."},
    {145, "Disc Read Error"},
    {146,
     "^0 has encountered a disc seek error (code %d).  Be sure your ^0 CD is in your "
     "computer's CD-ROM drive and that it is clean and free of scratches."},
    {147, "Disc Seek Error"},
    {154,
     "^0 can't find the file \"BootFile\" in the ^0 directory on your hard drive.  Check "
     "your installation and re-install if necessary (Error line %d, code %ld)"},
    {155,
     "^0 cannot find a file.  Be sure the ^0 CD is in your computer's CD-ROM drive "
     "(Error line %d, code %ld)"},
    {156,
     "^0 has run out of file handles.  Refer to your install guide for instructions or "
     "increase the FILES= line in your CONFIG.SYS file (Error line %d, code %ld)"},
    {157, "^0 has run out of memory.  Close any unneeded applications (Error line %d, code %ld)"},
    {158, "Attempt to write to a write-protected disc (Error line %d, code %ld)"},
    {159,
     "Drive not ready error.  Make sure that your ^0 CD is in your computer's CD-ROM drive "
     "and that it is clean and free of scratches (Error line %d, code %ld)"},
    {160,
     "Data read error.  Make sure that your ^0 CD is in your computer's CD-ROM drive and "
     "that it is clean and free of scratches (Error line %d, code %ld)"},
    {161,
     "Drive seek error.  Make sure that your ^0 CD is in your computer's CD-ROM drive and "
     "that it is clean and free of scratches (Error line %d, code %ld)"},
    {162,
     "Sector not found error.  Make sure that your ^0 CD is in your computer's CD-ROM "
     "drive and that it is clean and free of scratches (Error line %d, code %ld)"},
    {163,
     "Sharing violation.  The file is in use by another application (Error line %d, code "
     "%ld)"},
    {164,
     "Disk full.  There is no free space on the disk.  Delete unneeded files and try again "
     "(Error line %d, code %ld)"},
    {165,
     "Invalid parameter.  Win32s is not configured correctly.  Refer to your install guide "
     "for instructions or contact Technical Support (Error line %d, code %ld)"},
    {166,
     "Invalid parameter.  Windows is not configured correctly.  Refer to your install "
     "guide for instructions or contact Technical Support (Error line %d, code %ld)"},
    {167,
     "Disc not found error.  Please make sure your ^0 CD is in your computer's CD-ROM "
     "drive (Error line %d, code %ld)"},
    {168, "Bad star file size at line %d (code %ld)"},
    {169, "Memory error at line %d (code %ld)"},
    {170, "Bad star file version at line %d (code %ld)"},
    {171, "File error at line %d (code %ld)"},
    {172, "Text error at line %d (code %ld)"},
    {173, "Bad lock use count at line %d (code %ld)"},
    {174, "Logic error at line %d (code %ld)"},
    {175, "Virtual cache error at line %d (code %ld)"},
    {176, "Bad pack use count at line %d (code %ld)"},
    {177, "Defx error at line %d (code %ld)"},
    {178, "Bad file type at line %d (code %ld)"},
    {179, "Undefined error at line %d (code %ld)"},
    {180, ".  Select Ok to continue, or Cancel to return to Windows."},
    {181, "Fatal Error"},
    {182, "Exiting due to a fatal error."},
}};

// The decimal text of a number.
std::string DecimalText(std::int32_t value) {
  std::array<char, 16> digits{};
  const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc{} ? std::string(digits.data(), end) : std::string();
}

}  // namespace

std::string MessageTexts::text(int id) const {
  for (const MessageText& entry : kTexts) {
    if (entry.id != id) continue;
    std::string out;
    for (std::size_t pos = 0; pos < entry.text.size();) {
      if (entry.text.substr(pos, kTitleMarker.size()) == kTitleMarker) {
        out += titleName_;
        pos += kTitleMarker.size();
      } else {
        out.push_back(entry.text[pos++]);
      }
    }
    return out;
  }
  return {};
}

std::string FormatMessageText(std::string_view pattern, std::int32_t first, std::int32_t second) {
  constexpr std::string_view kIntField = "%d";
  constexpr std::string_view kLongField = "%ld";
  const std::array<std::int32_t, 2> values = {first, second};
  std::size_t filled = 0;
  std::string out;
  for (std::size_t pos = 0; pos < pattern.size();) {
    const std::string_view rest = pattern.substr(pos);
    std::size_t fieldLength = 0;
    if (rest.starts_with(kIntField))
      fieldLength = kIntField.size();
    else if (rest.starts_with(kLongField))
      fieldLength = kLongField.size();
    if (fieldLength != 0 && filled < values.size()) {
      out += DecimalText(values[filled++]);
      pos += fieldLength;
    } else {
      out.push_back(pattern[pos++]);
    }
  }
  return out;
}

}  // namespace lw

#include "apps/manual/help_to_manual.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace lw {
namespace {

constexpr std::string_view kUsagePrefix = "usage: ";
constexpr std::size_t kItemIndent = 2;
constexpr std::string_view kTermEnd = "  ";

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

std::size_t Indent(std::string_view line) {
  const std::size_t first = line.find_first_not_of(' ');
  return first == std::string_view::npos ? line.size() : first;
}

bool IsBlank(std::string_view line) { return Indent(line) == line.size(); }

// "options:" and the like: one word and a colon, at the margin.
bool IsHeading(std::string_view line) {
  return line.size() > 1 && line.back() == ':' && line.find(' ') == std::string_view::npos;
}

// Text as roff shows it literally: backslashes escaped, hyphens as minus signs (so that
// options can be searched for and copied).
std::string Escape(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\') {
      escaped += "\\e";
    } else if (c == '-') {
      escaped += "\\-";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// A line of running text; one that starts with a control character is kept from being read as
// a request.
std::string TextLine(std::string_view text) {
  const std::string escaped = Escape(text);
  const bool looksLikeRequest = !escaped.empty() && (escaped[0] == '.' || escaped[0] == '\'');
  return (looksLikeRequest ? "\\&" : "") + escaped + "\n";
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

// The first sentence of a paragraph, its first letter in lower case and without its full stop.
std::string Summary(const std::vector<std::string_view>& paragraph) {
  std::string joined;
  for (const std::string_view line : paragraph)
    joined += (joined.empty() ? "" : " ") + std::string(line);
  std::size_t end = joined.find(". ");
  if (end == std::string::npos) end = joined.ends_with('.') ? joined.size() - 1 : joined.size();
  std::string summary = joined.substr(0, end);
  if (!summary.empty())
    summary[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(summary[0])));
  return summary;
}

struct Item {
  std::string term;
  std::vector<std::string_view> description;
};

// Writes the sections after the synopsis, line by line.
class BodyWriter {
 public:
  void line(std::string_view line) {
    const std::size_t indent = Indent(line);
    if (IsBlank(line)) {
      flushItem();
      paragraphBreak_ = true;
    } else if (indent == 0 && IsHeading(line)) {
      flushItem();
      out_ += ".SH " + Upper(line.substr(0, line.size() - 1)) + "\n";
      paragraphBreak_ = false;
    } else if (indent == kItemIndent) {
      flushItem();
      startItem(line.substr(indent));
    } else if (indent > kItemIndent && item_) {
      continueItem(line.substr(indent));
    } else {
      flushItem();
      if (paragraphBreak_) out_ += ".PP\n";
      paragraphBreak_ = false;
      out_ += TextLine(line.substr(indent));
    }
  }

  std::string finish() {
    flushItem();
    return std::move(out_);
  }

 private:
  void startItem(std::string_view text) {
    const std::size_t end = text.find(kTermEnd);
    item_ = Item{std::string(text.substr(0, end)), {}};
    if (end == std::string_view::npos) return;
    const std::string_view rest = text.substr(end);
    item_->description.push_back(rest.substr(Indent(rest)));
  }

  void continueItem(std::string_view text) {
    if (item_->description.empty() && item_->term.ends_with('|')) {
      item_->term += " " + std::string(text);
    } else {
      item_->description.push_back(text);
    }
  }

  // The item as a tagged paragraph, the term's first word in bold.
  void flushItem() {
    if (!item_) return;
    const std::size_t space = item_->term.find(' ');
    const std::string_view term = item_->term;
    out_ += ".TP\n\\fB" + Escape(term.substr(0, space)) + "\\fR";
    if (space != std::string_view::npos) out_ += Escape(term.substr(space));
    out_ += "\n";
    for (const std::string_view text : item_->description) out_ += TextLine(text);
    item_.reset();
    paragraphBreak_ = false;
  }

  std::string out_;
  std::optional<Item> item_;
  bool paragraphBreak_ = false;
};

}  // namespace

std::string HelpToManual(const ManualHeading& heading, std::string_view help) {
  const std::vector<std::string_view> lines = Lines(help);
  std::size_t next = 0;
  std::vector<std::string_view> synopsis;
  for (; next < lines.size() && !IsBlank(lines[next]); ++next) {
    std::string_view line = lines[next];
    if (line.starts_with(kUsagePrefix)) line.remove_prefix(kUsagePrefix.size());
    synopsis.push_back(line.substr(Indent(line)));
  }
  while (next < lines.size() && IsBlank(lines[next])) ++next;
  std::vector<std::string_view> first;
  for (std::size_t i = next;
       i < lines.size() && Indent(lines[i]) == 0 && !IsBlank(lines[i]) && !IsHeading(lines[i]);
       ++i) {
    first.push_back(lines[i]);
  }

  std::string page = ".TH " + Upper(heading.program) + " " + std::to_string(heading.section) +
                     " \"\" \"Loomwork " + std::string(heading.version) + "\" \"Loomwork\"\n";
  page += ".SH NAME\n" + Escape(heading.program) + " \\- " + Escape(Summary(first)) + "\n";
  page += ".SH SYNOPSIS\n.nf\n";
  for (const std::string_view line : synopsis) page += TextLine(line);
  page += ".fi\n.SH DESCRIPTION\n";
  BodyWriter body;
  for (; next < lines.size(); ++next) body.line(lines[next]);
  return page + body.finish();
}

}  // namespace lw

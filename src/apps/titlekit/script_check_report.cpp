#include "apps/titlekit/script_check_report.h"

#include <string_view>
#include <vector>

#include "apps/titlekit/script_files.h"
#include "apps/titlekit/script_text.h"
#include "authoring/script_check.h"
#include "runtime/runtime_builtins.h"

namespace lw::titlekit {
namespace {

using authoring::ScriptDiagnostic;
using authoring::Severity;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A file's findings, or the one fault that kept it from being checked.
struct FileCheck {
  bool loaded = false;  // false: read, conversion or load failure, in `diagnostics`
  bool hasSource = false;
  std::string source;  // UTF-8, as read
  std::vector<ScriptDiagnostic> diagnostics;
};

FileCheck CheckFile(const std::string& path) {
  FileCheck check;
  auto bytes = ReadWholeFile(path);
  if (!bytes) {
    check.diagnostics.push_back({.text = bytes.error()});
    return check;
  }
  BuiltinTable catalog;
  DescribeAllBuiltins(catalog);
  if (IsCompiledScriptBytes(*bytes)) {
    auto script = CompiledScript::FromBytes(AsBytes(*bytes));
    if (!script) {
      check.diagnostics.push_back({.text = path + ": " + script.error()});
      return check;
    }
    check.loaded = true;
    check.diagnostics = authoring::CheckCompiledScript(*script, catalog);
    return check;
  }
  check.hasSource = true;
  check.source = std::move(bytes).value();
  auto text = Utf8ToScriptText(check.source);
  if (!text) {
    check.diagnostics.push_back({.line = text.error().where.line,
                                 .column = text.error().where.column,
                                 .text = text.error().reason});
    return check;
  }
  check.loaded = true;
  check.diagnostics = authoring::CheckScriptText(*text, catalog);
  return check;
}

// The lines of UTF-8 source with any line ends, without their line ends.
std::vector<std::string_view> SourceLines(std::string_view source) {
  if (source.starts_with(kByteOrderMark)) source.remove_prefix(kByteOrderMark.size());
  std::vector<std::string_view> lines;
  while (true) {
    const std::size_t end = source.find_first_of("\r\n");
    lines.push_back(source.substr(0, end));
    if (end == std::string_view::npos) return lines;
    source.remove_prefix(source.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1);
  }
}

// The blank space under a line up to character `column`: tabs stay tabs so that the caret lines
// up in any terminal; a UTF-8 character is one column.
std::string CaretLine(std::string_view line, int column) {
  std::string out;
  int characters = 1;
  for (char c : line) {
    if (characters >= column) break;
    if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;  // a continuation byte
    out += c == '\t' ? '\t' : ' ';
    ++characters;
  }
  while (characters++ < column) out += ' ';
  return out + "^";
}

// Prints the findings of a file; `lines` are its source lines, when it has source.
void Print(const std::string& path, const FileCheck& check,
           const std::vector<std::string_view>& lines, std::ostream& out) {
  for (const ScriptDiagnostic& d : check.diagnostics) {
    const std::string_view severity = d.severity == Severity::kError ? "error" : "warning";
    if (!check.loaded && !check.hasSource) {
      out << d.text << '\n';  // a read or load failure names its file itself
    } else if (!check.hasSource) {
      out << path << ": token " << d.token << ": " << severity << ": " << d.text << '\n';
    } else {
      const std::string_view line = d.line >= 1 && static_cast<std::size_t>(d.line) <= lines.size()
                                        ? lines[static_cast<std::size_t>(d.line) - 1]
                                        : std::string_view();
      out << path << ':' << d.line << ':' << d.column << ": " << severity << ": " << d.text << '\n'
          << line << '\n'
          << CaretLine(line, d.column) << '\n';
    }
  }
}

CheckCounts Count(const FileCheck& check) {
  CheckCounts counts;
  for (const ScriptDiagnostic& d : check.diagnostics) {
    ++(d.severity == Severity::kError ? counts.errors : counts.warnings);
  }
  return counts;
}

}  // namespace

CheckCounts CheckScriptFile(const std::string& path, std::ostream& out) {
  const FileCheck check = CheckFile(path);
  Print(path, check, SourceLines(check.source), out);
  return Count(check);
}

bool ScriptPassesCheck(const std::string& path, std::ostream& out) {
  const FileCheck check = CheckFile(path);
  if (!check.loaded || Count(check).errors == 0) return true;
  Print(path, check, SourceLines(check.source), out);
  return false;
}

}  // namespace lw::titlekit

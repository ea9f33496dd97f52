// The entry points of the script check: tokenizing (and saying which character or literal the
// tokenizer refused), then the token walk, then the places of the findings in the text.
#include "authoring/script_check.h"

#include <algorithm>
#include <cstdio>

#include "authoring/script_walker.h"
#include "common/mac_roman.h"
#include "script/keywords.h"
#include "script/tokenizer.h"

namespace lw::authoring {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kQuote = '"';
constexpr std::size_t kMaxRun = 255;  // the tokenizer's longest literal, word or digit run

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whether the tokenizer takes `c` where it begins an item.
bool Accepted(char c) {
  return IsDigit(c) || IsLetter(c) || c == ' ' || c == kQuote || c == kCarriageReturn ||
         LookUpKeyword(std::string_view(&c, 1)) != kNotAKeyword;
}

// Why a character that the tokenizer refused is refused.
std::string Refused(char c) {
  if (c == '\t') return "a tab here: tabs may only indent a line, use blanks inside it";
  const auto byte = static_cast<unsigned char>(c);
  std::string shown;
  if (byte < 0x20 || byte == 0x7F) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    shown = std::string("the control character ") + hex;
  } else {
    shown = "the character '" + MacRomanToUtf8(std::string_view(&c, 1)) + "'";
  }
  return shown + " cannot appear in a script outside a text literal";
}

// Why the tokenizer stopped at `offset`, and the offset that the report points at: the
// refused character, the opening quote of a literal, or the start of an overlong run.
std::pair<std::size_t, std::string> TokenizeFault(std::string_view text, std::size_t offset) {
  // A refused character: the tokenizer stops just after it.
  if (offset > 0 && offset <= text.size() && !Accepted(text[offset - 1])) {
    return {offset - 1, Refused(text[offset - 1])};
  }
  // A literal: the tokenizer stops at its first character.
  if (offset > 0 && offset <= text.size() && text[offset - 1] == kQuote) {
    const std::size_t close = text.find_first_of("\"\r", offset);
    if (close != std::string_view::npos && text[close] == kQuote && close - offset > kMaxRun) {
      return {offset - 1, "text literal longer than 255 characters"};
    }
    return {offset - 1, "text literal not closed on its line: add '\"'"};
  }
  if (offset < text.size() && IsDigit(text[offset])) {
    return {offset, "number longer than 255 digits"};
  }
  return {std::min(offset, text.size()), "word longer than 255 characters"};
}

// Places offsets of a text by line and column (1-based, in characters: one byte each). The line
// starts are found once, so that a text with many findings is not scanned for each.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text) : size_(text.size()) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == kCarriageReturn) starts_.push_back(i + 1);
    }
  }

  void place(std::size_t offset, ScriptDiagnostic& diagnostic) const {
    offset = std::min(offset, size_);
    // The last line start at or before the offset.
    const auto line = std::upper_bound(starts_.begin(), starts_.end(), offset) - 1;
    diagnostic.line = static_cast<int>(line - starts_.begin()) + 1;
    diagnostic.column = static_cast<int>(offset - *line) + 1;
  }

 private:
  std::size_t size_;
  std::vector<std::size_t> starts_ = {0};
};

}  // namespace

std::vector<ScriptDiagnostic> CheckScriptText(std::string_view text, const BuiltinTable& catalog) {
  std::vector<std::uint32_t> offsets;
  auto compiled = CompileScriptText(text, &offsets);
  if (!compiled) {
    const auto [at, why] = TokenizeFault(text, static_cast<std::size_t>(compiled.error().offset));
    ScriptDiagnostic diagnostic{.text = why};
    LineIndex(text).place(at, diagnostic);
    return {diagnostic};
  }
  std::vector<ScriptDiagnostic> diagnostics = CheckCompiledScript(*compiled, catalog);
  const LineIndex lines(text);
  for (ScriptDiagnostic& diagnostic : diagnostics) {
    lines.place(offsets[static_cast<std::size_t>(diagnostic.token)], diagnostic);
  }
  return diagnostics;
}

std::vector<ScriptDiagnostic> CheckCompiledScript(const CompiledScript& script,
                                                  const BuiltinTable& catalog) {
  return ScriptWalker(script, catalog).run();
}

bool HasErrors(std::span<const ScriptDiagnostic> diagnostics) {
  return std::any_of(diagnostics.begin(), diagnostics.end(),
                     [](const ScriptDiagnostic& d) { return d.severity == Severity::kError; });
}

}  // namespace lw::authoring

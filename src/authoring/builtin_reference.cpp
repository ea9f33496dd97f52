#include "authoring/builtin_reference.h"

#include <algorithm>
#include <array>
#include <span>

#include "script/error_codes.h"
#include "script/keywords.h"
#include "script/token.h"

namespace lw::authoring {
namespace {

// The kinds of built-in that the keywords of one band name, as the reference shows them.
struct Band {
  std::string_view title;  // the Markdown section
  std::string_view word;   // what the last section calls the keywords it does not answer
  std::uint16_t first;
  std::uint16_t last;
  std::span<const BuiltinKind> kinds;
};

constexpr BuiltinKind kCommandKinds[] = {BuiltinKind::kCommand};
constexpr BuiltinKind kFunctionKinds[] = {BuiltinKind::kFunction};
constexpr BuiltinKind kPropertyKinds[] = {BuiltinKind::kPropertyRead, BuiltinKind::kPropertyWrite};

constexpr std::array<Band, 3> kBands = {{
    {"Commands", "commands", tok::kFirstCommand, tok::kLastCommand, kCommandKinds},
    {"Functions", "functions", tok::kFirstFunction, tok::kLastFunction, kFunctionKinds},
    {"Properties", "properties", tok::kFirstProperty, tok::kLastProperty, kPropertyKinds},
}};

constexpr std::string_view kEffectCommand = "visualeffect";
// The last section's lists are wrapped to this many columns.
constexpr std::size_t kListColumns = 100;

const Band* BandOf(std::uint16_t code) {
  for (const Band& band : kBands) {
    if (code >= band.first && code <= band.last) return &band;
  }
  return nullptr;
}

// One form of a built-in that the catalogue answers.
struct Form {
  BuiltinKind kind;
  const BuiltinSignature* signature;
};

std::vector<Form> FormsOf(const BuiltinTable& catalog, std::uint16_t code) {
  std::vector<Form> forms;
  if (const Band* band = BandOf(code)) {
    for (BuiltinKind kind : band->kinds) {
      if (const BuiltinSignature* signature = catalog.signature(kind, code)) {
        forms.push_back({kind, signature});
      }
    }
  }
  return forms;
}

// The codes of a band whose keywords the catalogue answers, by name.
std::vector<std::uint16_t> CodesByName(const BuiltinTable& catalog, const Band& band) {
  std::vector<std::uint16_t> codes;
  for (std::uint16_t code = band.first; code <= band.last; ++code) {
    if (!FormsOf(catalog, code).empty()) codes.push_back(code);
  }
  std::sort(codes.begin(), codes.end(),
            [](std::uint16_t a, std::uint16_t b) { return KeywordName(a) < KeywordName(b); });
  return codes;
}

// "drawstring(t, p, font, size)"; optional parameters in nested brackets: "f(a[, b[, c]])".
std::string CallForm(std::string_view name, const BuiltinSignature& signature) {
  const BuiltinParams params = signature.parameters();
  std::string call = std::string(name) + "(";
  int open = 0;
  for (int i = 0; i < params.count; ++i) {
    const BuiltinParam& param = params.items[static_cast<std::size_t>(i)];
    if (param.optional) {
      call += '[';
      ++open;
    }
    if (i > 0) call += ", ";
    call += param.name;
  }
  return call + std::string(static_cast<std::size_t>(open), ']') + ")";
}

// "name: text" or "a1: number|text, optional".
std::string ParameterLine(const BuiltinParam& param) {
  std::string line = std::string(param.name) + ": " + std::string(ArgTypeName(param.type));
  return param.optional ? line + ", optional" : line;
}

// "14 Bad argument type." for each error, by code.
std::vector<std::string> ErrorLines(const BuiltinSignature& signature) {
  std::vector<int> codes;
  for (ScriptError e : signature.errors) {
    if (e != ScriptError::None) codes.push_back(CodeOf(e));
  }
  std::sort(codes.begin(), codes.end());
  std::vector<std::string> lines;
  for (int code : codes)
    lines.push_back(std::to_string(code) + " " + std::string(ScriptErrorMessage(code)));
  return lines;
}

// What a function or property read gives, in words: "a number", "true or false".
std::string_view ResultWords(std::string_view result) {
  if (result == "number") return "a number";
  if (result == "text") return "a text";
  if (result == "logic") return "true or false";
  if (result == "point") return "a point";
  return "a value of any type";
}

std::string_view KindWords(BuiltinKind kind) {
  switch (kind) {
    case BuiltinKind::kCommand: return "command";
    case BuiltinKind::kFunction: return "function";
    case BuiltinKind::kPropertyRead: return "property read";
    case BuiltinKind::kPropertyWrite: break;
  }
  return "property write";
}

// `words` joined by ", " into lines of at most kListColumns (a longer word has a line alone).
std::string WrappedList(const std::vector<std::string_view>& words) {
  std::string text;
  std::size_t column = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string word(words[i]);
    if (i + 1 < words.size()) word += ',';
    if (column > 0 && column + 1 + word.size() > kListColumns) {
      text += '\n';
      column = 0;
    } else if (column > 0) {
      text += ' ';
      ++column;
    }
    text += word;
    column += word.size();
  }
  return text + "\n";
}

std::vector<std::string_view> EffectNames() {
  std::vector<std::string_view> names(keyword_lists::kEffects.begin(),
                                      keyword_lists::kEffects.end());
  std::sort(names.begin(), names.end());
  return names;
}

// One form in Markdown: the call, the description, the parameters and the errors.
void AppendMarkdownForm(std::string& out, std::string_view name, const Form& form) {
  const BuiltinSignature& signature = *form.signature;
  if (form.kind == BuiltinKind::kPropertyRead) out += "Read: ";
  if (form.kind == BuiltinKind::kPropertyWrite) out += "Write: ";
  out += "`" + CallForm(name, signature) + "`";
  if (!signature.result.empty()) out += " gives " + std::string(ResultWords(signature.result));
  out += "\n\n" + std::string(signature.summary) + "\n\n";
  const BuiltinParams params = signature.parameters();
  for (int i = 0; i < params.count; ++i) {
    const BuiltinParam& param = params.items[static_cast<std::size_t>(i)];
    out += "- `" + std::string(param.name) + "`: " + std::string(ArgTypeName(param.type)) +
           (param.optional ? ", optional\n" : "\n");
  }
  const std::vector<std::string> errors = ErrorLines(signature);
  if (!errors.empty()) out += "- Errors:\n";
  for (const std::string& error : errors) out += "  - " + error + "\n";
  if (params.count > 0 || !errors.empty()) out += "\n";
}

}  // namespace

std::optional<std::string> BuiltinEntryText(const BuiltinTable& catalog, std::string_view name) {
  const std::uint16_t code = LookUpKeyword(name);
  const std::vector<Form> forms = FormsOf(catalog, code);
  if (forms.empty()) return std::nullopt;
  std::string text;
  for (const Form& form : forms) {
    const BuiltinSignature& signature = *form.signature;
    if (!text.empty()) text += '\n';
    text += CallForm(KeywordName(code), signature);
    if (!signature.result.empty()) text += " -> " + std::string(signature.result);
    text +=
        "  (" + std::string(KindWords(form.kind)) + ")\n  " + std::string(signature.summary) + "\n";
    const BuiltinParams params = signature.parameters();
    for (int i = 0; i < params.count; ++i) {
      text += "  " + ParameterLine(params.items[static_cast<std::size_t>(i)]) + "\n";
    }
    for (const std::string& error : ErrorLines(signature)) text += "  error " + error + "\n";
  }
  return text;
}

std::vector<std::string_view> BuiltinNamesLike(const BuiltinTable& catalog, std::string_view name) {
  std::vector<std::string_view> best;
  std::size_t bestLength = 1;  // at least the first letter
  for (const Band& band : kBands) {
    for (std::uint16_t code : CodesByName(catalog, band)) {
      const std::string_view candidate = KeywordName(code);
      const auto stop = std::mismatch(name.begin(), name.end(), candidate.begin(), candidate.end(),
                                      [](char a, char b) {
                                        return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
                                      })
                            .first;
      const auto shared = static_cast<std::size_t>(stop - name.begin());
      if (shared > bestLength) best.clear();
      if (shared >= bestLength) {
        bestLength = shared;
        best.push_back(candidate);
      }
    }
  }
  std::sort(best.begin(), best.end());
  return best;
}

std::string BuiltinReferenceMarkdown(const BuiltinTable& catalog) {
  std::string out =
      "# Built-in commands, functions and properties\n\n"
      "What a title's scripts can call in this player, made by `titlekit reference` from the\n"
      "signatures that the built-ins declare; `titlekit help builtin NAME` shows one entry.\n\n"
      "Every call has its parentheses, even with no arguments: `tick()`. Optional parameters are\n"
      "in brackets. A point is a number holding x in its high 16 bits and y in its low 16 bits\n"
      "(`makepoint`). The errors listed are those of the built-in itself; any call can also fail\n"
      "on its argument list (a missing comma or parenthesis).\n\n";
  for (const Band& band : kBands) {
    out += "## " + std::string(band.title) + "\n\n";
    for (std::uint16_t code : CodesByName(catalog, band)) {
      const std::string_view name = KeywordName(code);
      out += "### " + std::string(name) + "\n\n";
      for (const Form& form : FormsOf(catalog, code)) AppendMarkdownForm(out, name, form);
      if (name == kEffectCommand) {
        out += "Effect names:\n\n" + WrappedList(EffectNames()) + "\n";
      }
    }
  }
  // One line end at the end of the document.
  while (out.ends_with("\n\n")) out.pop_back();
  return out;
}

}  // namespace lw::authoring

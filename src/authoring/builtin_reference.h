// The reference of the built-ins for authors, made from the signatures of a catalogue
// (BuiltinTable::describe): one keyword's entry as plain text for a terminal (`titlekit help
// builtin NAME`), and the whole catalogue as Markdown (`titlekit reference`, docs/builtins.md).
//
// The Markdown has a section per kind, in this order: commands, functions, properties (a
// property's read and write forms share one entry), each alphabetical. Every entry shows the call
// form with optional parameters in brackets, what a function or property read gives, the type of
// each parameter, the errors the built-in itself can give ("14 Bad argument type.") and its
// description. A last section lists the keywords of the built-in bands that the catalogue does
// not answer, so that authors know what a script cannot call yet, and the visual effect names
// unless visualeffect is answered (its entry lists them then).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/builtin_table.h"

namespace lw::authoring {

// The entry of the built-in keyword `name` (any case): every form of it that the catalogue
// answers, a property's read before its write. Nothing when the catalogue answers none.
std::optional<std::string> BuiltinEntryText(const BuiltinTable& catalog, std::string_view name);

// The built-ins the catalogue answers whose names share the longest beginning with `name` (at
// least its first letter), alphabetical: what an author most likely meant by a name that is no
// built-in. Empty when none begins with the same letter.
std::vector<std::string_view> BuiltinNamesLike(const BuiltinTable& catalog, std::string_view name);

// The whole catalogue as a Markdown document.
std::string BuiltinReferenceMarkdown(const BuiltinTable& catalog);

}  // namespace lw::authoring

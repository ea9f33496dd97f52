// Manual pages made from the programs' --help texts, so that the page and the help never
// disagree: the build runs each program with --help-man and installs what it prints.
//
// The help text is read by its layout:
//   usage: LINE                 the first paragraph: the synopsis, one line each
//   Text at the left margin.    description paragraphs (blank lines between them); the
//                               first sentence of the first is the page's one-line summary
//   heading:                    a word alone with a colon at the margin starts a section
//     TERM    description       an item: indented two spaces, the term ends at two spaces
//             more description  deeper lines go on with the item; while it has no
//                               description yet, a term that ends with '|' goes on instead
// Text at the margin after a heading is a paragraph of that section.
#pragma once

#include <string>
#include <string_view>

namespace lw {

struct ManualHeading {
  std::string_view program;  // "titleplayer"
  int section = 1;           // 1 commands, 6 games
  std::string_view version;  // "0.1"
};

// The roff source of the manual page (man(7) macros) for `help`.
[[nodiscard]] std::string HelpToManual(const ManualHeading& heading, std::string_view help);

}  // namespace lw

// Manual pages from help texts: the heading, summary and synopsis, sections, items with their
// continued descriptions and terms, paragraphs, and the characters roff would misread.
#include "apps/manual/help_to_manual.h"

#include <gtest/gtest.h>

#include <vector>

namespace lw {
namespace {

constexpr std::string_view kHead = ".TH TOOL 1 \"\" \"Loomwork 2.5\" \"Loomwork\"\n";

struct ManualCase {
  std::string_view help;
  std::string_view body;  // the page after kHead
};

TEST(HelpToManualTest, HelpLayoutBecomesManMacros) {
  const std::vector<ManualCase> cases = {
      // Synopsis, summary from the first sentence, description paragraphs.
      {"usage: tool [-v] FILE\n\nCounts the lines of FILE. Quickly.\nReally.\n\nMore text.\n",
       ".SH NAME\ntool \\- counts the lines of FILE\n.SH SYNOPSIS\n.nf\ntool [\\-v] FILE\n.fi\n"
       ".SH DESCRIPTION\nCounts the lines of FILE. Quickly.\nReally.\n.PP\nMore text.\n"},
      // Sections and items: the term ends at two spaces; deeper lines go on with the
      // description; a term alone on its line takes the next line as its description.
      {"usage: tool\n\nDoes it.\n\noptions:\n  -v, --verbose   say more\n                  and "
       "more\n"
       "  --a-very-long-option\n                  its text\n  --plain\n",
       ".SH NAME\ntool \\- does it\n.SH SYNOPSIS\n.nf\ntool\n.fi\n.SH DESCRIPTION\nDoes it.\n"
       ".SH OPTIONS\n.TP\n\\fB\\-v,\\fR \\-\\-verbose\nsay more\nand more\n"
       ".TP\n\\fB\\-\\-a\\-very\\-long\\-option\\fR\nits text\n.TP\n\\fB\\-\\-plain\\fR\n"},
      // A term ending with '|' goes on to the next line; text at the margin after items is a
      // paragraph of the section.
      {"usage: tool A |\n       B\n\nDoes it.\n\ncommands:\n  tool a X |\n       b Y\n"
       "      do a or b\n\nA last word.\n",
       ".SH NAME\ntool \\- does it\n.SH SYNOPSIS\n.nf\ntool A |\nB\n.fi\n.SH DESCRIPTION\n"
       "Does it.\n.SH COMMANDS\n.TP\n\\fBtool\\fR a X | b Y\ndo a or b\n.PP\nA last word.\n"},
      // Backslashes, and lines that would start with a request character.
      {"usage: tool\n\nTakes C:\\x paths.\n.dot files\n'quoted'\n",
       ".SH NAME\ntool \\- takes C:\\ex paths\n.SH SYNOPSIS\n.nf\ntool\n.fi\n.SH DESCRIPTION\n"
       "Takes C:\\ex paths.\n\\&.dot files\n\\&'quoted'\n"},
      // A help text of nothing but its usage line.
      {"usage: tool\n", ".SH NAME\ntool \\- \n.SH SYNOPSIS\n.nf\ntool\n.fi\n.SH DESCRIPTION\n"},
  };
  for (const ManualCase& c : cases) {
    EXPECT_EQ(HelpToManual({"tool", 1, "2.5"}, c.help), std::string(kHead) + std::string(c.body))
        << c.help;
  }
}

}  // namespace
}  // namespace lw

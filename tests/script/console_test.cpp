// Lines typed into the programmer's console, run one after another.
#include "script_fixture.h"

namespace lw::testing {
namespace {

class ConsoleTest : public ScriptTest {};

TEST_F(ConsoleTest, LinesRunByTheirFirstToken) {
  ExpectLines({
      {"1 + 2", "3"},
      {"\"hi\" @ \"!\"", "\"hi!\""},
      {"bootscript()", "OK"},
      {"undefinedname", "No such variable."},
      {"1 +\t2", "tokenization error"},
      {"g = 1", "No such variable."},  // not a global yet: evaluated as an expression
      {"global g", "OK"},
      {"g = 4 * 5", "OK"},
      {"g", "20"},
      {"g = 20", "OK"},  // an assignment, not a comparison
      {"dumpglobal g", "OK"},
      {"g", "No such variable."},
      {"boot()", "OK"},                     // an event name: no handler is no error
      {"myhandler()", "No such handler."},  // the line itself holds no handlers
      {"global p", "OK"},
      {"variable(\"p\", 12)", "OK"},  // a property is read first, written when that fails
      {"variable(\"p\")", "12"},
      {"variable(\"nothere\")", "Expected comma ','."},  // the write's error is the one shown
      {"countglobals() junk", "1"},
      {"numtostring(-2147483648)",
       "\"-2147483648\""},  // tokens after the statement are not checked
  });
}

}  // namespace
}  // namespace lw::testing

// Lines typed into the programmer's console.
#include "script_fixture.h"

namespace lw::testing {
namespace {

class ConsoleTest : public ScriptTest {};

TEST_F(ConsoleTest, OutcomesAreShownByType) {
  EXPECT_EQ(Eval("1 + 2"), "3");
  EXPECT_EQ(Eval("1 < 2"), "True");
  EXPECT_EQ(Eval("\"hi\" @ \"!\""), "\"hi!\"");
  EXPECT_EQ(Eval("bootscript()"), "OK");
  EXPECT_EQ(Eval("undefinedname"), "No such variable.");
  EXPECT_EQ(Eval("1 +\t2"), "tokenization error");
}

TEST_F(ConsoleTest, GlobalsAreDeclaredAssignedAndRemoved) {
  EXPECT_EQ(Eval("g = 1"), "No such variable.");  // not a global yet: evaluated as g = 1
  EXPECT_EQ(Eval("global g"), "OK");
  EXPECT_EQ(Eval("g = 4 * 5"), "OK");
  EXPECT_EQ(Eval("g"), "20");
  EXPECT_EQ(Eval("g = 20"), "OK");  // an assignment, not a comparison
  EXPECT_EQ(Eval("dumpglobal g"), "OK");
  EXPECT_EQ(Eval("g"), "No such variable.");
}

TEST_F(ConsoleTest, HandlerCallsLookOnlyInTheLineItself) {
  EXPECT_EQ(Eval("boot()"), "OK");  // an event name
  EXPECT_EQ(Eval("myhandler()"), "No such handler.");
}

TEST_F(ConsoleTest, PropertiesAreReadFirstAndWrittenWhenTheReadFails) {
  EXPECT_EQ(Eval("global p"), "OK");
  EXPECT_EQ(Eval("variable(\"p\", 12)"), "OK");
  EXPECT_EQ(Eval("variable(\"p\")"), "12");
  // A failed read is tried again as a write, whose error is the one shown.
  EXPECT_EQ(Eval("variable(\"nothere\")"), "Expected comma ','.");
}

TEST_F(ConsoleTest, TokensAfterTheStatementAreNotChecked) {
  EXPECT_EQ(Eval("countglobals() junk"), "0");
}

}  // namespace
}  // namespace lw::testing

// Runs arbitrary bytes, taken as a stored compiled script, through both of the interpreter's
// engines (the pre-decoded form and the token walk) and stops at the first run whose outcome or
// state after it differs. The first handler the script defines is called with up to three
// arguments, as a function or a command; runs end by themselves after a budget of statements.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "first_handler_call.h"
#include "script/compiled_script.h"
#include "support/script_differential.h"

namespace {

// Statements per run: few enough that recursion ends long before the machine stack does.
constexpr int kStatementBudget = 300;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  auto loaded = lw::CompiledScript::FromBytes(std::span(data + 1, size - 1));
  if (!loaded) return 0;
  const std::string call = CallOfFirstHandler(*loaded, mode % 4);
  const bool asFunction = (mode & 4) != 0;
  const std::string decoded =
      lw::testing::ObservedRun(*loaded, call, asFunction, true, kStatementBudget);
  const std::string walked =
      lw::testing::ObservedRun(*loaded, call, asFunction, false, kStatementBudget);
  if (decoded != walked) {
    std::fprintf(stderr, "the engines differ on %s\n  decoded: %s\n  walked:  %s\n", call.c_str(),
                 decoded.c_str(), walked.c_str());
    std::abort();
  }
  return 0;
}

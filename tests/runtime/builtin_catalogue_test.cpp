// The catalogue that the tools read (DescribeAllBuiltins) against the built-ins that a real run
// wires into its interpreter: a built-in wired but not described, or described but not wired,
// would give the reference and the script checks a different language from the player's.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

#include "runtime/runtime_builtins.h"
#include "script/interpreter.h"
#include "script/keywords.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

using BuiltinCatalogueTest = TitleTest;

bool Wired(const BuiltinTable& table, BuiltinKind kind, std::uint16_t code) {
  switch (kind) {
    case BuiltinKind::kCommand: return static_cast<bool>(table.command(code));
    case BuiltinKind::kFunction: return static_cast<bool>(table.function(code));
    case BuiltinKind::kPropertyRead: return static_cast<bool>(table.propertyRead(code));
    case BuiltinKind::kPropertyWrite: break;
  }
  return static_cast<bool>(table.propertyWrite(code));
}

TEST_F(BuiltinCatalogueTest, DescribesExactlyWhatARunWires) {
  Boot(kRecordingScript);
  const BuiltinTable& wired = runtime().interpreter()->builtins();
  BuiltinTable catalogue;
  DescribeAllBuiltins(catalogue);

  constexpr std::array<std::pair<std::uint16_t, std::uint16_t>, 4> kBands = {{
      {tok::kFirstCommand, tok::kLastCommand},
      {tok::kFirstProperty, tok::kLastProperty},
      {tok::kFirstFunction, tok::kLastFunction},
      {tok::kFirstEffect, tok::kLastEffect},
  }};
  constexpr std::array<BuiltinKind, 4> kKinds = {BuiltinKind::kCommand, BuiltinKind::kFunction,
                                                 BuiltinKind::kPropertyRead,
                                                 BuiltinKind::kPropertyWrite};
  // Every disagreement, one a line, so that a failure names each built-in at fault.
  std::string differences;
  for (BuiltinKind kind : kKinds) {
    for (const auto& [first, last] : kBands) {
      for (std::uint16_t code = first; code <= last; ++code) {
        const BuiltinSignature* described = catalogue.signature(kind, code);
        const bool isWired = Wired(wired, kind, code);
        // Both tables hold the very signature of the entry's row.
        if (isWired != (described != nullptr) || wired.signature(kind, code) != described) {
          differences += std::string(KeywordName(code)) + " of kind " +
                         std::to_string(static_cast<int>(kind)) +
                         (isWired ? ": wired" : ": not wired") +
                         (described != nullptr ? ", described\n" : ", not described\n");
        }
      }
    }
  }
  EXPECT_EQ(differences, "");
  // Not agreeing by both being empty: each layer's built-ins of every kind are there.
  for (const auto& [kind, name] : {std::pair{BuiltinKind::kCommand, "delay"},
                                   {BuiltinKind::kFunction, "random"},
                                   {BuiltinKind::kFunction, "questiondialog"},
                                   {BuiltinKind::kPropertyRead, "wavevolume"},
                                   {BuiltinKind::kPropertyWrite, "variable"}}) {
    EXPECT_NE(catalogue.signature(kind, LookUpKeyword(name)), nullptr) << name;
  }
}

}  // namespace
}  // namespace lw::testing

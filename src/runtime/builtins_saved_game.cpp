#include "runtime/builtins_saved_game.h"

namespace lw {
namespace {

constexpr std::string_view kNotASavedGame = "This is not a valid saved game file.";
constexpr std::string_view kOtherTitle =
    "This saved game is from a different version of this title.";
constexpr std::string_view kNotSaved = "The game could not be saved: ";

ScriptError Identity(BuiltinCall& c, PString& identity) {
  Value t;
  LW_TRY(c.args(t));
  LW_TRY(NeedText(t));
  return c.text(t, identity);
}

ScriptError SaveGame(BuiltinCall& c, SavedGameServices& s) {
  PString identity;
  LW_TRY(Identity(c, identity));
  if (s.puppet.isOpen()) return ScriptError::PuppetAlreadyOpen;
  const std::optional<std::string> path = s.choose(true);
  if (!path) return ScriptError::None;
  if (const std::string failed = s.games.Write(*path, identity.view()); !failed.empty())
    InfoBox(s.boxes, std::string(kNotSaved) + failed);
  return ScriptError::None;
}

ScriptError OpenGame(BuiltinCall& c, SavedGameServices& s) {
  PString identity;
  LW_TRY(Identity(c, identity));
  const std::optional<std::string> path = s.choose(false);
  if (!path) return ScriptError::None;
  switch (s.games.Open(c, *path, identity.view())) {
    case OpenOutcome::kOpened: break;
    case OpenOutcome::kNotASavedGame: InfoBox(s.boxes, kNotASavedGame); break;
    case OpenOutcome::kOtherTitle: InfoBox(s.boxes, kOtherTitle); break;
  }
  return ScriptError::None;
}

using enum BuiltinKind;

constexpr BuiltinEntry<SavedGameServices> kSavedGameBuiltins[] = {
    {"savegame",
     kCommand,
     SaveGame,
     {"t: text",
      "",
      {ScriptError::BadArgumentType, ScriptError::PuppetAlreadyOpen},
      "Saves the running game under identity t into a saved game the player chooses (nothing "
      "when the player cancels). A save that fails is told in a box and changes nothing."}},
    {"opengame",
     kCommand,
     OpenGame,
     {"t: text",
      "",
      {ScriptError::BadArgumentType},
      "Replaces the running game by a saved game the player chooses, when it was saved under "
      "identity t; otherwise a box says why and nothing changes. No open message is sent to "
      "the objects it brings back."}},
};

}  // namespace

void WireSavedGameBuiltins(BuiltinTable& table, SavedGameServices& services) {
  table.wire<kSavedGameBuiltins>(services);
}
void DescribeSavedGameBuiltins(BuiltinTable& catalog) { catalog.describe<kSavedGameBuiltins>(); }

}  // namespace lw

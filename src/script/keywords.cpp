#include "script/keywords.h"

#include <array>

#include "script/fold.h"
#include "script/token.h"

namespace lw {
namespace {

constexpr std::array<std::string_view, 88> kCommands = {
    "message",        "hidecursor",      "showcursor",     "delay",          "makeloop",
    "walktostar",     "makeball",        "exportclut",     "visualeffect",   "stopwalk",
    "stoploop",       "stopball",        "opencastfile",   "closecastfile",  "actorscript",
    "sendtoactor",    "playmovie",       "openpuppetfile", "opentrackfile",  "closetrackfile",
    "playtheme",      "singlesound",     "multiplesound",  "dualsound",      "bothsound",
    "voicesound",     "plugin",          "haltsound",      "halttheme",      "haltvoice",
    "bootscript",     "opensetfile",     "closesetfile",   "sendtoscene",    "setscript",
    "scenescript",    "floorscript",     "clut",           "cursor",         "debugger",
    "puppetclear",    "closepuppetfile", "puppetspeak",    "puppetbevel",    "sendtopuppet",
    "puppetscript",   "castscript",      "sendtocast",     "blacktoscreen",  "screentoblack",
    "blackscreen",    "forceupdate",     "error",          "propscript",     "sendtoprop",
    "openshopfile",   "closeshopfile",   "shopscript",     "sendtoshop",     "openstagefile",
    "closestagefile", "gotoflat",        "stagescript",    "flatscript",     "buttonscript",
    "sendtofloor",    "sendtoset",       "sendtobutton",   "sendtoflat",     "sendtostage",
    "quit",           "turntodeg",       "flushevents",    "puppetgrab",     "actorinstance",
    "propinstance",   "savegame",        "opengame",       "notedialog",     "drawstring",
    "sendtoboot",     "mixclut",         "puppetscramble", "puppetsubtitle", "actorwarm",
    "propwarm",       "shopwarm",        "castwarm",
};

constexpr std::array<std::string_view, 53> kProperties = {
    "actorvisible", "actordeg",      "actorxyz",    "actorxy",     "actoris3d",    "actorstar",
    "setvisible",   "stagevisible",  "path",        "result",      "currentdir",   "actordist",
    "propdist",     "actorpose",     "propvisible", "propdeg",     "propxyz",      "propxy",
    "propis3d",     "propstar",      "actorset",    "framerate",   "actorspeed",   "actorscale",
    "propview",     "propspeed",     "propset",     "propscale",   "currentscene", "variable",
    "currentdeg",   "propowner",     "wavevolume",  "actorhitbox", "camerahi",     "actorturn",
    "menuvisible",  "soundpan",      "soundloop",   "soundvol",    "themevol",     "propvalue",
    "actorowner",   "actorvalue",    "keyaborts",   "pauseloop",   "pauseball",    "pausewalk",
    "puppetparam",  "puppetvisible", "actorzclip",  "propzclip",   "puppetbase",
};

constexpr std::array<std::string_view, 108> kFunctions = {
    "random",         "pointx",         "pointy",         "makepoint",     "button",
    "mouse",          "stilldown",      "tick",           "iswalk",        "isloop",
    "isball",         "countactors",    "indextoactor",   "countsounds",   "indextosound",
    "sounddone",      "setwidth",       "setheight",      "countscenes",   "indextoscene",
    "rowcoltoscene",  "scenefloor",     "scenerow",       "scenecol",      "stringtonum",
    "numtostring",    "freemem",        "puppetevent",    "countcasts",    "indextocast",
    "countprops",     "indextoprop",    "countshops",     "indextoshop",   "countflats",
    "indextoflat",    "flattoindex",    "currentflat",    "pointinactor",  "pointinprop",
    "pointinset",     "pointinstage",   "pointinbutton",  "countbuttons",  "indextobutton",
    "countpuppets",   "indextopuppet",  "currentstage",   "currentpuppet", "type",
    "countglobals",   "indextoglobal",  "currentset",     "findword",      "substring",
    "stringlength",   "putword",        "optionkey",      "shiftkey",      "commandkey",
    "calcvectx",      "calcvecty",      "cameraxyz",      "playerxyz",     "machinetype",
    "machinespeed",   "findfile",       "questiondialog", "textdialog",    "hittest",
    "calcdeg",        "calcturn",       "starxyz",        "frame",         "counttracks",
    "indextotrack",   "currentsound",   "currentvoice",   "currenttheme",  "soundrate",
    "calcdist",       "cacheinfo",      "actionframe",    "sendtoactorfx", "sendtoscenefx",
    "sendtopuppetfx", "sendtocastfx",   "sendtopropfx",   "sendtoshopfx",  "sendtofloorfx",
    "sendtosetfx",    "sendtobuttonfx", "sendtoflatfx",   "sendtostagefx", "sendtobootfx",
    "scenexyz",       "voicedone",      "pluginfx",       "walkdest",      "scenebuild",
    "indextoball",    "indextoloop",    "indextowalk",    "countballs",    "countloops",
    "countwalks",     "countbevels",    "sqrt",
};

constexpr std::array<std::string_view, 14> kEffects = {
    "barndoorclose", "barndooropen", "irisclose", "irisopen", "scrolldown",
    "scrollup",      "scrollright",  "scrolleft", "venetian", "wipedown",
    "wipeup",        "wiperight",    "wipeleft",  "plain",
};

constexpr std::array<Keyword, 28> kStatementWords = {{
    {"code", tok::kCode},
    {"global", tok::kGlobal},
    {"local", tok::kLocal},
    {"endcode", tok::kEndcode},
    {"exitcode", tok::kExitcode},
    {"if", tok::kIf},
    {"endif", tok::kEndif},
    {"else", tok::kElse},
    {"switch", tok::kSwitch},
    {"endswitch", tok::kEndswitch},
    {"case", tok::kCase},
    {"for", tok::kFor},
    {"to", tok::kTo},
    {"step", tok::kStep},
    {"endfor", tok::kEndfor},
    {"while", tok::kWhile},
    {"endwhile", tok::kEndwhile},
    {"true", tok::kTrue},
    {"false", tok::kFalse},
    {"not", tok::kNot},
    {"return", tok::kReturn},
    {"passcode", tok::kPasscode},
    {"me", tok::kMe},
    {"target", tok::kTarget},
    {"dumplocal", tok::kDumplocal},
    {"dumpglobal", tok::kDumpglobal},
    {"and", tok::kAnd},
    {"or", tok::kOr},
}};

// The 16 symbols; the last three are the Mac Roman bytes of the not-equal, greater-or-equal and
// less-or-equal signs.
constexpr std::array<Keyword, kSymbolCount> kSymbols = {{
    {"(", tok::kOpenParen},
    {")", tok::kCloseParen},
    {",", tok::kComma},
    {"+", tok::kPlus},
    {"-", tok::kMinus},
    {"*", tok::kTimes},
    {"/", tok::kDivide},
    {"&", tok::kAnd},
    {"|", tok::kOr},
    {"@", tok::kJoin},
    {"=", tok::kEqual},
    {"\xAD", tok::kNotEqual},
    {">", tok::kGreater},
    {"<", tok::kLess},
    {"\xB3", tok::kGreaterEqual},
    {"\xB2", tok::kLessEqual},
}};

constexpr int kTableSize = kKeywordCount + kSymbolCount;

constexpr std::array<Keyword, kTableSize> kTable = [] {
  std::array<Keyword, kTableSize> table{};
  int n = 0;
  for (const Keyword& k : kStatementWords) table[n++] = k;
  auto band = [&](const auto& names, std::uint16_t first) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      table[n++] = {names[i], static_cast<std::uint16_t>(first + i)};
    }
  };
  band(kCommands, tok::kFirstCommand);
  band(kProperties, tok::kFirstProperty);
  band(kFunctions, tok::kFirstFunction);
  band(kEffects, tok::kFirstEffect);
  for (const Keyword& k : kSymbols) table[n++] = k;
  return table;
}();

static_assert(kStatementWords.size() + kCommands.size() + kProperties.size() + kFunctions.size() +
                  kEffects.size() ==
              kKeywordCount);
static_assert(tok::kFirstCommand + kCommands.size() - 1 == tok::kLastCommand);
static_assert(tok::kFirstProperty + kProperties.size() - 1 == tok::kLastProperty);
static_assert(tok::kFirstFunction + kFunctions.size() - 1 == tok::kLastFunction);
static_assert(tok::kFirstEffect + kEffects.size() - 1 == tok::kLastEffect);

constexpr int kGroupCount = 27;  // 'a'..'z', then the symbols

constexpr int GroupOf(std::string_view word) {
  std::uint8_t first = Fold(word[0]);
  return first >= 'a' && first <= 'z' ? first - 'a' : kGroupCount - 1;
}

// The table's entries ordered by group, each group in table order, with group bounds.
struct GroupIndex {
  std::array<std::uint16_t, kTableSize> entries{};
  std::array<std::uint16_t, kGroupCount + 1> start{};
};

constexpr GroupIndex kGroups = [] {
  GroupIndex index;
  int n = 0;
  for (int g = 0; g < kGroupCount; ++g) {
    index.start[g] = static_cast<std::uint16_t>(n);
    for (int i = 0; i < kTableSize; ++i) {
      if (GroupOf(kTable[i].name) == g) index.entries[n++] = static_cast<std::uint16_t>(i);
    }
  }
  index.start[kGroupCount] = static_cast<std::uint16_t>(n);
  return index;
}();

}  // namespace

std::span<const Keyword> KeywordTable() { return kTable; }

std::uint16_t LookUpKeyword(std::string_view word) {
  if (word.empty()) return kNotAKeyword;
  int group = GroupOf(word);
  for (int i = kGroups.start[group]; i < kGroups.start[group + 1]; ++i) {
    const Keyword& k = kTable[kGroups.entries[i]];
    if (FoldEqual(k.name, word)) return k.code;
  }
  return kNotAKeyword;
}

std::string_view KeywordName(std::uint16_t code) {
  for (const Keyword& k : kTable) {
    if (k.code == code) return k.name;
  }
  return {};
}

// By band, so that loading a script checks each token in constant time.
bool IsKeywordCode(std::uint16_t code) {
  auto in = [code](std::uint16_t first, std::uint16_t last) {
    return code >= first && code <= last;
  };
  return in(tok::kCode, tok::kDumpglobal) || in(tok::kPlus, tok::kLessEqual) ||
         in(tok::kFirstCommand, tok::kLastCommand) || in(tok::kFirstProperty, tok::kLastProperty) ||
         in(tok::kFirstFunction, tok::kLastFunction) || in(tok::kFirstEffect, tok::kLastEffect);
}

}  // namespace lw

// The keyword table: 291 keywords and 16 symbol characters with their token codes. The table is
// constexpr data, so that the built-in tables resolve their keywords while compiling; the
// tokenizer looks words up without regard to case within the group of the word's first letter
// (symbols form a 27th group), in keywords.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "script/token.h"

namespace lw {

struct Keyword {
  std::string_view name;
  std::uint16_t code;
};

inline constexpr std::uint16_t kNotAKeyword = 1;  // never a token code
inline constexpr int kKeywordCount = 291;
inline constexpr int kSymbolCount = 16;

// The lists the table is made of. Each built-in band lists its names in code order from the
// band's first code.
namespace keyword_lists {

inline constexpr std::array<std::string_view, 88> kCommands = {
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

inline constexpr std::array<std::string_view, 53> kProperties = {
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

inline constexpr std::array<std::string_view, 108> kFunctions = {
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

inline constexpr std::array<std::string_view, 14> kEffects = {
    "barndoorclose", "barndooropen", "irisclose", "irisopen", "scrolldown",
    "scrollup",      "scrollright",  "scrolleft", "venetian", "wipedown",
    "wipeup",        "wiperight",    "wipeleft",  "plain",
};

inline constexpr std::array<Keyword, 28> kStatementWords = {{
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
inline constexpr std::array<Keyword, kSymbolCount> kSymbols = {{
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

}  // namespace keyword_lists

// Every entry, keywords then symbols, in code order within each band.
inline constexpr std::array<Keyword, kKeywordCount + kSymbolCount> kKeywordTable = [] {
  using namespace keyword_lists;
  std::array<Keyword, kKeywordCount + kSymbolCount> table{};
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

static_assert(keyword_lists::kStatementWords.size() + keyword_lists::kCommands.size() +
                  keyword_lists::kProperties.size() + keyword_lists::kFunctions.size() +
                  keyword_lists::kEffects.size() ==
              kKeywordCount);
static_assert(tok::kFirstCommand + keyword_lists::kCommands.size() - 1 == tok::kLastCommand);
static_assert(tok::kFirstProperty + keyword_lists::kProperties.size() - 1 == tok::kLastProperty);
static_assert(tok::kFirstFunction + keyword_lists::kFunctions.size() - 1 == tok::kLastFunction);
static_assert(tok::kFirstEffect + keyword_lists::kEffects.size() - 1 == tok::kLastEffect);

// The code of the keyword spelt exactly `name` (in lower case, as the table spells it) whose
// code lies in first..last; kNotAKeyword when there is none. The built-in tables use it at
// compile time to find a built-in's code in its own band.
constexpr std::uint16_t KeywordCodeInBand(std::string_view name, std::uint16_t first,
                                          std::uint16_t last) {
  for (const Keyword& k : kKeywordTable) {
    if (k.code >= first && k.code <= last && k.name == name) return k.code;
  }
  return kNotAKeyword;
}

// Every entry of the table, for code that walks it.
std::span<const Keyword> KeywordTable();

// The token code of a word or symbol, or kNotAKeyword.
std::uint16_t LookUpKeyword(std::string_view word);

// The name of a keyword code (the word, not the symbol, for 8005 and 8006); empty when unknown.
std::string_view KeywordName(std::uint16_t code);

// True for every code that the tokenizer can produce from the table.
bool IsKeywordCode(std::uint16_t code);

}  // namespace lw

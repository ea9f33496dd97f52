// Script error codes. Every interpreter operation gives one; None (0) is success, and a
// caller passes any other code up unchanged. The message of code c is string 1100 + c.
#pragma once

#include <cstdint>
#include <string_view>

namespace lw {

// The formatter mistakes the attribute for a type and would indent the codes.
// clang-format off
enum class [[nodiscard]] ScriptError : std::int16_t {
  None = 0,
  BadName = 1,
  ExpectedParen = 2,
  ExpressionTooComplex = 3,
  NoSuchHandler = 4,
  CommandsCantReturnValue = 5,
  FunctionsMustReturnValue = 6,
  TooManyWalks = 7,
  TooManyBalls = 8,
  NoSuchVariable = 9,
  NoSuchObject = 10,
  StageLibOpenClose = 11,
  NoSuchActorReadProperty = 12,
  NoSuchPropReadProperty = 13,
  BadArgumentType = 14,
  NoSuchVisualEffect = 15,
  ExpectedEqualSign = 16,
  NoSuchStageWriteProperty = 17,
  NoSuchActorWriteProperty = 18,
  NoSuchPropWriteProperty = 19,
  CantSetActorFrame = 20,
  CantSetActorDirection = 21,
  BadDirectionName = 22,
  NoSuchCommand = 23,
  ExpectedEndQuote = 24,
  ExpectedOperator = 25,
  StringLengthTooBig = 26,
  ExpectedReturn = 27,
  ExpectedComma = 28,
  BadIfBalance = 29,
  BadForBalance = 30,
  BadSwitchBalance = 31,
  ExpectedTo = 32,
  ExpectedStep = 33,
  NoSuchStar = 34,
  TooManyLoops = 35,
  ExpectedPeriod = 36,
  ExpectedEndwhile = 37,
  TokenizationError = 38,
  SoundLibOpenClose = 39,
  SceneLibOpenClose = 40,
  NotEnoughMemory = 41,
  CantFindFile = 42,
  ResourceNotFound = 43,
  TooMuchRecursion = 44,
  PuppetAlreadyOpen = 45,
  PuppetBevelFull = 46,
  RuntimeUserError = 47,
  WrongTypeOfFile = 48,
  FileAlreadyOpen = 49,
  SetLibOpenClose = 50,
  PluginReturnedError = 51,
  MustUse83Filenames = 52,
  ProgrammerKeyboardAbort = 53,
  StringLibraryExhausted = 54,
  DivideByZero = 55,
};
// clang-format on

inline constexpr int kFirstScriptErrorString = 1100;
inline constexpr int kLastScriptError = 55;

constexpr bool Failed(ScriptError e) { return e != ScriptError::None; }
constexpr std::int16_t CodeOf(ScriptError e) { return static_cast<std::int16_t>(e); }

// The message of a script error code (string 1100 + code); empty for codes without one.
std::string_view ScriptErrorMessage(int code);

// Strings 1101..1155 of the program's string table; empty for other ids.
std::string_view ScriptErrorString(int stringId);

}  // namespace lw

// Runs an operation that gives a ScriptError and returns its code when it failed.
#define LW_TRY(expr)                                                                  \
  do {                                                                                \
    if (::lw::ScriptError lw_try_e = (expr); ::lw::Failed(lw_try_e)) return lw_try_e; \
  } while (0)

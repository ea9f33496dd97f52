// Tokens of compiled scripts and their codes.
//
// A token is 8 bytes, the layout of a Value. Stored form (little-endian):
//
//   OFFSET SIZE DESCRIPTION
//   0      2    token code (unsigned)
//   2      4    value: string/name distance, number, tab count, next-handler distance
//   6      2    auxiliary word: 0 as compiled; the interpreter keeps caches here
//
// In memory the fields are reordered for alignment; CompiledScript converts.
#pragma once

#include <cstdint>

namespace lw {

struct Token {
  std::uint16_t code = 0;
  std::uint16_t aux = 0;
  std::int32_t value = 0;
};
static_assert(sizeof(Token) == 8);

inline constexpr int kTokenSize = 8;

namespace tok {

// Tokens that are not keywords.
inline constexpr std::uint16_t kEnd = 0;
inline constexpr std::uint16_t kString = 3;
inline constexpr std::uint16_t kNumber = 4;
inline constexpr std::uint16_t kName = 5;
inline constexpr std::uint16_t kLineEnd = 6;

// Statement words, literals and punctuation (4001..4029).
inline constexpr std::uint16_t kCode = 4001;
inline constexpr std::uint16_t kGlobal = 4002;
inline constexpr std::uint16_t kLocal = 4003;
inline constexpr std::uint16_t kEndcode = 4004;
inline constexpr std::uint16_t kExitcode = 4005;
inline constexpr std::uint16_t kIf = 4006;
inline constexpr std::uint16_t kEndif = 4007;
inline constexpr std::uint16_t kElse = 4008;
inline constexpr std::uint16_t kSwitch = 4009;
inline constexpr std::uint16_t kEndswitch = 4010;
inline constexpr std::uint16_t kCase = 4011;
inline constexpr std::uint16_t kFor = 4012;
inline constexpr std::uint16_t kTo = 4013;
inline constexpr std::uint16_t kStep = 4014;
inline constexpr std::uint16_t kEndfor = 4015;
inline constexpr std::uint16_t kWhile = 4016;
inline constexpr std::uint16_t kEndwhile = 4017;
inline constexpr std::uint16_t kOpenParen = 4018;
inline constexpr std::uint16_t kCloseParen = 4019;
inline constexpr std::uint16_t kComma = 4020;
inline constexpr std::uint16_t kTrue = 4021;
inline constexpr std::uint16_t kFalse = 4022;
inline constexpr std::uint16_t kNot = 4023;
inline constexpr std::uint16_t kReturn = 4024;
inline constexpr std::uint16_t kPasscode = 4025;
inline constexpr std::uint16_t kMe = 4026;
inline constexpr std::uint16_t kTarget = 4027;
inline constexpr std::uint16_t kDumplocal = 4028;
inline constexpr std::uint16_t kDumpglobal = 4029;

// Operators (8001..8013).
inline constexpr std::uint16_t kPlus = 8001;
inline constexpr std::uint16_t kMinus = 8002;
inline constexpr std::uint16_t kTimes = 8003;
inline constexpr std::uint16_t kDivide = 8004;
inline constexpr std::uint16_t kAnd = 8005;
inline constexpr std::uint16_t kOr = 8006;
inline constexpr std::uint16_t kJoin = 8007;
inline constexpr std::uint16_t kEqual = 8008;
inline constexpr std::uint16_t kNotEqual = 8009;
inline constexpr std::uint16_t kGreater = 8010;
inline constexpr std::uint16_t kLess = 8011;
inline constexpr std::uint16_t kGreaterEqual = 8012;
inline constexpr std::uint16_t kLessEqual = 8013;

// Built-in bands: commands, properties, functions, visual effect names.
inline constexpr std::uint16_t kFirstCommand = 12001;
inline constexpr std::uint16_t kLastCommand = 12088;
inline constexpr std::uint16_t kFirstProperty = 16001;
inline constexpr std::uint16_t kLastProperty = 16053;
inline constexpr std::uint16_t kFirstFunction = 20001;
inline constexpr std::uint16_t kLastFunction = 20108;
inline constexpr std::uint16_t kFirstEffect = 24001;
inline constexpr std::uint16_t kLastEffect = 24014;

constexpr bool IsOperator(std::uint16_t code) { return code >= kPlus && code <= kLessEqual; }

// The precedence level of an operator, 0 binding tightest: 0 * /, 1 + -, 2 @, 3 < > >= <=,
// 4 = <>, 5 and, 6 or. Operators of one level apply left to right.
inline constexpr int kOperatorLevels = 7;
constexpr int OperatorLevel(std::uint16_t op) {
  switch (op) {
    case kTimes:
    case kDivide: return 0;
    case kPlus:
    case kMinus: return 1;
    case kJoin: return 2;
    case kGreater:
    case kLess:
    case kGreaterEqual:
    case kLessEqual: return 3;
    case kEqual:
    case kNotEqual: return 4;
    case kAnd: return 5;
    default: return 6;  // kOr
  }
}
// Codes that start a statement through the command dispatcher.
constexpr bool IsCommandDispatch(std::uint16_t code) { return code >= 12000 && code <= 16054; }
// Codes that start an operand through the function dispatcher.
constexpr bool IsFunctionDispatch(std::uint16_t code) { return code >= 16000 && code <= 20109; }

}  // namespace tok
}  // namespace lw

// CompileScriptText: one left-to-right scan of the text that appends a token per word, number,
// literal, symbol or line end, collects names and literals in a shared pool, and finally turns
// pool offsets into token-relative distances (see compiled_script.h for the block layout).
#include "script/tokenizer.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "script/decimal_run.h"
#include "script/keywords.h"

namespace lw {
namespace {

constexpr char kBlank = ' ';
constexpr char kQuote = '"';
constexpr char kCarriageReturn = '\r';
constexpr char kTab = '\t';
constexpr std::size_t kMaxRun = 255;  // longest literal, word or digit run (one length byte)

// Each byte of text adds at most this many bytes to the block (a one-letter name and a symbol:
// two tokens and a two-byte pool entry from two bytes of text).
constexpr std::size_t kMaxBlockBytesPerTextByte = 9;
// Texts up to this length keep every distance within a signed 32-bit value; tokenizing stops
// at this offset in longer texts.
constexpr std::size_t kMaxTextLength =
    (static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) - kTokenSize) /
    kMaxBlockBytesPerTextByte;

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The state of one tokenizing run: the text, the read position and what has been built.
class Tokenizer {
 public:
  Tokenizer(std::string_view text, std::vector<std::uint32_t>* offsets)
      : text_(text), offsets_(offsets) {}

  // Scans the whole text; the failure offset when a step refuses its input.
  std::optional<std::size_t> scan();

  // Finishes the tokens (end token, distances) and hands over the script.
  CompiledScript finish() &&;

 private:
  [[nodiscard]] bool atEnd() const { return pos_ >= text_.size(); }
  [[nodiscard]] char current() const { return text_[pos_]; }

  // Each reads one item at pos_ and moves past it; they give the failure offset on refusal.
  std::optional<std::size_t> readLiteral();
  std::optional<std::size_t> readNumber();
  void readLineEnd();
  std::optional<std::size_t> readSymbol();
  std::optional<std::size_t> readWord();

  // The length of the run from pos_ of characters for which `in` is true.
  template <typename Pred>
  std::size_t runLength(Pred in) const {
    std::size_t end = pos_;
    while (end < text_.size() && in(text_[end])) ++end;
    return end - pos_;
  }

  void append(std::uint16_t code, std::int32_t value = 0) {
    tokens_.push_back(Token{.code = code, .aux = 0, .value = value});
    if (offsets_ != nullptr) offsets_->push_back(static_cast<std::uint32_t>(itemStart_));
  }
  std::int32_t addToPool(std::string_view text);

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t itemStart_ = 0;  // where the item being read began
  std::vector<std::uint32_t>* offsets_;
  std::vector<Token> tokens_;
  std::vector<std::uint8_t> pool_;
  // The pool's entries by their characters, beside the stored layout: a long text adds tens of
  // thousands of names and literals, and a scan of the pool for each made compiling quadratic.
  // The keys view the text being compiled, which outlives the run.
  std::unordered_map<std::string_view, std::int32_t> poolIndex_;
};

std::optional<std::size_t> Tokenizer::scan() {
  while (!atEnd()) {
    char c = current();
    itemStart_ = pos_;
    std::optional<std::size_t> failure;
    if (c == kBlank) {
      pos_ += runLength([](char b) { return b == kBlank; });
    } else if (c == kQuote) {
      failure = readLiteral();
    } else if (IsDigit(c)) {
      failure = readNumber();
    } else if (c == kCarriageReturn) {
      readLineEnd();
    } else if (IsLetter(c)) {
      failure = readWord();
    } else {
      failure = readSymbol();
    }
    if (failure) return failure;
  }
  return std::nullopt;
}

// A literal runs to the next quote; there is no escape, and it may not span a line end.
std::optional<std::size_t> Tokenizer::readLiteral() {
  const std::size_t start = pos_ + 1;
  std::size_t end = start;
  while (end < text_.size() && text_[end] != kQuote && text_[end] != kCarriageReturn) ++end;
  if (end >= text_.size() || text_[end] != kQuote || end - start > kMaxRun) return start;
  append(tok::kString, addToPool(text_.substr(start, end - start)));
  pos_ = end + 1;
  return std::nullopt;
}

// Digits are read as stringtonum reads them (decimal_run.h), keeping their value modulo 2^32.
std::optional<std::size_t> Tokenizer::readNumber() {
  const std::size_t length = runLength(IsDigit);
  if (length > kMaxRun) return pos_;
  append(tok::kNumber, DecimalRunValue(text_.substr(pos_, length)));
  pos_ += length;
  return std::nullopt;
}

// A carriage return ends the line; the tabs that follow it give the next line's indent.
void Tokenizer::readLineEnd() {
  ++pos_;
  const std::size_t tabs = runLength([](char b) { return b == kTab; });
  append(tok::kLineEnd, static_cast<std::int32_t>(tabs));
  pos_ += tabs;
}

// Any other character must be one of the symbols; stray tabs and line feeds are refused too.
std::optional<std::size_t> Tokenizer::readSymbol() {
  std::uint16_t code = LookUpKeyword(text_.substr(pos_, 1));
  ++pos_;
  if (code == kNotAKeyword) return pos_;
  append(code);
  return std::nullopt;
}

// A word is a letter followed by letters and digits: a keyword, or else a name.
std::optional<std::size_t> Tokenizer::readWord() {
  const std::size_t length = runLength([](char b) { return IsLetter(b) || IsDigit(b); });
  if (length > kMaxRun) return pos_;
  std::string_view word = text_.substr(pos_, length);
  std::uint16_t code = LookUpKeyword(word);
  if (code == kNotAKeyword) {
    append(tok::kName, addToPool(word));
  } else {
    append(code);
  }
  pos_ += length;
  return std::nullopt;
}

// The pool offset of `text`, reusing a byte-for-byte equal entry (case included) when the
// pool has one and appending a new entry otherwise. Entries are unique, so the index finds the
// same entry a scan of the pool from its start would.
std::int32_t Tokenizer::addToPool(std::string_view text) {
  const auto [entry, added] = poolIndex_.try_emplace(text, static_cast<std::int32_t>(pool_.size()));
  if (added) {
    pool_.push_back(static_cast<std::uint8_t>(text.size()));
    pool_.insert(pool_.end(), text.begin(), text.end());
  }
  return entry->second;
}

CompiledScript Tokenizer::finish() && {
  itemStart_ = text_.size();
  append(tok::kEnd);
  const std::size_t count = tokens_.size();
  for (std::size_t i = 0; i < count; ++i) {
    Token& token = tokens_[i];
    if (token.code == tok::kString || token.code == tok::kName) {
      // The pool begins right after the last token.
      token.value += static_cast<std::int32_t>((count - i) * kTokenSize);
    }
  }
  return CompiledScript(std::move(tokens_), std::move(pool_));
}

}  // namespace

Expected<CompiledScript, TokenizeFailure> CompileScriptText(std::string_view text,
                                                            std::vector<std::uint32_t>* offsets) {
  if (offsets != nullptr) offsets->clear();
  Tokenizer tokenizer(text.substr(0, kMaxTextLength), offsets);
  std::optional<std::size_t> failure = tokenizer.scan();
  if (!failure && text.size() > kMaxTextLength) failure = kMaxTextLength;
  if (failure) return Unexpected{TokenizeFailure{static_cast<std::int32_t>(*failure)}};
  return std::move(tokenizer).finish();
}

}  // namespace lw

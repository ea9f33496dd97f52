#include "runtime/plugin_services.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>

#include "runtime/error_lines.h"
#include "script/console.h"
#include "script/text_functions.h"
#include "shell/dialogs/file_dialog_list.h"

namespace lw {
namespace {

constexpr std::int16_t kOk = LW_RESULT_OK;
constexpr std::int16_t kMismatch = LW_RESULT_MISMATCH;
constexpr std::int16_t kNone = LW_TYPE_NONE;
constexpr std::int16_t kNumber = LW_TYPE_NUMBER;
constexpr std::int16_t kText = LW_TYPE_TEXT;
constexpr std::int16_t kBlock = LW_TYPE_BLOCK;
constexpr std::int64_t kSmallestBlock = 1;
constexpr std::int32_t kChosen = 1;
constexpr std::int32_t kNotChosen = 0;

using Signature = std::array<std::int16_t, 4>;

// The argument types of services 500..516, in code order.
constexpr std::array<Signature, 17> kSignatures = {{
    {kText, kText, kNumber, kNone},    // 500 move memory
    {kNone, kNone, kNone, kNone},      // 501 free memory
    {kBlock, kNone, kNone, kNone},     // 502 block size
    {kBlock, kNumber, kNone, kNone},   // 503 resize block
    {kNumber, kNone, kNone, kNone},    // 504 new block
    {kBlock, kNone, kNone, kNone},     // 505 free block
    {kBlock, kNone, kNone, kNone},     // 506 lock block
    {kBlock, kNone, kNone, kNone},     // 507 unlock block
    {kBlock, kNone, kNone, kNone},     // 508 copy block
    {kText, kNone, kNone, kNone},      // 509 evaluate
    {kText, kText, kNone, kNone},      // 510 append text
    {kText, kText, kNone, kNone},      // 511 copy text
    {kText, kNone, kNone, kNone},      // 512 text to number
    {kNumber, kText, kNone, kNone},    // 513 number to text
    {kNumber, kNumber, kNone, kNone},  // 514 report error
    {kText, kText, kNone, kNone},      // 515 save dialog
    {kText, kText, kNone, kNone},      // 516 open dialog
}};
static_assert(LW_SERVICE_MOVE_MEMORY + kSignatures.size() - 1 == LW_SERVICE_OPEN_DIALOG);

// The services the entry answers through now; set only by ServiceScope.
PluginServices* gCurrentServices = nullptr;

// Whether each argument has its expected type (a text also needs a buffer).
bool ArgumentsMatch(const LwParameterBlock& b, const Signature& signature) {
  for (std::size_t i = 0; i < signature.size(); ++i) {
    const LwValue& argument = b.arguments[i];
    if (argument.type != signature[i]) return false;
    if (argument.type == kText && argument.value.text == nullptr) return false;
  }
  return true;
}

// The characters of a length-prefixed text.
std::string_view TextOf(const unsigned char* text) {
  return {reinterpret_cast<const char*>(text + 1), text[0]};
}

// Replaces a length-prefixed text, cut at 255 characters; `chars` may lie in the same buffer.
void SetText(unsigned char* text, std::string_view chars) {
  const std::size_t length = std::min<std::size_t>(chars.size(), LW_TEXT_MAX_LENGTH);
  std::memmove(text + 1, chars.data(), length);
  text[0] = static_cast<unsigned char>(length);
}

void SetNumber(LwValue& slot, std::int32_t number) {
  slot.type = kNumber;
  slot.value.number = number;
}

void SetBlock(LwValue& slot, LwBlockHandle block) {
  slot.type = kBlock;
  slot.value.block = block;
}

}  // namespace

std::int16_t PluginServices::Answer(LwParameterBlock& b) {
  b.result.type = kNone;
  const int index = b.code - LW_SERVICE_MOVE_MEMORY;
  if (index < 0 || index >= static_cast<int>(kSignatures.size())) return kMismatch;
  if (!ArgumentsMatch(b, kSignatures[static_cast<std::size_t>(index)])) return kMismatch;
  return dispatch(b);
}

std::int16_t PluginServices::dispatch(LwParameterBlock& b) {
  switch (b.code) {
    case LW_SERVICE_MOVE_MEMORY: return MoveMemory(b);
    case LW_SERVICE_FREE_MEMORY: return FreeMemory(b);
    case LW_SERVICE_BLOCK_SIZE: return BlockSize(b);
    case LW_SERVICE_RESIZE_BLOCK: return ResizeBlock(b);
    case LW_SERVICE_NEW_BLOCK: return NewBlock(b);
    case LW_SERVICE_FREE_BLOCK: return FreeBlock(b);
    case LW_SERVICE_LOCK_BLOCK: return LockBlock(b);
    case LW_SERVICE_UNLOCK_BLOCK: return UnlockBlock(b);
    case LW_SERVICE_COPY_BLOCK: return CopyBlock(b);
    case LW_SERVICE_EVALUATE: return Evaluate(b);
    case LW_SERVICE_APPEND_TEXT: return AppendText(b);
    case LW_SERVICE_COPY_TEXT: return CopyText(b);
    case LW_SERVICE_TEXT_TO_NUMBER: return TextToNumberService(b);
    case LW_SERVICE_NUMBER_TO_TEXT: return NumberToTextService(b);
    case LW_SERVICE_REPORT_ERROR: return ReportError(b);
    case LW_SERVICE_SAVE_DIALOG: return SaveDialog(b);
    case LW_SERVICE_OPEN_DIALOG: return OpenDialog(b);
    default: return kMismatch;
  }
}

// 500: copies bytes between two addresses the plug-in owns; a negative count is refused.
std::int16_t PluginServices::MoveMemory(LwParameterBlock& b) {
  const std::int32_t count = b.arguments[2].value.number;
  if (count < 0) return kMismatch;
  std::memmove(b.arguments[1].value.text, b.arguments[0].value.text,
               static_cast<std::size_t>(count));
  return kOk;
}

// 501: the free-memory figure, held to the number range.
std::int16_t PluginServices::FreeMemory(LwParameterBlock& b) {
  const std::uint64_t bytes = std::min<std::uint64_t>(context_.memory.FreeMemory(),
                                                      std::numeric_limits<std::int32_t>::max());
  SetNumber(b.result, static_cast<std::int32_t>(bytes));
  return kOk;
}

// 502: a block's size.
std::int16_t PluginServices::BlockSize(LwParameterBlock& b) {
  const LwBlockRecord* block = find(b.arguments[0].value.block);
  if (block == nullptr) return kMismatch;
  SetNumber(b.result, static_cast<std::int32_t>(block->bytes.size()));
  return kOk;
}

// 503: a new size for an unlocked block; new bytes are zero.
std::int16_t PluginServices::ResizeBlock(LwParameterBlock& b) {
  LwBlockRecord* block = find(b.arguments[0].value.block);
  const std::int64_t size = std::max<std::int64_t>(b.arguments[1].value.number, kSmallestBlock);
  if (block == nullptr || block->locks > 0 || !affordable(size)) return kMismatch;
  block->bytes.resize(static_cast<std::size_t>(size));
  SetBlock(b.result, b.arguments[0].value.block);
  return kOk;
}

// 504: a new zeroed block.
std::int16_t PluginServices::NewBlock(LwParameterBlock& b) {
  return addBlock(b.arguments[0].value.number, {}, b) ? kOk : kMismatch;
}

// 505: frees a block, locked or not.
std::int16_t PluginServices::FreeBlock(LwParameterBlock& b) {
  return blocks_.erase(b.arguments[0].value.block) == 1 ? kOk : kMismatch;
}

// 506: locks a block and gives the address of its bytes.
std::int16_t PluginServices::LockBlock(LwParameterBlock& b) {
  LwBlockRecord* block = find(b.arguments[0].value.block);
  if (block == nullptr) return kMismatch;
  ++block->locks;
  b.result.type = kText;
  b.result.value.text = block->bytes.data();
  return kOk;
}

// 507: unlocks a block; unlocking an unlocked block changes nothing.
std::int16_t PluginServices::UnlockBlock(LwParameterBlock& b) {
  LwBlockRecord* block = find(b.arguments[0].value.block);
  if (block == nullptr) return kMismatch;
  if (block->locks > 0) --block->locks;
  return kOk;
}

// 508: a new unlocked block with the same bytes.
std::int16_t PluginServices::CopyBlock(LwParameterBlock& b) {
  const LwBlockRecord* block = find(b.arguments[0].value.block);
  if (block == nullptr) return kMismatch;
  const std::vector<std::uint8_t> bytes = block->bytes;
  return addBlock(static_cast<std::int64_t>(bytes.size()), bytes, b) ? kOk : kMismatch;
}

// 509: runs the text as the message box runs a typed line and puts the outcome in its place.
std::int16_t PluginServices::Evaluate(LwParameterBlock& b) {
  Interpreter* interpreter = context_.interpreter ? context_.interpreter() : nullptr;
  if (interpreter == nullptr) return kMismatch;
  unsigned char* text = b.arguments[0].value.text;
  const std::string outcome = RunConsoleLine(*interpreter, std::string(TextOf(text)));
  SetText(text, outcome);
  return kOk;
}

// 510: text 2 followed by text 1, cut at 255 characters, into text 2.
std::int16_t PluginServices::AppendText(LwParameterBlock& b) {
  unsigned char* target = b.arguments[1].value.text;
  std::string joined(TextOf(target));
  joined.append(TextOf(b.arguments[0].value.text));
  SetText(target, joined);
  return kOk;
}

// 511: text 1 into text 2.
std::int16_t PluginServices::CopyText(LwParameterBlock& b) {
  SetText(b.arguments[1].value.text, TextOf(b.arguments[0].value.text));
  return kOk;
}

// 512: the decimal number at the start of the text.
std::int16_t PluginServices::TextToNumberService(LwParameterBlock& b) {
  SetNumber(b.result, TextToNumber(TextOf(b.arguments[0].value.text)));
  return kOk;
}

// 513: the number's decimal digits into the text.
std::int16_t PluginServices::NumberToTextService(LwParameterBlock& b) {
  SetText(b.arguments[1].value.text, NumberToText(b.arguments[0].value.number).view());
  return kOk;
}

// 514: the runtime's error box, for a plug-in that met a fault it cannot recover from.
std::int16_t PluginServices::ReportError(LwParameterBlock& /*b*/) {
  context_.errors.ReportError(kRuntimeProgramCode, errline::kPluginReportedError);
  return kOk;
}

// 515: the save dialog of saved games.
std::int16_t PluginServices::SaveDialog(LwParameterBlock& b) {
  return dialog(b, true, file_type::kSavedGame);
}

// 516: the open dialog of text files.
std::int16_t PluginServices::OpenDialog(LwParameterBlock& b) {
  return dialog(b, false, file_type::kText);
}

// A path longer than a text holds cannot be given back whole, so it counts as no choice.
std::int16_t PluginServices::dialog(LwParameterBlock& b, bool save, std::uint32_t fileType) {
  std::string path;
  std::string name;
  const int chosen = save ? context_.dialogs.SaveFileDialog(path, name, fileType)
                          : context_.dialogs.OpenFileDialog(path, name, fileType);
  const bool fits = path.size() <= LW_TEXT_MAX_LENGTH;
  if (chosen == kChosen && fits) {
    SetText(b.arguments[0].value.text, path);
    SetText(b.arguments[1].value.text, name);
  }
  SetNumber(b.result, chosen == kChosen && fits ? kChosen : kNotChosen);
  return kOk;
}

LwBlockRecord* PluginServices::find(LwBlockHandle handle) {
  const auto it = blocks_.find(handle);
  return it == blocks_.end() ? nullptr : it->second.get();
}

bool PluginServices::addBlock(std::int64_t size, const std::vector<std::uint8_t>& bytes,
                              LwParameterBlock& b) {
  size = std::max(size, kSmallestBlock);
  if (!affordable(size)) return false;
  auto block = std::make_unique<LwBlockRecord>();
  block->bytes = bytes;
  block->bytes.resize(static_cast<std::size_t>(size));
  LwBlockRecord* handle = block.get();
  blocks_.emplace(handle, std::move(block));
  SetBlock(b.result, handle);
  return true;
}

bool PluginServices::affordable(std::int64_t size) const {
  return static_cast<std::uint64_t>(size) <= context_.memory.FreeMemory();
}

// A failed allocation must not unwind into the plug-in's C code: it refuses the request.
extern "C" std::int16_t LwRuntimeServiceEntry(LwParameterBlock* block) {
  if (block == nullptr || gCurrentServices == nullptr) return kMismatch;
  try {
    return gCurrentServices->Answer(*block);
  } catch (const std::bad_alloc&) {
    block->result.type = kNone;
    return kMismatch;
  }
}

ServiceScope::ServiceScope(PluginServices& services) : outer_(gCurrentServices) {
  gCurrentServices = &services;
}

ServiceScope::~ServiceScope() { gCurrentServices = outer_; }

}  // namespace lw

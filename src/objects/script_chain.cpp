#include "objects/script_chain.h"

#include <cassert>

#include "script/interpreter.h"
#include "script/token.h"

namespace lw {

ScriptChain::~ScriptChain() {
  for (std::size_t i = 0; i < count_; ++i) scripts_.ReleaseCompiledScript(frames_[i].script);
}

ScriptError ScriptChain::add(StarFile& file, std::uint32_t recordId, ObjectKind kind,
                             std::string_view me, std::string_view target) {
  assert(count_ < kMaxFrames && "no kind's chain is longer than three frames");
  const auto id = static_cast<std::int32_t>(recordId);
  CompiledScript* script = scripts_.GetCompiledScript(file, id);
  if (script == nullptr) return ScriptError::ResourceNotFound;
  ScriptFrame& frame = frames_[count_++];
  frame.starSerial = file.serial();
  frame.recordId = id;
  frame.starFile = &file;
  frame.script = script;
  frame.title = Title17::truncated(KindInfo(kind).scriptTitle);
  frame.me = Name15::truncated(me);
  frame.target = Name15::truncated(target);
  return ScriptError::None;
}

ScriptError ScriptChain::run(BuiltinCall& c, int callPos, Value* result, int& callLength) {
  for (std::size_t i = 0; i < count_; ++i) frames_[i].last = i + 1 == count_;
  return c.in.runHandlerOnChain(frames_.data(), c.frame, callPos, c.locals, result, callLength);
}

ScriptError ExpectCommaAfterNames(const BuiltinCall& c) {
  const auto commaPos = static_cast<std::size_t>(c.pos + c.used);
  return c.frame.script->tokens()[commaPos].code == tok::kComma ? ScriptError::None
                                                                : ScriptError::ExpectedComma;
}

ScriptError DeliverAfterNames(BuiltinCall& c, ScriptChain& chain, Value* result) {
  const int commaPos = c.pos + c.used;
  int callLength = 0;
  const ScriptError e = chain.run(c, commaPos + 1, result, callLength);
  c.used += 1 + callLength;
  return e;
}

}  // namespace lw

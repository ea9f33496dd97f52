// A script chain: the frames that a message to an object is looked up along, the object's own
// script first, then its containers' (at most three). Each frame's compiled script is taken from
// the compiled-script cache when it is added and released when the chain goes, whatever the
// message did, so no path leaves a script in use.
//
//   MESSAGE TO   FRAME 1 (title; me; target)   FRAME 2                  FRAME 3
//   stage        stage (Stage; stage; stage)   -                        -
//   flat F       flat (Flat; F; F)             stage (Stage; stage; F)  -
//   button B     button (Button; B; B)         flat (Flat; F; B)        stage (Stage; stage; B)
//
// The kinds still to come build theirs the same way (an actor: actor, then cast).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "media/star_file.h"
#include "objects/object_kinds.h"
#include "script/builtin_table.h"
#include "script/compiled_script_cache.h"
#include "script/script_frame.h"

namespace lw {

class ScriptChain {
 public:
  static constexpr std::size_t kMaxFrames = 3;

  explicit ScriptChain(CompiledScriptCache& scripts) : scripts_(scripts) {}
  ~ScriptChain();
  ScriptChain(const ScriptChain&) = delete;
  ScriptChain& operator=(const ScriptChain&) = delete;

  // Adds the next outer frame: script `recordId` of `file`, titled as `kind`'s scripts, with
  // the names `me` and `target` yield. ResourceNotFound when the script cannot be had (the cache
  // has reported why).
  ScriptError add(StarFile& file, std::uint32_t recordId, ObjectKind kind, std::string_view me,
                  std::string_view target);

  // Runs the handler call at token `callPos` of the sender's script along the chain, each frame
  // in turn until one has the handler; `callLength` gets the call's tokens. With `result` the
  // handler runs as a function.
  ScriptError run(BuiltinCall& c, int callPos, Value* result, int& callLength);

 private:
  CompiledScriptCache& scripts_;
  std::array<ScriptFrame, kMaxFrames> frames_{};
  std::size_t count_ = 0;
};

// A sendto's names (they took `c.used` tokens) must be followed by a comma, before the chain is
// built: ExpectedComma otherwise.
ScriptError ExpectCommaAfterNames(const BuiltinCall& c);

// Runs the handler call after the names and their comma along `chain`; afterwards `c.used`
// covers the whole argument list.
ScriptError DeliverAfterNames(BuiltinCall& c, ScriptChain& chain, Value* result);

}  // namespace lw

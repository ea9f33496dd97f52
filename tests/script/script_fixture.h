// A fixture that compiles script sources and runs handler calls and console lines against them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "script/compiled_script.h"
#include "script/console.h"
#include "script/interpreter.h"
#include "script/script_host.h"
#include "script/tokenizer.h"

namespace lw::testing {

// A host whose Escape key goes down after a number of checks, that records fatal reports as
// (program code, error line), that lends a system script and that puts token N on line 10 x N.
class TestHost : public ScriptHost {
 public:
  bool escapeDown() override { return escapeAfter >= 0 && ++escapeChecks > escapeAfter; }
  void reportFatal(std::int16_t programCode, std::int16_t errorLine) override {
    fatals.emplace_back(programCode, errorLine);
  }
  CompiledScript* acquireSystemScript() override {
    ++systemHeld;
    return systemScript;
  }
  void releaseSystemScript(CompiledScript*) override { --systemHeld; }
  // Lines as an oracle that a report cannot make up: ten per token.
  std::optional<int> sourceLineOf(const CompiledScript&, int token) override { return token * 10; }

  int escapeAfter = -1;
  int escapeChecks = 0;
  std::vector<std::pair<std::int16_t, std::int16_t>> fatals;
  CompiledScript* systemScript = nullptr;
  int systemHeld = 0;  // acquired and not yet released
};

// Source text written with LF line ends, as the runtime sees it (CR line ends).
inline std::string WithCR(std::string_view source) {
  std::string text(source);
  std::replace(text.begin(), text.end(), '\n', '\r');
  return text;
}

// Compiles and decodes, as the compiled-script cache does with the scripts it holds, so that the
// tests run the engine that titles run.
inline CompiledScript Compile(std::string_view source) {
  auto compiled = CompileScriptText(WithCR(source));
  EXPECT_TRUE(compiled.ok()) << "source does not tokenize: " << source;
  CompiledScript script = compiled.ok() ? std::move(compiled.value()) : CompiledScript();
  script.decode();
  return script;
}

// Lines or calls with the outcome text each must give. A table line may hold several related
// calls or lines, separated by "; ", and their outcomes in the same order.
using Outcomes = std::initializer_list<std::pair<std::string, std::string>>;

// Runs each part of `text`, split at "; ", through `run` and joins the outcomes with "; ".
template <typename Run>
std::string Each(const std::string& text, Run run) {
  std::string outcomes;
  for (std::size_t start = 0, end = 0; start <= text.size(); start = end + 2) {
    end = std::min(text.find("; ", start), text.size());
    outcomes += (start ? "; " : "") + run(text.substr(start, end - start));
  }
  return outcomes;
}

class ScriptTest : public ::testing::Test {
 protected:
  // Runs `callText` (a handler call such as "f(3)") against `script` in a fresh pass, as a function
  // call, or as a command call when `asCommand`; gives the outcome text.
  std::string Call(CompiledScript& script, std::string_view callText, bool asCommand = false) {
    ScriptFrame frames[1];
    frames[0].script = &script;
    frames[0].me = frames[0].target = Name15::truncated("System");
    return RunCall(frames, callText, asCommand);
  }

  std::string Call(std::string_view source, std::string_view callText, bool asCommand = false) {
    scripts_.push_back(std::make_unique<CompiledScript>(Compile(source)));
    return Call(*scripts_.back(), callText, asCommand);
  }

  // Makes each call against `script` in order and checks its outcome.
  void ExpectCalls(CompiledScript& script, Outcomes calls, bool asCommand = false) {
    for (const auto& [call, outcome] : calls) {
      EXPECT_EQ(Each(call, [&](const std::string& c) { return Call(script, c, asCommand); }),
                outcome)
          << call;
    }
  }

  // Runs a call along a chain of frames (the last must have `last` set).
  std::string RunCall(ScriptFrame* chain, std::string_view callText, bool asCommand) {
    scripts_.push_back(std::make_unique<CompiledScript>(Compile(callText)));
    caller_ = ScriptFrame{};
    caller_.script = scripts_.back().get();
    caller_.me = Name15::truncated("System");
    in.beginPass();
    Value result;
    int length = 0;
    const ScriptError error =
        in.runHandlerOnChain(chain, caller_, 0, nullptr, asCommand ? nullptr : &result, length);
    return DescribeOutcome(in, error, asCommand ? nullptr : &result);
  }

  // Runs `body` as the body of a handler f() called as a command.
  std::string Body(std::string_view body) {
    return Call("code f()\n" + std::string(body) + "\nendcode\n", "f()", true);
  }

  // Runs a line as the message box does, in a fresh pass.
  std::string Eval(std::string_view line) {
    in.beginPass();
    return RunConsoleLine(in, WithCR(line));
  }

  // Runs console lines in order, each in a fresh pass, and checks each outcome.
  void ExpectLines(Outcomes lines) {
    for (const auto& [line, outcome] : lines) {
      EXPECT_EQ(Each(line, [&](const std::string& l) { return Eval(l); }), outcome) << line;
    }
  }

  TestHost host;
  Interpreter in{host};
  ScriptFrame caller_;

 private:
  std::vector<std::unique_ptr<CompiledScript>> scripts_;
};

}  // namespace lw::testing

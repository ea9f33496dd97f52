// Interpreter benchmarks: the workloads of workloads/*.lws, each run as one handler call per
// iteration. bench/run.sh runs the same workloads in Lua (peers/) and prints the ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "script/compiled_script.h"
#include "script/console.h"
#include "script/interpreter.h"
#include "script/script_host.h"
#include "script/tokenizer.h"

namespace {

// Reads a workload source and gives it the runtime's line ends.
lw::CompiledScript LoadWorkload(const std::string& name) {
  std::ifstream in(std::string(BENCH_WORKLOADS) + "/" + name + ".lws", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string source = text.str();
  for (char& c : source) {
    if (c == '\n') c = '\r';
  }
  auto compiled = lw::CompileScriptText(source);
  if (!compiled) {
    std::fprintf(stderr, "%s.lws does not compile\n", name.c_str());
    std::abort();
  }
  return std::move(compiled.value());
}

// Runs `call` on the chain of the workload `name` and the scripts of `containers` (an actor's
// script, then its cast's and the system's, as event messages find them). `walk`: by walking the
// tokens only (the reference engine), for the figure before decoding.
void RunWorkload(benchmark::State& state, const char* name, const char* call, bool walk = false,
                 std::initializer_list<const char*> containers = {}) {
  lw::ScriptHost host;
  lw::Interpreter in(host);
  in.setDecodedRuns(!walk);
  std::vector<lw::CompiledScript> scripts;
  scripts.reserve(1 + containers.size());
  scripts.push_back(LoadWorkload(name));
  for (const char* container : containers) scripts.push_back(LoadWorkload(container));
  std::vector<lw::ScriptFrame> chain(scripts.size());
  for (std::size_t i = 0; i < scripts.size(); ++i) {
    scripts[i].decode();  // as the compiled-script cache does with the scripts it loads
    chain[i].script = &scripts[i];
    chain[i].last = i + 1 == scripts.size();
  }
  lw::ScriptFrame& frame = chain.front();
  lw::CompiledScript callTokens = lw::CompileScriptText(call).value();
  lw::ScriptFrame caller;
  caller.script = &callTokens;
  for (auto _ : state) {
    in.beginPass();
    lw::Value result;
    int length = 0;
    lw::ScriptError e = in.runHandlerOnChain(&frame, caller, 0, nullptr, &result, length);
    if (e != lw::ScriptError::None) {
      state.SkipWithError(lw::DescribeOutcome(in, e, nullptr).c_str());
      break;
    }
    benchmark::DoNotOptimize(result);
  }
}

// The argument of each call must match bench/run.sh's peer runs.
void BM_Loop(benchmark::State& state) { RunWorkload(state, "loop", "loop(1000000)"); }
void BM_Fib(benchmark::State& state) { RunWorkload(state, "fib", "fib(25)"); }
void BM_Text(benchmark::State& state) { RunWorkload(state, "text", "text(100000)"); }

// hit(i, 2) from an actor's script, found in the system script two frames up.
void BM_Chain(benchmark::State& state) {
  RunWorkload(state, "chain", "chain(100000)", false, {"chain-cast", "chain-system"});
}
void BM_ChainWalk(benchmark::State& state) {
  RunWorkload(state, "chain", "chain(100000)", true, {"chain-cast", "chain-system"});
}
void BM_LoopWalk(benchmark::State& state) { RunWorkload(state, "loop", "loop(1000000)", true); }
void BM_FibWalk(benchmark::State& state) { RunWorkload(state, "fib", "fib(25)", true); }
void BM_TextWalk(benchmark::State& state) { RunWorkload(state, "text", "text(100000)", true); }

BENCHMARK(BM_Loop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FibWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainWalk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Interpreter benchmarks: the workloads of workloads/*.lws, each run as one handler call per
// iteration. bench/run.sh runs the same workloads in Lua (peers/) and prints the ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

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

void RunWorkload(benchmark::State& state, const char* name, const char* call) {
  lw::ScriptHost host;
  lw::Interpreter in(host);
  lw::CompiledScript script = LoadWorkload(name);
  lw::CompiledScript callTokens = lw::CompileScriptText(call).value();
  lw::ScriptFrame frame;
  frame.script = &script;
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

BENCHMARK(BM_Loop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

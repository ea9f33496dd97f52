// Compiling long sources: a generated title script of 100,000 lines, each handler with names and
// literals of its own, so that the string pool grows to tens of thousands of entries. Prints the
// time of the best of three compiles of 10,000 and 100,000 lines and their ratio: a tokenizer
// whose work grows linearly with the text shows a ratio near 10, one that rescans the pool for
// every entry near 100. The output's size and hash let two builds show that they compile alike.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "script/tokenizer.h"

namespace {

constexpr int kLinesPerHandler = 5;
constexpr int kRuns = 3;

// `lines` lines of handlers, carriage returns at the ends, as the runtime's sources are.
std::string GenerateSource(int lines) {
  std::string text;
  for (int h = 0; h * kLinesPerHandler < lines; ++h) {
    const std::string n = std::to_string(h);
    text += "code step" + n + "(a, b)\r";
    text += "\tglobal total, last" + n + "\r";
    text += "\ttotal = total + a * " + n + " - b\r";
    text += "\tlast" + n + " = \"step " + n + " done\"\r";
    text += "endcode\r";
  }
  return text;
}

// FNV-1a over the compiled block.
std::uint64_t Hash(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (std::uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

struct Measure {
  double ms = 0;
  std::size_t bytes = 0;
  std::uint64_t hash = 0;
};

Measure Compile(int lines) {
  const std::string source = GenerateSource(lines);
  Measure best{1e300, 0, 0};
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    auto script = lw::CompileScriptText(source);
    const auto end = std::chrono::steady_clock::now();
    if (!script.ok()) {
      std::fprintf(stderr, "the generated source does not compile\n");
      std::exit(1);
    }
    const std::vector<std::uint8_t> bytes = script->ToBytes();
    best.ms = std::min(best.ms, std::chrono::duration<double, std::milli>(end - start).count());
    best.bytes = bytes.size();
    best.hash = Hash(bytes);
  }
  return best;
}

}  // namespace

int main() {
  std::printf("%8s %12s %12s %16s\n", "lines", "compile ms", "bytes", "hash");
  double small = 0;
  for (int lines : {10000, 100000}) {
    const Measure m = Compile(lines);
    std::printf("%8d %12.1f %12zu %016llx\n", lines, m.ms, m.bytes,
                static_cast<unsigned long long>(m.hash));
    if (lines == 10000) small = m.ms;
    if (lines == 100000) std::printf("ratio 100,000 / 10,000 lines: %.1f\n", m.ms / small);
  }
  return 0;
}

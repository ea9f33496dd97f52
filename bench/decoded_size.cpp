// The memory the pre-decoded form of compiled scripts takes against their tokens: for the script
// files given on the command line together, and for a generated script of 5,000 lines with
// branches, loops, calls and expressions of every kind. Prints the tokens' bytes (8 per token),
// the decoded form's bytes and their ratio.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "script/compiled_script.h"
#include "script/decoded_script.h"
#include "script/tokenizer.h"

namespace {

constexpr int kGeneratedLines = 5000;
constexpr int kLinesPerHandler = 10;

std::string GenerateSource(int lines) {
  std::string text;
  for (int h = 0; h * kLinesPerHandler < lines; ++h) {
    const std::string n = std::to_string(h);
    text += "code step" + n + "(a, b)\r";
    text += "\tglobal total, name" + n + "\r";
    text += "\tif a > " + n + " & not (b = 0)\r";
    text += "\t\ttotal = total + a * (b - " + n + ") / 2\r";
    text += "\telse\r";
    text += "\t\tname" + n + " = \"step \" @ numtostring(a) @ me\r";
    text += "\tendif\r";
    text += "\tfor i = 1 to b\r\t\ttotal = step" + n + "(i, -total)\r\tendfor\r";
    text += "endcode\r";
  }
  return text;
}

struct Sizes {
  std::size_t tokens = 0;
  std::size_t decoded = 0;
};

void Add(Sizes& sizes, const std::string& source, const char* what) {
  auto script = lw::CompileScriptText(source);
  if (!script.ok()) {
    std::fprintf(stderr, "%s does not compile\n", what);
    return;
  }
  script->decode();
  sizes.tokens += script->tokenCount() * lw::kTokenSize;
  sizes.decoded += script->decoded()->bytes();
}

void Print(const char* what, const Sizes& sizes) {
  std::printf("%-28s %10zu %10zu %8.2f\n", what, sizes.tokens, sizes.decoded,
              static_cast<double>(sizes.decoded) / static_cast<double>(sizes.tokens));
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("%-28s %10s %10s %8s\n", "scripts", "tokens", "decoded", "ratio");
  Sizes files;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string source = text.str();
    for (char& c : source) {
      if (c == '\n') c = '\r';
    }
    Add(files, source, argv[i]);
  }
  if (argc > 1) Print((std::to_string(argc - 1) + " script files").c_str(), files);
  Sizes generated;
  Add(generated, GenerateSource(kGeneratedLines), "the generated script");
  Print("generated, 5,000 lines", generated);
  return 0;
}

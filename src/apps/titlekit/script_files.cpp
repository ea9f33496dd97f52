#include "apps/titlekit/script_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "apps/titlekit/script_text.h"
#include "script/error_codes.h"
#include "script/tokenizer.h"

namespace lw::titlekit {
namespace {

// Larger files are refused rather than read into memory: no script or record comes near this size.
constexpr std::uintmax_t kMaxScriptFileBytes = std::uintmax_t{64} << 20;

std::string PlaceOf(std::string_view name, TextPosition where) {
  return std::string(name) + ":" + std::to_string(where.line) + ":" + std::to_string(where.column);
}

std::string SystemReason() { return std::strerror(errno); }

}  // namespace

bool IsCompiledScriptBytes(std::string_view bytes) {
  return bytes.find('\0') != std::string_view::npos;
}

Expected<std::string, std::string> ReadWholeFile(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (std::filesystem::is_directory(status)) return Unexpected{path + ": is a directory"};
  if (std::filesystem::is_regular_file(status) &&
      std::filesystem::file_size(path, ec) > kMaxScriptFileBytes) {
    return Unexpected{path + ": file too large (over 64 MiB)"};
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return Unexpected{path + ": " + SystemReason()};
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return Unexpected{path + ": read error"};
  return bytes;
}

std::optional<std::string> WriteWholeFile(const std::string& path,
                                          std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return path + ": " + SystemReason();
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return path + ": write error";
  return std::nullopt;
}

namespace {

// Compiles UTF-8 source, noting the line that each token came from.
Expected<ScriptWithLines, std::string> CompileSourceWithLines(std::string_view utf8,
                                                              std::string_view name) {
  auto text = Utf8ToScriptText(utf8);
  if (!text) return Unexpected{PlaceOf(name, text.error().where) + ": " + text.error().reason};
  std::vector<std::uint32_t> offsets;
  auto compiled = CompileScriptText(*text, &offsets);
  if (!compiled) {
    const TextPosition where =
        PositionInScriptText(*text, static_cast<std::size_t>(compiled.error().offset));
    return Unexpected{PlaceOf(name, where) + ": " +
                      std::string(ScriptErrorMessage(CodeOf(ScriptError::TokenizationError)))};
  }
  return ScriptWithLines{std::move(compiled).value(), LinesAtOffsets(*text, offsets)};
}

}  // namespace

Expected<CompiledScript, std::string> CompileSource(std::string_view utf8, std::string_view name) {
  auto compiled = CompileSourceWithLines(utf8, name);
  if (!compiled) return Unexpected{compiled.error()};
  return std::move(compiled->script);
}

Expected<ScriptWithLines, std::string> LoadScriptFileWithLines(const std::string& path) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) return Unexpected{bytes.error()};
  if (!IsCompiledScriptBytes(*bytes)) return CompileSourceWithLines(*bytes, path);
  auto compiled = CompiledScript::FromBytes(AsBytes(*bytes));
  if (!compiled) return Unexpected{path + ": " + compiled.error()};
  return ScriptWithLines{std::move(compiled).value(), {}};
}

Expected<CompiledScript, std::string> LoadScriptFile(const std::string& path) {
  auto loaded = LoadScriptFileWithLines(path);
  if (!loaded) return Unexpected{loaded.error()};
  return std::move(loaded->script);
}

}  // namespace lw::titlekit

// Reading the source files a title manifest names, with the refusals every builder shares.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace lw::authoring {

// The bytes of a source file; nothing, with `problem` saying why ("PATH: is a directory",
// "PATH: file too large (over 64 MiB)", "PATH: <system error>" or "PATH: read error").
[[nodiscard]] std::optional<std::string> ReadSourceFile(const std::filesystem::path& path,
                                                        std::string& problem);

}  // namespace lw::authoring

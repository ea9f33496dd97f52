// What the library-file build tests share: a title manifest built by titlekit's builder with
// empty scripts, and what `titlekit info` says of a file it wrote.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "authoring/library_info.h"
#include "authoring/storage_stack.h"
#include "authoring/title_build.h"
#include "authoring/title_sources.h"
#include "platform/system_info.h"

namespace lw::authoring {

inline Expected<LoadedScript, std::string> EmptyScript(const std::string& /*path*/) {
  return LoadedScript{};
}

// Builds `folder`/title.json into `folder`/out, expects it to write the boot file and `name`,
// and gives the info text of `name` with each record size ("..., N bytes") written as N, since
// the sizes are the encoders'. Empty, with the failure noted, when the build or the info fails.
inline std::string BuiltFileInfo(const std::filesystem::path& folder, const std::string& name) {
  platform::EmptySystemInfo system;
  StorageStack stack(system, folder, nullptr);
  const std::filesystem::path out = folder / "out";
  auto built = BuildTitle({folder / "title.json", out, EmptyScript}, stack.library);
  if (!built) {
    ADD_FAILURE() << built.error().front();
    return {};
  }
  EXPECT_EQ(built->written, (std::vector<std::string>{"bootfile", name}));
  auto info = DescribeLibraryFile(stack.library, (out / name).string());
  if (!info) {
    ADD_FAILURE() << info.error();
    return {};
  }
  return std::regex_replace(*info, std::regex(", [0-9]+ bytes\n"), ", N bytes\n");
}

}  // namespace lw::authoring

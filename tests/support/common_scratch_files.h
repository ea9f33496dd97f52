// A test fixture with a scratch folder for the files a test writes and reads back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_folder.h"

namespace lw::test {

class ScratchFilesTest : public ::testing::Test {
 protected:
  // The path of `name` in the scratch folder.
  [[nodiscard]] std::string file(const std::string& name) const {
    return (scratch_.path() / name).string();
  }
  // Makes the folder `name` in the scratch folder; gives its path.
  [[nodiscard]] std::string folder(const std::string& name) const {
    return scratch_.makeFolder(name).string();
  }
  // Writes the file `name`; gives its path.
  std::string write(const std::string& name, std::string_view bytes) const {
    return scratch_.writeFile(name, bytes).string();
  }
  std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    return write(name, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  }
  // The content of the file `name`; empty when there is none.
  [[nodiscard]] std::vector<std::uint8_t> bytes(const std::string& name) const {
    std::ifstream in(scratch_.path() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  [[nodiscard]] std::string text(const std::string& name) const {
    const std::vector<std::uint8_t> content = bytes(name);
    return {content.begin(), content.end()};
  }

 private:
  TempFolder scratch_;
};

}  // namespace lw::test

// Title files in a scratch folder over the shared storage stack: every box shown is recorded
// (unwrapped) and answered by `answer`, free memory is ample unless a test says otherwise, and
// the folder's files can be read and patched byte by byte. `Files` may be a FileAccess that puts
// faults or counters under the star-file layer.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/storage_stack.h"
#include "support/temp_folder.h"

namespace lw::test {

using Bytes = std::vector<std::uint8_t>;

// The path "appl:NAME" of a file in the title folder.
inline std::string TitlePath(std::string_view name) { return "appl:" + std::string(name); }

// Creates the star file `path` of type `fileType` with room for `capacity` ids and writes
// `records` as ids 0, 1 ... directly, without a resource cache; the file is flushed and closed.
void WriteStarFile(FileAccess& files, std::string_view path, const std::vector<Bytes>& records,
                   std::int32_t capacity = 1, std::string_view fileType = "STAR");

// Gets record `id` of `file` through `library`, sets its first byte to `first`, marks it
// changed and releases it: a dirty record that the next flush writes back.
void ChangeRecord(StarLibrary& library, StarFile& file, std::int32_t id, std::uint8_t first);

// The bytes of a box's text with its line breaks turned back into spaces.
std::string Unwrapped(std::string_view text);

template <typename Files = FileAccess>
class ScratchStorage {
 public:
  ScratchStorage() : stack(system, folder.path(), nullptr) {
    stack.boxes.setPolicy([this](const BoxRequest& box) {
      boxTexts.push_back(Unwrapped(box.text));
      return answer;
    });
  }

  // Whether some box said `words`.
  [[nodiscard]] bool BoxSaid(std::string_view words) const {
    for (const std::string& text : boxTexts)
      if (text.find(words) != std::string::npos) return true;
    return false;
  }

  // The contents of file `name`, empty when it cannot be read.
  [[nodiscard]] Bytes FileBytes(std::string_view name) const {
    std::ifstream in(folder.path() / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void SetFileBytes(std::string_view name, const Bytes& bytes) const {
    folder.writeFile(name, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  }

  TempFolder folder;
  platform::EmptySystemInfo system;  // no memory figures: no limit unless a test sets one
  authoring::BasicStorageStack<Files> stack;
  std::vector<std::string> boxTexts;
  BoxAnswer answer = BoxAnswer::kOk;
};

}  // namespace lw::test

#include "support/storage_scratch.h"

#include <gtest/gtest.h>

namespace lw::test {

void WriteStarFile(FileAccess& files, std::string_view path, const std::vector<Bytes>& records,
                   std::int32_t capacity, std::string_view fileType) {
  ASSERT_EQ(StarFile::Create(files, path, capacity, FourCharCode(fileType), FourCharCode("LWRT")),
            ProgramCode::kOk)
      << path;
  std::unique_ptr<StarFile> file;
  ASSERT_EQ(StarFile::Open(files, path, 0, file), ProgramCode::kOk) << path;
  for (const Bytes& record : records) {
    std::int32_t id = 0;
    ASSERT_EQ(file->AppendRecord(record, id), ProgramCode::kOk) << path;
  }
  ASSERT_EQ(file->Flush(), ProgramCode::kOk) << path;
}

void ChangeRecord(StarLibrary& library, StarFile& file, std::int32_t id, std::uint8_t first) {
  RecordBlock* record = nullptr;
  ASSERT_EQ(library.StarGetResource(file, id, record), ProgramCode::kOk);
  (*record)[0] = first;
  ASSERT_EQ(library.StarReplaceResource(file, id), ProgramCode::kOk);
  ASSERT_EQ(library.StarReleaseResource(file, id), ProgramCode::kOk);
}

std::string Unwrapped(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (c == '\n') c = ' ';
  return line;
}

}  // namespace lw::test

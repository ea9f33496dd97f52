// titlekit star: builds and inspects star files. Every failure of the star-file layer prints
// "error N" (the layer's code) on standard error and exits 1.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "apps/titlekit/storage.h"

namespace lw::titlekit {
namespace {

constexpr std::int32_t kDefaultRecords = 100;
constexpr std::string_view kDefaultType = "STAR";
constexpr std::string_view kDefaultCreator = "LWRT";

int Fail(ProgramCode code) {
  std::cerr << "error " << CodeNumber(code) << '\n';
  return kExitFailure;
}

std::optional<std::int32_t> ParseId(std::string_view text) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
    return std::nullopt;
  return value;
}

bool IsFourCharCode(std::string_view code) {
  return code.size() == 4 &&
         std::all_of(code.begin(), code.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// star new FILE [--records N] [--type CODE] [--creator CODE]
int NewFile(Storage& storage, Arguments args) {
  std::int32_t records = kDefaultRecords;
  std::string_view type = kDefaultType;
  std::string_view creator = kDefaultCreator;
  for (std::size_t i = 1; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return kExitUsage;
    const std::string_view option = args[i];
    const std::string_view value = args[i + 1];
    if (option == "--records") {
      const auto parsed = ParseId(value);
      if (!parsed) return kExitUsage;
      records = *parsed;
    } else if (option == "--type" && IsFourCharCode(value)) {
      type = value;
    } else if (option == "--creator" && IsFourCharCode(value)) {
      creator = value;
    } else {
      return kExitUsage;
    }
  }
  const ProgramCode code =
      StarFile::Create(storage.files, args[0], records, FourCharCode(type), FourCharCode(creator));
  return Failed(code) ? Fail(code) : kExitOk;
}

void PrintInfo(const StarFile& file) {
  const StarHeader& h = file.header();
  char version[16];
  std::snprintf(version, sizeof version, "0x%08X", h.version);
  std::cout << "version: " << version << '\n'
            << "file end: " << h.fileEnd << '\n'
            << "free bytes: " << h.freeBytes << '\n'
            << "free blocks: " << h.freeBlockCount << '\n'
            << "index capacity: " << h.indexCapacity << '\n'
            << "next id: " << h.nextId << '\n'
            << "free ids: " << h.freeIdCount << '\n'
            << "free id head: " << h.freeIdHead << '\n'
            << "type: " << FourCharText(h.fileType) << '\n'
            << "creator: " << FourCharText(h.creator) << '\n';
  for (std::uint32_t i = 0; i < h.freeBlockCount; ++i) {
    std::cout << "free block " << i << ": " << h.freeRuns[i].offset << ' ' << h.freeRuns[i].size
              << '\n';
  }
}

// The ids that hold records: every id handed out that is not on the free-id chain.
ProgramCode RecordIds(StarFile& file, std::vector<std::int32_t>& ids) {
  std::vector<std::uint32_t> freeIds;
  LW_TRY_CODE(file.FreeIdChain(freeIds));
  std::sort(freeIds.begin(), freeIds.end());
  for (std::uint32_t id = 0; id < file.header().nextId; ++id) {
    if (!std::binary_search(freeIds.begin(), freeIds.end(), id))
      ids.push_back(static_cast<std::int32_t>(id));
  }
  return ProgramCode::kOk;
}

int ListRecords(StarFile& file) {
  std::vector<std::int32_t> ids;
  if (ProgramCode code = RecordIds(file, ids); Failed(code)) return Fail(code);
  for (std::int32_t id : ids) {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    if (ProgramCode code = file.RecordOffset(id, offset); Failed(code)) return Fail(code);
    if (ProgramCode code = file.RecordLength(id, length); Failed(code)) return Fail(code);
    std::cout << id << ' ' << offset << ' ' << length << '\n';
  }
  return kExitOk;
}

// Reads every record and checks that record blocks and free runs tile the record area without
// overlapping; the header and free-block table were checked by the open.
int CheckFile(StarFile& file) {
  std::vector<std::int32_t> ids;
  if (ProgramCode code = RecordIds(file, ids); Failed(code)) return Fail(code);
  struct Span {
    std::uint64_t begin;
    std::uint64_t end;
  };
  std::vector<Span> spans;
  RecordBlock data;
  for (std::int32_t id : ids) {
    std::uint32_t offset = 0;
    if (ProgramCode code = file.RecordOffset(id, offset); Failed(code)) return Fail(code);
    if (ProgramCode code = file.ReadRecord(id, data); Failed(code)) return Fail(code);
    spans.push_back(
        {offset, std::uint64_t{offset} + StarBlockLength(static_cast<std::uint32_t>(data.size()))});
  }
  const StarHeader& h = file.header();
  for (std::uint32_t i = 0; i < h.freeBlockCount; ++i)
    spans.push_back(
        {h.freeRuns[i].offset, std::uint64_t{h.freeRuns[i].offset} + h.freeRuns[i].size});
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.begin < b.begin; });
  std::uint64_t previousEnd = kStarHeaderSize + std::uint64_t{4} * h.indexCapacity;
  for (const Span& span : spans) {
    if (span.begin < previousEnd || span.end > h.fileEnd) {
      std::cerr << "blocks overlap at offset " << span.begin << '\n';
      return Fail(ProgramCode::kBadStarSize);
    }
    previousEnd = span.end;
  }
  std::cout << "ok\n";
  return kExitOk;
}

// star get FILE ID [-o OUT]; `rest` is what follows ID.
int GetRecord(Storage& storage, StarFile& file, std::int32_t id, Arguments rest) {
  std::optional<std::string> output;
  if (!rest.empty()) output = std::string(rest[1]);
  RecordBlock* block = nullptr;
  if (ProgramCode code = storage.library.StarGetResource(file, id, block); Failed(code))
    return Fail(code);
  int status = kExitOk;
  if (output) {
    if (auto failure = WriteWholeFile(*output, *block)) {
      std::cerr << *failure << '\n';
      status = kExitFailure;
    }
  } else {
    std::cout.write(reinterpret_cast<const char*>(block->data()),
                    static_cast<std::streamsize>(block->size()));
  }
  if (ProgramCode code = storage.library.StarReleaseResource(file, id); Failed(code))
    return Fail(code);
  return status;
}

int AddRecord(Storage& storage, StarFile& file, const std::string& input) {
  auto bytes = ReadWholeFile(input);
  if (!bytes) {
    std::cerr << bytes.error() << '\n';
    return kExitFailure;
  }
  std::int32_t id = 0;
  if (ProgramCode code = storage.library.StarAddResource(file, AsBytes(*bytes), id); Failed(code))
    return Fail(code);
  std::cout << id << '\n';
  return kExitOk;
}

// Rewrites a record through the cache, as the runtime changes records: get, replace, release;
// the close writes it back.
int PutRecord(Storage& storage, StarFile& file, std::int32_t id, const std::string& input) {
  auto bytes = ReadWholeFile(input);
  if (!bytes) {
    std::cerr << bytes.error() << '\n';
    return kExitFailure;
  }
  RecordBlock* block = nullptr;
  StarLibrary& library = storage.library;
  if (ProgramCode code = library.StarGetResource(file, id, block); Failed(code)) return Fail(code);
  const auto data = AsBytes(*bytes);
  ProgramCode code = library.StarReplaceResource(file, id, RecordBlock(data.begin(), data.end()));
  if (ProgramCode release = library.StarReleaseResource(file, id); !Failed(code)) code = release;
  return Failed(code) ? Fail(code) : kExitOk;
}

// Whether the arguments after FILE fit the subcommand, so that usage errors come before any
// file is opened.
bool ArgumentsFit(std::string_view subcommand, Arguments rest) {
  if (subcommand == "info" || subcommand == "ls" || subcommand == "check") return rest.empty();
  if (subcommand == "add") return rest.size() == 1;
  if (subcommand == "get")
    return (rest.size() == 1 || (rest.size() == 3 && rest[1] == "-o")) && ParseId(rest[0]);
  if (subcommand == "put") return rest.size() == 2 && ParseId(rest[0]);
  return false;
}

// Runs a subcommand that works on an open file, then closes it (writing back what changed).
int OnOpenFile(std::string_view subcommand, std::string_view path, Arguments rest) {
  Storage storage;
  StarFile* file = nullptr;
  if (ProgramCode code = storage.library.StarOpen(path, file); Failed(code)) return Fail(code);
  int status = kExitOk;
  if (subcommand == "info") {
    PrintInfo(*file);
  } else if (subcommand == "ls") {
    status = ListRecords(*file);
  } else if (subcommand == "check") {
    status = CheckFile(*file);
  } else if (subcommand == "add") {
    status = AddRecord(storage, *file, std::string(rest[0]));
  } else if (subcommand == "get") {
    status = GetRecord(storage, *file, *ParseId(rest[0]), rest.subspan(1));
  } else {
    status = PutRecord(storage, *file, *ParseId(rest[0]), std::string(rest[1]));
  }
  if (ProgramCode code = storage.library.StarClose(*file); Failed(code) && status == kExitOk)
    return Fail(code);
  return status;
}

}  // namespace

int RunStarCommand(Arguments args) {
  if (args.size() < 2) return kExitUsage;
  const std::string_view subcommand = args[0];
  if (subcommand == "new") {
    Storage storage;
    return NewFile(storage, args.subspan(1));
  }
  if (!ArgumentsFit(subcommand, args.subspan(2))) return kExitUsage;
  return OnOpenFile(subcommand, args[1], args.subspan(2));
}

}  // namespace lw::titlekit

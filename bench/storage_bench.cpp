// Star files and the resource cache against SQLite, on the same 10,000 records of 64 to 8192
// bytes: random reads of cached records (warm), first reads from a freshly opened file (cold),
// and appends. SQLite keeps the records in a blob table read and written through one prepared
// statement each, with its page cache large enough to hold them all, and without fsync.
// Prints, per workload, the operations per second of both and our ratio (median of 5 runs).
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "authoring/storage_stack.h"

namespace {

constexpr int kRecords = 10000;
constexpr std::uint32_t kMinRecord = 64;
constexpr std::uint32_t kMaxRecord = 8192;
constexpr int kWarmReads = 200000;
constexpr int kRuns = 5;

using Records = std::vector<std::vector<std::uint8_t>>;

Records MakeRecords() {
  std::mt19937 random(1995);
  std::uniform_int_distribution<std::uint32_t> size(kMinRecord, kMaxRecord);
  Records records(kRecords);
  for (auto& record : records) {
    record.resize(size(random));
    for (auto& byte : record) byte = static_cast<std::uint8_t>(random());
  }
  return records;
}

std::vector<int> RandomIds(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> id(0, kRecords - 1);
  std::vector<int> ids(static_cast<std::size_t>(count));
  for (int& value : ids) value = id(random);
  return ids;
}

std::vector<int> ShuffledIds(unsigned seed) {
  std::vector<int> ids(kRecords);
  for (int i = 0; i < kRecords; ++i) ids[static_cast<std::size_t>(i)] = i;
  std::shuffle(ids.begin(), ids.end(), std::mt19937(seed));
  return ids;
}

[[noreturn]] void Die(const char* what, int code) {
  std::fprintf(stderr, "storage_bench: %s failed (%d)\n", what, code);
  std::exit(1);
}

void Check(lw::ProgramCode code, const char* what) {
  if (lw::Failed(code)) Die(what, lw::CodeNumber(code));
}

// The storage layers wired as the runtime wires them, answering every box by default.
using Stack = lw::authoring::StorageStack;

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// --- star files ---------------------------------------------------------------------------

void StarAppendAll(const std::string& path, const Records& records) {
  Stack stack(lw::platform::HostSystem());
  Check(lw::StarFile::Create(stack.files, path, kRecords, lw::FourCharCode("BNCH"),
                             lw::FourCharCode("LWRT")),
        "create");
  lw::StarFile* file = nullptr;
  Check(stack.library.StarOpen(path, file), "open");
  for (const auto& record : records) {
    std::int32_t id = 0;
    Check(stack.library.StarAddResource(*file, record, id), "add");
  }
  Check(stack.library.StarClose(*file), "close");
}

std::uint64_t StarRead(lw::StarLibrary& library, lw::StarFile& file, const std::vector<int>& ids) {
  std::uint64_t sum = 0;
  for (int id : ids) {
    lw::RecordBlock* block = nullptr;
    Check(library.StarGetResource(file, id, block), "get");
    sum += block->back();
    Check(library.StarReleaseResource(file, id), "release");
  }
  return sum;
}

// --- SQLite -------------------------------------------------------------------------------

sqlite3* SqliteOpen(const std::string& path) {
  sqlite3* db = nullptr;
  if (int rc = sqlite3_open(path.c_str(), &db); rc != SQLITE_OK) Die("sqlite3_open", rc);
  // No fsync, and a page cache that holds every record (about 42 MB).
  sqlite3_exec(db, "PRAGMA synchronous=OFF; PRAGMA cache_size=-200000;", nullptr, nullptr, nullptr);
  return db;
}

void SqliteAppendAll(const std::string& path, const Records& records) {
  std::filesystem::remove(path);
  sqlite3* db = SqliteOpen(path);
  sqlite3_exec(db, "CREATE TABLE records(id INTEGER PRIMARY KEY, data BLOB); BEGIN;", nullptr,
               nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO records(id, data) VALUES(?, ?)", -1, &insert, nullptr);
  for (int id = 0; id < kRecords; ++id) {
    const auto& record = records[static_cast<std::size_t>(id)];
    sqlite3_bind_int(insert, 1, id);
    sqlite3_bind_blob(insert, 2, record.data(), static_cast<int>(record.size()), SQLITE_STATIC);
    if (int rc = sqlite3_step(insert); rc != SQLITE_DONE) Die("sqlite insert", rc);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

std::uint64_t SqliteRead(sqlite3* db, const std::vector<int>& ids) {
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT data FROM records WHERE id = ?", -1, &select, nullptr);
  std::uint64_t sum = 0;
  for (int id : ids) {
    sqlite3_bind_int(select, 1, id);
    if (int rc = sqlite3_step(select); rc != SQLITE_ROW) Die("sqlite select", rc);
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(select, 0));
    sum += data[sqlite3_column_bytes(select, 0) - 1];
    sqlite3_reset(select);
  }
  sqlite3_finalize(select);
  return sum;
}

void PrintRow(const char* name, double oursPerSecond, double sqlitePerSecond) {
  std::printf("%-12s %14.0f %14.0f %8.2f\n", name, oursPerSecond, sqlitePerSecond,
              oursPerSecond / sqlitePerSecond);
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : "storage-bench-files";
  std::filesystem::create_directories(folder);
  const std::string starPath = (folder / "bench.str").string();
  const std::string sqlitePath = (folder / "bench.sqlite").string();
  const Records records = MakeRecords();
  const std::vector<int> warmIds = RandomIds(kWarmReads, 7);
  const std::vector<int> coldIds = ShuffledIds(11);
  std::uint64_t checksum = 0;

  std::vector<double> starAppend, sqliteAppend, starCold, sqliteCold, starWarm, sqliteWarm;
  for (int run = 0; run < kRuns; ++run) {
    starAppend.push_back(Seconds([&] { StarAppendAll(starPath, records); }));
    sqliteAppend.push_back(Seconds([&] { SqliteAppendAll(sqlitePath, records); }));

    {
      Stack stack(lw::platform::HostSystem());
      lw::StarFile* file = nullptr;
      starCold.push_back(Seconds([&] {
        Check(stack.library.StarOpen(starPath, file), "open");
        checksum += StarRead(stack.library, *file, coldIds);
      }));
      starWarm.push_back(Seconds([&] { checksum += StarRead(stack.library, *file, warmIds); }));
      Check(stack.library.StarClose(*file), "close");
    }
    {
      sqlite3* db = nullptr;
      sqliteCold.push_back(Seconds([&] {
        db = SqliteOpen(sqlitePath);
        checksum += SqliteRead(db, coldIds);
      }));
      sqliteWarm.push_back(Seconds([&] { checksum += SqliteRead(db, warmIds); }));
      sqlite3_close(db);
    }
  }

  std::printf("%d records of %u to %u bytes; median of %d runs (checksum %llu)\n", kRecords,
              kMinRecord, kMaxRecord, kRuns, static_cast<unsigned long long>(checksum % 1000));
  std::printf("%-12s %14s %14s %8s\n", "workload", "ours (op/s)", "sqlite (op/s)", "ratio");
  PrintRow("warm read", kWarmReads / Median(starWarm), kWarmReads / Median(sqliteWarm));
  PrintRow("cold read", kRecords / Median(starCold), kRecords / Median(sqliteCold));
  PrintRow("append", kRecords / Median(starAppend), kRecords / Median(sqliteAppend));
  return 0;
}

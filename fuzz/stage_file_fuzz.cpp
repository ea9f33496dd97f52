// Fuzzes the stage file's readers: the first byte chooses the stage header (even) or a button
// record (odd), the rest is the record. Every record is refused or read into no more entries
// than its bytes can hold, and what is read writes back to a record that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "objects/stage_file.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool SameFlats(const lw::StageHeader& a, const lw::StageHeader& b) {
  if (a.flats.size() != b.flats.size()) return false;
  for (std::size_t i = 0; i < a.flats.size(); ++i) {
    const lw::FlatEntry &x = a.flats[i], &y = b.flats[i];
    if (x.scriptId != y.scriptId || x.pictureId != y.pictureId ||
        x.buttonRecordId != y.buttonRecordId || x.name != y.name) {
      return false;
    }
  }
  return true;
}

void FuzzHeader(std::span<const std::uint8_t> record) {
  auto header = lw::ReadStageHeader(record);
  if (!header) return;
  Require(lw::kStageHeaderFixedBytes + header->flats.size() * lw::kFlatEntryBytes <= record.size());
  auto again = lw::ReadStageHeader(lw::WriteStageHeader(*header));
  Require(again.ok());
  Require(again->width == header->width && again->height == header->height &&
          again->scriptId == header->scriptId && again->paletteId == header->paletteId &&
          again->name == header->name && SameFlats(*again, *header));
}

void FuzzButtons(std::span<const std::uint8_t> record) {
  auto buttons = lw::ReadButtonRecord(record);
  if (!buttons) return;
  Require(4 + buttons->size() * lw::kButtonEntryBytes <= record.size());
  auto again = lw::ReadButtonRecord(lw::WriteButtonRecord(*buttons));
  Require(again.ok() && again->size() == buttons->size());
  for (std::size_t i = 0; i < buttons->size(); ++i) {
    const lw::ButtonEntry &x = (*buttons)[i], &y = (*again)[i];
    Require(x.name == y.name && x.scriptId == y.scriptId && x.rect.top == y.rect.top &&
            x.rect.left == y.rect.left && x.rect.bottom == y.rect.bottom &&
            x.rect.right == y.rect.right);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> record(data + 1, size - 1);
  if ((data[0] & 1) == 0) {
    FuzzHeader(record);
  } else {
    FuzzButtons(record);
  }
  return 0;
}

// The storage layers as titlekit uses them (the shared storage stack, its boxes on the
// terminal), and the record names of its command lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "authoring/storage_stack.h"

namespace lw::titlekit {

// The storage stack on this machine.
struct Storage : authoring::StorageStack {
  Storage() : authoring::StorageStack(platform::HostSystem()) {}
};

// A star-file record named as "FILE#ID" (a record id after the last '#').
struct RecordName {
  std::string file;
  std::int32_t id = 0;
};

// The record that `name` names, or nothing when it is a plain file name: an existing file of
// that exact name, or no decimal id after the last '#'.
std::optional<RecordName> ParseRecordName(std::string_view name);

}  // namespace lw::titlekit

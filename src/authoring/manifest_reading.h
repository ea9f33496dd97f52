// What the readers of the manifest's parts share (title_manifest.cpp reads the title and its
// stages, set_manifest.cpp its sets): the fields they look for, where their errors go, and the
// helpers that read a member and report what is wrong with it at its JSON path.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/title_manifest.h"

namespace lw::authoring::manifest {

using Json = nlohmann::json;

// A member of an object: its key, what its value must be (the text of the error that says it is
// not), and whether it must be there.
struct Field {
  std::string_view key;
  std::string_view expected;
  bool required = false;
};

// clang-format off
inline constexpr Field kPaletteField = {"palette", "a PNG or colour table file name (text)"};
inline constexpr Field kFileField    = {"file",    "an 8.3 file name such as HALL.STR (text)", true};
inline constexpr Field kNameField    = {"name",    "a name of 1 to 15 characters (text)", true};
inline constexpr Field kScriptField  = {"script",  "a script file name (text)"};
// clang-format on

// Where errors of one manifest go, and the folder its file names start from.
struct Reading {
  const std::filesystem::path& folder;
  std::vector<ManifestError> errors;

  void fail(std::string where, std::string problem) {
    errors.push_back({std::move(where), std::move(problem)});
  }
};

// True when `value` is an object, with any key outside `keys` reported.
bool CheckObject(const Json& value, const std::string& where, std::string_view what,
                 std::span<const std::string_view> keys, Reading& reading);

// "WHERE.KEY".
std::string PathOf(const std::string& where, const Field& field);

// Reports that the member `field` of the object at `where` is not what it must be.
void Refuse(const std::string& where, const Field& field, Reading& reading);

// The member `field`, or null (reported when it is required).
const Json* Member(const Json& object, const Field& field, const std::string& where,
                   Reading& reading);

// A file name member: text that is not empty.
SourceFile ReadFileName(const Json& object, const Field& field, const std::string& where,
                        Reading& reading);

// A name member, converted to Mac Roman.
std::string ReadName(const Json& object, const std::string& where, Reading& reading,
                     const Field& field = kNameField);

// A whole number within low..high; nothing when `value` is not one.
std::optional<int> WholeNumber(const Json& value, int low, int high);

// A whole number member within low..high; nothing when missing or out of range (reported).
std::optional<int> ReadInteger(const Json& object, const Field& field, int low, int high,
                               const std::string& where, Reading& reading);

// Reports a name that an earlier sibling already has: `what` is what the siblings are.
void CheckUnique(const std::string& name, std::vector<std::string>& seen, const std::string& where,
                 std::string_view what, Reading& reading);

// An array member; null when missing (reported when required) or not an array.
const Json* ReadArray(const Json& object, const Field& field, const std::string& where,
                      Reading& reading);

// The output file name member: an 8.3 name.
std::string ReadOutputFileName(const Json& object, const std::string& where, Reading& reading);

// Reports an output name that an earlier output (in `files`) already has, and adds it.
void CheckOutput(const std::string& name, const std::string& where, std::vector<std::string>& files,
                 Reading& reading);

// Reads $.sets into `title`.
void ReadSets(const Json& root, TitleManifest& title, std::vector<std::string>& files,
              Reading& reading);

}  // namespace lw::authoring::manifest

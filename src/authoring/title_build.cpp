#include "authoring/title_build.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

#include "authoring/boot_file.h"
#include "authoring/build_stamps.h"
#include "authoring/cast_build.h"
#include "authoring/movie_build.h"
#include "authoring/movie_sources.h"
#include "authoring/puppet_build.h"
#include "authoring/puppet_sources.h"
#include "authoring/set_build.h"
#include "authoring/stage_build.h"
#include "authoring/title_sources.h"
#include "authoring/track_build.h"
#include "media/movie_format.h"
#include "objects/cast_file.h"
#include "objects/puppet_file.h"
#include "objects/set_file.h"
#include "objects/stage_file.h"
#include "objects/track_file.h"

namespace lw::authoring {
namespace {

// Part of every input hash: a builder that lays out its files differently changes this, and every
// output of an older build is made again.
constexpr std::string_view kFormatTag = "titlekit build 1";
constexpr std::uintmax_t kMaxManifestBytes = std::uintmax_t{16} << 20;

using Errors = std::vector<std::string>;

// One file of the title folder: its name, the hash of its inputs and how to make its records.
struct Output {
  std::string name;
  std::string where;  // the JSON path that names it
  std::uint64_t hash = 0;
  StarKind kind;
  std::function<Expected<Records, std::string>()> build;
};

Expected<std::string, std::string> ReadManifestText(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error) &&
      std::filesystem::file_size(path, error) > kMaxManifestBytes) {
    return Unexpected{std::string("file too large (over 16 MiB)")};
  }
  if (std::filesystem::is_directory(path, error)) return Unexpected{std::string("is a directory")};
  std::ifstream in(path, std::ios::binary);
  if (!in) return Unexpected{std::string(std::strerror(errno))};
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

using FileHashes = std::map<std::filesystem::path, std::uint64_t>;

void AddFile(InputHash& hash, const FileHashes& hashes, const SourceFile& file) {
  if (!file.named()) return;
  const std::uint64_t value = hashes.at(file.path);
  hash.add({reinterpret_cast<const std::uint8_t*>(&value), sizeof value});
}

// The stamp of a stage, set, cast, shop, track, movie or puppet file: the format, its manifest
// entry, the title's palette and every file the entry names (whose hashes are in `hashes`).
template <class Entry>
std::uint64_t EntryHash(const Entry& entry, const TitleManifest& title, const TitleSources& sources,
                        const FileHashes& hashes) {
  InputHash hash;
  hash.add(kFormatTag);
  hash.add(entry.entry);
  AddFile(hash, sources.fileHashes, title.palette);
  ForEachSourceFile(
      entry, [&](const SourceFile& file, SourceKind /*kind*/) { AddFile(hash, hashes, file); });
  return hash.value();
}

template <class Entry>
std::uint64_t EntryHash(const Entry& entry, const TitleManifest& title,
                        const TitleSources& sources) {
  return EntryHash(entry, title, sources, sources.fileHashes);
}

std::vector<Output> PlanOutputs(const TitleManifest& title, const TitleSources& sources,
                                const MovieSources& movieSources,
                                const PuppetSources& puppetSources) {
  std::vector<Output> outputs;
  InputHash boot;
  boot.add(kFormatTag);
  boot.add(kBootFileName);
  AddFile(boot, sources.fileHashes, title.system);
  const LoadedScript& system = sources.scripts.at(title.system.path);
  outputs.push_back(
      {std::string(kBootFileName),
       "$",
       boot.value(),
       {kBootFileType},
       [&system]() -> Expected<Records, std::string> { return BootFileRecords(system); }});
  for (std::size_t i = 0; i < title.stages.size(); ++i) {
    const ManifestStage& stage = title.stages[i];
    outputs.push_back({stage.file,
                       "$.stages[" + std::to_string(i) + "].file",
                       EntryHash(stage, title, sources),
                       {kStageFileType},
                       [&stage, &sources] { return BuildStageRecords(stage, sources); }});
  }
  for (std::size_t i = 0; i < title.sets.size(); ++i) {
    const ManifestSet& set = title.sets[i];
    outputs.push_back({set.file,
                       "$.sets[" + std::to_string(i) + "].file",
                       EntryHash(set, title, sources),
                       {kSetFileType},
                       [&set, &sources] { return BuildSetRecords(set, sources); }});
  }
  for (const auto* groups : {&title.casts, &title.shops}) {
    for (std::size_t i = 0; i < groups->size(); ++i) {
      const ManifestGroup& group = (*groups)[i];
      const bool cast = group.kind == GroupKind::kCast;
      outputs.push_back({group.file,
                         std::string(cast ? "$.casts[" : "$.shops[") + std::to_string(i) + "].file",
                         EntryHash(group, title, sources),
                         {cast ? kCastFileType : kShopFileType},
                         [&group, &sources] { return BuildGroupRecords(group, sources); }});
    }
  }
  for (std::size_t i = 0; i < title.tracks.size(); ++i) {
    const ManifestTrack& track = title.tracks[i];
    outputs.push_back({track.file,
                       "$.tracks[" + std::to_string(i) + "].file",
                       EntryHash(track, title, sources),
                       {kTrackFileType},
                       [&track, &sources] { return BuildTrackRecords(track, sources); }});
  }
  for (std::size_t i = 0; i < title.movies.size(); ++i) {
    const ManifestMovie& movie = title.movies[i];
    outputs.push_back({movie.file,
                       "$.movies[" + std::to_string(i) + "].file",
                       EntryHash(movie, title, sources, movieSources.fileHashes),
                       {kMovieFileType},
                       [&movie, &sources, &movieSources] {
                         return BuildMovieRecords(movie, movieSources, sources.palette);
                       }});
  }
  for (std::size_t i = 0; i < title.puppets.size(); ++i) {
    const ManifestPuppetFile& puppets = title.puppets[i];
    outputs.push_back({puppets.file,
                       "$.puppets[" + std::to_string(i) + "].file",
                       EntryHash(puppets, title, sources, puppetSources.files.fileHashes),
                       {kPuppetFileType},
                       [&puppets, &sources, &puppetSources] {
                         return BuildPuppetRecords(puppets, puppetSources, sources.palette);
                       }});
  }
  return outputs;
}

// The outputs that would be written over one of the title's own sources, losing it.
std::vector<ManifestError> OverwrittenSources(const std::vector<Output>& outputs,
                                              const std::filesystem::path& folder,
                                              const FileHashes& sources) {
  std::vector<ManifestError> errors;
  for (const Output& output : outputs) {
    const std::filesystem::path path = folder / output.name;
    for (const auto& [source, hash] : sources) {
      std::error_code error;  // an output not made yet is no source
      if (std::filesystem::equivalent(path, source, error)) {
        errors.push_back({output.where,
                          "expected an output that is none of the title's sources, "
                          "but " +
                              path.string() + " is one"});
        break;
      }
    }
  }
  return errors;
}

// Makes what changed; the errors of the outputs that could not be written.
Errors WriteOutputs(const std::vector<Output>& outputs, const std::filesystem::path& folder,
                    StarLibrary& library, TitleBuildResult& result) {
  const BuildStamps old = ReadBuildStamps(folder);
  BuildStamps stamps;
  Errors errors;
  for (const Output& output : outputs) {
    const std::filesystem::path path = folder / output.name;
    const auto stamp = old.find(output.name);
    std::error_code error;
    if (stamp != old.end() && stamp->second == output.hash &&
        std::filesystem::exists(path, error)) {
      stamps[output.name] = output.hash;
      result.unchanged.push_back(output.name);
      continue;
    }
    auto records = output.build();
    if (!records) {
      errors.push_back(records.error());
      continue;
    }
    if (auto failure = ReplaceStarFile(library, path, output.kind, *records)) {
      errors.push_back(*failure);
      continue;
    }
    stamps[output.name] = output.hash;
    result.written.push_back(output.name);
  }
  if (stamps != old) {
    if (auto failure = WriteBuildStamps(folder, stamps)) errors.push_back(*failure);
  }
  return errors;
}

// Writes the title's strings to DIR/title.json when they changed; the error when it cannot.
std::optional<std::string> WriteTitleStrings(const std::filesystem::path& folder,
                                             const TitleStrings& strings,
                                             TitleBuildResult& result) {
  const std::string name(kTitleStringsFile);
  const std::filesystem::path path = folder / name;
  const std::string text = TitleStringsJson(strings);
  std::ifstream old(path, std::ios::binary);
  std::ostringstream oldText;
  oldText << old.rdbuf();
  if (old && oldText.str() == text) {
    result.unchanged.push_back(name);
    return std::nullopt;
  }
  const std::filesystem::path temporary = folder / (name + ".new");
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) return temporary.string() + ": write error";
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return path.string() + ": could not be replaced";
  }
  result.written.push_back(name);
  return std::nullopt;
}

Errors Formatted(const std::string& manifest, const std::vector<ManifestError>& errors) {
  Errors lines;
  for (const ManifestError& error : errors) lines.push_back(FormatManifestError(manifest, error));
  return lines;
}

}  // namespace

Expected<TitleBuildResult, std::vector<std::string>> BuildTitle(const TitleBuildRequest& request,
                                                                StarLibrary& library) {
  const std::string manifestName = request.manifest.string();
  auto text = ReadManifestText(request.manifest);
  if (!text) return Unexpected{Errors{manifestName + ": " + text.error()}};
  ManifestReading reading = ReadTitleManifest(*text, request.manifest.parent_path());
  const TitleManifest& title = reading.title;
  auto sources = LoadTitleSources(title, request.loadScript);
  if (!sources) {
    reading.errors.insert(reading.errors.end(), sources.error().begin(), sources.error().end());
  }
  auto movieSources = LoadMovieSources(title.movies);
  if (!movieSources) {
    reading.errors.insert(reading.errors.end(), movieSources.error().begin(),
                          movieSources.error().end());
  }
  auto puppetSources = LoadPuppetSources(title.puppets, request.loadScript);
  if (!puppetSources) {
    reading.errors.insert(reading.errors.end(), puppetSources.error().begin(),
                          puppetSources.error().end());
  }
  if (!reading.errors.empty()) return Unexpected{Formatted(manifestName, reading.errors)};
  for (const auto* groups : {&title.casts, &title.shops}) {
    for (const ManifestGroup& group : *groups) {
      const auto problems = CheckGroupPictures(group, *sources);
      reading.errors.insert(reading.errors.end(), problems.begin(), problems.end());
    }
  }
  for (const ManifestMovie& movie : title.movies) {
    const auto problems = CheckMoviePictures(movie, *movieSources);
    reading.errors.insert(reading.errors.end(), problems.begin(), problems.end());
  }
  for (const ManifestPuppetFile& puppets : title.puppets) {
    const auto problems = CheckPuppetPictures(puppets, *puppetSources);
    reading.errors.insert(reading.errors.end(), problems.begin(), problems.end());
  }
  if (!reading.errors.empty()) return Unexpected{Formatted(manifestName, reading.errors)};

  std::error_code error;
  std::filesystem::create_directories(request.folder, error);
  if (error) return Unexpected{Errors{request.folder.string() + ": " + error.message()}};
  const std::vector<Output> outputs = PlanOutputs(title, *sources, *movieSources, *puppetSources);
  auto overwritten = OverwrittenSources(outputs, request.folder, sources->fileHashes);
  for (const FileHashes* hashes : {&movieSources->fileHashes, &puppetSources->files.fileHashes}) {
    const auto more = OverwrittenSources(outputs, request.folder, *hashes);
    overwritten.insert(overwritten.end(), more.begin(), more.end());
  }
  if (title.strings &&
      std::filesystem::equivalent(request.folder / kTitleStringsFile, request.manifest, error)) {
    overwritten.push_back({"$.name", "expected an output folder whose " +
                                         std::string(kTitleStringsFile) +
                                         " is not the manifest itself"});
  }
  if (!overwritten.empty()) return Unexpected{Formatted(manifestName, overwritten)};
  TitleBuildResult result;
  Errors errors = WriteOutputs(outputs, request.folder, library, result);
  if (title.strings) {
    if (auto failure = WriteTitleStrings(request.folder, *title.strings, result))
      errors.push_back(*failure);
  }
  if (!errors.empty()) return Unexpected{std::move(errors)};
  return result;
}

}  // namespace lw::authoring

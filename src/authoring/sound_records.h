// The sound records of a library file built from manifest sound entries: each distinct (audio
// file, rate) pair is encoded once, however many entries name it.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "authoring/sound_encoder.h"
#include "authoring/star_output.h"
#include "authoring/title_manifest.h"

namespace lw::authoring {

class SoundRecords {
 public:
  // `sounds` holds the decoded audio of every file the entries name.
  explicit SoundRecords(const std::map<std::filesystem::path, PcmSound>& sounds)
      : sounds_(sounds) {}

  // Appends the record of each entry to `records`; the reason, at the entry's path, when one
  // cannot be encoded.
  std::optional<std::string> add(const std::vector<ManifestSound>& entries, Records& records) {
    for (const ManifestSound& sound : entries) {
      const Key key{sound.audio.path, sound.rate};
      auto known = encoded_.find(key);
      if (known == encoded_.end()) {
        auto record = EncodeSound(sounds_.at(sound.audio.path), sound.rate);
        if (!record) return sound.audio.where + ": " + record.error();
        known = encoded_.emplace(key, std::move(record).value()).first;
      }
      records.push_back(known->second);
    }
    return std::nullopt;
  }

 private:
  using Key = std::pair<std::filesystem::path, std::uint32_t>;

  const std::map<std::filesystem::path, PcmSound>& sounds_;
  std::map<Key, std::vector<std::uint8_t>> encoded_;
};

}  // namespace lw::authoring

#include "support/shell_fake_platform.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace lw::testing {
namespace {

using platform::Key;

struct NamedKey {
  std::string_view name;
  Key key;
  std::uint8_t character;  // what the platform reports for the key
};

// clang-format off
constexpr std::array<NamedKey, 11> kNamedKeys{{
    {"space", Key::kCharacter, ' '}, {"tab", Key::kTab, 9},        {"ret", Key::kReturn, 13},
    {"esc", Key::kEscape, 27},       {"bs", Key::kBackspace, 8},   {"del", Key::kDelete, 0},
    {"left", Key::kLeft, 0},         {"right", Key::kRight, 0},    {"up", Key::kUp, 0},
    {"down", Key::kDown, 0},         {"other", Key::kOther, 0}}};
// clang-format on

// Takes a "ctrl+" or "shift+" prefix off `word` into `held`.
bool TakeModifier(std::string_view& word, std::string_view prefix, bool& held) {
  if (word.size() <= prefix.size() || !word.starts_with(prefix)) return false;
  word.remove_prefix(prefix.size());
  return held = true;
}

}  // namespace

void FakePlatform::pressKey(std::uint8_t character, Key key, platform::Modifiers modifiers) {
  platform::Message down;
  down.kind = platform::MessageKind::kKeyDown;
  down.key = key;
  down.character = character;
  down.modifiers = modifiers;
  messages.push_back(down);
  down.kind = platform::MessageKind::kKeyUp;
  messages.push_back(down);
}

void FakePlatform::keys(std::string_view script) {
  while (!script.empty()) {
    const std::size_t end = std::min(script.find(' '), script.size());
    std::string_view word = script.substr(0, end);
    script.remove_prefix(std::min(end + 1, script.size()));
    if (word.empty()) continue;
    platform::Modifiers held;
    while (TakeModifier(word, "ctrl+", held.ctrl) || TakeModifier(word, "shift+", held.shift)) {
    }
    if (word.size() > 1 && word[0] == '\'') {
      type(word.substr(1));
      continue;
    }
    int times = 1;
    if (const std::size_t star = word.find('*'); star != std::string_view::npos && star > 0) {
      times = std::stoi(std::string(word.substr(star + 1)));
      word = word.substr(0, star);
    }
    const auto named = std::find_if(kNamedKeys.begin(), kNamedKeys.end(),
                                    [&](const NamedKey& k) { return k.name == word; });
    NamedKey press{word, Key::kCharacter, static_cast<std::uint8_t>(word[0])};
    if (named != kNamedKeys.end())
      press = *named;
    else if (word[0] == 'f' && word.size() > 1)
      press = {
          word,
          static_cast<Key>(static_cast<int>(Key::kF1) + std::stoi(std::string(word.substr(1))) - 1),
          0};
    else if (word.size() != 1)
      throw std::invalid_argument("unknown key in a key script: " + std::string(word));
    for (int i = 0; i < times; ++i) pressKey(press.character, press.key, held);
  }
}

void FakePlatform::click(Point where, platform::Modifiers modifiers) {
  mouseMessage(platform::MessageKind::kButtonDown, where);
  messages.back().modifiers = modifiers;
  mouseMessage(platform::MessageKind::kButtonUp, where);
}

void FakePlatform::mouseMessage(platform::MessageKind kind, Point where) {
  platform::Message message;
  message.kind = kind;
  message.where = where;
  messages.push_back(message);
}

bool FakeAudioStream::queue(std::span<const std::uint8_t> samples, int tag) {
  Log("queue" + std::to_string(tag));
  if (refuse) return false;
  std::lock_guard lock(mutex_);
  written_.insert(written_.end(), samples.begin(), samples.end());
  tags_.push_back(tag);
  return true;
}

void FakeAudioStream::reset() {
  Log("reset");
  while (finishOldest()) {
  }
}

bool FakeAudioStream::finishOldest() {
  int tag = 0;
  {
    std::lock_guard lock(mutex_);
    if (tags_.empty()) return false;
    tag = tags_.front();
    tags_.pop_front();
  }
  finished_(tag);
  return true;
}

std::size_t FakeAudioStream::unfinished() {
  std::lock_guard lock(mutex_);
  return tags_.size();
}

std::vector<std::uint8_t> FakeAudioStream::written() {
  std::lock_guard lock(mutex_);
  return written_;
}

std::string FakeAudioStream::log() {
  std::lock_guard lock(mutex_);
  return log_;
}

void FakeAudioStream::Log(std::string_view word) {
  std::lock_guard lock(mutex_);
  if (!log_.empty()) log_ += ' ';
  log_ += word;
}

std::unique_ptr<platform::AudioStream> FakePlatform::openAudio(
    const platform::AudioFormat& format, platform::AudioStream::Finished finished,
    std::string& error) {
  audioOpens.push_back(format);
  if (refuseAudio > 0) {
    --refuseAudio;
    error = audioError;
    return nullptr;
  }
  auto stream = std::make_unique<FakeAudioStream>(std::move(finished));
  audio = stream.get();
  return stream;
}

}  // namespace lw::testing

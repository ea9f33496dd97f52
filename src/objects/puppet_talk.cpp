// The puppet's side of a conversation: speaking lines with their lip-sync frames, the idle lines,
// and the wait for the player's choice among the bevels.
#include <algorithm>
#include <string>

#include "media/sound_record.h"
#include "objects/object_error_lines.h"
#include "objects/object_names.h"
#include "objects/puppet_objects.h"

namespace lw {
namespace {

constexpr std::uint32_t kTicksPerFrame = 2;
constexpr std::uint32_t kShortestPress = 10;
constexpr std::uint32_t kTicksPerSecond = 60;
constexpr std::size_t kHistoryLines = 3;
constexpr char kPuppetVoice[] = "Puppet Voice";
constexpr char kPlayerVoice[] = "Player Voice";

// A subtitle is drawn unless it is empty, all blanks, or begins with '*'.
bool HasSubtitle(std::string_view text) {
  return !text.empty() && text.front() != '*' &&
         text.find_first_not_of(' ') != std::string_view::npos;
}

// Whether the tick count `now` has reached `due` (the count wraps after 2^32 ticks).
bool Reached(std::uint32_t now, std::uint32_t due) {
  return static_cast<std::int32_t>(now - due) >= 0;
}

}  // namespace

std::optional<std::size_t> PuppetObjects::FindLine(std::string_view text) const {
  for (std::size_t i = 0; i < header_.lines.size(); ++i) {
    const PuppetLine& line = header_.lines[i];
    if (SameObjectName(line.name, text) || FoldEqual(line.subtitle, text)) return i;
  }
  return std::nullopt;
}

bool PuppetObjects::LoadFrames(std::size_t index, std::vector<LipSyncFrame>& frames) {
  const PuppetLine& line = header_.lines[index];
  const auto id = static_cast<std::int32_t>(line.framesId);
  RecordBlock* record = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(*file_, id, record); Failed(got)) {
    Report(CodeNumber(got), errline::kPuppetFramesLoad);
    return false;
  }
  auto read = ReadLipSyncFrames(*record, line.frameCount);
  (void)p_.library.StarReleaseResource(*file_, id);
  if (!read) {
    Report(kObjectProgramCode, errline::kPuppetFramesCorrupt);
    return false;
  }
  frames = std::move(*read);
  return true;
}

void PuppetObjects::Speak(std::string_view text) {
  const std::optional<std::size_t> line = FindLine(text);
  if (!line) {
    ShowSubtitle(text);
    WaitTicks(static_cast<std::uint32_t>(text.size() / 2 + 60));
    return;
  }
  if (history_.size() < kHistoryLines) history_.push_back(*line);
  if (!interrupted_) PlayLine(*line, false);
}

void PuppetObjects::ShowSubtitle(std::string_view text) { DrawSubtitleStrip(text); }

bool PuppetObjects::PlayLine(std::size_t index, bool idle) {
  std::vector<LipSyncFrame> frames;
  if (!LoadFrames(index, frames)) return true;
  const PuppetLine& line = header_.lines[index];
  if (!idle && params_[6] != 0 && HasSubtitle(line.subtitle)) {
    DrawSubtitleStrip(line.subtitle);
  } else {
    subtitleShown_ = false;
  }
  const int last = static_cast<int>(frames.size()) - 1;
  int shown = -1;
  const bool finished = PlayVoice(line.soundId, kPuppetVoice, [&](std::uint32_t ticks) {
    const int frame = std::min(static_cast<int>(ticks / kTicksPerFrame), last);
    if (frame >= 0 && frame != shown) {
      DrawStep(frames, shown, frame);
      shown = frame;
    }
  });
  if (last >= 0 && shown != last) DrawStep(frames, shown, last);
  if (!finished) interrupted_ = true;
  return finished;
}

// The sound plays on channel 0, and the line lasts as long as its sound. Its time is counted
// from the moment it is heard: the sound output keeps some sound queued ahead, so the voice
// enters the stream where what is queued now ends, and the stream's played time tells how far
// it has got. Without a sound output the ticks count instead, so that the line keeps its pace
// in silence.
bool PuppetObjects::PlayVoice(std::uint32_t soundId, const char* name,
                              const std::function<void(std::uint32_t ticks)>& step) {
  SoundItem item;
  const auto id = static_cast<std::int32_t>(soundId);
  const bool heard = p_.channels.isOpen();
  const bool loaded = heard && p_.channels.LoadSound(*file_, id, name, item);
  if (heard && !loaded) return true;  // reported by the channels
  const std::optional<SoundRecordInfo> info = loaded ? item.info : ReadSoundInfo(id);
  const std::uint32_t length =
      info && info->codec.sampleRate != 0
          ? static_cast<std::uint32_t>(
                std::uint64_t{static_cast<std::uint32_t>(std::max(0, info->sampleFrames()))} *
                kTicksPerSecond / info->codec.sampleRate)
          : 0;
  const std::uint32_t start = p_.host.Ticks();
  const double enters = p_.host.QueuedSeconds();
  if (loaded) p_.channels.PlayVoice(item);
  bool finished = true;
  for (;;) {
    const double played = p_.host.PlayedSeconds() - enters;
    const std::uint32_t elapsed =
        heard ? static_cast<std::uint32_t>(std::max(0.0, played) * kTicksPerSecond)
              : p_.host.Ticks() - start;
    step(elapsed);
    if (elapsed >= length) break;
    if (p_.host.Closing()) {
      finished = false;
      break;
    }
    bool quit = false;
    while (const std::optional<PuppetInput> in = p_.host.NextInput(false)) {
      if (QuitKey(in->key)) quit = true;
    }
    if (quit) {
      p_.channels.Stop(false, false, false, true);
      finished = false;
      break;
    }
    p_.host.SleepTick();
  }
  if (loaded) p_.channels.ReleaseSound(item);
  return finished;
}

bool PuppetObjects::QuitKey(char key) {
  if (key == '.' || key == 'Q' || key == 'q') return true;
  if (key >= '0' && key <= '9') p_.host.SetSoundLevel(key - '0');
  return false;
}

std::optional<SoundRecordInfo> PuppetObjects::ReadSoundInfo(std::int32_t id) {
  RecordBlock* record = nullptr;
  if (Failed(p_.library.StarGetResource(*file_, id, record))) return std::nullopt;
  auto info = ReadSoundRecord(*record);
  (void)p_.library.StarReleaseResource(*file_, id);
  if (!info) return std::nullopt;
  return *info;
}

void PuppetObjects::WaitTicks(std::uint32_t ticks) {
  const std::uint32_t start = p_.host.Ticks();
  while (p_.host.Ticks() - start < ticks && !p_.host.Closing()) p_.host.SleepTick();
}

std::int32_t PuppetObjects::WaitForChoice(std::int32_t timeout) {
  interrupted_ = false;
  DrawBand(bevels_, -1);
  struct Idle {
    std::size_t line;
    std::size_t slot;
    std::uint32_t due;
  };
  const auto interval = [this](std::size_t slot) {
    const std::uint32_t shortest = header_.shortest[slot];
    const std::uint32_t longest = std::max(shortest, header_.longest[slot]);
    return shortest + p_.host.Random(longest - shortest + 1);
  };
  std::vector<Idle> idles;
  if (params_[7] == 0) {
    for (std::size_t slot = 0; slot < kIdleLines; ++slot) {
      const std::string name = "idle " + std::to_string(slot + 1);
      for (std::size_t i = 0; i < header_.lines.size(); ++i) {
        if (SameObjectName(header_.lines[i].name, name)) {
          idles.push_back(Idle{i, slot, p_.host.Ticks() + interval(slot)});
          break;
        }
      }
    }
  }
  const std::uint32_t started = p_.host.Ticks();
  std::optional<std::int32_t> result;
  while (!result) {
    for (Idle& idle : idles) {
      if (!Reached(p_.host.Ticks(), idle.due)) continue;
      if (!PlayLine(idle.line, true)) {
        result = kPuppetCancelled;
        break;
      }
      idle.due = p_.host.Ticks() + interval(idle.slot);
    }
    if (!result) result = TakeInput(timeout, started);
    if (!result) p_.host.SleepTick();
  }
  keptBevels_ = bevels_;
  history_.clear();
  return *result;
}

// One piece of input of the conversation wait, and what it comes to.
std::optional<std::int32_t> PuppetObjects::TakeInput(std::int32_t timeout, std::uint32_t started) {
  if (p_.host.Closing()) return kPuppetCancelled;
  if (const std::optional<PuppetInput> in = p_.host.NextInput(true)) {
    if (in->kind == PuppetInput::Kind::kKey && QuitKey(in->key)) return kPuppetCancelled;
    if (in->kind == PuppetInput::Kind::kClick) {
      const int row = (in->at.v - kPuppetPictureHeight) / kBevelRowHeight;
      const bool inBand = in->at.v >= kPuppetPictureHeight && in->at.h >= 0 &&
                          in->at.h < kPuppetPictureWidth && row < static_cast<int>(bevels_.size());
      if (inBand && ReleasedInRow(static_cast<std::size_t>(row))) {
        const auto i = static_cast<std::size_t>(row);
        clicked_ = row;
        ShowBevel(bevels_, i, static_cast<std::uint8_t>(params_[3]));
        if (header_.hasPlayerLines) {
          for (const PlayerLine& line : playerLines_) {
            if (FoldEqual(line.text, bevels_[i].text)) {
              PlayVoice(line.soundId, kPlayerVoice, [](std::uint32_t) {});
              break;
            }
          }
        }
        return bevels_[i].number;
      }
      if (shows(in->at) && in->at.v < kPuppetPictureHeight && !history_.empty()) ReplayHistory();
    }
  }
  if (timeout >= 0 && p_.host.Ticks() - started > static_cast<std::uint32_t>(timeout)) {
    return kPuppetTimedOut;
  }
  return std::nullopt;
}

// The row follows the pointer while the button is held (and for at least 10 ticks), inverted
// while the pointer is inside; it counts when the button goes up inside.
bool PuppetObjects::ReleasedInRow(std::size_t row) {
  const std::uint32_t pressed = p_.host.Ticks();
  const Rect rect = BevelRow(row);
  bool inside = false;
  bool inverted = false;
  while (p_.host.ButtonDown() || p_.host.Ticks() - pressed < kShortestPress) {
    if (p_.host.Closing()) break;
    inside = rect.contains(p_.host.Mouse());
    if (inside != inverted) {
      InvertRow(row);
      inverted = inside;
    }
    p_.host.SleepTick();
  }
  if (inverted) InvertRow(row);
  return inside && !p_.host.Closing();
}

// The last choice is shown again as it was made, while the lines spoken since are played again;
// then the choices of this wait come back.
void PuppetObjects::ReplayHistory() {
  DrawBand(keptBevels_, clicked_);
  const std::vector<std::size_t> lines = history_;
  for (const std::size_t line : lines) {
    if (!PlayLine(line, false)) break;
  }
  DrawBand(bevels_, -1);
}

void PuppetObjects::DisplayStep() {
  if (!isVisible()) return;
  DrawBasePicture();
  p_.host.PaceFrame();
}

}  // namespace lw

// The puppet: the single puppet file a title has open (type 'PUPP', read through puppet_file.h)
// and the conversation it holds with the player. While it is open and visible the puppet owns
// the stage: its picture where the scene view lies, the bevel band of up to five reply choices
// below it. Records 0 to 3 and every layer image stay loaded and locked while the file is open;
// a line's sound and lip-sync frames are loaded while it plays.
//
// State: open, visible, the star file, the records 0 to 3 as read; the bevel list, the kept copy
// that the last conversation wait left, the clicked bevel (-1: none), the history of up to three
// lines spoken since that wait, the interrupted flag; and the settings that outlive the file:
// the grab flag, the base line name and the eight display settings.
//
// Drawing (puppet_picture.cpp): a lip-sync step from frame a to frame b unites the changed
// rectangles of frames a+1 .. b (the whole picture when a is negative; its top 224 rows while a
// subtitle shows in the 40 rows below them), draws layer 0 (the grabbed scene view when
// grabbing; colour 0 when the frame names no image) and the images frame b names on layers 1 to
// 10, each with its hot spot on the frame's point, and shows the united rectangle.
//
// Talking (puppet_talk.cpp): speaking a line plays its sound on channel 0 ("Puppet Voice") and
// steps its lip-sync frames by the ticks since it started (a frame every 2 ticks) until the
// sound ends; '.', 'Q' and 'q' stop it and set the interrupted flag, digits set the sound level.
// The conversation wait draws the bevels, plays the idle lines at random intervals and waits
// for a bevel clicked (released inside, at least 10 ticks after the press, the row inverted
// while the pointer is inside), a click on the picture (the lines spoken since the last wait
// are played again), a quit key (-1) or the timeout (-2).
//
// Re-entrancy: openpuppet() and closepuppet() may open or close the puppet file themselves; each
// opening counts a generation, and closing goes on only when its file is still the one open.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/sound_channels.h"
#include "media/star_library.h"
#include "objects/event_message.h"
#include "objects/library_open.h"
#include "objects/puppet_file.h"
#include "objects/puppet_host.h"
#include "script/builtin_table.h"
#include "script/compiled_script_cache.h"
#include "shell/drawing/surface.h"
#include "shell/error_report.h"

namespace lw {

struct PuppetParts {
  StarLibrary& library;
  CompiledScriptCache& scripts;
  ErrorReporter& errors;
  SoundChannels& channels;
  PuppetHost& host;
  LocateFile locate;
};

// One reply choice: the number the conversation wait gives when it is clicked, and its text.
struct Bevel {
  std::int32_t number = 0;
  std::string text;
};

inline constexpr std::size_t kMaxBevels = 5;
inline constexpr std::int16_t kBevelRowHeight = 24;
inline constexpr std::size_t kMaxBaseName = 31;
inline constexpr std::size_t kPuppetParams = 8;
// What puppetevent gives when no bevel was chosen.
inline constexpr std::int32_t kPuppetCancelled = -1;
inline constexpr std::int32_t kPuppetTimedOut = -2;

class PuppetObjects {
 public:
  explicit PuppetObjects(PuppetParts parts);
  ~PuppetObjects() { ShutDown(); }
  PuppetObjects(const PuppetObjects&) = delete;
  PuppetObjects& operator=(const PuppetObjects&) = delete;

  [[nodiscard]] bool isOpen() const { return open_; }
  [[nodiscard]] bool isVisible() const { return open_ && visible_; }
  // Whether the puppet shows and stage point `p` lies on the stage it covers.
  [[nodiscard]] bool shows(Point p) const;
  // The puppet file name, the puppets in the file.
  [[nodiscard]] const std::string& fileName() const { return header_.name; }
  [[nodiscard]] const std::vector<PuppetEntry>& puppets() const { return puppets_; }
  [[nodiscard]] std::optional<std::size_t> findPuppet(std::string_view name) const;

  ScriptError OpenPuppetFile(BuiltinCall& c, std::string_view fileName);
  ScriptError ClosePuppetFile(BuiltinCall& c);
  // sendtopuppet and its fx twin: the arguments start at c.pos.
  ScriptError SendToPuppet(BuiltinCall& c, Value* result);

  // The bevel list.
  ScriptError AddBevel(std::string_view text, std::int32_t number);
  void ClearBevels() { bevels_.clear(); }
  [[nodiscard]] std::size_t bevelCount() const { return bevels_.size(); }
  // 5 x count swaps of two bevels chosen at random.
  void ScrambleBevels();

  // puppetspeak: the line named, or whose subtitle is `text`; a text that names none is shown as
  // a subtitle for (length / 2 + 60) ticks.
  void Speak(std::string_view text);
  // puppetsubtitle: draws `text` as a subtitle at once.
  void ShowSubtitle(std::string_view text);
  // puppetevent: the conversation wait; the bevel's number, kPuppetCancelled or kPuppetTimedOut.
  std::int32_t WaitForChoice(std::int32_t timeout);

  // puppetvisible written: shown draws the base picture and the band, hidden gives the stage back.
  void SetVisible(bool visible);
  [[nodiscard]] bool grab() const { return grab_; }
  void setGrab(bool grab) { grab_ = grab; }
  [[nodiscard]] const std::string& base() const { return base_; }
  void setBase(std::string_view base) { base_ = base; }
  [[nodiscard]] std::int32_t param(std::size_t n) const { return params_[n]; }
  void setParam(std::size_t n, std::int32_t value) { params_[n] = value; }

  // The display step while the puppet shows: the base line's resting picture, paced as frames
  // are.
  void DisplayStep();
  // The puppet's colour table: the file's, with the grabbed range taken from the screen palette
  // when grabbing. PuppetAlreadyOpen when no file is open.
  ScriptError PuppetPalette(ColourTable& out);

  // The runtime stop: releases everything without telling the title.
  void ShutDown();

 private:
  bool LoadRecords(StarFile& file);
  bool LoadLayerImages();
  void Release();
  ScriptError SendPuppetEvent(BuiltinCall& c, ObjectEvent event);

  // Drawing (puppet_picture.cpp).
  [[nodiscard]] Rect PictureArea() const;
  void DrawStep(const std::vector<LipSyncFrame>& frames, int from, int to);
  void DrawBasePicture();
  // Layer 0's image as `placed` shows it, over colour 0.
  const Surface& Background(const LayerPlacement& placed);
  void DrawSubtitleStrip(std::string_view text);
  void DrawBand(const std::vector<Bevel>& bevels, int clicked);
  void DrawBevel(const std::vector<Bevel>& bevels, std::size_t i, std::uint8_t colour);
  void ShowBevel(const std::vector<Bevel>& bevels, std::size_t i, std::uint8_t colour);
  // Bevel i's row of the band, in stage coordinates.
  [[nodiscard]] static Rect BevelRow(std::size_t i);
  void InvertRow(std::size_t row);
  void Show(const Rect& area);
  [[nodiscard]] PuppetText TextStyle(std::uint8_t colour) const;

  // Talking (puppet_talk.cpp).
  [[nodiscard]] std::optional<std::size_t> FindLine(std::string_view text) const;
  // Reads line `index`'s lip-sync frames; false after a fatal report.
  bool LoadFrames(std::size_t index, std::vector<LipSyncFrame>& frames);
  // Plays line `index`; false when it was interrupted.
  bool PlayLine(std::size_t index, bool idle);
  // Plays a sound record on channel 0 until it ends or a quit key; false when interrupted.
  bool PlayVoice(std::uint32_t soundId, const char* name,
                 const std::function<void(std::uint32_t ticks)>& step);
  // The header of sound record `id`, read without playing it.
  std::optional<SoundRecordInfo> ReadSoundInfo(std::int32_t id);
  // Handles a key during a line or the wait; true for a quit key.
  bool QuitKey(char key);
  void WaitTicks(std::uint32_t ticks);
  std::optional<std::int32_t> TakeInput(std::int32_t timeout, std::uint32_t started);
  bool ReleasedInRow(std::size_t row);
  void ReplayHistory();
  void Report(std::int16_t programCode, std::int16_t line);

  PuppetParts p_;
  bool open_ = false;
  bool visible_ = false;
  StarFile* file_ = nullptr;
  std::uint64_t generation_ = 0;
  PuppetHeader header_;
  std::vector<PlayerLine> playerLines_;
  std::vector<PuppetEntry> puppets_;
  PuppetLayers layers_;
  // The layer images, got when the file opened; their ids, to give back when it closes.
  std::array<std::vector<const RecordBlock*>, kPuppetLayers> images_;
  std::vector<std::int32_t> heldImages_;
  bool recordsHeld_ = false;  // records 0 to 3 are got

  std::vector<Bevel> bevels_;
  std::vector<Bevel> keptBevels_;
  int clicked_ = -1;
  std::vector<std::size_t> history_;
  bool interrupted_ = false;
  bool subtitleShown_ = false;
  bool baseShown_ = false;

  bool grab_ = false;
  std::string base_;
  std::array<std::int32_t, kPuppetParams> params_{0, 128, 250, 251, 888, 12, 0, 0};

  Surface stage_;    // the puppet's 512 x 384: picture rows 0..263, band rows 264..383
  Surface grabbed_;  // the scene view taken when grabbing
  Surface background_;
  std::optional<LayerPlacement> backgroundOf_;  // what background_ holds, if anything
};

}  // namespace lw

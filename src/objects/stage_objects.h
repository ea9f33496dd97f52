// The stage: the single stage library a title has open (a stage file, type 'FLAT', read through
// stage_file.h), its flats and their buttons, and the operations the stage built-ins perform on
// them. Record 0 of the stage file stays loaded and locked while the stage is open; button
// records and pictures are got and released around each use.
//
// State: open, visible (the stagevisible property, true on open), the star file, the current
// flat (0-based), the header as read from record 0. An open stage always has at least one flat.
//
// Re-entrancy: the handlers that open and close messages run may open or close stages
// themselves. Each opening counts a new generation; after every such handler the operation
// checks that its stage is still the one it began with (and, where it matters, still on the same
// flat), and stops with success when it is not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/star_library.h"
#include "objects/event_message.h"
#include "objects/library_open.h"
#include "objects/saved_game_header.h"
#include "objects/stage_display.h"
#include "objects/stage_file.h"
#include "script/builtin_table.h"
#include "script/compiled_script_cache.h"
#include "shell/drawing/colour_table.h"
#include "shell/error_report.h"

namespace lw {

class ScriptChain;

// What the stage works with. `locate` finds a file that a script names (the title's file
// lookup: 8.3 names, path slots), giving its path or the lookup's script error.
struct StageParts {
  StarLibrary& library;
  CompiledScriptCache& scripts;
  ErrorReporter& errors;
  StageDisplay& display;
  LocateFile locate;
};

class StageObjects {
 public:
  explicit StageObjects(StageParts parts) : p_(std::move(parts)) {}
  // Closes an open stage quietly, as ShutDown does.
  ~StageObjects() { ShutDown(); }
  StageObjects(const StageObjects&) = delete;
  StageObjects& operator=(const StageObjects&) = delete;

  [[nodiscard]] bool isOpen() const { return open_; }
  [[nodiscard]] bool isVisible() const { return open_ && visible_; }
  // Whether the stage is open and shown and `p` (stage coordinates) lies on it.
  [[nodiscard]] bool shows(Point p) const {
    return isVisible() && Rect{0, 0, kStageFileHeight, kStageFileWidth}.contains(p);
  }
  [[nodiscard]] const std::string& name() const { return header_.name; }
  [[nodiscard]] std::size_t flatCount() const { return header_.flats.size(); }
  [[nodiscard]] const FlatEntry& flat(std::size_t index) const { return header_.flats[index]; }
  [[nodiscard]] std::size_t currentFlat() const { return current_; }
  // The index of the flat named `name`, if the open stage has one.
  [[nodiscard]] std::optional<std::size_t> findFlat(std::string_view name) const;

  // openstagefile: opens the stage file a script names, selects flat 0, then sends openstage()
  // and the current flat's openflat(). A file that is no star file is reported and refused as
  // of the wrong type; one whose records do not make a stage is reported and refused with
  // ResourceNotFound.
  ScriptError OpenStageFile(BuiltinCall& c, std::string_view fileName);
  // closestagefile: sends closestage() and closeflat(), then closes the stage.
  ScriptError CloseStageFile(BuiltinCall& c);
  // gotoflat with a 1-based flat number (clamped): closeflat(), select, openflat().
  ScriptError GotoFlat(BuiltinCall& c, std::int64_t number);
  // stagevisible written: true draws the current flat, false clears the stage layer.
  void SetVisible(bool visible);
  // The buttons of flat `index` of the open stage, read from its button record.
  ScriptError LoadButtons(std::size_t index, std::vector<ButtonEntry>& out);
  // The stage's own palette: StageLibOpenClose when no stage is open, ResourceNotFound when it
  // has none or it cannot be read.
  ScriptError StagePalette(ColourTable& out);

  // The messages: sendtostage, sendtoflat, sendtobutton (and their fx twins with `result`).
  // The arguments start at c.pos.
  ScriptError SendToStage(BuiltinCall& c, Value* result);
  ScriptError SendToFlat(BuiltinCall& c, Value* result);
  ScriptError SendToButton(BuiltinCall& c, Value* result);

  // Saved games: the stage's state (identities are star-file serials), and the stage opened
  // again from a saved state without a message: `file`'s record 0 loaded and the saved flat
  // selected, drawn when the stage was shown. False when the stage is open or the file does not
  // make a stage (reported; the file is parked).
  [[nodiscard]] SavedStage Saved() const;
  bool Restore(StarFile& file, const SavedStage& saved);

  // The runtime stop: releases record 0 and parks the star file without telling the title.
  void ShutDown();

 private:
  // What an operation checks after each handler it sends.
  struct Mark {
    std::uint64_t generation = 0;
    std::size_t flat = 0;
  };
  [[nodiscard]] Mark mark() const { return {generation_, current_}; }
  [[nodiscard]] bool sameStage(const Mark& m) const { return open_ && generation_ == m.generation; }
  [[nodiscard]] bool sameStageAndFlat(const Mark& m) const {
    return sameStage(m) && current_ == m.flat;
  }

  // Loads, locks and reads record 0 of `file`; reports and gives false when it will not do.
  bool LoadHeader(StarFile& file);
  // Makes flat `index` (clamped) current, drawing its picture when the stage is visible.
  void SelectFlat(std::int64_t index);
  // Draws the picture of the current flat into the stage layer; a picture that does not load
  // or decode is reported and leaves the layer as it was.
  void DrawCurrentFlat();
  void ClearLayer();
  // Releases record 0, parks the file and marks the stage closed.
  void Release();

  ScriptError SendFlatEvent(BuiltinCall& c, ObjectEvent event);
  ScriptError SendStageEvent(BuiltinCall& c, ObjectEvent event);
  // The frames of the stage, of flat `flat` for a message to `target`.
  ScriptError AddStageFrame(ScriptChain& chain, std::string_view target);
  ScriptError AddFlatFrames(ScriptChain& chain, std::size_t flat, std::string_view target);

  StageParts p_;
  bool open_ = false;
  bool visible_ = false;
  StarFile* file_ = nullptr;
  std::size_t current_ = 0;
  StageHeader header_;
  std::uint64_t generation_ = 0;
};

}  // namespace lw

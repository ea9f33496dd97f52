// The table of one figure kind (actors or props) and the table of its groups (casts or shops):
// the group files scripts open and close, the figures they bring, instances made from them, and
// the messages to both.
//
// Opening a group file: record 0 (kept loaded) names the group and its figures; each figure
// record is read and kept loaded for the figure's life, the figure takes the defaults of
// figure.h and a fresh serial, and is placed on its star when its set is the current set and has
// it. Then opencast() (openshop()) goes to the group and openactor() (openprop()) to each of its
// figures, in table order.
//
// Closing: closecast() to the group, then closeactor() to each figure of the group (instances
// included). A handler that closes the group itself ends the close there, quietly. Then each
// figure of the group is removed (its movement stopped first), the file is parked and the group
// goes.
//
// Removing figure i moves the last figure into slot i, so indexes are not stable; lookups by
// name try the last-found index first.
//
// Messages: a figure's chain is its own script, then its group's (me and target are the figure's
// name in both; the group frame's me is the group).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "media/star_library.h"
#include "objects/event_message.h"
#include "objects/figure.h"
#include "objects/library_open.h"
#include "objects/saved_game_tables.h"
#include "script/builtin_table.h"
#include "script/compiled_script_cache.h"
#include "shell/error_report.h"

namespace lw {

class SetObjects;

struct FigureParts {
  StarLibrary& library;
  CompiledScriptCache& scripts;
  ErrorReporter& errors;
  LocateFile locate;
  const SetObjects& set;
};

// What a figure's movement hears from the table: a script placed the figure directly (an
// actor's walk or a prop's ball stops), or the figure is going (its loops stop too).
struct FigureMotionHooks {
  std::function<void(std::string_view name)> placed;
  std::function<void(std::string_view name)> removing;
};

// Whether the figure belongs to the set that is open now.
[[nodiscard]] bool InCurrentSet(const SetObjects& set, const Figure& figure);

class FigureTable {
 public:
  FigureTable(const FigureKindInfo& kind, FigureParts parts) : kind_(kind), p_(std::move(parts)) {}
  ~FigureTable() { ShutDown(); }
  FigureTable(const FigureTable&) = delete;
  FigureTable& operator=(const FigureTable&) = delete;

  [[nodiscard]] const FigureKindInfo& kind() const { return kind_; }
  [[nodiscard]] std::size_t count() const { return figures_.size(); }
  [[nodiscard]] Figure& at(std::size_t i) { return figures_[i]; }
  [[nodiscard]] const Figure& at(std::size_t i) const { return figures_[i]; }
  [[nodiscard]] std::size_t groupCount() const { return groups_.size(); }
  [[nodiscard]] const FigureGroup& groupAt(std::size_t i) const { return groups_[i]; }

  // The figure of that name: the figure at `hint` when its name matches, else the first match in
  // table order, which becomes the last-found index.
  [[nodiscard]] std::optional<std::size_t> Find(std::string_view name);
  [[nodiscard]] std::optional<std::size_t> Find(std::string_view name, std::size_t hint);
  [[nodiscard]] std::size_t lastFound() const { return lastFound_; }
  [[nodiscard]] std::optional<std::size_t> FindGroup(std::string_view name) const;
  // The group a figure belongs to (every figure's group is open while it exists).
  [[nodiscard]] const FigureGroup& GroupOf(const Figure& figure) const;
  [[nodiscard]] std::optional<std::size_t> FindSerial(std::uint32_t serial) const;

  ScriptError OpenGroupFile(BuiltinCall& c, std::string_view fileName);
  ScriptError CloseGroupFile(BuiltinCall& c, std::string_view groupName);
  // actorinstance / propinstance: a copy of `source` named `newName`; nothing when that name is
  // taken already.
  ScriptError Instance(std::string_view source, std::string_view newName);
  // Loads and releases every picture of every pose of the figure, so that the cache holds them.
  void Warm(const Figure& figure);

  // Puts the figure on its star when its set is the current set and has it (actors copy the
  // star's extra words, props take their cell); whether it did.
  bool PlaceOnStar(Figure& figure);
  // A set has just opened: every 3-D figure of that set is put on its star.
  void SetOpened();
  // The script placed the figure directly: its walk or ball stops.
  void Placed(const Figure& figure);

  // sendtoactor / sendtocast (and the prop and shop forms); `result` for the fx twins.
  ScriptError SendToFigure(BuiltinCall& c, Value* result);
  ScriptError SendToGroup(BuiltinCall& c, Value* result);
  // Tells figure `name` of an event: `stored` is the text after its quoted name (", endwalk()").
  ScriptError SendFigureEvent(Interpreter& in, std::string_view name, std::string_view stored);

  void setMotionHooks(FigureMotionHooks hooks) { hooks_ = std::move(hooks); }

  // Saved games. The groups and figures as saved, in table order (identities are serials).
  [[nodiscard]] std::vector<SavedGroup> SavedGroups() const;
  [[nodiscard]] std::vector<SavedFigure> SavedFigures() const;
  // Closes every group as scripts would, with its messages; whatever the handlers leave open
  // then goes quietly, so the tables end empty. The first error a handler gave.
  ScriptError CloseAllGroups(BuiltinCall& c);
  // Puts a group back without a message: record 0 of `file` loaded and kept. False when it does
  // not load (reported).
  bool RestoreGroup(StarFile& file);
  // Puts a saved figure of the group file `file` back without a message: its record loaded and
  // kept again, every saved field as it was. False when the record does not load (reported).
  bool RestoreFigure(StarFile& file, const SavedFigure& saved);

  // The runtime stop: releases every record and parks every file without telling the title.
  void ShutDown();

 private:
  bool LoadGroup(StarFile& file, FigureGroup& group, std::vector<Figure>& figures);
  bool LoadFigure(StarFile& file, std::uint32_t recordId, Figure& figure);
  void ReleaseFigure(const Figure& figure);
  // Removes figure i: the last takes its slot.
  void RemoveAt(std::size_t i);
  [[nodiscard]] bool groupStillOpen(std::uint32_t serial) const;
  ScriptError SendGroupEvent(BuiltinCall& c, std::string_view group, ObjectEvent event);
  ScriptError SendFigureOpenClose(BuiltinCall& c, std::string_view name, ObjectEvent event);

  FigureKindInfo kind_;
  FigureParts p_;
  std::vector<Figure> figures_;
  std::vector<FigureGroup> groups_;
  std::size_t lastFound_ = 0;
  FigureMotionHooks hooks_;
};

}  // namespace lw

// The Runtime: everything one run of a title owns, from the file layer to the interpreter, so
// that a test can make a fresh one. Run() performs the runtime start, the title boot, the main
// loop and the runtime stop, in that order, and gives the exit status.
//
// Runtime start: the title palettes ("CLUT.SYSTEM", error line 800, and "CLUT.BLACK", line 802,
// from the program's resources), cursor "CURS2002" held as the title's cursor and made current,
// the screen rectangle, the compiled-script cache, the nine path slots (all "appl:"), the
// plug-ins of "appl:plugins:", the screen compositor, the stage objects, the interpreter with its
// string library and variables. Title boot: the stage window (kind 1, captioned with the title
// name), the message box window (kind 2, a strip 436 wide centred at the bottom of the screen,
// hidden unless asked for), the stage origin, and the boot file "appl:bootfile" (missing: line
// 5200; not a star file: line 5208). Runtime stop: an open stage file is closed without telling
// the title, the close message to the message box window and the stage window (which closes
// every star file), then the plug-ins are closed, and the interpreter, the stage objects, the
// compositor and the cache are freed, in that order. The script error log (script_error_log.h)
// starts with the
// interpreter and stops after it.
//
// Movie mode (RuntimeOptions::movie, for movieplayer) starts the same way but for the title:
// the texts and the window caption name "Movie Player", path slot 1 is the movie's folder
// (slots 0 and 2..8 stay "appl:"), no plug-in is loaded, and instead of the title boot there is
// the stage window alone: no message box window, no boot file. Run then plays the movie in the
// stage window (asking for it with the open dialog when none was named) and ends; the main loop
// never runs, so no handler is ever called.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/frame_transitions.h"
#include "media/stamp_counter.h"
#include "media/star_library.h"
#include "platform/platform.h"
#include "runtime/builtins_settings.h"
#include "runtime/file_locator.h"
#include "runtime/main_loop.h"
#include "runtime/message_box_window.h"
#include "runtime/path_slots.h"
#include "runtime/plugins.h"
#include "runtime/puppet_screen.h"
#include "runtime/runtime_builtins.h"
#include "runtime/saved_game.h"
#include "runtime/screen_reveal.h"
#include "runtime/script_error_log.h"
#include "runtime/stage_window.h"
#include "runtime/title_objects.h"
#include "script/compiled_script_cache.h"
#include "script/interpreter.h"
#include "script/script_host.h"
#include "shell/dialogs/file_dialog.h"
#include "shell/dialogs/window_boxes.h"
#include "shell/drawing/graphics.h"
#include "shell/drawing/palette_state.h"
#include "shell/drawing/screen.h"
#include "shell/drawing/surface.h"
#include "shell/error_report.h"
#include "shell/files/file_access.h"
#include "shell/files/platform_error.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"
#include "shell/windows/window_system.h"

namespace lw {

namespace errline {
inline constexpr std::int16_t kSystemPalette = 800;
inline constexpr std::int16_t kBlackPalette = 802;
}  // namespace errline

// What movie mode plays (SplitMoviePath makes the folder and name of a path).
struct MovieMode {
  // Path slot 1: the movie's folder with its last separator, or "" for the current folder.
  std::string folder;
  // The movie's file name; empty: the open dialog asks for a movie, and Cancel ends the run.
  std::string name;
  // Hears a movie that could not be played: its path (folder and name) and the file search's
  // answer (ScriptError::CantFindFile when no slot has it). May be empty.
  std::function<void(std::string_view movie, ScriptError why)> notPlayed;
};

// A movie path cut after its last '/', '\\' or ':' into folder and name; without any, the folder
// is "" and the name the whole path.
[[nodiscard]] MovieMode SplitMoviePath(std::string_view path);

struct RuntimeOptions {
  std::filesystem::path titleFolder = ".";
  // The title's name in captions and texts; empty: the title folder's own name.
  std::string titleName;
  // --volume NAME=PATH, in the order given.
  std::vector<std::pair<std::string, std::filesystem::path>> volumes;
  bool fullscreen = true;
  bool integerScale = false;
  // Hears every handler-call text the loop runs, except idle(), and after a call that failed
  // the script error log's line ("error: in idle (Boot Message, line 3): ..."); may be empty.
  std::function<void(std::string_view)> trace;
  // Hears the outcome of each console line of scripted input, in Mac Roman as the message box
  // shows it ("True", "\"42\"", "No such variable."); may be empty.
  std::function<void(std::string_view)> console;
  // Where the script error log writes its lines (UTF-8, without line ends); standard error when
  // empty.
  std::function<void(std::string_view)> errorOutput;
  // Hears every rectangle that a present copies to the window, with the tick count then; may be
  // empty.
  std::function<void(std::uint32_t tick, const PresentedRect& copied)> presentTrace;
  // The run ends once the tick count reaches this.
  std::optional<std::uint32_t> endTick;
  // Where a PNG of the screen canvas goes when the run ends.
  std::optional<std::string> screenshotPath;
  // The seed of the script language's random numbers (kept for them; they seed from the tick
  // count otherwise).
  std::optional<std::uint32_t> seed;
  // Whether a scripted input has delivered its last action (headless runs): the run then ends
  // MainLoop::kInputSettleTicks later unless the title or endTick ended it first.
  std::function<bool()> inputFinished;
  // The name of the driver the sound device plays through, for the sound log channel once the
  // device is open ("pulseaudio", "headless"); may be empty.
  std::function<std::string()> soundDriver;
  // Whether the message box shows from the start (otherwise its key, F12, shows it).
  bool showMessageBox = false;
  // The first script error ends the run (after its pass) with kExitFatalError (for tests of
  // titles).
  bool strict = false;
  // Set: the run plays this movie and nothing else (movie mode, above).
  std::optional<MovieMode> movie;
};

class Runtime {
 public:
  static constexpr int kExitOk = 0;
  // No window, the screenshot could not be written (the reason is on standard error), or the
  // movie of movie mode was not found.
  static constexpr int kExitFailure = 1;
  // A fatal error was reported and the run went on after Ok; or, with `strict`, a script failed.
  static constexpr int kExitFatalError = 3;
  static constexpr int kMessageBoxWidth = MessageBoxWindow::kWidth;
  static constexpr int kMessageBoxTopAboveBottom = MessageBoxWindow::kTopAboveBottom;
  static constexpr int kMessageBoxBottomAboveBottom = MessageBoxWindow::kBottomAboveBottom;

  Runtime(platform::Platform& platform, RuntimeOptions options);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // Opens the window, starts, boots, loops until quit and stops; the exit status. In movie mode
  // the movie takes the place of the boot and the loop.
  int Run();

  // Run in its three steps, for tests that step the loop pass by pass. Begin opens the window,
  // performs the runtime start and boots the title (false when no window opens); the loop is
  // there from Begin to End; End takes the screenshot, performs the runtime stop and gives the
  // exit status.
  bool Begin();
  [[nodiscard]] MainLoop& loop() { return *loop_; }
  int End();

  // The title's name: RuntimeOptions::titleName, or the title folder's own name.
  [[nodiscard]] const std::string& titleName() const { return texts_.titleName(); }

  // The parts of a run that tests and the programs look at. The built-ins never come through
  // here: each group is handed its own services when the runtime wires it.
  [[nodiscard]] WindowSystem& windows() { return windows_; }
  [[nodiscard]] Screen& screen() { return screen_; }
  [[nodiscard]] Graphics& graphics() { return graphics_; }
  [[nodiscard]] StarLibrary& library() { return library_; }
  [[nodiscard]] ErrorReporter& errors() { return errors_; }
  [[nodiscard]] LastPlatformError& lastError() { return lastError_; }
  [[nodiscard]] MessageBoxWindow& messageBox() { return messageBox_; }
  // Present from the runtime start to the runtime stop.
  [[nodiscard]] Interpreter* interpreter() { return interpreter_.get(); }
  [[nodiscard]] PathSlots* pathSlots() { return pathSlots_.get(); }
  // Where library files named by scripts are found; the object layers open theirs through it.
  [[nodiscard]] FileLocator* fileLocator() { return locator_.get(); }
  [[nodiscard]] StageWindow* stage() { return stage_.get(); }
  // The stage objects; present from the runtime start to the stop.
  [[nodiscard]] StageObjects* stageObjects() { return objects_ ? &objects_->stage() : nullptr; }
  [[nodiscard]] SetObjects* setObjects() { return objects_ ? &objects_->set() : nullptr; }
  [[nodiscard]] TitleObjects* titleObjects() { return objects_.get(); }
  // The screen composition, and what the stage objects draw through.
  [[nodiscard]] Compositor* compositor() { return compositor_.get(); }
  [[nodiscard]] StageDisplay* stageDisplay() { return objects_ ? &objects_->display() : nullptr; }

  // Shows a movie frame by its transition, steps a tick apart: `picture` holds the composed
  // frame, `movie` is the movie's rectangle in it (no piece reaches outside it or the frame's
  // picture rectangle), and `origin` is
  // where the picture's (0, 0) lies on the screen. A frame with an empty picture rectangle
  // changes only the palette. The dissolves draw from the title's random numbers. False when the
  // window is closing.
  bool ShowMovieFrame(const Surface& picture, const Rect& movie, Point origin,
                      const FrameTransition& transition, TransitionPalette& palette);
  // Plays a movie file in the main window to its end; the file search's error when it is not
  // found.
  ScriptError PlayMovie(std::string_view name);
  // A number in 0 .. count - 1 from the title's random numbers.
  std::uint32_t RandomBelowCount(std::uint32_t count);

  // Parts that tests reach because no script line can: the free-memory figure they set, the
  // 16-bit entries of the current palette (scripts see only the installed 8-bit colours), and
  // the figures of the settings that the layers still to come (movies, motion, sets) keep.
  [[nodiscard]] MemoryStatus& memory() { return memory_; }
  [[nodiscard]] PaletteState& palettes() { return palettes_; }
  [[nodiscard]] SoundChannels& channels() { return channels_; }
  [[nodiscard]] ScriptSettings& settings() { return settings_; }
  // The plug-ins, loaded by the runtime start and closed by the runtime stop; tests ask their
  // services directly, as a plug-in would. The file layer and the file dialogs are there for
  // tests that make star files and plug-in hosts of their own in a run.
  [[nodiscard]] PluginHost* plugins() { return plugins_.get(); }
  [[nodiscard]] FileAccess& files() { return files_; }
  [[nodiscard]] FileDialogs& fileDialogs() { return dialogs_; }
  // Saving and opening games as savegame and opengame do, without their dialogs; present from
  // the runtime start to the stop.
  [[nodiscard]] SavedGames* savedGames() { return savedGames_.get(); }

 private:
  // The script layer's view of the runtime: the pump, the Escape key, fatal reports and the
  // system script, record 1 of the boot file through the compiled-script cache.
  class Host final : public ScriptHost {
   public:
    explicit Host(Runtime& runtime) : runtime_(runtime) {}
    void pumpMessages() override { runtime_.windows_.PumpMessages(); }
    bool escapeDown() override { return runtime_.windows_.EscapeDown(); }
    void reportFatal(std::int16_t programCode, std::int16_t errorLine) override {
      runtime_.errors_.ReportError(programCode, errorLine);
    }
    CompiledScript* acquireSystemScript() override;
    void releaseSystemScript(CompiledScript* script) override;
    std::optional<int> sourceLineOf(const CompiledScript& script, int token) override;

   private:
    Runtime& runtime_;
  };

  bool openWindow();
  void Start();
  void WireBuiltins();
  void LoadPalettes();
  void LoadCursors();
  void BootTitle();
  // The stage window, made, sized to the screen and shown.
  void OpenStageWindow();
  void OpenBootFile();
  // Movie mode's run: the movie played, then the quit.
  void PlayMovieMode();
  void LoadPlugins();
  void StartErrorLog();
  void StartCompositor();
  void StartTitleObjects();
  // The saved game the player chooses to save into or to open: its platform path, or nothing
  // when cancelled.
  std::optional<std::string> ChooseSavedGame(bool save);
  // Reveals the composed stage onto the window by a script's visual effect.
  void RevealStage(ScriptEffect effect, int duration);
  ScreenReveal RevealOnScreen(const Surface& picture, const Rect& clip, Point origin,
                              RevealPacing pacing);
  void Stop();
  // Waits until the tick count moves on (palette fades pace themselves with it).
  void WaitNextTick();

  platform::Platform& platform_;
  RuntimeOptions options_;
  MessageTexts texts_;
  LastPlatformError lastError_;
  VolumeMap volumes_;
  Screen screen_;
  // Boxes go to the platform first (the headless backend answers from its input script, the
  // window backend before its window exists); otherwise they are drawn in the window.
  WindowBoxes boxes_;
  FileAccess files_;
  ErrorReporter errors_;
  StampCounter stamps_;
  MemoryStatus memory_;
  StarLibrary library_;
  SoundOutput sound_;
  SoundChannels channels_;
  WindowSystem windows_;
  Graphics graphics_;
  PaletteState palettes_;
  Host host_;
  MessageBoxWindow messageBox_;
  FileDialogs dialogs_;
  ScriptSettings settings_;

  // Made by the runtime start, freed by the runtime stop.
  std::unique_ptr<CompiledScriptCache> scripts_;
  std::unique_ptr<PathSlots> pathSlots_;
  std::unique_ptr<FileLocator> locator_;
  std::unique_ptr<PluginHost> plugins_;
  std::unique_ptr<Compositor> compositor_;
  std::unique_ptr<PuppetScreen> puppetScreen_;
  std::unique_ptr<TitleObjects> objects_;
  // What each group of runtime built-ins works with; it outlives the interpreter it is wired in.
  std::unique_ptr<SavedGames> savedGames_;
  std::unique_ptr<RuntimeBuiltinServices> builtinServices_;
  std::unique_ptr<Interpreter> interpreter_;
  std::unique_ptr<ScriptErrorLog> errorLog_;
  std::unique_ptr<StageWindow> stage_;
  std::unique_ptr<MainLoop> loop_;
  // Movie mode: the movie could not be played.
  bool movieNotPlayed_ = false;
};

// The name of a title folder: its last path element ("games/moss/" gives "moss").
[[nodiscard]] std::string TitleNameOf(const std::filesystem::path& folder);

}  // namespace lw

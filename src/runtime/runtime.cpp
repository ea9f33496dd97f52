#include "runtime/runtime.h"

#include <cstdio>

#include "common/log.h"
#include "resources/program_resources.h"
#include "runtime/error_lines.h"
#include "runtime/movie_player.h"
#include "runtime/saved_game_summary.h"
#include "runtime/saved_game_thumbnail.h"
#include "shell/dialogs/file_dialog_list.h"
#include "shell/dialogs/player_menu.h"
#include "shell/dialogs/saved_game_chooser.h"
#include "shell/drawing/colour_table.h"
#include "shell/drawing/rect_ops.h"

namespace lw {
namespace {

constexpr std::string_view kSystemPaletteName = "CLUT.SYSTEM";
constexpr std::string_view kBlackPaletteName = "CLUT.BLACK";
constexpr std::string_view kArrowCursorName = "CURS.ARROW";
constexpr std::string_view kBootFileName = "bootfile";
constexpr int kBootSlot = 0;
constexpr int kMovieSlot = 1;
// Entry 0 of the movie player's string table: the name its texts and its window caption give
// where the title player gives the title's.
constexpr std::string_view kMoviePlayerName = "Movie Player";
constexpr std::string_view kMovieFolderEnds = "/\\:";
constexpr std::int32_t kSystemScriptRecord = 1;
constexpr int kBitsPerByte = 8;
// The name the save chooser offers first.
constexpr std::string_view kSuggestedSaveName = "SaveGame";

// A colour table of the program's resources, or nothing (reported at `errorLine`).
std::optional<ColourTable> LoadColourTable(std::string_view name, std::int16_t errorLine,
                                           ErrorReporter& errors) {
  if (const auto bytes = FindRawResource(name)) {
    if (auto table = DecodeColourTable16(*bytes)) return *table;
  }
  errors.ReportError(kRuntimeProgramCode, errorLine);
  return std::nullopt;
}

// The name the texts and the window caption give: the title's, or the movie player's own.
std::string RunName(const RuntimeOptions& options) {
  if (options.movie) return std::string(kMoviePlayerName);
  return options.titleName.empty() ? TitleNameOf(options.titleFolder) : options.titleName;
}

// The folder the first file dialog shows: the title folder; in movie mode the current folder,
// where a movie named without a folder is looked for first.
std::filesystem::path FirstDialogFolder(const RuntimeOptions& options) {
  if (!options.movie) return options.titleFolder;
  std::error_code error;
  std::filesystem::path current = std::filesystem::current_path(error);
  return error ? std::filesystem::path(".") : current;
}

}  // namespace

MovieMode SplitMoviePath(std::string_view path) {
  const std::size_t last = path.find_last_of(kMovieFolderEnds);
  const std::size_t nameStart = last == std::string_view::npos ? 0 : last + 1;
  MovieMode movie;
  movie.folder = std::string(path.substr(0, nameStart));
  movie.name = std::string(path.substr(nameStart));
  return movie;
}

std::string TitleNameOf(const std::filesystem::path& folder) {
  std::filesystem::path path = std::filesystem::absolute(folder).lexically_normal();
  if (!path.has_filename()) path = path.parent_path();
  return path.filename().string();
}

CompiledScript* Runtime::Host::acquireSystemScript() {
  StarFile* bootFile = runtime_.stage_ ? runtime_.stage_->bootFile() : nullptr;
  if (bootFile == nullptr || !runtime_.scripts_) return nullptr;
  return runtime_.scripts_->GetCompiledScript(*bootFile, kSystemScriptRecord);
}

void Runtime::Host::releaseSystemScript(CompiledScript* script) {
  if (script != nullptr && runtime_.scripts_) runtime_.scripts_->ReleaseCompiledScript(script);
}

std::optional<int> Runtime::Host::sourceLineOf(const CompiledScript& script, int token) {
  return runtime_.scripts_ ? runtime_.scripts_->sourceLineOf(script, token) : std::nullopt;
}

Runtime::Runtime(platform::Platform& platform, RuntimeOptions options)
    : platform_(platform),
      options_(std::move(options)),
      texts_(RunName(options_)),
      volumes_(options_.titleFolder, platform.system()),
      screen_(platform),
      boxes_(platform, screen_, errors_),
      files_(volumes_, boxes_, texts_, lastError_),
      errors_(boxes_, texts_, lastError_),
      memory_(platform.system()),
      library_(files_, errors_, stamps_, [this] { return memory_.FreeMemory(); }),
      sound_(platform, boxes_, errors_),
      channels_(library_, errors_, sound_),
      windows_(platform, screen_, errors_),
      graphics_(screen_, platform.fonts(), errors_, [this] { return windows_.paused(); }),
      palettes_(screen_, [this] { WaitNextTick(); }),
      host_(*this),
      messageBox_(MessageBoxServices{
          .windows = windows_,
          .screen = screen_,
          .graphics = graphics_,
          .errors = errors_,
          .interpreter = [this] { return interpreter_.get(); },
      }),
      dialogs_(boxes_, errors_, FirstDialogFolder(options_)) {
  for (const auto& [name, root] : options_.volumes) volumes_.addVolume(name, root);
  files_.setMessagePump([this] { windows_.PumpMessages(); });
  // Closing the window while a box is up answers the box and quits, as any close request does.
  boxes_.setCloseHandler([this] { windows_.requestQuit(); });
  windows_.setHooks(WindowSystem::Hooks{
      .adjustCorrection =
          [this](bool raise, bool first, bool second, bool third) {
            palettes_.AdjustCorrection(raise, first, second, third);
          },
      .pauseOthers = [this] { channels_.Pause(); },
      .resumeOthers =
          [this] {
            palettes_.InstallPalette(palettes_.currentPalette());
            channels_.Resume();
          },
      .serviceSound = [this] { channels_.Pump(); },
  });
  windows_.setMessageBoxKeyHandler([this] { messageBox_.toggle(); });
  // F10: the player menu, the title's sound paused while it is up.
  windows_.setPlayerMenuKeyHandler([this] {
    channels_.Pause();
    const PlayerMenuOutcome outcome = PlayerMenu(boxes_).Run();
    channels_.Resume();
    if (outcome == PlayerMenuOutcome::kQuit) windows_.requestQuit();
  });
  // Waiting for a voice to end takes turns of the message pump, which moves the clock that
  // plays the sound.
  channels_.setWaitStep([this] { windows_.PumpMessages(); });
  if (options_.presentTrace) {
    screen_.setPresentListener([this](std::span<const PresentedRect> copied) {
      const std::uint32_t tick = windows_.TickCountNow();
      for (const PresentedRect& r : copied) options_.presentTrace(tick, r);
    });
  }
}

Runtime::~Runtime() = default;

int Runtime::Run() {
  if (!Begin()) return kExitFailure;
  const LoopLimits limits{.endTick = options_.endTick, .inputFinished = options_.inputFinished};
  if (options_.movie) {
    loop_->WithLimits(limits, [this] { PlayMovieMode(); });
  } else {
    loop_->Run(limits);
  }
  return End();
}

bool Runtime::Begin() {
  LW_LOG(kBoot, "title %s in %s", titleName().c_str(), options_.titleFolder.c_str());
  if (!openWindow()) return false;
  Start();
  LW_LOG(kBoot, "runtime started, %zu plug-ins loaded", plugins_->plugins().size());
  if (options_.movie) {
    OpenStageWindow();
    stage_->centre();
  } else {
    BootTitle();
  }
  LW_LOG(kBoot, "title booted, %s",
         stage_->bootFile() != nullptr ? "its boot file open" : "without a boot file");
  windows_.setAppState(AppState::kActive);
  loop_ = std::make_unique<MainLoop>(windows_, *stage_, messageBox_, options_.console);
  return true;
}

// A fatal error tells more than a screenshot that could not be written, so it decides the
// status when both happened; the stop can report one too (a boot file that does not close).
int Runtime::End() {
  if (errorLog_) errorLog_->Flush();
  const bool strictFailure = options_.strict && errorLog_ && errorLog_->reportCount() > 0;
  bool screenshotFailed = false;
  if (options_.screenshotPath) {
    screen_.present();
    if (const auto error = platform_.saveScreenshot(*options_.screenshotPath)) {
      std::fprintf(stderr, "%s: cannot write the screenshot %s\n",
                   options_.movie ? "movieplayer" : "titleplayer", error->c_str());
      screenshotFailed = true;
    }
  }
  Stop();
  if (errors_.reportCount() > 0 || strictFailure) return kExitFatalError;
  return screenshotFailed || movieNotPlayed_ ? kExitFailure : kExitOk;
}

bool Runtime::openWindow() {
  platform::WindowOptions window;
  window.caption = titleName();
  window.fullscreen = options_.fullscreen;
  window.integerScale = options_.integerScale;
  window.iconRgba = ProgramIconRgba();
  return platform_.openWindow(window);
}

// The runtime start, in its order.
void Runtime::Start() {
  channels_.Start();
  if (sound_.isOpen()) {
    LW_LOG(kSound, "device open, driver %s, %d Hz, %d bits, %d channel%s",
           options_.soundDriver ? options_.soundDriver().c_str() : "unnamed",
           sound_.samplesPerSecond(), sound_.bytesPerSample() * kBitsPerByte, sound_.channels(),
           sound_.channels() == 1 ? "" : "s");
  }
  LoadPalettes();
  LoadCursors();
  scripts_ = std::make_unique<CompiledScriptCache>(library_, errors_);
  pathSlots_ = std::make_unique<PathSlots>(
      errors_, options_.movie ? PathSlots::kMovieCount : PathSlots::kCount);
  locator_ = std::make_unique<FileLocator>(*pathSlots_, library_, files_, errors_);
  LoadPlugins();
  StartCompositor();
  StartTitleObjects();
  interpreter_ = std::make_unique<Interpreter>(host_);
  interpreter_->random().seed(options_.seed ? *options_.seed : windows_.TickCount());
  WireBuiltins();
  StartErrorLog();
}

// Hands each group of runtime built-ins the parts of the run it works with, and no others.
void Runtime::WireBuiltins() {
  savedGames_ = std::make_unique<SavedGames>(SavedGameParts{
      .objects = *objects_,
      .library = library_,
      .pathSlots = *pathSlots_,
      .palettes = palettes_,
      .settings = settings_,
      .channels = channels_,
      .errors = errors_,
      .locate = [this](std::string_view name,
                       std::string& path) { return locator_->LocateFile(name, path); },
      .globals = [this]() -> VariableTable& { return interpreter_->globals(); },
      .thumbnail = [this] { return EncodeThumbnail(screen_.canvas(), screen_.palette()); },
      .redrawScreen = [this] { objects_->display().requestScreenRedraw(); },
  });
  builtinServices_ = std::make_unique<RuntimeBuiltinServices>(RuntimeBuiltinServices{
      .input = {.windows = windows_, .stage = [this] { return stage_.get(); }},
      .settings = {.pathSlots = *pathSlots_,
                   .settings = settings_,
                   .memory = memory_,
                   .files = files_,
                   .library = library_,
                   .sound = sound_},
      .message = {.messageBox = messageBox_},
      .plugins = {.plugins = *plugins_},
      .dialogs = {.boxes = boxes_, .graphics = graphics_, .stage = [this] { return stage_.get(); }},
      .palettes = {
          .palettes = palettes_,
          .screen = screen_,
          .stagePalette = [this](ColourTable& out) { return objects_->stage().StagePalette(out); },
          .puppetPalette =
              [this](ColourTable& out) { return objects_->puppet().PuppetPalette(out); }},
      .display = {.motion = objects_->motion(),
                  .settings = settings_,
                  .compositor = *compositor_,
                  .set = objects_->set(),
                  .puppet = objects_->puppet(),
                  .reveal = [this](ScriptEffect effect,
                                   int duration) { RevealStage(effect, duration); }},
      .stage = objects_->stage(),
      .set = objects_->set(),
      .actors = {.table = objects_->actors(),
                 .display = objects_->figureDisplay(),
                 .player = objects_->playerHitBox()},
      .props = {.table = objects_->props(),
                .display = objects_->figureDisplay(),
                .player = objects_->playerHitBox()},
      .motion = objects_->motion(),
      .hitTest = {.stage = objects_->stage(),
                  .set = objects_->set(),
                  .puppet = objects_->puppet(),
                  .actors = objects_->actors(),
                  .props = objects_->props(),
                  .spriteAt =
                      [this](Point p) {
                        const Rect stage = compositor_->stageRect();
                        return compositor_->OwnerAt(PointAt(p.v + stage.top, p.h + stage.left));
                      }},
      .tracks = {.tracks = objects_->tracks(), .channels = channels_},
      .puppet = objects_->puppet(),
      .movie = {.settings = settings_,
                .play = [this](std::string_view name) { return PlayMovie(name); }},
      .savedGames = {.games = *savedGames_,
                     .boxes = boxes_,
                     .puppet = objects_->puppet(),
                     .choose = [this](bool save) { return ChooseSavedGame(save); }},
  });
  WireRuntimeBuiltins(interpreter_->builtins(), *builtinServices_);
}

// The title palettes; the current palette starts as the system palette and is installed, so
// that the window shows through it from the first frame.
void Runtime::LoadPalettes() {
  const auto system = LoadColourTable(kSystemPaletteName, errline::kSystemPalette, errors_);
  const auto black = LoadColourTable(kBlackPaletteName, errline::kBlackPalette, errors_);
  palettes_.setTitlePalettes(system.value_or(ColourTable{}), black.value_or(ColourTable{}));
  palettes_.InstallPalette(palettes_.currentPalette());
}

// Cursor 2002 is the title's cursor from the start; the arrow is what the window shows when
// the mouse leaves the stage window.
void Runtime::LoadCursors() {
  windows_.setArrowCursorImage(FindCursorResource(kArrowCursorName));
  windows_.SetTitleCursor(
      FindCursorResource(NumberedResourceName(kCursorType, kTitleCursorNumber)));
}

void Runtime::BootTitle() {
  OpenStageWindow();
  if (RuntimeWindow* window = windows_.CreateMessagesWindow()) {
    messageBox_.attach(*window);
    if (options_.showMessageBox) messageBox_.show();
  }
  stage_->centre();
  OpenBootFile();
}

void Runtime::OpenStageWindow() {
  stage_ = std::make_unique<StageWindow>(StageServices{
      .windows = windows_,
      .screen = screen_,
      .graphics = graphics_,
      .interpreter = *interpreter_,
      .host = host_,
      .scripts = *scripts_,
      .library = library_,
      .errors = errors_,
      .compositor = *compositor_,
      .trace = options_.trace,
  });
  const Rect screen = screen_.rect();
  if (RuntimeWindow* window = windows_.CreateRuntimeWindow(titleName())) {
    stage_->attach(*window);
    stage_->handle(WindowMessage(window_message::kSetBounds, screen));
    windows_.ShowRuntimeWindow(*window);
  }
}

// No script is there to hear anything, so a key still queued when the movie ends is discarded
// with the rest of the queue, and the run ends at once rather than waiting for input.
void Runtime::PlayMovieMode() {
  MovieMode movie = *options_.movie;
  if (movie.name.empty()) {
    std::string fullPath;
    std::string name;
    if (dialogs_.OpenFileDialog(fullPath, name, file_type::kMovie) == 0) return;
    MovieMode chosen = SplitMoviePath(fullPath);
    movie.folder = std::move(chosen.folder);
    movie.name = std::move(chosen.name);
  }
  const RuntimeWindow* window = windows_.mainWindow();
  if (window == nullptr) return;
  pathSlots_->set(kMovieSlot, movie.folder);
  LW_LOG(kBoot, "movie %s in '%s'", movie.name.c_str(), movie.folder.c_str());
  if (const ScriptError played = PlayMovie(movie.name); played != ScriptError::None) {
    movieNotPlayed_ = true;
    if (movie.notPlayed) movie.notPlayed(movie.folder + movie.name, played);
  }
  windows_.FlushEvents();
  windows_.requestQuit();
}

// The boot file is path slot 0 followed by "bootfile". A missing one is reported once (its
// own text names the boot file); one that is no sound star file is reported with the star
// layer's code, which names the fault (106 a wrong version, 101 a damaged header). Either way
// the title then runs without a system script.
void Runtime::OpenBootFile() {
  errors_.setBootFileLine(errline::kBootFileOpen);
  const std::string path = pathSlots_->get(kBootSlot) + std::string(kBootFileName);
  if (Failed(files_.FileExists(path))) {
    errors_.ReportError(kRuntimeProgramCode, errline::kBootFileOpen);
    return;
  }
  StarFile* file = nullptr;
  if (const ProgramCode opened = library_.StarOpen(path, file); Failed(opened)) {
    errors_.ReportError(CodeNumber(opened), errline::kBootFileStarOpen);
    return;
  }
  stage_->setBootFile(file);
}

// The runtime stop, in its order.
void Runtime::Stop() {
  if (!stage_) return;  // never started
  objects_->ShutDown();
  if (sound_.isOpen()) {
    LW_LOG(kSound, "device closed, %.1f s played, %llu underruns", sound_.secondsPlayed(),
           static_cast<unsigned long long>(sound_.underruns()));
  }
  channels_.Shutdown();
  const WindowMessage close(window_message::kClose);
  if (const RuntimeWindow* window = messageBox_.window()) {
    SendWindowMessage(*stage_, messageBox_, window->record, close);
  }
  if (const RuntimeWindow* window = stage_->window()) {
    SendWindowMessage(*stage_, messageBox_, window->record, close);
  }
  loop_.reset();
  stage_.reset();
  locator_.reset();
  pathSlots_.reset();
  plugins_->CloseAll();
  plugins_.reset();
  interpreter_.reset();
  errorLog_.reset();
  builtinServices_.reset();
  savedGames_.reset();
  objects_.reset();
  puppetScreen_.reset();
  compositor_.reset();
  scripts_.reset();
}

// The plug-ins of path slot 0's plug-in folder; the open calls come before the interpreter
// exists, so a plug-in cannot run script lines while it opens.
void Runtime::LoadPlugins() {
  plugins_ = std::make_unique<PluginHost>(PluginHostParts{
      .load = [this](const std::string& path) { return platform_.loadLibrary(path); },
      .files = files_,
      .errors = errors_,
      .services =
          PluginServiceContext{
              .memory = memory_,
              .errors = errors_,
              .dialogs = dialogs_,
              .interpreter = [this] { return interpreter_.get(); },
          },
  });
  // The movie player has no plug-ins: no script is there to call them.
  if (!options_.movie) plugins_->LoadAll(pathSlots_->get(kBootSlot) + std::string(kPluginFolder));
}

void Runtime::WaitNextTick() { windows_.WaitNextTick(); }

// Frames are paced by the window system's ticks, whose waits keep the messages flowing. The
// message box lies over the frame, so it is drawn again wherever a frame covered it; then the
// frame is presented at once, at the tick it was paced to, rather than at the next pump.
void Runtime::StartCompositor() {
  compositor_ = std::make_unique<Compositor>(CompositorParts{
      .window = screen_,
      .library = library_,
      .errors = errors_,
      .clock = {.tickCount = [this] { return windows_.TickCount(); },
                .waitNextTick = [this] { windows_.WaitNextTick(); }},
  });
  compositor_->setCopiedHook([this](std::span<const Rect> copied) {
    messageBox_.RedrawWhereCovered(copied);
    screen_.present();
  });
}

// A reveal onto the window; the message box draws itself again over what each step changed.
ScreenReveal Runtime::RevealOnScreen(const Surface& picture, const Rect& clip, Point origin,
                                     RevealPacing pacing) {
  return ScreenReveal(ScreenRevealParts{
      .picture = picture,
      .screen = screen_,
      .windows = windows_,
      .clip = clip,
      .origin = origin,
      .pacing = pacing,
      .shown = [this](std::span<const Rect> shown) { messageBox_.RedrawWhereCovered(shown); },
  });
}

// The pieces stay inside the frame's picture rectangle too: a scroll's strips grow past it by up
// to n pixels, and what they would leave there is the picture shifted, which the closing reveal
// of the picture rectangle would not cover again.
bool Runtime::ShowMovieFrame(const Surface& picture, const Rect& movie, Point origin,
                             const FrameTransition& transition, TransitionPalette& palette) {
  Rect clip;
  SectRect(movie, transition.picture, clip);
  ScreenReveal reveal = RevealOnScreen(picture, clip, origin, RevealPacing::kTicks);
  if (transition.picture.empty()) {
    return RunPaletteOnlyFrame(transition.kind, transition.steps, reveal, palette);
  }
  const RandomBelow random = [this](std::uint32_t count) { return RandomBelowCount(count); };
  return RunFrameTransition(transition, reveal, palette, random);
}

std::uint32_t Runtime::RandomBelowCount(std::uint32_t count) {
  return static_cast<std::uint32_t>(std::uint64_t{interpreter_->random().next()} * count >> 31);
}

ScriptError Runtime::PlayMovie(std::string_view name) {
  MoviePlayer player(MovieServices{
      .windows = windows_,
      .library = library_,
      .errors = errors_,
      .locator = *locator_,
      .channels = channels_,
      .sound = sound_,
      .palettes = palettes_,
      .screen = screen_,
      .show =
          [this](const Surface& picture, const Rect& movie, Point origin,
                 const FrameTransition& transition, TransitionPalette& palette) {
            return ShowMovieFrame(picture, movie, origin, transition, palette);
          },
      .status = settings_.movieStatus,
  });
  return player.PlayMovie(name, *windows_.mainWindow());
}

// The puppet's random numbers are the interpreter's, as the scripts' are.
void Runtime::StartTitleObjects() {
  puppetScreen_ = std::make_unique<PuppetScreen>(PuppetScreenParts{
      .compositor = *compositor_,
      .windows = windows_,
      .graphics = graphics_,
      .sound = sound_,
      .palettes = palettes_,
      .stage = [this] { return stage_.get(); },
      .random = [this](std::uint32_t below) { return RandomBelowCount(below); },
  });
  objects_ = std::make_unique<TitleObjects>(TitleObjectParts{
      .library = library_,
      .scripts = *scripts_,
      .errors = errors_,
      .compositor = *compositor_,
      .channels = channels_,
      .puppetHost = *puppetScreen_,
      .locate = [this](std::string_view name,
                       std::string& path) { return locator_->LocateFile(name, path); },
  });
}

// The title's saves folder (the title folder when it cannot be made), listed with each game's
// identity, date and thumbnail.
std::optional<std::string> Runtime::ChooseSavedGame(bool save) {
  auto saves = SavedGamesFolder(titleName());
  if (!saves) LW_LOG(kFiles, "no saves folder: %s", saves.error().c_str());
  const std::filesystem::path folder = saves ? *saves : options_.titleFolder;
  const SavedGameList games = [&] { return ListSavedGames(files_, folder); };
  SavedGameChooser chooser(boxes_);
  const std::optional<std::filesystem::path> chosen =
      save ? chooser.ChooseToSave(folder, games, kSuggestedSaveName)
           : chooser.ChooseToOpen(folder, games);
  if (!chosen) return std::nullopt;
  return chosen->string();
}

// The effect covers the stage; what lies around it was composed as it always is.
void Runtime::RevealStage(ScriptEffect effect, int duration) {
  ScreenReveal reveal = RevealOnScreen(compositor_->screenBuffer(), compositor_->stageRect(), {},
                                       RevealPacing::kMilliseconds);
  RunScriptEffect(effect, compositor_->stageRect(), duration, reveal);
}

// The title never hears of its script errors; the log tells the author, on standard error (or
// the run's own sink), in the trace and on the message box's output line. A line typed into the
// message box that fails shows its outcome there, and is not logged. Its clock reads the
// platform without pumping messages, so a report changes nothing in the run's timing.
void Runtime::StartErrorLog() {
  const auto toStandardError = [](std::string_view line) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  };
  errorLog_ = std::make_unique<ScriptErrorLog>(ScriptErrorSinks{
      .titleName = titleName(),
      .milliseconds = [this] { return platform_.milliseconds(); },
      .print = options_.errorOutput ? options_.errorOutput : toStandardError,
      .trace = options_.trace,
      .showMessage = [this](std::string_view text) { messageBox_.setOutput(text); },
  });
  interpreter_->setErrorListener([this](const ScriptErrorReport& report) {
    if (IsMessageBoxReport(report)) return;  // the box shows its lines' outcomes itself
    errorLog_->Report(report);
    if (options_.strict) windows_.requestQuit();
  });
}

}  // namespace lw

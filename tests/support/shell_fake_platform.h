// A platform for the shell's tests: messages come from a queue the test fills, the clock moves
// one millisecond each time the queue is found empty, presents and beeps are counted, and
// boxes take a scripted answer. Text renders as solid boxes, one per character, so that
// drawing tests can predict every pixel. Sound goes to a fake stream that keeps every buffer
// queued to it and finishes them only when the test says so.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace lw::testing {

class BlockFonts final : public platform::FontRenderer {
 public:
  // Each character is a box `pixelHeight` / 2 wide (at least 1) and `pixelHeight` high, with
  // the baseline at the bottom; a space is empty.
  platform::TextImage render(platform::Face /*face*/, int pixelHeight,
                             std::string_view text) override {
    platform::TextImage image;
    const int glyph = pixelHeight / 2 > 0 ? pixelHeight / 2 : 1;
    image.width = glyph * static_cast<int>(text.size());
    image.height = pixelHeight;
    image.ascent = pixelHeight;
    image.advance = image.width;
    image.coverage.assign(static_cast<std::size_t>(image.width * image.height), 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == ' ') continue;
      for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < glyph; ++x)
          image.coverage[static_cast<std::size_t>(y * image.width) + i * glyph + x] = 255;
    }
    return image;
  }
  int width(platform::Face face, int pixelHeight, std::string_view text) override {
    return render(face, pixelHeight, text).advance;
  }
};

// An audio stream that plays nothing: it keeps the samples of every buffer queued, in order, and
// the buffers not yet finished; a test finishes them (from any thread). Its calls are logged as
// words ("pause queue0 resume"), the queue's tag after "queue".
class FakeAudioStream final : public platform::AudioStream {
 public:
  explicit FakeAudioStream(Finished finished) : finished_(std::move(finished)) {}

  bool queue(std::span<const std::uint8_t> samples, int tag) override;
  void pause() override { Log("pause"); }
  void resume() override { Log("resume"); }
  void reset() override;
  void setLevel(int level) override { level_ = level; }
  [[nodiscard]] int level() const override { return level_; }
  [[nodiscard]] std::uint64_t underruns() const override { return 0; }

  // Tells the owner that the oldest unfinished buffer played out; false when none is left.
  bool finishOldest();
  [[nodiscard]] std::size_t unfinished();
  // Everything queued so far, and the calls made, separated by spaces.
  [[nodiscard]] std::vector<std::uint8_t> written();
  [[nodiscard]] std::string log();

  bool refuse = false;  // queue fails

 private:
  void Log(std::string_view word);

  Finished finished_;
  std::mutex mutex_;
  std::deque<int> tags_;
  std::vector<std::uint8_t> written_;
  std::string log_;
  int level_ = 9;
};

class FakePlatform final : public platform::Platform {
 public:
  std::uint32_t milliseconds() override { return now; }
  bool openWindow(const platform::WindowOptions& options) override {
    open = true;
    caption = options.caption;
    return true;
  }
  bool windowOpen() const override { return open; }
  void setCaption(std::string_view text) override { caption = std::string(text); }
  void minimiseWindow() override { minimised = true; }
  void restoreWindow() override { minimised = false; }
  bool pollMessage(platform::Message& out) override {
    if (messages.empty()) {
      ++now;
      return false;
    }
    out = messages.front();
    messages.pop_front();
    return true;
  }
  void waitMessage(platform::Message& out) override {
    if (messages.empty()) {
      // Nothing will ever come: close, as a player would.
      out = platform::Message{};
      out.kind = platform::MessageKind::kCloseRequest;
      return;
    }
    pollMessage(out);
  }
  bool buttonDown() override { return button; }
  Point mousePosition() override { return mouse; }
  bool keyDown(platform::Key /*key*/) override { return false; }
  platform::Modifiers modifiers() override { return {}; }
  void setPalette(const Palette& p) override {
    palette = p;
    ++paletteChanges;
  }
  void present(const std::uint8_t* canvas, int rowBytes, std::span<const Rect> dirty) override {
    ++presents;
    lastDirty.assign(dirty.begin(), dirty.end());
    shown.assign(canvas, canvas + static_cast<std::size_t>(rowBytes) * platform::kCanvasHeight);
  }
  std::optional<std::string> saveScreenshot(const std::string& path) override {
    return path + ": the fake platform keeps no canvas";
  }
  void setCursor(const platform::CursorImage* c) override { cursor = c; }
  void showCursor(bool visible) override { cursorShown = visible; }
  void beep() override { ++beeps; }
  std::optional<BoxAnswer> answerBox(const BoxRequest& request) override {
    boxes.push_back(request);
    return boxAnswer;
  }
  std::optional<std::string> answerFileDialog(const platform::FileDialogRequest&) override {
    return fileAnswer;
  }
  platform::FontRenderer& fonts() override { return blockFonts; }
  const platform::SystemInfo& system() override { return noSystem; }
  std::unique_ptr<platform::SharedLibrary> loadLibrary(const std::string&) override {
    return nullptr;
  }
  // Gives a FakeAudioStream (kept in `audio` while its owner holds it), or refuses the next
  // `refuseAudio` opens with `audioError`.
  std::unique_ptr<platform::AudioStream> openAudio(const platform::AudioFormat& format,
                                                   platform::AudioStream::Finished finished,
                                                   std::string& error) override;

  // Queues a key press (down and up) of a character.
  void pressKey(std::uint8_t character, platform::Key key = platform::Key::kCharacter,
                platform::Modifiers modifiers = {});
  // Queues key presses for each word of `script`: a word of one character types it ("a",
  // "\x8E") and one after an apostrophe types its characters ("'name"); "space", "tab", "ret",
  // "esc", "bs", "del", "left", "right", "up", "down", "f1" to "f12" and "other" press those
  // keys; "ctrl+" and "shift+" before a word hold the modifier; "down*3" presses three times.
  void keys(std::string_view script);
  // Queues a key press for each character of `text`.
  void type(std::string_view text) {
    for (const char c : text) pressKey(static_cast<std::uint8_t>(c));
  }
  // Queues a left click (down and up) at a screen point.
  void click(Point where, platform::Modifiers modifiers = {});
  // Queues one mouse message.
  void mouseMessage(platform::MessageKind kind, Point where);

  std::uint32_t now = 0;
  bool open = false;
  bool minimised = false;
  std::string caption;
  std::deque<platform::Message> messages;
  bool button = false;
  Point mouse;
  Palette palette{};
  int paletteChanges = 0;
  int presents = 0;
  std::vector<Rect> lastDirty;
  std::vector<std::uint8_t> shown;
  const platform::CursorImage* cursor = nullptr;
  bool cursorShown = true;
  int beeps = 0;
  std::vector<BoxRequest> boxes;
  std::optional<BoxAnswer> boxAnswer = BoxAnswer::kOk;
  std::optional<std::string> fileAnswer;
  BlockFonts blockFonts;
  platform::EmptySystemInfo noSystem;
  std::vector<platform::AudioFormat> audioOpens;  // every format asked for, refused ones too
  int refuseAudio = 0;
  std::string audioError = "no device here";
  FakeAudioStream* audio = nullptr;
};

}  // namespace lw::testing

// The runtime's two text faces over SDL2_ttf, shared by both backends so that a headless
// screenshot shows the same letters as the window.
//
// "Arial" is Liberation Sans Bold. The title's display face is its own font file in the title
// folder when there is one, else Liberation Mono. A face whose file cannot be opened falls back
// to the other face's files; with none left the text renders as nothing (width 0), which is said
// once on standard error.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace lw::platform {

// The font files of each face, in the order they are tried.
struct FontFiles {
  std::vector<std::string> arial;
  std::vector<std::string> titleFace;
};

// The title's display-face file in `folder`: the first *.ttf or *.otf file, in sorted name
// order, whose name starts with "orrindigital" when case, spaces, '-' and '_' are ignored.
// Empty when there is none (or the folder cannot be read).
[[nodiscard]] std::string FindTitleFaceFile(const std::string& folder);

// The files the faces use for a title folder (empty folder: the system faces only). Each face
// lists its own files first and the other face's after them, as its fallback.
[[nodiscard]] FontFiles DefaultFontFiles(const std::string& titleFolder);

class TtfFontRenderer final : public FontRenderer {
 public:
  explicit TtfFontRenderer(const std::string& titleFolder = {});
  explicit TtfFontRenderer(FontFiles files);
  ~TtfFontRenderer() override;
  TtfFontRenderer(const TtfFontRenderer&) = delete;
  TtfFontRenderer& operator=(const TtfFontRenderer&) = delete;

  // `pixelHeight` is the character height (the em), clamped to 1..255. Empty text gives an
  // image of zero size.
  TextImage render(Face face, int pixelHeight, std::string_view text) override;
  int width(Face face, int pixelHeight, std::string_view text) override;

 private:
  class Cache;
  std::unique_ptr<Cache> cache_;
};

}  // namespace lw::platform

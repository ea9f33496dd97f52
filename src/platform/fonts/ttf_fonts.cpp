#include "platform/fonts/ttf_fonts.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <utility>

#include "common/log.h"
#include "common/mac_roman.h"

namespace lw::platform {
namespace {

constexpr const char* kSansBoldFile =
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf";
constexpr const char* kMonoFile = "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf";
constexpr std::string_view kTitleFacePrefix = "orrindigital";
constexpr int kSmallestSize = 1;
constexpr int kLargestSize = 255;
// Text is rendered in opaque white; only the alpha (the coverage) is kept.
constexpr SDL_Color kInk{0xFF, 0xFF, 0xFF, 0xFF};
constexpr int kAlphaShift = 24;  // the alpha byte of an ARGB8888 pixel

struct FontCloser {
  void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
using FontHandle = std::unique_ptr<TTF_Font, FontCloser>;

struct SurfaceFreer {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfaceHandle = std::unique_ptr<SDL_Surface, SurfaceFreer>;

// A file name with case, spaces, '-' and '_' dropped, for matching the title's face file.
std::string Folded(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (c == ' ' || c == '-' || c == '_') continue;
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return out;
}

bool IsFontFileName(const std::filesystem::path& path) {
  const std::string extension = Folded(path.extension().string());
  return extension == ".ttf" || extension == ".otf";
}

const char* FaceName(Face face) { return face == Face::kArial ? "Arial" : "title"; }

// The alpha of each pixel of an ARGB8888 surface, row by row.
std::vector<std::uint8_t> CoverageOf(SDL_Surface& surface) {
  std::vector<std::uint8_t> coverage(static_cast<std::size_t>(surface.w) * surface.h);
  if (SDL_LockSurface(&surface) != 0) return coverage;
  const auto* bytes = static_cast<const std::uint8_t*>(surface.pixels);
  for (int y = 0; y < surface.h; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(bytes + y * surface.pitch);
    for (int x = 0; x < surface.w; ++x) {
      coverage[static_cast<std::size_t>(y) * surface.w + x] =
          static_cast<std::uint8_t>(row[x] >> kAlphaShift);
    }
  }
  SDL_UnlockSurface(&surface);
  return coverage;
}

}  // namespace

std::string FindTitleFaceFile(const std::string& folder) {
  if (folder.empty()) return {};
  std::error_code error;
  std::vector<std::filesystem::path> candidates;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::filesystem::path& path = it->path();
    if (!IsFontFileName(path) || !it->is_regular_file(error)) continue;
    if (Folded(path.filename().string()).starts_with(kTitleFacePrefix)) {
      candidates.push_back(path);
    }
  }
  if (candidates.empty()) return {};
  return std::min_element(candidates.begin(), candidates.end(),
                          [](const auto& a, const auto& b) {
                            return a.filename().string() < b.filename().string();
                          })
      ->string();
}

FontFiles DefaultFontFiles(const std::string& titleFolder) {
  FontFiles files;
  const std::string titleFile = FindTitleFaceFile(titleFolder);
  if (!titleFile.empty()) files.titleFace.push_back(titleFile);
  files.titleFace.insert(files.titleFace.end(), {kMonoFile, kSansBoldFile});
  files.arial = {kSansBoldFile, kMonoFile};
  return files;
}

// The fonts opened so far, one per face and size, and the files that would not open.
class TtfFontRenderer::Cache {
 public:
  explicit Cache(FontFiles files) : files_(std::move(files)) {
    ready_ = TTF_Init() == 0;
    if (!ready_) LW_LOG(kBoot, "fonts: cannot start the font engine: %s", TTF_GetError());
  }
  ~Cache() {
    fonts_.clear();  // every font closes before the engine stops
    if (ready_) TTF_Quit();
  }
  Cache(const Cache&) = delete;
  Cache& operator=(const Cache&) = delete;

  // The face at a size (already clamped), opened on first use; null when no file opens.
  TTF_Font* font(Face face, int size) {
    const auto key = std::make_pair(face, size);
    auto found = fonts_.find(key);
    if (found == fonts_.end()) found = fonts_.emplace(key, open(face, size)).first;
    return found->second.get();
  }

 private:
  FontHandle open(Face face, int size) {
    if (!ready_) return nullptr;
    for (const std::string& file : face == Face::kArial ? files_.arial : files_.titleFace) {
      if (broken_.contains(file)) continue;
      // 72 dots per inch, so the point size is the character height in pixels.
      if (FontHandle font{TTF_OpenFont(file.c_str(), size)}) return font;
      LW_LOG(kFiles, "fonts: cannot open %s (%s); trying the next font", file.c_str(),
             TTF_GetError());
      broken_.insert(file);
    }
    if (!saidNone_) {
      LW_LOG(kFiles, "fonts: no font file opens for the %s face; its text is not drawn",
             FaceName(face));
      saidNone_ = true;
    }
    return nullptr;
  }

  FontFiles files_;
  bool ready_ = false;
  bool saidNone_ = false;
  std::map<std::pair<Face, int>, FontHandle> fonts_;  // null: no file opened for it
  std::set<std::string> broken_;
};

TtfFontRenderer::TtfFontRenderer(const std::string& titleFolder)
    : TtfFontRenderer(DefaultFontFiles(titleFolder)) {}

TtfFontRenderer::TtfFontRenderer(FontFiles files)
    : cache_(std::make_unique<Cache>(std::move(files))) {}

TtfFontRenderer::~TtfFontRenderer() = default;

TextImage TtfFontRenderer::render(Face face, int pixelHeight, std::string_view text) {
  TextImage image;
  if (text.empty()) return image;
  TTF_Font* font = cache_->font(face, std::clamp(pixelHeight, kSmallestSize, kLargestSize));
  if (font == nullptr) return image;
  const std::string utf8 = MacRomanToUtf8(text);
  int advance = 0;
  if (TTF_SizeUTF8(font, utf8.c_str(), &advance, nullptr) != 0) return image;
  image.advance = advance;
  image.ascent = TTF_FontAscent(font);
  SurfaceHandle rendered{TTF_RenderUTF8_Blended(font, utf8.c_str(), kInk)};
  if (!rendered) return image;  // nothing visible (a text that starts with a zero byte)
  if (rendered->format->format != SDL_PIXELFORMAT_ARGB8888) {
    rendered.reset(SDL_ConvertSurfaceFormat(rendered.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!rendered) return image;
  }
  image.width = rendered->w;
  image.height = rendered->h;
  image.coverage = CoverageOf(*rendered);
  return image;
}

int TtfFontRenderer::width(Face face, int pixelHeight, std::string_view text) {
  if (text.empty()) return 0;
  TTF_Font* font = cache_->font(face, std::clamp(pixelHeight, kSmallestSize, kLargestSize));
  if (font == nullptr) return 0;
  int advance = 0;
  if (TTF_SizeUTF8(font, MacRomanToUtf8(text).c_str(), &advance, nullptr) != 0) return 0;
  return advance;
}

}  // namespace lw::platform

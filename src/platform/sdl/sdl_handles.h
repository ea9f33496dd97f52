// SDL objects owned through std::unique_ptr, each freed by its own SDL function.
#pragma once

#include <SDL.h>

#include <memory>

namespace lw::platform {

struct SdlWindowDestroyer {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct SdlRendererDestroyer {
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct SdlTextureDestroyer {
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};
struct SdlSurfaceFreer {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

using SdlWindowHandle = std::unique_ptr<SDL_Window, SdlWindowDestroyer>;
using SdlRendererHandle = std::unique_ptr<SDL_Renderer, SdlRendererDestroyer>;
using SdlTextureHandle = std::unique_ptr<SDL_Texture, SdlTextureDestroyer>;
using SdlSurfaceHandle = std::unique_ptr<SDL_Surface, SdlSurfaceFreer>;

}  // namespace lw::platform

// The peer: the menu's picture as a typical SDL2 launcher shows it, through
// SDL's renderer with its default settings, redrawn whole when the button
// under the pointer changes. Same artwork and decoder as zol. It names its
// renderer on stdout and runs until SDL_QUIT (SIGTERM).
// Usage: zol_peer_sdl [DPI], for a window of zol's size at that DPI.

#include <SDL.h>

#include <cstdio>
#include <vector>

#include "bench/scene.h"
#include "host/image.h"

namespace {

SDL_Texture* texture(SDL_Renderer* renderer, const zol::Image& image) {
  SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STATIC,
                                     image.width, image.height);
  SDL_UpdateTexture(t, nullptr, image.pixels.data(), image.width * 4);
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  const bench::Look look = bench::cut_look(bench::dpi_argument(argc, argv));
  SDL_Window* window = SDL_CreateWindow("Orvenna", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        look.background.width, look.background.height,
                                        SDL_WINDOW_BORDERLESS);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  if (!renderer) return 1;
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer, &info);
  std::printf("renderer: %s\n", info.name);
  std::fflush(stdout);

  SDL_Texture* background = texture(renderer, look.background);
  std::vector<SDL_Texture*> lit;
  for (const zol::Image& image : look.lit) lit.push_back(texture(renderer, image));
  std::vector<SDL_Rect> buttons;
  for (const zol::DeviceRect& b : look.buttons) buttons.push_back({b.x, b.y, b.w, b.h});

  int lit_now = -1;
  bool dirty = true;
  for (;;) {
    if (dirty) {
      SDL_RenderClear(renderer);
      SDL_RenderCopy(renderer, background, nullptr, nullptr);
      if (lit_now >= 0) {
        SDL_RenderCopy(renderer, lit[lit_now], nullptr, &buttons[lit_now]);
      }
      SDL_RenderPresent(renderer);
      dirty = false;
    }
    SDL_Event event;
    if (!SDL_WaitEvent(&event) || event.type == SDL_QUIT) break;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
      dirty = true;
    } else if (event.type == SDL_MOUSEMOTION) {
      int over = -1;
      const SDL_Point p{event.motion.x, event.motion.y};
      for (size_t i = 0; i < buttons.size(); ++i)
        if (SDL_PointInRect(&p, &buttons[i])) over = static_cast<int>(i);
      if (over != lit_now) {
        lit_now = over;
        dirty = true;
      }
    }
  }
  SDL_Quit();
  return 0;
}

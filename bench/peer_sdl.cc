// The peer: the menu's picture as a typical SDL2 launcher shows it, through
// SDL's renderer with its default settings, redrawn whole when the button
// under the pointer changes. Same artwork and decoder as zol. It names its
// renderer on stdout and runs until SDL_QUIT (SIGTERM).

#include <SDL.h>

#include <cstdio>
#include <vector>

#include "art/art.h"
#include "bench/scene.h"
#include "host/image.h"

namespace {

using bench::Button, bench::kButtons, bench::kWidth, bench::kHeight, bench::kButtonWidth,
    bench::kButtonHeight;

SDL_Texture* texture(SDL_Renderer* renderer, const zol::Image& image) {
  SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STATIC,
                                     image.width, image.height);
  SDL_UpdateTexture(t, nullptr, image.pixels.data(), image.width * 4);
  return t;
}

}  // namespace

int main(int, char**) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* window = SDL_CreateWindow("Orvenna", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        kWidth, kHeight, SDL_WINDOW_BORDERLESS);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  if (!renderer) return 1;
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer, &info);
  std::printf("renderer: %s\n", info.name);
  std::fflush(stdout);

  SDL_Texture* background = texture(
      renderer,
      zol::decode_bmp(zol::art::background.bytes, zol::art::background.file, kWidth, kHeight));
  std::vector<SDL_Texture*> lit;
  for (const Button& b : kButtons)
    lit.push_back(
        texture(renderer, zol::decode_bmp(b.lit.bytes, b.lit.file, kButtonWidth, kButtonHeight)));

  int lit_now = -1;
  bool dirty = true;
  for (;;) {
    if (dirty) {
      SDL_RenderClear(renderer);
      SDL_RenderCopy(renderer, background, nullptr, nullptr);
      if (lit_now >= 0) {
        const SDL_Rect at{kButtons[lit_now].x, kButtons[lit_now].y, kButtonWidth, kButtonHeight};
        SDL_RenderCopy(renderer, lit[lit_now], nullptr, &at);
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
      for (int i = 0; i < 4; ++i) {
        const SDL_Rect r{kButtons[i].x, kButtons[i].y, kButtonWidth, kButtonHeight};
        const SDL_Point p{event.motion.x, event.motion.y};
        if (SDL_PointInRect(&p, &r)) over = i;
      }
      if (over != lit_now) {
        lit_now = over;
        dirty = true;
      }
    }
  }
  SDL_Quit();
  return 0;
}

// The anchor of the start-up benchmark: a bare program of the display library that opens a
// window of the work area's size and presents one filled frame, then prints the monotonic clock
// (seconds) at which that frame was presented. Like the client it presents through the display's
// own framebuffer: a texture framebuffer would load a GL driver and make the anchor slow.
#include <SDL.h>

#include <cstdio>
#include <ctime>

int main(int, char**)
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Rect area{0, 0, 1280, 800};
    SDL_GetDisplayUsableBounds(0, &area);
    SDL_Window* window = SDL_CreateWindow("bare", area.x, area.y, area.w, area.h, SDL_WINDOW_BORDERLESS);
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface)
        return 1;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0x20, 0x60, 0x30));
    SDL_UpdateWindowSurface(window);
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::printf("%.6f\n", double(ts.tv_sec) + double(ts.tv_nsec) / 1e9);
    std::fflush(stdout);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}

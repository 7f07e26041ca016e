// SDL's subsystem starts and stops, one at a time.
#include "platform/sdl/SdlSubsystems.h"

#include <SDL.h>

#include <mutex>

namespace platform::sdl {
namespace {

std::mutex g_mutex;

} // namespace

bool StartSubsystems(uint32_t subsystems)
{
    std::lock_guard lock(g_mutex);
    return SDL_InitSubSystem(subsystems) == 0;
}

void StopSubsystems(uint32_t subsystems, bool endLibrary)
{
    std::lock_guard lock(g_mutex);
    SDL_QuitSubSystem(subsystems);
    if (endLibrary && SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit();
}

} // namespace platform::sdl

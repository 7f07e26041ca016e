// SDL's subsystem starts and stops, one at a time.
#include "platform/sdl/SdlSubsystems.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <mutex>

namespace platform::sdl {
namespace {

std::mutex g_mutex;

// Another thread wakes the windows' thread by a message sent to one of its windows; the window
// may be gone by the time the server reads it (the destroy came first over the other
// connection). The display library's own handler would end the program for that refusal.
XErrorHandler g_nextXErrorHandler = nullptr;

int ForgiveMessagesToVanishedWindows(Display* display, XErrorEvent* error)
{
    if (error->error_code == BadWindow && error->request_code == X_SendEvent)
        return 0;
    return g_nextXErrorHandler ? g_nextXErrorHandler(display, error) : 0;
}

} // namespace

bool StartSubsystems(uint32_t subsystems)
{
    std::lock_guard lock(g_mutex);
    // Before the video driver's first start, so that the driver's own handler, which it restores
    // when it stops, passes the others on to this one.
    static std::once_flag handlerSet;
    if (subsystems & SDL_INIT_VIDEO)
        std::call_once(handlerSet, [] { g_nextXErrorHandler = XSetErrorHandler(ForgiveMessagesToVanishedWindows); });
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

#pragma once
// Starting and stopping SDL's subsystems from any thread. SDL keeps a plain count per subsystem
// and starts or stops its drivers without a lock of its own, so two threads that start or stop
// at once (the screen question on the communication thread while the UI thread opens its
// windows) may double-start a driver or stop it under the other. Every start and stop in
// platform/ goes through these two, under one lock. A subsystem started here stays up until the
// same caller stops it, whatever other threads do; what runs between is the caller's.
#include <cstdint>

namespace platform::sdl {

// SDL_InitSubSystem of `subsystems` (SDL_INIT_* bits); false when SDL refused.
bool StartSubsystems(uint32_t subsystems);
// SDL_QuitSubSystem of `subsystems`. With `endLibrary`, when nothing is left running the
// library's own leftovers (hints, the bus connection) go too: only the owners of the windows and
// of the sound ask for it, since hints set for a start on another thread would go with them.
void StopSubsystems(uint32_t subsystems, bool endLibrary = false);

} // namespace platform::sdl

#pragma once
// Translation of the display library's key codes to the virtual key codes the program uses.
#include <SDL.h>

#include <cstdint>

namespace platform::sdl {

struct VirtualKey {
    uint32_t vk = 0;  // 0: a key the program has no code for
    bool extended = false;
};

VirtualKey ToVirtualKey(SDL_Keycode key, SDL_Scancode scan);

} // namespace platform::sdl

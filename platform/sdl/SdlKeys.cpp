#include "platform/sdl/SdlKeys.h"

#include "platform/WindowTypes.h"

namespace platform::sdl {

VirtualKey ToVirtualKey(SDL_Keycode key, SDL_Scancode scan)
{
    if (key >= 'a' && key <= 'z')
        return {static_cast<uint32_t>(key - 'a' + 'A')};
    if (key >= '0' && key <= '9')
        return {static_cast<uint32_t>(key)};
    if (scan >= SDL_SCANCODE_A && scan <= SDL_SCANCODE_Z)
        return {static_cast<uint32_t>(vk::kA + (scan - SDL_SCANCODE_A))};
    if (scan >= SDL_SCANCODE_1 && scan <= SDL_SCANCODE_9)
        return {static_cast<uint32_t>('1' + (scan - SDL_SCANCODE_1))};
    if (scan == SDL_SCANCODE_0)
        return {'0'};
    if (scan >= SDL_SCANCODE_F1 && scan <= SDL_SCANCODE_F12)
        return {static_cast<uint32_t>(vk::kF1 + (scan - SDL_SCANCODE_F1))};
    if (scan >= SDL_SCANCODE_KP_1 && scan <= SDL_SCANCODE_KP_9)
        return {static_cast<uint32_t>(vk::kNumpad0 + 1 + (scan - SDL_SCANCODE_KP_1))};
    switch (scan) {
    case SDL_SCANCODE_KP_0: return {vk::kNumpad0};
    case SDL_SCANCODE_BACKSPACE: return {vk::kBack};
    case SDL_SCANCODE_TAB: return {vk::kTab};
    case SDL_SCANCODE_RETURN: return {vk::kReturn};
    case SDL_SCANCODE_KP_ENTER: return {vk::kReturn, true};
    case SDL_SCANCODE_ESCAPE: return {vk::kEscape};
    case SDL_SCANCODE_SPACE: return {vk::kSpace};
    case SDL_SCANCODE_LSHIFT: return {vk::kShift};
    case SDL_SCANCODE_RSHIFT: return {vk::kShift};
    case SDL_SCANCODE_LCTRL: return {vk::kControl};
    case SDL_SCANCODE_RCTRL: return {vk::kControl, true};
    case SDL_SCANCODE_LALT: return {vk::kMenu};
    case SDL_SCANCODE_RALT: return {vk::kMenu, true};
    case SDL_SCANCODE_PAUSE: return {vk::kPause};
    case SDL_SCANCODE_CAPSLOCK: return {vk::kCapital};
    case SDL_SCANCODE_PAGEUP: return {vk::kPrior, true};
    case SDL_SCANCODE_PAGEDOWN: return {vk::kNext, true};
    case SDL_SCANCODE_END: return {vk::kEnd, true};
    case SDL_SCANCODE_HOME: return {vk::kHome, true};
    case SDL_SCANCODE_LEFT: return {vk::kLeft, true};
    case SDL_SCANCODE_UP: return {vk::kUp, true};
    case SDL_SCANCODE_RIGHT: return {vk::kRight, true};
    case SDL_SCANCODE_DOWN: return {vk::kDown, true};
    case SDL_SCANCODE_INSERT: return {vk::kInsert, true};
    case SDL_SCANCODE_DELETE: return {vk::kDelete, true};
    case SDL_SCANCODE_KP_MULTIPLY: return {vk::kMultiply};
    case SDL_SCANCODE_KP_PLUS: return {vk::kAdd};
    case SDL_SCANCODE_KP_MINUS: return {vk::kSubtract};
    case SDL_SCANCODE_KP_PERIOD: return {vk::kDecimal};
    case SDL_SCANCODE_KP_DIVIDE: return {vk::kDivide, true};
    case SDL_SCANCODE_NUMLOCKCLEAR: return {vk::kNumLock, true};
    // Punctuation keys of a US layout.
    case SDL_SCANCODE_SEMICOLON: return {0xBA};
    case SDL_SCANCODE_EQUALS: return {0xBB};
    case SDL_SCANCODE_COMMA: return {0xBC};
    case SDL_SCANCODE_MINUS: return {0xBD};
    case SDL_SCANCODE_PERIOD: return {0xBE};
    case SDL_SCANCODE_SLASH: return {0xBF};
    case SDL_SCANCODE_GRAVE: return {0xC0};
    case SDL_SCANCODE_LEFTBRACKET: return {0xDB};
    case SDL_SCANCODE_BACKSLASH: return {0xDC};
    case SDL_SCANCODE_RIGHTBRACKET: return {0xDD};
    case SDL_SCANCODE_APOSTROPHE: return {0xDE};
    default: return {};
    }
}

} // namespace platform::sdl

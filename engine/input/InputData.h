#pragma once
// The input state the input module keeps and attaches to every input event as its second
// parameter: pointer, movement, button and key state, hover and focus, last key and character.
#include <cstdint>

namespace Lumora {

enum InputFlags : uint32_t {
    INPUT_LEFT_HELD = 0x10,
    INPUT_RIGHT_HELD = 0x20,
    INPUT_LONG_PRESS = 0x10000,
    INPUT_MIDDLE_HELD = 0x80000,
    INPUT_KEY_DOWN = 0x100000,
};

struct InputData {
    // Engine pixels: the client point plus the viewport's top-left, as drawing and hit tests use.
    int32_t x = 0;
    int32_t y = 0;
    int32_t dx = 0;  // movement since the last update
    int32_t dy = 0;
    uint32_t flags = 0;
    uint32_t hovered = 0;
    uint32_t focused = 0;
    uint32_t key = 0;          // virtual-key code of the last key message
    uint32_t keyRepeat = 0;
    uint32_t keyFlags = 0;
    uint32_t keyReleased = 0;  // the last key let go
    // One character: a single byte, or a GBK lead and trail byte; always NUL-terminated.
    char character[4] = {};
};

} // namespace Lumora

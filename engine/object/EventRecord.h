#pragma once
// The engine's event: a target object id, a code and two parameters, handed to the target's
// OnEvent by the object module. The parameters are pointer-sized because some codes carry a
// pointer or a token in them.
#include <cstdint>

namespace Lumora {

struct EventRecord {
    uint32_t target = 0;
    uint32_t code = 0;
    uintptr_t param1 = 0;
    uintptr_t param2 = 0;
};

// Engine event codes (application codes start at 80000000).
enum LumoraEventCode : uint32_t {
    EV_ENGINE_FIRST = 19840324,
    EV_INPUT_FIRST = 19840325,      // input codes reach an object only through its hooks
    EV_MOUSE_ENTER = 19840325,
    EV_MOUSE_LEAVE = 19840326,
    EV_MOUSE_MOVE = 19840327,
    EV_LBUTTON_DOWN = 19840328,
    EV_LBUTTON_UP = 19840329,
    EV_LBUTTON_CLICK = 19840330,
    EV_LBUTTON_DRAG = 19840331,
    EV_RBUTTON_DOWN = 19840332,
    EV_RBUTTON_UP = 19840333,
    EV_RBUTTON_CLICK = 19840334,
    EV_RBUTTON_DRAG = 19840335,
    EV_LBUTTON_DOUBLE = 19840337,
    EV_MBUTTON = 19840340,
    EV_WHEEL_UP = 19840342,
    EV_WHEEL_DOWN = 19840343,
    EV_KEY_DOWN = 19840345,
    EV_KEY_UP = 19840346,
    EV_CHAR = 19840347,
    EV_FIRST_PRESS = 19840348,
    EV_FOCUS_LOST = 19840349,
    EV_INPUT_LAST = 19840353,
    EV_DRAG_MOVE = 19840372,        // the hook SetDraggable adds: move by the cursor movement
    EV_ACTIVATE = 19840375,
    EV_DEACTIVATE = 19840376,
    EV_TEXT_PAYLOAD = 19840388,     // param1 is a payload token (see ObjectModule::NewTextPayload)
    EV_TEXT_PAYLOAD_2 = 19840389,
    EV_ENGINE_LAST = 19840406,
    EV_APPLICATION_FIRST = 80000000,
    // The application's text event (chat boxes, the frame's exit reason): param1 is a payload
    // token like 19840388's, so what nobody takes is freed by the dispatcher as well.
    EV_APP_TEXT_PAYLOAD = 80000008,
};

constexpr bool IsInputCode(uint32_t code) { return code >= EV_INPUT_FIRST && code <= EV_INPUT_LAST; }
constexpr bool IsPayloadCode(uint32_t code)
{
    return code == EV_TEXT_PAYLOAD || code == EV_TEXT_PAYLOAD_2 || code == EV_APP_TEXT_PAYLOAD;
}

// Object flags (the flags word of the geometry block).
enum ObjectFlags : uint32_t {
    OBJ_ENABLED = 0x1,
    OBJ_CLIP = 0x2,
    OBJ_PIXEL_HIT = 0x4,
    OBJ_TOPMOST = 0x40,
    OBJ_NO_HIT = 0x80,
    OBJ_TOP_LEVEL = 0x100,
    OBJ_NO_CHECK_CHILDREN = 0x200,
    OBJ_CLIP_FOLLOWS = 0x400,
    OBJ_HIDDEN = 0x1000,
    OBJ_CONFINE_CURSOR = 0x8000,
};

// Link flags of a child: which of the parent's operations the child follows.
enum LinkFlags : uint32_t {
    LINK_OWNED = 0x1,
    LINK_ROTATE = 0x2,
    LINK_ALPHA = 0x8,
    LINK_ENABLE = 0x10,
    LINK_REDRAW = 0x20,
    LINK_SCALE = 0x40,
    LINK_RESIZE = 0x80,
    LINK_ACTIVATION = 0x1000,
    LINK_HELD_INACTIVE = 0x2000,
    LINK_CLIP = 0x4000,
    LINK_Z = 0x8000,
    LINK_MOVE = 0x10000,
    LINK_BROADCAST = 0x20000,
    LINK_INPUT_HOOKS = 0x40000,
    LINK_ACTIVATE_ALWAYS = 0x80000,
    LINK_DEACTIVATE_ALWAYS = 0x100000,
};

constexpr uint32_t kLayerLimit = 1000000;
constexpr uint32_t kTopMostLayer = 1000100;
constexpr double kZLimit = 999989.0;

} // namespace Lumora

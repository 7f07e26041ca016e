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

// Engine event codes (application codes start at 80000000). Each number has one name here;
// codes private to one widget are declared beside it.
enum LumoraEventCode : uint32_t {
    EV_ENGINE_FIRST = 19840324,
    // Input codes (EV_MOUSE_ENTER to EV_FOCUS_LEFT) reach an object only through its hooks.
    EV_MOUSE_ENTER = 19840325,      // the pointer entered the object (hover starts)
    EV_MOUSE_LEAVE = 19840326,      // the pointer left the object (hover ends)
    EV_MOUSE_MOVE = 19840327,
    EV_LBUTTON_DOWN = 19840328,
    EV_LBUTTON_UP = 19840329,
    EV_LBUTTON_CLICK = 19840330,    // released over the object it went down on
    EV_LBUTTON_DRAG = 19840331,
    EV_RBUTTON_DOWN = 19840332,
    EV_RBUTTON_UP = 19840333,
    EV_RBUTTON_CLICK = 19840334,
    EV_RBUTTON_DRAG = 19840335,
    EV_BUTTON_RELEASED = 19840336,  // after an up and after a click
    EV_LBUTTON_DOUBLE = 19840337,
    EV_LONG_PRESS = 19840338,
    EV_MOVE_AFTER_LONG_PRESS = 19840339,
    EV_MBUTTON = 19840340,          // middle button down or up
    EV_WHEEL_FORWARD = 19840342,
    EV_WHEEL_BACKWARD = 19840343,
    EV_KEY_DOWN = 19840345,
    EV_KEY_UP = 19840346,
    EV_CHAR = 19840347,
    EV_FIRST_PRESS = 19840348,      // the first button press since the input was reset
    EV_INPUT_LOST = 19840349,       // the host window lost the keyboard focus
    EV_WINDOW_ENTER = 19840350,     // the pointer entered the host window
    EV_WINDOW_LEAVE = 19840351,
    EV_FOCUS_GAINED = 19840352,     // an object took the keyboard focus
    EV_FOCUS_LEFT = 19840353,       // an object lost the keyboard focus to another one
    // Widget and cursor codes.
    EV_WIDGET_ENABLED = 19840355,   // a widget tells itself it was enabled
    EV_WIDGET_DISABLED = 19840356,
    EV_CURSOR_HAND = 19840357,      // to "object_cursor": show the hand
    EV_CURSOR_ARROW = 19840358,     // to "object_cursor": show the arrow
    EV_SET_CURSOR = 19840360,       // to "object_cursor": apply the cursor in force
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

constexpr bool IsInputCode(uint32_t code) { return code >= EV_MOUSE_ENTER && code <= EV_FOCUS_LEFT; }
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
    OBJ_TOP_LEVEL = 0x100,          // takes the keyboard focus for itself and what lies in it
    OBJ_NO_CHECK_CHILDREN = 0x200,  // also the mark the input module sets on the focused object
    OBJ_CLIP_FOLLOWS = 0x400,
    OBJ_HIDDEN = 0x1000,
    OBJ_CONFINE_CURSOR = 0x8000,
    OBJ_BOARD = 0x20000, // a board: stands above the table and above the boards opened before it
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

// Link words of widget parts and of the engine's own helpers.
// A widget's body (SetBody adds LINK_INPUT_HOOKS): follows everything but enabling.
inline constexpr uint32_t kBodyLinks = LINK_OWNED | LINK_ROTATE | LINK_ALPHA | LINK_REDRAW | LINK_SCALE | LINK_RESIZE |
                                       LINK_CLIP | LINK_Z | LINK_MOVE | LINK_BROADCAST | LINK_ACTIVATE_ALWAYS |
                                       LINK_DEACTIVATE_ALWAYS;
static_assert(kBodyLinks == 1818859);
// A part of a widget: as the body, but keeps its size when the parent is scaled.
inline constexpr uint32_t kPartLinks = kBodyLinks & ~uint32_t(LINK_SCALE);
static_assert(kPartLinks == 1818795);
// A menu item: z, move, redraw and activation.
inline constexpr uint32_t kMenuItemLinks =
    LINK_REDRAW | LINK_Z | LINK_MOVE | LINK_ACTIVATE_ALWAYS | LINK_DEACTIVATE_ALWAYS;
static_assert(kMenuItemLinks == 1671200);
// Follows another part's move and redraw (not owned, not activated with it).
inline constexpr uint32_t kFollowLinks = LINK_ROTATE | LINK_REDRAW | LINK_RESIZE | LINK_Z | LINK_MOVE;
static_assert(kFollowLinks == 98466);
// A picture inside another part (a thumb's grip, a box's frame): follows it and its activation.
inline constexpr uint32_t kInnerPartLinks = kFollowLinks | LINK_ACTIVATE_ALWAYS | LINK_DEACTIVATE_ALWAYS;
static_assert(kInnerPartLinks == 1671330);

constexpr uint32_t kLayerLimit = 1000000;
constexpr uint32_t kTopMostLayer = 1000100;
constexpr double kZLimit = 999989.0;

} // namespace Lumora

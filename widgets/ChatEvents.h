#pragma once
// Event codes private to the chat boxes and their embedded objects. They are dispatched by
// target id only and never forwarded, so that they may share numbers with codes of others.
#include <cstdint>

namespace Lumora {

enum ChatEventCode : uint32_t {
    EV_CHAT_REFRESH = 80000002,     // the deferred redraw
    EV_CHAT_COPY = 80000003,
    EV_CHAT_SPARE = 80000004,
    EV_CHAT_CLEAR = 80000005,
    EV_CHAT_OPEN_RUN = 80000006,    // p1: index of an element of an address run
    // p1: id of the chat or link object whose address is opened. Queued records carry the
    // id, never a pointer: the object may be gone by the time the record is delivered.
    EV_CHAT_OPEN_URL = 80000007,
    EV_CHAT_POSTED_TEXT = 80000008,  // p1: a text payload of the object module
    EV_OBJECT_RESIZE = 1050,
    EV_SHOW_HAND = 19840357,
    EV_SHOW_ARROW = 19840358,
    EV_SCROLLED = 19840362,         // p1 points to the position (a double)
    EV_SCROLL_ARROW_UP = 19840365,
    EV_SCROLL_ARROW_DOWN = 19840366,
    EV_GUI_ENABLED = 19840355,
    EV_GUI_DISABLED = 19840356,
};

inline constexpr uint32_t kSystemHandCursor = 32649;
inline constexpr uint32_t kSystemArrowCursor = 32512;

} // namespace Lumora

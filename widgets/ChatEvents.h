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
    // 80000008 is the engine's EV_APP_TEXT_PAYLOAD: a posted text, p1 a payload token.
    EV_OBJECT_RESIZE = 1050,
};

} // namespace Lumora

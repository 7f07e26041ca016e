#pragma once
// Module ids, engine message numbers, module flags and result codes shared by the core and
// every module of the engine.
#include <cstdint>

namespace Lumora {

// Who a module message is for. Id 0 is the core itself; no module bears the error sink.
enum LumoraModuleId : uint32_t {
    LUMORA_MODULE_CORE = 0,
    LUMORA_MODULE_RESOURCE = 1001,
    LUMORA_MODULE_OBJECT = 1002,
    LUMORA_MODULE_PAINT = 1003,
    LUMORA_MODULE_MUSIC = 1004,
    LUMORA_MODULE_INPUT = 1005,
    LUMORA_MODULE_ERROR_SINK = 1010,
};

// Message numbers the core itself sends, handles or names. Modules define the numbers of
// their own messages beside their classes.
enum LumoraModuleMessage : uint32_t {
    LUMORA_MSG_MODULE_FAULT = 1002,        // to the sink: wparam points at the failed module's id, or an error text
    LUMORA_MSG_MODULE_DUPLICATE = 1003,    // to the sink: wparam points at the id already loaded
    LUMORA_MSG_MODULE_INIT_FAILED = 1004,  // to the sink: wparam points at the id whose Init failed
    LUMORA_MSG_QUEUE_OVERFLOW = 1005,      // to the sink: wparam is the module id whose ring overflowed
    LUMORA_MSG_RESUME_MODULE = 1008,       // to the core: wparam points at a module id
    LUMORA_MSG_PAUSE_MODULE = 1009,        // to the core: wparam points at a module id
    LUMORA_MSG_LOAD_MODULE = 1010,         // to the core: wparam is a BaseModule*; loaded not running, guarded
    LUMORA_MSG_UNLOAD_MODULE = 1011,       // to the core: wparam points at a module id
    LUMORA_MSG_DRAW_FRAME = 1033,          // to painting: wparam is a frame record
    LUMORA_MSG_REPAINT = 1034,             // to painting: repaint the window from the back buffer
    LUMORA_MSG_RELEASE_SURFACE = 1035,     // to painting: wparam is a surface record to release and free
    LUMORA_MSG_INPUT_EVENT_BACK = 1044,    // to input: an event record the object module has dispatched
    LUMORA_MSG_INPUT_SWITCH_SET = 1045,    // to input
    LUMORA_MSG_INPUT_SWITCH_CLEAR = 1046,  // to input
};

// Results of the core's module operations and of ProcessMessage.
inline constexpr int LUMORA_MSG_OK = 10000;
inline constexpr int LUMORA_RETURN_MODULE_CRASH = -99999;          // a module with that id is already loaded
inline constexpr int LUMORA_RETURN_MODULE_NOT_FOUND = -99998;      // no loaded module has that id
inline constexpr int LUMORA_RETURN_MODULE_INITIAL_FAILD = -99997;  // the module's Init failed

// Bits of BaseModule's flag word.
inline constexpr uint32_t MODULE_FLAG_RUNNING = 0x1;    // the frame tick updates the module
inline constexpr uint32_t MODULE_FLAG_SKIP_INIT = 0x2;  // LoadModule does not call Init
inline constexpr uint32_t MODULE_FLAG_DEFAULT = 0x10;   // set at construction; the core does not read it
inline constexpr uint32_t MODULE_FLAG_GUARDED = 0x40;   // the tick runs delivery and update inside a guard

} // namespace Lumora

#pragma once
// The unit of work a thread's queue carries: a message number and two pointer-sized parameters,
// addressed to a window of the thread or to the thread itself.
#include <cstdint>

namespace platform {

using ThreadId = uint32_t; // 0 names no thread
using WindowId = uint32_t; // 0 names no window (a thread message)

// Time-out value that never expires.
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// Message numbers the platform itself produces. Programs pick theirs from kMsgUser up.
inline constexpr uint32_t kMsgDestroy = 0x0002; // to a window's handler just before it goes
inline constexpr uint32_t kMsgClose = 0x0010;   // asks a window to close
inline constexpr uint32_t kMsgPaint = 0x000F;   // the window was invalidated
inline constexpr uint32_t kMsgQuit = 0x0012;    // ends a message loop; wparam = exit code
inline constexpr uint32_t kMsgTimer = 0x0113;   // wparam = the timer's id
inline constexpr uint32_t kMsgCopyData = 0x004A; // a record from the hall; see HallLink.h
inline constexpr uint32_t kMsgUser = 0x0400;

struct Message {
    WindowId window = 0;
    uint32_t id = 0;
    uintptr_t wparam = 0;
    intptr_t lparam = 0;
};

} // namespace platform

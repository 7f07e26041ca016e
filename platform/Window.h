#pragma once
// Windows as ids with handlers. A window belongs to the thread that made it: its posted messages,
// timers and paint requests come out of that thread's queue, and a send from another thread runs
// its handler on that thread while the sender waits.
#include "platform/Message.h"

#include <cstdint>
#include <functional>

namespace platform {

using WindowHandler = std::function<intptr_t(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam)>;

// A new window owned by the calling thread (whose queue this makes if it has none).
WindowId MakeWindow(WindowHandler handler);

// Owner thread only (false elsewhere or when the window is gone). The handler gets kMsgDestroy
// first; afterwards the window's timers and paint request are gone and posts to it fail.
bool DestroyWindow(WindowId window);

bool IsWindowAlive(WindowId window);
// The owner thread of a live window, else 0.
ThreadId WindowThread(WindowId window);

// Appends to the owner thread's queue. False when the window or its thread is gone: the sender
// still owns whatever the parameters point to.
bool PostToWindow(WindowId window, uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
bool PostToThread(ThreadId thread, uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);

// Runs the handler and returns its result: at once on the owner thread; from another thread, the
// owner runs it at its next queue operation while this thread waits, still running calls sent to
// it (so two threads sending to each other do not deadlock). 0 when the window or its thread is
// gone, or goes before the call runs, or the handler throws on the owner thread (the exception
// goes on in the owner's loop); `delivered` tells those cases apart.
intptr_t SendToWindow(WindowId window, uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0,
                      bool* delivered = nullptr);

// Hands a taken message to its window's handler. Thread messages and messages for windows that
// have gone are not dispatched (0).
intptr_t Dispatch(const Message& message);

// Timers of a window, fired as kMsgTimer (wparam = timer id) from the owner's queue, only when no
// other message waits. Setting an existing id restarts it with the new period. False when the
// window is gone or not the caller's.
bool StartTimer(WindowId window, uint32_t timerId, uint32_t periodMs);
bool StopTimer(WindowId window, uint32_t timerId);

// Asks for one kMsgPaint to the window (several requests before it is taken make one). Any thread.
bool InvalidateWindow(WindowId window);

namespace detail {
// Called when a thread's queue closes: its windows go without their handlers being called.
void ForgetThreadWindows(ThreadId thread);
} // namespace detail

} // namespace platform

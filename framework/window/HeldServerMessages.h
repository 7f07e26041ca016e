#pragma once
// Server messages the main window keeps while the notify gate is closed. The communication
// thread checks the gate only before it posts, so records it posted just before the scene closed
// the gate (on a deal start) still reach the window during the dice and deal; run then, they
// would meet a hand not yet dealt. The window keeps them, in order, and hands them back once the
// gate opens: the gate's opening posts kReleaseHeld ahead of anything the relay posts after it,
// so held records always run before newer ones. A held record that closes the gate again (the
// next deal) stops the release; the rest wait for the next opening.
//
// Threads: the UI thread only (the opening hook runs on the thread that opens the gate, the
// scene's). The records are released (ReleaseSocketNotify) when dropped with the window.
#include "platform/Window.h"

#include <cstdint>
#include <deque>
#include <functional>

class NotifyGate;

class HeldServerMessages {
public:
    static constexpr uint32_t kReleaseHeld = 0x8619;
    using Dispatch = std::function<void(uintptr_t context, intptr_t message)>;

    // Hooks the process's gate (if any) to post kReleaseHeld to `window` on opening.
    explicit HeldServerMessages(platform::WindowId window);
    ~HeldServerMessages();
    HeldServerMessages(const HeldServerMessages&) = delete;
    HeldServerMessages& operator=(const HeldServerMessages&) = delete;

    // True when the record was kept: the gate is closed or older records still wait.
    bool Hold(uintptr_t context, intptr_t message);
    // On kReleaseHeld: dispatches the kept records in order while the gate stays open.
    void Release(const Dispatch& dispatch);
    size_t Count() const { return held_.size(); }

private:
    struct Record {
        uintptr_t context;
        intptr_t message;
    };
    NotifyGate* gate_;
    std::deque<Record> held_;
};

#pragma once
// CGameCommThread: the communication thread between the transport's socket thread and the UI
// thread. Every pushed server message comes here as net::WM_SOCKET_NOTIFY and is relayed to the
// target window (the main window, once it registers) after passing the notify gate, so the table
// scene can hold server messages back during its dice roll; they keep their order. The thread
// also owns the wait dialog's state (text, shown, timed hide, bar colours); the UI thread paints
// the dialog from Snapshot, also while it blocks in a request.
//
//   loop: take message
//     WM_SOCKET_NOTIFY: wait for the gate; post to the target, or free the records when there
//                       is no target, the post fails or the thread is stopping
//     kCommSetTarget:   target := wparam
//     kCommWaitText:    show (heap text, freed here) or hide (wparam 0), lparam seconds
//     kCommQuit:        end
//   on the way out: every message still queued is freed; later posts fail (the sender frees)
//
// Stop sets the stop flag, wakes a relay waiting at a closed gate, posts kCommQuit and joins the
// thread for at most 1000 ms; after that it leaves the thread to finish by itself (it owns what
// it touches and frees its queue on its way out), never killing it.
//
// Threads: Start, Stop from the UI thread; Snapshot from any thread; the posts from any thread.
#include "framework/app/NotifyGate.h"
#include "framework/app/WaitBar.h"
#include "platform/Message.h"

#include <cstdint>
#include <memory>
#include <string>

struct WaitDialogState {
    bool visible = false;
    std::string text; // GBK
    std::array<uint32_t, WaitBarColours::kBands> bands{};
    uint32_t background = 0xFFFFFF;
};

class CGameCommThread {
public:
    static constexpr uint32_t kStopLimitMs = 1000;

    // Starts the thread; null when it cannot run. The thread shares the gate, so a thread left
    // running after a stop that took too long still has it.
    static std::unique_ptr<CGameCommThread> Start(std::shared_ptr<NotifyGate> gate);
    // The same over a gate that must outlive the thread.
    static std::unique_ptr<CGameCommThread> Start(NotifyGate& gate, std::shared_ptr<NotifyGate> owner = nullptr);
    ~CGameCommThread(); // stops it

    platform::ThreadId Id() const;
    // The wait dialog's window id (where the hall sends its web-sign answers).
    platform::WindowId DialogWindow() const;
    platform::WindowId Target() const;

    // The wait bar's colours (from the skin).
    void SetBarColours(uint32_t foreground, uint32_t background);
    // What the wait dialog shows at `nowMs` (the platform clock's milliseconds).
    WaitDialogState Snapshot(uint64_t nowMs) const;

    // True when the thread ended within the limit.
    bool Stop(uint32_t limitMs = kStopLimitMs);

    struct Shared;

private:
    explicit CGameCommThread(std::shared_ptr<Shared> shared);
    std::shared_ptr<Shared> shared_;
};

// Heap text of a kCommWaitText message; the receiver frees it with FreeWaitText.
uintptr_t MakeWaitText(const char* text);
void FreeWaitText(uintptr_t text);

// The running thread (g_pCommThread); null when none runs.
CGameCommThread* GetCommThread();
void SetCommThread(CGameCommThread* thread);

// Posts the text (or, with show false, the hide) to the running thread; nothing without one.
void ShowWaitText(const char* text, bool show);
void ShowWaitTextTimed(const char* text, int seconds);

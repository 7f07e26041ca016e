#pragma once
// The gate of the server-message relay. The communication thread passes it for every pushed
// message; the table scene closes it when its dice roll starts and opens it when play starts
// after the deal (80001114), when the dice animation ends (80001119), on its reset or in its
// destructor, so no server message reaches the UI thread meanwhile and the held-back ones keep
// their order. Closing an already closed gate changes nothing (one opening undoes any number
// of closings). Stop wakes every waiter for good, so the thread can end while the gate is
// closed.
//
// Threads: Close and Open from the UI thread; WaitOpen from the communication thread; Stop from
// whoever ends the thread.
#include <condition_variable>
#include <functional>
#include <mutex>

class NotifyGate {
public:
    void Close();
    void Open();
    bool IsClosed() const;

    // Blocks while the gate is closed. False when Stop was called (the caller then drops what it
    // was about to relay).
    bool WaitOpen();

    void Stop();
    // Undoes Stop for a new communication thread.
    void Restart();

    // Runs on the opening thread when a closed gate opens, before the relay may pass, so what it
    // posts to the UI thread lands ahead of the next relayed message. Null removes it.
    void SetOpeningHook(std::function<void()> hook);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
    bool stopped_ = false;
    std::function<void()> openingHook_;
};

// The process's gate, installed by the start-up for the life of the client; null outside it.
NotifyGate* GetNotifyGate();
void SetNotifyGate(NotifyGate* gate);

// The window's store of server messages that arrived while the notify gate was closed.
#include "framework/window/HeldServerMessages.h"

#include "framework/app/NotifyGate.h"
#include "net/SocketClient.h"

HeldServerMessages::HeldServerMessages(platform::WindowId window)
    : gate_(GetNotifyGate())
{
    if (gate_ && window != 0)
        gate_->SetOpeningHook([window] { platform::PostToWindow(window, kReleaseHeld, 0, 0); });
}

HeldServerMessages::~HeldServerMessages()
{
    // The gate may have gone first (then it is no longer the process's).
    if (gate_ && gate_ == GetNotifyGate())
        gate_->SetOpeningHook(nullptr);
    for (const Record& r : held_)
        net::ReleaseSocketNotify(r.context, r.message);
}

bool HeldServerMessages::Hold(uintptr_t context, intptr_t message)
{
    if (!gate_ || (held_.empty() && !gate_->IsClosed()))
        return false;
    held_.push_back({context, message});
    return true;
}

void HeldServerMessages::Release(const Dispatch& dispatch)
{
    while (!held_.empty() && !(gate_ && gate_->IsClosed())) {
        const Record r = held_.front();
        held_.pop_front();
        dispatch(r.context, r.message);
    }
}

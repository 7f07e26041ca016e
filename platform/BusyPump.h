#pragma once
// What the UI thread runs while it blocks (connecting, waiting for a reply or the hall, the pauses
// of the failure paths): the installed pump repaints the wait window and takes the display's
// events off the system without dispatching anything, so no notification is handled out of order
// while the thread waits. Waits call it every 50 ms, and only on the thread that installed it;
// on any other thread they are plain waits.
#include "platform/Event.h"
#include "platform/Socket.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace platform {

inline constexpr uint32_t kBusyPumpPeriodMs = 50;

// The milliseconds left until the deadline, 0 once it passed: for waits that share one limit.
uint32_t MsUntil(std::chrono::steady_clock::time_point deadline);

// Installs the pump for the calling thread (null removes it).
void SetBusyPump(std::function<void()> pump);
// Runs the pump when the calling thread installed it.
void RunBusyPump();

// Waits for the event up to the time-out (kInfinite: no limit), pumping in between.
bool WaitBusy(Event& event, uint32_t timeoutMs);
// Waits for any of the events as WaitAny does (the index, or -1 on time-out), pumping in between.
int WaitAnyBusy(std::span<Event* const> events, uint32_t timeoutMs);
// A pause of the failure paths, pumping.
void SleepBusy(uint32_t ms);
// Connects as TcpSocket::Connect does (0 or the errno of the failure, ETIMEDOUT when the time
// ran out), pumping in between.
int ConnectBusy(TcpSocket& socket, const Ipv4Endpoint& to, uint32_t timeoutMs);
// Looks the host up through the current resolver within the time-out (kInfinite: the system's
// own). A name is looked up on a thread of its own while this one waits, pumping when it installed
// the pump. A lookup cannot be interrupted: one that outlasts the time-out gives nothing and is
// left to end on its own thread, so an installed resolver must outlive the lookups it was given.
std::optional<uint32_t> ResolveBusy(const std::string& host, uint32_t timeoutMs = kInfinite);

} // namespace platform

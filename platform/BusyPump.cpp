// The UI thread's pump during blocking waits.
#include "platform/BusyPump.h"

#include "platform/SocketAddress.h"
#include "platform/ThreadId.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {
namespace {

std::mutex g_pumpMutex;
std::function<void()> g_pump;
uint32_t g_pumpThread = 0;

bool PumpsHere()
{
    std::lock_guard lock(g_pumpMutex);
    return g_pump && g_pumpThread == CurrentThreadId();
}

} // namespace

uint32_t MsUntil(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<uint32_t>(std::clamp<int64_t>(left.count(), 0, kInfinite - 1));
}

void SetBusyPump(std::function<void()> pump)
{
    std::lock_guard lock(g_pumpMutex);
    g_pump = std::move(pump);
    g_pumpThread = g_pump ? CurrentThreadId() : 0;
}

void RunBusyPump()
{
    std::function<void()> pump;
    {
        std::lock_guard lock(g_pumpMutex);
        if (!g_pump || g_pumpThread != CurrentThreadId())
            return;
        pump = g_pump;
    }
    pump();
}

bool WaitBusy(Event& event, uint32_t timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        uint32_t slice = static_cast<uint32_t>(std::clamp<int64_t>(left.count(), 0, kBusyPumpPeriodMs));
        if (event.Wait(slice))
            return true;
        if (timeoutMs != kInfinite && std::chrono::steady_clock::now() >= deadline)
            return false;
        RunBusyPump();
    }
}

int WaitAnyBusy(std::span<Event* const> events, uint32_t timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        uint32_t slice = timeoutMs == kInfinite ? kBusyPumpPeriodMs
                                                : static_cast<uint32_t>(std::clamp<int64_t>(left.count(), 0, kBusyPumpPeriodMs));
        int index = WaitAny(events, slice);
        if (index >= 0)
            return index;
        if (timeoutMs != kInfinite && std::chrono::steady_clock::now() >= deadline)
            return -1;
        RunBusyPump();
    }
}

void SleepBusy(uint32_t ms)
{
    Event never(Event::Mode::kManual);
    WaitBusy(never, ms);
}

int ConnectBusy(TcpSocket& socket, const Ipv4Endpoint& to, uint32_t timeoutMs)
{
    const IoResult started = socket.StartConnect(to);
    if (started.status == IoStatus::Done)
        return 0;
    if (started.status == IoStatus::Failed)
        return started.error;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (socket.WaitWritable(static_cast<int>(std::clamp<int64_t>(left.count(), 0, kBusyPumpPeriodMs))))
            return socket.TakePendingError();
        if (std::chrono::steady_clock::now() >= deadline)
            return ETIMEDOUT;
        RunBusyPump();
    }
}

std::optional<uint32_t> ResolveBusy(const std::string& host, uint32_t timeoutMs)
{
    const Resolver& resolver = CurrentResolver();
    if ((!PumpsHere() && timeoutMs == kInfinite) || ParseAddressLiteral(host))
        return resolver.Resolve(host);
    // Shared with the lookup's thread, which may outlive this call.
    struct Lookup {
        Event done{Event::Mode::kManual};
        std::mutex mutex;
        std::optional<uint32_t> address;
    };
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host, &resolver] {
            const std::optional<uint32_t> address = resolver.Resolve(host);
            std::lock_guard lock(lookup->mutex);
            lookup->address = address;
            lookup->done.Set();
        }).detach();
    } catch (const std::system_error&) {
        return std::nullopt; // no thread to wait on: blocking here would ignore the time-out
    }
    if (!WaitBusy(lookup->done, timeoutMs))
        return std::nullopt;
    std::lock_guard lock(lookup->mutex);
    return lookup->address;
}

} // namespace platform

#pragma once
// The base of every engine module: its identity, update interval, running flags and ring of
// pending module messages. The core owns loaded modules through their reference count.
#include "engine/LumoraDefs.h"
#include "engine/MessageRing.h"

#include <cstdint>
#include <optional>

namespace Lumora {

class GameCore;

class BaseModule {
public:
    static constexpr uint32_t kDefaultInterval = 10;   // ms
    static constexpr uint32_t kDefaultQueueLimit = 8192;

    BaseModule() = default;
    virtual ~BaseModule() = default;
    BaseModule(const BaseModule&) = delete;
    BaseModule& operator=(const BaseModule&) = delete;

    // Nonzero on success. Called by LoadModule unless MODULE_FLAG_SKIP_INIT is set.
    virtual int Init() = 0;
    // Releases what Init built; called before the core deletes the module.
    virtual void Shutdown() = 0;
    // One step of the module's periodic work; GetLastUpdate() is its current time.
    virtual void Work() = 0;
    virtual uint32_t GetId() const = 0;
    virtual const char* GetName() const = 0;
    // Handles one module message; LUMORA_MSG_OK counts as success for SendMessage.
    virtual int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam) = 0;
    // Pending ring entries above which the queued messages are dropped.
    virtual uint32_t GetQueueLimit() const { return kDefaultQueueLimit; }
    // The frame tick's entry: 0 when not running, else 1. Works once the interval has passed
    // (now - last >= interval, unsigned), after draining the ring so that every module receives
    // its posts. With the 10 ms default and the 5 ms tick that is every second tick.
    virtual int Update(uint32_t now);
    // The engine time at which Work next has something to do, so that an idle host may sleep
    // until then; nullopt when only a message or a call from outside can give it work (the
    // caller then wakes the tick, GameCore::RequestTick). The base works on every interval.
    virtual std::optional<uint32_t> NextWorkDue() const { return lastUpdate_ + interval_; }

    GameCore* GetCore() const { return core_; }
    BaseModule* GetModule(uint32_t id) const;
    uint32_t GetLastUpdate() const { return lastUpdate_; }
    uint32_t GetInterval() const { return interval_; }
    void SetInterval(uint32_t ms) { interval_ = ms; }
    uint32_t GetFlags() const { return flags_; }
    void SetFlags(uint32_t flags) { flags_ = flags; }
    bool IsRunning() const { return (flags_ & MODULE_FLAG_RUNNING) != 0; }
    uint32_t GetRefCount() const { return refCount_; }

    // Through the owning core; 0 / nothing when the module is not loaded.
    int SendMessage(uint32_t moduleId, uint32_t message, uintptr_t wparam, uintptr_t lparam);
    void PostMessage(uint32_t moduleId, uint32_t message, uintptr_t wparam, uintptr_t lparam,
                     MessageReleaseHook release = nullptr);

    // Hands every pending ring entry to ProcessMessage in arrival order.
    void DrainMessages();

    MessageRing& Ring() { return ring_; }
    const MessageRing& Ring() const { return ring_; }

private:
    friend class GameCore;

    uint32_t refCount_ = 0;
    uint32_t interval_ = kDefaultInterval;
    uint32_t lastUpdate_ = 0;
    uint32_t flags_ = MODULE_FLAG_DEFAULT;
    MessageRing ring_;
    GameCore* core_ = nullptr;
};

} // namespace Lumora

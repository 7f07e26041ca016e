#pragma once
// The heart of the engine: owns the numbered modules, carries module messages between them,
// keeps the engine settings, owns the engine clock and runs the frame tick that the host
// window calls every 5 ms. One per process; used on the UI thread only.
#include "engine/BaseModule.h"
#include "engine/EngineClock.h"
#include "engine/LumoraDefs.h"
#include "engine/ModuleMessage.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace Lumora {

// The host window as the platform layer names it.
using HostWindowHandle = uintptr_t;

class GameCore {
public:
    GameCore();
    virtual ~GameCore();
    GameCore(const GameCore&) = delete;
    GameCore& operator=(const GameCore&) = delete;

    // Default settings, the host window, and a fresh run log.
    void Init(HostWindowHandle hwnd);
    virtual void LoadDefaultSettings();

    // Takes ownership of `module` (even on failure, when it is deleted). run nonzero sets the
    // running flag; guard nonzero sets the guarded flag, 0 clears it. Loading an instance that
    // is already loaded only adds a reference.
    int LoadModule(BaseModule* module, int run, int guard);
    // Drops one reference; the module is shut down, unlinked and deleted when none is left.
    // Inside the module walk of a frame tick the removal waits for the tick's end.
    int UnloadModule(uint32_t id);
    void UnloadAllModules();
    BaseModule* GetModule(uint32_t id) const;
    size_t ModuleCount() const { return modules_.size(); }

    // Synchronous. Id 0: HandleCoreMessage, result 1. Else 1 when the module's
    // ProcessMessage returned LUMORA_MSG_OK, 0 otherwise or when no module has the id.
    int SendMessage(uint32_t moduleId, uint32_t message, uintptr_t wparam, uintptr_t lparam);
    // Queued for a later frame tick. `release` frees the payload if the message is dropped.
    void PostMessage(uint32_t moduleId, uint32_t message, uintptr_t wparam, uintptr_t lparam,
                     MessageReleaseHook release = nullptr);
    void HandleCoreMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam);
    // Moves the module's entries from the core list into its ring (after the overflow check).
    void DeliverMessages(BaseModule* module);
    size_t PendingCoreMessages() const { return coreMessages_.size(); }

    // One frame: deliver and update every module in load order, then the core's own
    // messages. A nested call (from a modal loop inside a module) returns at once.
    void FrameTick();

    // The earliest engine time at which a running module has work (a core message waiting
    // counts as now); nullopt when nothing will happen until something arrives from outside.
    // The host uses it to sleep through idle ticks.
    std::optional<uint32_t> NextDue() const;
    // Something outside the tick gave the engine work (a post, a changed object, an action):
    // the host's handler restarts a sleeping tick. Nothing happens inside the tick, whose end
    // asks NextDue anyway.
    void RequestTick();
    void SetTickRequestHandler(std::function<void()> handler) { tickRequest_ = std::move(handler); }

    // The frame lock: re-entrant, held by the tick and by code outside it that touches
    // engine objects. Prefer FrameLock below.
    void Lock();
    void Unlock();
    bool IsLocked() const { return lockWord_ != 0; }

    uint32_t GetTime() const { return clock_ ? clock_->GetElapsedMs() : 0; }
    HostWindowHandle GetHwnd() const { return hwnd_; }

    // -1 when absent.
    int32_t GetSetting(uint32_t id) const;
    void SetSetting(uint32_t id, int32_t value);
    // nullptr when absent; valid until the setting is next written.
    const char* GetSettingString(uint32_t id) const;
    void SetSettingString(uint32_t id, std::string_view text);

    // A module that failed inside the tick is reported after the tick: to this handler when
    // one is set (the host window shows the box), otherwise only recorded (headless).
    void SetFaultHandler(std::function<void(const std::string& text)> handler);
    const std::vector<std::string>& FaultReports() const { return faultReports_; }

private:
    struct ModuleSlot {
        std::unique_ptr<BaseModule> module;
        uint32_t id;
    };

    void AssertUiThread() const;
    size_t FindSlot(uint32_t id) const;  // modules_.size() when absent
    void DestroySlot(size_t index);
    void RunModule(BaseModule* module, uint32_t now);
    void ReportFault(BaseModule* module);
    template <typename Predicate>
    std::vector<ModuleMessage> TakeCoreMessages(Predicate take);
    void HandleCoreList();
    void DiscardUnaddressed();
    void ApplyDeferredUnloads();
    void PublishFaults();

    std::unique_ptr<CGameTimer> clock_;
    std::vector<ModuleSlot> modules_;       // load order
    std::vector<ModuleMessage> coreMessages_;  // posting order
    std::recursive_mutex frameLock_;
    uint32_t lockWord_ = 0;                 // nonzero while the frame lock is held; not a depth
    std::map<uint32_t, int32_t> settings_;
    std::map<uint32_t, std::string> stringSettings_;
    HostWindowHandle hwnd_ = 0;

    bool inTick_ = false;
    bool walkingModules_ = false;
    std::vector<uint32_t> deferredUnloads_;
    std::vector<std::string> pendingFaults_;
    std::vector<std::string> faultReports_;
    std::function<void(const std::string&)> faultHandler_;
    std::function<void()> tickRequest_;
    std::thread::id uiThread_;
};

// Holds the core's frame lock for a scope.
class FrameLock {
public:
    explicit FrameLock(GameCore& core) : core_(core) { core_.Lock(); }
    ~FrameLock() { core_.Unlock(); }
    FrameLock(const FrameLock&) = delete;
    FrameLock& operator=(const FrameLock&) = delete;

private:
    GameCore& core_;
};

} // namespace Lumora

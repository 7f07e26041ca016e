#include "engine/GameCore.h"

#include "engine/util/EngineLog.h"
#include "engine/object/EventRecord.h"
#include "platform/ClickTrace.h"

#include <cassert>
#include <cstdio>

namespace Lumora {
namespace {

// Resets a flag when the scope ends, also when a module's exception leaves the tick.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

uint32_t IdAt(uintptr_t pointerToId)
{
    return pointerToId ? *reinterpret_cast<const uint32_t*>(pointerToId) : 0;
}

} // namespace

GameCore::GameCore() : clock_(std::make_unique<CPglTimer>()), uiThread_(std::this_thread::get_id()) {}

GameCore::~GameCore()
{
    UnloadAllModules();
    for (const ModuleMessage& m : coreMessages_)
        m.Release();
    coreMessages_.clear();
}

void GameCore::AssertUiThread() const
{
    assert(std::this_thread::get_id() == uiThread_ && "the engine is used from the UI thread only");
}

void GameCore::Init(HostWindowHandle hwnd)
{
    LoadDefaultSettings();
    hwnd_ = hwnd;
    StartRunLog();
    WriteRunLog("LumoraVesion:%f", 1.0);
    WriteRunLog("LumoraLastBulid:<%s>,<%s>", __DATE__, __TIME__);
}

void GameCore::LoadDefaultSettings()
{
    static constexpr std::pair<uint32_t, int32_t> kIntegers[] = {
        {3, 22}, {4, 16}, {5, 14}, {6, 12}, {7, 40}, {8, 0xFFFFFF}, {9, 0x8000},
        {10, 0}, {11, 0xFF0080}, {16, 0}, {17, EV_TEXT_PAYLOAD},
    };
    static constexpr std::pair<uint32_t, const char*> kStrings[] = {
        {22, "ScrollBar_VertBack"}, {23, "ScrollBar_VertBtn"}, {24, "ScrollBar_VertPattern"},
        {25, "ScrollBar_VertUpBtn"}, {26, "ScrollBar_VertDownBtn"}, {27, "ScrollBar_HorzBack"},
        {28, "ScrollBar_HorzBtn"}, {29, "ScrollBar_HorzPattern"}, {30, "ScrollBar_HorzLeftBtn"},
        {31, "ScrollBar_HorzRightBtn"},
    };
    for (const auto& [id, value] : kIntegers)
        settings_[id] = value;
    for (const auto& [id, text] : kStrings)
        stringSettings_[id] = text;
}

size_t GameCore::FindSlot(uint32_t id) const
{
    for (size_t i = 0; i < modules_.size(); ++i)
        if (modules_[i].id == id)
            return i;
    return modules_.size();
}

BaseModule* GameCore::GetModule(uint32_t id) const
{
    const size_t i = FindSlot(id);
    return i < modules_.size() ? modules_[i].module.get() : nullptr;
}

int GameCore::LoadModule(BaseModule* module, int run, int guard)
{
    AssertUiThread();
    if (!module)
        return LUMORA_RETURN_MODULE_INITIAL_FAILD;
    for (const ModuleSlot& slot : modules_) {
        if (slot.module.get() == module) {
            // The same instance again: deleting it as a "duplicate" would free a live module.
            ++module->refCount_;
            return LUMORA_MSG_OK;
        }
    }
    std::unique_ptr<BaseModule> owned(module);
    uint32_t id = module->GetId();
    if (FindSlot(id) < modules_.size()) {
        if (SendMessage(LUMORA_MODULE_ERROR_SINK, LUMORA_MSG_MODULE_DUPLICATE, reinterpret_cast<uintptr_t>(&id), 0) == 0)
            WriteDailyLog("GameCore::LoadModule---->LUMORA_RETURN_MODULE_CRASH");
        return LUMORA_RETURN_MODULE_CRASH;
    }
    ++module->refCount_;
    module->core_ = this;
    if (!(module->flags_ & MODULE_FLAG_SKIP_INIT) && module->Init() == 0) {
        if (SendMessage(LUMORA_MODULE_ERROR_SINK, LUMORA_MSG_MODULE_INIT_FAILED, reinterpret_cast<uintptr_t>(&id), 0) == 0) {
            WriteDailyLog("GameCore::LoadModule---->LUMORA_RETURN_MODULE_INITIAL_FAILD");
            WriteDailyLog("ErrorModule%s", module->GetName());
        }
        return LUMORA_RETURN_MODULE_INITIAL_FAILD;
    }
    if (run)
        module->flags_ |= MODULE_FLAG_RUNNING;
    if (guard)
        module->flags_ |= MODULE_FLAG_GUARDED;
    else
        module->flags_ &= ~MODULE_FLAG_GUARDED;
    modules_.push_back(ModuleSlot{std::move(owned), id});
    return LUMORA_MSG_OK;
}

void GameCore::DestroySlot(size_t index)
{
    BaseModule* module = modules_[index].module.get();
    // Still linked while it shuts down, so that its Shutdown can reach itself and the others.
    module->Shutdown();
    for (size_t i = 0; i < modules_.size(); ++i) {
        if (modules_[i].module.get() == module) {
            std::unique_ptr<BaseModule> owned = std::move(modules_[i].module);
            modules_.erase(modules_.begin() + static_cast<std::ptrdiff_t>(i));
            owned->ring_.DropAll();
            return;
        }
    }
}

int GameCore::UnloadModule(uint32_t id)
{
    AssertUiThread();
    const size_t index = FindSlot(id);
    if (index == modules_.size())
        return LUMORA_RETURN_MODULE_NOT_FOUND;
    if (walkingModules_) {
        // The tick is walking the module list; the unload happens at the tick's end.
        deferredUnloads_.push_back(id);
        return LUMORA_MSG_OK;
    }
    BaseModule* module = modules_[index].module.get();
    if (module->refCount_ > 0)
        --module->refCount_;
    if (module->refCount_ == 0)
        DestroySlot(index);
    return LUMORA_MSG_OK;
}

void GameCore::UnloadAllModules()
{
    AssertUiThread();
    if (walkingModules_) {
        for (const ModuleSlot& slot : modules_)
            for (uint32_t n = slot.module->refCount_; n > 0; --n)
                deferredUnloads_.push_back(slot.id);
        return;
    }
    deferredUnloads_.clear();
    while (!modules_.empty()) {
        modules_.front().module->refCount_ = 0;
        DestroySlot(0);
    }
}

void GameCore::ApplyDeferredUnloads()
{
    std::vector<uint32_t> ids;
    ids.swap(deferredUnloads_);
    for (uint32_t id : ids)
        UnloadModule(id);
}

int GameCore::SendMessage(uint32_t moduleId, uint32_t message, uintptr_t wparam, uintptr_t lparam)
{
    AssertUiThread();
    if (moduleId == LUMORA_MODULE_CORE) {
        HandleCoreMessage(message, wparam, lparam);
        return 1;
    }
    BaseModule* module = GetModule(moduleId);
    if (!module)
        return 0;
    return module->ProcessMessage(message, wparam, lparam) == LUMORA_MSG_OK ? 1 : 0;
}

void GameCore::PostMessage(uint32_t moduleId, uint32_t message, uintptr_t wparam, uintptr_t lparam,
                           MessageReleaseHook release)
{
    AssertUiThread();
    coreMessages_.push_back(ModuleMessage{moduleId, message, wparam, lparam, release});
    RequestTick();
}

void GameCore::RequestTick()
{
    if (!inTick_ && tickRequest_)
        tickRequest_();
}

std::optional<uint32_t> GameCore::NextDue() const
{
    const uint32_t now = GetTime();
    if (!coreMessages_.empty())
        return now;
    std::optional<uint32_t> due;
    for (const ModuleSlot& slot : modules_) {
        const BaseModule& m = *slot.module;
        if (!m.IsRunning())
            continue;
        std::optional<uint32_t> at = m.NextWorkDue();
        if (!at)
            continue;
        // Measured from now: a time already passed is due at once (unsigned, as the gate is).
        const int32_t ahead = static_cast<int32_t>(*at - now);
        const uint32_t when = ahead <= 0 ? now : *at;
        if (!due || static_cast<int32_t>(when - *due) < 0)
            due = when;
    }
    return due;
}

void GameCore::HandleCoreMessage(uint32_t message, uintptr_t wparam, uintptr_t /*lparam*/)
{
    switch (message) {
    case LUMORA_MSG_RESUME_MODULE:
        if (BaseModule* m = wparam ? GetModule(IdAt(wparam)) : nullptr)
            m->flags_ |= MODULE_FLAG_RUNNING;
        break;
    case LUMORA_MSG_PAUSE_MODULE:
        if (BaseModule* m = wparam ? GetModule(IdAt(wparam)) : nullptr)
            m->flags_ &= ~MODULE_FLAG_RUNNING;
        break;
    case LUMORA_MSG_LOAD_MODULE:
        LoadModule(reinterpret_cast<BaseModule*>(wparam), 0, 1);
        break;
    case LUMORA_MSG_UNLOAD_MODULE:
        if (wparam)
            UnloadModule(IdAt(wparam));
        break;
    default:
        break;
    }
}

void GameCore::DeliverMessages(BaseModule* module)
{
    MessageRing& ring = module->ring_;
    if (ring.Pending() > module->GetQueueLimit()) {
        const uint32_t id = module->GetId();
        if (BaseModule* sink = GetModule(LUMORA_MODULE_ERROR_SINK))
            sink->ProcessMessage(LUMORA_MSG_QUEUE_OVERFLOW, id, 0);
        const uint32_t dropped = ring.DropAll();
        WriteDailyLog("GameCore::DeliverMessages---->queue of <%s> overflowed, %u messages dropped",
                      module->GetName(), dropped);
    }
    if (coreMessages_.empty())
        return;
    const uint32_t id = module->GetId();
    size_t kept = 0;
    for (size_t i = 0; i < coreMessages_.size(); ++i) {
        if (coreMessages_[i].moduleId == id)
            ring.Push(coreMessages_[i]);
        else
            coreMessages_[kept++] = coreMessages_[i];
    }
    coreMessages_.resize(kept);
}

void GameCore::ReportFault(BaseModule* module)
{
    module->flags_ &= ~MODULE_FLAG_RUNNING;
    uint32_t id = module->GetId();
    if (SendMessage(LUMORA_MODULE_ERROR_SINK, LUMORA_MSG_MODULE_FAULT, reinterpret_cast<uintptr_t>(&id), 0) != 0)
        return;
    char text[512];
    std::snprintf(text, sizeof text, "模块:<%s>因故障关闭!", module->GetName());
    WriteDailyLog("%s", text);
    // The box waits for the end of the tick: a modal loop here would run ticks inside this one.
    pendingFaults_.emplace_back(text);
}

void GameCore::RunModule(BaseModule* module, uint32_t now)
{
    platform::ClickTraceSpan span("module", module->GetId());
    if (!(module->flags_ & MODULE_FLAG_GUARDED)) {
        DeliverMessages(module);
        module->Update(now);
        return;
    }
    try {
        DeliverMessages(module);
        module->Update(now);
    } catch (...) {
        ReportFault(module);
    }
}

template <typename Predicate>
std::vector<ModuleMessage> GameCore::TakeCoreMessages(Predicate take)
{
    std::vector<ModuleMessage> taken;
    size_t kept = 0;
    for (size_t i = 0; i < coreMessages_.size(); ++i) {
        if (take(coreMessages_[i]))
            taken.push_back(coreMessages_[i]);
        else
            coreMessages_[kept++] = coreMessages_[i];
    }
    coreMessages_.resize(kept);
    return taken;
}

void GameCore::HandleCoreList()
{
    // Taken out first: handling may load modules whose Init posts again.
    const auto mine = TakeCoreMessages([](const ModuleMessage& m) { return m.moduleId == LUMORA_MODULE_CORE; });
    for (const ModuleMessage& m : mine)
        HandleCoreMessage(m.message, m.wparam, m.lparam);
}

void GameCore::DiscardUnaddressed()
{
    const auto lost = TakeCoreMessages([this](const ModuleMessage& m) {
        return m.moduleId != LUMORA_MODULE_CORE && FindSlot(m.moduleId) == modules_.size();
    });
    for (const ModuleMessage& m : lost) {
        WriteDailyLog("GameCore::FrameTick---->message %u for module %u discarded: no such module",
                      m.message, m.moduleId);
        m.Release();
    }
}

void GameCore::PublishFaults()
{
    std::vector<std::string> faults;
    faults.swap(pendingFaults_);
    for (std::string& text : faults) {
        faultReports_.push_back(text);
        if (faultHandler_)
            faultHandler_(text);
    }
}

void GameCore::FrameTick()
{
    AssertUiThread();
    if (inTick_)
        return;
    {
        FlagScope ticking(inTick_);
        FrameLock lock(*this);
        const uint32_t now = GetTime();
        {
            FlagScope walking(walkingModules_);
            // By index: a module loaded during the walk is appended and updated in this tick.
            for (size_t i = 0; i < modules_.size(); ++i)
                RunModule(modules_[i].module.get(), now);
        }
        HandleCoreList();
        ApplyDeferredUnloads();
        DiscardUnaddressed();
    }
    PublishFaults();
}

void GameCore::Lock()
{
    frameLock_.lock();
    ++lockWord_;
}

void GameCore::Unlock()
{
    --lockWord_;
    frameLock_.unlock();
}

int32_t GameCore::GetSetting(uint32_t id) const
{
    const auto it = settings_.find(id);
    return it == settings_.end() ? -1 : it->second;
}

void GameCore::SetSetting(uint32_t id, int32_t value)
{
    settings_[id] = value;
}

const char* GameCore::GetSettingString(uint32_t id) const
{
    const auto it = stringSettings_.find(id);
    return it == stringSettings_.end() ? nullptr : it->second.c_str();
}

void GameCore::SetSettingString(uint32_t id, std::string_view text)
{
    stringSettings_[id] = std::string(text);
}

void GameCore::SetFaultHandler(std::function<void(const std::string& text)> handler)
{
    faultHandler_ = std::move(handler);
}

} // namespace Lumora

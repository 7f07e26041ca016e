#include "engine/BaseModule.h"

#include "engine/GameCore.h"

namespace Lumora {

int BaseModule::Update(uint32_t now)
{
    if (!IsRunning())
        return 0;
    if (now - lastUpdate_ < interval_)
        return 1;
    lastUpdate_ = now;
    DrainMessages();
    Work();
    return 1;
}

BaseModule* BaseModule::GetModule(uint32_t id) const
{
    return core_ ? core_->GetModule(id) : nullptr;
}

int BaseModule::SendMessage(uint32_t moduleId, uint32_t message, uintptr_t wparam, uintptr_t lparam)
{
    return core_ ? core_->SendMessage(moduleId, message, wparam, lparam) : 0;
}

void BaseModule::PostMessage(uint32_t moduleId, uint32_t message, uintptr_t wparam, uintptr_t lparam,
                             MessageReleaseHook release)
{
    if (core_)
        core_->PostMessage(moduleId, message, wparam, lparam, release);
    else if (release)
        release(ModuleMessage{moduleId, message, wparam, lparam, release});
}

void BaseModule::DrainMessages()
{
    ModuleMessage m;
    while (ring_.Pop(m))
        ProcessMessage(m.message, m.wparam, m.lparam);
    ring_.Rewind();
}

} // namespace Lumora

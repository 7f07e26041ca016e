// The one installed application, reached by the framework's other parts.
#include "framework/app/GameAppAccess.h"

#include <atomic>

namespace {
std::atomic<IGameAppAccess*> g_app{nullptr};
}

IGameAppAccess* GetGameAppAccess()
{
    return g_app.load(std::memory_order_acquire);
}

void SetGameAppAccess(IGameAppAccess* app)
{
    g_app.store(app, std::memory_order_release);
}

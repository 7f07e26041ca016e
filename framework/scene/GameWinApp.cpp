// The installed application of the frame window, the dispatcher and the scene, and the free
// helpers that read it.
#include "framework/scene/GameWinApp.h"

namespace {
IGameWinApp* g_app = nullptr;
}

IGameWinApp* GetGameWinApp() { return g_app; }
void SetGameWinApp(IGameWinApp* app) { g_app = app; }

CGameInfo* GetGameInfo() { return g_app ? g_app->GetGameInfo() : nullptr; }
Lumora::CGameBase* GetGameFrame() { return g_app ? g_app->GetGameFrame() : nullptr; }
int GetGameFrameState() { return g_app ? g_app->GetGameFrameState() : 0; }

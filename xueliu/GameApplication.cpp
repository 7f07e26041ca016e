// This game's run: static objects, start-up, end.
#include "xueliu/GameApplication.h"

#include "framework/app/NotifyGate.h"
#include "platform/Message.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/QuitSignals.h"
#include "platform/ThreadId.h"
#include "platform/Window.h"
#include "xueliu/CGameApp.h"

#include <atomic>

namespace {

std::atomic<platform::ThreadId> g_uiThread{0};
// A window of the UI thread that takes quit requests from other threads: only the UI thread looks
// at the application and its main window, which it creates and destroys.
std::atomic<platform::WindowId> g_quitRelay{0};

intptr_t OnQuitRelay(platform::WindowId, uint32_t message, uintptr_t, intptr_t)
{
    if (message != platform::kMsgUser)
        return 0;
    CGameWinApp* app = GetGameApp();
    const platform::WindowId window = app ? app->GetMainWindowId() : 0;
    if (window == 0 || !platform::PostToWindow(window, platform::kMsgClose))
        platform::PostQuit(0);
    return 0;
}

// Once per process, before the application starts any thread.

void CloseQuitRelay()
{
    if (const platform::WindowId relay = g_quitRelay.exchange(0))
        platform::DestroyWindow(relay);
}

} // namespace

void RequestClientQuit()
{
    const platform::WindowId relay = g_quitRelay.load();
    if (relay == 0 || !platform::PostToWindow(relay, platform::kMsgUser))
        platform::PostToThread(g_uiThread.load(), platform::kMsgQuit);
}

GameApplication::GameApplication(IServerStartup* connection) : connection_(connection) {}

GameApplication::~GameApplication()
{
    CloseQuitRelay();
    app_.reset();
    SetNotifyGate(nullptr);
    gate_.reset();
}

bool GameApplication::InitInstance(const std::vector<std::string>& arguments, ClientPlatform& platform)
{
    g_uiThread = platform::CurrentThreadId();
    platform::CurrentQueue();
    CloseQuitRelay();
    g_quitRelay = platform::MakeWindow(OnQuitRelay);
    platform::WatchQuitSignals(RequestClientQuit);
    app_ = std::make_unique<CGameApp>();
    gate_ = std::make_shared<NotifyGate>();
    SetNotifyGate(gate_.get());
    app_->SetNotifyGate(gate_);
    app_->SetPlatform(&platform);
    app_->SetServerStartup(connection_);
    std::vector<std::string> rest(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end());
    app_->SetArguments(std::move(rest), arguments.empty() ? std::string("xueliu") : arguments[0]);
    return app_->InitInstance();
}

int GameApplication::ExitInstance(int loopCode)
{
    CloseQuitRelay();
    if (app_)
        app_->ExitInstance();
    app_.reset();
    SetNotifyGate(nullptr);
    gate_.reset();
    return loopCode;
}

void InstallGameApplication(IServerStartup* connection)
{
    SetClientApplicationFactory([connection] { return std::make_unique<GameApplication>(connection); });
}

// The client's run: start-up, message loop, end.
#include "xueliu/RunClient.h"

#include "framework/app/AppMessages.h"
#include "framework/app/NotifyGate.h"
#include "platform/Http.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/QuitSignals.h"
#include "platform/ThreadId.h"
#include "platform/Window.h"
#include "xueliu/CGameApp.h"

int RunClient(const ClientOptions& options)
{
    // libcurl's global set-up and the signal mask come before any thread starts.
    platform::InitHttp();
    platform::CurrentQueue();
    const platform::ThreadId ui = platform::CurrentThreadId();
    platform::WatchQuitSignals([ui] { platform::PostToThread(ui, app_msg::kTerminate); });
    // The static objects of the program, in order: the application, then the gate.
    auto app = std::make_unique<CGameApp>();
    auto gate = std::make_unique<NotifyGate>();
    SetNotifyGate(gate.get());
    app->SetNotifyGate(gate.get());
    app->SetArguments(options.arguments, options.programPath);
    app->SetServerStartup(options.connection);

    const bool started = app->InitInstance();
    if (started) {
        platform::Message m;
        while (platform::GetNextMessage(m)) {
            if (m.window == 0 && m.id == app_msg::kHallGone)
                break;
            // A signal closes the main window the way the player would (exit report included).
            if (m.window == 0 && m.id == app_msg::kTerminate) {
                if (!platform::PostToWindow(app->GetMainWindowId(), platform::kMsgClose))
                    break;
                continue;
            }
            platform::Dispatch(m);
        }
    }
    app->ExitInstance();
    app.reset();
    SetNotifyGate(nullptr);
    gate.reset();
    return started ? 0 : 1;
}

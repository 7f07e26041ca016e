// The run of the whole client and the creation of its main window.
#include "framework/window/RunClient.h"

#include "framework/window/CGameFrameWnd.h"
#include "platform/Http.h"
#include "platform/MessageLoop.h"
#include "platform/SystemScreen.h"

#include <cstdio>
#include <mutex>

namespace {

ClientApplicationFactory& Factory()
{
    static ClientApplicationFactory factory;
    return factory;
}

} // namespace

void SetClientApplicationFactory(ClientApplicationFactory factory) { Factory() = std::move(factory); }

int RunClient(const std::vector<std::string>& arguments, ClientPlatform& platform)
{
    static std::once_flag http;
    std::call_once(http, [] { platform::InitHttp(); });
    if (!Factory()) {
        std::fputs("xueliu: no application is installed in this build.\n", stderr);
        return 1;
    }
    std::unique_ptr<IClientApplication> app = Factory()();
    if (!app)
        return 1;
    if (!app->InitInstance(arguments, platform))
        return app->ExitInstance(1);
    const int code = platform.runLoop ? platform.runLoop() : platform::RunMessageLoop();
    return app->ExitInstance(code);
}

bool CreateFrameWindow(CGameFrameWnd& wnd, const ClientPlatform& platform, const std::string& gbkTitle)
{
    const platform::Rect work = platform::QueryScreen().workArea;
    if (platform.makeWindow)
        return wnd.Create(platform.makeWindow(work));
    platform::WindowStyle style;
    style.borderless = true;
    return wnd.Create(gbkTitle, style, work);
}

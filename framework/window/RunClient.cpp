// The run of the whole client and the creation of its main window.
#include "framework/window/RunClient.h"

#include "framework/window/CGameFrameWnd.h"
#include "platform/Audio.h"
#include "platform/FontResolver.h"
#include "platform/MessageLoop.h"
#include "platform/RealWindow.h"
#include "platform/StartTrace.h"
#include "platform/SystemScreen.h"

#include <cstdio>
#include <thread>

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
    platform::StartMark("main");
    // The display once for the whole run, before the first screen question: a question asked
    // without it starts and stops the display library's video for itself. It opens before any
    // other thread runs: the display library's start may fork (a helper of its message bus), and
    // a child forked while another thread holds an allocator's lock waits for ever.
    if (!platform.makeWindow && platform::DisplayNamed())
        platform::OpenRealWindows();
    // The font configuration is read on a thread of its own while the hall and the server answer;
    // the first text waits only for what is left of it. The sound mixer's library is loaded there
    // next, long before the engine opens the sound device.
    std::thread fonts([] {
        platform::FontResolver prepared(platform::DefaultFontAliasFile());
        platform::PreloadMixer();
    });
    struct Joined {
        std::thread& thread;
        ~Joined() { thread.join(); }
    } joined{fonts};
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
    // Made hidden: it is shown once it is built and the hall has answered.
    platform::WindowStyle style;
    style.borderless = true;
    style.visible = false;
    return wnd.Create(gbkTitle, style, work);
}

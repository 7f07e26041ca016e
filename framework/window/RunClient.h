#pragma once
// The whole client as one call. main() hands it the command line and the real platform; tests
// hand it a headless platform (their own window maker and loop driver, a manual clock) and run
// the complete client in-process, inspecting its objects while it runs.
//
//   RunClient: HTTP set-up, the application from the installed factory, its start-up; when the
//   start-up succeeds, the message loop until the quit message; then the application's end,
//   whose result is the process's exit status (0 normal, 1 start-up failure).
//
// Threads: the calling thread becomes the UI thread.
#include "platform/DisplayWindow.h"
#include "platform/WindowTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CGameFrameWnd;

// What differs between the real run and a test run.
struct ClientPlatform {
    // Makes the main window's display window on the given screen rectangle; null makes a real one.
    std::function<std::unique_ptr<platform::DisplayWindow>(const platform::Rect&)> makeWindow;
    // Runs the UI thread's loop until the quit message and returns its code; null runs the
    // platform's blocking loop.
    std::function<int()> runLoop;
};

// The application object as RunClient drives it.
class IClientApplication {
public:
    virtual ~IClientApplication() = default;
    // Start-up, including the main window (CreateFrameWindow). False ends the run.
    virtual bool InitInstance(const std::vector<std::string>& arguments, ClientPlatform& platform) = 0;
    // The end; `loopCode` is the quit code (or 1 after a failed start-up). Returns the exit status.
    virtual int ExitInstance(int loopCode) = 0;
};

using ClientApplicationFactory = std::function<std::unique_ptr<IClientApplication>()>;
// The game installs the maker of its application before RunClient.
void SetClientApplicationFactory(ClientApplicationFactory factory);

int RunClient(const std::vector<std::string>& arguments, ClientPlatform& platform);

// Creates the main window on the work area, undecorated: through the platform's maker when it
// has one, else on the display. False when no window could be made.
bool CreateFrameWindow(CGameFrameWnd& wnd, const ClientPlatform& platform, const std::string& gbkTitle);

#pragma once
// This game as the run of the client drives it: the program's static objects in their order
// (the application, then the relay's gate), the start-up, and the end, after which they go in
// reverse order. Ctrl+C and SIGTERM close the main window the way the player would (before the
// window exists they end the loop).
#include "framework/window/RunClient.h"

#include <memory>

class CGameApp;
class IServerStartup;
class NotifyGate;

class GameApplication final : public IClientApplication {
public:
    // `connection` stands in for the game's connection (tests); null uses the real one.
    explicit GameApplication(IServerStartup* connection = nullptr);
    ~GameApplication() override;

    // arguments[0] is the program's path.
    bool InitInstance(const std::vector<std::string>& arguments, ClientPlatform& platform) override;
    int ExitInstance(int loopCode) override;

private:
    IServerStartup* connection_;
    std::unique_ptr<CGameApp> app_;
    std::shared_ptr<NotifyGate> gate_;
};

// Any thread: asks the UI thread to close the main window as the player would (before the window
// exists, or after it is gone, to end the loop). Ctrl+C and SIGTERM come here.
void RequestClientQuit();

// Installs this game's application as the one RunClient makes.
void InstallGameApplication(IServerStartup* connection = nullptr);

#pragma once
// What a whole client run in the test process needs around it: a private folder with the
// program's and the machine's folders, a fresh name for the hall link (XL_HALL_SOCKET; a FakeHall
// listens on `hallAddress`), a 1366x768 screen,
// headless windows, and system boxes answered (and kept) instead of shown. Everything is undone
// with the object, and the programs the client started (a hall, a relaunch) are ended before its
// folder goes. A test may give another screen.
#include "framework/window/RunClient.h"
#include "platform/HeadlessWindow.h"
#include "platform/LocalSocket.h"
#include "platform/SystemScreen.h"
#include "tests/support/RigRegistry.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

class ClientEnvironment {
public:
    // `folder` is a mkdtemp pattern (xltest::TempPattern: a bare name goes into TMPDIR).
    explicit ClientEnvironment(std::string folder,
                               platform::ScreenFacts screenFacts = {1366, 768, {0, 0, 1366, 728}, 23})
        : folder_(folder), before_(xltest::RigRegistry::Children()), dir(folder_.Path()), screen(screenFacts)
    {
        if (dir.empty())
            throw std::runtime_error("no folder for the client's files in TMPDIR");
        ::mkdir((dir + "/game").c_str(), 0700);
        ::mkdir((dir + "/machine").c_str(), 0700);
        setenv("XL_MACHINE_DIR", (dir + "/machine").c_str(), 1);
        setenv("XL_PROGRAM_DIR", (dir + "/game/").c_str(), 1);
        setenv("XL_HALL_SOCKET", hallAddress.c_str(), 1);
        platform::SetScreenOverride(&screen);
        // The windows stand on the screen's desktop: the frame sizes and folds its side panel by it.
        platform.makeWindow = [this](const platform::Rect& r) {
            auto window = std::make_unique<platform::HeadlessWindow>(r);
            window->SetWorkArea(screen.workArea);
            return window;
        };
        platform::SetSystemBoxHandler([this](const std::string& text, const std::string&, platform::MessageBoxButtons,
                                             platform::BoxIcon) {
            boxes.push_back(text);
            return answer;
        });
    }
    ~ClientEnvironment()
    {
        xltest::RigRegistry::EndChildrenBut(before_);
        SetClientApplicationFactory(nullptr);
        platform::SetSystemBoxHandler(nullptr);
        platform::SetScreenOverride(nullptr);
        for (const char* v : {"XL_MACHINE_DIR", "XL_PROGRAM_DIR", "XL_HALL_SOCKET"})
            unsetenv(v);
    }
    ClientEnvironment(const ClientEnvironment&) = delete;
    ClientEnvironment& operator=(const ClientEnvironment&) = delete;

private:
    xltest::TempFolder folder_; // removed after everything else here
    std::vector<pid_t> before_; // the test's own programs

public:
    std::string dir;
    const std::string hallAddress = platform::PrivateLocalName("hall");
    platform::ScreenFacts screen;
    ClientPlatform platform;
    std::vector<std::string> boxes;
    platform::MessageBoxAnswer answer = platform::MessageBoxAnswer::No;
};

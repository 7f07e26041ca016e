// The whole client as one call, run in-process on a headless platform: an application that
// makes this game's main window through the platform's maker runs until the window is closed,
// and the exit status is what the application's end returns; a failed start-up never runs the
// loop.
#include "tests/framework/FakeGameWinApp.h"
#include "tests/support/ProgramFolder.h"

#include "engine/gui/CGameBase.h"
#include "framework/window/RunClient.h"
#include "platform/HeadlessWindow.h"
#include "platform/ManualLoop.h"
#include "platform/Window.h"
#include "xueliu/CMainFrame.h"

#include <gtest/gtest.h>

namespace {

struct TestApplication : IClientApplication {
    bool InitInstance(const std::vector<std::string>& arguments, ClientPlatform& platform) override
    {
        seen = arguments;
        if (failStart)
            return false;
        wnd = std::make_unique<CMainFrame>();
        if (!CreateFrameWindow(*wnd, platform, "血流成河"))
            return false;
        wnd->StartEngine(new Lumora::CGameBase);
        app.mainWnd = wnd.get();
        platform::PostToWindow(wnd->GetMessageWindow(), platform::kMsgClose);
        return true;
    }
    int ExitInstance(int loopCode) override
    {
        wnd.reset();
        return loopCode;
    }
    static inline bool failStart = false;
    static inline std::vector<std::string> seen;
    static inline frametest::FakeGameWinApp app;
    std::unique_ptr<CMainFrame> wnd;
};

class RunClientTest : public ::testing::Test {
protected:
    RunClientTest()
    {
        SetClientApplicationFactory([] { return std::make_unique<TestApplication>(); });
        platform_.makeWindow = [](const platform::Rect& rect) {
            return std::make_unique<platform::HeadlessWindow>(rect);
        };
        platform_.runLoop = [this] {
            for (int step = 0; step < 1000 && !loop_.QuitCode(); ++step)
                loop_.Advance(5);
            return loop_.QuitCode().value_or(-1);
        };
    }
    ~RunClientTest() override
    {
        SetClientApplicationFactory(nullptr);
        TestApplication::app = {};
    }

    testsupport::ProgramFolder folder_{"run_client"};
    platform::ManualClock clock_;
    platform::ManualLoop loop_{clock_};
    frametest::Installed installed_{TestApplication::app};
    ClientPlatform platform_;
};

TEST_F(RunClientTest, ClientRunsUntilItsWindowIsClosed)
{
    TestApplication::failStart = false;
    EXPECT_EQ(RunClient({"xueliu", "--test-mode=1"}, platform_), 0);
    EXPECT_EQ(TestApplication::seen, (std::vector<std::string>{"xueliu", "--test-mode=1"}));
    EXPECT_EQ(TestApplication::app.log, (std::vector<std::string>{"decide", "exit report", "comm stopped"}));
}

TEST_F(RunClientTest, FailedStartUpEndsWithStatusOneWithoutALoop)
{
    TestApplication::failStart = true;
    EXPECT_EQ(RunClient({"xueliu"}, platform_), 1);
    EXPECT_FALSE(loop_.QuitCode());
}

} // namespace

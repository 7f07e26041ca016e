// The screen question on a private X server, asked from several threads at once. With the
// windows running each question counts once more on their subsystem and leaves it running:
// every answer is the server's screen. Without windows each question starts and stops the video
// subsystem, one at a time: every answer is the server's screen too.
#include "platform/RealWindow.h"
#include "platform/SystemScreen.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Tally {
    std::atomic<int> display{0}, fallback{0}, other{0};
};

void AskFromSixThreads(Tally& tally)
{
    const platform::ScreenFacts none;
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10; ++i) {
                const platform::ScreenFacts f = platform::QueryScreen();
                if (f.width == 1280 && f.height == 1024 && f.workArea.Width() == 1280 && f.workArea.Height() == 1024)
                    ++tally.display;
                else if (f.width == none.width && f.height == none.height && f.workArea.Width() == none.width)
                    ++tally.fallback;
                else
                    ++tally.other;
            }
        });
    for (std::thread& t : threads)
        t.join();
}

TEST(SystemScreen, ThreadsAskingAtOnceGetWholeAnswersAndLeaveTheWindowsSubsystemRunning)
{
    xltest::XvfbSession x("1280x1024x24");
    if (!x.Ok())
        GTEST_SKIP() << "no Xvfb";
    ASSERT_TRUE(platform::OpenRealWindows());
    Tally withWindows;
    AskFromSixThreads(withWindows);
    EXPECT_EQ(withWindows.display, 60);
    platform::CloseRealWindows();

    Tally alone;
    AskFromSixThreads(alone);
    EXPECT_EQ(alone.display, 60);
}

} // namespace

// The communication thread: relayed server messages keep their order through an open gate and a
// closed-then-opened one; records are freed when no target is set; the thread stops within its
// limit even while the gate is closed, freeing its backlog; the wait dialog's timed hide restarts
// with a new text; the wait bar's bands.
#include "framework/app/AppMessages.h"
#include "framework/app/CommThread.h"
#include "framework/app/WaitDialogPaint.h"
#include "tests/support/RelayRig.h"
#include "tests/support/SolidGlyphSource.h"
#include "net/Message.h"
#include "net/SocketClient.h"
#include "platform/Clock.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

using testsupport::PostServerMessage;
using MainWindow = testsupport::RelayedWindow;

std::vector<uint32_t> Sequence(uint32_t first, uint32_t count)
{
    std::vector<uint32_t> v;
    for (uint32_t i = 0; i < count; ++i)
        v.push_back(first + i);
    return v;
}

} // namespace

TEST(CommThread, RelaysInOrderThroughAnOpenGateAndAfterAClosedOneOpens)
{
    NotifyGate gate;
    auto thread = CGameCommThread::Start(gate);
    ASSERT_TRUE(thread);
    MainWindow main;
    platform::PostToThread(thread->Id(), app_msg::kCommSetTarget, main.id);
    for (uint32_t i = 0; i < 50; ++i)
        PostServerMessage(thread->Id(), 1000 + i);
    ASSERT_TRUE(main.PumpUntil(50));

    gate.Close();
    gate.Close(); // one opening undoes both
    for (uint32_t i = 50; i < 100; ++i)
        PostServerMessage(thread->Id(), 1000 + i);
    main.PumpUntil(51, std::chrono::milliseconds(50));
    EXPECT_EQ(main.ids.size(), 50u) << "nothing passes a closed gate";
    gate.Open();
    ASSERT_TRUE(main.PumpUntil(100));
    EXPECT_EQ(main.ids, Sequence(1000, 100));
}

TEST(CommThread, RecordsBeforeATargetAreFreedAndStopEndsTheThreadWithTheGateClosed)
{
    // The sanitizer build proves the frees: every record here is dropped, none delivered.
    NotifyGate gate;
    auto thread = CGameCommThread::Start(gate);
    ASSERT_TRUE(thread);
    for (uint32_t i = 0; i < 20; ++i)
        PostServerMessage(thread->Id(), i);
    MainWindow main;
    platform::PostToThread(thread->Id(), app_msg::kCommSetTarget, main.id);
    gate.Close();
    for (uint32_t i = 0; i < 200; ++i)
        PostServerMessage(thread->Id(), 500 + i, 4096);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(thread->Stop());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    main.PumpUntil(1, std::chrono::milliseconds(20));
    EXPECT_TRUE(main.ids.empty());
    // Posts after the end fail, so their sender frees them.
    EXPECT_FALSE(platform::PostToThread(thread->Id(), app_msg::kCommSetTarget, 0));
}

TEST(CommThread, TimedHideRestartsWithANewTextAndHideClearsIt)
{
    platform::ManualClock clock(10000);
    platform::ScopedClock scoped(clock);
    NotifyGate gate;
    auto thread = CGameCommThread::Start(gate);
    SetCommThread(thread.get());
    auto settle = [&] { // the thread applies posts in order: wait for a marker text
        ShowWaitText("marker", true);
        for (int i = 0; i < 2000 && thread->Snapshot(clock.NowMs()).text != "marker"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    ShowWaitTextTimed("正在连接", 3);
    auto seen = [&](uint64_t at) { return thread->Snapshot(at); };
    for (int i = 0; i < 2000 && seen(clock.NowMs()).text != "正在连接"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(seen(10000 + 2999).visible);
    EXPECT_FALSE(seen(10000 + 3000).visible);
    clock.Advance(2000);
    ShowWaitTextTimed("again", 3);
    for (int i = 0; i < 2000 && seen(clock.NowMs()).text != "again"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(seen(12000 + 2999).visible) << "a new text restarts the timer";
    EXPECT_FALSE(seen(12000 + 3000).visible);
    settle();
    ShowWaitText(nullptr, false);
    platform::PostToThread(thread->Id(), app_msg::kCommSetTarget, 0); // a marker after the hide
    for (int i = 0; i < 2000 && seen(clock.NowMs()).visible; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(seen(clock.NowMs()).visible);
    SetCommThread(nullptr);
}

TEST(WaitBar, BandsFadeFromTheForegroundTowardsTheBackgroundAndRotate)
{
    WaitBarColours bar;
    bar.SetColors(0x1A462E, 0x429473);
    std::array<uint32_t, 6> expected{0x419473, 0x347A5C, 0x276045, 0x1A462E, 0x276045, 0x347A5C};
    EXPECT_EQ(bar.bands, expected);
    auto once = bar.Rotated(1);
    EXPECT_EQ(once[0], expected[5]);
    EXPECT_EQ(once[4], expected[3]);
    EXPECT_EQ(bar.Rotated(6), expected);
}

TEST(WaitDialogPicture, BandsSitInTheirFrameAndTheTextDarkensTheMiddle)
{
    WaitDialogState state;
    state.visible = true;
    state.text = "连接中";
    WaitBarColours bar;
    bar.SetColors(kWaitBarForeground, kWaitBarBackground);
    state.bands = bar.Rotated(1);
    state.background = kWaitBarBackground;
    testsupport::SolidGlyphSource glyphs(255);
    auto pic = PaintWaitDialog(state, glyphs);
    auto at = [&](int x, int y) { return pic.pixels[y * pic.width + x]; };
    const int barY = pic.height - 12 - 7;
    EXPECT_EQ(at(12, barY), ColourToPixel(kWaitBarBackground)) << "the frame";
    EXPECT_EQ(at(20, barY), ColourToPixel(state.bands[0]));
    EXPECT_EQ(at(pic.width - 20, barY), ColourToPixel(state.bands[5]));
    EXPECT_EQ(at(2, 2), ColourToPixel(WaitDialogPicture::kButtonFace));
    int dark = 0;
    for (uint32_t p : pic.pixels)
        dark += (p & 0xFFFFFF) == 0;
    EXPECT_GT(dark, 3 * 12 * 6) << "three solid glyphs drawn";

    std::vector<uint32_t> skin(4, 0xFF123456);
    pic = PaintWaitDialog({}, glyphs, skin, 2, 2);
    EXPECT_EQ(at(1, 1), 0xFF123456u) << "the skin's picture is stretched over the dialog";
}

TEST(CommThread, TheThreadSharesItsGateSoTheOwnerMayLetGoFirst)
{
    auto gate = std::make_shared<NotifyGate>();
    std::weak_ptr<NotifyGate> seen = gate;
    auto thread = CGameCommThread::Start(gate);
    ASSERT_TRUE(thread);
    gate.reset();
    EXPECT_FALSE(seen.expired()) << "a thread still running keeps the gate";
    EXPECT_TRUE(thread->Stop());
}

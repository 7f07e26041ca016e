// The game's main window over a headless window and a manual clock, against a scripted
// application and connection: the server-message handler (older connections, the transport's
// loss notices, a refused record costing one 201162 while the relay goes on), the four timers
// and the close paths. Records are heap records as the relay hands them over; the sanitizer
// build shows any that is not freed.
#include "tests/framework/FrameWndFixture.h"

#include "framework/app/HallRecords.h"
#include "framework/app/NotifyGate.h"
#include "framework/notify/NotifyEvents.h"

#include <array>

namespace {

using frametest::FrameWndTest;
using frametest::Record;

TEST_F(FrameWndTest, MessagesOfAnOlderConnectionOnlyFreeTheirRecords)
{
    Push(211230, 6);
    Push(net::kNoticePeerClosed, 6);
    EXPECT_TRUE(app_.log.empty());
    EXPECT_TRUE(app_.lines.empty());
    EXPECT_EQ(LastNotifyId(), 0u);
    Push(211230, 7);
    EXPECT_EQ(app_.lines.size(), 1u);
    EXPECT_EQ(LastNotifyId(), 211230u);
}

TEST_F(FrameWndTest, TransportNoticesAreTheLossOfTheConnection)
{
    Push(net::kNoticeSocketError, 7);
    EXPECT_EQ(app_.log, std::vector<std::string>{"close"});
    EXPECT_FALSE(app_.lostWhilePlaying);
    ASSERT_EQ(app_.boxes.size(), 1u);
    EXPECT_EQ(app_.boxes[0].text, "与服务器连接断开。");
    EXPECT_EQ(app_.boxes[0].seconds, 30);
    EXPECT_EQ(app_.boxes[0].flags, 0x31u);
    EXPECT_EQ(app_.boxes[0].icon, "xyf大哭");

    app_.playing = true;
    Push(net::kNoticePeerClosed, 7);
    EXPECT_TRUE(app_.lostWhilePlaying);
    EXPECT_EQ(app_.boxes.back().text, "断线了！请尽快重入房间续玩。\r\n\r\n您的位置【华东_新手】。");
    for (std::string_view name : testsupport::kHostileNames) { // the hall's area name, on one line
        app_.areaName = name;
        Push(net::kNoticePeerClosed, 7);
        EXPECT_TRUE(testsupport::ShowsName(app_.boxes.back().text, name, "_新手", /*chatLine=*/false));
    }
}

TEST_F(FrameWndTest, RefusedRecordCostsOneReportAndTheRelayGoesOn)
{
    Push(211230, 7);
    Push(201213, 7, Record(8));  // too short for its handler
    Push(211230, 7);
    EXPECT_EQ(app_.log, std::vector<std::string>{"201162 201213 8 last 211230 0"});
    EXPECT_EQ(app_.lines.size(), 2u);
    EXPECT_EQ(LastNotifyId(), 211230u);
}

TEST_F(FrameWndTest, HallGoneEndsTheLoopWithinAPeriodWithoutAReport)
{
    loop_->Advance(3000);
    EXPECT_FALSE(loop_->QuitCode());
    app_.hallAlive = false;
    loop_->Advance(1000);
    EXPECT_EQ(loop_->QuitCode(), 0);
    EXPECT_EQ(app_.log, std::vector<std::string>{"close"});
}

TEST_F(FrameWndTest, HallGoneIsIgnoredInTestMode)
{
    app_.testMode = 1;
    app_.hallAlive = false;
    loop_->Advance(5000);
    EXPECT_FALSE(loop_->QuitCode());
}

TEST_F(FrameWndTest, PlayerQuitClosesAfterThreeSecondsUnlessThePlayerLeftFirst)
{
    app_.hall.players[1].SetUserId(1002);
    app_.hall.players[1].SetName("乙");
    hall::PlayerLeft left;
    left.SetI32(hall::PlayerLeft::kChair, 1);

    wnd_->OnPlayerQuit(left);
    Push(211000, 7);  // the server's own notice: the close timer no longer closes
    loop_->Advance(4000);
    EXPECT_FALSE(loop_->QuitCode());
    EXPECT_FALSE(wnd_->IsTimerRunning(CGameFrameWnd::kCloseTimer));

    wnd_->SetHallLeaveFlag(true);
    app_.log.clear();
    wnd_->OnPlayerQuit(left);
    EXPECT_EQ(app_.log, std::vector<std::string>{"wait 乙已经退出,游戏结束。 3"});
    loop_->Advance(2999);
    EXPECT_FALSE(loop_->QuitCode());
    loop_->Advance(1);
    EXPECT_EQ(loop_->QuitCode(), 0);
    EXPECT_EQ(app_.log, (std::vector<std::string>{"wait 乙已经退出,游戏结束。 3", "decide", "exit report",
                                                  "comm stopped"}));
}

TEST_F(FrameWndTest, PulseEveryMinute)
{
    wnd_->StartPulse();
    loop_->Advance(59999);
    EXPECT_TRUE(app_.log.empty());
    loop_->Advance(60001);
    EXPECT_EQ(app_.log, (std::vector<std::string>{"pulse", "pulse"}));
    // After a long blocking wait the missed periods make one pulse, not three.
    clock_.Advance(180000);
    loop_->RunUntilIdle();
    EXPECT_EQ(app_.log.size(), 3u);
}

TEST_F(FrameWndTest, CloseFollowsTheFrameDecisionAndLeavesOnce)
{
    app_.closeDecision = CloseDecision::Stay;
    platform::PostToWindow(wnd_->GetMessageWindow(), platform::kMsgClose);
    loop_->RunUntilIdle();
    EXPECT_EQ(app_.log, std::vector<std::string>{"decide"});
    EXPECT_NE(wnd_->GetWindow(), nullptr);

    // Without a frame UI the window leaves itself; a refusal keeps it.
    app_.closeDecision = CloseDecision::NoFrame;
    connect_.refusal = "离开游戏失败，请等待本局结果提交。";
    app_.log.clear();
    wnd_->OnClose();
    EXPECT_EQ(app_.log, (std::vector<std::string>{"decide", "201125 1001 0"}));
    ASSERT_EQ(app_.boxes.size(), 1u);
    EXPECT_EQ(app_.boxes[0].text, connect_.refusal);
    EXPECT_FALSE(loop_->QuitCode());

    connect_.refusal.clear();
    app_.log.clear();
    wnd_->OnClose();
    loop_->RunUntilIdle();
    EXPECT_EQ(app_.log, (std::vector<std::string>{"decide", "201125 1001 0", "exit report", "comm stopped"}));
    EXPECT_EQ(loop_->QuitCode(), 0);
    EXPECT_EQ(wnd_->GetWindow(), nullptr);
}

TEST_F(FrameWndTest, ConfirmedExitClosesWithoutASecondReport)
{
    app_.closeDecision = CloseDecision::CloseNow;
    wnd_->OnClose();
    loop_->RunUntilIdle();
    EXPECT_EQ(app_.log, std::vector<std::string>{"decide"});
    EXPECT_EQ(loop_->QuitCode(), 0);
}

TEST_F(FrameWndTest, StartOfTheTableUiEntersTheGame)
{
    platform::PostToWindow(wnd_->GetMessageWindow(), WM_START_GAME_UI);
    loop_->RunUntilIdle();
    EXPECT_EQ(app_.log, std::vector<std::string>{"enter"});
}

TEST_F(FrameWndTest, MaximisedSizeIsTheFramesPreferredOneUntilItFillsTheWorkArea)
{
    auto* window = static_cast<platform::HeadlessWindow*>(wnd_->GetWindow());
    Lumora::CGameBase frame;
    app_.gameFrame = &frame;
    const std::pair<platform::Rect, platform::Rect> table[] = {
        {{0, 0, 1024, 728}, {0, 0, 800, 600}},
        {{10, 20, 1930, 1060}, {10, 20, 1060, 620}},
    };
    app_.frameMaximised = 0;
    for (const auto& [work, expected] : table) {
        window->SetWorkArea(work);
        const platform::Rect r = wnd_->GetMaximisedRect();
        EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}),
                  (std::array{expected.left, expected.top, expected.right, expected.bottom}));
    }
    app_.frameMaximised = 1;
    EXPECT_EQ(wnd_->GetMaximisedRect().Width(), 1920);
    wnd_->OnSettingChange();
    EXPECT_EQ(window->ScreenRect().Width(), 1920);
}

} // namespace

// Records relayed just before the scene closed the gate wait in the window until it opens, and
// then run before anything relayed after the opening.
TEST_F(FrameWndTest, MessagesArrivingWhileTheGateIsClosedWaitForItsOpening)
{
    NotifyGate gate;
    SetNotifyGate(&gate);
    Push(211230, 7);
    gate.Close();
    Push(211230, 7);
    Push(201213, 7, Record(8)); // refused when it runs
    EXPECT_EQ(app_.lines.size(), 1u);
    EXPECT_TRUE(app_.log.empty());
    gate.Open();
    Push(211230, 7);
    EXPECT_EQ(app_.log, std::vector<std::string>{"201162 201213 8 last 211230 0"});
    EXPECT_EQ(app_.lines.size(), 3u);
    EXPECT_EQ(LastNotifyId(), 211230u);
    // Held records still waiting when the window goes are freed (the sanitizer build checks).
    gate.Close();
    Push(211230, 7);
    wnd_.reset();
    SetNotifyGate(nullptr);
}

namespace {

// Notes the ids it is handed; one id closes the gate, as a deal start does in the scene.
struct OrderNotify : CGameNotify {
    bool OnNotify(uint32_t id, const uint8_t*, uint32_t) override
    {
        ids.push_back(id);
        if (id == closesGate && gate)
            gate->Close();
        return true;
    }
    std::vector<uint32_t> ids;
    uint32_t closesGate = 0;
    NotifyGate* gate = nullptr;
};

} // namespace

// Held records run in the order they came, and one that closes the gate again stops the release:
// the rest wait for the next opening, still ahead of what came after them.
TEST_F(FrameWndTest, HeldMessagesKeepTheirOrderAndStopAtARecordThatClosesTheGateAgain)
{
    NotifyGate gate;
    SetNotifyGate(&gate);
    OrderNotify notify;
    notify.gate = &gate;
    notify.closesGate = 103;
    app_.notify = &notify;
    connect_.notify = &notify;
    Push(101, 7);
    gate.Close();
    for (uint32_t id : {102, 103, 104, 105})
        Push(id, 7);
    EXPECT_EQ(notify.ids, (std::vector<uint32_t>{101}));
    gate.Open();
    loop_->RunUntilIdle();
    EXPECT_EQ(notify.ids, (std::vector<uint32_t>{101, 102, 103})) << "record 103 closed the gate";
    Push(106, 7);
    EXPECT_EQ(notify.ids.size(), 3u);
    gate.Open();
    loop_->RunUntilIdle();
    EXPECT_EQ(notify.ids, (std::vector<uint32_t>{101, 102, 103, 104, 105, 106}));
    // A record handed over after the opening but before the release keeps its place behind them.
    gate.Close();
    Push(107, 7);
    gate.Open();
    auto* context = new net::SocketContextRecord;
    context->tag = 7;
    auto* message = new net::SocketMessageRecord;
    message->head = net::MessageHead::WithId(108);
    platform::SendToWindow(wnd_->GetMessageWindow(), net::WM_SOCKET_NOTIFY, reinterpret_cast<uintptr_t>(context),
                           reinterpret_cast<intptr_t>(message));
    loop_->RunUntilIdle();
    EXPECT_EQ(notify.ids, (std::vector<uint32_t>{101, 102, 103, 104, 105, 106, 107, 108}));
    wnd_.reset();
    SetNotifyGate(nullptr);
}

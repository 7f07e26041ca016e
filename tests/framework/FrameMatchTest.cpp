// The frame's match flow, detail boards and character pictures on a headless window with a
// manual clock: bounded match records, the event queue, closing notices, debounced buttons,
// the count-down, the result dialog, the boards' texts and placement, and picture fall-back.
#include "tests/framework/FrameFixture.h"
#include "tests/support/ScreenCheck.h"

#include "engine/input/InputData.h"
#include "framework/frame/MatchRecords.h"
#include "framework/frame/PlayerDetailTexts.h"
#include "framework/switchroom/CSwitchRoomDlg.h"
#include "widgets/CLumoraPipeline.h"
#include "widgets/CXyBlackboard.h"
#include "widgets/CXyStandButton.h"
#include "widgets/SidePanelObjects.h"

#include <cstring>
#include <filesystem>

using namespace Lumora;
using namespace framework;
using namespace frametest;

namespace {

// The room-switch box's host where the box is only laid out, never answered.
struct NoHost final : switchroom::IHost {
    bool RequestConfig(std::vector<uint8_t>&) override { return false; }
    void SendReport(const std::array<uint8_t, 28>&) override {}
    std::vector<switchroom::RoomRange> Rooms() const override { return {}; }
    int32_t OwnRoomId() const override { return 0; }
    uint32_t UserId() const override { return 0; }
    int32_t CarriedSilver() const override { return 0; }
    std::string IniPath() const override { return {}; }
    int64_t Now() const override { return 0; }
    void GotoOtherRoom(int32_t) override {}
    void ShowDeposit(bool, int32_t) override {}
    void ShowDialog(const switchroom::TipDescriptor&, const switchroom::JumpStatus&) override {}
    bool DialogOpen() const override { return false; }
};

TEST(MatchRecords, CopiesAreBoundedAndShortRecordsReadAsZeros)
{
    const std::vector<uint8_t> shortRecord(10, 0xAB);
    const std::vector<uint8_t> copy = FixedCopy(shortRecord, kMatchEndSize);
    ASSERT_EQ(copy.size(), 40u);
    EXPECT_EQ(copy[9], 0xAB);
    EXPECT_EQ(copy[10], 0);
    EXPECT_EQ(FixedCopy(std::vector<uint8_t>(300, 1), kMatchResultSize).size(), 224u);

    // A prize text filling its whole field without a terminating zero stops at 136 bytes.
    std::vector<uint8_t> result(300, 'x');
    const int32_t words[] = {0, 0, 0, 7, 5, 3, 40, 2, 100, 1};
    std::memcpy(result.data(), words, sizeof words);
    const MatchResultRecord r = MatchResultRecord::Read(result);
    EXPECT_EQ(r.userId, 7u);
    EXPECT_EQ(r.rank, 3);
    EXPECT_EQ(r.prizeFlag, 1);
    EXPECT_EQ(r.prize, std::string(136, 'x'));
    EXPECT_EQ(MatchResultRecord::Read(std::vector<uint8_t>(12, 0)).prize, "");
    EXPECT_EQ(ResultLines(r), "\r\n  <c=65535>" + std::string(136, 'x') + "\r\n  银两   +100\r\n  奖券   +2\r\n\r\n"
                                  "  <c=16776960>段位分   +40");
    EXPECT_FALSE(ReadMatchDetail(std::vector<uint8_t>(135, 0)).has_value());
}

TEST(MatchRecords, CountdownAndRates)
{
    const std::pair<int, const char*> countdown[] = {
        {90060, "比赛倒计时:1天1小时1分0秒"}, {58, "比赛倒计时:58秒"}, {3600, "比赛倒计时:1小时0分0秒"},
        {86400, "比赛倒计时:1天0小时0分0秒"}};
    for (const auto& [s, text] : countdown)
        EXPECT_EQ(CountdownText(s), text) << s;
    const std::pair<int, const char*> fees[] = {{1, "报名费300两\r\n"}, {2, "报名费300通宝\r\n"}, {3, ""}, {0, ""}};
    for (const auto& [kind, text] : fees)
        EXPECT_EQ(FeeText(kind, 300), text) << kind;
    EXPECT_EQ(FormatRate(0, 0, 0, 0, "0.00%"), "0.00%");
    EXPECT_EQ(FormatRate(0, 0, 0, 0, "100%"), "100%");
    EXPECT_EQ(FormatRate(1, 1, 1, 1, "100%"), "33.33%");
    EXPECT_EQ(FormatRate(2, 2, 1, 0, "100%"), "66.67%");
}

TEST(PlayerDetailTexts, SilverRoomsLeadWithSilverAndPointRoomsWithScore)
{
    GameUserRecord user;
    user.SetUserId(9);
    user.SetSilver(1200);
    user.SetScore(-5);
    user.SetLevel("新手");
    const int32_t stats[] = {33, 1, 88, 1, 1, 1};  // experience, disconnections, speed, wins, losses, draws
    std::memcpy(user.MutableData() + 108, stats, sizeof stats);
    const std::vector<std::string> silver = DetailLines(user, true, "富农");
    ASSERT_EQ(silver.size(), 11u);
    EXPECT_EQ(silver[0], "   银 子 ： 1200 两");
    EXPECT_EQ(silver[1], "财富等级 ： 富农");
    EXPECT_EQ(silver[2], "   积 分 ： -5");
    EXPECT_EQ(silver[3], "   级 别 ： 新手");
    EXPECT_EQ(silver[5], "断 线 率 ： 33.33%");
    EXPECT_EQ(silver[10], "   胜 率 ： 33.33%");
    const std::vector<std::string> points = DetailLines(user, false, "富农");
    EXPECT_EQ(points[0], silver[2]);
    EXPECT_EQ(points[2], silver[0]);
}

class FrameMatchTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        std::vector<Lumora::PackSource> skins;
        auto add = [&](const std::string& name, const Lumora::ImageRecord& picture) {
            skins.push_back({name + ".pps", Lumora::EncodePps(picture)});
        };
        AddFrameSkins(add);
        add("MatchResultDlg", testsupport::SolidFrames(360, 260, {0x102030}));
        add("btn_Award", testsupport::SolidFrames(60, 20, {1, 2, 3, 4}));
        add("btn_ExChange", testsupport::SolidFrames(90, 20, {1, 2, 3, 4}));
        add("bit_playerdetail", testsupport::SolidFrames(330, 310, {0x203040}));
        add("btn_report_personal", testsupport::SolidFrames(64, 26, {1, 2, 3, 4}));
        add("btn_redcrossEx", testsupport::SolidFrames(20, 20, {1, 2, 3, 4}));
        add("btn_buycharacter", testsupport::SolidFrames(72, 24, {1, 2, 3, 4}));
        std::string error;
        pack_ = Lumora::BuildPack(skins, error);
        ASSERT_FALSE(pack_.empty()) << error;
    }
    TestFrame& StartMatch(int state = 0)
    {
        app_.match = true;
        app_.matchState = state;
        return Start(1024, 768);
    }
    // The detail board of user 9, shown in the test mode.
    TestFrame& StartWithDetailBoard()
    {
        app_.testMode = true;
        GameUserRecord u;
        u.SetUserId(9);
        app_.users.push_back(u);
        TestFrame& f = Start(1024, 768);
        f.ShowUserDetail(9, 1);
        return f;
    }
    std::vector<uint8_t> Result(int32_t rank, int32_t prizeFlag, int32_t award = 0)
    {
        std::vector<uint8_t> r(224, 0);
        const int32_t words[] = {0, 0, 0, int32_t(app_.userId), 0, rank, 0, 0, 0, prizeFlag};
        std::memcpy(r.data(), words, sizeof words);
        std::memcpy(r.data() + 36, &prizeFlag, 4);
        (void)award;
        return r;
    }
};

TEST_F(FrameMatchTest, ClosingNoticeLeavesOnceFifteenSecondsLater)
{
    TestFrame& f = StartMatch(550);
    f.ShowWashout();
    Run(14990);
    EXPECT_EQ(app_.requests.leaves, 0);
    Run(100);
    EXPECT_EQ(app_.requests.leaves, 1);
    EXPECT_EQ(app_.exitReports, 1);
    EXPECT_TRUE(f.IsExitConfirmed());
    EXPECT_TRUE(f.GetWaitAnimation()->IsActive());
}

TEST_F(FrameMatchTest, SignUpAndGiveUpSendOnceAndComeBackAfterFiveSeconds)
{
    TestFrame& f = StartMatch();
    for (auto [code, button] : {std::pair{EV_FRAME_SIGN_UP, f.GetSignUpButton()}, std::pair{EV_FRAME_GIVE_UP, f.GetGiveUpButton()}}) {
        Frame(code);
        EXPECT_FALSE(button->IsEnabled());
        Run(4900);
        EXPECT_FALSE(button->IsEnabled());
        Run(200);
        EXPECT_TRUE(button->IsEnabled());
    }
    EXPECT_EQ(app_.requests201231, 1);
    EXPECT_EQ(app_.requests201232, 1);
}

TEST_F(FrameMatchTest, CountdownTicksEverySecondAndDropsTheGiveUpButtonInTheLastMinute)
{
    struct Case {
        int seconds;
        bool giveUp;
    } const cases[] = {{62, true}, {61, false}, {59, false}}; // 61 and 60 left after the first tick
    for (const Case& c : cases) {
        app_.matchSeconds = c.seconds;
        TestFrame& f = StartMatch();
        f.ShowMatchWaiting();
        EXPECT_EQ(app_.matchSeconds, c.seconds - 1) << "the first tick at once";
        EXPECT_EQ(f.GetGiveUpButton()->IsActive() != 0, c.giveUp) << c.seconds;
        EXPECT_TRUE(f.GetCountdownBoard()->IsActive());
        Run(1050);
        EXPECT_EQ(app_.matchSeconds, c.seconds - 2);
        // The match starts: the next tick stops the count-down.
        app_.matchState = 500;
        Run(1050);
        EXPECT_FALSE(f.GetCountdownBoard()->IsActive());
        EXPECT_EQ(app_.matchSeconds, c.seconds - 2);
    }
}

TEST_F(FrameMatchTest, EndAndResultQueueOneAtATimeAndTheResultDialogKeepsItsFirstValues)
{
    TestFrame& f = StartMatch(550);
    f.ShowMatchBegin();
    EXPECT_NE(f.GetMatchBeginGroup(), 0u);
    EXPECT_EQ(window_->Raises(), 1);
    const std::vector<uint8_t> end(8, 0);  // shorter than its layout
    f.OnNotify211190(end);
    EXPECT_EQ(f.GetMatchBeginGroup(), 0u);
    f.OnNotify211191(Result(3, 0));
    f.OnNotify211191(Result(5, 1));
    EXPECT_EQ(f.GetEventQueue()->Queued(), 2u) << "both wait while the end is in work";
    Run(50);
    EXPECT_EQ(f.GetEventQueue()->Queued(), 0u);
    ASSERT_NE(f.GetMatchResultDialog(), nullptr);
    EXPECT_TRUE(f.GetMatchResultDialog()->IsActive());
    EXPECT_TRUE(f.GetShade()->IsActive());
    // The second result replaced the saved record but not what the dialog and application show.
    EXPECT_EQ(app_.storedRanks, std::vector<int32_t>{3});
    int32_t savedRank = 0;
    std::memcpy(&savedRank, f.GetSavedMatchResult().data() + 20, 4);
    EXPECT_EQ(savedRank, 5);
    EXPECT_EQ(app_.requests201230.size(), 0u) << "no detail board shown";

    // The award link carries the saved record's award id.
    Frame(EV_FRAME_ACTIVITY_AWARD);
    ASSERT_EQ(app_.hallTexts.size(), 1u);
    EXPECT_EQ(app_.hallTexts[0], (FakeFrameApp::HallText{"http://act.example/a?x=1&act=lj&awardid=1", 1}));
}

TEST_F(FrameMatchTest, ResultDialogOffersAwardOrExchangeByThePrizeFlag)
{
    for (const int32_t prize : {0, 1}) {
        TestFrame& f = StartMatch(550);
        f.ShowMatchResult(Result(2, prize));
        const double width = prize ? 60 : 90;
        int found = 0;
        for (uint32_t id = 1; id <= kIdsLooked; ++id)
            if (auto* b = dynamic_cast<CXyStandButton*>(Objects().FindById(id));
                b && b->GetParent() == f.GetMatchResultDialog() && b->GetWidth() == width && b->IsActive())
                ++found;
        EXPECT_EQ(found, 1) << prize;
    }
}

TEST_F(FrameMatchTest, DetailBoardStaysInsideTheSceneAndHidesTheReportButtonForOneself)
{
    app_.testMode = true;
    for (const uint32_t id : {7u, 9u}) {
        GameUserRecord u;
        u.SetUserId(int32_t(id));
        app_.users.push_back(u);
    }
    TestFrame& f = Start(800, 600);
    f.ShowUserDetail(9, 1);
    ASSERT_NE(f.GetDetailBoard(), nullptr);
    EXPECT_TRUE(f.GetReportButton()->IsActive());
    f.ShowUserDetail(7, 1);
    EXPECT_FALSE(f.GetReportButton()->IsActive());
    PObject& board = *f.GetDetailBoard();
    const Rect s = f.SceneRect();
    const int cx = (s.left + s.right) / 2, cy = (s.top + s.bottom) / 2;
    for (const auto& [x, y] : {std::pair{cx - 1, cy - 1}, std::pair{s.right - 2, s.bottom - 2}, std::pair{s.left + 1, s.top + 1},
                               std::pair{cx + 1, cy + 1}}) {
        f.ShowPlayerBoardSmall(9, x, y);
        EXPECT_GE(board.GetLeft(), s.left) << x << "," << y;
        EXPECT_LE(board.GetRight(), s.right) << x << "," << y;
        EXPECT_GE(board.GetTop(), s.top);
        EXPECT_LE(board.GetBottom(), s.bottom);
        EXPECT_TRUE(board.IsActive());
    }
    // Shown at the bottom right of a wider window, then the window shrinks: inside the table, its
    // close button within reach, and drawn where it stands; a board inside stays put.
    window_->Resize(1280, 800);
    Run(50);
    f.ShowPlayerBoardSmall(9, f.SceneRect().right - 2, f.SceneRect().bottom - 2);
    NoHost host;
    switchroom::SwitchRoom owner(host);
    auto* tip = f.NewChild<CSwitchRoomDlg>();
    tip->Build(owner, {"换个房间?", "好", "不", {}, {}}, {}, "血流成河");
    tip->MoveTo(f.SceneRect().right - 170, f.SceneRect().bottom - 80);
    tip->Activate();
    Run(50);
    testsupport::ScreenCheck check("detail-shrink", std::string(XL_BINARY_DIR) + "/artifacts");
    check.Install();
    window_->Resize(800, 600);
    Run(50);
    for (const PObject* b : {&board, static_cast<PObject*>(tip)}) {
        EXPECT_LE(b->GetRight(), f.SceneRect().right);
        EXPECT_LE(b->GetBottom(), f.SceneRect().bottom);
    }
    EXPECT_EQ(tip->GetBottom(), f.SceneRect().bottom) << "on the bottom edge, not above it";
    EXPECT_GT(check.FramesChecked(), 0);
    EXPECT_EQ(check.Faults(), std::vector<std::string>{});
    const std::pair at(board.GetX(), board.GetY()), tipAt(tip->GetX(), tip->GetY());
    window_->Resize(1024, 768);
    Run(50);
    EXPECT_EQ(std::pair(board.GetX(), board.GetY()), at);
    EXPECT_EQ(std::pair(tip->GetX(), tip->GetY()), tipAt);
    // Outside the test mode the hall is asked and draws the board later.
    app_.testMode = false;
    f.ShowUserDetail(9, 1);
    EXPECT_EQ(app_.hallDetailAsks, std::vector<uint32_t>{9});
    EXPECT_FALSE(board.IsActive());
}

TEST_F(FrameMatchTest, SmallBoardStandsOnTheSideOfTheClickTowardsTheScenesCentre)
{
    TestFrame& f = StartWithDetailBoard();
    PObject& board = *f.GetDetailBoard();
    const Rect s = f.SceneRect();
    const int cx = (s.left + s.right) / 2, cy = (s.top + s.bottom) / 2;
    // A little right of and below the centre: left of and above the click; the other way round.
    f.ShowPlayerBoardSmall(9, cx + 20, cy + 20);
    EXPECT_EQ(board.GetRight(), cx + 20);
    EXPECT_EQ(board.GetBottom(), cy + 20);
    f.ShowPlayerBoardSmall(9, cx - 20, cy - 20);
    EXPECT_EQ(board.GetLeft(), cx - 20);
    EXPECT_EQ(board.GetTop(), cy - 20);
}

// 玩家信息 shown again after a box opened stands above it with its buttons, which show the hand.
TEST_F(FrameMatchTest, ThePlayersDetailsShownAgainStandAboveABoxOpenedBefore)
{
    TestFrame& f = StartWithDetailBoard();
    const CXyTimerDlg* box = f.ShowMsgBox("一个问题", nullptr, nullptr, 0, 0, nullptr);
    f.ShowPlayerBoardSmall(9, 100, 100);
    for (const PObject::ChildLink& link : f.GetDetailBoard()->Children())
        EXPECT_TRUE(link.child->GetZ() > box->GetZ() && dynamic_cast<CXyStandButton&>(*link.child).GetHandCursor());
    // Boards opened over each other in turn rise past the box counter: a later box stands over both.
    PlaneObject* boards[] = {f.NewPlane(50, 50, 0), f.NewPlane(50, 50, 0)};
    for (int i = 0; i < 8; ++i)
        boards[i % 2]->SetTopMost(), boards[i % 2]->AddFlags(OBJ_BOARD), boards[i % 2]->Activate();
    const CXyTimerDlg* later = f.ShowMsgBox("又一个问题", nullptr, nullptr, 0, 0, nullptr);
    EXPECT_GT(later->GetZ(), std::max(boards[0]->GetZ(), boards[1]->GetZ()));
}

TEST_F(FrameMatchTest, BoardShowsItsButtonsAndAClickOnCloseOrOkHidesIt)
{
    TestFrame& f = StartWithDetailBoard();
    f.ShowSystemBoard("恭喜您，报名成功！", 0xFFFFFF, 16);
    // A board's buttons, found as its children.
    auto buttons = [&](PObject* board) {
        std::vector<CXyStandButton*> found;
        for (uint32_t id = 1; id <= kIdsLooked; ++id)
            if (auto* b = dynamic_cast<CXyStandButton*>(Objects().FindById(id)); b && b->GetParent() == board)
                found.push_back(b);
        return found;
    };
    struct Case {
        PObject* board;
        double closeWidth; // the button that closes it
        size_t count;
    } const cases[] = {{f.GetDetailBoard(), 20, 3}, {f.GetSystemBoard(), 50, 1}};
    for (const Case& c : cases) {
        ASSERT_NE(c.board, nullptr);
        const std::vector<CXyStandButton*> all = buttons(c.board);
        ASSERT_EQ(all.size(), c.count);
        CXyStandButton* close = nullptr;
        for (CXyStandButton* b : all) {
            EXPECT_TRUE(b->IsActive()) << "shown with its board";
            if (b->GetWidth() == c.closeWidth)
                close = b;
        }
        ASSERT_NE(close, nullptr);
        ClickAt(int(close->GetX()), int(close->GetY()));
        EXPECT_FALSE(c.board->IsActive());
        EXPECT_FALSE(close->IsActive()) << "hidden with its board";
    }
}

TEST_F(FrameMatchTest, MatchRoomClickShowsTheMatchBoardAtThePoint)
{
    MatchPlayerDetail d;
    d.userId = 9;
    d.name = testsupport::kHostileNames[1];
    app_.matchDetails.push_back(d);
    TestFrame& f = StartMatch(550);
    testsupport::RecordingTexts recording;
    InputData point;
    point.x = 100;
    point.y = 200;
    Frame(EV_FRAME_USER_CLICKED, 9, reinterpret_cast<uintptr_t>(&point));
    ASSERT_NE(f.GetDetailBoard(), nullptr);
    EXPECT_TRUE(f.GetDetailBoard()->IsActive());
    EXPECT_EQ(testsupport::DrawnNameFault(dynamic_cast<PlaneObject&>(*f.GetDetailBoard()).TextBoxes().at(0), d.name, 14,
                                          0x38D8E6), "");
    EXPECT_EQ(f.GetDetailUserId(), 9);
    EXPECT_EQ(f.GetReportButton(), nullptr) << "the match board has none";
    Frame(EV_FRAME_USER_CLICKED, 10, reinterpret_cast<uintptr_t>(&point));
    EXPECT_EQ(f.GetDetailUserId(), -1);
    EXPECT_FALSE(f.GetDetailBoard()->IsActive());
}

TEST_F(FrameMatchTest, HookEventsReachTheirOperations)
{
    TestFrame& f = Start(1024, 768);
    GameUserRecord user;
    user.SetUserId(9);
    user.SetCharacter(5);
    f.ShowPlayerDetail(user);
    struct Case {
        uint32_t code;
        int hallTexts;
        const char* last;
    } const cases[] = {
        {EV_FRAME_REQUEST_201221, 0, nullptr},
        {EV_FRAME_SHOP_CLOTHES, 1, "http://shop.lumora-games.net/?clothesid=5"},
        {EV_FRAME_SHOP_CLOTHES_USER, 1, nullptr},
        {EV_FRAME_HELP, 1, nullptr},
        {EV_FRAME_SHOP, 2, "shop.lumora-games.net"},
        {EV_FRAME_ACTIVITY_DRAW, 3, "http://act.example/a?x=1&act=dj"},
        {EV_FRAME_ACTIVITY_AWARD, 4, "http://act.example/a?x=1&act=lj&awardid=0"},
        {EV_FRAME_HOLD_SET, 4, nullptr},
    };
    for (const Case& c : cases) {
        Frame(c.code);
        ASSERT_EQ(int(app_.hallTexts.size()), c.hallTexts) << c.code;
        if (c.last) {
            EXPECT_EQ(app_.hallTexts.back().text, c.last) << c.code;
        }
    }
    EXPECT_EQ(app_.requests201221, 1);
    // Without the activity page's address no link goes to the hall.
    app_.activityUrl.clear();
    Frame(EV_FRAME_ACTIVITY_DRAW);
    Frame(EV_FRAME_ACTIVITY_AWARD);
    EXPECT_EQ(app_.hallTexts.size(), 4u);

    // The pinned board ignores hovers; closing it unpins it.
    f.CreateUserListBar(9, 1);
    PObject& board = *f.GetDetailBoard();
    InputData outside;
    outside.x = outside.y = -100;
    Frame(EV_FRAME_BOARD_LEAVE, 0, reinterpret_cast<uintptr_t>(&outside));
    Run(500);
    EXPECT_TRUE(board.IsActive());
    EXPECT_EQ(board.GetAlpha(), 1.0);
    Frame(EV_FRAME_BOARD_CLOSE);
    EXPECT_EQ(f.GetPinnedFlag(), 0);
    EXPECT_FALSE(board.IsActive());
    f.ShowPlayerBoardSmall(9, 100, 100);
    Frame(EV_FRAME_BOARD_LEAVE, 0, reinterpret_cast<uintptr_t>(&outside));
    Run(500);
    EXPECT_FALSE(board.IsActive()) << "faded out and deactivated";
    // A negative clothes id opens nothing.
    user.SetCharacter(-1);
    f.ShowPlayerDetail(user);
    Frame(EV_FRAME_SHOP_CLOTHES);
    EXPECT_EQ(app_.hallTexts.size(), 4u);
}

TEST_F(FrameMatchTest, KnockoutAndPromotionNotices)
{
    app_.tableFlag = true;
    TestFrame& f = StartMatch(550);
    // Stage 0: no knock-out text, but request 201161 still follows 15 seconds later.
    f.ShowKnockoutRound({});
    EXPECT_FALSE(f.GetKnockoutBoard()->IsActive());
    EXPECT_EQ(f.Scene()->codes, std::vector<uint32_t>{80000002});
    Run(14900);
    EXPECT_EQ(app_.requests.requests201161, 0);
    Run(200);
    EXPECT_EQ(app_.requests.requests201161, 1);

    // A text notice without tables touches no board; one with tables shows the rest board.
    std::vector<uint8_t> promotion(40, 0);
    std::memcpy(promotion.data() + 28, "hello", 6);
    f.ShowPromotionInfo(promotion);
    EXPECT_EQ(app_.notices, std::vector<std::string>{" <z=zu系统通知><c=255> hello"});
    EXPECT_FALSE(f.GetRestBoard()->IsActive());
    const int32_t tables = 3;
    std::memcpy(promotion.data() + 20, &tables, 4);
    f.ShowPromotionInfo(std::span<const uint8_t>(promotion).first(24));  // cut short: no text, no places
    EXPECT_TRUE(f.GetRestBoard()->IsActive());
    EXPECT_EQ(app_.notices.size(), 1u);
}

TEST_F(FrameMatchTest, MatchBoardsShowOverTheTableAndAKnockoutHidesTheFeeWithItsButton)
{
    app_.fee = 100;
    TestFrame& f = StartMatch();
    // Top-most lies above every layer an object of the scene can be given.
    for (const CXyBlackboard* board : {f.GetCountdownBoard(), f.GetKnockoutBoard(), f.GetRestBoard()})
        EXPECT_EQ(board->GetLayer(), kTopMostLayer);
    f.ShowNoSignUp();
    ASSERT_TRUE(f.GetFeeBoard()->IsActive());
    f.ShowKnockoutRound({});
    EXPECT_FALSE(f.GetSignUpButton()->IsActive());
    EXPECT_FALSE(f.GetFeeBoard()->IsActive());
}

TEST_F(FrameMatchTest, AskExitSlidesInABoxAnsweringWithTheAskersId)
{
    GameUserRecord asker;
    asker.SetUserId(9);
    asker.SetName("乙");
    app_.users.push_back(asker);
    TestFrame& f = Start(1024, 768);
    std::vector<uint8_t> ask(40, 0);
    const uint32_t id = 9;
    std::memcpy(ask.data(), &id, 4);
    std::memcpy(ask.data() + 20, "reason", 6);
    f.ShowAskExit(ask);
    f.ShowAskExit(std::span<const uint8_t>(ask).first(3));  // too short: nothing
    const auto open = OpenDialogs();
    ASSERT_EQ(open.size(), 1u);
    Run(3000);
    EXPECT_EQ(open[0]->GetBottom(), 768 - 4);
    Answer(*open[0], true);
    EXPECT_EQ(app_.requests.replies, (std::vector<FakeRequests::Reply>{{9, true}}));
}

// An activity bar that refuses the first time and opens the second.
struct ActivityBar : Lumora::PObject, Lumora::IActivityBar {
    bool OpenFor(uint32_t userId, std::string& error) override
    {
        users.push_back(userId);
        error = "活动未开始";
        return users.size() > 1;
    }
    void ShowPage(int page) override { pages.push_back(page); }
    std::vector<uint32_t> users;
    std::vector<int> pages;
};

TEST_F(FrameMatchTest, ActivityBarOpensForTheBoardsUserOrShowsItsRefusal)
{
    TestFrame& f = Start(1024, 768);
    Frame(EV_FRAME_ACTIVITY_BAR);  // no bar: nothing
    auto* bar = f.NewChild<ActivityBar>();
    ASSERT_NE(bar, nullptr);
    bar->SetName(Lumora::kActivityBarName);
    GameUserRecord user;
    user.SetUserId(9);
    f.ShowPlayerDetail(user);
    Frame(EV_FRAME_ACTIVITY_BAR);
    ASSERT_EQ(OpenDialogs().size(), 1u);
    EXPECT_TRUE(bar->pages.empty());
    Frame(EV_FRAME_ACTIVITY_BAR);
    EXPECT_EQ(bar->users, (std::vector<uint32_t>{9, 9}));
    EXPECT_EQ(bar->pages, std::vector<int>{7});
}

TEST_F(FrameMatchTest, MissingCharacterFallsBackToCharacterZeroLoadedOnce)
{
    TestFrame& f = Start(1024, 768);
    const std::filesystem::path root = std::filesystem::temp_directory_path() / ("chars-" + testsupport::TestTag());
    std::filesystem::create_directories(root / "0");
    ASSERT_TRUE(window_->ScreenshotPng((root / "0" / "48x48.png").string()));
    app_.characterRoot = root.string();
    EXPECT_EQ(f.GetCharacterImagePath(7, 2), "Character0Type2");
    std::filesystem::remove(root / "0" / "48x48.png");
    EXPECT_EQ(f.GetCharacterImagePath(0, 2), "Character0Type2") << "kept from the first load";
    EXPECT_EQ(f.GetCharacterImagePath(7, 1), "");
    std::filesystem::remove_all(root);
}

} // namespace

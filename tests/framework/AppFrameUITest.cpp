// The application's reach into the frame UI: its scene and side panel, the boxes it opens there,
// the default silver and allowance texts, and the events to the side panel's named widgets.
#include "tests/framework/AppOnFrameFixture.h"

#include "framework/app/AppLinks.h"
#include "framework/app/CGameWinApp.h"
#include "framework/app/GameWinAppLink.h"
#include "framework/app/HallCipher.h"
#include "framework/app/WebLinks.h"
#include "framework/notify/CGameNotify.h"
#include "framework/notify/NotifyEvents.h"

using namespace frametest;

namespace {

// The application over the fixture's frame, noting the texts it hands on.
struct FrameApp : CGameWinApp {
    FrameApp() : CGameWinApp("qirn", 26283, 9, 3) {}
    CXyGameFrame* GetFrameUI() const override { return frame; }
    void ShowAskBox(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon) override
    {
        texts.push_back(std::string("ask ") + (icon ? icon : "") + "|" + std::string(text.Text()));
        CGameWinApp::ShowAskBox(text, seconds, flags, icon);
    }
    void ShowSystemNotice(const Lumora::Markup& markup) override
    {
        texts.push_back(std::string("line ") + std::string(markup.Text()));
        CGameWinApp::ShowSystemNotice(markup);
    }
    void SetOwnUser(uint32_t id)
    {
        HallCommandLine line;
        line.userId = id;
        ApplyCommandLine(line);
    }
    CXyGameFrame* frame = nullptr;
    std::vector<std::string> texts;
};

using AppFrameUITest = AppOnFrameFixture<FrameApp>;

TEST_F(AppFrameUITest, SceneAndPanelAreTheFramesChildrenAndNoneWithoutAFrame)
{
    EXPECT_EQ(app_->GetMainGame(), frame_->Scene());
    EXPECT_EQ(app_->GetSubSystem(), frame_->Panel());
    app_->frame = nullptr;
    EXPECT_EQ(app_->GetMainGame(), nullptr);
    app_->AskTakeSilver(1000, 300);  // nothing to show it on: no harm
}

TEST_F(AppFrameUITest, SilverAndAllowanceTextsReachTheFramesBoxesAndThePanel)
{
    app_->AskTakeSilver(1000, 300);
    app_->AskStoreSilver(5000, 7500);
    EXPECT_EQ(OpenDialogs().size(), 2u);
    app_->OnGetSubsidyConfigFailed();
    app_->OnAllowanceResult(true, 2000, "保险箱");
    app_->OnAllowanceResult(false, 0, "");
    EXPECT_EQ(app_->texts,
              (std::vector<std::string>{
                  "ask xyf财神|本房间最少需携带银子1000两\r\n您只携带了300两\r\n仍少了700两,是否从保险箱划银？",
                  "ask |本房间最多可携带银子5000两\r\n您携带了7500两\r\n仍超了2500两,是否将银子存入保险箱？",
                  "line  <z=zu系统通知> <c=255>客官，您的银子也太多了，快去存起来吧！\r\n",
                  "line  <z=zu系统通知> <c=255>获取低保活动配置失败!\r\n",
                  "line  <z=zu系统通知> <c=255>已赠送银子2000两到保险箱中!\r\n",
                  "line  <z=zu系统通知> <c=255>领取银子失败!\r\n",
              }));
    EXPECT_EQ(std::count(frame_->Panel()->codes.begin(), frame_->Panel()->codes.end(), framework::EV_SYSTEM_LINE), 4);
}

TEST_F(AppFrameUITest, ListEventsGoToThePanelsNamedWidgets)
{
    auto* advert = frame_->Panel()->NewChild<Part>();
    advert->SetName("AdvertBar");
    auto* users = frame_->Panel()->NewChild<Part>();
    users->SetName("UserListBar");
    app_->NotifyAdvertBar();
    app_->NotifyUserListBar55();
    app_->NotifyUserListBar56();
    EXPECT_EQ(advert->codes, (std::vector<uint32_t>{80000054}));
    EXPECT_EQ(users->codes, (std::vector<uint32_t>{80000055, 80000056}));
}

// Entering the table and a change of its users tell the scene and the side panel, whose user
// list refreshes on them.
TEST_F(AppFrameUITest, EnteringOrRefreshingTheTableReachesTheSceneAndThePanel)
{
    app_->OnEnteredAsPlayer();
    app_->OnUsersChanged();
    for (const auto* part : {frame_->Scene(), frame_->Panel()}) {
        std::vector<uint32_t> table;
        std::copy_if(part->codes.begin(), part->codes.end(), std::back_inserter(table),
                     [](uint32_t code) { return code == 80000011 || code == 80000012; });
        EXPECT_EQ(table, (std::vector<uint32_t>{80000011, 80000012}));
    }
}

// A frame noting which of its match-flow operations ran.
struct FlowFrame : TestFrame {
    std::vector<std::string> ran;
    void OnTableEntered() override { ran.push_back("entered"); }
    void OnTableRefreshed() override { ran.push_back("refreshed"); }
    void PostTableEvent13() override { ran.push_back("13"); }
    void ShowMatchWaiting() override { ran.push_back("waiting"); }
    void ShowNoSignUp() override { ran.push_back("no sign-up"); }
    void ShowWashout() override { ran.push_back("wash-out"); }
    void ShowMatchEnd() override { ran.push_back("end"); }
    void ShowMatchLate() override { ran.push_back("late"); }
    void ShowMatchStarted() override { ran.push_back("started"); }
    void ShowSystemCancel() override { ran.push_back("system cancel"); }
    void ShowSelfCancel() override { ran.push_back("self cancel"); }
    void ShowWaitSignUpCheck() override { ran.push_back("check"); }
    void ShowSystemRejected() override { ran.push_back("rejected"); }
    CXyTimerDlg* ShowMsgBox(const Lumora::Markup& text, const EventRecord*, const EventRecord*, int, uint32_t,
                            const char*) override
    {
        ran.push_back(std::string("box ") + std::string(text.Text()));
        return nullptr;
    }
};

using AppMatchHooksTest = AppOnFrameFixture<FrameApp, FlowFrame>;

TEST_F(AppMatchHooksTest, EachHookRunsItsFrameOperation)
{
    auto& frame = static_cast<FlowFrame&>(*app_->frame);
    const std::vector<std::pair<void (CGameWinApp::*)(), std::string>> hooks{
        {&CGameWinApp::OnMatchTableEntered, "entered"},     {&CGameWinApp::OnMatchTableRefreshed, "refreshed"},
        {&CGameWinApp::OnMatchTableEvent, "13"},             {&CGameWinApp::OnMatchNoSignUp, "no sign-up"},
        {&CGameWinApp::OnMatchWashOut, "wash-out"},          {&CGameWinApp::OnMatchEnd, "end"},
        {&CGameWinApp::OnMatchLate, "late"},                 {&CGameWinApp::OnMatchStarted, "started"},
        {&CGameWinApp::OnMatchSystemCancel, "system cancel"}, {&CGameWinApp::OnMatchSelfCancel, "self cancel"},
        {&CGameWinApp::OnMatchWaitingCheck, "check"},        {&CGameWinApp::OnMatchSystemRejected, "rejected"},
    };
    for (const auto& [hook, name] : hooks) {
        frame.ran.clear();
        ((*app_).*hook)();
        EXPECT_EQ(frame.ran, std::vector<std::string>{name});
    }
    EXPECT_EQ(app_->IsPlaying(), 1) << "the table event starts the play";
    std::array<uint8_t, 260> record{};
    record[0] = 0x5A;
    frame.ran.clear();
    app_->OnMatchWaiting(record.data(), record.size());
    EXPECT_EQ(frame.ran, std::vector<std::string>{"waiting"});
    EXPECT_EQ(app_->HallData().matchData.bytes[0], 0x5A);
}

TEST_F(AppMatchHooksTest, EachLoginAnswerRunsItsMatchOperationAndTheFrameReadsTheMatchRecord)
{
    auto& frame = static_cast<FlowFrame&>(*app_->frame);
    using S = hall::MatchStanding;
    Lumora::GameUserRecord own;
    own.SetUserId(1001);
    own.SetChair(0);
    app_->MutableHallData().players[0] = own;
    hall::MatchData record;
    const std::pair<size_t, int32_t> words[] = {
        {S::kUserId, 1001},        {S::kCharacter, 4},   {S::kRankLevel, 2}, {S::kRankPoints, 30},
        {S::kNextLevelPoints, 80}, {S::kMatchValues + 12, 5}, {S::kSecondsToStart, 90}, {S::kFeeKind, 2},
        {S::kFee, 300},            {S::kMatchValue, 6},  {S::kMatchState, 0}};
    for (const auto& [offset, value] : words)
        record.SetI32(offset, value);
    record.SetText(S::kName, S::kNameSize, "玩家一");
    const char text[] = "比赛已满";
    const std::vector<std::pair<uint32_t, std::string>> answers{
        {210500, "waiting"}, {210521, "no sign-up"},   {210530, "box 比赛已满"}, {210531, "wash-out"},
        {210533, "end"},     {210534, "late"},         {210536, "started"},      {210537, "system cancel"},
        {210538, "self cancel"}, {210539, "check"},    {210540, "rejected"},     {210599, ""}};
    for (const auto& [code, name] : answers) {
        frame.ran.clear();
        if (code == 210530)
            app_->OnMatchLogin(code, {reinterpret_cast<const uint8_t*>(text), sizeof text - 1}); // no zero
        else
            app_->OnMatchLogin(code, {record.bytes.data(), S::kRecordSize});
        EXPECT_EQ(frame.ran, name.empty() ? std::vector<std::string>{} : std::vector<std::string>{name}) << code;
    }
    app_->OnMatchLogin(210500, {record.bytes.data(), 100}); // short: nothing copied, the waiting state still shows

    FrameAppLink link(*app_, nullptr);
    EXPECT_EQ(link.GetMatchSeconds(), 90);
    link.SetMatchSeconds(89);
    EXPECT_EQ(link.GetMatchSeconds(), 89);
    EXPECT_EQ((std::vector<int>{link.GetSignUpFeeKind(), link.GetSignUpFee(), link.GetMatchPhaseValue()}),
              (std::vector<int>{2, 300, 6}));
    const auto detail = link.GetMatchPlayerDetail(1001);
    ASSERT_TRUE(detail.has_value());
    EXPECT_EQ(detail->name, "玩家一");
    EXPECT_EQ((std::vector<int>{detail->character, detail->rankLevel, detail->rankPoints, detail->nextLevelPoints,
                                detail->matchWins}),
              (std::vector<int>{4, 2, 30, 80, 5}));
    EXPECT_FALSE(link.GetMatchPlayerDetail(1002).has_value()) << "no extra entry names him";

    link.StoreMatchResult(7, 3, 1001, 3, 45, 120);
    link.StoreMatchResult(8, 4, 1002, 9, 9, 9); // nobody's entry: only the value and rank
    EXPECT_EQ((std::vector<int>{app_->GetMatchResultValue(), app_->GetMatchRank()}), (std::vector<int>{8, 4}));
    EXPECT_EQ(link.GetMatchPlayerDetail(1001)->rankPoints, 45);
    EXPECT_EQ(link.GetMatchPlayerDetail(1001)->nextLevelPoints, 120);
}

// The notifications' link and the frame's link read one application: what a notification sets,
// the frame sees.
class AppLinksTest : public AppMatchHooksTest {
protected:
    void SetUp() override
    {
        AppMatchHooksTest::SetUp();
        SetGameWinApp(&winLink_);
    }
    void TearDown() override
    {
        SetGameWinApp(nullptr);
        AppMatchHooksTest::TearDown();
    }
    void Notify(uint32_t id, const std::vector<uint8_t>& data)
    {
        notify_.OnNotify(id, data.data(), static_cast<uint32_t>(data.size()));
    }
    GameWinAppLink winLink_{*app_, nullptr, nullptr};
    FrameAppLink frameLink_{*app_, nullptr};
    CGameNotify notify_;
};

TEST_F(AppLinksTest, AKnockoutRoundRaisesTheTableFlagThatTheDelayedRequestNeeds)
{
    EXPECT_FALSE(frameLink_.GetTableFlag());
    Notify(211150, std::vector<uint8_t>(100, 0));  // shorter than a table record: refused
    EXPECT_FALSE(frameLink_.GetTableFlag());
    std::vector<uint8_t> round(hall::ReplayTableRecord::kSize, 0);
    round[hall::ReplayTableRecord::kKnockoutStage] = 1;
    Notify(211150, round);
    EXPECT_TRUE(frameLink_.GetTableFlag());
    EXPECT_TRUE(winLink_.IsTableArranged());
    EXPECT_EQ(frameLink_.GetKnockoutStage(), 1);
}

TEST_F(AppLinksTest, ARankListIsKeptInOrderAndCarriesItsValuesIntoTheStandings)
{
    Lumora::GameUserRecord own;
    own.SetUserId(1001);
    own.SetChair(0);
    app_->SetOwnUser(1001);
    app_->MutableHallData().players[0] = own;
    app_->MutableHallData().extra[0].SetU32(hall::MatchStanding::kUserId, 1001);
    // The own entry leads though its score is the lowest; 1002 has no standing to update.
    const int32_t entries[][4] = {{1003, 50, 1, 1}, {1001, 10, 20, 30}, {1002, 70, 2, 2}};
    std::vector<uint8_t> list(kRankHeadSize + 3 * kRankEntrySize, 0);
    list[4] = 3;
    for (size_t i = 0; i < 3; ++i)
        std::memcpy(list.data() + kRankHeadSize + i * kRankEntrySize, entries[i], sizeof entries[i]);
    Notify(211170, list);
    const auto kept = app_->GetRankEntries();
    ASSERT_EQ(kept.size(), 3 * kRankEntrySize);
    std::vector<int> order;
    for (size_t i = 0; i < 3; ++i)
        order.push_back(kept[i * kRankEntrySize] | kept[i * kRankEntrySize + 1] << 8);
    EXPECT_EQ(order, (std::vector<int>{1001, 1002, 1003}));
    const auto& standing = app_->HallData().extra[0];
    using S = hall::MatchStanding;
    EXPECT_EQ((std::vector<int>{standing.I32(S::kRankValues), standing.I32(S::kRankValues + 4),
                                standing.I32(S::kRankValues + 8)}),
              (std::vector<int>{10, 20, 30}));
    for (const Lumora::CGameBase* receiver : {app_->GetMainGame(), app_->GetSubSystem()}) {
        const auto& codes = static_cast<const Part*>(receiver)->codes;
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 80000022u), 1);
    }

    // A list longer than the application keeps is cut at its capacity.
    std::vector<uint8_t> crowd(kRankHeadSize + 2000 * kRankEntrySize, 0);
    crowd[4] = 2000 & 0xFF;
    crowd[5] = 2000 >> 8;
    Notify(211170, crowd);
    EXPECT_EQ(app_->GetRankEntries().size(), CGameWinApp::kMaxRankEntries * kRankEntrySize);
}

TEST_F(AppFrameUITest, ALookOnJoinReachesTheSceneAndThePanel)
{
    Lumora::GameUserRecord watcher;
    watcher.SetUserId(555);
    app_->OnHallCopyData(4, hall::EncryptHallData({watcher.Data(), Lumora::GameUserRecord::kSize}));
    EXPECT_TRUE(app_->IsLookOnUser(555));
    EXPECT_EQ(std::count(frame_->Scene()->codes.begin(), frame_->Scene()->codes.end(), 80000015u), 1);
    EXPECT_EQ(std::count(frame_->Panel()->codes.begin(), frame_->Panel()->codes.end(), 80000015u), 1);
}

TEST_F(AppFrameUITest, BoardShowsTheHallsUserDetailsAtTheMouseAndAsksTheHallOnlyForARefresh)
{
    Lumora::GameUserRecord user;
    user.SetUserId(1002);
    user.SetName("乙");
    const auto s = frame_->SceneRect();
    const int x = (s.left + s.right) / 2 + 40, y = (s.top + s.bottom) / 2 + 30;
    window_->InjectMouseMove(x, y);
    Run(20);
    const auto answer = hall::EncryptHallData({user.Data(), Lumora::GameUserRecord::kSize});
    app_->OnHallCopyData(7, answer);
    Lumora::PObject* board = frame_->GetDetailBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(board->IsActive());
    EXPECT_EQ(frame_->GetDetailUserId(), 1002);
    EXPECT_EQ(board->GetRight(), x) << "left of a mouse right of the centre";
    EXPECT_TRUE(FrameFixture::app_.hallDetailAsks.empty()) << "the answer is never asked for again";
    // A refresh asks once; its answer redraws the board where it stands.
    frame_->RefreshUserDetail();
    window_->InjectMouseMove(s.left + 10, s.top + 10);
    Run(20);
    app_->OnHallCopyData(7, answer);
    EXPECT_EQ(board->GetRight(), x);
    EXPECT_EQ(FrameFixture::app_.hallDetailAsks, std::vector<uint32_t>{1002});
    // A short record is no user's.
    app_->OnHallCopyData(7, hall::EncryptHallData(std::vector<uint8_t>(16, 7)));
    EXPECT_EQ(frame_->GetDetailUserId(), 1002);
}

} // namespace

namespace {

struct SignedApp : FrameApp {
    std::string GetWebSign() override { return sign; }
    void ShowMsgBox(const Lumora::Markup& text, const Lumora::EventRecord*, const Lumora::EventRecord*, int, uint32_t,
                    const char* icon) override
    {
        texts.push_back(std::string("box ") + icon + "|" + std::string(text.Text()));
    }
    std::string sign;
};

using WebUrlTest = AppOnFrameFixture<SignedApp>;

TEST_F(WebUrlTest, NoWebSignShowsTheUnstableNetworkTextAndGivesNoLink)
{
    EXPECT_EQ(app_->BuildSignedWebUrl(1, false), "");
    EXPECT_EQ(app_->texts, std::vector<std::string>{"box xyf抱歉|对不起，您的网络不稳定，请重新尝试。"});
    app_->sign = "abc";
    EXPECT_EQ(app_->BuildSignedWebUrl(1, true), "user_id=0&game_id=0&game_code=pelq&hall_id=0");
    const std::string signed2 = app_->BuildSignedWebUrl(2, false);
    EXPECT_EQ(signed2.rfind("&v_sign=", 0), 0u) << signed2;
    EXPECT_EQ(signed2.size(), std::string("&v_sign=&unix_time=").size() + 32 + 10) << signed2;
    // Python's hashlib over the same text.
    EXPECT_EQ(WebLinkSign(7, 79, 1001, 1700000000), "05e16b96472b1f7f58b6eb092ee96afe");
}

} // namespace

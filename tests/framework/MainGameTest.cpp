// The base scene against a scripted application on the headless engine: each notification event
// reaches its hook (an empty QR text reaches none), the replay object appears only when the room
// records replays or in a test mode, the auto-leave timer runs from the seconds of block A, and
// the hall-feature requests show and hide their wait texts around a request.
#include "tests/framework/FakeGameWinApp.h"
#include "tests/support/HeadlessEngine.h"

#include "framework/connection/CGameConnect.h"
#include "framework/notify/NotifyEvents.h"
#include "framework/scene/CMainGame.h"
#include "services/replay/CGameReplay.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

using frametest::FakeGameWinApp;
using Lumora::EventRecord;

struct HookScene : Lumora::CMainGame {
    void OnQRCodeNotify(const uint8_t*) override { hooks.push_back(211920); }
    void OnNotify211430Hook(const uint8_t*) override { hooks.push_back(211430); }
    void OnNotify214100Hook(const uint8_t*) override { hooks.push_back(214100); }
    void OnNotify214101Hook(const uint8_t*) override { hooks.push_back(214101); }
    void OnNotify214102Hook(const uint8_t*) override { hooks.push_back(214102); }
    void OnNotify214103Hook(const uint8_t*) override { hooks.push_back(214103); }
    void OnServerTextHook(const uint8_t*) override { hooks.push_back(60031); }
    void OnNotify214110Hook(const uint8_t*) override { hooks.push_back(214110); }
    std::vector<uint32_t> hooks;
};

// Answers the hall-feature requests without a server, noting the wait text shown meanwhile.
struct ScriptedConnect : CGameConnect {
    ScriptedConnect(FakeGameWinApp& app) : CGameConnect(nullptr, 0, 0, 0), app_(app) {}
    bool StartGameNew(std::string&) override
    {
        app_.log.push_back("201302");
        return true;
    }
    bool GetAllowanceConfig(std::string& text, int32_t, uint8_t*) override { return Answer(text, "214010"); }
    bool TakeAllowance(std::string& text, int32_t, int32_t, int32_t* out) override
    {
        *out = 77;
        return Answer(text, "214000");
    }
    bool TakeAllowanceEx(std::string& text, int32_t, int32_t, int32_t* out) override
    {
        *out = 78;
        return Answer(text, "214001");
    }
    bool TakeSilverReward(std::string& text, int32_t) override { return Answer(text, "201303"); }
    bool Answer(std::string& text, const char* id)
    {
        app_.log.push_back(id);
        text = ok ? "" : "不行";
        return ok;
    }
    FakeGameWinApp& app_;
    bool ok = true;
};

class MainGameTest : public ::testing::Test {
protected:
    MainGameTest() { scene = engine.Register(new HookScene); }

    testsupport::HeadlessEngine engine{"main_game"};
    FakeGameWinApp app;
    frametest::Installed installed{app};
    HookScene* scene = nullptr;
};

TEST_F(MainGameTest, EachNotificationEventReachesItsHookAndEveryEventIsHandled)
{
    std::array<uint8_t, 64> data{};
    data[32] = 'x';
    const std::pair<uint32_t, uint32_t> table[] = {
        {framework::EV_QRCODE_INFO, 211920},   {framework::EV_NOTIFY_211430, 211430},
        {framework::EV_NOTIFY_214100, 214100}, {framework::EV_NOTIFY_214101, 214101},
        {framework::EV_NOTIFY_214102, 214102}, {framework::EV_NOTIFY_214103, 214103},
        {framework::EV_SERVER_TEXT, 60031},    {framework::EV_NOTIFY_214110, 214110},
    };
    for (const auto& [code, hook] : table) {
        scene->hooks.clear();
        EXPECT_EQ(scene->OnEvent({0, code, uintptr_t(data.data()), 0}), 1);
        EXPECT_EQ(scene->hooks, std::vector<uint32_t>{hook}) << code;
    }
    data[32] = 0;
    scene->hooks.clear();
    scene->OnEvent({0, framework::EV_QRCODE_INFO, uintptr_t(data.data()), 0});
    EXPECT_TRUE(scene->hooks.empty());
    EXPECT_EQ(scene->OnEvent({0, 80000999, 0, 0}), 1);
}

TEST_F(MainGameTest, ReplayObjectOnlyWithOptionSeventeenOrATestMode)
{
    scene->CreateReplayRecorder();
    EXPECT_EQ(scene->GetReplay(), nullptr);

    app.option17 = true;
    app.match = 1;
    scene->CreateReplayRecorder();
    ASSERT_NE(scene->GetReplay(), nullptr);
    EXPECT_NE(dynamic_cast<CMatchReplay*>(scene->GetReplay()), nullptr);
    EXPECT_EQ(scene->GetReplay()->GetReplaySetting(), 5000);
    EXPECT_DOUBLE_EQ(scene->GetReplay()->GetZ(), 10000.0);
    EXPECT_FALSE(scene->GetReplay()->IsActive());

    auto* testScene = engine.Register(new HookScene);
    app.option17 = false;
    app.match = 0;
    app.testMode = 2;
    testScene->CreateReplayRecorder();
    ASSERT_NE(testScene->GetReplay(), nullptr);
    EXPECT_EQ(dynamic_cast<CMatchReplay*>(testScene->GetReplay()), nullptr);
    EXPECT_TRUE(testScene->GetReplay()->IsActive());
}

TEST_F(MainGameTest, AutoLeaveTimerRunsFromBlockASecondsAndShowsTheBoxOnce)
{
    app.roomOptions = 0xC0;
    for (int32_t seconds : {0, -1}) {
        std::memcpy(app.blockA.data() + 56, &seconds, 4);
        scene->LoadAutoLeaveSeconds();
        scene->StartAutoLeaveTimer();
        EXPECT_EQ(scene->GetAutoLeaveTimer(), 0u) << seconds;
    }
    const int32_t thirty = 30;
    std::memcpy(app.blockA.data() + 56, &thirty, 4);
    scene->LoadAutoLeaveSeconds();
    scene->StartAutoLeaveTimer();
    const uint64_t first = scene->GetAutoLeaveTimer();
    EXPECT_NE(first, 0u);
    engine.Run(20000);
    scene->StartAutoLeaveTimer();  // restarts: a full 30 s from here
    EXPECT_NE(scene->GetAutoLeaveTimer(), first);
    engine.Run(29000);
    EXPECT_TRUE(app.boxes.empty());
    engine.Run(2000);
    ASSERT_EQ(app.boxes.size(), 1u);
    EXPECT_EQ(app.boxes[0].text, "由于您长时间没有开始游戏，系统请您离开游戏");
    EXPECT_EQ(app.boxes[0].seconds, 10);
    EXPECT_EQ(app.boxes[0].flags, 0x30u);
    EXPECT_EQ(scene->GetAutoLeaveTimer(), 0u);
    engine.Run(40000);
    EXPECT_EQ(app.boxes.size(), 1u);

    app.roomOptions = 0x40;  // one of the two bits only
    scene->StartAutoLeaveTimer();
    EXPECT_EQ(scene->GetAutoLeaveTimer(), 0u);
}

TEST_F(MainGameTest, HallFeatureRequestsWrapTheirWaitTexts)
{
    ScriptedConnect connect(app);
    app.connect = &connect;
    scene->OnStartGameNew();
    EXPECT_TRUE(app.log.empty());  // no option bit 1
    app.roomOptions = 0x2;
    scene->OnStartGameNew();
    scene->GetAllowanceConfig(5);
    scene->TakeAllowance(6, 1);
    scene->TakeAllowanceEx(7, 0);
    scene->TakeSilverReward(8);
    EXPECT_EQ(app.log, (std::vector<std::string>{
                           "201302",
                           "wait 正在获取低保配置，请稍等......", "214010", "wait hidden", "config 1  5",
                           "wait 正在领取低保，请稍等......", "214000", "wait hidden", "result 1  6 1 77",
                           "wait 正在领取低保，请稍等......", "214001", "wait hidden", "result 1  7 0 78",
                           "wait 正在领取银子奖励，请稍等......", "201303", "wait hidden"}));
    EXPECT_TRUE(app.boxes.empty());
    connect.ok = false;
    scene->TakeSilverReward(8);
    ASSERT_EQ(app.boxes.size(), 1u);
    EXPECT_EQ(app.boxes[0].text, "不行");
    EXPECT_EQ(app.boxes[0].icon, "xyf抱歉");
}

} // namespace

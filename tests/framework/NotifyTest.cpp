// The generic dispatcher against a scripted application, a recording frame UI and recording
// scene and side-panel objects: the table of ids, the texts byte for byte (GBK), the players
// leaving and seated, the refusals of malformed records (short data, chairs outside the table,
// counts beyond the data) and the sweep of every id over every short length.
#include "tests/framework/FakeGameWinApp.h"
#include "tests/framework/NotifyRecords.h"
#include "tests/support/HeadlessEngine.h"

#include "engine/gui/CGameBase.h"
#include "framework/info/CGameInfo.h"
#include "framework/notify/CGameNotify.h"
#include "framework/notify/NotifyEvents.h"
#include "framework/notify/NotifyFrame.h"
#include "framework/notify/NotifyIds.h"

#include <gtest/gtest.h>

namespace {

// A name as the chat lines paste it (escaped, kept on one row), as the lines are compared.
std::string Unbroken(std::string_view name) { return std::string(Lumora::UnbrokenMarkup(name).Text()); }

using frametest::FakeGameWinApp;
using frametest::Record;
using Lumora::EventRecord;

struct Target : Lumora::CGameBase {
    explicit Target(std::string name) : name(std::move(name)) {}
    int OnEvent(const EventRecord& r) override
    {
        codes.push_back(r.code);
        if (r.code == framework::EV_CHAT_BOX_TEXT) {
            texts.emplace_back(reinterpret_cast<const char*>(r.param1));
            framework::FreeChatBoxText(r.param1);
        }
        return 1;
    }
    std::string name;
    std::vector<uint32_t> codes;
    std::vector<std::string> texts;
};

struct RecordingFrame : INotifyFrame {
    void ShowAskExit(Data) override { calls.push_back("askexit"); }
    void OnUserChanged(const Lumora::GameUserRecord& u) override { calls.push_back("changed " + std::to_string(u.UserId())); }
    void OnPlayerLeaving(const Lumora::GameUserRecord& u) override { calls.push_back("leaving " + std::to_string(u.UserId())); }
    void OnPlayerSeated(const Lumora::GameUserRecord& u) override { calls.push_back("seated " + std::to_string(u.UserId())); }
    void RefreshTableView() override { calls.push_back("tableview"); }
    void ShowKnockoutRound(Data) override { calls.push_back("knockout"); }
    void ShowMatchBegin() override { calls.push_back("matchbegin"); }
    void ShowSystemCancel() override { calls.push_back("cancel"); }
    void OnMatchSignUpOK() override { calls.push_back("signupok"); }
    void OnMatchQuitOK() override { calls.push_back("quitok"); }
    void ShowSystemBoard(const char* text, uint32_t colour, int size) override
    {
        calls.push_back(std::string("board ") + text + " " + std::to_string(colour) + " " + std::to_string(size));
    }
    void ShowPromotionInfo(Data) override { calls.push_back("promotion"); }
    void OnNotify211190(Data) override { calls.push_back("211190"); }
    void OnNotify211191(Data) override { calls.push_back("211191"); }
    void OnNotify211241(Data) override { calls.push_back("211241"); }
    void OnNotify211700(Data) override { calls.push_back("211700"); }
    std::vector<std::string> calls;
};

struct TableListNotify : CGameNotify {
    void OnTableListEntry(const uint8_t* block, size_t remaining) override { entries.push_back({block, remaining}); }
    std::vector<std::pair<const uint8_t*, size_t>> entries;
};

struct GameInfo : CGameInfo {
    int IsRuleFlag0() override { return 0; }
    uint32_t GetStartValue58() override { return 0; }
    int GetOwnTiles(int32_t*) override { return 0; }
    uint32_t GetRuleFlags() override { return 0; }
    void SetRuleFlags(uint32_t) override {}
    uint32_t GetStartValue20() override { return 0; }
    uint32_t GetStartValue24() override { return 0; }
    uint32_t GetStartValue28() override { return 0; }
    uint32_t GetStartValue34() override { return 0; }
    uint32_t GetStartValue2C() override { return 0; }
    int GetChairTiles(int, int32_t*) override { return 0; }
    void SetStartValue34(uint32_t) override {}
    int GetChairTileCount(int) override { return 0; }
};

Lumora::GameUserRecord User(int32_t id, const char* name, int32_t chair, int32_t table = 3)
{
    Lumora::GameUserRecord r;
    r.SetUserId(id);
    r.SetName(name);
    r.SetChair(chair);
    r.SetI32(12, table);
    return r;
}

class NotifyTest : public ::testing::Test {
protected:
    NotifyTest()
    {
        app.scene = &scene;
        app.panel = &panel;
        app.frame = &frame;
        app.gameInfo = &info;
        app.hall.players[0] = User(1001, "甲", 0);
        app.hall.players[1] = User(1002, "乙", 1);
        app.hall.players[2] = User(1003, "丙", 2);
        app.hall.table.SetI32(hall::TableRecord::kPlayerCount, 3);
    }
    bool Notify(uint32_t id, const Record& r) { return notify.OnNotify(id, r.Data(), r.Size()); }
    int PlayerCount() const { return app.hall.table.I32(hall::TableRecord::kPlayerCount); }

    FakeGameWinApp app;
    frametest::Installed installed{app};
    Target scene{"scene"};
    Target panel{"panel"};
    RecordingFrame frame;
    GameInfo info;
    TableListNotify notify;
};

TEST_F(NotifyTest, EventIdsReachTheirTargetsInOrder)
{
    struct Row {
        uint32_t id;
        std::vector<uint32_t> scene, panel;
    };
    app.hall.players[0] = User(1001, "甲", 0);
    const Row table[] = {
        {60031, {80000070}, {80000070}},
        {201210, {}, {80000058}},
        {211200, {}, {80000059}},
        {211900, {80000061}, {80000061}},
        {211920, {80000063}, {}},
        {211242, {80000028}, {80000028}},
        {211190, {}, {80000026}},
        {214100, {80000066}, {80000066}},
        {214101, {80000067}, {80000067}},
        {214102, {80000068}, {80000068}},
        {214103, {80000069}, {80000069}},
        {214110, {80000071}, {80000071}},
        {211202, {}, {}},
    };
    for (const Row& row : table) {
        scene.codes.clear();
        panel.codes.clear();
        EXPECT_TRUE(Notify(row.id, Record(64).Word(0, 1001))); // a chat from a player
        EXPECT_EQ(scene.codes, row.scene) << row.id;
        EXPECT_EQ(panel.codes, row.panel) << row.id;
    }
    EXPECT_EQ(app.matchState, 600);
    EXPECT_FALSE(Notify(123456, Record(4)));
    EXPECT_EQ(CGameNotify::HandledIdCount(), 58u);
}

TEST_F(NotifyTest, TextsAreTheSystemsOwnBytes)
{
    struct Row {
        uint32_t id;
        Record record;
        std::string text;
        int seconds;
    };
    const Row table[] = {
        {211110, Record(4).Word(0, 1002), "乙的银子不够了，这一桌游戏结束。", 5},
        {211120, Record(0), "有玩家未入座，游戏结束。", 5},
        {211130, Record(4).Word(0, 1003), "丙的积分不够了，这一桌游戏结束。", 5},
        {211132, Record(4).Word(0, 9999), "的积分超出限制，这一桌游戏结束。", 5},
        {211134, Record(16).Word(0, 1002).Word(12, 40), "乙的总局数超出限制(40局)，这一桌游戏结束。", 30},
        {211136, Record(12).Word(8, 12), "这一桌的局数超出限制(12局)，游戏结束。", 30},
        {211137, Record(92), "已超出限定时间，不能继续游戏。", 60},
        {211137, Record(92).Word(8, 1).Word(28, 830).Word(60, 1730),
         "已超出限定时间，不能继续游戏。下列时间段开放：\r\n\r\n8点30分 ~ 17点30分\r\n", 60},
        {211138, Record(20).Text(8, "维护"), "维护", 60},
        {211800, Record(12).Word(0, 1001).Word(4, 0).Word(8, 3), "您已经连续3局未参与本桌游戏了，请您换张桌子！", 5},
    };
    for (const Row& row : table) {
        app.boxes.clear();
        Notify(row.id, row.record);
        ASSERT_EQ(app.boxes.size(), 1u) << row.id;
        EXPECT_EQ(app.boxes[0].text, row.text) << row.id;
        EXPECT_EQ(app.boxes[0].seconds, row.seconds) << row.id;
        EXPECT_EQ(app.boxes[0].flags, 1u) << row.id;
    }
    const std::pair<uint32_t, Record> lines[] = {
        {201200, Record(24).Word(0, 1002).Word(16, 1003)},
        {201213, Record(24).Word(0, 1002).Word(16, 1003).Word(20, 1)},
        {211210, Record(12).Word(8, 16)},
        {211230, Record(0)},
    };
    for (const auto& [id, record] : lines)
        Notify(id, record);
    EXPECT_EQ(app.lines, (std::vector<std::string>{
                             " " + Unbroken("乙") + "呼叫 <c=32768>" + Unbroken("丙") + "\n",
                             " <c=2906200>" + Unbroken("乙") + "答应" + Unbroken("丙") + "的退出请求 \r\n",
                             " <z=zu系统通知><c=255,s=240> 出局人数已满，本局结束后将等待其他桌结束确定前16名晋级者。\r\n",
                             " <z=zu系统通知>#r 游戏超时，本局结束!\r\n"}));
    for (std::string_view name : testsupport::kHostileNames) {  // names as other players chose them
        app.hall.players[1] = User(1002, std::string(name).c_str(), 1);
        app.hall.players[2] = User(1003, std::string(name).c_str(), 2);
        for (const auto& [id, after] : {std::pair{201200, "呼叫"}, {201200, "\n"}, {201213, "答应"}, {201213, "的退出"}}) {
            Notify(uint32_t(id), lines[id == 201200 ? 0 : 1].second);
            EXPECT_TRUE(testsupport::ShowsName(app.lines.back(), name, after)) << id;
        }
        // The four timed boxes that name a player.
        for (const uint32_t id : {211110u, 211130u, 211132u, 211134u}) {
            Notify(id, Record(16).Word(0, 1002).Word(12, 40));
            EXPECT_TRUE(testsupport::ShowsName(app.boxes.back().text, name, "的", /*chatLine=*/false)) << id;
        }
    }
}

TEST_F(NotifyTest, OpeningHoursListAtMostEightPeriods)
{
    for (int count : {8, 9}) {
        app.boxes.clear();
        Record r(92);
        r.Word(8, count);
        for (int i = 0; i < 8; ++i)
            r.Word(28 + 4 * size_t(i), 800 + i).Word(60 + 4 * size_t(i), 1700 + i);
        Notify(211137, r);
        ASSERT_EQ(app.boxes.size(), 1u);
        const std::string& text = app.boxes[0].text;
        size_t lines = 0;
        for (size_t at = text.find("分\r\n"); at != std::string::npos; at = text.find("分\r\n", at + 1))
            ++lines;
        EXPECT_NE(text.find("8点07分 ~ 17点07分\r\n"), std::string::npos) << count;
        EXPECT_EQ(lines, 8u) << count;
    }
}

TEST_F(NotifyTest, ExitRefusalClearsOnlyTheOwnPendingRequest)
{
    info.exitRequestTime = 5000;
    Notify(201213, Record(24).Word(0, 1002).Word(16, 1003).Word(20, 0));
    EXPECT_EQ(info.exitRequestTime, 5000u);  // another user's request
    Notify(201213, Record(24).Word(0, 1002).Word(16, 1001).Word(20, 1));
    EXPECT_EQ(info.exitRequestTime, 5000u);  // agreed
    Notify(201213, Record(24).Word(0, 1002).Word(16, 1001).Word(20, 0));
    EXPECT_EQ(info.exitRequestTime, 0u);
    EXPECT_EQ(app.lines.back(),
              " <c=2906200>" + Unbroken("乙") + "拒绝" + Unbroken("甲") + "的退出请求 \r\n");
}

TEST_F(NotifyTest, GameResultBoxSplitsAtTheFirstBarAfterClosing)
{
    Notify(211410, Record(64).Text(32, "本局结束|http://a/b|c"));
    Notify(211410, Record(48).Text(32, "只有文字"));
    ASSERT_EQ(app.boxes.size(), 2u);
    EXPECT_EQ(app.boxes[0].text, "本局结束");
    EXPECT_EQ(app.boxes[0].link, "http://a/b|c");
    EXPECT_EQ(app.boxes[0].seconds, 60);
    EXPECT_EQ(app.boxes[1].text, "只有文字");
    EXPECT_EQ(app.boxes[1].link, "");
}

TEST_F(NotifyTest, LeavingPlayerIsClearedAndSeatedPlayerFilled)
{
    // Wrong table-check word: nothing happens.
    Notify(211010, Record(36).Word(0, 1002).Word(4, 1).Word(28, 4));
    EXPECT_EQ(PlayerCount(), 3);
    Notify(211010, Record(36).Word(0, 1002).Word(4, 1).Word(28, 3));
    EXPECT_TRUE(app.hall.players[1].IsEmpty());
    EXPECT_EQ(PlayerCount(), 2);

    app.hall.players[0] = User(1001, "甲", 0);
    Notify(211010, Record(36).Word(0, 1001).Word(4, 0).Word(28, 3).Word(32, 1));
    ASSERT_EQ(app.boxes.size(), 1u);
    EXPECT_EQ(app.boxes[0].text, "其他玩家同意您退出游戏！");
    EXPECT_EQ(app.boxes[0].icon, "xyf胜利");

    Record seated(340);
    seated.Word(0, 1).Word(16, 3).Word(20, 1004);
    Notify(211011, seated);
    EXPECT_EQ(PlayerCount(), 2);
    EXPECT_EQ(frame.calls, (std::vector<std::string>{"leaving 1002", "leaving 1001", "seated 1004"}));

    // A system-arranged table keeps its seats unless the room option opens them.
    app.tableArranged = true;
    Notify(211010, Record(36).Word(0, 1003).Word(4, 2).Word(28, 3));
    EXPECT_FALSE(app.hall.players[2].IsEmpty());
    app.roomOptions = 0x1000;
    Notify(211010, Record(36).Word(0, 1003).Word(4, 2).Word(28, 3));
    EXPECT_TRUE(app.hall.players[2].IsEmpty());
}

TEST_F(NotifyTest, MalformedRecordsAreRefusedBeforeAnythingChanges)
{
    Record chair99(340);
    chair99.Word(0, 1).Word(16, 99);
    EXPECT_THROW(Notify(211011, chair99), NotifyRefused);
    Record chairNegative(36);
    chairNegative.Word(0, 1002).Word(4, -1);
    EXPECT_THROW(Notify(211010, chairNegative), NotifyRefused);
    EXPECT_THROW(Notify(201213, Record(20)), NotifyRefused);
    EXPECT_THROW(Notify(211028, Record(12).Word(8, -5)), NotifyRefused);
    EXPECT_EQ(PlayerCount(), 3);
    EXPECT_TRUE(frame.calls.empty());

    // The user amounts hold as many entries as they count, or none of them is taken.
    Record users(20 + 2 * 52);
    users.Word(0, 2).Word(20, 1002).Word(32, 777).Text(40, "0123456789abcdefXYZ").Word(72, 1003).Word(84, 888);
    for (int32_t count : {5000, 3, -1})
        EXPECT_THROW(Notify(211030, users.Word(0, count)), NotifyRefused) << count;
    EXPECT_EQ(app.hall.players[1].Silver(), 0);
    EXPECT_TRUE(app.log.empty());
    Notify(211030, users.Word(0, 2));
    EXPECT_EQ(app.hall.players[1].Silver(), 777);
    EXPECT_EQ(app.hall.players[2].Silver(), 888);
    EXPECT_EQ(app.hall.players[1].Level(), "0123456789abcde");
    EXPECT_EQ(app.log, (std::vector<std::string>{"users changed"})) << "the user list and seat panels show it";

    // The table list's block is handed on only when it lies inside the data.
    Notify(211028, Record(64 + 136 + 8).Word(8, 1));
    Notify(211028, Record(64 + 136).Word(8, 1));
    Notify(211028, Record(64).Word(8, 1000000));
    ASSERT_EQ(notify.entries.size(), 1u);
    EXPECT_EQ(notify.entries[0].second, 8u);
}

TEST_F(NotifyTest, TenThousandRecordsOfEveryIdNeverReadOutside)
{
    static const uint32_t ids[] = {60031, 201200, 201210, 201212, 201213, 210530, 211000, 211010, 211011, 211020,
                                   211025, 211028, 211030, 211110, 211120, 211130, 211132, 211134, 211136, 211137,
                                   211138, 211150, 211170, 211190, 211191, 211199, 211200, 211201, 211202, 211203,
                                   211204, 211205, 211206, 211210, 211220, 211230, 211241, 211242, 211243, 211400,
                                   211410, 211430, 211440, 211510, 211600, 211601, 211700, 211800, 211900, 211910,
                                   211920, 211930, 211931, 214100, 214101, 214102, 214103, 214110};
    static_assert(std::size(ids) == 58);
    // Sixteen byte patterns over 58 ids and 11 lengths: over ten thousand records.
    for (uint8_t pattern = 0; pattern < 16; ++pattern)
    for (uint32_t id : ids)
        for (size_t size : {0, 1, 4, 11, 17, 23, 33, 39, 63, 91, 200}) {
            Record r(size);
            for (size_t i = 0; i < size; ++i)
                r.bytes[i] = pattern < 8 ? uint8_t(0x81 + i * 7 + pattern)  // no zero: texts run to the end
                                         : uint8_t(i % (pattern - 6) == 0 ? 0 : 0x30 + i);
            try {
                EXPECT_TRUE(Notify(id, r)) << id;
            } catch (const NotifyRefused& e) {
                EXPECT_EQ(e.Id(), id);
            }
        }
}

TEST_F(NotifyTest, AChatFromNoOneAtTheTableIsDroppedWhileThePlayersWatchersAndSystemSpeak)
{
    app.hall.lookOn[0] = User(2001, "看", 1);
    app.hall.lookOn[0].SetLookOn(1);
    for (int32_t sender : {1001, 2001, 0, 4242, 1004})
        Notify(201210, Record(128).Word(0, sender).Text(48, "hi"));
    Notify(201210, Record(3));
    EXPECT_EQ(panel.codes, (std::vector<uint32_t>{80000058, 80000058})) << "a player's and a watcher's";
    Notify(201200, Record(24).Word(0, 1001).Word(16, 1002));
    EXPECT_EQ(app.lines.size(), 1u) << "the system's own line";
}

TEST_F(NotifyTest, ChatBoxTextTravelsAsAHeapCopyTheSidePanelFrees)
{
    Notify(211400, Record(40).Text(32, "公告"));
    EXPECT_EQ(panel.texts, std::vector<std::string>{"公告"});
    app.panel = nullptr;
    Notify(211400, Record(40).Text(32, "无人"));  // nobody to hand it to: nothing leaks
    EXPECT_EQ(panel.texts.size(), 1u);
}

} // namespace

// The mahjong dispatcher and the scene's notification handlers against crafted records on a
// dealt table: the filters of the dispatcher, the last-notification record, the edge cases of
// the handlers (own throw echo, a throw the server made for the own chair, one leaving only the
// drawn slot's tile, flower without replacement, concealed gang clock, skip rule, the hand sent
// again and the counts it is refused for, the rob-gang option, the wall's last position) and
// malformed records dropped without a change.
#include "tests/mahjong/DealtTable.h"
#include "tests/support/HeadlessEngine.h"

#include "engine/util/HostServices.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "widgets/CXyStandButton.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using namespace Lumora;
using mahjongtest::SceneRig;
using mahjongtest::TestScene;

std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

// A record of `size` bytes with words at their offsets.
std::vector<uint8_t> Rec(size_t size, std::initializer_list<std::pair<size_t, int32_t>> words)
{
    std::vector<uint8_t> r(size);
    for (auto [offset, value] : words)
        if (offset + 4 <= size)
            std::memcpy(r.data() + offset, &value, 4);
    return r;
}

// A dealt table: own chair 0 (seat 3) is the banker with 14 tiles.
struct Table : mahjongtest::DealtTable {
    Table() : DealtTable(TestName()), s(*rig.scene) {}
    TestScene& s;
};

TEST(TableNotify, DispatcherFiltersAndTheLastNotification)
{
    Table t;
    t.notify.flag = true;
    EXPECT_TRUE(t.notify.Send(CMJGameNotify2::kAfterResult, {}));
    EXPECT_EQ(t.s.waitAnimation, nullptr);
    t.notify.flag = false;
    t.notify.Send(CMJGameNotify2::kAfterResult, {});
    EXPECT_NE(t.s.waitAnimation, nullptr);

    t.notify.RecordLastNotify(CMJGameNotify2::kGameMessage, Rec(24, {{8, 19840329}}).data(), 24);
    uint32_t last[4];
    t.notify.GetLastNotifyRecord(last);
    EXPECT_EQ(last[0], 229500u);
    EXPECT_EQ(last[1], 19840329u);
    EXPECT_EQ(last[2], 24u);
    t.notify.RecordLastNotify(CMJGameNotify2::kCardThrown, Rec(88, {{8, 19840329}}).data(), 88);
    t.notify.GetLastNotifyRecord(last);
    EXPECT_EQ(last[1], 0u);

    // An id of no layer is not handled; the gang ids reach the scene (a short one is dropped there).
    EXPECT_FALSE(t.notify.Send(999999, {}));
    for (uint32_t id : {229195u, 229197u, 229199u})
        EXPECT_TRUE(t.notify.Send(id, Rec(8, {})));
    EXPECT_EQ(t.rig.Misfiled(), 0);
}

TEST(TableNotify, HandlerEdgeCases)
{
    Table t;
    TestScene& s = t.s;
    // The own throw's echo after the drawn tile is gone changes nothing.
    s.ReturnToPool(s.hands[kOwnSeat][kDrawnSlot]);
    ASSERT_FALSE(s.HasCaughtCard(kOwnSeat));
    t.notify.Send(222170, Rec(88, {{4, 0}, {84, 5}}));
    EXPECT_EQ(s.thrown[kOwnSeat], nullptr);

    // A flower without a replacement hands the turn to the previous seat (chair 1 is seat 0).
    t.notify.Send(229210, Rec(28, {{12, 1}, {16, 7}, {20, -1}, {24, 0}}));
    EXPECT_EQ(s.GetTurnArrowPos(), s.PrevSeat(0) * 2);

    // A concealed gang adds 3 to the running clock.
    s.SetClockValue(5);
    t.notify.Send(229197, Rec(48, {{12, 2}, {16, 2}, {20, 200}, {24, 200}, {28, 200}, {32, 200}, {40, 200}, {44, 100}}));
    EXPECT_EQ(s.GetClockValue(), 8);

    // A throw nobody may claim under the skip rule: no buttons; the own turn is next, clock 1.
    t.rig.data.params[27] = 1;
    t.notify.Send(222170, Rec(88, {{4, 1}, {84, 9}}));
    for (int b : {CMJMainGame2::kBtnPeng, CMJMainGame2::kBtnGang, CMJMainGame2::kBtnHu, CMJMainGame2::kBtnPass})
        EXPECT_FALSE(s.buttons[size_t(b)]->IsActive()) << b;
    EXPECT_EQ(s.GetClockValue(), 1);
    EXPECT_NE(s.thrown[0], nullptr);

    // A gang that may be robbed: the hu option takes the announcer, the tile and the kind; the
    // buttons shown flash the host window.
    int flashes = 0;
    SetFlashHandler([&] { ++flashes; });
    t.notify.Send(229180, Rec(32, {{0, 2}, {4, 2}, {8, 30}, {12, 3}, {16, 8}}));
    EXPECT_EQ(s.options[kOptHu].enabled, 1);
    EXPECT_EQ(s.options[kOptHu].tile, 30);
    EXPECT_EQ(s.options[kOptHu].gangKind, 3);
    EXPECT_TRUE(s.buttons[CMJMainGame2::kBtnHu]->IsActive());
    EXPECT_EQ(flashes, 2);
    SetFlashHandler(nullptr);

    // A draw parks every thrown tile still in the middle.
    t.notify.Send(229160, Rec(16, {{0, 3}, {4, 200}, {8, 60}}));
    for (CMJCard2* thrown : s.thrown)
        EXPECT_EQ(thrown, nullptr);
    EXPECT_EQ(t.rig.Misfiled(), 0);
}

TEST(TableNotify, SystemLinesAutoPlayAndAsksToSeeTheHand)
{
    Table t;
    TestScene& s = t.s;
    auto& notices = t.rig.app.notices;
    t.rig.app.AddLookOn(0, 2002, "watcher", 0);
    const auto last = [&] { return notices.empty() ? std::string() : notices.back(); };

    t.notify.Send(201160, Rec(16, {{12, 1}}));
    EXPECT_EQ(last(), "<c=8421504> " + Lumora::UnbrokenMarkup("player1") + " 已经开始\r\n");
    t.notify.Send(211240, Rec(4, {{0, 1002}}));
    EXPECT_EQ(last(), " <z=zu系统通知> <c=0>" + Lumora::UnbrokenMarkup("player2") + "掉线了!\r\n");
    ASSERT_TRUE(s.players[size_t(s.ChairToSeat(2))]->IsOffline());
    t.notify.Send(229500, Rec(24, {{8, 19840324}, {16, 4}, {20, 2}}));
    EXPECT_NE(last().find((Lumora::UnbrokenMarkup("player2") + "重新回到了游戏!\r\n").Text()), std::string::npos);
    EXPECT_FALSE(s.players[size_t(s.ChairToSeat(2))]->IsOffline());
    t.notify.Send(229570, Rec(24, {{0, 1000}, {12, 0}, {16, 2002}, {20, 1}}));
    EXPECT_EQ(last(),
              " <c=2906200>" + Lumora::UnbrokenMarkup("player0") + "允许" + Lumora::UnbrokenMarkup("watcher") + "看牌 \r\n");
    // Names other players chose show as written in every line that names them.
    for (std::string_view name : testsupport::kHostileNames) {
        t.rig.app.SeatPlayer(1, 1001, std::string(name));
        t.rig.app.AddLookOn(1, 2003, std::string(name), 0);
        t.notify.Send(201160, Rec(16, {{12, 1}}));
        EXPECT_TRUE(testsupport::ShowsName(last(), name, " 已经开始"));
        t.notify.Send(211240, Rec(4, {{0, 1001}}));
        EXPECT_TRUE(testsupport::ShowsName(last(), name, "掉线了!"));
        t.notify.Send(229500, Rec(24, {{8, 19840324}, {16, 4}, {20, 1}}));
        EXPECT_TRUE(testsupport::ShowsName(last(), name, "重新回到了游戏!"));
        t.notify.Send(229570, Rec(24, {{0, 1001}, {12, 0}, {16, 2003}, {20, 0}}));
        EXPECT_TRUE(testsupport::ShowsName(last(), name, "禁止") && testsupport::ShowsName(last(), name, "看牌"));
    }

    // Auto-play of the own chair by the server's messages.
    t.notify.Send(229500, Rec(24, {{8, 19840329}, {16, 4}, {20, 0}}));
    EXPECT_EQ(s.autoPlay, 1);
    t.notify.Send(229500, Rec(24, {{8, 19840330}, {16, 4}, {20, 0}}));
    EXPECT_EQ(s.autoPlay, 0);

    // Asks to see the hand: passed on, unless the application or the asker's record refuses.
    t.notify.Send(229550, Rec(32, {{0, 2002}}));
    EXPECT_EQ(s.asks, 1);
    t.notify.reject = 1;
    t.notify.Send(229550, Rec(32, {{0, 2002}}));
    EXPECT_EQ(s.asks, 1);
    t.notify.reject = 0;
    t.rig.app.lookOns[0].SetI32(CMJGameNotify2::kRejectAskOffset, 1);
    t.notify.Send(229550, Rec(32, {{0, 2002}}));
    EXPECT_EQ(s.asks, 1);

    // The start of a game: the table and game lines, a score room.
    s.OnNotifyRoundStart();
    ASSERT_GE(notices.size(), 2u);
    EXPECT_EQ(notices[notices.size() - 2], "\r\n<c=16711680><size=16><第9桌,第0局>\r\n");
    EXPECT_EQ(last(), "\r\n<size=12>【第0局】基础分：<c=255>0<>分\r\n");
}

TEST(TableNotify, TheGameResultShowsEveryHandAndEndsPlay)
{
    Table t;
    TestScene& s = t.s;
    s.playState = kPlayStateTurn;
    const auto hands = s.hands;
    s.OnNotifyGameResult(Rec(540, {{516, 1}}).data(), 540); // too short: nothing shown
    EXPECT_EQ(s.hands, hands);
    EXPECT_EQ(s.playState, kPlayStateTurn);
    s.OnNotifyGameResult(Rec(2096, {{520, 1}, {532, -1}, {540, 21}}).data(), 2096);
    EXPECT_EQ(s.playState, 0);
    EXPECT_EQ(t.rig.Misfiled(), 0);
}

TEST(TableNotify, AWatcherSeesTheThrowButGetsNoClaims)
{
    Table t;
    t.rig.app.lookOn = 1;
    t.notify.Send(222170, Rec(88, {{4, 1}, {24, 0x2F}, {84, 21}}));
    EXPECT_NE(t.s.thrown[0], nullptr);
    for (const ClaimOption& o : t.s.options)
        EXPECT_EQ(o.enabled, 0);
    EXPECT_FALSE(t.s.buttons[CMJMainGame2::kBtnPeng]->IsActive());
}

TEST(TableNotify, AThrowTheServerMadeForTheOwnChairAfterAClaimLeavesTheHand)
{
    Table t;
    TestScene& s = t.s;
    // As after a claim: thirteen tiles and none drawn.
    s.ReturnToPool(s.TakeTileFromHand(kOwnSeat, 27));
    s.InsertCaughtCard(kOwnSeat);
    ASSERT_FALSE(s.HasCaughtCard(kOwnSeat));
    TileArray hand;
    ASSERT_EQ(s.FindHandCard(kOwnSeat, hand), 13);
    t.notify.Send(222170, Rec(88, {{4, 0}, {84, 9}}));
    ASSERT_NE(s.thrown[kOwnSeat], nullptr);
    EXPECT_EQ(s.thrown[kOwnSeat]->tile, 9);
    EXPECT_EQ(s.FindTileSlot(kOwnSeat, 9), -1);
    EXPECT_EQ(s.FindHandCard(kOwnSeat, hand), 12);
    // Its echo, and a tile the hand does not hold, change nothing.
    const auto hands = s.hands;
    t.notify.Send(222170, Rec(88, {{4, 0}, {84, 9}}));
    t.notify.Send(222170, Rec(88, {{4, 0}, {84, 100}}));
    EXPECT_EQ(s.hands, hands);
    EXPECT_EQ(s.thrown[kOwnSeat]->tile, 9);
    EXPECT_EQ(t.rig.Misfiled(), 0);
}

TEST(TableNotify, AThrowLeavingOnlyTheDrawnSlotsTilePutsItBackIntoTheRow)
{
    Table t;
    TestScene& s = t.s;
    // As after a fourth claim: one concealed tile in the row, the other in the drawn slot.
    while (CMJCard2* extra = s.hands[kOwnSeat][2])
        s.ReturnToPool(s.TakeTileFromHand(kOwnSeat, extra->tile));
    ASSERT_NE(s.hands[kOwnSeat][1], nullptr);
    ASSERT_TRUE(s.HasCaughtCard(kOwnSeat));
    const int kept = s.hands[kOwnSeat][kDrawnSlot]->tile;
    t.notify.Send(222170, Rec(88, {{4, 0}, {84, s.hands[kOwnSeat][1]->tile}}));
    ASSERT_NE(s.hands[kOwnSeat][1], nullptr) << "the next draw would land on the kept tile";
    EXPECT_EQ(s.hands[kOwnSeat][1]->tile, kept);
    EXPECT_FALSE(s.HasCaughtCard(kOwnSeat));
    EXPECT_EQ(t.rig.Misfiled(), 0);
}

TEST(TableNotify, OwnHandAgainIsRefusedPastItsTilesOrAHandAndTakenForOwnChairOnly)
{
    Table t;
    TestScene& s = t.s;
    const auto before = s.hands;
    auto hand = [](int chair, int32_t count, int tiles) {
        auto r = Rec(12 + size_t(tiles) * 4, {{4, chair}, {8, count}});
        for (int i = 0; i < tiles; ++i) {
            const int32_t id = 36 + i;
            std::memcpy(r.data() + 12 + i * 4, &id, 4);
        }
        return r;
    };
    // Past the tiles it carries, past a hand (all carried) or negative: refused, never clamped.
    for (auto [count, tiles] : {std::pair{1000, 14}, {15, 14}, {15, 15}, {-3, 0}})
        EXPECT_THROW(t.notify.Send(229580, hand(0, count, tiles)), NotifyRefused) << count;
    t.notify.Send(229580, hand(2, 14, 14));
    EXPECT_EQ(s.hands, before);
    t.notify.Send(229580, hand(0, 14, 14));
    TileArray held;
    EXPECT_EQ(s.FindHandCard(kOwnSeat, held), 14);
    EXPECT_EQ(held[0], 36);
    EXPECT_EQ(t.rig.Misfiled(), 0);
}

TEST(TableNotify, ADrawFromTheLastWallPositionIsTakenOneBeyondIsDropped)
{
    Table t;
    TestScene& s = t.s;
    const auto hands = s.hands;
    t.notify.Send(229160, Rec(16, {{0, 1}, {4, 5}, {8, kCardPoolSize}}));
    EXPECT_EQ(s.hands, hands);
    t.notify.Send(229160, Rec(16, {{0, 1}, {4, 5}, {8, kCardPoolSize - 1}}));
    EXPECT_NE(s.hands, hands);
    EXPECT_EQ(t.rig.Misfiled(), 0);
}

TEST(TableNotify, MalformedRecordsAreDroppedWithoutAChange)
{
    Table t;
    TestScene& s = t.s;
    const struct {
        uint32_t id;
        std::vector<uint8_t> record;
    } cases[] = {
        {222170, Rec(80, {{4, 1}, {84, 5}})},                                   // short
        {222170, Rec(88, {{4, 9}, {84, 5}})},                                   // chair 9
        {222170, Rec(88, {{4, 1}, {84, 300}})},                                 // tile 300
        {229160, Rec(16, {{0, -1}, {4, 5}, {8, 60}})},                          // seat -1
        {229160, Rec(16, {{0, 1}, {4, 5}, {8, 200}})},                          // wall position 200
        {229185, Rec(32, {{12, 1}, {16, 9}, {20, 5}, {24, 6}, {28, 7}})},       // discarder 9
        {229195, Rec(48, {{12, 1}, {16, 2}, {20, 5}, {24, 6}, {28, 7}, {32, 8}, {40, 9}, {44, 400}})},
        {229210, Rec(28, {{12, 1}, {16, 300}, {20, -1}})},
        {229500, Rec(20, {{8, 19840329}, {16, 100}})},                          // data beyond the record
        {229180, Rec(20, {{0, 1}})},
        // The own concealed gang naming tiles the hand does not hold, or one tile twice.
        {229197, Rec(48, {{12, 0}, {16, 0}, {20, 200}, {24, 200}, {28, 200}, {32, 200}, {40, -1}})},
        {229197, Rec(48, {{12, 0}, {16, 0}, {20, 0}, {24, 0}, {28, 9}, {32, 18}, {40, -1}})},
    };
    const auto hands = s.hands;
    const auto thrown = s.thrown;
    const auto discards = s.discards;
    for (const auto& c : cases) {
        t.notify.Send(c.id, c.record);
        EXPECT_EQ(s.hands, hands) << c.id;
        EXPECT_EQ(s.thrown, thrown) << c.id;
        EXPECT_EQ(s.discards, discards) << c.id;
    }
    EXPECT_EQ(t.rig.Misfiled(), 0);
}

} // namespace

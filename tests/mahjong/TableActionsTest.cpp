// The table's actions on a dealt table, through the real mahjong connection to the game-server
// stand-in, which checks every request against its layout: the bytes of each request, a refused
// throw put right by the hand sent again, own throws racing the server's time-out, the claim
// flags' buttons and failed claims taking them down, a claim laid only by its notification, an own
// concealed gang whose replacement is placed once, hu on a discard and self-drawn, and the ask
// to see a hand answered.
#include "tests/mahjong/SceneRig.h"

#include "support/FakeClientApp.h"
#include "support/GameServerStandIn.h"

#include "framework/connection/RequestIds.h"
#include "mahjong/notify/CMJGameNotify2.h"
#include "widgets/CXyStandButton.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using namespace Lumora;
using mahjongtest::SceneRig;
using mahjongtest::TestScene;

std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

// The head {1001, 1, 1, 0} of the stand-in's default seat, then words at their offsets.
std::string Hex(size_t size, std::initializer_list<std::pair<size_t, int32_t>> words)
{
    std::vector<uint8_t> r(size);
    const int32_t head[4] = {1001, 1, 1, 0};
    std::memcpy(r.data(), head, sizeof head);
    for (auto [offset, value] : words)
        std::memcpy(r.data() + offset, &value, 4);
    std::string out;
    char two[3];
    for (uint8_t b : r) {
        std::snprintf(two, sizeof two, "%02x", b);
        out += two;
    }
    return out;
}

std::string Words(std::initializer_list<int32_t> words)
{
    std::string out;
    char eight[9];
    for (int32_t w : words) {
        const uint32_t v = uint32_t(w);
        std::snprintf(eight, sizeof eight, "%02x%02x%02x%02x", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, v >> 24);
        out += eight;
    }
    return out;
}

std::vector<uint8_t> Rec(size_t size, std::initializer_list<std::pair<size_t, int32_t>> words)
{
    std::vector<uint8_t> r(size);
    for (auto [offset, value] : words)
        std::memcpy(r.data() + offset, &value, 4);
    return r;
}

class TableActions : public ::testing::Test {
protected:
    TableActions() : rig(TestName()), s(*rig.scene)
    {
        rig.app.roomId = 1;
        rig.app.tableNo = 1;
        connect.SetApp(&client);
        connect.SetupEncryption();
        int proxyFailed = 0;
        std::string text;
        opened = connect.OpenGameChannel("Game", "127.0.0.1", server.Port(), &proxyFailed) && connect.EnterGame(text);
        s.connect = &connect;
        s.OnTableEntered();
        s.OnGameReady();
        s.OnGameStartData(nullptr, 0);
        rig.engine.Run(4000);
        s.chairCount = s.playerCount = 4;
        // The own turn: the banker holds 14 tiles with one drawn.
        s.playState = kPlayStateTurn;
        s.playBlock[CMJMainGame2::kMustThrow] = 1;
        s.playBlock[CMJMainGame2::kArrowPos] = kOwnSeat * 2;
    }
    ~TableActions() override
    {
        connect.CloseAll();
        EXPECT_EQ(server.Errors(), "[]");
    }
    void Fault(uint32_t id, const std::string& rest)
    {
        server.Command(R"({"op":"fault","id":)" + std::to_string(id) + "," + rest + "}");
    }
    // The hex of the request of that id, or "none".
    std::string SentAs(uint32_t id)
    {
        const auto v = server.AwaitRequests(id, 1);
        return v.empty() ? "none" : v.back();
    }
    int Concealed()
    {
        TileArray hand;
        return s.FindHandCard(kOwnSeat, hand);
    }

    standin::GameServer server;
    FakeClientApp client;
    CMJGameConnect2 connect;
    bool opened = false;
    SceneRig rig;
    TestScene& s;
};

TEST_F(TableActions, ThrowAndARefusedThrowPutRightByTheServersHand)
{
    ASSERT_TRUE(opened);
    const int drawn = s.hands[kOwnSeat][kDrawnSlot]->tile;
    ASSERT_TRUE(s.SendThrowCard(kDrawnSlot));
    ASSERT_NE(s.thrown[kOwnSeat], nullptr);
    EXPECT_EQ(s.thrown[kOwnSeat]->tile, drawn);
    EXPECT_EQ(Concealed(), 13);
    EXPECT_EQ(s.playBlock[CMJMainGame2::kMustThrow], 0);
    auto sent = server.AwaitRequests(RequestId::ThrowCards, 1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], Hex(108, {{100, 1}, {104, drawn}}));
    // The echo is ignored: the drawn slot is empty.
    const auto thrownBefore = s.thrown;
    s.OnNotifyCardThrown(Rec(88, {{4, 0}, {84, drawn}}).data(), 88);
    EXPECT_EQ(s.thrown, thrownBefore);

    // A refused throw: the tile goes back to the hand, and the server's hand follows.
    s.ParkThrownCard(kOwnSeat);
    s.CatchWallCard(kOwnSeat, 53, 40);
    s.playBlock[CMJMainGame2::kMustThrow] = 1;
    Fault(RequestId::ThrowCards, R"("code":229102)");
    EXPECT_FALSE(s.SendThrowCard(kDrawnSlot));
    EXPECT_EQ(s.thrown[kOwnSeat], nullptr);
    EXPECT_EQ(s.playBlock[CMJMainGame2::kMustThrow], 1);
    EXPECT_EQ(Concealed(), 14);
    auto hand = Rec(12 + 14 * 4, {{4, 0}, {8, 14}});
    const int32_t tiles[14] = {0, 9, 18, 27, 1, 10, 19, 28, 2, 11, 20, 29, 3, 40};
    std::memcpy(hand.data() + 12, tiles, sizeof tiles);
    s.OnNotifyOwnHand(hand.data(), hand.size());
    EXPECT_EQ(Concealed(), 14);
    EXPECT_EQ(s.hands[kOwnSeat][kDrawnSlot]->tile, 40) << "the drawn tile stays drawn";
    EXPECT_EQ(rig.Misfiled(), 0);
}

// A slow own chair races the server, which throws for it once its time is out: the own throw
// refused as late, and one the server takes only on the chair's next turn.
TEST_F(TableActions, OwnThrowsRacingTheServersTimeOutLeaveTheHandAsTheServerHasIt)
{
    ASSERT_TRUE(opened);
    const int drawn = s.hands[kOwnSeat][kDrawnSlot]->tile;
    Fault(RequestId::ThrowCards, R"("code":229102)");
    EXPECT_FALSE(s.SendThrowCard(kDrawnSlot));
    EXPECT_EQ(Concealed(), 14) << "the server still holds the refused tile";
    // The server threw that tile for the chair: it leaves the hand for the middle.
    s.OnNotifyCardThrown(Rec(88, {{4, 0}, {84, drawn}}).data(), 88);
    ASSERT_NE(s.thrown[kOwnSeat], nullptr);
    EXPECT_EQ(s.thrown[kOwnSeat]->tile, drawn);
    EXPECT_EQ(Concealed(), 13);

    // Next turn: the own throw of 0 is shown, the server throws 9 for the turn that had run out,
    // the chair draws 40, and only then does the server take the throw of 0.
    s.OnNotifyCardCaught(Rec(16, {{0, 0}, {4, 41}, {8, 61}}).data(), 16);
    Fault(RequestId::ThrowCards, R"("code":10)");
    ASSERT_TRUE(s.SendThrowCard(s.FindTileSlot(kOwnSeat, 0)));
    s.OnNotifyCardThrown(Rec(88, {{4, 0}, {84, 9}}).data(), 88);
    s.OnNotifyCardCaught(Rec(16, {{0, 0}, {4, 40}, {8, 60}}).data(), 16);
    EXPECT_EQ(Concealed(), 13);
    s.OnNotifyCardThrown(Rec(88, {{4, 0}, {84, 0}}).data(), 88);
    ASSERT_NE(s.thrown[kOwnSeat], nullptr);
    EXPECT_EQ(s.thrown[kOwnSeat]->tile, 0) << "back from the discards";
    EXPECT_EQ(s.FindTileSlot(kOwnSeat, 0), -1);
    EXPECT_FALSE(s.HasCaughtCard(kOwnSeat)) << "40 joined the hand";
    EXPECT_GE(s.FindTileSlot(kOwnSeat, 40), 1);
    EXPECT_EQ(Concealed(), 13);
    int filed = 0;
    for (const CMJCard2* t : s.discards[kOwnSeat])
        filed += t && (t->tile == 0 || t->tile == 9 || t->tile == drawn);
    EXPECT_EQ(filed, 2) << "the drawn tile and 9, once each";
    // The next draw is placed.
    s.OnNotifyCardCaught(Rec(16, {{0, 0}, {4, 42}, {8, 62}}).data(), 16);
    ASSERT_NE(s.hands[kOwnSeat][kDrawnSlot], nullptr);
    EXPECT_EQ(s.hands[kOwnSeat][kDrawnSlot]->tile, 42);
    EXPECT_EQ(rig.Misfiled(), 0);
}

// A chair far behind the server: its throw of 0 is taken two records late, behind the server's
// throw of the drawn tile, the next draw and the hand sent again (which still holds 0).
TEST_F(TableActions, AThrowTakenBehindTheHandSentAgainIsThrownOnce)
{
    ASSERT_TRUE(opened);
    const int drawn = s.hands[kOwnSeat][kDrawnSlot]->tile;
    std::vector<int32_t> held;
    for (const CMJCard2* t : s.hands[kOwnSeat])
        if (t && t->inHand && t->tile != drawn)
            held.push_back(t->tile);
    Fault(RequestId::ThrowCards, R"("code":10)");
    ASSERT_TRUE(s.SendThrowCard(s.FindTileSlot(kOwnSeat, 0)));
    s.OnNotifyCardThrown(Rec(88, {{4, 0}, {84, drawn}}).data(), 88);
    s.OnNotifyCardCaught(Rec(16, {{0, 0}, {4, 40}, {8, 60}}).data(), 16);
    held.push_back(40);
    auto hand = Rec(12 + held.size() * 4, {{4, 0}, {8, int32_t(held.size())}});
    std::memcpy(hand.data() + 12, held.data(), held.size() * 4);
    s.OnNotifyOwnHand(hand.data(), hand.size());
    s.OnNotifyCardThrown(Rec(88, {{4, 0}, {84, 0}}).data(), 88);
    EXPECT_EQ(Concealed(), 13);
    EXPECT_EQ(s.FindTileSlot(kOwnSeat, 0), -1);
    int zeros = s.thrown[kOwnSeat] && s.thrown[kOwnSeat]->tile == 0;
    for (const CMJCard2* t : s.discards[kOwnSeat])
        zeros += t && t->tile == 0;
    EXPECT_EQ(zeros, 1);
    // The next draw is placed, and the server's throw of it leaves the hand.
    s.OnNotifyCardCaught(Rec(16, {{0, 0}, {4, 42}, {8, 61}}).data(), 16);
    ASSERT_NE(s.hands[kOwnSeat][kDrawnSlot], nullptr);
    EXPECT_EQ(s.hands[kOwnSeat][kDrawnSlot]->tile, 42);
    EXPECT_EQ(rig.Misfiled(), 0);
}

// A claim flag word (the own chair's word of the throw) shows the button of each bit set and
// no other; the hu refused as late or a peng that could not be sent take the buttons down.
TEST_F(TableActions, ClaimFlagsShowTheirButtonsAndFailedClaimsTakeThemDown)
{
    ASSERT_TRUE(opened);
    s.ReturnToPool(s.TakeTileFromHand(kOwnSeat, 27));
    s.playBlock[CMJMainGame2::kMustThrow] = 0;
    s.playBlock[CMJMainGame2::kArrowPos] = 0;
    const struct {
        int32_t flags;
        std::vector<int> shown;
    } cases[] = {
        {1, {kOptPeng}}, {2, {kOptGang}}, {8, {kOptHu}}, {32, {kOptPass}}, {1 | 8 | 32, {kOptPeng, kOptHu, kOptPass}},
    };
    const int buttonOf[6] = {0, CMJMainGame2::kBtnPeng, CMJMainGame2::kBtnGang, 0, CMJMainGame2::kBtnHu,
                             CMJMainGame2::kBtnPass};
    for (const auto& c : cases) {
        s.OnNotifyCardThrown(Rec(88, {{4, 1}, {24, c.flags}, {84, 21}}).data(), 88);
        for (int o : {kOptPeng, kOptGang, kOptHu, kOptPass}) {
            const bool want = std::find(c.shown.begin(), c.shown.end(), o) != c.shown.end();
            EXPECT_EQ(s.options[size_t(o)].enabled, want) << c.flags << " option " << o;
            EXPECT_EQ(s.buttons[size_t(buttonOf[o])]->IsActive(), want) << c.flags << " option " << o;
        }
    }
    auto anyShown = [&] {
        bool shown = false;
        for (int b : {CMJMainGame2::kBtnPeng, CMJMainGame2::kBtnHu, CMJMainGame2::kBtnPass})
            shown = shown || s.buttons[size_t(b)]->IsActive();
        return shown;
    };
    Fault(RequestId::Hu, R"("code":229107)");
    s.CMJMainGame2::OnBtnHu();
    EXPECT_FALSE(anyShown()) << "after a refused hu";
    EXPECT_FALSE(s.options[kOptHu].enabled);

    s.OnNotifyCardThrown(Rec(88, {{4, 1}, {24, 1 | 8 | 32}, {84, 30}}).data(), 88);
    ASSERT_TRUE(anyShown());
    connect.CloseAll();
    s.CMJMainGame2::OnBtnPeng();
    EXPECT_FALSE(anyShown()) << "after a peng that could not be sent";
    EXPECT_EQ(rig.Misfiled(), 0);
}

TEST_F(TableActions, ClaimsSendTheirTwoRequestsAndTheMeldComesWithItsNotification)
{
    ASSERT_TRUE(opened);
    s.ReturnToPool(s.TakeTileFromHand(kOwnSeat, 27)); // 13 tiles, the 3 still in the drawn slot
    s.playBlock[CMJMainGame2::kMustThrow] = 0;
    s.playBlock[CMJMainGame2::kArrowPos] = 0;
    // Chair 1 throws 21 (a 4 of characters), which the own chair may peng with its 3 and 12.
    s.OnNotifyCardThrown(Rec(88, {{4, 1}, {24, 1}, {84, 21}}).data(), 88);
    ClaimOption peng = s.options[kOptPeng];
    EXPECT_EQ(peng.chair, 1);
    EXPECT_EQ(peng.tile, 21);
    EXPECT_EQ(peng.enabled, 1);
    EXPECT_TRUE(s.buttons[CMJMainGame2::kBtnPeng]->IsActive());
    const int before = Concealed();
    s.CMJMainGame2::OnBtnPeng();
    EXPECT_EQ(SentAs(RequestId::AnnouncePeng), Hex(64, {{16, 1}, {20, 21}, {24, 3}, {28, 12}, {32, -1}, {36, 1}}));
    EXPECT_EQ(SentAs(RequestId::PengCards), Hex(64, {{16, 1}, {20, 21}, {24, 3}, {28, 12}, {32, -1}, {36, 1}}));
    EXPECT_EQ(Concealed(), before); // nothing laid yet
    s.OnNotifyPengCards(Rec(32, {{12, 0}, {16, 1}, {20, 21}, {24, 3}, {28, 12}}).data(), 32);
    EXPECT_EQ(Concealed(), before - 2);
    EXPECT_EQ(rig.Misfiled(), 0);

    // A pass names the tile and its thrower.
    s.options[kOptPass] = peng;
    EXPECT_TRUE(s.SendPass());
    EXPECT_EQ(SentAs(RequestId::Pass), Hex(40, {{16, 21}, {20, 1}}));

    // Hu on a discard, and on a robbed gang (kind 4).
    s.playBlock[CMJMainGame2::kMustThrow] = 0; // another seat's throw
    s.options[kOptHu] = peng;
    s.CMJMainGame2::OnBtnHu();
    s.options[kOptHu] = peng;
    s.options[kOptHu].gangKind = 3;
    s.CMJMainGame2::OnBtnHu();
    const auto hu = server.AwaitRequests(RequestId::Hu, 2);
    ASSERT_EQ(hu.size(), 2u);
    EXPECT_EQ(hu[0], Hex(48, {{16, 1}, {20, 21}, {24, 1}}));
    EXPECT_EQ(hu[1], Hex(48, {{16, 1}, {20, 21}, {24, 4}}));

    // The watched player's answer to an ask to see the hand.
    s.ReplyKanPai(2002, 1);
    EXPECT_EQ(SentAs(RequestId::Request229560), Hex(40, {{16, 2002}, {20, 1}}));
}

TEST_F(TableActions, ChiChoiceSendsTheLiftedTilesAndARefusalLeavesTheTable)
{
    ASSERT_TRUE(opened);
    s.realActions = true;
    s.ReturnToPool(s.TakeTileFromHand(kOwnSeat, 27));
    s.playBlock[CMJMainGame2::kMustThrow] = 0;
    // Chair 1 (seat 0, the seat before the own in turn) throws 21; the own chair may chi.
    s.OnNotifyCardThrown(Rec(88, {{4, 1}, {24, 4}, {84, 21}}).data(), 88);
    ASSERT_EQ(s.options[kOptChi].enabled, 1);
    s.CMJMainGame2::OnBtnChi();
    EXPECT_EQ(s.GetHandMode(), kHandChiChoice);
    const auto hands = s.hands;
    for (int tile : {1, 2}) // the 2 and 3 of characters lifted
        s.hands[kOwnSeat][size_t(s.FindTileSlot(kOwnSeat, tile))]->lifted = 1;
    TileArray lifted;
    ASSERT_EQ(s.GetSelectedCard(lifted), 2);
    s.CMJMainGame2::DoChi(); // this table refuses chi (229104)
    const std::string chi = Hex(64, {{16, 1}, {20, 21}, {24, lifted[0]}, {28, lifted[1]}, {32, -1}, {36, 3}});
    EXPECT_EQ(SentAs(RequestId::AnnounceChi), chi);
    EXPECT_EQ(SentAs(RequestId::ChiCards), chi);
    EXPECT_EQ(s.GetHandMode(), kHandNormal);
    EXPECT_EQ(s.hands, hands);
    EXPECT_EQ(rig.Misfiled(), 0);
}

TEST_F(TableActions, ConcealedGangPlacesItsReplacementOnceAndSelfDrawnHu)
{
    ASSERT_TRUE(opened);
    // Four 1s, 2s and 3s of characters: more than one candidate opens the gang choice.
    s.OnBtnGang();
    EXPECT_EQ(s.GetHandMode(), kHandGangChoice);
    Fault(RequestId::AnnounceGang, R"("reply_hex":")" + Words({1, 0, 229217, 0, 0, 0, 0, 0, 0, 0, 0, 0}) + "\"");
    Fault(RequestId::ConcealedGangCards, R"("reply_hex":")" + Words({0, 77, 107, 0, 50, 0, 0, 0}) + "\"");
    s.DoAnGang(0);
    EXPECT_EQ(s.GetHandMode(), kHandNormal);
    EXPECT_EQ(SentAs(RequestId::AnnounceGang), Hex(64, {{16, 0}, {20, 0}, {24, 9}, {28, 18}, {32, 27}, {36, 1}}));
    EXPECT_EQ(SentAs(RequestId::ConcealedGangCards), Hex(64, {{16, 0}, {20, 0}, {24, 9}, {28, 18}, {32, 27}, {36, 1}}));
    // The gang's notification lays it; the replacement of the reply comes round once.
    s.OnNotifyGangCards(229197, Rec(48, {{12, 0}, {16, 0}, {20, 0}, {24, 9}, {28, 18}, {32, 27}, {36, 1}, {40, 77}, {44, 107}}).data(), 48);
    rig.engine.Run(100);
    int replacements = 0;
    for (CMJCard2* t : s.hands[kOwnSeat])
        replacements += t && t->tile == 77;
    EXPECT_EQ(replacements, 1);
    EXPECT_EQ(rig.Misfiled(), 0);

    // Self-drawn: the drawn tile, from the own chair, kind 2.
    const int drawn = s.hands[kOwnSeat][kDrawnSlot] ? s.hands[kOwnSeat][kDrawnSlot]->tile : -1;
    ASSERT_GE(drawn, 0);
    s.CMJMainGame2::OnBtnHu();
    EXPECT_EQ(SentAs(RequestId::Hu), Hex(48, {{16, 0}, {20, drawn}, {24, 2}}));
}

TEST_F(TableActions, AConcealedGangsReplacementComingRoundBeforeItsNotificationIsPlacedOnce)
{
    ASSERT_TRUE(opened);
    s.OnBtnGang();
    Fault(RequestId::AnnounceGang, R"("reply_hex":")" + Words({1, 0, 229217, 0, 0, 0, 0, 0, 0, 0, 0, 0}) + "\"");
    Fault(RequestId::ConcealedGangCards, R"("reply_hex":")" + Words({0, 77, 107, 0, 50, 0, 0, 0}) + "\"");
    s.DoAnGang(0);
    // The full hand has no room for it until the notification lays the gang.
    rig.engine.Run(100);
    s.OnNotifyGangCards(
        229197, Rec(48, {{12, 0}, {16, 0}, {20, 0}, {24, 9}, {28, 18}, {32, 27}, {36, 1}, {40, 77}, {44, 107}}).data(),
        48);
    rig.engine.Run(100);
    ASSERT_NE(s.hands[kOwnSeat][kDrawnSlot], nullptr);
    EXPECT_EQ(s.hands[kOwnSeat][kDrawnSlot]->tile, 77);
    EXPECT_EQ(s.ClickCodeFor(*s.hands[kOwnSeat][kDrawnSlot]), uint32_t(EV_TILE_THROW_CLICK));
    EXPECT_EQ(Concealed(), 11);
    EXPECT_EQ(rig.Misfiled(), 0);
}

TEST_F(TableActions, DrawOnTheClocksEndAndAClaimButtonDuringAutoPlay)
{
    ASSERT_TRUE(opened);
    s.ReturnToPool(s.hands[kOwnSeat][kDrawnSlot]);
    s.playBlock[CMJMainGame2::kMustThrow] = 0;
    Fault(RequestId::CatchCard, R"("reply_hex":")" + Words({0, 44, 60, 0, 40, 0, 0, 0}) + "\"");
    s.OnClockExpired();
    EXPECT_EQ(SentAs(RequestId::CatchCard), Hex(96, {}));
    ASSERT_NE(s.hands[kOwnSeat][kDrawnSlot], nullptr);
    EXPECT_EQ(s.hands[kOwnSeat][kDrawnSlot]->tile, 44);
    EXPECT_EQ(s.playBlock[CMJMainGame2::kMustThrow], 1);
    // The push of the same draw finds it placed.
    s.OnNotifyCardCaught(Rec(16, {{0, 0}, {4, 44}, {8, 60}}).data(), 16);
    EXPECT_EQ(Concealed(), 14);

    // Auto-play at the clock's end throws the drawn tile.
    s.autoPlay = 1;
    s.OnNotify229165(nullptr, 0);
    EXPECT_EQ(SentAs(RequestId::ThrowCards), Hex(108, {{100, 1}, {104, 44}}));
    // A claim button during auto-play ends it first; turning it on again waits 10 s.
    s.OnEvent(EventRecord{s.GetId(), EV_BTN_PASS, 0, 0});
    EXPECT_EQ(s.autoPlay, 0);
    s.OnBtnAutoPlay();
    EXPECT_EQ(s.autoPlay, 0);
    EXPECT_EQ(rig.app.notices.back().rfind("您还需要", 0), 0u);
    EXPECT_EQ(rig.Misfiled(), 0);
}

} // namespace

TEST_F(TableActions, TheHandSentAgainWhenNotDueToThrowLeavesTheDrawnSlotForTheNextDraw)
{
    ASSERT_TRUE(opened);
    ASSERT_NE(s.hands[kOwnSeat][kDrawnSlot], nullptr);
    // 13 tiles (after a robbed gang, say) while the drawn slot still holds a tile.
    auto hand = Rec(12 + 13 * 4, {{4, 0}, {8, 13}});
    const int32_t tiles[13] = {0, 9, 18, 27, 1, 10, 19, 28, 2, 11, 20, 29, 3};
    std::memcpy(hand.data() + 12, tiles, sizeof tiles);
    s.OnNotifyOwnHand(hand.data(), hand.size());
    EXPECT_EQ(s.hands[kOwnSeat][kDrawnSlot], nullptr);
    EXPECT_EQ(Concealed(), 13);
    // The next draw is placed, not taken for one placed already.
    s.OnNotifyCardCaught(Rec(16, {{0, 0}, {4, 40}, {8, 60}}).data(), 16);
    ASSERT_NE(s.hands[kOwnSeat][kDrawnSlot], nullptr);
    EXPECT_EQ(s.hands[kOwnSeat][kDrawnSlot]->tile, 40);
    EXPECT_EQ(s.playBlock[CMJMainGame2::kMustThrow], 1);
    EXPECT_EQ(rig.Misfiled(), 0);
}

// A throw refused as the hand ended is answered by the hand sent again after the result: the
// result's rows stay as they are.
TEST_F(TableActions, TheHandSentAgainAfterTheResultLeavesTheResultRows)
{
    ASSERT_TRUE(opened);
    std::vector<uint8_t> result(560);
    s.OnNotifyGameResult(result.data(), result.size());
    auto shown = [&] {
        std::vector<int> tiles;
        for (const CMJCard2* t : s.hands[kOwnSeat])
            if (t && t->placed)
                tiles.push_back(t->tile);
        return tiles;
    };
    const std::vector<int> rows = shown();
    ASSERT_FALSE(rows.empty());
    auto hand = Rec(12 + 7 * 4, {{4, 0}, {8, 7}});
    const int32_t tiles[7] = {1, 37, 38, 39, 41, 42, 43};
    std::memcpy(hand.data() + 12, tiles, sizeof tiles);
    s.OnNotifyOwnHand(hand.data(), hand.size());
    EXPECT_EQ(shown(), rows);
}

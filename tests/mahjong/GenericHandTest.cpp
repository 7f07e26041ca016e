// A whole generic hand against the game-server stand-in's scenario (scenarios/generic_hand.json):
// the own chair throws, pengs a discard, throws again, gangs a discard, gangs concealed, adds to
// its peng and wins on the replacement. The player's clicks are injected as engine events, the
// stand-in checks every request against the script byte for byte and answers, and its pushes
// come over the wire into the mahjong dispatcher in order. After every push the table holds what
// the script expects and no tile is misfiled.
#include "tests/mahjong/DealtTable.h"

#include "support/FakeClientApp.h"
#include "support/GameServerStandIn.h"
#include "tests/net/OwnerThread.h"

#include "framework/connection/RequestIds.h"
#include "mahjong/MahjongEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using namespace Lumora;
using mahjongtest::SceneRig;
using mahjongtest::TableNotify;
using mahjongtest::TestScene;

// The little-endian words of a request's hex.
std::vector<int32_t> StandInWords(const std::string& hex)
{
    const auto bytes = standin::GameServer::FromHex(hex);
    std::vector<int32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

// What the own seat holds after a push: concealed tiles, meld tiles, and tiles in the middle.
struct Expect {
    uint32_t id;
    int concealed;
    int melded;
    int thrownTiles;
};

class GenericHand : public ::testing::Test {
protected:
    GenericHand()
        : server({"--scenario", std::string(XL_SOURCE_DIR) + "/tests/mahjong/scenarios/generic_hand.json"}),
          rig("generic_hand"), s(*rig.scene)
    {
        rig.app.roomId = 1;
        rig.app.tableNo = 1;
        // The banker's hand: three 1s, 2s and 3s of characters, two 4s, 5 to 6 and the drawn 40.
        rig.data.own = {0, 9, 18, 1, 10, 19, 2, 11, 3, 12, 4, 13, 5, 40};
        connect.SetApp(&client);
        connect.SetupEncryption();
        connect.SetNotifyThreadId(owner.Id());
        int proxyFailed = 0;
        std::string text;
        opened = connect.OpenGameChannel("Game", "127.0.0.1", server.Port(), &proxyFailed) && connect.EnterGame(text);
        s.connect = &connect;
        s.realActions = true;
        s.OnTableEntered();
        s.OnGameReady();
        s.OnGameStartData(nullptr, 0);
        rig.engine.Run(4000);
        s.chairCount = s.playerCount = 4;
        notify.scene = &s;
        // The banker's turn once the deal is done.
        s.playState = kPlayStateTurn;
        s.playBlock[CMJMainGame2::kMustThrow] = 1;
        s.playBlock[CMJMainGame2::kArrowPos] = kOwnSeat * 2;
    }
    ~GenericHand() override { connect.CloseAll(); }

    // Takes the pushes that came, in order, into the dispatcher, checking the table after each.
    void TakePushes(std::initializer_list<Expect> expected)
    {
        for (const Expect& e : expected) {
            ASSERT_TRUE(owner.WaitUntil([&](const auto& got) { return Pushes(got) > taken; })) << "push " << e.id;
            const auto got = owner.Taken();
            size_t n = 0;
            for (const auto& d : got) {
                if (d.id < 1000 || n++ != taken)
                    continue;
                ASSERT_EQ(d.id, e.id);
                notify.OnNotify(d.id, d.data.empty() ? nullptr : d.data.data(), uint32_t(d.data.size()));
                break;
            }
            ++taken;
            rig.engine.Run(20);
            TileArray hand;
            EXPECT_EQ(s.FindHandCard(kOwnSeat, hand), e.concealed) << "after " << e.id;
            EXPECT_EQ(Melded(), e.melded) << "after " << e.id;
            int middle = 0;
            for (CMJCard2* t : s.thrown)
                middle += t != nullptr;
            EXPECT_EQ(middle, e.thrownTiles) << "after " << e.id;
            EXPECT_EQ(rig.Misfiled(), 0) << "after " << e.id;
        }
    }
    static size_t Pushes(const std::vector<nettest::Delivered>& got)
    {
        size_t n = 0;
        for (const auto& d : got)
            n += d.id >= 1000;
        return n;
    }
    int Melded()
    {
        int n = 0;
        for (CMJCard2* t : s.hands[kOwnSeat])
            n += t && t->placed && t->meldKind != kMeldNone;
        return n;
    }
    void Click(uint32_t code) { s.OnEvent(EventRecord{s.GetId(), code, 0, 0}); }
    void ClickTile(int tile)
    {
        const int slot = s.FindTileSlot(kOwnSeat, tile);
        ASSERT_GE(slot, 0) << tile;
        s.OnEvent(EventRecord{s.GetId(), EV_TILE_THROW_CLICK, reinterpret_cast<uintptr_t>(s.hands[kOwnSeat][size_t(slot)]), 0});
    }

    standin::GameServer server;
    nettest::OwnerThread owner;
    FakeClientApp client;
    CMJGameConnect2 connect;
    bool opened = false;
    SceneRig rig;
    TestScene& s;
    TableNotify notify;
    size_t taken = 0;
};

TEST_F(GenericHand, AScriptedHandRunsAgainstTheStandIn)
{
    ASSERT_TRUE(opened);
    ClickTile(40);
    TakePushes({{222170, 13, 0, 1}, {229160, 13, 0, 0}, {222170, 13, 0, 1}});
    Click(EV_BTN_PENG);
    TakePushes({{229170, 13, 0, 1}, {229185, 11, 3, 0}});
    ClickTile(13);
    TakePushes({{222170, 10, 3, 1}, {229160, 10, 3, 0}, {222170, 10, 3, 1}});
    Click(EV_BTN_GANG);
    rig.engine.Run(20); // the replacement from the reply comes round
    TakePushes({{229180, 11, 3, 1}, {229195, 8, 7, 0}});
    Click(EV_BTN_GANG); // one candidate: the four 1s, concealed
    rig.engine.Run(20);
    TakePushes({{229180, 9, 7, 0}, {229197, 5, 11, 0}});
    Click(EV_BTN_GANG); // the 4 drawn on the peng of 4s
    rig.engine.Run(20);
    TakePushes({{229180, 6, 11, 0}, {229199, 5, 12, 0}});
    EXPECT_TRUE(s.buttons[CMJMainGame2::kBtnHu] != nullptr);
    Click(EV_BTN_HU);
    TakePushes({{211300, 5, 12, 0}});
    EXPECT_NE(s.waitAnimation, nullptr);

    // Every request in the script's order, each as the script has it.
    EXPECT_EQ(server.Errors(), "[]");
    const uint32_t order[] = {222080, 229010, 229214, 222080, 229015, 229215, 229015, 229217, 229015, 229216, 229080};
    size_t at = 0;
    const std::string log = server.Command(R"({"op":"state"})");
    for (size_t p = 0; (p = log.find("\"id\": ", p)) != std::string::npos; p += 6) {
        const uint32_t id = uint32_t(std::stoul(log.substr(p + 6)));
        if (id == RequestId::EnterGame)
            continue;
        ASSERT_LT(at, std::size(order));
        EXPECT_EQ(id, order[at++]);
    }
    EXPECT_EQ(at, std::size(order));
    // The gangs named the own tiles of their face.
    const auto concealed = StandInWords(server.Requests(RequestId::ConcealedGangCards).at(0));
    EXPECT_EQ(concealed[5], 27);
    std::vector<int32_t> own{concealed[6], concealed[7], concealed[8]};
    std::sort(own.begin(), own.end());
    EXPECT_EQ(own, (std::vector<int32_t>{0, 9, 18}));
}

} // namespace

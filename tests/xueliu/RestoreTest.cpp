// The table rebuilt from a crafted entry block in a headless engine: a hand of four melds (a
// peng, a gang on a discard, an added and a concealed gang) with one or two concealed tiles (a
// drawn tile kept in its place, the locked hand's one to throw however sorted), a full discard
// area, a thrown tile still in the middle, the wall still standing, missing suits, wins and the
// turn, every tile filed once; and blocks naming what the table cannot hold refused before
// anything changes. Back in the exchange or the missing-suit step, the step's board opens again.
// The hand's payments stay only when its own deal is taken up again.
#include "framework/connection/Record.h"
#include "tests/xueliu/SceneRig.h"
#include "xueliu/CGameNotifyEx.h"
#include "xueliu/CMyGame.h"
#include "xueliu/GameRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace Lumora;

namespace {

int T(int s, int r, int k = 0) { return s * 36 + k * 9 + (r - 1); }

class RestoreScene : public CMyGame {
public:
    using CMyGame::Slot;
};

// The own chair 0 holds four melds; chair 1 has thrown 36 tiles, chair 2 has a peng, chair 3 a
// concealed gang (hidden from this client).
struct Block {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(GameRecord::kBlockBSize, 0);
    void Put(size_t offset, int32_t v) { std::memcpy(bytes.data() + offset, &v, 4); }
    void Unit(size_t units, size_t counts, int chair, std::vector<int32_t> words)
    {
        const size_t table = GameRecord::kTableRecordOffset;
        RecordReader r(bytes.data(), bytes.size());
        const int n = r.I32(table + counts + size_t(chair) * 4);
        for (size_t i = 0; i < words.size(); ++i)
            Put(table + units + size_t(chair) * 168 + size_t(n) * 28 + i * 4, words[i]);
        Put(table + counts + size_t(chair) * 4, n + 1);
    }
    void Play(size_t word, int32_t v) { Put(GameRecord::kPlayStateOffset + word, v); }
};

// Sorted: 万 1 (three), 2, 3 and 4 (four each) by copy.
const std::vector<int> kOwnMelds = {T(0, 1, 0), T(0, 2, 0), T(0, 3, 0), T(0, 4, 0), T(0, 1, 1), T(0, 2, 1),
                                    T(0, 3, 1), T(0, 4, 1), T(0, 1, 2), T(0, 2, 2), T(0, 3, 2), T(0, 4, 2),
                                    T(0, 2, 3), T(0, 3, 3), T(0, 4, 3)};

const std::vector<int> kChair2Discards = {T(1, 9, 0), T(1, 9, 1), T(1, 9, 2), T(1, 9, 3), T(1, 8, 0)};

Block MakeBlock(const std::vector<int>& own, bool ownTurn, int chair1Count = 13)
{
    namespace PS = GameRecord::PlayState;
    Block b;
    const std::pair<size_t, int32_t> params[] = {{2, 4}, {4, 108}, {5, 13}, {6, 53}, {13, 0}, {14, 0x12C}, {28, 6}};
    for (auto [word, value] : params)
        b.Put(word * 4, value);
    for (size_t chair = 0; chair < 4; ++chair)
        for (size_t i = 0; i < GameRecord::kTileListLength; ++i)
            b.Put(GameRecord::kTileListsOffset + (chair * GameRecord::kTileListLength + i) * 4,
                  chair == 0 && i < own.size() ? own[i] : -1);
    const int counts[4] = {int(own.size()), chair1Count, 10, 10};
    for (size_t chair = 0; chair < 4; ++chair)
        b.Put(GameRecord::kTileCountsOffset + chair * 4, counts[chair]);
    // Units: peng 0x000/0x2A0, gang on a discard 0x560/0x800, concealed 0x810/0xAB0, added 0xAC0/0xD60.
    b.Unit(0x000, 0x2A0, 0, {T(0, 1, 0), T(0, 1, 1), T(0, 1, 2), -1, 1});
    b.Unit(0x560, 0x800, 0, {T(0, 2, 0), T(0, 2, 1), T(0, 2, 2), T(0, 2, 3), 2});
    b.Unit(0x810, 0xAB0, 0, {T(0, 3, 0), T(0, 3, 1), T(0, 3, 2), T(0, 3, 3), 0});
    b.Unit(0xAC0, 0xD60, 0, {T(0, 4, 0), T(0, 4, 1), T(0, 4, 2), T(0, 4, 3), 0});
    b.Unit(0x000, 0x2A0, 2, {T(1, 6, 0), T(1, 6, 1), T(1, 6, 2), -1, 1});
    b.Unit(0x810, 0xAB0, 3, {200, 200, 200, 200, 3});
    const size_t table = GameRecord::kTableRecordOffset;
    for (int i = 0; i < 36; ++i)
        b.Put(table + 0xD70 + 144 + size_t(i) * 4, T(2, 1) + i); // chair 1: every 筒
    b.Put(table + 0xFB0 + 4, 36);
    for (size_t i = 0; i < kChair2Discards.size(); ++i)
        b.Put(table + 0xD70 + 2 * 144 + i * 4, kChair2Discards[i]);
    b.Put(table + 0xFB0 + 8, 5);
    for (size_t chair = 0; chair < 4; ++chair)
        b.Put(table + 0xFC0 + chair * 144, -1);
    b.Play(PS::kTurn, ownTurn ? 0 : 3);
    b.Play(PS::kMustThrow, ownTurn ? 1 : 0);
    b.Play(PS::kLastThrower, ownTurn ? 2 : 3);
    b.Play(PS::kMiddleTile, ownTurn ? -1 : T(1, 8, 1));
    b.Play(PS::kTilesLeft, 4);
    b.Play(PS::kNextDraw, 100);
    b.Play(PS::kNextReplacement, 103);
    const int wins[4] = {1, 0, 2, 0}, missing[4] = {2, 0, 1, 2};
    for (size_t c = 0; c < 4; ++c) {
        b.Play(PS::kWinCounts + c * 4, wins[c]);
        b.Play(PS::kMissingSuits + c * 4, missing[c]);
    }
    b.Play(PS::kPhase, PS::kPlay);
    return b;
}

class RestoreTest : public ::testing::Test {
protected:
    void SetUp() override { scene_->chairCount = scene_->playerCount = 4; }
    // As the application does on entering: the deal-start part first, then the scene.
    void Enter(const Block& b, bool sameDeal = false)
    {
        app_->GetMahjongGameInfo()->StoreGameStart(b.bytes.data(), GameRecord::kDealStartSize);
        scene_->RestoreRunningHand(b.bytes, sameDeal);
        engine_->Run(1000); // past anything the restore posts

    }
    struct SeatView {
        std::vector<int> concealed, melds, discards;
        int middle = -1;
    };
    SeatView View(int chair)
    {
        const int seat = scene_->ChairToSeat(chair);
        SeatView v;
        for (int slot = 0; slot < scene_->GetMaxHandSlots(); ++slot)
            if (CMJCard2* t = scene_->Slot(seat, slot); t && t->placed)
                (t->meldKind == kMeldNone ? v.concealed : v.melds).push_back(t->tile);
        for (CMJCard2* t : scene_->discards[size_t(seat)])
            if (t)
                v.discards.push_back(t->tile);
        if (CMJCard2* t = scene_->thrown[size_t(seat)])
            v.middle = t->tile;
        std::sort(v.concealed.begin(), v.concealed.end());
        std::sort(v.melds.begin(), v.melds.end());
        return v;
    }

    SceneRig<RestoreScene> rig_{"restore"};
    std::unique_ptr<CGameApp>& app_ = rig_.app;
    std::unique_ptr<mahjongtest::TileEngine>& engine_ = rig_.engine;
    RestoreScene*& scene_ = rig_.scene;
};

TEST_F(RestoreTest, FourMeldsAFullDiscardAreaAndTheTileInTheMiddleComeBackAsTheBlockHoldsThem)
{
    struct Case {
        std::vector<int> own;
        bool ownTurn; // else chair 3's tile waits for claims in the middle
        int chair1Count; // chair 1 has no meld: any count shows as it is
    } cases[] = {{{T(1, 1), T(1, 2)}, true, 13}, {{T(1, 1)}, false, 7}}; // a drawn tile first, below the hand's order
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ownTurn ? "the own turn" : "a claim window");
        Enter(MakeBlock(c.own, c.ownTurn, c.chair1Count));
        EXPECT_EQ(scene_->Phase(), CMyGame::kPhasePlay);
        const SeatView own = View(0);
        std::vector<int> sorted = c.own;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(own.concealed, sorted);
        if (c.ownTurn) {
            ASSERT_NE(scene_->Slot(kOwnSeat, kDrawnSlot), nullptr);
            EXPECT_EQ(scene_->Slot(kOwnSeat, kDrawnSlot)->tile, c.own[0]) << "the drawn tile stays in its place";
            // Sorted into the hand, it is still the one tile the locked hand may throw.
            scene_->OnBtnSortHand();
            engine_->Run(1000);
            for (const int slot : {0, 1})
                EXPECT_EQ(scene_->Slot(kOwnSeat, slot)->dimmed6, int(scene_->Slot(kOwnSeat, slot)->tile != c.own[0]))
                    << "slot " << slot;
        }
        EXPECT_EQ(own.melds, kOwnMelds);
        EXPECT_EQ(View(1).concealed.size(), size_t(c.chair1Count));
        EXPECT_EQ(View(1).discards.size(), 36u);
        EXPECT_EQ(View(1).discards.front(), T(2, 1));
        EXPECT_EQ(View(1).discards.back(), T(2, 9, 3));
        EXPECT_EQ(View(2).discards, kChair2Discards);
        EXPECT_EQ(View(2).concealed.size(), 10u);
        EXPECT_EQ(View(2).melds, (std::vector<int>{T(1, 6, 0), T(1, 6, 1), T(1, 6, 2)}));
        EXPECT_EQ(View(3).concealed.size(), 10u);
        EXPECT_EQ(View(3).melds, std::vector<int>(4, kNoTile));
        EXPECT_EQ(View(3).middle, c.ownTurn ? -1 : T(1, 8, 1));
        EXPECT_EQ(std::count_if(scene_->wall.begin(), scene_->wall.end(), [](CMJCard2* t) { return t; }), 4);
        EXPECT_EQ(scene_->CountMisfiledTiles(), 0);
        const int missing[4] = {2, 0, 1, 2};
        for (int chair = 0; chair < 4; ++chair)
            EXPECT_EQ(scene_->MissingSuit(chair), missing[chair]);
        EXPECT_EQ(scene_->WinCount(2), 2);
        EXPECT_TRUE(scene_->HandLocked()) << "the own chair has won: its hand is locked";
        EXPECT_EQ(scene_->IsWaitingThrow(), c.ownTurn ? 1 : 0);
    }
}

TEST_F(RestoreTest, BackInTheExchangeOrAMissingSuitStillToChooseItsBoardOpensAgain)
{
    namespace PS = GameRecord::PlayState;
    struct Case {
        int phase, ownMissing, board;
    } cases[] = {{PS::kExchange, -1, CMyGame::kBoardExchange},
                 {PS::kMissingSuit, -1, CMyGame::kBoardMissing},
                 {PS::kMissingSuit, 1, 0},
                 {PS::kPlay, 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        Block b = MakeBlock({T(1, 1), T(1, 2)}, true);
        b.Play(PS::kPhase, c.phase);
        b.Play(PS::kMissingSuits, c.ownMissing);
        Enter(b);
        EXPECT_EQ(scene_->OpenBoardKind(), c.board);
    }
}

// The result board shows the gangs and wins a hand paid before it was taken up again; another
// deal's are not its own.
TEST_F(RestoreTest, TheHandsPaymentsStayOnlyWhenItsOwnDealIsTakenUpAgain)
{
    const int32_t gang[12] = {6, 0, 3, -1, -1, -1}; // 下雨 for chair 0
    for (bool sameDeal : {true, false}) {
        SCOPED_TRACE(sameDeal);
        scene_->OnGameStep(CGameNotifyEx::kScoreChange, reinterpret_cast<const uint8_t*>(gang), sizeof gang);
        Enter(MakeBlock({T(1, 1)}, false), sameDeal);
        EXPECT_EQ(scene_->HandRecords().changes.size(), sameDeal ? 1u : 0u);
        EXPECT_EQ(scene_->Amount(0), sameDeal ? 3 : 0);
    }
}

TEST_F(RestoreTest, ABlockNamingWhatTheTableCannotHoldChangesNothing)
{
    namespace PS = GameRecord::PlayState;
    const size_t play = GameRecord::kPlayStateOffset;
    const std::pair<size_t, int32_t> faults[] = {
        {play + PS::kPhase, PS::kIdle},           {play + PS::kPhase, PS::kEnded},
        {play + PS::kTurn, 4},                    {play + PS::kMiddleTile, 108},
        {play + PS::kNextDraw, 105},              {play + PS::kNextReplacement, 108},
        {play + PS::kMissingSuits + 4, 3},        {play + PS::kWinCounts, -1},
        {GameRecord::kTileCountsOffset + 4, 15},  {GameRecord::kTileCountsOffset, -2},
    };
    for (auto [offset, value] : faults) {
        SCOPED_TRACE(offset);
        Block b = MakeBlock({T(1, 1)}, false);
        b.Put(offset, value);
        EXPECT_FALSE(CMyGame::BlockBHoldsARunningHand(b.bytes));
        Enter(b);
        EXPECT_EQ(scene_->Phase(), CMyGame::kPhaseIdle);
        EXPECT_TRUE(View(0).concealed.empty());
        EXPECT_EQ(scene_->CountMisfiledTiles(), 0);
    }
    EXPECT_FALSE(CMyGame::BlockBHoldsARunningHand(std::vector<uint8_t>(100, 0)));
}

} // namespace

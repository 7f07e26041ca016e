// The table model without an engine: claim geometry for every pair of seats, meld groups,
// tile arithmetic and voices, hand writes and takes, the drawn tile's merge, drops and moves,
// choice marking, restores from hostile table records, full discard areas, pool exhaustion and
// a random sequence of table operations after which every tile is filed exactly once.
#include "tests/mahjong/TableModelRig.h"

#include "mahjong/MahjongEvents.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace Lumora;
using mahjongtest::TestTable;

namespace {

// Chair of a seat when the own chair is 0.
int ChairOf(int seat)
{
    static constexpr int kChair[4] = {1, 2, 3, 0};
    return kChair[seat];
}

MeldRecord Claim(int discarderSeat, int claimed, int a, int b, int c = -1)
{
    MeldRecord r;
    r.w[4] = ChairOf(discarderSeat);
    r.w[5] = claimed;
    r.w[6] = a;
    r.w[7] = b;
    r.w[8] = c;
    return r;
}

} // namespace

TEST(TableModel, APengTakesTheClaimedTileToItsPlaceForEveryPairOfSeats)
{
    for (int s = 0; s < 4; ++s)
        for (int d = 0; d < 4; ++d) {
            if (d == s)
                continue;
            TestTable table;
            table.GiveHand(s, {0, 9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99, 1});
            CMJCard2* claimed = table.Throw(d, 2);
            table.AddMeld(s, kMeldPeng, Claim(d, 2, 1, 0), 0);
            const int r = ((d - s) % 4 + 4) % 4;
            SCOPED_TRACE("seat " + std::to_string(s) + " from " + std::to_string(d));
            EXPECT_EQ(claimed->index, r - 1);
            EXPECT_EQ(claimed->claimPos, r - 1);
            EXPECT_EQ(claimed->facing, d);
            EXPECT_EQ(table.hands[size_t(s)][size_t(17 - (r - 1))], claimed);
            for (int i = 0; i < 3; ++i) {
                CMJCard2* t = table.hands[size_t(s)][size_t(17 - i)];
                ASSERT_NE(t, nullptr);
                EXPECT_EQ(t->index, i);
                EXPECT_EQ(t->meldKind, kMeldPeng);
                EXPECT_EQ(t->inHand, 0);
                if (t != claimed) {
                    EXPECT_EQ(t->facing, (s + 2) % 4);
                }
            }
            EXPECT_EQ(table.thrown[size_t(d)], nullptr);
            // Eleven concealed tiles remain, one of them ready to throw in the drawn slot.
            EXPECT_NE(table.hands[size_t(s)][0], nullptr);
            EXPECT_EQ(table.CountMisfiledTiles(), 0);
        }
}

TEST(TableModel, MeldsFillGroupsOfFourFromTheTopSlot)
{
    TestTable table;
    table.GiveHand(0, {0, 9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99, 1});
    table.Throw(1, 2);
    table.AddMeld(0, kMeldPeng, Claim(1, 2, 3, 4), 0);
    table.Throw(2, 5);
    table.AddMingGang(0, Claim(2, 5, 6, 7, 8), 0);
    for (int slot : {17, 16, 15})
        EXPECT_EQ(table.hands[0][size_t(slot)]->count, 0);
    EXPECT_EQ(table.hands[0][14], nullptr);
    for (int slot : {13, 12, 11, 10}) {
        ASSERT_NE(table.hands[0][size_t(slot)], nullptr);
        EXPECT_EQ(table.hands[0][size_t(slot)]->count, 1);
        EXPECT_EQ(table.hands[0][size_t(slot)]->meldKind, kMeldGang);
    }
    EXPECT_EQ(table.hands[0][10]->index, 3);
    EXPECT_EQ(table.CountMisfiledTiles(), 0);
}

TEST(TableModel, AddedAndConcealedGangsCompleteTheirGroups)
{
    TestTable table;
    // Ids 0, 9, 18 and 27 are the four copies of one card.
    table.GiveHand(3, {0, 9, 18, 37, 46, 55, 64, 73, 82, 91, 100, 101}, 102);
    table.Throw(0, 27);
    table.AddMeld(3, kMeldPeng, Claim(0, 27, 0, 9), 0);
    ASSERT_EQ(table.hands[3][17]->meldKind, kMeldPeng);
    // Adding the fourth tile of the peng's card from the hand.
    table.AddBuGang(3, Claim(0, 18, -1, -1), 0);
    EXPECT_EQ(table.hands[3][14]->tile, 18);
    EXPECT_EQ(table.hands[3][14]->index, 3);
    for (int slot : {17, 16, 15, 14})
        EXPECT_EQ(table.hands[3][size_t(slot)]->meldKind, kMeldGang);
    // A concealed gang of another seat: three face down from the top, the fourth from the drawn slot.
    table.GiveHand(1, {1, 10, 19, 28, 37, 46, 55, 64, 73, 82}, 99);
    table.AddAnGang(1, Claim(1, 28, 1, 10, 19), 0);
    EXPECT_EQ(table.hands[1][17]->faceUp, 0);
    EXPECT_EQ(table.hands[1][14]->tile, 28);
    EXPECT_EQ(table.hands[1][0], nullptr);
    EXPECT_EQ(table.CountMisfiledTiles(), 0);
}

TEST(TableModel, AnAddedGangsReplacementPlacedBeforeItsNotificationStaysTheTileToThrow)
{
    // The gang's reply may place the replacement (107) before the gang's notification comes: it
    // must stay in the drawn slot, clicked to throw.
    TestTable table;
    table.playState = kPlayStateTurn;
    table.GiveHand(kOwnSeat, {0, 9, 37, 46, 55, 64, 73, 82, 91, 100, 101, 102, 103});
    table.Throw(0, 27);
    table.AddMeld(kOwnSeat, kMeldPeng, Claim(0, 27, 0, 9), 0);
    table.hands[kOwnSeat][kDrawnSlot]->tile = 18; // the peng's fourth, drawn
    CMJCard2* replacement = table.CatchWallCard(kOwnSeat, 50, 107);
    MeldRecord gang = Claim(0, 18, -1, -1);
    gang.w[10] = 107;
    table.AddBuGang(kOwnSeat, gang, 0);
    EXPECT_EQ(table.hands[kOwnSeat][kDrawnSlot], replacement);
    EXPECT_EQ(table.lastClickCode, uint32_t(EV_TILE_THROW_CLICK));
    EXPECT_EQ(table.CountMisfiledTiles(), 0);
}

TEST(TableModel, TileArithmeticAndActionNames)
{
    TestTable table;
    EXPECT_EQ(table.GetTileRank(140), 5);
    EXPECT_EQ(table.GetTileRank(151), 8);
    EXPECT_EQ(table.GetTileShape(152), -1);
    EXPECT_EQ(table.GetTileIndex(10), 2);
    std::string name = "kept";
    table.GetActionImageName(name, 14);
    EXPECT_EQ(name, "kept");
    const std::pair<int, const char*> names[] = {{0, "peng0"}, {4, "gang0"}, {7, "gang2"}, {11, "hu1"}, {13, "hua1"}};
    for (auto [code, text] : names) {
        table.GetActionImageName(name, code);
        EXPECT_EQ(name, text);
    }
}

TEST(TableModel, VoicesFollowTheSexWordAndKeepSilencePlaysNone)
{
    TestTable table;
    table.PlayTileVoice(0, 10);
    table.sex = 1;
    table.PlayActionVoice(0, "peng0");
    table.silence = true;
    table.PlayTileVoice(0, 10);
    table.PlayActionVoice(0, "hu0");
    table.PlayTableSound("SndThrow");
    EXPECT_EQ(table.sounds, (std::vector<std::string>{"male_2.wav", "female_peng0.wav"}));
}

TEST(TableModel, TakingATileTheSeatDoesNotHoldChangesNothing)
{
    TestTable table;
    table.GiveHand(3, {5, 6, 7});
    EXPECT_EQ(table.TakeTileFromHand(3, 8), nullptr);
    EXPECT_EQ(table.HandIds(3, 1, 3), (std::vector<int>{5, 6, 7}));
    CMJCard2* t = table.TakeTileFromHand(3, 6);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(table.HandIds(3, 1, 3), (std::vector<int>{5, 7, -1}));
    EXPECT_EQ(table.hands[3][2]->index, 2);
    table.ReturnToPool(t);
}

TEST(TableModel, WritingAHandHidesOneSlotAfterTheListAndFillsEmptySlots)
{
    TestTable table;
    table.GiveHand(2, {1, 2, 3, 4});
    TileArray list;
    table.ClearTileArray(list);
    list = {10, 11, 12, -1};
    std::fill(list.begin() + 4, list.end(), -1);
    table.WriteHandTiles(2, list);
    EXPECT_EQ(table.HandIds(2, 1, 4), (std::vector<int>{10, 11, 12, 4}));
    EXPECT_EQ(table.hands[2][4]->placed, 0);
    // An empty slot inside the concealed slots takes a pool tile rather than dropping the id.
    table.hands[2][2]->Reset();
    table.hands[2][2] = nullptr;
    const int freeBefore = table.FreeTiles();
    table.WriteHandTiles(2, list);
    EXPECT_EQ(table.HandIds(2, 1, 3), (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(table.FreeTiles(), freeBefore - 1);
}

TEST(TableModel, TheDrawnTileMergesKeepingCardIndexesFalling)
{
    TestTable table;
    table.GiveHand(3, {80, 60, 40, 20, 0}, 30);
    table.InsertCaughtCard(3);
    EXPECT_EQ(table.hands[3][0], nullptr);
    const std::vector<int> ids = table.HandIds(3, 1, 6);
    for (size_t i = 1; i < ids.size(); ++i)
        EXPECT_GE(table.GetTileIndex(ids[i - 1]), table.GetTileIndex(ids[i])) << i;
    for (int s = 1; s <= 6; ++s)
        EXPECT_EQ(table.hands[3][size_t(s)]->index, s);
}

TEST(TableModel, DropSlotsAndMovesOfTheOwnHand)
{
    // The rig puts slot k's tile at left 1000 - 50 k: slot 1 rightmost, as the bottom seat shows it.
    TestTable table;
    table.GiveHand(3, {1, 2, 3, 4, 5});
    struct Drop {
        int position, x, y, slot;
    };
    const Drop drops[] = {
        {1, 860, 5, 3},   // over slot 3's tile
        {1, 860, 90, 1},  // below the row: the dragged tile's own place
        {2, 700, 5, -1},  // left of the last tile: after the hand
        {4, 1010, 5, 1},  // right of the first tile: the first slot
    };
    for (const Drop& d : drops)
        EXPECT_EQ(table.GetDropSlot(d.position, d.x, d.y), d.slot) << d.x << "," << d.y;

    struct Move {
        int from, to;
        std::vector<int> ids;
    };
    const Move moves[] = {
        {1, 4, {2, 3, 1, 4, 5}},
        {4, 1, {4, 2, 3, 1, 5}},
        {2, -1, {4, 3, 1, 5, 2}},
        {7, 1, {4, 3, 1, 5, 2}},
    };
    for (const Move& m : moves) {
        table.MoveOwnHandTile(m.from, m.to);
        EXPECT_EQ(table.HandIds(3, 1, 5), m.ids) << m.from << "->" << m.to;
    }
    for (int s = 1; s <= 5; ++s)
        EXPECT_EQ(table.hands[3][size_t(s)]->index, s);
}

TEST(TableModel, GangChoiceEnablesTheFourthTileOfAPeng)
{
    // Ids 0, 9, 18 and 27 are the four copies of one card.
    TestTable table;
    table.GiveHand(3, {0, 9, 27, 40, 50, 60, 70, 80, 90, 100, 101, 102, 103});
    table.Throw(0, 18);
    table.AddMeld(3, kMeldPeng, Claim(0, 18, 0, 9), 0);
    table.MarkGangChoice();
    int enabled = 0;
    for (int s = 0; s < 14; ++s)
        if (CMJCard2* t = table.hands[3][size_t(s)]; t && t->placed && t->inHand) {
            EXPECT_EQ(t->dimmed6, t->tile == 27 ? 0 : 1) << t->tile;
            enabled += t->dimmed6 == 0;
        }
    EXPECT_EQ(enabled, 1);
    table.ClearChoiceMarks();
    EXPECT_EQ(table.HasGreyedTile(), 0);
}

TEST(TableModel, RestoringFromAHostileTableRecordStaysWithinEveryCapacity)
{
    TestTable table;
    table.tableRecord.assign(TableRecordReader::kSize, 0);
    auto put = [&](size_t offset, int32_t v) { std::memcpy(&table.tableRecord[offset], &v, 4); };
    for (int chair = 0; chair < 4; ++chair) {
        put(0x2A0 + size_t(chair) * 4, 1000);    // peng units: far above six
        put(0xFB0 + size_t(chair) * 4, 5000);    // discards: far above 36
        put(0x1200 + size_t(chair) * 4, -7);     // flowers: negative
        for (int i = 0; i < 36; ++i)
            put(0xD70 + size_t(chair) * 144 + size_t(i) * 4, i);
    }
    for (int seat = 0; seat < 4; ++seat)
        table.GiveHand(seat, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    table.RestoreMelds();
    table.RestoreDiscards();
    table.RestoreFlowerCounts();
    EXPECT_EQ(table.flowersAdded, 0);
    for (int seat = 0; seat < 4; ++seat) {
        // Four pengs of three tiles took twelve of the thirteen.
        EXPECT_EQ(table.hands[size_t(seat)][5]->meldKind, kMeldPeng);
        EXPECT_NE(table.hands[size_t(seat)][1], nullptr);
    }
    EXPECT_EQ(table.CountMisfiledTiles(), 0);
    // The pool ran out during the discards: the remaining slots stay empty, nothing is orphaned.
    EXPECT_EQ(table.FreeTiles(), 0);

    table.tableRecord.resize(100); // a short record restores nothing
    table.ResetCards();
    table.RestoreDiscards();
    EXPECT_EQ(table.FreeTiles(), kCardPoolSize);
}

TEST(TableModel, AFullDiscardAreaSendsAFurtherTileBackToThePool)
{
    TestTable table;
    for (int i = 0; i < 37; ++i) {
        table.Throw(2, i % 36);
        table.ParkThrownCard(2);
    }
    EXPECT_EQ(table.discards[2][35]->index, 35);
    EXPECT_EQ(table.thrown[2], nullptr);
    EXPECT_EQ(table.FreeTiles(), kCardPoolSize - 36);
    EXPECT_EQ(table.CountMisfiledTiles(), 0);
    EXPECT_EQ(table.logs.size(), 1u);
    CMJCard2* last = table.FindLastDiscard(2);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->index, 35);
    table.ReturnToPool(last);
}

TEST(TableModel, AnExhaustedPoolLeavesSlotsEmpty)
{
    TestTable table;
    while (CMJCard2* t = table.GetFreeCard())
        t->state = kTileWall;
    EXPECT_EQ(table.GetFreeCard(), nullptr);
    table.TakeCardFromPool();
    for (auto& hand : table.hands)
        for (CMJCard2* t : hand)
            EXPECT_EQ(t, nullptr);
    // Entries not made yet are skipped.
    table.pool[0] = nullptr;
    table.pool[1]->state = kTileFree;
    EXPECT_EQ(table.GetFreeCard(), table.pool[1]);
    table.pool[0] = table.tiles[0].get();
}

TEST(TableModel, TheDealPostsEachSeatHalfASecondApartFromTheBanker)
{
    TestTable table;
    table.data.params[11] = 2; // banker chair 2: seat 1
    table.data.own = {0, 9, 18, 27, 1, 10, 19, 28, 2, 11, 20, 29, 3};
    table.StartDeal();
    ASSERT_EQ(table.posted.size(), 5u);
    const int seats[4] = {1, 0, 3, 2};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(table.posted[size_t(i)].code, uint32_t(EV_DEAL_SEAT_SHOWN));
        EXPECT_EQ(table.posted[size_t(i)].delay, uint32_t(i) * 500);
        EXPECT_EQ(table.posted[size_t(i)].p1, uintptr_t(seats[i]));
    }
    EXPECT_EQ(table.posted[4].code, uint32_t(EV_PLAY_STARTS));
    EXPECT_EQ(table.posted[4].delay, 2000u);
    EXPECT_EQ(table.HandIds(3, 1, 3), (std::vector<int>{0, 9, 18}));
    EXPECT_EQ(table.FreeTiles(), kCardPoolSize - 52);
}

// Deal, draw, throw, park, peng, gangs and reset in a random order: after each step every tile
// is filed once or free.
TEST(TableModel, NoTileIsOrphanedOrFiledTwiceAfterARandomSequence)
{
    TestTable table;
    std::mt19937 rng(7);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    int nextId = 0;
    for (int step = 0; step < 3000; ++step) {
        const int seat = pick(4), op = pick(9);
        switch (op) {
        case 0:
            if (step % 200 == 0)
                table.StartDeal();
            break;
        case 1:
            table.CatchWallCard(seat, pick(kCardPoolSize), nextId++ % 108);
            break;
        case 2:
            if (CMJCard2* t = table.hands[size_t(seat)][0]; t && !table.thrown[size_t(seat)]) {
                table.hands[size_t(seat)][0] = nullptr;
                t->state = kTileThrown;
                table.thrown[size_t(seat)] = t;
            }
            break;
        case 3: table.ParkThrownCard(seat); break;
        case 4: table.AddMeld(seat, kMeldPeng, Claim((seat + 1 + pick(3)) % 4, pick(108), pick(108), pick(108)), 0); break;
        case 5: table.AddMingGang(seat, Claim((seat + 1 + pick(3)) % 4, pick(108), pick(108), pick(108), pick(108)), 0); break;
        case 6: table.AddAnGang(seat, Claim(seat, pick(108), pick(108), pick(108), pick(108)), pick(2)); break;
        case 7: table.InsertCaughtCard(seat); break;
        case 8:
            if (pick(50) == 0)
                table.ResetCards();
            else
                table.CloseHandGap(seat);
            break;
        }
        ASSERT_EQ(table.CountMisfiledTiles(), 0) << "step " << step << " op " << op;
    }
}

TEST(TableModel, OwnTilesClickByPlayStateAndHandMode)
{
    struct Case {
        int playState, handMode;
        bool drawn;
        uint32_t code;
    };
    const Case cases[] = {
        {0, kHandNormal, true, EV_TILE_IDLE_CLICK},        {kPlayStateTurn, kHandNormal, true, EV_TILE_THROW_CLICK},
        {kPlayStateTurn, kHandNormal, false, EV_TILE_IDLE_CLICK}, {kPlayStateTurn, kHandFlower, false, EV_TILE_FLOWER_MODE_CLICK},
        {kPlayStateTurn, kHandGangChoice, false, EV_TILE_GANG_CHOICE}, {kPlayStateTurn, kHandChiChoice, false, EV_TILE_CHI_CHOICE},
    };
    for (const Case& c : cases) {
        TestTable table;
        table.GiveHand(3, {1, 2}, c.drawn ? 3 : -1);
        table.playState = c.playState;
        table.handMode = c.handMode;
        table.RefreshOwnHand();
        EXPECT_EQ(table.lastClickCode, c.code) << c.playState << "/" << c.handMode;
    }
}

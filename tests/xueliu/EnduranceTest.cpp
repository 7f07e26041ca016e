// A long run of whole hands in-process against the stand-in's table (three robots, the own chair
// played by the server, --fast), the client going on after every result as a player would.
// After every hand the scene's table is the server's (each chair's missing suit and wins, the own
// final hand), the seat panels and the side panel's user list show each chair's silver and
// score as the server keeps them, no thrown tile is left in the middle, every tile object is filed once, and the
// notification gate was held no longer than the dice and the deal; no notification was refused
// and no box raised. During the hands the user list follows each payment as it is taken.
// Memory stays flat: the heap and the resident set after the 20th and the last hand are within a
// small margin of the first.
#include "tests/xueliu/TableRun.h"

#include "framework/app/HallState.h"
#include "framework/scene/GameWinApp.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "services/panel/CSubSystem.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CCyUserList.h"
#include "xueliu/CMyGame.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitized client is several times slower, and its allocator's quarantine (AddressSanitizer)
// or the shadow memory (ThreadSanitizer) grows the resident set with the run, so only the heap
// in use is compared.
constexpr int kHands = 30;
constexpr bool kResidentComparable = false;
#else
constexpr int kHands = 100;
constexpr bool kResidentComparable = true;
#endif

// The dice (1.4 s) and the deal hold the gate about 3.4 s; the scene's watchdog would open it
// after 10 s.
constexpr uint64_t kLongestGateHoldMs = 5000;
// Growth allowed from the first hand: caches that fill on first use (glyphs, pictures, the
// chat's lines up to their cap) must have settled by then.
constexpr uint64_t kHeapMarginBytes = 4u << 20;
constexpr uint64_t kResidentMarginBytes = 8u << 20;

} // namespace

TEST(Endurance, HandAfterHandTheClientsTableIsTheServersAndMemoryStaysFlat)
{
    tablerun::Options options;
    options.hands = kHands;
    options.seed = 11;
    // In play the user list follows each payment (刮风, 下雨, a win) as the players' records take it.
    int listedInPlay = 0, stale = 0;
    options.onStep = [&](CMyGame& scene) {
        auto* side = dynamic_cast<Lumora::CSubSystem*>(GetGameWinApp()->GetSubSystem());
        const Lumora::CCyUserList* list = side && side->GetUserList() ? side->GetUserList()->GetList() : nullptr;
        for (int row = 0; list && scene.Phase() == CMyGame::kPhasePlay && row < list->GetRowCount(); ++row)
            if (const int chair = list->GetRow(row)->record.Chair();
                list->GetRow(row)->HasUser() && chair >= 0 && chair < 4) {
                ++listedInPlay;
                stale += list->SilverAt(row) != GetGameWinApp()->GetHallState()->players[size_t(chair)].Silver();
            }
    };
    tablerun::TableRun run(options);
    std::vector<tablerun::Memory> memory; // after hand 1, 20 and the last
    const int measured[] = {1, 20, kHands};
    const int status = run.Run([&](const tablerun::HandEnd& end) {
        CMyGame& scene = end.scene;
        const std::string at = "hand " + std::to_string(end.hand);
        ASSERT_EQ(end.server.size(), 4u) << at;
        for (int chair = 0; chair < 4; ++chair) {
            const tablerun::ServerSeat& seat = end.server[size_t(chair)];
            EXPECT_EQ(scene.MissingSuit(chair), seat.missing) << at << ", missing suit of chair " << chair;
            EXPECT_EQ(scene.WinCount(chair), seat.wins) << at << ", wins of chair " << chair;
            const Lumora::CMJPlayer2* panel = scene.players[size_t(scene.ChairToSeat(chair))];
            ASSERT_TRUE(panel && panel->IsActive()) << at << ", seat panel of chair " << chair;
            const Lumora::PanelUser& shown = panel->GetUser();
            EXPECT_EQ(shown.amount, shown.silver ? seat.silver : seat.score) << at << ", panel of chair " << chair;
        }
        auto* side = dynamic_cast<Lumora::CSubSystem*>(GetGameWinApp()->GetSubSystem());
        const Lumora::CCyUserList* list = side && side->GetUserList() ? side->GetUserList()->GetList() : nullptr;
        ASSERT_NE(list, nullptr);
        int listed = 0;
        for (int row = 0; row < list->GetRowCount(); ++row) {
            const int chair = list->GetRow(row)->record.Chair();
            if (!list->GetRow(row)->HasUser() || chair < 0 || chair >= 4)
                continue;
            ++listed;
            EXPECT_EQ(list->SilverAt(row), end.server[size_t(chair)].silver) << at << ", listed silver of " << chair;
            EXPECT_EQ(list->ScoreAt(row), end.server[size_t(chair)].score) << at << ", listed score of " << chair;
        }
        EXPECT_EQ(listed, 4) << at;
        // The own final hand; a winner's result shows its last winning tile beside it.
        std::vector<int> own = scene.OwnHandTiles();
        if (const Lumora::CMJCard2* won = scene.hands[Lumora::kOwnSeat][Lumora::kDrawnSlot];
            scene.WinCount(0) > 0 && won && won->placed)
            if (auto it = std::find(own.begin(), own.end(), won->tile); it != own.end())
                own.erase(it);
        std::sort(own.begin(), own.end());
        EXPECT_EQ(own, end.server[0].hand) << at << ", own final hand";
        EXPECT_TRUE(std::all_of(scene.thrown.begin(), scene.thrown.end(), [](auto* t) { return !t; }))
            << at << ", a thrown tile was left in the middle";
        EXPECT_EQ(scene.CountMisfiledTiles(), 0) << at << ", tiles filed twice or nowhere";
        EXPECT_EQ(scene.OpenBoardKind(), CMyGame::kBoardResult) << at;
        EXPECT_LT(end.longestGateHoldMs, kLongestGateHoldMs) << at << ", the gate was held past the deal";
        if (std::find(std::begin(measured), std::end(measured), end.hand) != std::end(measured))
            memory.push_back(tablerun::MeasureMemory());
    });

    EXPECT_EQ(status, 0);
    ASSERT_EQ(run.HandsChecked(), kHands) << run.Failure();
    EXPECT_EQ(stale, 0) << "rows of the user list behind the records in play, of " << listedInPlay;
    for (const auto& box : run.Boxes())
        ADD_FAILURE() << "box: " << box;
    EXPECT_TRUE(run.Server().Requests(201162).empty()) << xltest::Refusals(run.Server(), run.ProgramFolder());
    EXPECT_EQ(run.Server().Errors(), "[]");

    ASSERT_EQ(memory.size(), 3u);
    for (size_t i = 1; i < memory.size(); ++i) {
        EXPECT_LE(memory[i].heapBytes, memory[0].heapBytes + kHeapMarginBytes)
            << "heap after hand " << measured[i] << " against hand 1";
        if (kResidentComparable) {
            EXPECT_LE(memory[i].residentBytes, memory[0].residentBytes + kResidentMarginBytes)
                << "resident set after hand " << measured[i] << " against hand 1";
        }
    }
    std::printf("heap after hands 1/20/%d: %llu/%llu/%llu KiB; resident %llu/%llu/%llu KiB\n", kHands,
                (unsigned long long)memory[0].heapBytes >> 10, (unsigned long long)memory[1].heapBytes >> 10,
                (unsigned long long)memory[2].heapBytes >> 10, (unsigned long long)memory[0].residentBytes >> 10,
                (unsigned long long)memory[1].residentBytes >> 10, (unsigned long long)memory[2].residentBytes >> 10);
}

// A run that gives up in the middle of a hand (the robots think longer than the hand may take)
// fails at once: a close the client refuses while the hand plays does not hold it up.
TEST(Endurance, ARunThatGivesUpInTheMiddleOfAHandFailsAtOnce)
{
    tablerun::Options options;
    options.thinkMs = 5000;
    options.secondsPerHand = 12;
    tablerun::TableRun run(options);
    run.Run([](const tablerun::HandEnd&) { ADD_FAILURE() << "no hand ends in time"; });
    EXPECT_EQ(run.HandsChecked(), 0);
    EXPECT_NE(run.Failure().find("did not reach the scene's result"), std::string::npos) << run.Failure();
    EXPECT_NE(run.Server().Command(R"({"op":"table","brief":true})").find("\"hands_played\": 0"), std::string::npos)
        << "the run waited for the hand to end";
}

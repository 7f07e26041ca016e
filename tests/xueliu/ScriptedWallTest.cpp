// Whole hands on scripted walls (tools/server/walls) against the game-server stand-in: the client
// plays the own chair in-process, three robots play theirs with no think delay. A driver on the
// UI thread plays the own chair by a fixed rule, so that each wall leads to one course of play:
// it takes every claim the table offers (hu before gang before peng) and throws its missing suit
// first (the highest), then the drawn tile (locked after a win: always the drawn one), else the
// highest tile. At every own turn, while the server waits on this chair, and after the result,
// the scene's table must be the server's: hands, melds, discards, wins and missing suits; at the
// end the final hands, the amounts, the result board and every seat's silver on its panel and in
// the user list, as the client's own sums: the stand-in sends no users' amounts after the result.
// XL_WALLS_TIME_SCALE=F runs every wall with the own chair's time-outs shortened by F, where only
// the tables' agreement is checked.
#include "ClientEnvironment.h"
#include "FakeHall.h"
#include "ServerTable.h"
#include "support/GameServerStandIn.h"
#include "support/TickingLoop.h"

#include "engine/object/PictureObject.h"
#include "framework/connection/RequestIds.h"
#include "framework/scene/GameWinApp.h"
#include "framework/window/RunClient.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/tiles/TileLayout.h"
#include "services/panel/CSubSystem.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CCyUserList.h"
#include "platform/Window.h"
#include "xueliu/CGameApp.h"
#include "xueliu/CMyGame.h"
#include "xueliu/CXyResultListXueliu.h"
#include "widgets/CXyStandButton.h"
#include "xueliu/GameApplication.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
using Lumora::CMJCard2;

constexpr int kOwnChair = 0;
// Win flags of the server's table state.
constexpr int kWinOnDiscard = 1, kWinSelfDrawn = 2, kWinRobbed = 4;
// Settlement reasons.
constexpr int kReasonFlowerPig = 7, kReasonNotReady = 8;

// One seat of the scene: its concealed tiles (result rows after the result), its melds'
// tiles, and its discards with the tile still thrown in the middle.
struct SceneSeat {
    std::vector<int> concealed, melds, discards;
};

SceneSeat SeatOf(CMyGame& scene, int chair)
{
    SceneSeat out;
    const int seat = scene.ChairToSeat(chair);
    for (int slot = 0; slot < scene.GetMaxHandSlots(); ++slot) {
        const CMJCard2* t = scene.hands[size_t(seat)][size_t(slot)];
        if (!t || !t->placed)
            continue;
        if (t->meldKind != Lumora::kMeldNone)
            out.melds.push_back(t->tile);
        else if (t->inHand || t->state == Lumora::kTileResultRow)
            out.concealed.push_back(t->tile);
    }
    for (const CMJCard2* t : scene.discards[size_t(seat)])
        if (t)
            out.discards.push_back(t->tile);
    if (const CMJCard2* t = scene.thrown[size_t(seat)])
        out.discards.push_back(t->tile);
    for (auto* list : {&out.concealed, &out.melds, &out.discards})
        std::sort(list->begin(), list->end());
    return out;
}

std::string Text(const std::vector<int>& v)
{
    std::string s;
    for (int x : v)
        s += (s.empty() ? "" : " ") + std::to_string(x);
    return "[" + s + "]";
}

void Differ(std::string& out, int chair, const char* what, const std::vector<int>& scene, const std::vector<int>& server)
{
    if (scene != server)
        out += "chair " + std::to_string(chair) + " " + what + ": scene " + Text(scene) + ", server " + Text(server) + "\n";
}

// What differs between the scene and the server in the middle of a hand ("" when nothing).
std::string PlayDiff(CMyGame& scene, const ServerTable& server)
{
    std::string out;
    for (int c = 0; c < 4; ++c) {
        const auto& s = server.seats[size_t(c)];
        const SceneSeat seen = SeatOf(scene, c);
        Differ(out, c, "missing suit", {scene.MissingSuit(c)}, {s.missing});
        Differ(out, c, "wins", {scene.WinCount(c)}, {int(s.wins.size())});
        Differ(out, c, "discards", seen.discards, s.discards);
        if (c == kOwnChair) {
            Differ(out, c, "hand", seen.concealed, s.hand);
            Differ(out, c, "melds", seen.melds, s.melds);
        } else {
            Differ(out, c, "hand size", {int(seen.concealed.size())}, {int(s.hand.size())});
            std::vector<int> shown;
            std::copy_if(seen.melds.begin(), seen.melds.end(), std::back_inserter(shown), [](int t) { return t != 200; });
            Differ(out, c, "shown melds", shown, s.shown);
            Differ(out, c, "meld size", {int(seen.melds.size())}, {int(s.melds.size())});
        }
    }
    return out;
}

// The silver the user list shows for the chair, or -1.
int UserListSilver(int chair)
{
    const auto* panel = dynamic_cast<Lumora::CSubSystem*>(GetGameApp()->GetSubSystem());
    const Lumora::CCyUserList* list = panel ? panel->GetUserList()->GetList() : nullptr;
    for (int row = 0; list && row < list->GetRowCount(); ++row)
        if (list->GetRow(row)->HasUser() && list->GetRow(row)->record.Chair() == chair)
            return list->GetRow(row)->record.Silver();
    return -1;
}

// What differs after the result: every chair's final hand (a winner's with its last winning
// tile), wins, missing suits, the amounts of the hand and the silver its panel and the user list
// show; the board open, the middle empty.
std::string EndDiff(CMyGame& scene, const ServerTable& server)
{
    std::string out;
    if (server.handsPlayed < 1)
        return "the server has not ended the hand\n";
    for (int c = 0; c < 4; ++c) {
        const auto& s = server.seats[size_t(c)];
        std::vector<int> shown = s.final;
        if (!s.wins.empty())
            shown.push_back(s.wins.back().first);
        std::sort(shown.begin(), shown.end());
        Differ(out, c, "final hand", SeatOf(scene, c).concealed, shown);
        Differ(out, c, "wins", {scene.WinCount(c)}, {int(s.wins.size())});
        Differ(out, c, "missing suit", {scene.MissingSuit(c)}, {s.missing});
        if (size_t(c) < server.deltas.size())
            Differ(out, c, "amount", {int(scene.Amount(c))}, {server.deltas[size_t(c)]});
        const Lumora::CMJPlayer2* panel = scene.players[size_t(scene.ChairToSeat(c))];
        if (size_t(c) < server.silver.size())
            Differ(out, c, "silver on the panel, in the user list",
                   {panel ? int(panel->GetUser().amount) : -1, UserListSilver(c)},
                   {server.silver[size_t(c)], server.silver[size_t(c)]});
    }
    if (scene.OpenBoardKind() != CMyGame::kBoardResult)
        out += "the result board is not open\n";
    if (std::any_of(scene.thrown.begin(), scene.thrown.end(), [](auto* t) { return t; }))
        out += "a thrown tile was left in the middle\n";
    return out;
}

// Plays the own chair on the UI thread, one step per timer tick.
class OwnChairDriver {
public:
    OwnChairDriver(const standin::GameServer& server, std::string dir) : server_(server), dir_(std::move(dir)) {}

    // True once the hand is over and its end checked.
    bool Step(CMyGame& scene)
    {
        switch (scene.Phase()) {
        case CMyGame::kPhaseIdle:
            // Ready once entered, as the start button would.
            if (!started_ && !server_.Requests(200110).empty()) {
                started_ = true;
                scene.OnBtnStartGame();
            }
            return false;
        case CMyGame::kPhaseExchange:
            if (!exchanged_ && scene.ExchangeChoice().empty())
                ClickRecommended(scene);
            if (!exchanged_)
                exchanged_ = scene.SendExchange();
            return false;
        case CMyGame::kPhaseMissing:
            if (!chose_)
                chose_ = scene.SendMissingSuit(scene.RecommendedSuit());
            return false;
        case CMyGame::kPhaseEnded: return Settled(scene, EndDiff);
        case CMyGame::kPhasePlay: break;
        default: return false;
        }
        if (scene.sortPicture && scene.sortPicture->IsActive())
            return false; // the hand is being sorted
        const std::string signature = Signature(scene);
        if (signature == actedOn_ && Clock::now() < actedAt_ + std::chrono::seconds(2))
            return false; // the last action has not shown yet
        const bool ownTurn = scene.playBlock[CMyGame::kMustThrow] &&
                             scene.playBlock[CMyGame::kArrowPos] == Lumora::kOwnSeat * 2 &&
                             scene.playState == Lumora::kPlayStateTurn;
        if (ownTurn) {
            // The server waits on this chair: the tables must agree before it acts.
            if (!Settled(scene, PlayDiff))
                return false;
            checked_ = false;
            if (Offered(scene, Lumora::kOptHu))
                Act(signature, "hu", [&] { scene.OnBtnHu(); });
            else if (Offered(scene, Lumora::kOptGang))
                Act(signature, "gang", [&] { scene.OnBtnGang(); });
            else
                Throw(scene, signature);
        } else if (Offered(scene, Lumora::kOptHu)) {
            Act(signature, "claim hu", [&] { scene.OnBtnHu(); });
        } else if (Offered(scene, Lumora::kOptGang)) {
            Act(signature, "claim gang", [&] { scene.OnBtnGang(); });
        } else if (Offered(scene, Lumora::kOptPeng)) {
            Act(signature, "claim peng", [&] { scene.OnBtnPeng(); });
        }
        return false;
    }

    std::vector<std::string> actions; // "throw 77", "claim peng", "gang", "hu" ...
    std::vector<std::string> faults;  // tables that did not agree
    int checkpoints = 0;
    std::string rejoinAfter; // the action after which the client enters the running hand again

private:
    using DiffFn = std::string (*)(CMyGame&, const ServerTable&);

    // True once the scene agrees with the server, or (with a fault kept) after three seconds.
    bool Settled(CMyGame& scene, DiffFn diff)
    {
        if (checked_)
            return true;
        if (waitSince_ == Clock::time_point{})
            waitSince_ = Clock::now();
        table = ReadTable(server_, dir_);
        const std::string text = diff(scene, table);
        if (!text.empty() && Clock::now() < waitSince_ + std::chrono::seconds(3))
            return false;
        if (!text.empty())
            faults.push_back("after " + (actions.empty() ? std::string("the deal") : actions.back()) + ":\n" + text);
        ++checkpoints;
        checked_ = true;
        waitSince_ = {};
        return true;
    }

    void Act(const std::string& signature, const std::string& what, const std::function<void()>& act)
    {
        actions.push_back(what);
        actedOn_ = signature;
        actedAt_ = Clock::now();
        act();
        // The stand-in answers the next throw "failed", untaken: the client enters the hand again.
        if (what == rejoinAfter) {
            rejoining_ = true;
            server_.Command(R"({"op":"scenario","steps":[{"expect":)" + std::to_string(RequestId::ThrowCards) +
                            R"(,"reply":{"code":)" + std::to_string(ReplyCode::RequestFailed) + "}}]}");
        }
    }

    // An option the player can take: enabled, its button shown.
    static bool Offered(CMyGame& scene, int option)
    {
        const auto slot = option == Lumora::kOptHu     ? CMyGame::kBtnHu
                          : option == Lumora::kOptGang ? CMyGame::kBtnGang
                                                       : CMyGame::kBtnPeng;
        const auto* button = scene.buttons[size_t(slot)];
        return scene.options[size_t(option)].enabled && button && button->IsActive();
    }

    // The exchange may begin before the deal has reached the hand, with nothing lifted: the
    // player then clicks the three tiles the recommendation would have lifted.
    static void ClickRecommended(CMyGame& scene)
    {
        const std::vector<int> hand = scene.OwnHandTiles();
        if (hand.size() < 13)
            return;
        for (int tile : CMyGame::RecommendExchange(hand))
            for (CMJCard2* t : scene.hands[Lumora::kOwnSeat])
                if (t && t->inHand && t->tile == tile) {
                    scene.ToggleExchangeTile(*t);
                    break;
                }
    }

    // Missing suit first (the highest), then the drawn tile, else the highest; locked: the drawn.
    void Throw(CMyGame& scene, const std::string& signature)
    {
        const auto& hand = scene.hands[Lumora::kOwnSeat];
        auto higher = [](int a, int b) {
            const int fa = a / 36 * 10 + a % 9, fb = b / 36 * 10 + b % 9;
            return fa != fb ? fa > fb : a > b;
        };
        int slot = -1, missingSlot = -1, highest = -1;
        for (int s = 0; s < scene.GetMaxHandCards(); ++s) {
            const CMJCard2* t = hand[size_t(s)];
            if (!t || !t->inHand || t->meldKind != Lumora::kMeldNone)
                continue;
            if (t->tile / 36 == scene.MissingSuit(kOwnChair) &&
                (missingSlot < 0 || higher(t->tile, hand[size_t(missingSlot)]->tile)))
                missingSlot = s;
            if (highest < 0 || higher(t->tile, hand[size_t(highest)]->tile))
                highest = s;
        }
        // The tile drawn this turn, as the server holds it (after a claim there is none).
        int drawnSlot = -1;
        for (int s = 0; s < scene.GetMaxHandCards(); ++s)
            if (const CMJCard2* t = hand[size_t(s)]; t && t->inHand && t->meldKind == Lumora::kMeldNone &&
                                                     t->tile == table.seats[kOwnChair].drawn)
                drawnSlot = s;
        if (scene.HandLocked() && drawnSlot >= 0)
            slot = drawnSlot;
        else if (missingSlot >= 0)
            slot = missingSlot;
        else
            slot = drawnSlot >= 0 ? drawnSlot : highest;
        if (slot < 0)
            return;
        const int tile = hand[size_t(slot)]->tile;
        Act(signature, "throw " + std::to_string(tile), [&] {
            scene.SendThrowCard(slot);
            // Back in the hand, the player sorts it: the drawn tile, sorted in, is still the one to throw.
            if (std::exchange(rejoining_, false))
                scene.OnBtnSortHand();
        });
    }

    // What the driver's next step depends on.
    static std::string Signature(CMyGame& scene)
    {
        const SceneSeat own = SeatOf(scene, kOwnChair);
        std::string s = Text(own.concealed) + Text(own.melds);
        for (int i : {Lumora::kOptPeng, Lumora::kOptGang, Lumora::kOptHu})
            s += std::to_string(scene.options[size_t(i)].enabled) + std::to_string(scene.options[size_t(i)].tile);
        for (int c = 0; c < 4; ++c)
            s += std::to_string(scene.WinCount(c));
        return s + std::to_string(scene.playBlock[CMyGame::kMustThrow]) +
               std::to_string(scene.playBlock[CMyGame::kArrowPos]);
    }

public:
    ServerTable table; // as last read

private:
    const standin::GameServer& server_;
    std::string dir_;
    bool started_ = false, exchanged_ = false, chose_ = false, checked_ = false, rejoining_ = false;
    Clock::time_point waitSince_{}, actedAt_{};
    std::string actedOn_;
};

// What a scripted hand left behind.
struct Outcome {
    bool ended = false;
    std::vector<std::string> actions, faults, lines, boxes;
    std::vector<std::vector<std::string>> resultDetails; // each chair's lines on the result board
    std::string afterLatePayment; // what differs at the end after the ended hand's late payment
    int checkpoints = 0;
    ServerTable table;
    std::string errors;
    size_t refused = 0, entries = 0;
    // The server's time-outs were shortened: the server and the client's auto-play then act for
    // the own chair as well as the driver, and the course of play is no longer the wall's one.
    bool timeOutsForced = false;
};

class ScriptedWallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::symlink((std::string(XL_BINARY_DIR) + "/skins").c_str(), (env_.dir + "/game/skins").c_str());
    }

    // One hand on the wall file (tools/server/walls/NAME.json), the own chair played by the driver.
    // A time scale (the stand-in's --time-scale) forces the own chair's time-outs.
    // With `rejoinAfter` an action, the client enters the hand again at its next throw, the player
    // then sorts the hand, and after the result the hand's gang payment comes once more.
    Outcome Play(const std::string& wall, const char* timeScale = std::getenv("XL_WALLS_TIME_SCALE"),
                 const std::string& rejoinAfter = {})
    {
        std::vector<std::string> args{"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--play",
                                      "--fast", "--hands", "0", "--wall",
                                      std::string(XL_SOURCE_DIR) + "/tools/server/walls/" + wall + ".json"};
        args.push_back("--no-money-notice"); // the silver shown at the end is the client's own sum
        if (timeScale)
            args.insert(args.end(), {"--time-scale", timeScale});
        standin::GameServer server(args);
        FakeHall hall(env_.hallAddress);
        hall.startData = TableStartData(false); // the stand-in's table, its users' silver
        const std::string line =
            "79|127.0.0.1|0|5|0|1001|7|0|0|0|血流成河|" + std::to_string(server.Port()) + "|4|0|0";

        Outcome outcome;
        outcome.timeOutsForced = timeScale != nullptr;
        OwnChairDriver driver(server, env_.dir);
        driver.rejoinAfter = rejoinAfter;
        const auto giveUp = Clock::now() + std::chrono::seconds(60);
        std::optional<size_t> refusedAtEnd; // the refusals before the late payment
        env_.platform.runLoop = testsupport::TickingLoop(10, [&] {
            auto* scene = dynamic_cast<CMyGame*>(GetGameWinApp() ? GetGameWinApp()->GetMainGame() : nullptr);
            const bool done = scene && driver.Step(*scene);
            if (!done && Clock::now() < giveUp)
                return true;
            if (done && !rejoinAfter.empty() && !refusedAtEnd) {
                refusedAtEnd = server.Requests(201162).size();
                // 刮风 for chair 0 (+300, -100 each) once more: refused (201162), it moves nothing.
                server.Command(R"({"op":"push","id":229370,"hex":"0500000000000000)"
                               R"(2c0100009cffffff9cffffff9cffffff03000000ffffffffffffffffffffffff6400000000000000"})");
            }
            if (refusedAtEnd && server.Requests(201162).size() == *refusedAtEnd && Clock::now() < giveUp)
                return true;
            if (refusedAtEnd)
                outcome.afterLatePayment = EndDiff(*scene, ReadTable(server, env_.dir));
            outcome.ended = done;
            if (scene)
                outcome.lines = scene->GameLines();
            for (int c = 0; scene && scene->ResultList() && c < 4; ++c)
                outcome.resultDetails.push_back(scene->ResultList()->GetChairRow(c)->DetailLines());
            platform::PostToWindow(GetGameApp()->GetMainWindowId(), platform::kMsgClose);
            return false;
        });
        std::thread dealer([&] {
            // The hand is dealt once the client has entered.
            server.AwaitRequests(200110, 1);
            server.Command(R"({"op":"play","hands":1})");
        });
        InstallGameApplication(nullptr);
        EXPECT_EQ(RunClient({"xueliu", line}, env_.platform), 0);
        dealer.join();
        outcome.actions = driver.actions;
        outcome.faults = driver.faults;
        outcome.checkpoints = driver.checkpoints;
        outcome.table = driver.table;
        outcome.boxes = env_.boxes;
        outcome.errors = server.Errors();
        outcome.refused = refusedAtEnd.value_or(server.Requests(201162).size());
        outcome.entries = server.Requests(RequestId::EnterGame).size();
        return outcome;
    }

    // The checks every scripted hand shares: it ended, the tables agreed at every own turn and
    // at the end, nothing was refused, no box came up; with time-outs forced, the server acted
    // for the own chair.
    static void ExpectAgreed(const Outcome& o)
    {
        EXPECT_TRUE(o.ended) << "the hand did not end in the scene; actions: " << Actions(o);
        // With time-outs forced the server may take every own turn before the driver sees it.
        EXPECT_GT(o.checkpoints, o.timeOutsForced ? 0 : 1);
        for (const auto& f : o.faults)
            ADD_FAILURE() << f << "actions: " << Actions(o);
        for (const auto& box : o.boxes)
            ADD_FAILURE() << "box: " << box;
        EXPECT_EQ(o.refused, 0u) << "a notification was refused";
        if (o.timeOutsForced)
            EXPECT_GT(o.table.humanTimeOuts, 0) << "no time-out was forced";
        else
            EXPECT_EQ(o.table.humanTimeOuts, 0) << "the own chair could not act in time; actions: " << Actions(o);
        EXPECT_EQ(o.errors, "[]");
    }

    static std::string Actions(const Outcome& o)
    {
        std::string s;
        for (const auto& a : o.actions)
            s += a + ", ";
        return s;
    }

    // Index of the first action that starts with `what`, or -1.
    static int FirstAction(const Outcome& o, const std::string& what)
    {
        for (size_t i = 0; i < o.actions.size(); ++i)
            if (o.actions[i].rfind(what, 0) == 0)
                return int(i);
        return -1;
    }

    static bool HasLine(const Outcome& o, const std::string& part)
    {
        return std::any_of(o.lines.begin(), o.lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }

    ClientEnvironment env_{"xl-walls-XXXXXX"};
};

} // namespace

// The own chair pengs 5万 from chair 3, draws the fourth and adds it to the peng, and wins on
// the replacement (self-drawn).
TEST_F(ScriptedWallTest, OwnPengThenAddedGangThenSelfDrawnWin)
{
    const Outcome o = Play("peng_gang_win");
    ExpectAgreed(o);
    if (o.timeOutsForced)
        return; // another course of play
    const int peng = FirstAction(o, "claim peng"), gang = FirstAction(o, "gang"), hu = FirstAction(o, "hu");
    EXPECT_TRUE(peng >= 0 && peng < gang && gang < hu) << Actions(o);
    EXPECT_EQ(o.actions.front(), "throw 77") << "the banker's first throw is its own (9筒), not the server's time-out";
    const auto& own = o.table.seats[kOwnChair];
    ASSERT_FALSE(own.wins.empty());
    EXPECT_EQ(own.wins[0], std::make_pair(71, kWinSelfDrawn)) << "won on the gang's replacement 9条";
    EXPECT_EQ(own.melds, (std::vector<int>{4, 13, 22, 31})) << "the four 5万, an added gang";
    EXPECT_TRUE(own.pungs.empty());
    EXPECT_TRUE(HasLine(o, "胡了")) << "the win's line";
}

// The same hand, the client entering it again at its first throw after the gang (answered
// "failed"): it keeps what the gang and the win paid, so the result pays neither twice, the
// locked hand throws its drawn tile though a sort moved it, and the result board reads as
// without the re-entry.
TEST_F(ScriptedWallTest, AClientEnteringTheHandAgainAfterItsGangIsPaidNothingTwice)
{
    const Outcome plain = Play("peng_gang_win", nullptr);
    const Outcome o = Play("peng_gang_win", nullptr, "gang");
    ExpectAgreed(o);
    EXPECT_EQ(o.entries, 2u) << "the client entered the running hand again";
    EXPECT_LT(FirstAction(o, "gang"), FirstAction(o, "hu")) << Actions(o);
    ASSERT_EQ(o.resultDetails.size(), 4u);
    EXPECT_TRUE(o.resultDetails == plain.resultDetails) << "the result board's lines are not the hand's without it";
    EXPECT_EQ(o.afterLatePayment, "");
}

// Every chair goes without 筒 and throws it first; the own chair then throws the 3条 it draws,
// on which chair 3 (1-2条 waiting) wins, and only chair 3: chair 2 waits on 5条.
TEST_F(ScriptedWallTest, ARobotWinsOnTheOwnDiscard)
{
    const Outcome o = Play("robot_wins_on_own_discard");
    ExpectAgreed(o);
    if (o.timeOutsForced)
        return; // another course of play
    EXPECT_GE(FirstAction(o, "throw 38"), 0) << Actions(o);
    const auto& winner = o.table.seats[3];
    ASSERT_FALSE(winner.wins.empty());
    EXPECT_EQ(winner.wins[0], std::make_pair(38, kWinOnDiscard));
    for (int c : {1, 2})
        for (const auto& w : o.table.seats[size_t(c)].wins)
            EXPECT_NE(w.first, 38) << "chair " << c << " does not wait on 3条";
    EXPECT_TRUE(HasLine(o, "胡了"));
}

// The same deal with chair 2 waiting on 3-6条 as well: both win on the one tile.
TEST_F(ScriptedWallTest, TwoRobotsWinOnOneTile)
{
    const Outcome o = Play("two_robots_win_on_one_tile");
    ExpectAgreed(o);
    if (o.timeOutsForced)
        return; // another course of play
    for (int c : {2, 3}) {
        ASSERT_FALSE(o.table.seats[size_t(c)].wins.empty()) << "chair " << c;
        EXPECT_EQ(o.table.seats[size_t(c)].wins[0], std::make_pair(38, kWinOnDiscard)) << "chair " << c;
    }
}

// The own chair pengs 5万 and later draws the fourth; its added gang is robbed by chair 2
// (3-4万 waiting): the gang's tiles request is refused as robbed, the server sends the hand
// again, and the peng stays a peng.
TEST_F(ScriptedWallTest, ARobotRobsTheOwnAddedGang)
{
    const Outcome o = Play("robbed_added_gang");
    ExpectAgreed(o);
    if (o.timeOutsForced)
        return; // another course of play
    const int peng = FirstAction(o, "claim peng"), gang = FirstAction(o, "gang");
    EXPECT_TRUE(peng >= 0 && peng < gang) << Actions(o);
    const auto& robber = o.table.seats[2];
    ASSERT_FALSE(robber.wins.empty());
    EXPECT_EQ(robber.wins[0], std::make_pair(31, kWinRobbed));
    EXPECT_EQ(o.table.seats[kOwnChair].pungs, (std::vector<int>{4, 13, 22}));
    EXPECT_EQ(o.table.seats[kOwnChair].melds, (std::vector<int>{4, 13, 22}));
}

// Chair 2 draws 筒, its missing suit, on almost every turn and ends holding it: 查花猪 makes it
// pay every other chair; the own chair and chair 3 are not ready and pay chair 1 (查大叫).
TEST_F(ScriptedWallTest, TheWallRunsOutWithAFlowerPigAndChairsNotReady)
{
    const Outcome o = Play("wall_ends_with_a_flower_pig");
    ExpectAgreed(o);
    if (o.timeOutsForced)
        return; // another course of play
    EXPECT_EQ(o.table.tilesLeft, 0);
    EXPECT_EQ(o.table.pigs, (std::vector<int>{2}));
    EXPECT_EQ(o.table.ready, (std::vector<int>{1}));
    for (int reason : {kReasonFlowerPig, kReasonNotReady})
        EXPECT_NE(std::find(o.table.reasons.begin(), o.table.reasons.end(), reason), o.table.reasons.end()) << reason;
    EXPECT_TRUE(HasLine(o, "查花猪"));
    EXPECT_TRUE(HasLine(o, "查大叫"));
}

// With the own chair's time-outs a twentieth of their length, the server's time-outs and the
// client's auto-play race the driver: throws refused as late, a throw the server takes on the
// chair's next turn, throws the server makes for the chair. The scene follows the server.
TEST_F(ScriptedWallTest, TheTablesAgreeWhenTheOwnChairTimesOut)
{
    ExpectAgreed(Play("robot_wins_on_own_discard", "0.05"));
}

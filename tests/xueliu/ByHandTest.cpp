// Two whole hands played as a person plays them: the real client in a real window under Xvfb
// (SDL's x11 video), started by the hall stand-in against the game-server stand-in with three
// robots, the own chair left to the player. The player clicks through XTest (xdotool) where the
// scene's report (XL_SCENE_REPORT: the phase, the own hand and the buttons with their places on
// the screen) says things are, and only on a view that has stood still a moment: it starts,
// chooses three tiles of one suit and confirms, chooses the missing suit, throws on each own
// turn, takes hu, gang and peng when offered and passes otherwise, reads the result, goes on
// with "继续" to a second hand and closes the window with its close button. The run fails when
// the server acted for the own chair even once (a time-out), when the own hand differs from the
// server's at a result, or when the client refused a record. The client runs with the screen
// check (xueliu_checked): every frame it shows must equal a fresh composition. Screenshots go to
// build/artifacts/byhand-*.png.
#include "ServerTable.h"
#include "support/GameServerStandIn.h"
#include "support/HallRun.h"
#include "support/SceneReport.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

namespace {

using namespace xltest;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kOwnChair = 0;
constexpr int kScreenWidth = 1024, kScreenHeight = 768;

// Plays the own chair with the mouse.
class Player {
public:
    Player(std::string display, const std::string& report) : display_(std::move(display)), report_(report) {}

    // Plays on until a hand's result board offers "继续" (a hand that began in this call).
    bool PlayToResult(Clock::time_point deadline)
    {
        bool played = false;
        while (Clock::now() < deadline && Clock::now() - report_.since < kStall) {
            if (!report_.Read() && Clock::now() - report_.since < kSettle) {
                std::this_thread::sleep_for(milliseconds(10));
                continue;
            }
            const View& v = report_.view;
            if (v.phase == kPhasePlay)
                played = true;
            if (played && v.phase == kPhaseEnded && v.board == kBoardResult && v.Has("ok"))
                return true;
            if (Clock::now() - report_.since >= kSettle)
                Step(v);
            std::this_thread::sleep_for(milliseconds(10));
        }
        return false;
    }

    // Points at the box, then clicks as a person does once the thing pointed at has answered:
    // a hand tile (`tile` >= 0) lifts under the pointer; the click waits for that (a second at
    // most: a tile that may not be thrown stays down), anything else for the view to stand.
    void Click(Box b, const std::string& what, int tile = -1)
    {
        const int x = (b.left + b.right) / 2, y = (b.top + b.bottom) / 2;
        const auto ms = std::chrono::duration_cast<milliseconds>(Clock::now() - started_).count();
        story.push_back(std::to_string(ms / 1000) + "." + std::to_string(ms / 100 % 10) + " s: " + what + " at " +
                        std::to_string(x) + "," + std::to_string(y));
        Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
        const auto pointed = Clock::now();
        for (bool answered = false; !answered && Clock::now() - pointed < seconds(1);) {
            report_.Read();
            if (tile < 0) {
                answered = Clock::now() - report_.since >= kSettle && Clock::now() - pointed >= kSettle;
            } else {
                for (const auto& t : report_.view.hand)
                    answered = answered || (t.tile == tile && t.box.top != b.top);
            }
            std::this_thread::sleep_for(milliseconds(10));
        }
        Xdotool("click 1");
    }
    const View& Seen() const { return report_.view; }
    const std::string& SeenLine() const { return report_.text; }
    std::vector<std::string> story; // every click, in order
    int throws = 0, claims = 0;

private:
    // One action on a view that stands, unless it was acted on already.
    void Step(const View& v)
    {
        if (v.signature == actedOn_ && Clock::now() - actedAt_ < kRetry)
            return;
        if (throwing_ && v.turn && Clock::now() - actedAt_ < kRetry)
            return; // the last throw has not left the hand yet
        throwing_ = throwing_ && v.turn;
        const auto act = [&](Box b, const std::string& what, int tile = -1) {
            actedOn_ = v.signature;
            actedAt_ = Clock::now();
            Click(b, what, tile);
        };
        if (v.phase == kPhaseIdle && v.Has("start")) {
            act(v.buttons.at("start"), "start");
        } else if (v.phase == kPhaseExchange && v.board == kBoardExchange && v.hand.size() >= 13) {
            const std::vector<int> want = ExchangeTiles(v);
            for (const auto& t : v.hand) {
                const bool chosen = std::count(v.chosen.begin(), v.chosen.end(), t.tile) != 0;
                const bool wanted = std::count(want.begin(), want.end(), t.tile) != 0;
                if (chosen != wanted)
                    return act(t.box, "exchange tile " + std::to_string(t.tile), t.tile);
            }
            if (v.Has("ok"))
                act(v.buttons.at("ok"), "exchange ok");
        } else if (v.phase == kPhaseMissing && v.board == kBoardMissing && v.checks.size() == 3) {
            const int suit = FewestSuit(v);
            if (!v.checks[size_t(suit)].on)
                act(v.checks[size_t(suit)].box, "missing suit " + std::to_string(suit));
            else if (v.Has("ok"))
                act(v.buttons.at("ok"), "missing ok");
        } else if (v.phase == kPhasePlay) {
            for (const char* claim : {"hu", "gang", "peng"})
                if (v.Has(claim)) {
                    ++claims;
                    return act(v.buttons.at(claim), claim);
                }
            if (v.mode == kHandGangChoice) {
                for (const auto& t : v.hand)
                    if (!t.dim)
                        return act(t.box, "gang choice " + std::to_string(t.tile), t.tile);
            } else if (v.turn) {
                if (const View::Tile* t = ThrowChoice(v)) {
                    ++throws;
                    throwing_ = true;
                    act(t->box, "throw " + std::to_string(t->tile), t->tile);
                }
            } else if (v.Has("pass")) {
                act(v.buttons.at("pass"), "pass");
            }
        }
    }

    // Three tiles of the shortest suit that has three, its lowest (the scene lifts the highest:
    // the player clicks to change its choice); fixed for the hand once the whole hand is dealt.
    std::vector<int> ExchangeTiles(const View& v)
    {
        std::vector<int> hand;
        for (const auto& t : v.hand)
            hand.push_back(t.tile);
        std::sort(hand.begin(), hand.end());
        if (hand == exchangeHand_)
            return exchange_;
        std::array<std::vector<int>, 3> bySuit;
        for (int t : hand)
            bySuit[size_t(Suit(t))].push_back(t);
        int best = -1;
        for (int s = 0; s < 3; ++s)
            if (bySuit[size_t(s)].size() >= 3 && (best < 0 || bySuit[size_t(s)].size() < bySuit[size_t(best)].size()))
                best = s;
        auto& suit = bySuit[size_t(best)];
        std::sort(suit.begin(), suit.end(),
                  [](int a, int b) { return Rank(a) != Rank(b) ? Rank(a) < Rank(b) : a < b; });
        // The same choice while the chosen tiles lift: the hand's tiles stay the same.
        if (v.chosen.empty() || exchange_.empty()) {
            exchangeHand_ = hand;
            exchange_.assign(suit.begin(), suit.begin() + 3);
        }
        return exchange_;
    }

    static int FewestSuit(const View& v)
    {
        std::array<int, 3> count{};
        for (const auto& t : v.hand)
            ++count[size_t(Suit(t.tile))];
        return int(std::min_element(count.begin(), count.end()) - count.begin());
    }

    // The missing suit first; locked after a win: the drawn tile; else a tile without a pair or
    // a neighbour, else the drawn one, else the last.
    static const View::Tile* ThrowChoice(const View& v)
    {
        const View::Tile* pick = nullptr;
        for (const auto& t : v.hand)
            if (v.locked ? t.tile == v.drawn : Suit(t.tile) == v.missing)
                pick = &t;
        if (pick || v.locked)
            return pick;
        for (const auto& t : v.hand) {
            const bool company = std::any_of(v.hand.begin(), v.hand.end(), [&](const View::Tile& o) {
                return &o != &t && Suit(o.tile) == Suit(t.tile) && std::abs(Rank(o.tile) - Rank(t.tile)) <= 1;
            });
            if (!company)
                return &t;
        }
        for (const auto& t : v.hand)
            if (t.tile == v.drawn)
                return &t;
        return v.hand.empty() ? nullptr : &v.hand.back();
    }

    void Xdotool(const std::string& command) const
    {
        std::system(("DISPLAY=" + display_ + " xdotool " + command).c_str());
    }

    std::string display_;
    Clock::time_point started_ = Clock::now();
    Report report_;
    std::string actedOn_;
    Clock::time_point actedAt_{};
    bool throwing_ = false;
    std::vector<int> exchangeHand_, exchange_;
};

std::string Join(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& l : lines)
        out += l + "\n";
    return out;
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ByHand, TwoWholeHandsClickedThroughTheWindow)
{
    xltest::XvfbSession xvfb("1024x768x24");
    if (!xvfb.Ok())
        GTEST_SKIP() << "Xvfb, xdotool or import is missing";
    // As the run command starts it for a window, with quicker robots.
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--play",
                                "--think-ms", "150", "--hands", "2", "--seed", "3"});
    char folder[] = "/tmp/xl-byhand-XXXXXX";
    const std::string dir = mkdtemp(folder);
    const std::string report = dir + "/scene.jsonl";
    const std::string screenFaults = dir + "/screen.txt";
    xltest::HallRun run(server, {},
                        {"DISPLAY=" + xvfb.Display(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                         "PATH=/usr/bin:/bin", "XL_SCENE_REPORT=" + report, "XL_SCREEN_CHECK=" + screenFaults,
                         "XL_SCREEN_CHECK_NAME=byhand"},
                        "xueliu_checked");
    ASSERT_EQ(server.AwaitRequests(200110, 1, 60).size(), 1u) << run.Record();

    Player player(xvfb.Display(), report);
    for (int hand = 1; hand <= 2; ++hand) {
        const auto deadline = Clock::now() + seconds(150);
        const bool ended = player.PlayToResult(deadline);
        if (!ended)
            xltest::Screenshot("byhand-stuck.png", kScreenWidth, kScreenHeight);
        ASSERT_TRUE(ended)
            << "hand " << hand << " did not reach its result; clicks:\n"
            << Join(player.story) << "last view: " << player.SeenLine();
        xltest::Screenshot("byhand-result-" + std::to_string(hand) + ".png", kScreenWidth, kScreenHeight);
        const ServerTable table = ReadTable(server, dir);
        EXPECT_EQ(table.handsPlayed, hand);
        // The own hand on the result board, a winner's with its last winning tile.
        std::vector<int> serverHand = table.seats[kOwnChair].final;
        if (!table.seats[kOwnChair].wins.empty())
            serverHand.push_back(table.seats[kOwnChair].wins.back().first);
        std::sort(serverHand.begin(), serverHand.end());
        std::vector<int> sceneHand = player.Seen().own;
        std::sort(sceneHand.begin(), sceneHand.end());
        EXPECT_EQ(sceneHand, serverHand) << "hand " << hand << ": the own hand differs from the server's";
        EXPECT_EQ(table.humanTimeOuts, 0) << "the server acted for the own chair; clicks:\n" << Join(player.story);
        if (hand == 1)
            player.Click(player.Seen().buttons.at("ok"), "continue (继续)");
    }
    EXPECT_GT(player.throws, 0);

    // The frame fills the screen: its close button is the title bar's last.
    player.Click({kScreenWidth - 24, 1, kScreenWidth - 8, 25}, "close");
    std::ofstream(xltest::ArtifactPath("byhand-clicks.txt")) << Join(player.story);
    EXPECT_EQ(run.Wait(60), 0);
    EXPECT_EQ(server.Requests(201125).size(), 1u);
    EXPECT_TRUE(server.Requests(201162).empty()) << "the client refused a notification";
    const std::string log = FileText(run.Folder() + "/run/game/GameRun.log");
    EXPECT_NE(log.find("GameCore Start"), std::string::npos) << "no run log";
    EXPECT_EQ(log.find("dropped"), std::string::npos) << log;
    EXPECT_EQ(server.Errors(), "[]");
    EXPECT_EQ(FileText(screenFaults), "") << "the screen is not true (pictures in build/artifacts/screen-byhand-*)";
    std::filesystem::remove_all(dir);
}

} // namespace

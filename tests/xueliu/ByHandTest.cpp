// Two whole hands played as a person plays them, at 800x600, 1280x800 and 1920x1080: the real
// client in a real window under Xvfb (SDL's x11 video), started by the hall stand-in against the
// game-server stand-in with three robots, the own chair left to the player. The player clicks
// and types through XTest (xdotool) where the scene's report (XL_SCENE_REPORT: the phase, the own
// hand, the buttons and controls with their boxes on the screen) says things are, and only on a
// view that has stood still a moment. Before the first hand it opens and closes 设置 and starts;
// it exchanges three tiles, chooses the missing suit, throws on each own turn and takes every
// claim offered. In the middle of the first hand (the server's table held meanwhile, so that no
// time-out runs while the player does what the table does not wait for) it folds and unfolds the
// side panel, sends a typed line, opens and closes 设置 and sends a line typed with no click into
// the input line, then an emoticon, each with Enter, and sees all come back, folds and
// shows the skill bar and drags a hand tile with the right button. At the first result it
// unfolds the longest row, scrolls it with the wheel and folds it (Escape, then a click). It goes
// on with "继续" to a second hand and closes the window with its close button. Each step leaves a
// screenshot, build/artifacts/byhand-<size>-<step>.png. The run fails when the server acted for
// the own chair even once (a time-out), when the own hand differs from the server's at a result,
// or when the client refused a record. The client runs with the screen check (xueliu_checked):
// every frame it shows must equal the view composed anew, and each step names the faults that
// came before it.
#include "ServerTable.h"
#include "support/GameServerStandIn.h"
#include "support/HallRun.h"
#include "support/Refusals.h"
#include "support/SceneReport.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
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
// What a step waits for before it counts as failed.
const seconds kStepLimit = Paced(seconds(5));
// The input bar sends one line a second at most: a person's next line waits that long.
constexpr milliseconds kChatInterval{1100};
// The first emoticon of the picker, as the chat box shows its code.
const std::string kFirstFace = "#大哭";

struct ScreenSize {
    int width, height;
    std::string Name() const { return std::to_string(width) + "x" + std::to_string(height); }
};

void PrintTo(const ScreenSize& size, std::ostream* out) { *out << size.Name(); }

std::string FileText(const std::string& path);

// What is on the screen at each step: kept as a picture; the client's screen check (every shown
// frame against the view composed anew) reports into `faults`, read at each step so that a fault
// names the step it came before.
class Screen {
public:
    Screen(ScreenSize size, std::string faults) : size_(size), faults_(std::move(faults)) {}
    void CheckStep(const std::string& step)
    {
        steps.push_back(step);
        Screenshot("byhand-" + size_.Name() + "-" + step + ".png", size_.width, size_.height);
        const std::string text = FileText(faults_);
        if (text.size() > seen_)
            untrue.push_back("before " + step + ": " + text.substr(seen_));
        seen_ = text.size();
    }
    std::vector<std::string> steps;
    std::vector<std::string> untrue; // the check's faults, by the step they came before

private:
    ScreenSize size_;
    std::string faults_;
    size_t seen_ = 0;
};

// Plays the own chair with the mouse and the keyboard.
class Player {
public:
    Player(std::string display, const std::string& report, const std::string& faults, const standin::GameServer& server,
           ScreenSize size)
        : screen(size, faults), display_(std::move(display)), report_(report), server_(server), size_(size)
    {
    }

    // Plays on until a hand's result board offers "继续" (a hand that began in this call).
    bool PlayToResult(Clock::time_point deadline)
    {
        // A new deal: the last hand's exchange choice is no choice for this one.
        exchange_.clear();
        exchangeHand_.clear();
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
                Step(View(v));
            std::this_thread::sleep_for(milliseconds(10));
        }
        return false;
    }

    // Points at the box, then clicks as a person does once the thing pointed at has answered:
    // a hand tile (`tile` >= 0) lifts under the pointer; the click waits for that (a second at
    // most: a tile that may not be thrown stays down), anything else for the view to stand.
    void Click(Box b, const std::string& what, int tile = -1)
    {
        const int x = b.X(), y = b.Y();
        Tell(what + " at " + std::to_string(x) + "," + std::to_string(y));
        Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
        const auto pointed = Clock::now();
        for (bool answered = false; !answered && Clock::now() - pointed < Paced(seconds(1));) {
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

    // The first result: the row with the most lines unfolded, scrolled with the wheel and folded
    // by Escape; unfolded again and folded by a click.
    void ResultRowSteps()
    {
        const auto onScreen = [this](const Box& b) { return !b.Empty() && b.left >= 0 && b.bottom <= size_.height; };
        Await([&](const View& w) {
            return !w.rows.empty() &&
                std::all_of(w.rows.begin(), w.rows.end(), [&](const auto& r) { return onScreen(r.box); });
        });
        const View v = report_.view;
        size_t longest = 0;
        for (size_t i = 0; i < v.rows.size(); ++i)
            if (v.rows[i].lines > v.rows[longest].lines)
                longest = i;
        if (v.rows.empty() || v.rows[longest].lines == 0)
            return Fail("result-unfolded", "no result row has lines to unfold");
        auto open = [longest](const View& w) { return w.rows.size() > longest && w.rows[longest].open; };
        Click(v.rows[longest].box, "unfold result row " + std::to_string(longest));
        if (!Expect("result-unfolded", open, "the row did not unfold"))
            return;
        const View unfolded = report_.view;
        Tell("wheel down over the result list");
        Xdotool("mousemove " + std::to_string(unfolded.list.X()) + " " + std::to_string(unfolded.list.Y()));
        Xdotool("click --repeat 3 --delay 80 5");
        if (unfolded.scrollMax > 0)
            Expect(
                "result-scrolled", [&](const View& w) { return w.scroll > unfolded.scroll; },
                "the wheel did not scroll the unfolded row");
        else
            screen.CheckStep("result-scrolled");
        Key("Escape");
        auto shut = [longest](const View& w) { return w.rows.size() > longest && !w.rows[longest].open; };
        if (!Expect("result-folded", shut, "Escape did not fold the row"))
            return;
        Click(report_.view.rows[longest].box, "unfold result row again");
        if (!Expect("result-unfolded-again", open, "the row did not unfold again"))
            return;
        Click(report_.view.rows[longest].box, "fold result row by a click");
        Expect("result-refolded", shut, "a click on the unfolded row did not fold it");
    }

    // Whether the steps before the first hand and in its middle found their moment.
    bool DidSideSteps() const { return settingsDone_ && midHandDone_; }
    const View& Seen() const { return report_.view; }
    const std::string& SeenLine() const { return report_.text; }
    std::vector<std::string> story; // every click and key, in order
    std::vector<std::string> failed; // the steps that did not do what a person expects
    int throws = 0, claims = 0;
    Screen screen;

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
            if (!settingsDone_) {
                settingsDone_ = true;
                return SettingsSteps();
            }
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
            if (!midHandDone_ && !v.turn && !v.Has("pass") && v.mode == 0 && !v.locked && v.hand.size() >= 7) {
                midHandDone_ = true;
                return MidHandSteps();
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

    // Before the first hand: 设置 opened and closed with its OK.
    void SettingsSteps()
    {
        if (!Expect(
                "settings", [](const View& w) { return w.Has("settings"); }, "the title bar shows no 设置"))
            return;
        Click(report_.view.buttons.at("settings"), "settings (设置)");
        if (!Expect(
                "settings-open", [](const View& w) { return w.board == kBoardSettings && w.Has("ok"); },
                "the settings board did not open"))
            return;
        Click(report_.view.buttons.at("ok"), "settings ok (确定)");
        Expect(
            "settings-closed", [](const View& w) { return w.board == 0 && !w.Has("ok"); },
            "the settings board did not close");
    }

    // The middle of the first hand, the table held: the side panel, the chat, the skill bar and
    // a drag.
    void MidHandSteps()
    {
        server_.Command(R"({"op":"pause"})");
        struct Resume {
            const standin::GameServer& server;
            ~Resume() { server.Command(R"({"op":"resume"})"); }
        } resume{server_};
        PanelSteps();
        ChatSteps();
        SkillBarSteps();
        DragSteps();
    }

    // Folded and unfolded with the splitter, ending unfolded (a panel that starts folded is
    // unfolded first).
    void PanelSteps()
    {
        const bool startsOpen = report_.view.panel;
        for (const bool unfold : startsOpen ? std::vector<bool>{false, true} : std::vector<bool>{true, false, true}) {
            if (!report_.view.Has("splitter"))
                return Fail("panel", "no splitter to click");
            Click(report_.view.buttons.at("splitter"), unfold ? "unfold side panel" : "fold side panel");
            const std::string step = unfold ? "panel-unfolded" : "panel-folded";
            if (!Expect(
                    step, [unfold](const View& w) { return w.panel == int(unfold); }, "the splitter did nothing"))
                return;
        }
    }

    // A typed line and an emoticon, each sent with Enter, each seen in the chat.
    void ChatSteps()
    {
        if (!Expect(
                "chat-input", [](const View& w) { return w.Has("input") && w.Has("faces"); },
                "the side panel shows no input line and emoticon button"))
            return;
        const std::string typed = "byhand " + size_.Name();
        Click(report_.view.buttons.at("input"), "chat input line");
        Tell("type \"" + typed + "\"");
        Xdotool("type --delay 30 '" + typed + "'");
        Key("Return");
        auto sent = Clock::now();
        Expect(
            "chat-typed", [&](const View& w) { return w.ChatHas(typed); }, "the typed line did not come back");
        // 设置 opened and closed with the mouse: the next line goes with no click into the line.
        SettingsSteps();
        std::this_thread::sleep_until(sent + kChatInterval);
        Xdotool("type --delay 30 'after settings'");
        Key("Return");
        sent = Clock::now();
        Expect(
            "chat-after-settings", [](const View& w) { return w.ChatHas("after settings"); },
            "the line typed after 设置 did not come back");
        Click(report_.view.buttons.at("faces"), "emoticon button (表)");
        if (!Expect(
                "faces-open", [](const View& w) { return w.Has("face"); }, "the emoticon picker did not open"))
            return;
        Click(report_.view.buttons.at("face"), "the first emoticon");
        if (!Expect(
                "face-picked", [](const View& w) { return !w.Has("face"); }, "the picker stayed open"))
            return;
        std::this_thread::sleep_until(sent + kChatInterval);
        Key("Return");
        Expect(
            "chat-emoticon", [](const View& w) { return w.ChatHas(kFirstFace); },
            "the emoticon did not come back after Enter");
    }

    void SkillBarSteps()
    {
        if (!report_.view.Has("skillHide"))
            return Fail("skill-folded", "the skill bar offers no fold button");
        Click(report_.view.buttons.at("skillHide"), "fold skill bar");
        if (!Expect(
                "skill-folded", [](const View& w) { return !w.skill && w.Has("skillShow"); },
                "the skill bar did not fold to its show button"))
            return;
        Click(report_.view.buttons.at("skillShow"), "show skill bar");
        Expect(
            "skill-shown", [](const View& w) { return w.skill == 1; }, "the show button did not bring the bar back");
    }

    // A tile pressed with the right button, carried three places right over the hand (the tile
    // follows the pointer) and let go there: it stands where it was dropped.
    void DragSteps()
    {
        const View v = report_.view;
        std::vector<View::Tile> hand = v.hand;
        std::sort(hand.begin(), hand.end(), [](const auto& a, const auto& b) { return a.box.left < b.box.left; });
        if (hand.size() < 6)
            return Fail("drag", "too few tiles to drag");
        const size_t from = 1, to = 4;
        const int tile = hand[from].tile;
        const int y = hand[from].box.Y(), x0 = hand[from].box.X(), x1 = hand[to].box.X();
        Tell("right-button drag of tile " + std::to_string(tile) + " from " + std::to_string(x0) + " to " +
             std::to_string(x1));
        Xdotool("mousemove " + std::to_string(x0) + " " + std::to_string(y));
        Await([](const View&) { return true; }, kSettle * 2);
        Xdotool("mousedown 3");
        int x = x0;
        for (int part = 1; part <= 6; ++part) {
            x = x0 + (x1 - x0) * part / 6;
            Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
            std::this_thread::sleep_for(milliseconds(40)); // a person's hand, not a wait for the client
        }
        auto under = [&](const View& w) {
            return std::any_of(w.hand.begin(), w.hand.end(),
                               [&](const View::Tile& t) { return t.tile == tile && t.box.Contains(x, t.box.Y()); });
        };
        Expect("drag-moving", under, "no tile follows the pointer");
        Xdotool("mouseup 3");
        auto dropped = [&](const View& w) {
            std::vector<View::Tile> now = w.hand;
            std::sort(now.begin(), now.end(), [](const auto& a, const auto& b) { return a.box.left < b.box.left; });
            const auto at = std::find_if(now.begin(), now.end(), [&](const View::Tile& t) { return t.tile == tile; });
            const size_t place = size_t(at - now.begin());
            return now.size() == hand.size() && (place == to || place == to - 1);
        };
        Expect("drag-dropped", dropped, "the dragged tile does not stand where it was dropped");
    }

    // Waits until the view wants what the step expects and has stood still; false after `limit`.
    bool Await(const std::function<bool(const View&)>& want, Clock::duration limit = kStepLimit)
    {
        const auto until = Clock::now() + limit;
        while (Clock::now() < until) {
            report_.Read();
            if (want(report_.view) && Clock::now() - report_.since >= kSettle)
                return true;
            std::this_thread::sleep_for(milliseconds(10));
        }
        return false;
    }

    // The step's check: what a person expects, then what the screen shows.
    bool Expect(const std::string& step, const std::function<bool(const View&)>& want, const std::string& why)
    {
        const bool ok = Await(want);
        if (!ok)
            Fail(step, why);
        screen.CheckStep(step);
        return ok;
    }

    void Fail(const std::string& step, const std::string& why)
    {
        failed.push_back(step);
        ADD_FAILURE() << size_.Name() << ", step " << step << ": " << why << "\nlast view: " << report_.text;
    }

    void Tell(const std::string& what)
    {
        const auto ms = std::chrono::duration_cast<milliseconds>(Clock::now() - started_).count();
        story.push_back(std::to_string(ms / 1000) + "." + std::to_string(ms / 100 % 10) + " s: " + what);
    }

    void Key(const std::string& key)
    {
        Tell("key " + key);
        Xdotool("key " + key);
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
    const standin::GameServer& server_;
    ScreenSize size_;
    std::string actedOn_;
    Clock::time_point actedAt_{};
    bool throwing_ = false;
    bool settingsDone_ = false, midHandDone_ = false;
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

class ByHand : public ::testing::TestWithParam<ScreenSize> {};

TEST_P(ByHand, TwoWholeHandsPlayedAsAPersonDoes)
{
    const ScreenSize size = GetParam();
    xltest::XvfbSession xvfb((size.Name() + "x24").c_str());
    if (!xvfb.Ok())
        GTEST_SKIP() << "Xvfb, xdotool or import is missing";
    // As the run command starts it for a window, with quicker robots; the own chair's time-outs
    // grow with the build's slowness, as the player's steps do.
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--play",
                                "--think-ms", "150", "--hands", "2", "--seed", "3", "--time-scale",
                                std::to_string(kBuildSlowness)});
    const xltest::TempFolder folder("xl-byhand-XXXXXX");
    const std::string& dir = folder.Path();
    const std::string report = dir + "/scene.jsonl";
    const std::string screenFaults = dir + "/screen.txt";
    const std::string artifacts = "byhand-" + size.Name();
    // The scene's report kept beside the screenshots, however the run ends.
    struct KeepReport {
        std::string from, to;
        ~KeepReport()
        {
            std::error_code ignored;
            std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ignored);
        }
    } keep{report, xltest::ArtifactPath(artifacts + "-scene.jsonl")};
    xltest::HallRun run(server, {},
                        {"DISPLAY=" + xvfb.Display(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                         "PATH=/usr/bin:/bin", "XL_SCENE_REPORT=" + report, "XL_SCREEN_CHECK=" + screenFaults,
                         "XL_SCREEN_CHECK_NAME=byhand-" + size.Name()},
                        "xueliu_checked");
    ASSERT_EQ(server.AwaitRequests(200110, 1, 60).size(), 1u) << run.Record();

    Player player(xvfb.Display(), report, screenFaults, server, size);
    for (int hand = 1; hand <= 2; ++hand) {
        const auto deadline = Clock::now() + Paced(seconds(150));
        const bool ended = player.PlayToResult(deadline);
        if (!ended)
            xltest::Screenshot(artifacts + "-stuck.png", size.width, size.height);
        ASSERT_TRUE(ended) << "hand " << hand << " did not reach its result; clicks:\n"
                           << Join(player.story) << "last view: " << player.SeenLine();
        player.screen.CheckStep("result-" + std::to_string(hand));
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
        EXPECT_EQ(table.humanTimeOuts, 0) << "hand " << hand << ": the server acted for the own chair; clicks:\n"
                                          << Join(player.story);
        if (hand == 1) {
            player.ResultRowSteps();
            player.Click(player.Seen().buttons.at("ok"), "continue (继续)");
        }
    }
    EXPECT_GT(player.throws, 0);
    EXPECT_GT(player.claims, 0) << "no claim was offered: the deal does not test taking them";
    EXPECT_TRUE(player.DidSideSteps()) << "no moment for the settings or the mid-hand steps:\n" << Join(player.story);

    // The frame fills the screen: its close button is the title bar's last.
    player.Click({size.width - 24, 1, size.width - 8, 25}, "close");
    std::ofstream(xltest::ArtifactPath(artifacts + "-clicks.txt")) << Join(player.story);
    EXPECT_EQ(run.Wait(60), 0);
    EXPECT_TRUE(player.failed.empty()) << "steps that failed: " << Join(player.failed) << "clicks:\n"
                                       << Join(player.story);
    player.screen.CheckStep("closed");
    EXPECT_TRUE(player.screen.untrue.empty()) << "the screen is not true (pictures in build/artifacts/screen-byhand-*):\n"
                                              << Join(player.screen.untrue);
    EXPECT_EQ(server.Requests(201125).size(), 1u);
    EXPECT_TRUE(server.Requests(201162).empty()) << xltest::Refusals(server, run.Folder() + "/run/game/");
    const std::string log = FileText(run.Folder() + "/run/game/GameRun.log");
    EXPECT_NE(log.find("GameCore Start"), std::string::npos) << "no run log";
    EXPECT_EQ(log.find("dropped"), std::string::npos) << log;
    EXPECT_EQ(server.Errors(), "[]");
}

INSTANTIATE_TEST_SUITE_P(Screens, ByHand,
                         ::testing::Values(ScreenSize{800, 600}, ScreenSize{1280, 800}, ScreenSize{1920, 1080}),
                         [](const ::testing::TestParamInfo<ScreenSize>& info) { return info.param.Name(); });

} // namespace

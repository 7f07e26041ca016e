// A seeded walk of what a person does at the table, off the by-hand test's path: the real client
// with the screen check (xueliu_checked) in a real window under Xvfb, started by the hall stand-in
// against the game-server stand-in with robots, the own chair left to the walk. Each step the seed
// picks one action: a click anywhere, on a visible button or a hand tile, a right-button drag, wheel
// notches, a key, a typed line sent with Enter (after a click on the input line or without one),
// a window resize among the sizes players use, a splitter fold, the settings board opened and
// closed each way, auto-play on and off. Between them the walk answers what the hand asks of the own
// chair before its time runs out (start, exchange, missing suit, claims, throws, "继续"; a board's
// choice whole, as a player makes it), so hands go on; the server acting for the own chair even once
// is a fault.
//
// After each step: the screen check's faults; the side panel's parts within the panel and clear of
// each other; a claim label clear of the other seats' tiles and panels and of the side panel; the
// claim arrow over the meld tile it points at; a typed line reached the server when the keys were
// the input line's (clicked, and since then only boards opened and closed, never a click elsewhere);
// every ten steps and after the last (answering only), the server's table moved on and never acted
// for the own chair. After a resize or a fold, the view is laid out as a client started at that
// size and fold: the boxes of the side panel, its parts, the frame's buttons and the seat panels
// equal those a fresh client shows (one started per size and fold, its report kept): two clients,
// since a layout computed anew inside the same client could share the state that went stale.
//
// A fault names the seed and the steps, timed from the walk's start (also kept in
// build/artifacts/explore-<seed>.txt, the views the walk met in explore-<seed>-scene.jsonl, the
// client's, the hall's and the stand-in's logs in explore-<seed>-logs/, as when the walk cannot
// start); tools/explore.sh --seed N --steps M walks that seed again (XL_EXPLORE_SEED and
// XL_EXPLORE_STEPS name the one walk then; the suite's are 11 and 29, 150 steps each): the same
// kinds of steps, though the hand's course, and so what they meet, follows the machine's pace.
#include "ServerTable.h"
#include "support/GameServerStandIn.h"
#include "support/HallRun.h"
#include "support/RigRegistry.h"
#include "support/SceneReport.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace xltest;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

struct Size {
    int width, height;
    std::string Name() const { return std::to_string(width) + "x" + std::to_string(height); }
};
const Size kSizes[] = {{800, 600}, {1024, 768}, {1280, 800}, {1600, 900}, {1920, 1080}};
const Size kScreen = kSizes[std::size(kSizes) - 1]; // the walk's screen
// The chat's requests: the plain one and the one the input line sends.
constexpr uint32_t kChatRequests[] = {201210, 201211};
// The server's time-outs, stretched: a fresh client's start may come between a prompt and its answer
// (and grown with the build's slowness, as the walk's steps are).
constexpr double kTimeScale = 3.0;
// A decision the walk has not answered by chance this long is answered now.
constexpr seconds kAnswerAfter{6};
// A report that stands this long is a view laid out and drawn.
constexpr milliseconds kStand{250};
// The input bar sends one line a second at most.
constexpr milliseconds kChatInterval{1100};
// A walk stops after faults in this many steps: later ones may only follow from them.
constexpr size_t kFaultySteps = 8;
// The server's table unchanged over this many steps and this long: the hand stands still. Both:
// steps come fast while the table waits on the deal or on the own chair, and one step can be long
// (a fresh client's start).
constexpr int kStillSteps = 40;
constexpr auto kStillTime = Paced(seconds(30));
// The boxes the layout decides from the window's size and the fold alone.
const char* const kStaticBoxes[] = {"side",  "users",    "chatBox",  "inputBar", "seat0", "seat1", "seat2",
                                    "seat3", "splitter", "settings", "input",    "send",  "faces"};

using Boxes = std::map<std::string, Box>;

// The "name":[l,t,r,b] pairs of the report's object that starts with `key`.
Boxes BoxesOf(const std::string& line, const std::string& key)
{
    static const std::regex pair(R"re("(\w+)":\[(-?\d+),(-?\d+),(-?\d+),(-?\d+)\])re");
    const std::string section = Section(line, "\"" + key + "\":{", "}");
    Boxes out;
    for (std::sregex_iterator m(section.begin(), section.end(), pair), end; m != end; ++m)
        out[(*m)[1]] = {std::stoi((*m)[2]), std::stoi((*m)[3]), std::stoi((*m)[4]), std::stoi((*m)[5])};
    return out;
}

// The boxes a layout decides (the layout's and the controls'), as one map.
Boxes Layout(const std::string& line)
{
    Boxes all = BoxesOf(line, "layout");
    for (const auto& [name, box] : BoxesOf(line, "buttons"))
        all[name] = box;
    return all;
}

bool Meet(const Box& a, const Box& b)
{
    return !a.Empty() && !b.Empty() && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Inside(const Box& in, const Box& out)
{
    return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
}
std::string Text(const Box& b)
{
    return "[" + std::to_string(b.left) + "," + std::to_string(b.top) + "," + std::to_string(b.right) + "," +
        std::to_string(b.bottom) + "]";
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Hex(const std::string& text)
{
    std::string out;
    for (const unsigned char c : text)
        out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return out;
}

// A running client of the hall stand-in on its own display, read through its report.
struct Client {
    Client(const standin::GameServer& server, const XvfbSession& x, const std::string& dir, const std::string& name)
        : display(x.Display()),
          report(dir + "/scene-" + name + ".jsonl"),
          faults(dir + "/screen-" + name + ".txt"),
          run(server, {},
              {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy", "PATH=/usr/bin:/bin",
               "XL_SCENE_REPORT=" + dir + "/scene-" + name + ".jsonl", "XL_SCENE_LAYOUT=1", "XL_SCREEN_CHECK=" + faults,
               "XL_SCREEN_CHECK_NAME=" + name},
              "xueliu_checked")
    {
    }
    void Xdotool(const std::string& command) const
    {
        std::system(("DISPLAY=" + display + " xdotool " + command + " >/dev/null 2>&1").c_str());
    }
    // Waits until what `key` reads of the report (by default the view's signature: what a player
    // could act on) has stood kStand and `want` holds; false after `limit`.
    bool Stand(const std::function<bool(const View&)>& want, Clock::duration limit = seconds(8),
               const std::function<std::string()>& key = {})
    {
        std::string last = key ? key() : signature_;
        auto since = key ? Clock::now() : signatureSince_;
        for (const auto until = Clock::now() + limit; Clock::now() < until;) {
            report.Read();
            if (report.view.signature != signature_) {
                signature_ = report.view.signature;
                signatureSince_ = Clock::now();
            }
            if (const std::string now = key ? key() : signature_; now != last) {
                last = now;
                since = Clock::now();
            } else if (Clock::now() - since >= kStand && want(report.view)) {
                return true;
            }
            std::this_thread::sleep_for(milliseconds(10));
        }
        return false;
    }
    void Click(const Box& b, int button = 1) const
    {
        Xdotool("mousemove " + std::to_string(b.X()) + " " + std::to_string(b.Y()) + " click " +
                std::to_string(button));
    }

    std::string display;
    Report report;
    std::string faults;
    HallRun run;

private:
    std::string signature_;
    Clock::time_point signatureSince_ = Clock::now();
};

// The static boxes of a client started at each size and fold: one start each, kept for the run.
class FreshLayouts {
public:
    explicit FreshLayouts(std::string dir) : dir_(std::move(dir)) {}
    const Boxes& At(Size size, bool open)
    {
        const std::string key = size.Name() + (open ? "-open" : "-folded");
        if (const auto at = cache_.find(key); at != cache_.end())
            return at->second;
        Boxes& boxes = cache_[key];
        XvfbSession x((size.Name() + "x24").c_str());
        standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--play"});
        Client fresh(server, x, dir_, "fresh-" + key);
        const auto ready = [](const View& v) { return v.Has("splitter") && v.Has("start"); };
        if (!fresh.Stand(ready, seconds(30)))
            return boxes;
        if (fresh.report.view.panel != int(open)) {
            fresh.Click(fresh.report.view.buttons.at("splitter"));
            fresh.Stand([open](const View& v) { return v.panel == int(open); });
        }
        boxes = Layout(fresh.report.text);
        return boxes;
    }

private:
    std::string dir_;
    std::map<std::string, Boxes> cache_;
};

class Explorer {
public:
    Explorer(uint32_t seed, const standin::GameServer& server, const XvfbSession& x, const std::string& dir)
        : seed_(seed),
          rng_(seed),
          server_(server),
          client_(server, x, dir, "explore-" + std::to_string(seed)),
          fresh_(dir),
          dir_(dir)
    {
    }

    // The table reported and its window found: the client's window that fills the screen. The
    // client may report before the window is mapped, and its wait dialog may still be shown.
    bool Started()
    {
        if (!client_.Stand([](const View& v) { return v.phase >= 0; }, Paced(seconds(60))))
            return false;
        const std::string x = "DISPLAY=" + client_.display + " xdotool ";
        const std::string command = "for w in $(" + x + "search --onlyvisible --pid " +
            std::to_string(client_.run.ClientPid()) + " 2>/dev/null); do " + x + "getwindowgeometry --shell $w; done";
        for (const auto until = Clock::now() + Paced(seconds(30)); Clock::now() < until;) {
            std::string shell;
            if (FILE* out = ::popen(command.c_str(), "r")) {
                for (char line[128]; std::fgets(line, sizeof line, out);)
                    shell += line;
                ::pclose(out);
            }
            // WINDOW=, X=, Y=, WIDTH=, HEIGHT=, SCREEN= for each window.
            static const std::regex window(R"(WINDOW=(\d+)\n(?:\w+=-?\d+\n)*?WIDTH=(\d+)\nHEIGHT=(\d+))");
            for (std::sregex_iterator m(shell.begin(), shell.end(), window), end; m != end; ++m)
                if (std::stoi((*m)[2]) == kScreen.width && std::stoi((*m)[3]) == kScreen.height)
                    window_ = std::stoul((*m)[1]);
            if (window_ != 0)
                return true;
            std::this_thread::sleep_for(milliseconds(100));
        }
        return false;
    }

    const HallRun& Run() const { return client_.run; }

    void Walk(int count)
    {
        for (step_ = 1; step_ <= count && faultySteps_.size() < kFaultySteps; ++step_) {
            // Every step draws the same numbers whatever it does, so a seed picks the same actions.
            const uint32_t kind = Next(100), a = Next(1 << 16), b = Next(1 << 16), c = Next(1 << 16);
            client_.Stand([](const View&) { return true; }, seconds(3));
            const View v = client_.report.view;
            autoOn_ = Int(client_.report.text, "auto") > 0;
            // A third of the steps answer the hand (or wait when it asks nothing), whatever the
            // hand's pace: a seed then takes the same kinds of steps on every run.
            const bool answering = kind % 3 == 0, pending = Pending(v);
            const std::string before = Statics();
            moves_ = false;
            const bool relayout = pending && (answering || Clock::now() - pendingSince_ > kAnswerAfter) ? Answer(v, a)
                : answering ? (Tell("a moment's pause"), false)
                            : Act(v, kind, a, b, c);
            Check(relayout, before);
            if (kill(client_.run.ClientPid(), 0) != 0)
                return Fault("the client is gone");
            if (step_ % 10 == 0 || step_ == count)
                CheckTable();
        }
        // A stall the last steps began is not yet still long enough: answering only, the hand
        // must move on.
        for (const auto until = Clock::now() + kStillTime; faultySteps_.size() < kFaultySteps && !CheckTable();) {
            if (Clock::now() > until)
                return Fault("the hand stood still after the walk");
            client_.Stand([](const View&) { return true; }, seconds(1));
            autoOn_ = Int(client_.report.text, "auto") > 0;
            if (Pending(client_.report.view))
                Answer(client_.report.view, 1);
        }
    }

    std::string Story() const
    {
        std::string out;
        for (const auto& s : story)
            out += s + "\n";
        return out;
    }

    std::vector<std::string> story, faults;

private:
    uint32_t Next(uint32_t n) { return uint32_t(rng_() % n); }

    void Tell(const std::string& what)
    {
        const auto ms = std::chrono::duration_cast<milliseconds>(Clock::now() - start_).count();
        story.push_back(std::to_string(step_) + " (" + std::to_string(ms / 1000) + "." + std::to_string(ms / 100 % 10) +
                        "s): " + what);
    }
    void Fault(const std::string& what)
    {
        if (!seen_.insert(what).second)
            return story.push_back("   (again) " + what);
        faults.push_back("step " + std::to_string(step_) + ": " + what);
        faultySteps_.insert(step_);
        story.push_back("   FAULT " + what);
    }
    void Click(const Box& b, const std::string& what, int button = 1)
    {
        Tell(what + " at " + std::to_string(b.X()) + "," + std::to_string(b.Y()));
        client_.Click(b, button);
    }
    void Key(const std::string& key)
    {
        Tell("key " + key);
        client_.Xdotool("key " + key);
    }

    // What the hand waits for from the own chair.
    bool Pending(const View& v)
    {
        const bool pending = (v.phase == kPhaseIdle && v.Has("start")) ||
            (v.phase == kPhaseExchange && v.board == kBoardExchange) ||
            (v.phase == kPhaseMissing && v.board == kBoardMissing) ||
            (v.phase == kPhasePlay && (v.turn || v.Has("pass"))) || (v.board == kBoardResult && v.Has("ok")) ||
            v.board == kBoardSettings; // it may hide what the hand asks
        if (!pending || !wasPending_)
            pendingSince_ = Clock::now();
        wasPending_ = pending;
        // Auto-play takes the own turns and claims, not the boards.
        return pending && !(autoOn_ && v.phase == kPhasePlay && v.board == 0);
    }

    // Answers it as a player does, a board's choice whole (random clicks between its clicks would
    // undo it): each click shows, and the choice ends confirmed in a few clicks. Returns false (no
    // relayout).
    bool Answer(View v, uint32_t a)
    {
        const int kind = v.board;
        const auto choosing = [kind](const View& w) {
            return w.board == kind &&
                ((w.phase == kPhaseExchange && kind == kBoardExchange) ||
                 (w.phase == kPhaseMissing && kind == kBoardMissing));
        };
        if (!choosing(v))
            return AnswerOnce(v, a), false;
        const std::string board = kind == kBoardExchange ? "the exchange board" : "the missing-suit board";
        for (int click = 0, unseen = 0; choosing(v); ++click) {
            if (click == 8)
                return Fault(board + "'s choice took more than 8 clicks"), false;
            if (!AnswerOnce(v, a))
                return Fault(board + " offers no click to make or confirm its choice"), false;
            const std::string before = v.signature;
            unseen =
                client_.Stand([&](const View& w) { return w.signature != before; }, Paced(seconds(5))) ? 0 : unseen + 1;
            if (unseen == 2)
                return Fault(board + " showed nothing of two clicks"), false;
            v = client_.report.view;
        }
        return false;
    }

    // One click of the answer; false when it found none to make.
    bool AnswerOnce(const View& v, uint32_t a)
    {
        if (v.Has("details")) {
            // A player's details opened over the table may hide what the hand asks: closed first, by a
            // right click on the board.
            Click(v.buttons.at("details"), "answer: close the player's details", 3);
        } else if (v.board == kBoardSettings) {
            // Escape closes it only while it has the keys: a click elsewhere may have taken them.
            if (v.Has("ok"))
                Click(v.buttons.at("ok"), "answer: settings ok");
            else
                Key("Escape");
        } else if (v.Has("start") && v.phase == kPhaseIdle) {
            Click(v.buttons.at("start"), "answer: start");
        } else if (v.board == kBoardExchange) {
            int suit = v.chosen.empty() ? -1 : Suit(v.chosen[0]);
            std::array<int, 3> count{};
            for (const auto& t : v.hand)
                ++count[size_t(Suit(t.tile))];
            if (suit < 0 || count[size_t(suit)] < 3)
                suit = int(std::max_element(count.begin(), count.end()) - count.begin());
            const auto chosen = [&](int tile) { return std::count(v.chosen.begin(), v.chosen.end(), tile) != 0; };
            for (const auto& t : v.hand)
                if (v.chosen.size() < 3 ? Suit(t.tile) == suit && !chosen(t.tile)
                                        : chosen(t.tile) && Suit(t.tile) != suit)
                    return keysInInput_ = false, Click(t.box, "answer: exchange tile " + std::to_string(t.tile)), true;
            if (!v.Has("ok"))
                return false;
            Click(v.buttons.at("ok"), "answer: exchange ok");
        } else if (v.board == kBoardMissing) {
            if (v.checks.size() != 3)
                return false;
            // Any suit, the board's recommendation or not: the chosen one must go.
            const size_t suit = a % 3;
            if (!v.checks[suit].on)
                Click(v.checks[suit].box, "answer: missing suit " + std::to_string(suit));
            else if (v.Has("ok"))
                Click(v.buttons.at("ok"), "answer: missing ok");
            else
                return false;
        } else if (v.board == kBoardResult) {
            Click(v.buttons.at("ok"), "answer: continue");
        } else if (v.Has("pass")) {
            const char* claim = v.Has("hu") ? "hu" : v.Has("gang") ? "gang" : v.Has("peng") ? "peng" : "pass";
            Click(v.buttons.at(a % 3 == 0 ? "pass" : claim), std::string("answer: ") + (a % 3 ? claim : "pass"));
        } else if (!v.hand.empty()) {
            // The missing suit first, then a tile the gang choice allows, the drawn tile or any.
            const View::Tile* pick = &v.hand[a % v.hand.size()];
            for (const auto& t : v.hand)
                if (v.mode == kHandGangChoice ? !t.dim : v.locked ? t.tile == v.drawn : Suit(t.tile) == v.missing)
                    pick = &t;
            keysInInput_ = false;
            Click(pick->box, "answer: throw " + std::to_string(pick->tile));
        } else {
            return false;
        }
        return true;
    }

    // One of a person's actions; true when it changed the window's size or the fold.
    bool Act(const View& v, uint32_t kind, uint32_t a, uint32_t b, uint32_t c)
    {
        const Size size = size_;
        std::vector<std::string> names;
        for (const auto& [name, box] : v.buttons) // on the window; the result's second button leaves the table
            if (box.X() < size.width && box.Y() < size.height &&
                !(v.board == kBoardResult && name.starts_with("board")))
                names.push_back(name);
        if (kind < 14) {
            // Anywhere but the title bar's window buttons (closing is not exploring).
            const Box at{int(a % uint32_t(size.width)), int(b % uint32_t(size.height)), 0, 0};
            if (at.top < 30 && at.left > size.width - 160)
                return Tell("click near the window buttons: left alone"), false;
            keysInInput_ = false; // a click elsewhere may take the keys
            Click({at.left, at.top, at.left + 1, at.top + 1}, "click");
        } else if (kind < 32 && !names.empty()) {
            const std::string& name = names[a % names.size()];
            if (name == "input")
                keysInInput_ = true;
            else if (name != "settings" && name != "ok" && !name.starts_with("board") && name != "face" &&
                     name != "faces")
                keysInInput_ = false;
            Click(v.buttons.at(name), "button " + name);
            if (name == "send" || name == "face")
                SeenSent();
            return moves_ = name == "splitter";
        } else if (kind < 42 && !v.hand.empty()) {
            keysInInput_ = false;
            Click(v.hand[a % v.hand.size()].box, "hand tile " + std::to_string(v.hand[a % v.hand.size()].tile));
        } else if (kind < 47 && v.hand.size() > 1) {
            const Box from = v.hand[a % v.hand.size()].box, to = v.hand[b % v.hand.size()].box;
            Tell("right-drag from " + std::to_string(from.X()) + " to " + std::to_string(to.X()));
            client_.Xdotool("mousemove " + std::to_string(from.X()) + " " + std::to_string(from.Y()) + " mousedown 3");
            for (int part = 1; part <= 4; ++part)
                client_.Xdotool("mousemove " + std::to_string(from.X() + (to.X() - from.X()) * part / 4) + " " +
                                std::to_string(from.Y()));
            client_.Xdotool("mouseup 3");
        } else if (kind < 55) {
            const Boxes layout = Layout(client_.report.text);
            const Box over = !v.list.Empty() ? v.list : layout.count("chatBox") ? layout.at("chatBox") : Box{};
            const Box at = c % 2 && !over.Empty()
                ? over
                : Box{int(a % uint32_t(size.width)), 30 + int(b % uint32_t(size.height - 30)), 0, 0};
            const int notches = 1 + int(c / 2 % 3);
            const int x = over.Empty() || c % 2 == 0 ? at.left : at.X(),
                      y = over.Empty() || c % 2 == 0 ? at.top : at.Y();
            Tell("wheel " + std::string(c / 8 % 2 ? "up " : "down ") + std::to_string(notches) + " at " +
                 std::to_string(x) + "," + std::to_string(y));
            client_.Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click --repeat " +
                            std::to_string(notches) + " --delay 60 " + (c / 8 % 2 ? "4" : "5"));
        } else if (kind < 62) {
            static const char* const keys[] = {"Escape", "Return", "Tab", "space", "a", "Up", "Down", "BackSpace"};
            const std::string key = keys[a % 8];
            if (key == "Tab")
                keysInInput_ = false;
            Key(key);
            if (key == "Return")
                SeenSent();
        } else if (kind < 72) {
            TypeLine(v, a % 3 != 0);
        } else if (kind < 79) {
            const Size to = kSizes[a % std::size(kSizes)];
            Tell("resize to " + to.Name());
            client_.Xdotool("windowsize " + std::to_string(window_) + " " + std::to_string(to.width) + " " +
                            std::to_string(to.height));
            moves_ = to.width != size_.width || to.height != size_.height;
            size_ = to;
            return true;
        } else if (kind < 86 && v.Has("splitter")) {
            Click(v.buttons.at("splitter"), v.panel ? "fold the side panel" : "unfold the side panel");
            return moves_ = true;
        } else if (kind < 93 && v.Has("settings") && v.board == 0) {
            // Half the time as one who was typing: the keys go back to the input line after it.
            const bool typing = b / 3 % 2 && Reachable(v);
            if (typing) {
                Click(v.buttons.at("input"), "input line");
                keysInInput_ = true;
            }
            Click(v.buttons.at("settings"), "settings");
            // The hand's own board may come first: settings may then wait or stay shut.
            if (!client_.Stand([](const View& w) { return w.board != 0; }))
                return Fault("the settings button opened no board"), false;
            if (client_.report.view.board != kBoardSettings)
                return Tell("another board came first"), false;
            const View open = client_.report.view;
            const std::string way = b % 3 == 0 ? "ok" : b % 3 == 1 ? "board1" : "Escape";
            if (way == "Escape" || !open.Has(way))
                Key("Escape");
            else
                Click(open.buttons.at(way), "settings " + way);
            if (!client_.Stand([](const View& w) { return w.board != kBoardSettings; }))
                Fault("the settings board stayed open after " + way);
            else if (typing)
                TypeLine(client_.report.view, false);
        } else if (v.Has("autoplay")) {
            keysInInput_ = false;
            Click(v.buttons.at("autoplay"), autoOn_ ? "auto-play off by its button" : "auto-play on by its button");
        } else {
            Tell("nothing to do");
        }
        return false;
    }

    // A line typed and sent with Enter, after a click on the input line or straight away; it must
    // reach the server when the keys went to the input line.
    bool Reachable(const View& v) const { return v.Has("input") && v.buttons.at("input").X() < size_.width; }

    size_t ChatRequests() const
    {
        size_t n = 0;
        for (const uint32_t id : kChatRequests)
            n += server_.Requests(id).size();
        return n;
    }

    // A key or button that may have sent what the input line held (an emoticon picked, say): the
    // bar counts its second from that line too, so the next typed line waits from when it is seen
    // at the server.
    void SeenSent()
    {
        const size_t before = ChatRequests();
        for (const auto until = Clock::now() + Paced(seconds(1)); Clock::now() < until;) {
            if (ChatRequests() != before) {
                lastLine_ = Clock::now();
                return;
            }
            std::this_thread::sleep_for(milliseconds(50));
        }
    }

    void TypeLine(const View& v, bool clickFirst)
    {
        const bool reachable = Reachable(v);
        if (clickFirst && reachable) {
            Click(v.buttons.at("input"), "input line");
            keysInInput_ = true;
        }
        const std::string line = "x" + std::to_string(seed_) + "s" + std::to_string(step_);
        std::this_thread::sleep_until(lastLine_ + kChatInterval);
        Tell("type \"" + line + "\" and Enter" + (keysInInput_ ? "" : " (the keys may be elsewhere)"));
        client_.Xdotool("type --delay 20 " + line); // "type" takes every word after it as text
        client_.Xdotool("key Return");
        const auto arrived = [&] {
            for (const uint32_t id : kChatRequests)
                for (const auto& r : server_.Requests(id))
                    if (r.find(Hex(line)) != std::string::npos)
                        return true;
            return false;
        };
        // The bar counts its second from the line it sent, which a busy client sends late: the next
        // line waits from when this one is seen at the server (for a moment when the keys may be
        // elsewhere).
        const bool sure = keysInInput_ && reachable;
        for (const auto until = Clock::now() + (sure ? seconds(5) : seconds(1)); !arrived();) {
            if (Clock::now() > until) {
                lastLine_ = Clock::now();
                if (sure) { // the screen shows where the keys went
                    Fault("the typed line \"" + line + "\" did not reach the server");
                    Screenshot("explore-" + std::to_string(seed_) + "-" + line + ".png", size_.width, size_.height);
                }
                return;
            }
            std::this_thread::sleep_for(milliseconds(50));
        }
        lastLine_ = Clock::now();
    }

    // The hand goes on, and never by the server's hand for the own chair; true when it moved.
    bool CheckTable()
    {
        const ServerTable table = ReadTable(server_, dir_);
        const std::string progress = std::to_string(table.handsPlayed) + " " + std::to_string(table.phase) + " " +
            std::to_string(table.tilesLeft);
        Tell("the server's table: hands played, phase, tiles left " + progress);
        if (table.humanTimeOuts != timeOuts_)
            Fault("the server acted for the own chair (" + std::to_string(table.humanTimeOuts) + " times so far)");
        timeOuts_ = table.humanTimeOuts;
        if (progress != progress_) {
            progressStep_ = step_;
            progressAt_ = Clock::now();
        } else if (step_ - progressStep_ >= kStillSteps && Clock::now() - progressAt_ >= kStillTime)
            Fault("the hand stood still for " + std::to_string(step_ - progressStep_) + " steps");
        return std::exchange(progress_, progress) != progress;
    }

    // The boxes the window's size and the fold decide, as the report stands.
    std::string Statics() const
    {
        std::string out;
        const Boxes now = Layout(client_.report.text);
        for (const char* name : kStaticBoxes)
            out += now.count(name) ? Text(now.at(name)) : "-";
        return out;
    }

    // `before`: the static boxes before the step. A busy client lays out a resize or a fold when it
    // gets to it: the boxes must first move (when the step moves them), then stand.
    void Check(bool relayout, const std::string& before)
    {
        client_.Stand([](const View&) { return true; }, seconds(2));
        if (relayout)
            client_.Stand([&](const View&) { return !moves_ || Statics() != before; }, Paced(seconds(8)),
                          [&] { return Statics(); });
        // The table's window resized or its panel folded moves the table's boxes: when none moved,
        // the step met another window, or the table laid nothing out. Its layout, unchanged, is
        // then no news.
        if (relayout && moves_ && Statics() == before) {
            Fault("the step moved no box of the table (window " + std::to_string(window_) + ")");
            relayout = false;
        }
        const View v = client_.report.view;
        const Boxes layout = Layout(client_.report.text);
        const std::string text = FileText(client_.faults);
        for (size_t at = screenSeen_, end; at < text.size(); at = end + 1) {
            end = std::min(text.find('\n', at), text.size());
            Fault("screen: " + text.substr(at, end - at));
        }
        screenSeen_ = text.size();
        const auto has = [&](const std::string& n) { return layout.count(n) != 0; };
        if (v.panel && has("side")) {
            const char* parts[] = {"users", "chatBox", "inputBar", "input", "send", "faces"};
            for (const char* p : parts)
                if (has(p) && !Inside(layout.at(p), layout.at("side")))
                    Fault(std::string("the side panel's ") + p + " " + Text(layout.at(p)) + " leaves the panel " +
                          Text(layout.at("side")));
            for (size_t i = 0; i < 3; ++i)
                for (size_t j = i + 1; j < 3; ++j)
                    if (has(parts[i]) && has(parts[j]) && Meet(layout.at(parts[i]), layout.at(parts[j])))
                        Fault(std::string("the side panel's ") + parts[i] + " " + Text(layout.at(parts[i])) +
                              " stands over its " + parts[j] + " " + Text(layout.at(parts[j])));
        }
        for (int s = 0; s < 4; ++s) {
            const std::string label = "label" + std::to_string(s);
            if (!has(label))
                continue;
            for (int o = 0; o < 4; ++o)
                for (const std::string what : {"tiles", "seat"})
                    if (o != s && has(what + std::to_string(o)) &&
                        Meet(layout.at(label), layout.at(what + std::to_string(o))))
                        Fault("seat " + std::to_string(s) + "'s claim label " + Text(layout.at(label)) +
                              " stands over seat " + std::to_string(o) + "'s " + what + " " +
                              Text(layout.at(what + std::to_string(o))));
            if (v.panel && has("side") && Meet(layout.at(label), layout.at("side")))
                Fault("seat " + std::to_string(s) + "'s claim label stands over the side panel");
        }
        // A claim button offered stands over no seat's tiles, laid or thrown.
        for (const char* button : {"pass", "hu", "gang", "peng"})
            for (int s = 0; s < 4 && has(button); ++s)
                for (const std::string what : {"tiles", "discards"})
                    if (has(what + std::to_string(s)) && Meet(layout.at(button), layout.at(what + std::to_string(s))))
                        Fault(std::string("the claim button ") + button + " " + Text(layout.at(button)) +
                              " stands over seat " + std::to_string(s) + "'s " + what + " " +
                              Text(layout.at(what + std::to_string(s))));
        if (has("arrow") && has("arrowAt")) {
            const Box arrow = layout.at("arrow"), at = layout.at("arrowAt");
            if (std::abs(arrow.X() - at.X()) > 1 || std::abs(arrow.bottom - at.top) > 2)
                Fault("the claim arrow " + Text(arrow) + " is not over its meld tile " + Text(at));
        }
        // A fresh client fills its screen; a window resized below the walk's screen is a restored
        // one, which from 1280 pixels on takes the narrow panel and the narrow tiles: there the
        // two differ by design, and only the checks above apply.
        const bool sameState = size_.width == kScreen.width || size_.width < 1280;
        if (relayout && sameState) {
            const Boxes& fresh = fresh_.At(size_, v.panel != 0);
            int compared = 0;
            for (const char* name : kStaticBoxes) {
                const auto live = layout.find(name), want = fresh.find(name);
                compared += live != layout.end() && want != fresh.end();
                if (live != layout.end() && want != fresh.end() && !(Text(live->second) == Text(want->second)))
                    Fault(std::string(name) + " stands at " + Text(live->second) + ", a fresh client's at " +
                          Text(want->second) + " (" + size_.Name() + (v.panel ? ", open)" : ", folded)"));
            }
            Tell("laid out as a fresh client at " + size_.Name() + ": " + std::to_string(compared) + " boxes compared");
            if (compared < 6)
                Fault("too few boxes to compare with a fresh client at " + size_.Name());
        }
    }

    uint32_t seed_;
    std::mt19937 rng_; // fully specified: the same numbers on every machine
    const standin::GameServer& server_;
    Client client_;
    FreshLayouts fresh_;
    std::string dir_;
    Size size_ = kSizes[std::size(kSizes) - 1];
    int step_ = 0;
    unsigned long window_ = 0;
    size_t screenSeen_ = 0;
    int timeOuts_ = 0, progressStep_ = 0;
    std::string progress_;
    std::set<std::string> seen_;
    std::set<int> faultySteps_;
    bool keysInInput_ = false, wasPending_ = false, autoOn_ = false;
    bool moves_ = false; // the step must move the static boxes
    Clock::time_point pendingSince_ = Clock::now(), lastLine_{}, start_ = Clock::now(), progressAt_ = Clock::now();
};

// The client's logs (its program folder's), the hall's record and the stand-in's output, kept in
// build/artifacts/<name>-logs.
void KeepLogs(const standin::GameServer& server, const HallRun& run, const std::string& name)
{
    namespace fs = std::filesystem;
    const fs::path into = ArtifactPath(name + "-logs");
    std::error_code e;
    fs::remove_all(into, e);
    fs::create_directories(into, e);
    fs::copy_file(server.Log(), into / "server.log", e);
    fs::copy_file(run.Folder() + "/record.jsonl", into / "hall.jsonl", e);
    for (fs::recursive_directory_iterator it(run.Folder(), e), end; it != end; it.increment(e))
        if (it->is_regular_file(e) && it->path().extension() == ".log")
            fs::copy_file(it->path(), into / it->path().filename(), fs::copy_options::overwrite_existing, e);
}

void ExploreAt(uint32_t seed, int steps)
{
    XvfbSession x("1920x1080x24");
    if (!x.Ok())
        GTEST_SKIP() << "Xvfb, xdotool or import is missing";
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--play",
                                "--think-ms", "150", "--seed", std::to_string(seed), "--time-scale",
                                std::to_string(kTimeScale * kBuildSlowness), "--verbose"},
                               true);
    const TempFolder folder("xl-explore-XXXXXX");
    const std::string& dir = folder.Path();
    Explorer walk(seed, server, x, dir);
    const std::string name = "explore-" + std::to_string(seed);
    if (!walk.Started()) {
        KeepLogs(server, walk.Run(), name);
        Screenshot(name + "-start.png", kScreen.width, kScreen.height);
        FAIL() << "the client showed no table (its, the hall's and the stand-in's logs in " << ArtifactPath(name)
               << "-logs)";
    }
    walk.Walk(steps);
    std::ofstream(ArtifactPath(name + ".txt")) << walk.Story();
    if (!walk.faults.empty()) {
        KeepLogs(server, walk.Run(), name);
        Screenshot(name + "-last.png", 1920, 1080);
    }
    std::string faults;
    for (const auto& f : walk.faults)
        faults += f + "\n";
    EXPECT_TRUE(walk.faults.empty()) << "seed " << seed << ", " << steps << " steps (tools/explore.sh --seed " << seed
                                     << " --steps " << steps << "):\n"
                                     << faults << "steps:\n"
                                     << walk.Story();
    if (std::error_code e; !walk.faults.empty()) // the views the walk met, for its story
        std::filesystem::copy_file(dir + "/scene-" + name + ".jsonl", ArtifactPath(name + "-scene.jsonl"),
                                   std::filesystem::copy_options::overwrite_existing, e);
}

// The walks of the suite, or the one seed of the environment (tools/explore.sh walks a seed
// again: XL_EXPLORE_SEED, XL_EXPLORE_STEPS).
std::vector<uint32_t> Seeds()
{
    const char* seed = std::getenv("XL_EXPLORE_SEED");
    if (seed && *seed)
        return {uint32_t(std::strtoul(seed, nullptr, 10))};
    return {11u, 29u};
}

int Steps()
{
    const char* steps = std::getenv("XL_EXPLORE_STEPS");
    return steps && *steps ? std::atoi(steps) : 150;
}

class Explore : public ::testing::TestWithParam<uint32_t> {};

TEST_P(Explore, AWalkOfAPersonsActionsKeepsTheTableTrue) { ExploreAt(GetParam(), Steps()); }

INSTANTIATE_TEST_SUITE_P(Screens, Explore, ::testing::ValuesIn(Seeds()),
                         [](const ::testing::TestParamInfo<uint32_t>& seed) { return std::to_string(seed.param); });

} // namespace

// From a real click to the request's bytes at the game server, through the whole client: the
// built client on a private Xvfb, started by the hall stand-in against the game-server stand-in
// (robots without thinking time, a wall that offers the own chair a peng on each of its first
// turns: tools/server/walls/many_pengs.json). The bench plays the own chair with the mouse as
// the by-hand test does and times two clicks, pressed through XTest once the pointer rests on
// the thing: a hand tile on the own turn (the throw) and the peng button (the claim), each from
// the edge that sent it (the client sends on the release) to the arrival of its request at the
// stand-in (its "arrivals", on the clock of CLOCK_MONOTONIC: the kernel's receive time, so that a
// stand-in slow to read does not count).
// The anchor in the same run is a bare program of the display library that writes to a socket
// on each button-down, stamped the way the stand-in stamps (bench/xueliu/arrival_clock.py) and
// clicked once before each timed click of the table, so that both see the same load. It starts
// its own Xvfb (skipped without one or without XTest) and takes some eight minutes, about 25
// hands.
#include "bench/support/FakeClick.h"
#include "tests/support/GameServerStandIn.h"
#include "tests/support/HallRun.h"
#include "tests/support/SceneReport.h"
#include "tests/support/TiedChild.h"
#include "tests/support/XvfbSession.h"

#include <SDL.h>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <tuple>

namespace {

using benchsupport::FakeInput;
using benchsupport::Latencies;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Clicks of each kind; XL_CLICKS=N for a shorter look.
const size_t kClicks = std::getenv("XL_CLICKS") ? size_t(std::max(1, std::atoi(std::getenv("XL_CLICKS")))) : 100;
constexpr uint32_t kThrowRequest = 222080, kPengRequest = 229010;
using xltest::kRetry, xltest::kSettle, xltest::kStall;
constexpr seconds kLongest{900};

double Now() { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); }

double Load()
{
    double one = 0;
    std::ifstream("/proc/loadavg") >> one;
    return one;
}

// A timed click: the edge that sent its request and the request's arrival.
struct TimedClick {
    double edge, arrival;
    bool onPress;
};

// The client's trace (XL_CLICK_TRACE): its button events, sends and spans of work.
struct ClickTrace {
    struct Span {
        std::string name;
        unsigned id = 0;
        double start = 0, end = 0, cpuMs = 0;
        long thread = 0;
    };
    std::vector<double> downs, ups, sends;
    std::vector<Span> spans; // of the windows' thread
    long windows = 0; // the thread that takes the button events

    explicit ClickTrace(const std::string& path)
    {
        std::ifstream in(path);
        for (std::string kind; in >> kind;) {
            double at = 0, number = 0;
            long thread = 0;
            if (kind == "span") {
                Span s;
                in >> s.name >> s.id >> s.start >> s.end >> s.cpuMs >> s.thread;
                spans.push_back(s);
            } else if (in >> at >> number >> thread) {
                (kind == "down" ? downs : kind == "up" ? ups : sends).push_back(at);
                windows = kind == "send" ? windows : thread;
            }
            in.ignore(1 << 20, '\n');
        }
        std::erase_if(spans, [this](const Span& s) { return s.thread != windows; });
        std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
        for (auto* times : {&downs, &ups, &sends})
            std::sort(times->begin(), times->end());
    }

    static double FirstFrom(const std::vector<double>& times, double from)
    {
        const auto it = std::lower_bound(times.begin(), times.end(), from);
        return it == times.end() ? 0 : *it;
    }

    // What the windows' thread did between two times: the outermost spans that overlap them.
    std::string Between(double from, double to) const
    {
        std::string out;
        double covered = from;
        for (const Span& s : spans) {
            if (s.end <= covered || s.start >= to)
                continue;
            char part[96];
            std::snprintf(part, sizeof part, " %s/%u@%+.2f:%.2fms(cpu %.2f)", s.name.c_str(), s.id,
                          (s.start - from) * 1000, (s.end - s.start) * 1000, s.cpuMs);
            out += part;
            covered = s.end;
        }
        return out;
    }
};

// Each timed click in three legs: the edge to the client taking its event from the display, the
// event to the request's send(), and the send to the arrival at the stand-in. The slow ones are
// told on the error stream with what the windows' thread did meanwhile.
struct ClickLegs {
    Latencies toEvent, toSend, toArrival;

    static ClickLegs Of(const std::vector<TimedClick>& clicks, const std::string& tracePath)
    {
        const ClickTrace trace(tracePath);
        ClickLegs legs;
        for (const TimedClick& c : clicks) {
            const double event = ClickTrace::FirstFrom(c.onPress ? trace.downs : trace.ups, c.edge);
            const double sent = event ? ClickTrace::FirstFrom(trace.sends, event) : 0;
            if (!event || !sent || sent > c.arrival) {
                ++legs.toEvent.lost;
                continue;
            }
            legs.toEvent.ms.push_back((event - c.edge) * 1000);
            legs.toSend.ms.push_back((sent - event) * 1000);
            legs.toArrival.ms.push_back((c.arrival - sent) * 1000);
            if ((c.arrival - c.edge) * 1000 > kSlowMs)
                std::fprintf(stderr, "slow click %.2f ms: to event %.2f [%s ], to send %.2f [%s ], to arrival %.2f\n",
                             (c.arrival - c.edge) * 1000, (event - c.edge) * 1000, trace.Between(c.edge, event).c_str(),
                             (sent - event) * 1000, trace.Between(event, sent).c_str(), (c.arrival - sent) * 1000);
        }
        return legs;
    }
    static constexpr double kSlowMs = 4;
};

// The mouse of the X server in DISPLAY.
class Mouse {
public:
    Mouse() : display_(XOpenDisplay(nullptr)) {}
    ~Mouse()
    {
        if (display_)
            XCloseDisplay(display_);
    }
    bool Ok() const { return display_ && fake_.Ok(); }
    void MoveTo(int x, int y)
    {
        fake_.motion(display_, 0, x, y, 0);
        XFlush(display_);
    }
    // The press's time (Now()), taken just before the X server is told.
    double Press()
    {
        const double at = Now();
        fake_.button(display_, 1, True, 0);
        XFlush(display_);
        return at;
    }
    double Release()
    {
        const double at = Now();
        fake_.button(display_, 1, False, 0);
        XFlush(display_);
        return at;
    }

private:
    FakeInput fake_;
    Display* display_;
};

// The anchor: a small window of the display library over a corner of the table that is never
// clicked, and its event wait, on a thread of its own, writing a byte to a loopback socket on
// each button-down; the receiving script prints when each arrived.
class BareProgram {
public:
    static constexpr int kLeft = 0, kTop = 120, kSize = 80;

    BareProgram() : clock_(xltest::Python("bench/xueliu/arrival_clock.py"))
    {
        int port = 0;
        if (!clock_.Out() || std::fscanf(clock_.Out(), "%d", &port) != 1)
            return;
        writer_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int one = 1;
        setsockopt(writer_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (connect(writer_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
            return;
        std::atomic<bool> shown{false};
        thread_ = std::thread([this, &shown] { Run(shown); });
        while (!shown)
            std::this_thread::sleep_for(milliseconds(10));
    }
    ~BareProgram()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (writer_ >= 0)
            close(writer_);
        clock_.Close();
    }
    bool Ok() const { return window_; }

    // One click on the window, timed from the press to the byte's arrival; false when none came.
    bool Click(Mouse& mouse, std::mt19937& rng)
    {
        mouse.MoveTo(kLeft + kSize / 2, kTop + kSize / 2);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution(50000, 60000)(rng)));
        const double pressed = mouse.Press();
        std::string line;
        pollfd p{fileno(clock_.Out()), POLLIN, 0};
        for (char c = 0; c != '\n' && poll(&p, 1, 1000) > 0 && read(p.fd, &c, 1) == 1;)
            line += c;
        mouse.Release();
        latencies.lost += line.empty();
        if (line.empty())
            return false;
        latencies.ms.push_back((std::atof(line.c_str()) - pressed) * 1000);
        return true;
    }

    Latencies latencies;

private:
    void Run(std::atomic<bool>& shown)
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0)
            window_ = SDL_CreateWindow("bare", kLeft, kTop, kSize, kSize, SDL_WINDOW_SHOWN);
        shown = true;
        SDL_Event e;
        while (window_ && !stop_)
            if (SDL_WaitEventTimeout(&e, 100) && e.type == SDL_MOUSEBUTTONDOWN && write(writer_, "b", 1) != 1)
                break;
        if (window_)
            SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }

    xltest::ReadingProgram clock_;
    int writer_ = -1;
    SDL_Window* window_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Plays the own chair: the start, the exchange the scene recommends, the suit it holds fewest of,
// then the hand as the stand-in's robots play theirs.
class Player {
public:
    Player(const standin::GameServer& server, const std::string& report, BareProgram& bare)
        : server_(server), report_(report), bare_(bare)
    {
    }

    // Until both clicks were timed kClicks times, the table stood still, or time ran out.
    void Play()
    {
        const auto end = Clock::now() + kLongest;
        while (Clock::now() < end && Clock::now() - report_.since < kStall &&
               (throws.ms.size() < kClicks || pengs.ms.size() < kClicks)) {
            if (report_.Read() || Clock::now() - report_.since < kSettle) {
                std::this_thread::sleep_for(milliseconds(10));
                continue;
            }
            Step(report_.view);
            std::this_thread::sleep_for(milliseconds(10));
        }
    }

    Latencies throws, pengs;
    int onPresses = 0; // timed clicks whose request left before the button was released
    std::vector<TimedClick> timed;

private:
    void Step(const xltest::View& v)
    {
        using namespace xltest;
        if (v.signature == actedOn_ && Clock::now() - actedAt_ < kRetry)
            return;
        actedOn_ = v.signature;
        actedAt_ = Clock::now();
        if (v.phase == kPhaseIdle && v.Has("start"))
            Click(v.buttons.at("start"));
        else if (v.phase == kPhaseEnded && v.board == kBoardResult && v.Has("ok"))
            Click(v.buttons.at("ok"));
        else if (v.phase == kPhaseExchange && v.board == kBoardExchange && v.chosen.size() == 3 && v.Has("ok"))
            Click(v.buttons.at("ok"));
        else if (v.phase == kPhaseMissing && v.board == kBoardMissing && v.checks.size() == 3)
            ChooseMissing(v);
        else if (v.phase == kPhasePlay)
            PlayTurn(v);
    }

    // Claims as the robots take them: hu, else gang, else peng; then the gang's tile, the throw,
    // or a pass.
    void PlayTurn(const xltest::View& v)
    {
        if (v.Has("hu"))
            Click(v.buttons.at("hu"));
        else if (v.Has("gang"))
            Click(v.buttons.at("gang"));
        else if (v.Has("peng"))
            Timed(v.buttons.at("peng"), kPengRequest, pengs);
        else if (v.mode == xltest::kHandGangChoice)
            GangChoice(v);
        else if (!v.turn && v.Has("pass"))
            Click(v.buttons.at("pass"));
        else if (const xltest::View::Tile* t = v.turn ? ThrowChoice(v) : nullptr)
            Timed(t->box, kThrowRequest, throws, t->tile);
    }

    void GangChoice(const xltest::View& v)
    {
        for (const auto& t : v.hand)
            if (!t.dim)
                return Click(t.box, t.tile);
    }

    void ChooseMissing(const xltest::View& v)
    {
        std::array<int, 3> count{};
        for (const auto& t : v.hand)
            ++count[size_t(xltest::Suit(t.tile))];
        const size_t suit = size_t(std::min_element(count.begin(), count.end()) - count.begin());
        if (!v.checks[suit].on)
            Click(v.checks[suit].box);
        else if (v.Has("ok"))
            Click(v.buttons.at("ok"));
    }

    // As the stand-in's robots choose: locked, the drawn tile; else the missing suit first, then
    // the tile whose loss breaks the fewest pairs and runs (ties to the outer ranks, then the
    // highest id). So the own chair plays the wall's course as an auto-played chair does.
    static const xltest::View::Tile* ThrowChoice(const xltest::View& v)
    {
        using xltest::Rank, xltest::Suit;
        if (v.locked) {
            for (const auto& t : v.hand)
                if (t.tile == v.drawn)
                    return &t;
            return nullptr;
        }
        const bool missing =
            std::any_of(v.hand.begin(), v.hand.end(), [&](const auto& t) { return Suit(t.tile) == v.missing; });
        auto order = [&](int tile) {
            int keep = 0;
            for (const auto& o : v.hand)
                if (o.tile != tile && Suit(o.tile) == Suit(tile)) {
                    const int apart = std::abs(Rank(o.tile) - Rank(tile));
                    keep += apart == 0 ? 4 : apart == 1 ? 2 : apart == 2 ? 1 : 0;
                }
            return std::tuple(keep, -std::abs(Rank(tile) + 1 - 5), -tile);
        };
        const xltest::View::Tile* pick = nullptr;
        for (const auto& t : v.hand)
            if ((!missing || Suit(t.tile) == v.missing) && (!pick || order(t.tile) < order(pick->tile)))
                pick = &t;
        return pick;
    }

    // Points at the box and waits for the client to answer the pointer: a hand tile lifts (a
    // second at most), anything else stands still a moment.
    void Point(xltest::Box b, int tile)
    {
        mouse_.MoveTo((b.left + b.right) / 2, (b.top + b.bottom) / 2);
        const auto pointed = Clock::now();
        for (bool answered = false; !answered && Clock::now() - pointed < seconds(1);) {
            std::this_thread::sleep_for(milliseconds(10));
            report_.Read();
            answered = Clock::now() - report_.since >= kSettle && Clock::now() - pointed >= kSettle;
            for (const auto& t : report_.view.hand)
                answered = answered || (tile >= 0 && t.tile == tile && t.box.top != b.top);
        }
    }

    void Click(xltest::Box b, int tile = -1)
    {
        Point(b, tile);
        mouse_.Press();
        std::this_thread::sleep_for(milliseconds(30));
        mouse_.Release();
    }

    // A click at a random phase of the client's tick, timed to its request's arrival; the
    // stand-in is asked only once the request had time to come, so that the asking does not
    // slow its reading.
    void Timed(xltest::Box b, uint32_t request, Latencies& into, int tile = -1)
    {
        if (bare_.latencies.ms.size() < 2 * kClicks)
            bare_.Click(mouse_, rng_);
        Point(b, tile);
        const size_t before = Arrivals(request).size();
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution(0, 10000)(rng_)));
        const double pressed = mouse_.Press();
        std::this_thread::sleep_for(milliseconds(std::uniform_int_distribution(60, 90)(rng_)));
        const double released = mouse_.Release();
        std::vector<double> at;
        for (const auto end = Clock::now() + seconds(3); at.size() <= before && Clock::now() < end;) {
            std::this_thread::sleep_for(milliseconds(40));
            at = Arrivals(request);
        }
        if (at.size() <= before) {
            ++into.lost;
            return;
        }
        // From the edge that sent it.
        const bool onPress = at[before] < released;
        onPresses += onPress;
        if (into.ms.size() < kClicks) {
            into.ms.push_back((at[before] - (onPress ? pressed : released)) * 1000);
            timed.push_back({onPress ? pressed : released, at[before], onPress});
        }
    }

    std::vector<double> Arrivals(uint32_t request) const
    {
        const std::string a = server_.Command(R"({"op":"arrivals","id":)" + std::to_string(request) + "}");
        std::vector<double> out;
        for (size_t p = a.find('[') + 1; p > 0 && p < a.size() && a[p] != ']';) {
            char* end = nullptr;
            out.push_back(std::strtod(a.c_str() + p, &end));
            p = size_t(end - a.c_str());
            p += p < a.size() && a[p] == ',' ? 1 : 0;
            while (p < a.size() && a[p] == ' ')
                ++p;
        }
        return out;
    }

    const standin::GameServer& server_;
    xltest::Report report_;
    BareProgram& bare_;
    Mouse mouse_;
    std::mt19937 rng_{5};
    std::string actedOn_;
    Clock::time_point actedAt_{};
};

// The client at the table, played until both clicks were timed; false when it never entered.
bool PlayTheTable(const std::string& report, const std::string& trace, Latencies& throws, Latencies& pengs,
                  Latencies& bare, int& onPresses, std::vector<TimedClick>& timed)
{
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--play",
                                "--fast", "--wall",
                                std::string(XL_SOURCE_DIR) + "/tools/server/walls/many_pengs.json",
                                "--kernel-arrivals"});
    xltest::HallRun run(server, {},
                        {"DISPLAY=" + std::string(std::getenv("DISPLAY")), "SDL_VIDEODRIVER=x11",
                         "SDL_AUDIODRIVER=dummy", "PATH=/usr/bin:/bin", "XL_SCENE_REPORT=" + report,
                         "XL_CLICK_TRACE=" + trace});
    if (server.AwaitRequests(200110, 1, 60).size() != 1)
        return false;
    BareProgram anchor; // over the table's window: made after it
    if (!anchor.Ok())
        return false;
    Player player(server, report, anchor);
    player.Play();
    bare = anchor.latencies;
    throws = player.throws;
    pengs = player.pengs;
    onPresses = player.onPresses;
    timed = player.timed;
    // The hall ends its client as it goes.
    run.HangUp();
    run.Wait(30);
    return true;
}

void BM_ClickToRequest(benchmark::State& state)
{
    xltest::XvfbSession xvfb("1024x768x24");
    if (!xvfb.Ok() || !FakeInput().Ok()) {
        state.SkipWithError("needs Xvfb with XTest");
        return;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const double loadBefore = Load();
    Latencies bare, throws, pengs;
    int onPresses = 0;
    std::vector<TimedClick> timed;
    ClickLegs legs;
    for (auto _ : state) {
        char folder[] = "/tmp/xl-click-bench-XXXXXX";
        const std::string dir = mkdtemp(folder);
        if (!PlayTheTable(dir + "/scene.jsonl", dir + "/click.trace", throws, pengs, bare, onPresses, timed)) {
            state.SkipWithError("the client never entered the table, or the bare window did not show");
            break;
        }
        legs = ClickLegs::Of(timed, dir + "/click.trace");
        std::error_code ec;
        std::filesystem::create_directories(XL_BINARY_DIR "/artifacts", ec);
        std::filesystem::copy_file(dir + "/click.trace", XL_BINARY_DIR "/artifacts/click-trace.txt",
                                   std::filesystem::copy_options::overwrite_existing, ec);
        std::filesystem::remove_all(dir, ec);
    }
    state.counters["throws"] = double(throws.ms.size());
    state.counters["pengs"] = double(pengs.ms.size());
    state.counters["throws_lost"] = throws.lost;
    state.counters["pengs_lost"] = pengs.lost;
    state.counters["bare_lost"] = bare.lost;
    state.counters["sent_on_press"] = onPresses;
    state.counters["throw_p50_ms"] = throws.Quantile(0.5);
    state.counters["throw_p99_ms"] = throws.Quantile(0.99);
    state.counters["peng_p50_ms"] = pengs.Quantile(0.5);
    state.counters["peng_p99_ms"] = pengs.Quantile(0.99);
    state.counters["bare_p50_ms"] = bare.Quantile(0.5);
    state.counters["bare_p99_ms"] = bare.Quantile(0.99);
    state.counters["bare_clicks"] = double(bare.ms.size());
    state.counters["throw_p90_ms"] = throws.Quantile(0.9);
    state.counters["peng_p90_ms"] = pengs.Quantile(0.9);
    state.counters["bare_p90_ms"] = bare.Quantile(0.9);
    const double b = bare.Quantile(0.5);
    state.counters["throw_x_bare_p50"] = b > 0 ? throws.Quantile(0.5) / b : 0;
    state.counters["peng_x_bare_p50"] = b > 0 ? pengs.Quantile(0.5) / b : 0;
    state.counters["load_1min"] = (loadBefore + Load()) / 2;
    state.counters["edge_to_event_p50_ms"] = legs.toEvent.Quantile(0.5);
    state.counters["edge_to_event_p99_ms"] = legs.toEvent.Quantile(0.99);
    state.counters["event_to_send_p50_ms"] = legs.toSend.Quantile(0.5);
    state.counters["event_to_send_p99_ms"] = legs.toSend.Quantile(0.99);
    state.counters["send_to_arrival_p50_ms"] = legs.toArrival.Quantile(0.5);
    state.counters["send_to_arrival_p99_ms"] = legs.toArrival.Quantile(0.99);
    state.counters["clicks_untraced"] = legs.toEvent.lost;
}
BENCHMARK(BM_ClickToRequest)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

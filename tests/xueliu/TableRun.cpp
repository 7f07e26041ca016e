// The in-process client against the stand-in's table, hand after hand: the UI thread's paced loop
// on a manual clock, the server driven from a thread of its own, and the check after each hand.
#include "tests/xueliu/TableRun.h"

#include "tests/xueliu/FakeHall.h"
#include "tests/support/TiedChild.h"

#include "framework/app/NotifyGate.h"
#include "framework/scene/GameWinApp.h"
#include "framework/window/RunClient.h"
#include "platform/ManualLoop.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/Window.h"
#include "xueliu/CGameApp.h"
#include "xueliu/CMyGame.h"
#include "xueliu/GameApplication.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <mutex>
#include <pthread.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define XL_TABLE_RUN_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define XL_TABLE_RUN_SANITIZED 1
#endif
#endif
#ifdef XL_TABLE_RUN_SANITIZED
// The sanitizer runtime's count of the bytes the program holds (freed blocks in quarantine not
// included); the runtime's own allocator serves the heap, so mallinfo2 would not see it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace tablerun {

namespace {

using Steady = std::chrono::steady_clock;

// Clock ms per loop step while the gate is closed (the dice): small against the 1.4 s roll.
constexpr uint64_t kGateStepMs = 20;
// The longest real sleep of the idle loop: the server driver's news (a finished hand, a failure)
// and the hand's time limit are seen when it wakes.
constexpr uint64_t kIdleWakeMs = 5;
// Deal number: word 8 of the game parameters.
constexpr int kDealNumberWord = 8;
// A run that ends asks the window to close as a player would. The client may refuse in the middle
// of a hand, so a run that gave up ends the loop itself after a short while (real time); after
// the last hand a slow client gets longer.
constexpr auto kGiveUpGrace = std::chrono::seconds(2);
constexpr auto kEndGrace = xltest::Paced(std::chrono::seconds(30));
// The client's status when the run gave up and ended the loop itself.
constexpr int kGaveUpStatus = 99;

int HandsPlayed(const standin::GameServer& server)
{
    const std::string state = server.Command(R"({"op":"table","brief":true})");
    const size_t at = state.find("\"hands_played\": ");
    return at == std::string::npos ? -1 : std::atoi(state.c_str() + at + 16);
}

} // namespace

std::vector<ServerSeat> ServerSeats(const standin::GameServer& server, const std::string& dir)
{
    const std::string file = dir + "/table-state.json";
    std::ofstream(file) << server.Command(R"({"op":"table"})");
    const std::string script = "import json,sys\nd=json.load(open(sys.argv[1]))\n"
                               "for c, s in enumerate(d[\"seats\"]): print(s[\"missing\"], len(s[\"wins\"]), "
                               "d[\"silver\"][c], d[\"score\"][c], *sorted(s[\"hand\"]))";
    std::vector<ServerSeat> seats;
    std::istringstream lines(xltest::RunProgram({"/usr/bin/python3", "-c", script, file}).out);
    for (std::string line; std::getline(lines, line);) {
        ServerSeat seat;
        std::istringstream in(line);
        in >> seat.missing >> seat.wins >> seat.silver >> seat.score;
        for (int tile; in >> tile;)
            seat.hand.push_back(tile);
        seats.push_back(std::move(seat));
    }
    return seats;
}

Memory MeasureMemory()
{
    Memory m;
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    m.residentBytes = uint64_t(resident) * uint64_t(::sysconf(_SC_PAGESIZE));
#ifdef XL_TABLE_RUN_SANITIZED
    m.heapBytes = __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = ::mallinfo2();
    m.heapBytes = info.uordblks + info.hblkhd;
#endif
    return m;
}

namespace {

std::vector<std::string> ServerArguments(const Options& options)
{
    std::vector<std::string> args{"--table",
                                  std::string(XL_SOURCE_DIR) + "/tools/tables/default.json",
                                  "--play",
                                  "--fast",
                                  "--autoplay-human",
                                  "--pause-after-deal",
                                  "--hands",
                                  "0",
                                  "--seed",
                                  std::to_string(options.seed)};
    if (options.thinkMs > 0)
        args.insert(args.end(), {"--think-ms", std::to_string(options.thinkMs)});
    if (!options.wall.empty())
        args.insert(args.end(),
                    {"--wall", std::string(XL_SOURCE_DIR) + "/tools/server/walls/" + options.wall + ".json"});
    return args;
}

} // namespace

TableRun::TableRun(Options options)
    : options_(std::move(options)),
      env_("xl-table-run-XXXXXX", options_.screen),
      server_(ServerArguments(options_))
{
    ::symlink((std::string(XL_BINARY_DIR) + "/skins").c_str(), (env_.dir + "/game/skins").c_str());
    // The users' portraits are in the hall's folder, which the machine's ini names; the art
    // program draws them beside the client, and the hall shares them (as the hall stand-in does).
    ::mkdir((env_.dir + "/hall").c_str(), 0700);
    ::symlink((std::string(XL_BINARY_DIR) + "/Share").c_str(), (env_.dir + "/hall/Share").c_str());
    std::ofstream(env_.dir + "/machine/vemk.ini") << "[SYSTEM]\r\nExePath=" << env_.dir << "/hall/GameHall\r\n";
}

TableRun::~TableRun() = default;

int TableRun::Run(const std::function<void(const HandEnd&)>& afterHand)
{
    FakeHall hall(env_.hallAddress);
    // With the room list, as a player's hall sends it: the own chair runs short of silver, and
    // the switch-room box, never answered here, is suggested again after each hand.
    hall.startData = TableStartData();
    if (hall.startData.empty()) {
        failure_ = "the hall stand-in made no start data";
        return -1;
    }
    const std::string line = "79|127.0.0.1|0|5|0|1001|7|0|0|0|血流成河|" + std::to_string(server_.Port()) + "|4|0|0";

    // Between the server's thread and the UI thread: the hand the server finished and its view,
    // and the hand the UI thread checked.
    std::mutex mutex;
    std::condition_variable changed;
    int finished = 0;
    std::vector<ServerSeat> seats;
    bool stop = false;
    std::string serverFailure;

    std::thread driver([&] {
        auto fail = [&](const std::string& why) {
            std::lock_guard lock(mutex);
            serverFailure = why;
            stop = true;
        };
        if (server_.AwaitRequests(200110, 1, 60).empty())
            return fail("the client never entered");
        const size_t wentOnBefore = server_.Requests(201165).size();
        for (int hand = 1; hand <= options_.hands; ++hand) {
            // The client goes on before the next deal, so its readiness is in.
            const size_t wentOn = wentOnBefore + size_t(hand - 1);
            if (server_.AwaitRequests(201165, wentOn, options_.secondsPerHand).size() < wentOn)
                return fail("the client did not go on after hand " + std::to_string(hand - 1));
            server_.Command(R"({"op":"play","hands":1})");
            // A backstop only: the UI thread's own limit for the hand runs from before this one and
            // says where the scene stood, so it must be the one to end a slow hand, however loaded.
            const auto deadline =
                Steady::now() + std::chrono::seconds(2 * xltest::PacedSeconds(options_.secondsPerHand));
            while (HandsPlayed(server_) < hand) {
                if (Steady::now() > deadline)
                    return fail("the server did not finish hand " + std::to_string(hand));
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            std::vector<ServerSeat> view = ServerSeats(server_, env_.dir);
            std::unique_lock lock(mutex);
            seats = std::move(view);
            finished = hand;
            changed.wait(lock, [&] { return stop || checked_ >= hand; });
            if (stop)
                return;
        }
    });

    harnessCpuMs_ = [&] {
        clockid_t id;
        timespec t{};
        if (pthread_getcpuclockid(driver.native_handle(), &id) != 0 || clock_gettime(id, &t) != 0)
            return hall.CpuMs();
        return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6 + hall.CpuMs();
    };

    platform::ManualClock clock(1000000);
    ClientPlatform& platform = env_.platform;
    platform.runLoop = [&] {
        platform::ManualLoop loop(clock);
        platform::MessageQueue& queue = platform::CurrentQueue();
        platform::WakeSignal& signal = *queue.Signal();
        bool wasClosed = false, closing = false, quitPosted = false;
        uint64_t closedAt = 0, longestHold = 0, endedAt = 0;
        int resumedDeal = 0;
        auto lastReal = Steady::now();
        auto handStart = lastReal;
        auto closeBy = lastReal;
        auto close = [&](std::string why) {
            if (closing)
                return;
            closing = true;
            closeBy = Steady::now() + (why.empty() ? kEndGrace : kGiveUpGrace);
            if (!why.empty() && failure_.empty())
                failure_ = std::move(why);
            platform::PostToWindow(GetGameApp()->GetMainWindowId(), platform::kMsgClose);
        };
        // The watcher sees the scene after every message: one step of the loop may dispatch a
        // phase's start and its end together (a slow frame, the server playing the own chair).
        if (options_.onStep)
            loop.SetAfterEach([&] {
                if (auto* scene = dynamic_cast<CMyGame*>(GetGameWinApp() ? GetGameWinApp()->GetMainGame() : nullptr);
                    scene && !closing)
                    options_.onStep(*scene);
            });
        while (!loop.QuitCode()) {
            NotifyGate* gate = GetNotifyGate();
            const bool closed = gate && gate->IsClosed();
            if (closed && !wasClosed)
                closedAt = clock.NowMs();
            if (closed)
                longestHold = std::max(longestHold, clock.NowMs() - closedAt);
            // Once the scene has a new deal and its gate is open again, what the gate held has been
            // dispatched: the server's chairs may decide now. Before, a slow client could take a
            // whole phase in one dispatch. (One step of the loop may close and open the gate.)
            if (!closed) {
                auto* scene = dynamic_cast<CMyGame*>(GetGameWinApp() ? GetGameWinApp()->GetMainGame() : nullptr);
                CMJGameData2* info = scene ? scene->GetSceneGameInfo() : nullptr;
                if (const int dealt = info ? int(info->GetGameParams()[kDealNumberWord]) : 0; dealt > resumedDeal) {
                    resumedDeal = dealt;
                    server_.Command(R"({"op":"resume"})");
                }
            }
            wasClosed = closed;
            if (closed) {
                // Nothing comes from the server meanwhile: only the scene's own time passes.
                loop.Advance(kGateStepMs);
                lastReal = Steady::now();
            } else {
                const uint64_t seen = signal.Seq();
                const size_t dispatched = loop.RunUntilIdle();
                const auto now = Steady::now();
                const auto realMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastReal).count();
                if (realMs > 0) {
                    loop.Advance(uint64_t(realMs));
                    lastReal += std::chrono::milliseconds(realMs);
                } else if (!dispatched) {
                    // Nothing to run before the next timer falls due or something is posted: the
                    // thread sleeps on its queue as the client's own loop would, so the harness
                    // adds no wake-ups of its own to the client's processor time.
                    const uint64_t nowMs = clock.NowMs();
                    const auto next = queue.NextTimerDeadline();
                    const uint64_t stepMs = std::min(next && *next > nowMs ? *next - nowMs : 1, kIdleWakeMs);
                    signal.WaitChangedFor(seen,
                                          std::chrono::duration_cast<std::chrono::microseconds>(
                                              lastReal + std::chrono::milliseconds(stepMs) - now));
                }
            }
            if (closing) {
                if (!quitPosted && Steady::now() > closeBy) {
                    if (failure_.empty())
                        failure_ = "the client did not close when asked";
                    platform::PostQuit(kGaveUpStatus);
                    quitPosted = true;
                }
                continue;
            }

            std::unique_lock lock(mutex);
            if (stop) {
                lock.unlock();
                close(serverFailure);
                continue;
            }
            auto* scene = dynamic_cast<CMyGame*>(GetGameWinApp() ? GetGameWinApp()->GetMainGame() : nullptr);
            const int hand = checked_ + 1;
            CMJGameData2* info = scene ? scene->GetSceneGameInfo() : nullptr;
            const bool ended = finished == hand && info && scene->Phase() == CMyGame::kPhaseEnded &&
                               int(info->GetGameParams()[kDealNumberWord]) == hand;
            if (!ended) {
                if (Steady::now() - handStart > std::chrono::seconds(xltest::PacedSeconds(options_.secondsPerHand))) {
                    stop = true;
                    lock.unlock();
                    changed.notify_all();
                    close("hand " + std::to_string(hand) + " did not reach the scene's result (phase " +
                          std::to_string(scene ? scene->Phase() : -1) + ", server finished " +
                          std::to_string(finished) + ")");
                }
                continue;
            }
            if (!endedAt)
                endedAt = clock.NowMs();
            if (clock.NowMs() < endedAt + uint64_t(options_.resultHoldMs))
                continue;
            endedAt = 0;
            const std::vector<ServerSeat> view = seats;
            lock.unlock();
            afterHand(HandEnd{hand, *scene, view, longestHold});
            longestHold = 0;
            handStart = Steady::now();
            {
                std::lock_guard relock(mutex);
                ++checked_;
            }
            changed.notify_all();
            if (checked_ < options_.hands) {
                // "继续" on the result board.
                scene->OnEvent(Lumora::EventRecord{0, CMyGame::kEvResultContinue, 0, 0});
            } else {
                close({});
            }
        }
        return *loop.QuitCode();
    };

    platform::ScopedClock installed(clock); // from the start-up on
    InstallGameApplication(nullptr);
    const int status = RunClient({"xueliu", line}, platform);
    {
        std::lock_guard lock(mutex);
        stop = true;
        if (failure_.empty() && checked_ < options_.hands)
            failure_ = serverFailure.empty() ? "the client ended after " + std::to_string(checked_) + " hands"
                                             : serverFailure;
    }
    changed.notify_all();
    harnessCpuMs_ = nullptr;
    driver.join();
    platform.runLoop = nullptr;
    return status;
}

} // namespace tablerun

#pragma once
// The whole client in-process against the game-server stand-in's table, hand after hand: a
// headless window, a fake hall that hands over the stand-in's table, and the UI thread's loop on
// a manual clock. The stand-in plays with --fast and the own chair auto-played, one hand at a
// time when asked; it pauses after each deal until the client's gate has opened after it, so no
// chair decides before the client has taken the deal, however slow it is. After each hand, once
// the scene has taken that hand's result, the caller's check runs on the UI thread with the
// server's view of the table, then the client goes on as a player would ("继续" on the result
// board: the room check, then 201165) and the next hand is dealt. After the last hand the window
// is closed.
//
// The clock: while the notification gate is closed the client waits on nothing but its own
// animations (the dice), so time jumps ahead; while it is open the client follows the server,
// and time runs at real speed, so no time-out of the client fires sooner than it would.
//
// Used by the endurance test and the whole-hand benchmarks. One run per process: it installs the
// process's clock, screen and box handler, and the client keeps process-wide state.
#include "tests/support/GameServerStandIn.h"
#include "tests/support/Refusals.h"
#include "tests/xueliu/ClientEnvironment.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CMyGame;

namespace tablerun {

// One chair as the server holds it after a hand.
struct ServerSeat {
    int missing = -1;
    int wins = 0;
    int silver = 0, score = 0;
    std::vector<int> hand; // the concealed tiles, sorted
};

// The server's view of the four chairs ({"op":"table"}); `dir` is a folder for a scratch file.
std::vector<ServerSeat> ServerSeats(const standin::GameServer& server, const std::string& dir);

// What the check of a hand gets (on the UI thread, the scene showing that hand's result).
struct HandEnd {
    int hand = 0; // 1 for the first
    CMyGame& scene;
    std::vector<ServerSeat> server;
    // The longest time the notification gate stayed closed during the hand, in clock ms.
    uint64_t longestGateHoldMs = 0;
};

struct Options {
    int hands = 1;
    int seed = 1;
    // Real seconds a hand may take (deal to the scene's result) before the run gives up.
    int secondsPerHand = 60;
    // The screen (the window fills its work area) and a scripted wall (tools/server/walls/NAME.json).
    platform::ScreenFacts screen{1366, 768, {0, 0, 1366, 728}, 23};
    std::string wall;
    // The robots' think time (0: at once), and how long the result stays before "继续".
    int thinkMs = 0;
    int resultHoldMs = 0;
    // Runs on the UI thread after every message it dispatches while the hands are played.
    std::function<void(CMyGame&)> onStep;
};

// The process's memory: resident set (from /proc/self/statm) and heap in use (the allocator's
// count: the sanitizer's in sanitized builds, else glibc's).
struct Memory {
    uint64_t residentBytes = 0;
    uint64_t heapBytes = 0;
};
Memory MeasureMemory();

class TableRun {
public:
    explicit TableRun(Options options);
    ~TableRun();
    TableRun(const TableRun&) = delete;
    TableRun& operator=(const TableRun&) = delete;

    // Runs the client until the hands are played (or the run gives up); the client's exit status.
    int Run(const std::function<void(const HandEnd&)>& afterHand);

    // The processor time of the harness's own threads (the server driver and the fake hall),
    // which run in the client's process; valid while Run runs.
    double HarnessCpuMs() const { return harnessCpuMs_ ? harnessCpuMs_() : 0; }
    // Hands whose check ran.
    int HandsChecked() const { return checked_; }
    // Why the run stopped before the last hand; empty when it did not.
    const std::string& Failure() const { return failure_; }
    // Texts of the system boxes the client raised (none is expected).
    const std::vector<std::string>& Boxes() const { return env_.boxes; }
    const standin::GameServer& Server() const { return server_; }
    // The client's program folder (its run log), ending in '/'.
    std::string ProgramFolder() const { return env_.dir + "/game/"; }

private:
    Options options_;
    ClientEnvironment env_;
    standin::GameServer server_;
    int checked_ = 0;
    std::string failure_;
    std::function<double()> harnessCpuMs_;
};

} // namespace tablerun

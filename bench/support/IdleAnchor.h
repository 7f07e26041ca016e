#pragma once
// What waking every 5 ms costs with nothing else done, the anchor of the idle benchmarks: the
// share of one core this process uses while a loop runs, and how often its threads went to
// sleep and woke. Without a display the loop is a thread that sleeps until each next 5 ms step;
// with one, a bare program of the display library with a window that waits for its events at
// most 5 ms at a time (run under Xvfb for the display figures).
#include <SDL.h>
#include <ctime>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace benchsupport {

struct IdleCost {
    double cpuPercent = 0;
    double switchesPerSecond = 0;
};

inline double ProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

inline double ContextSwitches()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_nvcsw + usage.ru_nivcsw);
}

// The cost of this process while `run` runs until the end it is given.
template <typename Run>
IdleCost CostWhile(double seconds, Run run)
{
    const auto start = std::chrono::steady_clock::now();
    const auto end =
        start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    const double cpuStart = ProcessCpuSeconds(), switchesStart = ContextSwitches();
    run(end);
    const double cpu = ProcessCpuSeconds() - cpuStart, switches = ContextSwitches() - switchesStart;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {100.0 * cpu / wall, switches / wall};
}

inline IdleCost BareWakeEvery5Ms(double seconds, bool display, int width, int height)
{
    if (!display)
        return CostWhile(seconds, [](auto end) {
            for (auto next = std::chrono::steady_clock::now(); next < end;) {
                next += std::chrono::milliseconds(5);
                std::this_thread::sleep_until(next);
            }
        });
    if (!std::getenv("DISPLAY"))
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return {};
    SDL_Window* window = SDL_CreateWindow("bare", 0, 0, width, height, SDL_WINDOW_SHOWN);
    const IdleCost cost = CostWhile(seconds, [](auto end) {
        SDL_Event e;
        while (std::chrono::steady_clock::now() < end)
            while (SDL_WaitEventTimeout(&e, 5) && std::chrono::steady_clock::now() < end) {
            }
    });
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return cost;
}

} // namespace benchsupport

// From a real click to the bytes it makes: the X server is told of a button press (XTest, from
// a second connection, as a person's mouse would be) and a reader waits for the byte that the
// pressed object writes to a socket. The anchor in the same run is a bare program of the display
// library that writes to a socket on each button-down. Needs a display: run under Xvfb.
#include "bench/support/FakeClick.h"
#include "engine/GameCore.h"
#include "engine/gui/CGameBase.h"
#include "engine/host/LumoraWnd.h"
#include "engine/object/EventRecord.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "platform/MessageLoop.h"
#include "platform/RealWindow.h"
#include "platform/Window.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <thread>
#include <vector>

using namespace Lumora;

namespace {

constexpr int kWidth = 400, kHeight = 300;
constexpr int kClicks = 100;
using Clock = std::chrono::steady_clock;

using benchsupport::FakeInput;
using benchsupport::Latencies;

// Clicks at (x, y) of the screen kClicks times, at random phases, and times each press until a
// byte arrives on `reader`; `done` is set at the end.
Latencies ClickAndTime(int reader, int x, int y, std::atomic<bool>& done)
{
    Latencies out;
    FakeInput fake;
    Display* display = XOpenDisplay(nullptr);
    if (display && fake.Ok()) {
        std::mt19937 rng(3);
        fake.motion(display, 0, x, y, 0);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (int i = 0; i < kClicks; ++i) {
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution<int>(15000, 25000)(rng)));
            const auto start = Clock::now();
            fake.button(display, 1, True, 0);
            XFlush(display);
            char byte;
            if (read(reader, &byte, 1) != 1)
                break;
            out.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            fake.button(display, 1, False, 0);
            XFlush(display);
        }
    }
    if (display)
        XCloseDisplay(display);
    done = true;
    return out;
}

// The anchor: the display library's window and its event wait, nothing else.
Latencies BareProgram(int writer, int reader)
{
    SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    SDL_Window* window = SDL_CreateWindow("bare", 0, 0, kWidth, kHeight, SDL_WINDOW_SHOWN);
    std::atomic<bool> done{false};
    Latencies result;
    std::thread clicker([&] { result = ClickAndTime(reader, 100, 100, done); });
    SDL_Event e;
    while (!done) {
        if (!SDL_WaitEventTimeout(&e, 100))
            continue;
        if (e.type == SDL_MOUSEBUTTONDOWN && write(writer, "b", 1) != 1)
            break;
    }
    clicker.join();
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return result;
}

// The engine's host window with a backdrop and a button that writes its byte when pressed.
struct Game : CGameBase {
    int writer = -1;
    int OnEvent(const EventRecord& r) override
    {
        if (r.code == 80000001)
            return write(writer, "e", 1) == 1;
        return CGameBase::OnEvent(r);
    }
};

Latencies Engine(int writer, int reader)
{
    auto wnd = std::make_unique<CLumoraWnd>();
    platform::OpenRealWindows();
    wnd->Create("click", platform::WindowStyle{}, {0, 0, kWidth, kHeight});
    auto* game = new Game;
    game->writer = writer;
    wnd->StartEngine(game);
    auto* objects = static_cast<ObjectModule*>(wnd->GetCore().GetModule(LUMORA_MODULE_OBJECT));
    PlaneObject* backdrop = objects->NewPlaneObject(kWidth, kHeight, 0x203040, nullptr);
    backdrop->Clear();
    backdrop->MoveTo(kWidth / 2.0, kHeight / 2.0);
    backdrop->Activate();
    backdrop->Redraw();
    PlaneObject* button = objects->NewPlaneObject(80, 40, 0x00C000, nullptr);
    button->Clear();
    button->SetLayer(1);
    button->MoveTo(100, 100);
    button->Activate();
    button->Redraw();
    button->AddEventHook(EV_LBUTTON_DOWN, game->GetId(), 80000001, 0, 0);
    std::atomic<bool> done{false};
    Latencies result;
    std::thread clicker([&] { result = ClickAndTime(reader, 100, 100, done); });
    // The clicker's end is seen at the next message: a timer of our own keeps one coming.
    const platform::WindowId ticker =
        platform::MakeWindow([](platform::WindowId, uint32_t, uintptr_t, intptr_t) { return intptr_t{0}; });
    platform::StartTimer(ticker, 1, 100);
    platform::Message m;
    while (!done && platform::GetNextMessage(m))
        platform::Dispatch(m);
    clicker.join();
    platform::DestroyWindow(ticker);
    wnd.reset();
    platform::CloseRealWindows();
    return result;
}

void BM_ClickToBytes(benchmark::State& state)
{
    if (!std::getenv("DISPLAY") || !FakeInput().Ok()) {
        state.SkipWithError("needs a display with XTest (run under Xvfb)");
        return;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Latencies engine, bare;
    for (auto _ : state) {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) {
            state.SkipWithError("no socket pair");
            return;
        }
        bare = BareProgram(fds[0], fds[1]);
        engine = Engine(fds[0], fds[1]);
        close(fds[0]);
        close(fds[1]);
    }
    state.counters["clicks"] = double(engine.ms.size());
    state.counters["p50_ms"] = engine.Quantile(0.5);
    state.counters["p99_ms"] = engine.Quantile(0.99);
    state.counters["bare_p50_ms"] = bare.Quantile(0.5);
    state.counters["bare_p99_ms"] = bare.Quantile(0.99);
    state.counters["x_bare_p50"] = bare.Quantile(0.5) > 0 ? engine.Quantile(0.5) / bare.Quantile(0.5) : 0;
}
BENCHMARK(BM_ClickToBytes)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

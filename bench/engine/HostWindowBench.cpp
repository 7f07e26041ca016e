// The engine in its host window: CPU of an idle window, cost of a moving 200x200 sprite per
// frame at 60 frames per second, and the ticks from a pointer move to the changed pixels on
// the screen. Each runs on the headless window and on the display library's window (its dummy
// video driver, so that no display is needed).
#include "bench/support/IdleAnchor.h"
#include "engine/GameCore.h"
#include "engine/gui/CGameBase.h"
#include "engine/host/LumoraWnd.h"
#include "engine/input/InputData.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "platform/HeadlessWindow.h"
#include "platform/ManualLoop.h"
#include "platform/MessageLoop.h"
#include "platform/RealWindow.h"
#include "platform/Window.h"

#include <SDL.h>
#include <sys/resource.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

using namespace Lumora;

namespace {

constexpr int kWidth = 800, kHeight = 600;

// The game object: moves its marker to the pointer when the backdrop reports a move.
struct Game : CGameBase {
    PlaneObject* marker = nullptr;
    int OnEvent(const EventRecord& r) override
    {
        if (r.code == EV_MOUSE_MOVE && marker && r.param2) {
            const auto* data = reinterpret_cast<const InputData*>(r.param2);
            marker->MoveTo(data->x, data->y);
            marker->Redraw();
            return 1;
        }
        return CGameBase::OnEvent(r);
    }
};

PlaneObject* Plane(ObjectModule& objects, int w, int h, uint32_t colour, double x, double y, uint32_t layer)
{
    PlaneObject* p = objects.NewPlaneObject(w, h, colour, nullptr);
    p->Clear();
    p->SetLayer(layer);
    p->MoveTo(x, y);
    p->Activate();
    p->Redraw();
    return p;
}

// A host window with a backdrop, a few still pictures and a 200x200 sprite.
struct Host {
    std::unique_ptr<CLumoraWnd> wnd = std::make_unique<CLumoraWnd>();
    platform::DisplayWindow* window = nullptr;
    Game* game = new Game;
    ObjectModule* objects = nullptr;
    PlaneObject* sprite = nullptr;

    explicit Host(bool real)
    {
        // The engine's music module opens the sound device: the dummy one unless asked otherwise,
        // so the figures do not depend on the machine's sound server.
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        if (real) {
            // The display's own driver when there is a display (run under Xvfb for the figures),
            // else the dummy one.
            if (!std::getenv("DISPLAY"))
                setenv("SDL_VIDEODRIVER", "dummy", 1);
            platform::OpenRealWindows();
            wnd->Create("bench", platform::WindowStyle{}, {0, 0, kWidth, kHeight});
        } else {
            wnd->Create(std::make_unique<platform::HeadlessWindow>(platform::Rect{0, 0, kWidth, kHeight}));
        }
        window = wnd->GetWindow();
        wnd->StartEngine(game);
        objects = static_cast<ObjectModule*>(wnd->GetCore().GetModule(LUMORA_MODULE_OBJECT));
        PlaneObject* backdrop = Plane(*objects, kWidth, kHeight, 0x203040, kWidth / 2.0, kHeight / 2.0, 0);
        backdrop->AddEventHook(EV_MOUSE_MOVE, game->GetId(), EV_MOUSE_MOVE, 0, 0);
        for (int i = 0; i < 8; ++i)
            Plane(*objects, 60, 40, 0x0080FF + i * 0x100000, 60 + i * 90, 500, 1);
        sprite = Plane(*objects, 200, 200, 0x00C000, 150, 150, 2);
        game->marker = Plane(*objects, 8, 8, 0xFFFFFF, 400, 300, 3);
    }
    ~Host()
    {
        const bool real = dynamic_cast<platform::HeadlessWindow*>(window) == nullptr;
        wnd.reset();
        if (real)
            platform::CloseRealWindows();
    }
    int Presents() const
    {
        auto* headless = dynamic_cast<platform::HeadlessWindow*>(window);
        return headless ? headless->Presents() : presents;
    }
    int presents = 0;
};

// An idle window on the real clock for XL_IDLE_SECONDS (2 by default; 10 for the full figure):
// the share of one core the process used, and the presents made while nothing changed, beside
// the bare program's share measured in the same run (run under Xvfb for the display figures).
void BM_IdleHostWindowCpu(benchmark::State& state)
{
    const char* env = std::getenv("XL_IDLE_SECONDS");
    const double seconds = env ? std::atof(env) : 2.0;
    const bool display = state.range(0) != 0;
    benchsupport::IdleCost engine, bare;
    int presents = 0;
    for (auto _ : state) {
        bare = benchsupport::BareWakeEvery5Ms(seconds, display, kWidth, kHeight);
        Host host(display);
        // Let the first frames reach the screen, then measure.
        const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        platform::Message m;
        while (std::chrono::steady_clock::now() < settle && platform::PeekNextMessage(m))
            platform::Dispatch(m);
        while (std::chrono::steady_clock::now() < settle)
            if (platform::GetNextMessage(m))
                platform::Dispatch(m);
        auto* headless = dynamic_cast<platform::HeadlessWindow*>(host.window);
        const int before = headless ? headless->Presents() : 0;
        engine = benchsupport::CostWhile(seconds, [&m](auto end) {
            while (std::chrono::steady_clock::now() < end && platform::GetNextMessage(m))
                platform::Dispatch(m);
        });
        presents += headless ? headless->Presents() - before : 0;
    }
    state.counters["cpu_pct_of_core"] = engine.cpuPercent;
    state.counters["bare_5ms_cpu_pct"] = bare.cpuPercent;
    state.counters["x_bare"] = bare.cpuPercent > 0 ? engine.cpuPercent / bare.cpuPercent : 0;
    state.counters["switches_per_s"] = engine.switchesPerSecond;
    state.counters["bare_switches_per_s"] = bare.switchesPerSecond;
    state.counters["idle_presents"] = presents;
}
BENCHMARK(BM_IdleHostWindowCpu)->Arg(0)->Arg(1)->ArgNames({"sdl"})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One 60 fps frame per iteration under a manual clock: the sprite moves 4 pixels, 16.7 ms of
// ticks run and the changed rectangles are presented. Time per iteration is CPU per frame.
void BM_MovingSprite200(benchmark::State& state)
{
    platform::ManualClock clock(1000);
    platform::ManualLoop loop(clock);
    Host host(state.range(0) != 0);
    loop.Advance(50);
    auto* headless = dynamic_cast<platform::HeadlessWindow*>(host.window);
    const int before = headless ? headless->Presents() : 0;
    int frame = 0;
    for (auto _ : state) {
        const double x = 150 + (frame * 4) % 400;
        host.sprite->MoveTo(x, 150 + (frame % 50));
        host.sprite->Redraw();
        loop.Advance(frame % 3 == 2 ? 16 : 17);
        ++frame;
    }
    if (headless)
        state.counters["presents_per_frame"] = double(headless->Presents() - before) / frame;
    state.counters["frames_per_s"] = benchmark::Counter(frame, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MovingSprite200)->Arg(0)->Arg(1)->ArgNames({"sdl"})->Unit(benchmark::kMicrosecond);

// From an injected pointer move to the marker's new pixels on the headless screen, in 5 ms ticks.
void BM_InputLatencyTicks(benchmark::State& state)
{
    platform::ManualClock clock(1000);
    platform::ManualLoop loop(clock);
    Host host(false);
    auto* screen = dynamic_cast<platform::HeadlessWindow*>(host.window);
    loop.Advance(50);
    int samples = 0, total = 0, worst = 0;
    for (auto _ : state) {
        const int x = 300 + (samples % 20) * 10, y = 250;
        screen->InjectMouseMove(x, y);
        int ticks = 0;
        // The marker is white; blending may leave a channel at 254.
        while ((screen->Pixel(x, y) & 0xF0F0F0) != 0xF0F0F0 && ticks < 100) {
            loop.Advance(5);
            ++ticks;
        }
        total += ticks;
        worst = std::max(worst, ticks);
        ++samples;
    }
    state.counters["ticks_mean"] = double(total) / samples;
    state.counters["ticks_worst"] = worst;
}
BENCHMARK(BM_InputLatencyTicks)->Iterations(40)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// A table's worth of pictures at 1920 x 1080 (a backdrop and 160 tiles) with one tile moving a
// frame: the frame's cost (build, compose, present on the headless screen) beside a memcpy of the
// whole screen's pixels in the same run, each timed over a block of runs back to back.
void BM_TableOneTileMoving1920(benchmark::State& state)
{
    constexpr int kW = 1920, kH = 1080, kBlock = 4;
    platform::ManualClock clock(1000);
    platform::ManualLoop loop(clock);
    auto wnd = std::make_unique<CLumoraWnd>();
    wnd->Create(std::make_unique<platform::HeadlessWindow>(platform::Rect{0, 0, kW, kH}));
    wnd->StartEngine(new Game);
    auto* objects = static_cast<ObjectModule*>(wnd->GetCore().GetModule(LUMORA_MODULE_OBJECT));
    Plane(*objects, kW, kH, 0x206030, kW / 2.0, kH / 2.0, 0);
    std::vector<PlaneObject*> tiles;
    for (int i = 0; i < 160; ++i)
        tiles.push_back(Plane(*objects, 44, 64, 0xE0E0D0, 300 + (i % 28) * 46, 200 + (i / 28) * 120, 1));
    loop.Advance(50);
    std::vector<uint32_t> from(size_t(kW) * kH, 0x11223344u), to(size_t(kW) * kH);
    using Clock = std::chrono::steady_clock;
    std::vector<double> frame, copy;
    int step = 0;
    for (auto _ : state) {
        auto t = Clock::now();
        for (int i = 0; i < kBlock; ++i, ++step) {
            tiles[0]->MoveTo(300 + (step % 40) * 4, 200);
            tiles[0]->Redraw();
            loop.Advance(10); // one object-module step: the frame is built, composed and presented
        }
        frame.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t).count() / kBlock);
        std::memcpy(to.data(), from.data(), to.size() * 4);
        t = Clock::now();
        for (int i = 0; i < kBlock; ++i) {
            std::memcpy(to.data(), from.data(), to.size() * 4);
            benchmark::ClobberMemory();
        }
        copy.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t).count() / kBlock);
    }
    std::sort(frame.begin(), frame.end());
    std::sort(copy.begin(), copy.end());
    const double f = frame[frame.size() / 2], c = copy[copy.size() / 2];
    state.counters["frame_us"] = f;
    state.counters["screen_memcpy_us"] = c;
    state.counters["frame_x_memcpy"] = f / c;
}
BENCHMARK(BM_TableOneTileMoving1920)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

} // namespace

// The decorated mahjong frame on a headless window: OnSize at three desktop sizes with the
// table pattern tiled over the whole view (and the heap the window and its layers take), one
// title-bar drag step, a step of a resize by the window's edge, and the detail board drawn anew.
#include "tests/framework/DialogSkins.h"
#include "tests/framework/FakeFrameApp.h"
#include "tests/support/ProgramFolder.h"

#include "engine/host/LumoraWnd.h"
#include "engine/resource/PackWriter.h"
#include "engine/resource/ResourceModule.h"
#include "mahjong/frame/CMJGameFrame.h"
#include "platform/HeadlessWindow.h"
#include "platform/ManualLoop.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <memory>
#include <unistd.h>

using namespace Lumora;

namespace {

class BenchFrame : public CMJGameFrame {
public:
    void CreateGameParts() override
    {
        SetSubSystem(std::make_unique<CGameBase>().release());
        SetMainGame(std::make_unique<CGameBase>().release());
    }
    using CXyGameFrame::BeginWindowDrag;
};

struct ChromeWindow {
    ChromeWindow(int w, int h, bool fills = true)
        : folder("chromebench_" + std::to_string(::getpid())), loop(clock)
    {
        std::vector<PackSource> skins;
        auto add = [&](const std::string& name, const ImageRecord& picture) {
            skins.push_back({name + ".pps", EncodePps(picture)});
        };
        frametest::AddFrameSkins(add);
        add("TablePatten", testsupport::SolidFrames(64, 64, {0x204060}));
        add("TableHalo", testsupport::SolidFrames(256, 256, {0x306080}));
        for (const char* corner : {"TableCornerLT", "TableCornerRT", "TableCornerLB", "TableCornerRB"})
            add(corner, testsupport::SolidFrames(40, 40, {0x102030}));
        add("Frame_Top", testsupport::SolidFrames(200, 25, {0x404040}));
        add("Frame_Left", testsupport::SolidFrames(6, 200, {0x404040}));
        add("Frame_Right", testsupport::SolidFrames(6, 200, {0x404040}));
        add("Frame_Bottom", testsupport::SolidFrames(200, 6, {0x404040}));
        add("bit_playerdetail", testsupport::SolidFrames(330, 310, {0x203040}));
        std::string error;
        pack = BuildPack(skins, error);
        const platform::Rect area{0, 0, w, h};
        auto window = std::make_unique<platform::HeadlessWindow>(fills ? area : platform::Rect{100, 100, 900, 700});
        window->SetWorkArea(area);
        headless = window.get();
        wnd.Create(std::move(window));
        app.mainWnd = &wnd;
        auto* resources = new ResourceModule;
        resources->AddMemPack(pack.data(), pack.size());
        frame = new BenchFrame;
        wnd.StartEngine(frame, resources);
    }

    testsupport::ProgramFolder folder;
    platform::ManualClock clock{1000};
    platform::ManualLoop loop;
    frametest::FakeFrameApp app;
    std::vector<uint8_t> pack;
    CLumoraWnd wnd;
    platform::HeadlessWindow* headless = nullptr;
    BenchFrame* frame = nullptr;
};

void BM_MahjongFrameOnSize(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    malloc_trim(0);
    const double heapBefore = double(mallinfo2().uordblks);
    ChromeWindow c(w, h);
    c.loop.Advance(50);
    malloc_trim(0);
    state.counters["window_heap_bytes"] = double(mallinfo2().uordblks) - heapBefore;
    state.counters["two_layers_bytes"] = 2.0 * w * h * 4;
    for (auto _ : state)
        c.frame->OnSize();
}
BENCHMARK(BM_MahjongFrameOnSize)->Args({1024, 768})->Args({1920, 1080})->Args({2560, 1440})->Unit(benchmark::kMillisecond);

// One step of a drag on the window's edge: the window's new size, the layout and the frame
// that paints it whole, to the pixels in the window.
void BM_MahjongWindowResizeStep(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    ChromeWindow c(w, h);
    c.loop.Advance(50);
    int step = 0;
    for (auto _ : state) {
        c.headless->Resize(w - 8 * (++step % 2), h);
        c.loop.Advance(5);
    }
}
BENCHMARK(BM_MahjongWindowResizeStep)->Args({1024, 768})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_TitleBarDragStep(benchmark::State& state)
{
    ChromeWindow c(1920, 1040, false);
    c.frame->BeginWindowDrag(50, 10);
    int step = 0;
    for (auto _ : state) {
        c.headless->InjectMouseMove(50 + (step++ & 1 ? 3 : -3), 10);
        c.frame->DragWindow();
    }
}
BENCHMARK(BM_TitleBarDragStep)->Unit(benchmark::kMicrosecond);

void BM_DetailBoardDrawn(benchmark::State& state)
{
    ChromeWindow c(1024, 768);
    GameUserRecord user;
    user.SetUserId(9);
    user.SetName("玩家甲");
    user.SetSilver(123456);
    user.SetLevel("高手");
    for (auto _ : state)
        c.frame->ShowPlayerDetail(user);
}
BENCHMARK(BM_DetailBoardDrawn)->Unit(benchmark::kMicrosecond);

} // namespace

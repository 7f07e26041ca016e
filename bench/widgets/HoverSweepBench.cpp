// A screen of 200 push buttons that show the hand, among as many other named objects as a table
// scene holds, with a hover sweep across all of them: the cost of one pointer move in the input
// module (the window's cursor asked first, hit test, hover change, event records posted) and of
// the frame that follows it (records delivered, two buttons re-framed and their cursor shown, the
// frame built and painted).
#include "tests/support/HeadlessEngine.h"
#include "widgets/CXyStandButton.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

using namespace Lumora;

namespace {

constexpr int kColumns = 20;
constexpr int kRows = 10;
// The named objects of a crowded table besides the buttons (tiles, panels, boards, words).
constexpr int kOtherObjects = 1500;

struct Screen {
    Screen() : engine("bench_" + std::to_string(::getpid()))
    {
        engine.AddSkin("btn_Bench", testsupport::SolidFrames(36, 20, {0x202020, 0x404040, 0x606060, 0x808080}));
        engine.LoadSkins();
        for (int i = 0; i < kOtherObjects; ++i)
            engine.MakeProbe()->SetName(("object_" + std::to_string(i)).c_str());
        const PictureInfo skin = engine.Picture("btn_Bench");
        for (int row = 0; row < kRows; ++row)
            for (int column = 0; column < kColumns; ++column) {
                auto* button = engine.Make<CXyStandButton>();
                const EventRecord notify{engine.Owner().GetId(), 80000000, 0, 0};
                button->Create(&skin, &notify, 0, 4);
                button->SetSound(CXyStandButton::SOUND_ENTER, "SndTouchButton");
                button->SetHandCursor(1);
                button->MoveTo(20 + column * 40, 30 + row * 50);
                button->Enable(true);
                button->Activate();
                button->Redraw();
                centres.push_back({20 + column * 40, 30 + row * 50});
            }
        engine.Settle();
        // The sweep must really move the hover from button to button.
        const auto [x, y] = centres[1];
        engine.MoveMouse(x, y);
        PObject* face = engine.Objects().FindById(engine.Input().Hovered());
        auto* button = face ? dynamic_cast<CXyStandButton*>(face->GetParent()) : nullptr;
        sweeping = button && button->GetState() == 1;
    }
    bool sweeping = false;
    // The next point of the sweep: every button's centre in turn, then round again.
    std::pair<int, int> Next()
    {
        const auto p = centres[next];
        next = (next + 1) % centres.size();
        return p;
    }
    testsupport::HeadlessEngine engine;
    std::vector<std::pair<int, int>> centres;
    size_t next = 0;
};

// One sweep step per iteration: a pointer move, then two 5 ms ticks (the object and painting
// modules run every 10 ms). Only the parts asked for are timed.
void Sweep(benchmark::State& state, bool timeMove, bool timeFrame)
{
    Screen screen;
    if (!screen.sweeping)
        state.SkipWithError("the hover does not reach the buttons");
    InputModule& input = screen.engine.Input();
    for (auto _ : state) {
        const auto [x, y] = screen.Next();
        if (!timeMove)
            state.PauseTiming();
        // As the host window does: the cursor asked for, then the move.
        input.OnSetCursor();
        input.OnMouseMove(x, y, 0);
        if (timeMove != timeFrame) {
            if (timeMove)
                state.PauseTiming();
            else
                state.ResumeTiming();
        }
        screen.engine.Tick(5);
        screen.engine.Tick(5);
        if (!timeFrame)
            state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_HoverSweepInputEvent(benchmark::State& state) { Sweep(state, true, false); }
BENCHMARK(BM_HoverSweepInputEvent)->Unit(benchmark::kMicrosecond);

void BM_HoverSweepFrame(benchmark::State& state) { Sweep(state, false, true); }
BENCHMARK(BM_HoverSweepFrame)->Unit(benchmark::kMicrosecond);

// Move and frame together, as the host window drives them.
void BM_HoverSweepMoveAndFrame(benchmark::State& state) { Sweep(state, true, true); }
BENCHMARK(BM_HoverSweepMoveAndFrame)->Unit(benchmark::kMicrosecond);

} // namespace


// Timed actions: 10,000 running actions of mixed kinds, each stepped on every frame.
#include "engine/GameCore.h"
#include "engine/paint/FrameRecord.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"
#include "engine/senior/CClassSenior.h"
#include "platform/Clock.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace Lumora;

namespace {

// Drops each frame, as the painting module would after drawing it.
class FrameDrop : public BaseModule {
public:
    int Init() override { return 1; }
    void Shutdown() override {}
    void Work() override {}
    uint32_t GetId() const override { return LUMORA_MODULE_PAINT; }
    const char* GetName() const override { return "FrameDrop"; }
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t) override
    {
        if (message == LUMORA_MSG_DRAW_FRAME)
            delete reinterpret_cast<FrameRecord*>(wparam);
        return 0;
    }
};

// Steps on every pass, so that every action runs on every frame.
class Starter : public CClassSenior {
public:
    uint32_t GetActionInterval() const override { return 0; }
};

struct Scene {
    platform::ManualClock clock{1000};
    platform::ScopedClock installed{clock};
    std::unique_ptr<GameCore> core;
    ObjectModule* objects = new ObjectModule;
    Starter* starter = new Starter;
    ImageRecord image;

    // `onScreen`: the objects sit in the viewport, so that every step also dirties the frame.
    Scene(int count, bool onScreen)
    {
        core = std::make_unique<GameCore>();
        core->LoadModule(objects, 1, 0);
        core->LoadModule(new FrameDrop, 1, 0);
        objects->SetViewportSize(800, 600);
        objects->RegisterObject(starter, nullptr);
        image.width = image.height = 16;
        image.frames = 4;
        image.flags = kImageAlpha | kImageAnimated;
        image.delays.assign(4, 50);
        image.pixels.assign(16 * 16 * 4 * 4, 255);
        PictureInfo info;
        info.image = &image;
        info.width = info.height = 16;
        for (int i = 0; i < count; ++i) {
            BITObject* o = objects->NewBitmapObject(info, nullptr);
            o->MoveTo(onScreen ? 8 + (i * 13) % 780 : -100000.0, onScreen ? 8 + (i * 7) % 580 : -100000.0);
            o->Activate();
            Start(o, i % 9);
        }
        Frame(); // every action joins the list and takes its first step
    }
    ~Scene()
    {
        core.reset();
    }

    // Nine kinds, none of which ends within the benchmark.
    void Start(BITObject* o, int kind)
    {
        const EventRecord tick{o->GetId(), 80000001, 0, 0};
        switch (kind) {
        case 0: starter->ActBlink(o, 0.05, -1, 0, 1.0, 0.2, nullptr); break;
        case 1: o->SetAlpha(0.0); starter->ActFadeTo(o, 1e-9, 1.0, 0, nullptr); break;
        case 2: starter->ActRotateTo(o, -1.0, 90.0, 0, nullptr); break;
        case 3: starter->ActMoveTo(o, 1000000, 1000000, 0.01, 0, 0.01, nullptr); break;
        case 4: starter->ActResize(o, 16, 16, 1000000, 1000000, 1, 1, nullptr); break;
        case 5: starter->ActPlayFrames(o, 0, -1, 0, 0, nullptr); break;
        case 6: starter->ActRepeatEvent(20, 0, &tick); break;
        case 7: starter->ActWait(100000000, nullptr); break;
        default: starter->ActWaitClock(100000000, nullptr); break;
        }
    }
    void Frame()
    {
        clock.Advance(20);
        core->FrameTick();
    }
};

void RunningActions(benchmark::State& state)
{
    Scene scene(int(state.range(0)), state.range(1) != 0);
    if (scene.objects->CountPendingActions() != size_t(state.range(0)))
        state.SkipWithError(("running: " + std::to_string(scene.objects->CountPendingActions())).c_str());
    for (auto _ : state)
        scene.Frame();
    state.counters["actions"] = double(scene.objects->CountPendingActions());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RunningActions)->Args({10000, 0})->Args({10000, 1})->ArgNames({"actions", "on_screen"})->Unit(benchmark::kMicrosecond);

} // namespace

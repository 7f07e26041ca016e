// Frame build from dirty rectangles and registry look-ups of the object module.
#include "engine/GameCore.h"
#include "engine/paint/FrameRecord.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

using namespace Lumora;

namespace {

// Takes each frame and drops it, as the painting module would after drawing it.
class FrameSink : public BaseModule {
public:
    int Init() override { return 1; }
    void Shutdown() override {}
    void Work() override {}
    uint32_t GetId() const override { return LUMORA_MODULE_PAINT; }
    const char* GetName() const override { return "FrameSink"; }
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t) override
    {
        if (message == LUMORA_MSG_DRAW_FRAME) {
            auto* frame = reinterpret_cast<FrameRecord*>(wparam);
            records += frame->RecordCount();
            delete frame;
        }
        return 0;
    }
    size_t records = 0;
};

struct Scene {
    std::unique_ptr<GameCore> core = std::make_unique<GameCore>();
    ObjectModule* objects = new ObjectModule;
    FrameSink* sink = new FrameSink;
    ImageRecord image;
    std::vector<PObject*> all;

    explicit Scene(int count)
    {
        core->LoadModule(objects, 1, 0);
        core->LoadModule(sink, 1, 0);
        objects->SetViewportCentre(400, 300);
        objects->SetViewportSize(800, 600);
        image.width = 32;
        image.height = 32;
        image.pixels.assign(32 * 32 * 4, 255);
        image.flags = kImageAlpha;
        PictureInfo info;
        info.image = &image;
        info.width = info.height = 32;
        std::mt19937 rng(5);
        for (int i = 0; i < count; ++i) {
            BITObject* o = objects->NewBitmapObject(info, nullptr);
            o->MoveTo(std::uniform_int_distribution<int>(0, 800)(rng), std::uniform_int_distribution<int>(0, 600)(rng));
            o->SetLayer(std::uniform_int_distribution<uint32_t>(0, 3)(rng));
            o->Activate();
            o->Redraw();
            o->SetName(("object_" + std::to_string(i)).c_str());
            all.push_back(o);
        }
        objects->BuildFrame();
    }
};

// Moves `count` objects of the scene, each along its own step and wrapping at the screen's edges,
// so the scene stays on screen however long the benchmark runs.
void MoveSome(Scene& scene, int count, int& next)
{
    const int n = int(scene.all.size());
    for (int i = 0; i < count; ++i) {
        PObject* o = scene.all[size_t(next)];
        next = (next + 7919) % n;
        double x = o->GetX() + 3 + next % 5, y = o->GetY() + 2 + next % 3;
        if (x > 800)
            x -= 800;
        if (y > 600)
            y -= 600;
        o->MoveTo(x, y);
        o->Redraw();
    }
}

// Args: objects in the scene, objects changed a frame.
void BM_FrameBuild(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    int next = 0;
    for (auto _ : state) {
        MoveSome(scene, static_cast<int>(state.range(1)), next);
        scene.objects->BuildFrame();
    }
    state.counters["records/frame"] = benchmark::Counter(double(scene.sink->records) / double(state.iterations()));
}
BENCHMARK(BM_FrameBuild)->Args({1000, 10})->Args({10000, 100})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One object moved and re-sorted into the draw order, among 100, 1,000 and 10,000 objects: the
// cost should barely grow with the scene. No frame is built (its walk is the frame's cost, above).
void BM_OneMove(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    int next = 0;
    for (auto _ : state)
        MoveSome(scene, 1, next);
}
BENCHMARK(BM_OneMove)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kNanosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FrameBuildNothingChanged(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    // A whole idle step of the object module: drain, actions, frame build.
    for (auto _ : state)
        scene.objects->Work();
}
BENCHMARK(BM_FrameBuildNothingChanged)->Arg(1000)->Unit(benchmark::kNanosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FindById(benchmark::State& state)
{
    Scene scene(10000);
    uint32_t id = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.objects->FindById(id));
        id = id % 10000 + 1;
        id = (id * 7919) % 10000 + 1;
    }
}
BENCHMARK(BM_FindById);

void BM_FindByName(benchmark::State& state)
{
    Scene scene(10000);
    std::vector<std::string> names;
    for (int i = 0; i < 64; ++i)
        names.push_back("object_" + std::to_string((i * 7919) % 10000));
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.objects->FindByName(names[i++ % names.size()].c_str()));
}
BENCHMARK(BM_FindByName)->Unit(benchmark::kMicrosecond);

} // namespace
